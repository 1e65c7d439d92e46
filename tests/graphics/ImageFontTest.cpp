#include "graphics/ImageFont.h"

#include "graphics/FontData.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "platform/Log.h"
#include "resources/ImageWriter.h"

#include "FontTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>

using fonttest::FilledRect;
using fonttest::RecordingImage;
using zest::Color;
using zest::Graphics;
using zest::ImageFont;
using zest::MemoryImage;
using zest::Rect;

namespace
{

// Glyphs A, V and B side by side on an 32 x 8 sheet, opaque white.
const char* const BaseDescriptor = "SetDefaultPointSize 12;\n"
                                   "CreateLayer Main;\n"
                                   "LayerSetImage Main 'glyphs.png';\n"
                                   "LayerSetImageMap Main ('A', 'V', 'B') ((0, 0, 4, 6), (4, 0, 4, 6), (8, 0, 3, 6));\n"
                                   "LayerSetCharWidths Main ('A', 'V', 'B') (5, 5, 4);\n"
                                   "LayerSetAscent Main 6;\n"
                                   "LayerSetKerningPairs Main ('AV') (-2);\n"
                                   "LayerSetSpacing Main 1;\n";

class ImageFontTest : public ::testing::Test
{
protected:
    void SetUp() override { Sheet("glyphs.png", 32, 8, {{Rect(0, 0, 11, 6), 0xFFFFFFFF}}); }

    void Sheet(const std::string& name, int width, int height, const std::vector<FilledRect>& fills)
    {
        host.images[dir.File(name)] = fonttest::MakeSheet(width, height, fills);
    }

    std::unique_ptr<ImageFont> Make(const std::string& descriptor)
    {
        std::string path = dir.Write("font" + std::to_string(fontCount++) + ".txt", descriptor);
        auto font = std::make_unique<ImageFont>(&host, path);
        EXPECT_TRUE(font->GetFontData()->initialized) << font->GetFontData()->error;
        return font;
    }

    // Draws text and answers the blits in drawing order.
    std::vector<RecordingImage::Record> Record(ImageFont& font, const std::string& text, int x, int y,
                                               const Color& color = Color::White)
    {
        RecordingImage target(200, 100);
        Graphics g(&target);
        font.DrawString(&g, x, y, text, color, g.GetClipRect());
        return target.records;
    }

    fonttest::ScratchDir dir;
    fonttest::FakeFontHost host;
    int fontCount = 0;
};

// Compares two images pixel by pixel; on a difference reports the count and the first bad pixel and
// writes both images as PNG beside the test's scratch folder.
::testing::AssertionResult SameImage(MemoryImage& expected, MemoryImage& actual, const std::string& name)
{
    if (expected.GetWidth() != actual.GetWidth() || expected.GetHeight() != actual.GetHeight())
        return ::testing::AssertionFailure() << "sizes differ";
    int mismatches = 0;
    int firstX = -1, firstY = -1;
    for (int y = 0; y < expected.GetHeight(); ++y)
    {
        for (int x = 0; x < expected.GetWidth(); ++x)
        {
            if (expected.GetPixel(x, y) != actual.GetPixel(x, y) && mismatches++ == 0)
            {
                firstX = x;
                firstY = y;
            }
        }
    }
    if (mismatches == 0)
        return ::testing::AssertionSuccess();
    std::string base = (std::filesystem::temp_directory_path() / name).string();
    (void)zest::WritePng(base + "-expected.png", expected);
    (void)zest::WritePng(base + "-actual.png", actual);
    char detail[160];
    std::snprintf(detail, sizeof(detail), "%d pixels differ; first at (%d, %d): expected %08X, actual %08X", mismatches,
                  firstX, firstY, expected.GetPixel(firstX, firstY), actual.GetPixel(firstX, firstY));
    return ::testing::AssertionFailure() << detail << " (images written to " << base << "-*.png)";
}

std::unique_ptr<MemoryImage> Canvas(int width, int height, uint32_t argb)
{
    auto image = std::make_unique<MemoryImage>();
    image->Create(width, height);
    uint32_t* bits = image->GetBits();
    std::fill(bits, bits + width * height, argb);
    image->BitsChanged();
    return image;
}

void Fill(MemoryImage& image, const Rect& rect, uint32_t argb)
{
    uint32_t* bits = image.GetBits();
    for (int y = rect.y; y < rect.y + rect.height; ++y)
        for (int x = rect.x; x < rect.x + rect.width; ++x)
            bits[y * image.GetWidth() + x] = argb;
    image.BitsChanged();
}

} // namespace

TEST_F(ImageFontTest, GlyphsLandAtPenOffsetAndAscent)
{
    auto font = Make(std::string(BaseDescriptor) + "LayerSetCharOffsets Main ('B') ((1, -2));");
    auto actual = Canvas(40, 32, 0xFFFFFFFF);
    Graphics g(actual.get());
    g.Translate(3, 4);
    g.SetFont(font.get());
    g.SetColor(Color(255, 0, 0));
    g.DrawString("AB", 7, 16); // baseline at (10, 20) on the image

    // A: 4 x 6 from x 10, top at baseline - ascent. B: pen 10 + 5 + spacing 1 = 16, offset (1, -2)
    // puts it at x 17 and 2 pixels higher.
    auto expected = Canvas(40, 32, 0xFFFFFFFF);
    Fill(*expected, Rect(10, 14, 4, 6), 0xFFFF0000);
    Fill(*expected, Rect(17, 12, 3, 6), 0xFFFF0000);
    EXPECT_TRUE(SameImage(*expected, *actual, "font-placement"));
    EXPECT_EQ(g.GetColor(), Color(255, 0, 0));
    EXPECT_FALSE(g.GetColorize());
}

TEST_F(ImageFontTest, KerningAndSpacingJoinTheAdvance)
{
    auto font = Make(BaseDescriptor);
    EXPECT_EQ(font->CharWidth('A'), 5);
    EXPECT_EQ(font->CharWidthKern('V', 'A'), 5 - 2 + 1); // kerning of A before V, plus spacing
    EXPECT_EQ(font->CharWidthKern('B', 'A'), 4 + 1);
    EXPECT_EQ(font->CharWidthKern('x', '\0'), 0);
    EXPECT_EQ(font->StringWidth("AVB"), 5 + 4 + 5);
    EXPECT_EQ(font->StringWidth(""), 0);

    RecordingImage target(200, 100);
    Graphics g(&target);
    std::vector<Rect> charRects{Rect(1, 1, 1, 1)};
    int width = -1;
    font->DrawStringEx(&g, 10, 50, "AVB", Color::White, g.GetClipRect(), &charRects, &width);
    // The pen advances by the glyph width plus the kerning towards the next character and the spacing.
    EXPECT_EQ(width, 14);
    EXPECT_EQ(charRects, (std::vector<Rect>{Rect(10, 44, 4, 6), Rect(14, 44, 4, 6), Rect(20, 44, 3, 6)}));
}

TEST_F(ImageFontTest, PointRangeSwitchesLayers)
{
    auto font = Make(std::string(BaseDescriptor) +
                     "LayerPointRange Main 10 14;\n"
                     "CreateLayerFrom Big Main; LayerPointRange Big 20 -1; LayerSetCharWidths Big ('A') (9);");
    struct Case
    {
        int pointSize;
        int width;
    } cases[] = {{9, 0}, {10, 5}, {12, 5}, {14, 5}, {16, 0}, {20, 9}, {500, 9}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.pointSize);
        font->SetPointSize(c.pointSize);
        EXPECT_EQ(font->PointSize(), c.pointSize);
        EXPECT_EQ(font->CharWidth('A'), c.width);
    }
}

TEST_F(ImageFontTest, TagsSwitchLayers)
{
    auto font =
        Make(std::string(BaseDescriptor) +
             "CreateLayerFrom Heavy Main; LayerRequireTags Heavy ('Bold'); LayerSetCharWidths Heavy ('A') (7);\n"
             "LayerExcludeTags Main ('bold');");
    EXPECT_EQ(font->CharWidth('A'), 5);
    EXPECT_TRUE(font->AddTag("bold"));
    EXPECT_FALSE(font->AddTag("BOLD"));
    EXPECT_TRUE(font->HasTag("Bold"));
    EXPECT_EQ(font->CharWidth('A'), 7);
    EXPECT_TRUE(font->RemoveTag("bOLD"));
    EXPECT_FALSE(font->RemoveTag("bold"));
    EXPECT_EQ(font->CharWidth('A'), 5);
}

TEST_F(ImageFontTest, BaseOrderDrawsOneLayerBeforeAnother)
{
    // Back is created first but has the higher order: all of Front's glyphs come first.
    auto font = Make(std::string(BaseDescriptor) +
                     "LayerSetBaseOrder Main 1; LayerSetColorMult Main (0, 0, 1, 1);\n"
                     "CreateLayerFrom Front Main; LayerSetBaseOrder Front 0; LayerSetColorMult Front (1, 0, 0, 1);");
    auto records = Record(*font, "ABA", 0, 20);
    ASSERT_EQ(records.size(), 6u);
    for (size_t i = 0; i < records.size(); ++i)
    {
        SCOPED_TRACE(i);
        EXPECT_EQ(records[i].color, i < 3 ? Color(255, 0, 0) : Color(0, 0, 255));
    }
    EXPECT_EQ(records[0].x, records[3].x);
    EXPECT_LT(records[0].x, records[1].x);
}

TEST_F(ImageFontTest, OrdersBeyondTheBucketsShareTheEndBuckets)
{
    auto font = Make("CreateLayer Main; LayerSetImage Main 'glyphs.png';\n"
                     "LayerSetImageMap Main ('a', 'b', 'c', 'd', 'e') ((0, 0, 1, 1), (1, 0, 1, 1), (2, 0, 1, 1), (3, "
                     "0, 1, 1), (4, 0, 1, 1));\n"
                     "LayerSetCharWidths Main ('a', 'b', 'c', 'd', 'e') (10, 10, 10, 10, 10);\n"
                     "LayerSetCharOrders Main ('a', 'b', 'c', 'd', 'e') (500, -500, 0, 127, -129);");
    auto records = Record(*font, "aebcd", 0, 0);
    std::vector<int> xs;
    for (const auto& r : records)
        xs.push_back(r.x);
    // e (-129) and b (-500) share the first bucket in text order; a (500) and d (127) the last.
    EXPECT_EQ(xs, (std::vector<int>{10, 20, 30, 0, 40}));
}

TEST_F(ImageFontTest, LayerColourMultipliesAddsAndSaturates)
{
    auto font =
        Make(std::string(BaseDescriptor) +
             "LayerSetColorMult Main (0.5, 1, 1, 1); LayerSetColorAdd Main (0, 0, 0.2, 0); LayerSetDrawMode Main 1;");
    RecordingImage target(100, 100);
    Graphics g(&target);
    g.SetColor(Color(1, 2, 3, 4));
    g.SetDrawMode(0);
    font->DrawString(&g, 0, 10, "A", Color(200, 100, 250, 255), g.GetClipRect());
    ASSERT_EQ(target.records.size(), 1u);
    // red 127 * 200 / 255 = 99; blue 250 + 51 passes 254 and becomes 255.
    EXPECT_EQ(target.records[0].color, Color(99, 100, 255, 255));
    EXPECT_EQ(target.records[0].drawMode, 1);
    EXPECT_EQ(g.GetColor(), Color(1, 2, 3, 4));
    EXPECT_EQ(g.GetDrawMode(), 0);
}

TEST_F(ImageFontTest, MetricsCombineTheActiveLayers)
{
    auto font = Make(std::string(BaseDescriptor) +
                     "LayerSetAscentPadding Main 2; LayerSetLineSpacingOffset Main -1;\n"
                     "CreateLayerFrom Outline Main; LayerSetAscent Outline 8; LayerSetHeight Outline 10;\n"
                     "LayerSetAscentPadding Outline 3; LayerSetLineSpacingOffset Outline -3;");
    EXPECT_EQ(font->Ascent(), 8);
    EXPECT_EQ(font->Height(), 10);
    EXPECT_EQ(font->Descent(), 2);
    EXPECT_EQ(font->AscentPadding(), 2);
    EXPECT_EQ(font->LineSpacingOffset(), -1);
    EXPECT_EQ(font->LineSpacing(), 9);

    // The main layer alone: height from the tallest glyph of its image map.
    font->SetPointSize(12);
    auto single = Make(BaseDescriptor);
    EXPECT_EQ(single->Height(), 6);
    EXPECT_EQ(single->DefaultPointSize(), 12);
}

TEST_F(ImageFontTest, ScaledLayersDrawFromTheirOwnSheet)
{
    auto font = Make(BaseDescriptor);
    font->SetScale(2.0);
    EXPECT_EQ(font->CharWidth('A'), 10);
    EXPECT_EQ(font->Height(), 12);
    EXPECT_EQ(font->CharWidthKern('V', 'A'), 10 - 2);

    auto records = Record(*font, "AV", 0, 20);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_NE(records[0].source, host.images[dir.File("glyphs.png")].get());
    EXPECT_EQ(records[0].srcRect.width, 8);
    EXPECT_EQ(records[0].srcRect.height, 12);
    EXPECT_EQ(records[0].y, 20 - 12);
    EXPECT_EQ(records[1].x, 8);
    auto* sheet = static_cast<MemoryImage*>(records[1].source);
    const Rect& r = records[1].srcRect;
    EXPECT_EQ(sheet->GetPixel(r.x, r.y), 0xFFFFFFFFu);
    EXPECT_EQ(sheet->GetPixel(r.x + r.width - 1, r.y + r.height - 1), 0xFFFFFFFFu);

    // Layer point size: 15 over 10 gives 1.5.
    auto sized = Make(std::string(BaseDescriptor) + "LayerSetPointSize Main 10;");
    sized->SetPointSize(15);
    EXPECT_EQ(sized->CharWidth('A'), 7); // 5 x 1.5 truncated
    EXPECT_EQ(sized->Ascent(), 9);
}

TEST_F(ImageFontTest, ScaleMakingTheSheetTooWideIsRefused)
{
    auto font = Make(BaseDescriptor);
    int warnings = 0;
    zest::LogSink previous = zest::SetLogSink([&warnings](zest::LogLevel level, const std::string&)
                                              { warnings += level == zest::LogLevel::Warning; });
    for (double scale : {5000.0, 0.0, -2.0})
    {
        SCOPED_TRACE(scale);
        font->SetScale(scale);
        EXPECT_EQ(font->CharWidth('A'), 0);
        EXPECT_EQ(font->Height(), 0);
        EXPECT_TRUE(Record(*font, "AVB", 0, 20).empty());
    }
    zest::SetLogSink(previous);
    EXPECT_EQ(warnings, 3); // once per refused preparation, not per measurement
    font->SetScale(1.0);
    EXPECT_EQ(font->CharWidth('A'), 5);
}

TEST_F(ImageFontTest, GlyphsNeverReadOutsideALaterSmallerSheet)
{
    Sheet("big.png", 32, 16, {{Rect(0, 0, 32, 16), 0xFFFFFFFF}});
    Sheet("small.png", 8, 8, {{Rect(0, 0, 8, 8), 0xFFFFFFFF}});
    auto font = Make("CreateLayer Main; LayerSetImage Main 'big.png';\n"
                     "LayerSetImageMap Main ('A', 'B') ((4, 4, 20, 10), (20, 0, 4, 4));\n"
                     "LayerSetCharWidths Main ('A', 'B') (20, 4);\n"
                     "LayerSetImage Main 'small.png';");
    for (double scale : {1.0, 1.5})
    {
        SCOPED_TRACE(scale);
        font->SetScale(scale);
        for (const auto& record : Record(*font, "AB", 0, 20))
        {
            Rect bounds(0, 0, record.source->GetWidth(), record.source->GetHeight());
            EXPECT_EQ(record.srcRect.Intersection(bounds), record.srcRect);
        }
    }
}

TEST_F(ImageFontTest, DuplicateSharesTheDescriptorData)
{
    auto font = Make(BaseDescriptor);
    font->SetPointSize(14);
    font->SetScale(2.0);
    font->AddTag("x");
    auto copy = font->Duplicate();
    auto* image = dynamic_cast<ImageFont*>(copy.get());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->GetFontData(), font->GetFontData());
    EXPECT_EQ(image->PointSize(), 14);
    EXPECT_TRUE(image->HasTag("X"));
    EXPECT_EQ(image->CharWidth('A'), 10);

    auto mine = Record(*font, "A", 0, 20);
    auto theirs = Record(*image, "A", 0, 20);
    ASSERT_EQ(theirs.size(), 1u);
    EXPECT_NE(mine[0].source, theirs[0].source); // each has its own scaled sheet

    image->RemoveTag("x");
    EXPECT_TRUE(font->HasTag("x"));
    font.reset(); // the data lives on with the copy
    EXPECT_EQ(image->StringWidth("AB"), 10 + 1 * 2 + 8);
}

TEST_F(ImageFontTest, FailedDescriptorDrawsNothingAndMeasuresZero)
{
    std::string path =
        dir.Write("bad.txt", "CreateLayer Main; LayerSetImage Main 'glyphs.png';\n"
                             "LayerSetImageMap Main ('A') ((0, 0, 4, 6)); LayerSetCharWidths Main ('A') (5);\n"
                             "Oops;");
    ImageFont font(&host, path);
    EXPECT_FALSE(font.GetFontData()->initialized);
    EXPECT_EQ(host.popups.size(), 1u);
    EXPECT_EQ(font.StringWidth("AAA"), 0);
    EXPECT_EQ(font.Height(), 0);
    EXPECT_TRUE(Record(font, "AAA", 0, 20).empty());

    ImageFont missing(&host, dir.File("absent.txt"));
    EXPECT_FALSE(missing.GetFontData()->initialized);
    EXPECT_EQ(missing.StringWidth("A"), 0);
}

TEST_F(ImageFontTest, CharactersAboveAsciiAndTheCharMap)
{
    auto font = Make(std::string(BaseDescriptor) +
                     "LayerSetImageMap Main ('\xE9') ((0, 0, 2, 2)); LayerSetCharWidths Main ('\xE9') (6);\n"
                     "SetCharMap ('\xC9', 'a') ('\xE9', 'A');");
    EXPECT_EQ(font->StringWidth("\xE9"), 6);
    EXPECT_EQ(font->StringWidth("\xC9"), 6);
    EXPECT_EQ(font->CharWidthKern('V', 'a'), 4); // the mapped partner kerns like 'A'
    EXPECT_EQ(font->DefineText("nothing"), "");
}

TEST_F(ImageFontTest, DefineTextWritesListsOut)
{
    auto font = Make("Define Pair (1, (2, 'x')); Define One 7; CreateLayer Main;");
    EXPECT_EQ(font->DefineText("pair"), "(1, (2, x))");
    EXPECT_EQ(font->DefineText("ONE"), "7");
}

TEST_F(ImageFontTest, PlainStripFontCutsGlyphsFromWidths)
{
    auto strip = fonttest::MakeSheet(20, 5, {{Rect(0, 0, 20, 5), 0xFFFFFFFF}});
    std::string widths = dir.Write("strip.txt", "3 4\nA 4\nb 5\nC 2 Z 100\n");
    ImageFont font(strip.get(), widths);
    ASSERT_TRUE(font.GetFontData()->initialized);
    EXPECT_EQ(font.CharWidth(' '), 3);
    EXPECT_EQ(font.Ascent(), 4);
    EXPECT_EQ(font.Height(), 5);
    EXPECT_EQ(font.CharWidth('A'), 4);
    EXPECT_EQ(font.CharWidth('a'), 4); // lower case borrows the capital
    EXPECT_EQ(font.CharWidth('B'), 5); // and the other way round
    EXPECT_EQ(font.CharWidth('c'), 2);
    EXPECT_EQ(font.CharWidth('Z'), 0); // its strip would run past the image

    auto records = Record(font, "AbC", 0, 10);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].srcRect, Rect(0, 0, 4, 5));
    EXPECT_EQ(records[1].srcRect, Rect(4, 0, 5, 5));
    EXPECT_EQ(records[2].srcRect, Rect(9, 0, 2, 5));
    EXPECT_EQ(records[2].x, 9);
    EXPECT_EQ(records[2].y, 10 - 4);

    ImageFont missing(strip.get(), dir.File("absent.txt"));
    EXPECT_FALSE(missing.GetFontData()->initialized);
    EXPECT_EQ(missing.CharWidth('A'), 0);
}

TEST_F(ImageFontTest, DrawingContextTextUsesTheFont)
{
    auto font = Make(BaseDescriptor);
    RecordingImage target(200, 100);
    Graphics g(&target);
    g.SetFont(font.get());
    g.SetColor(Color::White);
    // A colour code splits the text: each piece is measured on its own (no kerning across the code).
    int width = g.DrawText("AV^FF0000^B", 10, 30);
    EXPECT_EQ(width, font->StringWidth("AV") + font->StringWidth("B"));
    ASSERT_EQ(target.records.size(), 3u);
    EXPECT_EQ(target.records[0].color, Color::White);
    EXPECT_EQ(target.records[2].color, Color(255, 0, 0));
    EXPECT_EQ(target.records[2].x, 10 + font->StringWidth("AV"));
    EXPECT_EQ(target.records[2].y, 30 - 6);

    // Wrapped text: the first baseline sits one ascent below the top; one line per word here.
    target.records.clear();
    int height = g.DrawWrappedText(Rect(0, 0, 12, 100), "AV AV AV");
    ASSERT_EQ(target.records.size(), 6u);
    EXPECT_EQ(target.records[0].y, 0);
    EXPECT_EQ(target.records[2].y, font->LineSpacing());
    EXPECT_EQ(height, g.WrappedTextHeight(12, "AV AV AV"));
}
