#include "graphics/Graphics.h"

#include "graphics/Font.h"
#include "graphics/MemoryImage.h"
#include "ImageCompare.h"

#include <gtest/gtest.h>

#include <vector>

using namespace zest;

namespace
{

// A font of fixed advances ('W' is 20 wide, everything else 6) that records what it is asked to draw.
class FakeFont : public Font
{
public:
    struct Call
    {
        std::string text;
        int x, y;
        Color color;
    };

    FakeFont()
    {
        ascent = 8;
        ascentPadding = 1;
        height = 10;
        lineSpacingOffset = 2;
    }
    int StringWidth(const std::string& text) override
    {
        int w = 0;
        for (char c : text)
            w += CharWidth(c);
        return w;
    }
    int CharWidth(char ch) override { return ch == 'W' ? 20 : 6; }
    void DrawString(Graphics*, int x, int y, const std::string& text, const Color& color, const Rect&) override
    {
        calls.push_back({text, x, y, color});
    }
    std::unique_ptr<Font> Duplicate() override { return std::make_unique<FakeFont>(*this); }

    std::vector<Call> calls;
};

struct Canvas
{
    MemoryImage image;
    explicit Canvas(int w = 32, int h = 32, uint32_t fill = 0xFF000000)
    {
        std::vector<uint32_t> pixels(static_cast<size_t>(w) * h, fill);
        image.SetBits(pixels.data(), w, h);
    }
    int Count(uint32_t value)
    {
        int n = 0;
        for (int y = 0; y < image.GetHeight(); y++)
            for (int x = 0; x < image.GetWidth(); x++)
                n += image.GetPixel(x, y) == value;
        return n;
    }
};

} // namespace

TEST(Graphics, DrawRectCoversWidthPlusOneAndStaysInsideClip)
{
    struct Case
    {
        const char* what;
        Rect clip;
        int expectedLit;
    } cases[] = {
        {"unclipped", Rect(0, 0, 32, 32), 36},      // 10 x 10 outline
        {"clipped to the right half", Rect(5, 0, 32, 32), 5 + 5 + 8}, // x 5..9 of top and bottom, right side
        {"clipped away", Rect(20, 20, 5, 5), 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        Canvas canvas;
        Graphics g(&canvas.image);
        g.ClipRect(c.clip);
        g.SetColor(Color::White);
        g.DrawRect(0, 0, 9, 9);
        EXPECT_EQ(canvas.Count(0xFFFFFFFF), c.expectedLit);
        for (int y = 0; y < 32; y++)
        {
            for (int x = 0; x < 32; x++)
            {
                if (canvas.image.GetPixel(x, y) == 0xFFFFFFFF)
                {
                    ASSERT_TRUE(c.clip.Contains(x, y) && x <= 9 && y <= 9) << x << "," << y;
                }
            }
        }
    }
}

TEST(Graphics, TranslationTruncatesTowardZero)
{
    struct Case
    {
        float tx, ty;
        Point at, expected;
    } cases[] = {{-0.5f, -0.5f, {0, 0}, {0, 0}}, {0.7f, 1.9f, {2, 2}, {2, 3}}, {-1.5f, 0.0f, {2, 2}, {0, 2}},
                 {-2.5f, 0.0f, {2, 2}, {0, 2}}};
    for (const Case& c : cases)
    {
        Canvas canvas(8, 8);
        Graphics g(&canvas.image);
        g.TranslateFloat(c.tx, c.ty);
        g.SetColor(Color::White);
        g.FillRect(c.at.x, c.at.y, 1, 1);
        EXPECT_EQ(canvas.image.GetPixel(c.expected.x, c.expected.y), 0xFFFFFFFFu) << c.tx << "," << c.ty;
        EXPECT_EQ(canvas.Count(0xFFFFFFFF), 1);
    }
}

TEST(Graphics, ClipOnlyShrinksAndRestoreStateOnEmptyStackChangesNothing)
{
    Canvas canvas;
    Graphics g(&canvas.image);
    g.Translate(4, 4);
    g.ClipRect(0, 0, 100, 100);
    EXPECT_EQ(g.GetClipRect(), Rect(4, 4, 28, 28));
    g.SetColor(Color(1, 2, 3));
    g.RestoreState();
    EXPECT_EQ(g.GetClipRect(), Rect(4, 4, 28, 28));
    EXPECT_EQ(g.GetColor(), Color(1, 2, 3));
    EXPECT_EQ(g.transX, 4.0f);

    g.SaveState();
    g.Translate(1, 1);
    g.ClipRect(0, 0, 2, 2);
    g.SetDrawMode(DrawModeAdditive);
    g.RestoreState();
    EXPECT_EQ(g.GetClipRect(), Rect(4, 4, 28, 28));
    EXPECT_EQ(g.transX, 4.0f);
    EXPECT_EQ(g.GetDrawMode(), DrawModeNormal);

    Graphics copy(g);
    copy.RestoreState(); // the stack is not copied
    EXPECT_EQ(copy.GetClipRect(), g.GetClipRect());
}

TEST(Graphics, ContextWithoutImageDrawsNothing)
{
    Graphics g;
    FakeFont font;
    g.SetFont(&font);
    g.FillRect(0, 0, 10, 10);
    g.DrawLine(0, 0, 10, 10);
    MemoryImage sprite;
    sprite.Create(4, 4);
    g.DrawImage(&sprite, 0, 0);
    EXPECT_TRUE(g.GetClipRect().IsEmpty());
    EXPECT_EQ(g.GetDestImage()->GetWidth(), 0);
}

TEST(Graphics, DrawImageClipsAndOffsetsTheSource)
{
    std::vector<uint32_t> pixels(4 * 4);
    for (int i = 0; i < 16; i++)
        pixels[static_cast<size_t>(i)] = 0xFF000000u | static_cast<uint32_t>(i + 1);
    MemoryImage sprite;
    sprite.SetBits(pixels.data(), 4, 4);
    Canvas canvas(8, 8);
    Graphics g(&canvas.image);
    g.ClipRect(2, 2, 6, 6);
    g.DrawImage(&sprite, 0, 0); // only source pixels (2..3, 2..3) land inside
    EXPECT_EQ(canvas.image.GetPixel(2, 2), 0xFF00000Bu);
    EXPECT_EQ(canvas.image.GetPixel(3, 3), 0xFF000010u);
    EXPECT_EQ(canvas.image.GetPixel(1, 1), 0xFF000000u);
    g.DrawImage(&sprite, 4, 4, Rect(1, 1, 2, 2));
    EXPECT_EQ(canvas.image.GetPixel(4, 4), 0xFF000006u);
    EXPECT_EQ(canvas.image.GetPixel(5, 5), 0xFF00000Bu);
    g.DrawImage(&sprite, 6, 6, Rect(3, 3, 2, 2)); // source rect leaves the image: refused
    EXPECT_EQ(canvas.image.GetPixel(6, 6), 0xFF000000u);
}

TEST(Graphics, ColorizeMultipliesImagesOnlyWhenOn)
{
    MemoryImage sprite;
    std::vector<uint32_t> white(4, 0xFFFFFFFF);
    sprite.SetBits(white.data(), 2, 2);
    Canvas canvas(4, 4);
    Graphics g(&canvas.image);
    g.SetColor(Color(255, 0, 0));
    g.DrawImage(&sprite, 0, 0);
    EXPECT_EQ(canvas.image.GetPixel(0, 0), 0xFFFFFFFFu);
    g.SetColorize(true);
    g.DrawImage(&sprite, 2, 2);
    EXPECT_EQ(canvas.image.GetPixel(2, 2), 0xFFFF0000u);
}

TEST(Graphics, CelOutsideTheGridDrawsNothing)
{
    MemoryImage sheet;
    std::vector<uint32_t> pixels(4 * 4, 0xFFFFFFFF);
    sheet.SetBits(pixels.data(), 4, 4);
    sheet.columns = 2;
    sheet.rows = 2;
    struct Case
    {
        int cel, column, row;
        bool drawn;
    } cases[] = {{3, 1, 1, true}, {4, 2, 0, false}, {-1, -1, 0, false}, {7, 0, 2, false}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.cel);
        Canvas a(8, 8), b(8, 8), s(8, 8);
        Graphics ga(&a.image), gb(&b.image), gs(&s.image);
        ga.DrawImageCell(&sheet, 1, 1, c.cel);
        gb.DrawImageCell(&sheet, 1, 1, c.column, c.row);
        gs.DrawImageCell(&sheet, Rect(0, 0, 8, 8), c.cel);
        EXPECT_EQ(a.Count(0xFFFFFFFF), c.drawn ? 4 : 0);
        EXPECT_EQ(b.Count(0xFFFFFFFF), c.drawn ? 4 : 0);
        EXPECT_EQ(s.Count(0xFFFFFFFF), c.drawn ? 64 : 0);
    }
}

TEST(Graphics, NinePartFrameTilesWithoutStretching)
{
    // A 9 x 9 source of nine 3 x 3 parts; each pixel's value encodes part and position in it.
    std::vector<uint32_t> pixels(81);
    for (int y = 0; y < 9; y++)
        for (int x = 0; x < 9; x++)
            pixels[static_cast<size_t>(y * 9 + x)] = 0xFF000000u | static_cast<uint32_t>((y / 3 * 3 + x / 3) << 8) |
                                                     static_cast<uint32_t>(y % 3 * 3 + x % 3);
    MemoryImage frame;
    frame.SetBits(pixels.data(), 9, 9);
    Canvas canvas(24, 20);
    Graphics g(&canvas.image);
    g.DrawImageFrame(Rect(2, 1, 17, 14), &frame);
    auto expectedAt = [](int dx, int dy) {
        // Column part: left corner 0..2, right corner last 3, middle tiles with period 3 from x 3.
        auto part = [](int d, int size, int& within) {
            if (d < 3)
            {
                within = d;
                return 0;
            }
            if (d >= size - 3)
            {
                within = d - (size - 3);
                return 2;
            }
            within = (d - 3) % 3;
            return 1;
        };
        int wx, wy;
        int px = part(dx, 17, wx), py = part(dy, 14, wy);
        return 0xFF000000u | static_cast<uint32_t>((py * 3 + px) << 8) | static_cast<uint32_t>(wy * 3 + wx);
    };
    std::vector<uint32_t> expected(24 * 20, 0xFF000000);
    for (int y = 0; y < 14; y++)
        for (int x = 0; x < 17; x++)
            expected[static_cast<size_t>((y + 1) * 24 + x + 2)] = expectedAt(x, y);
    EXPECT_TRUE(zest::test::SamePixels("nine-part-frame", expected.data(), canvas.image.GetBits(), 24, 20));
}

TEST(Graphics, DrawTextFollowsColourCodes)
{
    struct Piece
    {
        std::string text;
        int x;
        uint32_t rgb;
    };
    struct Case
    {
        const char* text;
        int width;
        std::vector<Piece> pieces;
    } cases[] = {
        {"a^^b", 18, {{"a^b", 10, 0x102030}}},
        {"ab^FF0000^cd", 24, {{"ab", 10, 0x102030}, {"cd", 22, 0xFF0000}}},
        {"ab^FF00", 12, {{"ab", 10, 0x102030}}},        // a code cut short ends the text
        {"ab^", 12, {{"ab", 10, 0x102030}}},
        {"^00ff00^x^oldclr^y", 12, {{"x", 10, 0x00FF00}, {"y", 16, 0x102030}}},
        {"^zz00gg^q", 6, {{"q", 10, 0x000000}}},          // invalid hex digits count 0
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.text);
        FakeFont font;
        Canvas canvas;
        Graphics g(&canvas.image);
        g.SetFont(&font);
        g.SetColor(Color(0x10, 0x20, 0x30, 200));
        EXPECT_EQ(g.DrawText(c.text, 10, 20), c.width);
        ASSERT_EQ(font.calls.size(), c.pieces.size());
        for (size_t i = 0; i < c.pieces.size(); i++)
        {
            EXPECT_EQ(font.calls[i].text, c.pieces[i].text);
            EXPECT_EQ(font.calls[i].x, c.pieces[i].x);
            EXPECT_EQ(font.calls[i].y, 20);
            EXPECT_EQ(font.calls[i].color.ToRGB(), c.pieces[i].rgb);
            EXPECT_EQ(font.calls[i].color.alpha, 200); // codes keep the alpha
        }
        EXPECT_EQ(g.DrawText(c.text, 0, 0, 0, Graphics::JustifyLeft, false), c.width); // measuring draws nothing
        EXPECT_EQ(font.calls.size(), c.pieces.size());
    }
}

TEST(Graphics, DrawTextJustifiesAcrossWidth)
{
    struct Case
    {
        int justification, expectedX;
    } cases[] = {{Graphics::JustifyLeft, 10}, {Graphics::JustifyCenter, 10 + (100 - 18) / 2}, {Graphics::JustifyRight, 10 + 100 - 18}};
    for (const Case& c : cases)
    {
        FakeFont font;
        Graphics g;
        g.SetFont(&font);
        g.SetColor(Color(1, 2, 3));
        g.DrawText("^FF0000^abc", 10, 0, 100, c.justification);
        ASSERT_EQ(font.calls.size(), 1u);
        EXPECT_EQ(font.calls[0].x, c.expectedX);
        EXPECT_EQ(font.calls[0].color, Color(255, 0, 0)); // the measuring pass did not change the colour first
        EXPECT_EQ(g.DrawText("abc", 10, 0, 100, c.justification, true, 1, 1), 6); // offset and length
    }
}

TEST(Graphics, WrappedTextBreaksAtSpacesAndAlwaysProgresses)
{
    struct Case
    {
        const char* what;
        std::string text;
        int width;
        std::vector<std::string> lines;
        int maxWidth, lastWidth;
    } cases[] = {
        {"breaks at the last space", "aaa bbb ccc", 45, {"aaa bbb", "ccc"}, 42, 18},
        {"skips spaces after a break", "aaa    bbb", 24, {"aaa", "bbb"}, 18, 18},
        {"newline forces a break", "a\nb", 100, {"a", "b"}, 6, 6},
        {"breaks inside a word without spaces", "aaaaaa", 24, {"aaaa", "aa"}, 24, 12},
        {"character wider than the box stands alone", "WWW", 10, {"W", "W", "W"}, 20, 20},
        {"colour codes take no width", "^FF0000^aaaa bb", 24, {"aaaa", "bb"}, 24, 12},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        FakeFont font;
        Graphics g;
        g.SetFont(&font);
        g.SetColor(Color(1, 2, 3));
        int maxWidth = -1, lastWidth = -1;
        int height = g.DrawWrappedText(Rect(5, 100, c.width, 50), c.text, -1, Graphics::JustifyLeft, &maxWidth, -1,
                                       &lastWidth);
        std::vector<std::string> drawn;
        for (const auto& call : font.calls)
        {
            // Pieces of one line share a baseline.
            int line = (call.y - (100 + 8 - 1)) / 12;
            if (static_cast<int>(drawn.size()) <= line)
                drawn.resize(static_cast<size_t>(line) + 1);
            drawn[static_cast<size_t>(line)] += call.text;
            EXPECT_EQ((call.y - (100 + 8 - 1)) % 12, 0);
        }
        EXPECT_EQ(drawn, c.lines);
        EXPECT_EQ(maxWidth, c.maxWidth);
        EXPECT_EQ(lastWidth, c.lastWidth);
        const int lines = static_cast<int>(c.lines.size());
        EXPECT_EQ(height, 100 + 8 - 1 + lines * 12 + 2 - 12);
        EXPECT_EQ(g.GetColor(), Color(1, 2, 3)); // restored after codes
        EXPECT_EQ(g.WrappedTextHeight(c.width, c.text), height - 100);
    }
}

TEST(Graphics, WrappedTextKeepsColourAcrossLines)
{
    FakeFont font;
    Graphics g;
    g.SetFont(&font);
    g.DrawWrappedText(Rect(0, 0, 24, 100), "aaa ^00FF00^bbb ccc");
    ASSERT_EQ(font.calls.size(), 3u);
    EXPECT_EQ(font.calls[2].text, "ccc");
    EXPECT_EQ(font.calls[2].color.ToRGB(), 0x00FF00u);
}

TEST(Graphics, LinesAreClippedToTheClipRectangle)
{
    Canvas canvas(20, 20);
    Graphics g(&canvas.image);
    g.ClipRect(5, 5, 10, 10);
    g.SetColor(Color::White);
    g.DrawLine(0, 0, 19, 19);
    g.DrawLine(19, 10, 0, 10);
    g.DrawLine(0, 0, 3, 19); // wholly left of the clip
    int lit = 0;
    for (int y = 0; y < 20; y++)
    {
        for (int x = 0; x < 20; x++)
        {
            if (canvas.image.GetPixel(x, y) == 0xFFFFFFFF)
            {
                lit++;
                EXPECT_TRUE(Rect(5, 5, 10, 10).Contains(x, y)) << x << "," << y;
            }
        }
    }
    EXPECT_EQ(lit, 10 + 10 - 1);
}
