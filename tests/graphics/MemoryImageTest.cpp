#include "graphics/MemoryImage.h"

#include "graphics/BlitRoutines.h"
#include "graphics/DisplayImage.h"
#include "graphics/LiveImageSet.h"
#include "ImageCompare.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace zest;

namespace
{

std::unique_ptr<MemoryImage> MakeImage(const std::vector<uint32_t>& pixels, int w, int h)
{
    auto image = std::make_unique<MemoryImage>();
    image->SetBits(pixels.data(), w, h);
    return image;
}

std::vector<uint32_t> Pixels(MemoryImage& image)
{
    const uint32_t* p = image.GetBits();
    return std::vector<uint32_t>(p, p + static_cast<size_t>(image.GetWidth()) * image.GetHeight());
}

} // namespace

TEST(MemoryImage, CreateGivesZeroedPixelsAndAssumesTransparencyUntilCommitted)
{
    MemoryImage image;
    image.Create(4, 3);
    EXPECT_TRUE(image.hasTransparency);
    EXPECT_TRUE(image.hasAlpha);
    EXPECT_EQ(Pixels(image), std::vector<uint32_t>(12, 0u));
    EXPECT_TRUE(image.hasTransparency && image.hasAlpha);
    image.FillRect(Rect(0, 0, 4, 3), Color(1, 2, 3), 0);
    image.CommitBits();
    EXPECT_FALSE(image.hasTransparency);
    EXPECT_FALSE(image.hasAlpha);
    EXPECT_TRUE(image.CheckGuard());
}

TEST(MemoryImage, CommitBitsClassifiesAlphaUnlessForced)
{
    struct Case
    {
        std::vector<uint32_t> pixels;
        bool transparency, alpha;
    } cases[] = {
        {{0xFF000000, 0xFFFFFFFF}, false, false},
        {{0xFF000000, 0x00FFFFFF}, true, false},
        {{0xFF000000, 0x01FFFFFF}, false, true},
        {{0x00000000, 0xFEFFFFFF}, true, true},
    };
    for (const Case& c : cases)
    {
        auto image = MakeImage(c.pixels, 2, 1);
        EXPECT_EQ(image->hasTransparency, c.transparency);
        EXPECT_EQ(image->hasAlpha, c.alpha);
        image->SetImageMode(false, false);
        image->BitsChanged();
        image->CommitBits();
        EXPECT_FALSE(image->hasTransparency);
        EXPECT_FALSE(image->hasAlpha);
    }
}

TEST(MemoryImage, PaletteRoundTripsAndFailsPastTwoHundredFiftySixColours)
{
    std::vector<uint32_t> few(64 * 8);
    for (size_t i = 0; i < few.size(); i++)
        few[i] = 0x80000000u | static_cast<uint32_t>(i % 256) * 0x010101u;
    auto image = MakeImage(few, 64, 8);
    ASSERT_TRUE(image->ConvertToPalette());
    EXPECT_TRUE(image->IsPalettized());
    EXPECT_FALSE(image->HasBits());
    EXPECT_TRUE(image->wantPalette);
    for (int i = 0; i < 64 * 8; i++)
        ASSERT_EQ(image->GetPixel(i % 64, i / 64), few[static_cast<size_t>(i)]);
    EXPECT_EQ(Pixels(*image), few); // GetBits rebuilds the 32-bit form
    EXPECT_FALSE(image->IsPalettized());

    std::vector<uint32_t> many(257);
    for (size_t i = 0; i < many.size(); i++)
        many[i] = 0xFF000000u | static_cast<uint32_t>(i);
    auto big = MakeImage(many, 257, 1);
    EXPECT_FALSE(big->ConvertToPalette());
    EXPECT_TRUE(big->HasBits());
    EXPECT_FALSE(big->IsPalettized());
    EXPECT_FALSE(big->wantPalette);
    EXPECT_EQ(Pixels(*big), many);
}

TEST(MemoryImage, BlitThroughEveryPathMatchesReference)
{
    std::mt19937 rng(99);
    const int sw = 70, sh = 40, dw = 100, dh = 64;
    auto srcPixels = zest::test::RandomPixels(rng, sw, sh);
    struct Case
    {
        const char* name;
        bool destOpaque, palettised;
        Color color;
        int mode;
    } cases[] = {
        {"opaque-white-normal", true, false, Color::White, 0},
        {"mixed-white-normal", false, false, Color::White, 0},
        {"opaque-white-additive", true, false, Color::White, 1},
        {"mixed-tinted-normal", false, false, Color(200, 100, 50, 180), 0},
        {"opaque-tinted-normal", true, false, Color(136, 136, 255), 0},
        {"opaque-translucent-tint-normal", true, false, Color(200, 100, 50, 180), 0},
        {"palettised-white-normal", true, true, Color::White, 0},
        {"palettised-tinted-onto-mixed", false, true, Color(136, 136, 255), 0},
        {"opaque-tinted-additive", true, false, Color(200, 100, 50, 180), 1},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        // A palettised source needs 256 colours or fewer: the random pixels folded onto 200 of them.
        std::vector<uint32_t> pixels = srcPixels;
        if (c.palettised)
        {
            for (uint32_t& p : pixels)
                p = srcPixels[p % 200];
        }
        auto src = MakeImage(pixels, sw, sh);
        if (c.palettised)
        {
            ASSERT_TRUE(src->ConvertToPalette());
        }
        auto destStart = c.destOpaque ? zest::test::RandomOpaquePixels(rng, dw, dh) : zest::test::RandomPixels(rng, dw, dh);
        auto dest = MakeImage(destStart, dw, dh);
        if (c.destOpaque)
            dest->SetImageMode(false, false);
        Rect srcRect(3, 2, 60, 35);
        dest->Blit(src.get(), 20, 25, srcRect, c.color, c.mode);
        EXPECT_TRUE(src->drawn);

        std::vector<uint32_t> expected = destStart;
        zest::blit::BlitRef(zest::blit::DestPixels{expected.data(), dw, dh}, 20, 25,
                            zest::blit::SourcePixels{pixels.data(), nullptr, nullptr, sw, sh}, srcRect,
                            c.color.ToARGB(), c.mode, false);
        EXPECT_TRUE(zest::test::SamePixels(c.name, expected.data(), Pixels(*dest).data(), dw, dh));
        EXPECT_TRUE(dest->CheckGuard());
    }
}

TEST(MemoryImage, PalettisedSourceBlitsLikeItsPixels)
{
    std::vector<uint32_t> pixels(16 * 16);
    for (size_t i = 0; i < pixels.size(); i++)
        pixels[i] = (i % 3 == 0 ? 0x00000000u : i % 3 == 1 ? 0xFFFF0000u : 0x8000FF00u) + static_cast<uint32_t>(i % 7);
    auto plain = MakeImage(pixels, 16, 16);
    auto palettised = MakeImage(pixels, 16, 16);
    ASSERT_TRUE(palettised->ConvertToPalette());
    for (int mode : {0, 1})
    {
        std::vector<uint32_t> start(24 * 24, 0xFF203040);
        auto a = MakeImage(start, 24, 24);
        auto b = MakeImage(start, 24, 24);
        a->Blit(plain.get(), 4, 4, Rect(0, 0, 16, 16), Color::White, mode);
        b->Blit(palettised.get(), 4, 4, Rect(0, 0, 16, 16), Color::White, mode);
        EXPECT_TRUE(zest::test::SamePixels("palette-" + std::to_string(mode), Pixels(*a).data(), Pixels(*b).data(),
                                           24, 24));
    }
    EXPECT_TRUE(palettised->IsPalettized()); // drawing from it kept the compact form
}

TEST(MemoryImage, FillWithAlphaZeroOntoTransparentPixelChangesNothing)
{
    MemoryImage image;
    image.Create(2, 2);
    int changes = image.bitsChangedCount;
    image.FillRect(Rect(0, 0, 2, 2), Color(255, 255, 255, 0), 0);
    EXPECT_EQ(Pixels(image), std::vector<uint32_t>(4, 0u));
    EXPECT_EQ(image.bitsChangedCount, changes);
    image.FillRect(Rect(0, 0, 1, 1), Color(255, 0, 0, 128), 0);
    EXPECT_EQ(image.GetPixel(0, 0), 0x80FE0000u); // weight 255 onto alpha 0
}

// Bad rectangles and sizes reach the image directly (the drawing context passes the scaled and
// rotated forms through unclipped): nothing is drawn and nothing outside the source is read.
TEST(MemoryImage, BlitsWithBadRectanglesDrawNothing)
{
    std::vector<uint32_t> srcPixels(8 * 8, 0xFFFFFFFF);
    auto src = MakeImage(srcPixels, 8, 8);
    const std::vector<uint32_t> start(16 * 16, 0xFF000000);
    const Rect clip(0, 0, 16, 16);
    struct Case
    {
        const char* what;
        std::function<void(MemoryImage&)> draw;
    } cases[] = {
        {"stretch from outside the source", [&](MemoryImage& d) { d.StretchBlit(src.get(), Rect(0, 0, 16, 16), Rect(8, 8, 8, 8), clip, Color::White, 0, false); }},
        {"stretch from far negative source", [&](MemoryImage& d) { d.StretchBlit(src.get(), Rect(0, 0, 16, 16), Rect(-100, -100, 50, 50), clip, Color::White, 0, false); }},
        {"stretch to zero width", [&](MemoryImage& d) { d.StretchBlit(src.get(), Rect(0, 0, 0, 16), Rect(0, 0, 8, 8), clip, Color::White, 0, false); }},
        {"stretch to negative height", [&](MemoryImage& d) { d.StretchBlit(src.get(), Rect(0, 0, 16, -4), Rect(0, 0, 8, 8), clip, Color::White, 0, false); }},
        {"stretch from empty source rect", [&](MemoryImage& d) { d.StretchBlit(src.get(), Rect(0, 0, 16, 16), Rect(0, 0, 0, 8), clip, Color::White, 0, true); }},
        {"rotate from outside the source", [&](MemoryImage& d) { d.BlitRotated(src.get(), 4, 4, Rect(20, 0, 8, 8), clip, Color::White, 0, 0.5, 4, 4); }},
        {"rotate with NaN angle", [&](MemoryImage& d) { d.BlitRotated(src.get(), 4, 4, Rect(0, 0, 8, 8), clip, Color::White, 0, std::nan(""), 4, 4); }},
        {"float blit from outside", [&](MemoryImage& d) { d.BlitFloat(src.get(), 2.5f, 2.5f, Rect(-9, -9, 8, 8), clip, Color::White, 0); }},
        {"float blit at infinity", [&](MemoryImage& d) { d.BlitFloat(src.get(), INFINITY, 2.5f, Rect(0, 0, 8, 8), clip, Color::White, 0); }},
        {"float blit at huge position", [&](MemoryImage& d) { d.BlitFloat(src.get(), 3e9f, -3e9f, Rect(0, 0, 8, 8), clip, Color::White, 0); }},
        {"transform that collapses", [&](MemoryImage& d) { Matrix3 m; m.m[0][0] = 0; m.m[1][1] = 0; d.BlitTransformed(src.get(), 8, 8, m, clip, Color::White, 0, Rect(0, 0, 8, 8), false); }},
        {"empty clip", [&](MemoryImage& d) { d.BlitRotated(src.get(), 4, 4, Rect(0, 0, 8, 8), Rect(0, 0, 0, 0), Color::White, 0, 1.0, 4, 4); }},
        {"plain blit from outside", [&](MemoryImage& d) { d.Blit(src.get(), 0, 0, Rect(8, 0, 8, 8), Color::White, 0); }},
        {"plain blit past the destination", [&](MemoryImage& d) { d.Blit(src.get(), 16, 16, Rect(0, 0, 8, 8), Color::White, 0); }},
        {"null source", [&](MemoryImage& d) { d.Blit(nullptr, 0, 0, Rect(0, 0, 8, 8), Color::White, 0); }},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        auto dest = MakeImage(start, 16, 16);
        c.draw(*dest);
        EXPECT_TRUE(zest::test::SamePixels("bad-rect", start.data(), Pixels(*dest).data(), 16, 16));
        EXPECT_TRUE(dest->CheckGuard());
    }
}

TEST(MemoryImage, PartlyOutsideSourceDrawsOnlyTheInsidePart)
{
    std::vector<uint32_t> srcPixels(4 * 4, 0xFFFFFFFF);
    auto src = MakeImage(srcPixels, 4, 4);
    auto dest = MakeImage(std::vector<uint32_t>(8 * 8, 0xFF000000), 8, 8);
    // Source x from 2 to 6 at scale 1:2 -> only source columns 2..3 exist: destination columns 0..3.
    dest->StretchBlit(src.get(), Rect(0, 0, 8, 8), Rect(2, 0, 4, 4), Rect(0, 0, 8, 8), Color::White, 0, true);
    for (int x = 0; x < 8; x++)
        EXPECT_EQ(dest->GetPixel(x, 3), x < 4 ? 0xFFFFFFFFu : 0xFF000000u) << x;
}

// Any image takes mirrored drawing, as the screen does: the editor's test play and garden picture draw the
// level (the bee faces left by a mirrored blit) into images of their own.
TEST(MemoryImage, MirroredBlitsDrawOnAPlainImageAsOnTheScreen)
{
    std::vector<uint32_t> sprite(4 * 3);
    for (size_t i = 0; i < sprite.size(); i++)
        sprite[i] = 0xFF000000u | static_cast<uint32_t>(i * 0x151B2Du) | (i % 3 == 0 ? 0 : 0x80u);
    sprite[5] = 0x80FF4020u; // half see-through
    sprite[6] = 0;           // see-through
    auto src = MakeImage(sprite, 4, 3);
    struct Case
    {
        const char* name;
        void (*draw)(Image& dest, Image& source);
    };
    const Case cases[] = {
        {"mirror", [](Image& d, Image& s) { d.BlitMirror(&s, 1, 2, Rect(0, 0, 4, 3), Color::White, 0); }},
        {"mirror, clipped source", [](Image& d, Image& s) { d.BlitMirror(&s, -2, 0, Rect(1, 0, 3, 3), Color::White, 0); }},
        {"mirror stretch 1:1",
         [](Image& d, Image& s)
         { d.StretchBlitMirror(&s, Rect(3, 1, 4, 3), Rect(0, 0, 4, 3), Rect(0, 0, 8, 6), Color::White, 0, true); }},
        {"mirror stretch 2:1",
         [](Image& d, Image& s)
         { d.StretchBlitMirror(&s, Rect(0, 0, 8, 6), Rect(0, 0, 4, 3), Rect(0, 0, 8, 5), Color::White, 0, true); }},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        auto plain = MakeImage(std::vector<uint32_t>(8 * 6, 0xFF102030u), 8, 6);
        DisplayImage screen(8, 6);
        screen.SetBits(plain->GetBits(), 8, 6);
        c.draw(*plain, *src);
        c.draw(screen, *src);
        EXPECT_NE(Pixels(*plain), std::vector<uint32_t>(8 * 6, 0xFF102030u)); // something was drawn
        EXPECT_TRUE(zest::test::SamePixels(c.name, screen.GetBits(), plain->GetBits(), 8, 6));
    }
}

TEST(MemoryImage, RotatedBlitTurnsCounterClockwiseAboutTheCentre)
{
    // A 3 x 1 bar of three colours, turned by 90 degrees about its middle pixel's centre (1.5, 0.5):
    // the right end goes up.
    const std::vector<uint32_t> bar = {0xFF0000FF, 0xFF00FF00, 0xFFFF0000};
    auto src = MakeImage(bar, 3, 1);
    auto dest = MakeImage(std::vector<uint32_t>(25, 0xFF000000), 5, 5);
    dest->BlitRotated(src.get(), 1, 2, Rect(0, 0, 3, 1), Rect(0, 0, 5, 5), Color::White, 0, 3.14159265358979 / 2,
                      1.5f, 0.5f);
    EXPECT_EQ(dest->GetPixel(2, 1), 0xFFFF0000u);
    EXPECT_EQ(dest->GetPixel(2, 2), 0xFF00FF00u);
    EXPECT_EQ(dest->GetPixel(2, 3), 0xFF0000FFu);
    EXPECT_EQ(dest->GetPixel(1, 2), 0xFF000000u);
}

TEST(MemoryImage, LinesCoverBothEndsAndStayInside)
{
    auto image = MakeImage(std::vector<uint32_t>(10 * 10, 0xFF000000), 10, 10);
    image->DrawLine(0, 0, 9, 9, Color::White, 0);
    image->DrawLine(-50, 5, 50, 5, Color::White, 0); // reaches past both sides: clipped per pixel
    int lit = 0;
    for (uint32_t p : Pixels(*image))
        lit += p == 0xFFFFFFFF;
    EXPECT_EQ(lit, 10 + 10 - 1);
    EXPECT_EQ(image->GetPixel(9, 9), 0xFFFFFFFFu);
    image->DrawLineSmooth(0.5, 2.5, 9.5, 2.5, Color(255, 0, 0), 0);
    EXPECT_EQ(image->GetPixel(4, 2), 0xFFFF0000u); // exactly on pixel centres: full coverage
    EXPECT_TRUE(image->CheckGuard());
}

TEST(MemoryImage, RegistersInItsLiveSetForItsLifetime)
{
    LiveImageSet set;
    {
        MemoryImage a(&set);
        a.Create(2, 2);
        MemoryImage b(a);
        EXPECT_EQ(set.GetCount(), 2);
        EXPECT_TRUE(set.Contains(&b));
        int seen = 0;
        set.ForEach([&](MemoryImage*) { seen++; });
        EXPECT_EQ(seen, 2);
    }
    EXPECT_EQ(set.GetCount(), 0);
    MemoryImage loose;
    EXPECT_EQ(set.GetCount(), 0);
}

TEST(MemoryImage, SetBitsWithItsOwnBufferDoesNothing)
{
    auto image = MakeImage({0xFF000001, 0xFF000002}, 2, 1);
    int changes = image->bitsChangedCount;
    image->SetBits(image->GetBits(), 2, 1);
    EXPECT_EQ(image->bitsChangedCount, changes);
    EXPECT_EQ(image->GetPixel(1, 0), 0xFF000002u);
}

TEST(MemoryImage, OpaqueSourceIsCopiedExactly)
{
    std::mt19937 rng(5);
    const auto srcPixels = zest::test::RandomOpaquePixels(rng, 30, 20);
    struct Case
    {
        const char* what;
        int destW, destH, x, y;
        Rect srcRect;
    } cases[] = {
        {"full width rows back to back", 30, 20, 0, 0, Rect(0, 0, 30, 20)},
        {"full width, fewer rows", 30, 20, 0, 5, Rect(0, 3, 30, 10)},
        {"into a wider image", 50, 30, 7, 4, Rect(0, 0, 30, 20)},
        {"part of the source", 30, 20, 2, 2, Rect(5, 5, 20, 10)},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        auto src = MakeImage(srcPixels, 30, 20);
        auto start = zest::test::RandomPixels(rng, c.destW, c.destH);
        auto dest = MakeImage(start, c.destW, c.destH);
        dest->Blit(src.get(), c.x, c.y, c.srcRect, Color::White, 0);
        std::vector<uint32_t> expected = start;
        zest::blit::BlitRef(zest::blit::DestPixels{expected.data(), c.destW, c.destH}, c.x, c.y,
                            zest::blit::SourcePixels{srcPixels.data(), nullptr, nullptr, 30, 20}, c.srcRect,
                            zest::blit::WhiteColor, 0, false);
        EXPECT_TRUE(zest::test::SamePixels("opaque-copy", expected.data(), Pixels(*dest).data(), c.destW, c.destH));
        EXPECT_TRUE(dest->CheckGuard());
    }
}

// A source drawn while opaque (copied, no run-length table built) and then given transparent and
// translucent pixels is blended by its new pixels on the next blit, onto an opaque destination
// (the vector rows) and onto a mixed one.
TEST(MemoryImage, SourceThatLosesItsOpacityIsBlendedByItsNewPixels)
{
    std::mt19937 rng(8);
    const auto srcPixels = zest::test::RandomOpaquePixels(rng, 40, 12);
    for (bool destOpaque : {true, false})
    {
        SCOPED_TRACE(destOpaque ? "opaque destination" : "mixed destination");
        auto src = MakeImage(srcPixels, 40, 12);
        const auto start = destOpaque ? zest::test::RandomOpaquePixels(rng, 50, 20) : zest::test::RandomPixels(rng, 50, 20);
        auto dest = MakeImage(start, 50, 20);
        if (destOpaque)
            dest->SetImageMode(false, false);
        dest->Blit(src.get(), 3, 2, Rect(0, 0, 40, 12), Color::White, 0);
        src->ClearRect(Rect(5, 2, 20, 6));
        src->FillRect(Rect(30, 0, 6, 12), Color(10, 200, 30, 100), 0);
        dest->Blit(src.get(), 3, 2, Rect(0, 0, 40, 12), Color::White, 0);

        std::vector<uint32_t> expected = start;
        const zest::blit::DestPixels expectedView{expected.data(), 50, 20};
        zest::blit::BlitRef(expectedView, 3, 2, zest::blit::SourcePixels{srcPixels.data(), nullptr, nullptr, 40, 12},
                            Rect(0, 0, 40, 12), zest::blit::WhiteColor, 0, false);
        const std::vector<uint32_t> changed = Pixels(*src);
        zest::blit::BlitRef(expectedView, 3, 2, zest::blit::SourcePixels{changed.data(), nullptr, nullptr, 40, 12},
                            Rect(0, 0, 40, 12), zest::blit::WhiteColor, 0, false);
        EXPECT_TRUE(zest::test::SamePixels("lost-opacity", expected.data(), Pixels(*dest).data(), 50, 20));
    }
}
