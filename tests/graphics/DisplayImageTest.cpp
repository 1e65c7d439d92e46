#include "graphics/DisplayImage.h"

#include "graphics/BlitRoutines.h"
#include "graphics/Graphics.h"
#include "ImageCompare.h"

#include <gtest/gtest.h>

#include <vector>

using namespace zest;

namespace
{

// A 4 x 2 sprite: each pixel's blue channel is its column + 1, green its row + 1; column 0 is translucent.
std::unique_ptr<MemoryImage> Sprite()
{
    std::vector<uint32_t> pixels(8);
    for (int y = 0; y < 2; y++)
        for (int x = 0; x < 4; x++)
            pixels[static_cast<size_t>(y * 4 + x)] =
                (x == 0 ? 0x80000000u : 0xFF000000u) | static_cast<uint32_t>((y + 1) << 8) | static_cast<uint32_t>(x + 1);
    auto image = std::make_unique<MemoryImage>();
    image->SetBits(pixels.data(), 4, 2);
    return image;
}

} // namespace

TEST(DisplayImage, StartsOpaqueBlackAndClearsToBlack)
{
    DisplayImage screen(8, 6);
    EXPECT_EQ(screen.GetPixel(3, 3), 0xFF000000u);
    screen.FillRect(Rect(0, 0, 8, 6), Color::White, 0);
    screen.ClearRect(Rect(1, 1, 2, 2));
    EXPECT_EQ(screen.GetPixel(1, 1), 0xFF000000u);
    EXPECT_EQ(screen.GetPixel(3, 3), 0xFFFFFFFFu);
}

TEST(DisplayImage, MirroredBlitsReverseColumnsAndClip)
{
    auto sprite = Sprite();
    struct Case
    {
        const char* what;
        Rect clip;
    } cases[] = {{"whole", Rect(0, 0, 10, 4)}, {"left cut", Rect(3, 0, 10, 4)}, {"right cut", Rect(0, 0, 4, 4)}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        DisplayImage screen(10, 4);
        Graphics g(&screen);
        g.ClipRect(c.clip);
        g.DrawImageMirror(sprite.get(), 2, 1, Rect(0, 0, 4, 2));
        // Expected: plain blit of a mirrored copy, then keep only the clip.
        std::vector<uint32_t> expected(40, 0xFF000000);
        for (int y = 0; y < 2; y++)
            for (int x = 0; x < 4; x++)
            {
                int dx = 2 + x, dy = 1 + y;
                if (c.clip.Contains(dx, dy))
                    expected[static_cast<size_t>(dy * 10 + dx)] =
                        zest::blit::BlendNormalRef(0xFF000000, sprite->GetPixel(3 - x, y), 0xFFFFFFFF);
            }
        EXPECT_TRUE(zest::test::SamePixels("mirror", expected.data(), screen.GetBits(), 10, 4));

        DisplayImage stretched(10, 4);
        Graphics gs(&stretched);
        gs.ClipRect(c.clip);
        gs.DrawImageMirror(sprite.get(), Rect(2, 1, 4, 2), Rect(0, 0, 4, 2));
        EXPECT_TRUE(zest::test::SamePixels("mirror-stretch-1to1", expected.data(), stretched.GetBits(), 10, 4));
    }
    // Stretched twice as wide: each source column covers two destination columns, reversed.
    DisplayImage screen(10, 4);
    Graphics g(&screen);
    g.DrawImageMirror(sprite.get(), Rect(0, 0, 8, 2), Rect(1, 0, 3, 2));
    EXPECT_EQ(screen.GetPixel(0, 0) & 0xFF, 4u);
    EXPECT_EQ(screen.GetPixel(7, 0) & 0xFFu, 2u);
    EXPECT_EQ(screen.GetPixel(8, 0), 0xFF000000u);
}

TEST(DisplayImage, KeepsADirtyRectangleOfWhatWasDrawn)
{
    DisplayImage screen(100, 80);
    EXPECT_EQ(screen.TakeDirtyRect(), Rect(0, 0, 100, 80));
    EXPECT_TRUE(screen.TakeDirtyRect().IsEmpty());
    Graphics g(&screen);
    g.SetColor(Color::White);
    g.FillRect(10, 10, 5, 5);
    auto sprite = Sprite();
    g.DrawImage(sprite.get(), 90, 70);
    EXPECT_EQ(screen.GetDirtyRect(), Rect(10, 10, 84, 62));
    g.FillRect(-10, -10, 5, 5); // off screen: nothing to add
    EXPECT_EQ(screen.TakeDirtyRect(), Rect(10, 10, 84, 62));
}

TEST(DisplayImage, SoftwareCursorIsComposedOverTheCopyOnly)
{
    DisplayImage screen(16, 16);
    MemoryImage cursor;
    std::vector<uint32_t> arrow = {0xFFFFFFFF, 0x00000000, 0x80FF0000, 0xFFFFFFFF};
    cursor.SetBits(arrow.data(), 2, 2);
    screen.SetCursorImage(&cursor, 1, 1);
    screen.TakeDirtyRect();
    screen.SetCursorPos(5, 5);
    EXPECT_EQ(screen.GetCursorRect(), Rect(4, 4, 2, 2));
    EXPECT_EQ(screen.TakeDirtyRect(), Rect(0, 0, 6, 6)); // old place (-1, -1) clipped, and the new one

    std::vector<uint32_t> out(4 * 4, 0x12345678);
    screen.ComposeTo(out.data(), 4 * 4, Rect(3, 3, 4, 4));
    EXPECT_EQ(out[1 * 4 + 1], 0xFFFFFFFFu);                                        // (4, 4)
    EXPECT_EQ(out[1 * 4 + 2], 0xFF000000u);                                        // (5, 4) transparent
    EXPECT_EQ(out[2 * 4 + 1], zest::blit::BlendNormalRef(0xFF000000, 0x80FF0000, 0xFFFFFFFF)); // (4, 5)
    EXPECT_EQ(out[0], 0xFF000000u);
    EXPECT_EQ(screen.GetPixel(4, 4), 0xFF000000u); // the picture itself is untouched
}
