#include "graphics/SysFont.h"

#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"

#include <gtest/gtest.h>

#include <algorithm>

using zest::Color;
using zest::Graphics;
using zest::MemoryImage;
using zest::Rect;
using zest::SysFont;

namespace
{

std::unique_ptr<MemoryImage> Canvas(int width, int height, uint32_t argb)
{
    auto image = std::make_unique<MemoryImage>();
    image->Create(width, height);
    uint32_t* bits = image->GetBits();
    std::fill(bits, bits + width * height, argb);
    image->BitsChanged();
    return image;
}

// The smallest rectangle holding every pixel that differs from background.
Rect Inked(MemoryImage& image, uint32_t background)
{
    Rect box;
    for (int y = 0; y < image.GetHeight(); ++y)
        for (int x = 0; x < image.GetWidth(); ++x)
            if (image.GetPixel(x, y) != background)
                box = box.Union(Rect(x, y, 1, 1));
    return box;
}

class SysFontTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        font = std::make_unique<SysFont>("DejaVu Sans", 12);
        if (!font->IsLoaded())
            GTEST_SKIP() << "no system fonts installed (fonts-dejavu-core)";
    }
    std::unique_ptr<SysFont> font;
};

} // namespace

TEST_F(SysFontTest, MetricsComeFromTheFaceAtNinetySixDpi)
{
    // 12 points are 16 pixels; DejaVu Sans rises about 0.93 em and falls about 0.24 em.
    EXPECT_EQ(font->FamilyName(), "DejaVu Sans");
    EXPECT_NEAR(font->Ascent(), 15, 1);
    EXPECT_NEAR(font->Height(), 19, 1);
    EXPECT_EQ(font->Descent(), font->Height() - font->Ascent());
    EXPECT_EQ(font->LineSpacing(), font->Height());

    SysFont big("DejaVu Sans", 24);
    EXPECT_NEAR(big.Height(), 2 * font->Height(), 2);
    EXPECT_NEAR(big.StringWidth("Hello"), 2 * font->StringWidth("Hello"), 3);
}

TEST_F(SysFontTest, WidthsAddUpAndBoldIsWider)
{
    const std::string text = "Tibble the Bee";
    int sum = 0;
    char previous = '\0';
    for (char ch : text)
    {
        sum += font->CharWidthKern(ch, previous);
        previous = ch;
    }
    EXPECT_EQ(font->StringWidth(text), sum);
    EXPECT_GT(font->CharWidth('W'), font->CharWidth('i'));
    EXPECT_EQ(font->StringWidth(""), 0);

    SysFont bold("DejaVu Sans", 12, true);
    EXPECT_GT(bold.StringWidth(text), font->StringWidth(text));
}

TEST_F(SysFontTest, MissingFaceFallsBackToSansSerif)
{
    SysFont fallback("Arial Unicode MS", 10);
    ASSERT_TRUE(fallback.IsLoaded());
    EXPECT_GT(fallback.Height(), 0);
    EXPECT_GT(fallback.StringWidth("CLICK HERE TO CONTINUE"), 0);
}

TEST_F(SysFontTest, SizesBeyondTheLimitAreNotRendered)
{
    // The largest size still renders; beyond it the face would need a sheet of hundreds of megabytes.
    SysFont largest("DejaVu Sans", SysFont::MaxPointSize);
    EXPECT_TRUE(largest.IsLoaded());
    SysFont huge("DejaVu Sans", 775);
    EXPECT_FALSE(huge.IsLoaded());
    EXPECT_EQ(huge.StringWidth("W"), 0);
}

TEST_F(SysFontTest, DrawsAntialiasedTextInItsColourAroundTheBaseline)
{
    auto canvas = Canvas(120, 40, 0x00000000);
    Graphics g(canvas.get());
    g.SetColor(Color(1, 2, 3));
    font->DrawString(&g, 10, 25, "Hamburg", Color(200, 40, 90), g.GetClipRect());

    const Rect ink = Inked(*canvas, 0);
    ASSERT_FALSE(ink.IsEmpty());
    EXPECT_GE(ink.x, 10);
    EXPECT_LE(ink.x + ink.width, 10 + font->StringWidth("Hamburg") + 1);
    EXPECT_GE(ink.y, 25 - font->Ascent());
    EXPECT_LE(ink.y + ink.height, 25 + font->Descent());
    int edge = 0, solid = 0;
    for (int y = ink.y; y < ink.y + ink.height; ++y)
    {
        for (int x = ink.x; x < ink.x + ink.width; ++x)
        {
            uint32_t p = canvas->GetPixel(x, y);
            uint32_t alpha = p >> 24;
            if (alpha == 0)
                continue;
            // The colour, whatever the coverage (within the blend's rounding).
            EXPECT_NEAR(int((p >> 16) & 0xFF), 200, 1) << x << "," << y;
            EXPECT_NEAR(int((p >> 8) & 0xFF), 40, 1) << x << "," << y;
            EXPECT_NEAR(int(p & 0xFF), 90, 1) << x << "," << y;
            edge += alpha < 255;
            solid += alpha == 255;
        }
    }
    EXPECT_GT(edge, 10);  // anti-aliased edges
    EXPECT_GT(solid, 10); // and solid stems
    EXPECT_EQ(g.GetColor(), Color(1, 2, 3));
    EXPECT_FALSE(g.GetColorize());
}

TEST_F(SysFontTest, ShadowUnderlineAndSimulatedBold)
{
    auto plain = Canvas(100, 40, 0xFFFFFFFF);
    Graphics pg(plain.get());
    font->DrawString(&pg, 5, 20, "Io", Color::White, pg.GetClipRect());
    EXPECT_TRUE(Inked(*plain, 0xFFFFFFFF).IsEmpty()); // white on white leaves nothing

    auto shadowed = Canvas(100, 40, 0xFFFFFFFF);
    Graphics sg(shadowed.get());
    font->drawShadow = true;
    font->DrawString(&sg, 5, 20, "Io", Color::White, sg.GetClipRect());
    const Rect shadow = Inked(*shadowed, 0xFFFFFFFF);
    auto reference = Canvas(100, 40, 0xFFFFFFFF);
    Graphics rg(reference.get());
    SysFont(*font).DrawString(&rg, 5, 20, "Io", Color::Black, rg.GetClipRect()); // duplicates start plain
    Rect black = Inked(*reference, 0xFFFFFFFF);
    EXPECT_EQ(shadow.x, black.x + 1);
    EXPECT_EQ(shadow.y, black.y + 1);

    // Through the context, which hands the font its own colour: the text still comes out in that colour.
    auto through = Canvas(100, 40, 0xFFFFFFFF);
    Graphics tg(through.get());
    tg.SetFont(font.get());
    tg.SetColor(Color(255, 0, 0));
    tg.DrawString("Io", 5, 20);
    int red = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 100; ++x)
            red += through->GetPixel(x, y) == 0xFFFF0000u;
    EXPECT_GT(red, 5);
    EXPECT_EQ(tg.GetColor(), Color(255, 0, 0));

    font->drawShadow = false;
    font->simulateBold = true;
    auto bolded = Canvas(100, 40, 0xFFFFFFFF);
    Graphics bg(bolded.get());
    font->DrawString(&bg, 5, 20, "Io", Color::Black, bg.GetClipRect());
    EXPECT_EQ(Inked(*bolded, 0xFFFFFFFF).width, black.width + 1);

    SysFont underlined("DejaVu Sans", 12, false, false, true);
    auto line = Canvas(100, 40, 0xFFFFFFFF);
    Graphics lg(line.get());
    underlined.DrawString(&lg, 5, 20, "--", Color::Black, lg.GetClipRect());
    const int width = underlined.StringWidth("--");
    int row = -1;
    for (int y = 21; y < 30 && row < 0; ++y)
    {
        if (line->GetPixel(5, y) == 0xFF000000u && line->GetPixel(5 + width - 1, y) == 0xFF000000u)
            row = y;
    }
    EXPECT_GT(row, 20) << "a full-width line below the baseline";
}

TEST_F(SysFontTest, DuplicateKeepsMetricsAndStartsPlain)
{
    font->drawShadow = true;
    font->simulateBold = true;
    auto copy = font->Duplicate();
    auto* sys = dynamic_cast<SysFont*>(copy.get());
    ASSERT_NE(sys, nullptr);
    EXPECT_FALSE(sys->drawShadow);
    EXPECT_FALSE(sys->simulateBold);
    EXPECT_EQ(sys->Height(), font->Height());
    EXPECT_EQ(sys->Ascent(), font->Ascent());
    font.reset();
    EXPECT_GT(sys->StringWidth("abc"), 0);
}

TEST_F(SysFontTest, BytesAboveAsciiAreWindowsCharacters)
{
    // 0xE9 is e-acute, 0x80 the euro sign; neither may index outside the glyph tables.
    EXPECT_GT(font->CharWidth('\xE9'), 0);
    EXPECT_GT(font->CharWidth('\x80'), 0);
    EXPECT_EQ(font->CharWidth('\x81'), 0); // unassigned
    EXPECT_EQ(font->CharWidth('\t'), 0);
}
