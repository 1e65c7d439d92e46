#include "graphics/BlitRoutines.h"

#include "ImageCompare.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

using namespace zest;
using namespace zest::blit;

namespace
{

// The blending rules written out independently of the code under test, in floating point where
// the rule divides, then truncated as integer division does.
uint32_t ExpectedNormal(uint32_t d, uint32_t s, uint32_t c)
{
    auto ch = [](uint32_t p, int shift) { return static_cast<int>((p >> shift) & 0xFF); };
    bool white = c == 0xFFFFFFFF;
    int a = white ? ch(s, 24) : ch(c, 24) * ch(s, 24) / 255;
    if (a == 0)
        return d;
    int sc[3];
    for (int k = 0; k < 3; k++)
        sc[k] = white ? ch(s, 16 - 8 * k) : ch(s, 16 - 8 * k) * ch(c, 16 - 8 * k) / 255;
    if (a == 255)
        return 0xFF000000u | (sc[0] << 16) | (sc[1] << 8) | sc[2];
    int da = ch(d, 24);
    int o = da + (255 - da) * a / 255;
    int w = a * 255 / o;
    uint32_t out = static_cast<uint32_t>(o) << 24;
    for (int k = 0; k < 3; k++)
        out |= static_cast<uint32_t>((sc[k] * w + ch(d, 16 - 8 * k) * (256 - w)) / 256) << (16 - 8 * k);
    return out;
}

std::vector<uint32_t> Drawn(const std::vector<uint32_t>& start, int w, int h,
                          const std::function<void(const DestPixels&)>& draw)
{
    std::vector<uint32_t> out = start;
    draw(DestPixels{out.data(), w, h});
    return out;
}

} // namespace

TEST(BlitRoutines, NormalBlendFollowsTheFormula)
{
    struct Case
    {
        const char* what;
        uint32_t dest, src, color, expected;
    } cases[] = {
        {"opaque source replaces", 0xFF123456, 0xFFABCDEF, WhiteColor, 0xFFABCDEF},
        {"opaque source onto transparent", 0x00000000, 0xFFFFFFFF, WhiteColor, 0xFFFFFFFF},
        {"transparent source leaves dest", 0x80123456, 0x00FFFFFF, WhiteColor, 0x80123456},
        {"half red onto opaque blue", 0xFF0000FF, 0x80FF0000, WhiteColor, 0xFF7F007F},
        {"half red onto transparent", 0x00000000, 0x80FF0000, WhiteColor, 0x80FE0000},
        {"half red onto half blue", 0x800000FF, 0x80FF0000, WhiteColor, 0xBFA90055},
        {"alpha 1 onto black", 0xFF000000, 0x01FFFFFF, WhiteColor, 0xFF000000},
        {"alpha 254 onto black", 0xFF000000, 0xFEFFFFFF, WhiteColor, 0xFFFDFDFD},
        {"white through half red colour", 0xFF000000, 0xFFFFFFFF, 0x80FF0000, 0xFF7F0000},
        {"grey through opaque green colour", 0xFF000000, 0xFF808080, 0xFF00FF00, 0xFF008000},
        {"transparent colour draws nothing", 0xFF102030, 0xFFFFFFFF, 0x00FFFFFF, 0xFF102030},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(BlendNormalRef(c.dest, c.src, c.color), c.expected);
        EXPECT_EQ(ExpectedNormal(c.dest, c.src, c.color), c.expected);
    }
}

TEST(BlitRoutines, NormalBlendMatchesIndependentFormulaOnRandomPixels)
{
    std::mt19937 rng(7);
    const uint32_t colors[] = {WhiteColor, 0x80FF8040, 0xFF00FF00, 0x01FFFFFF, 0xFEFFFFFF};
    for (int i = 0; i < 200000; i++)
    {
        uint32_t d = rng(), s = rng(), c = colors[i % 5];
        ASSERT_EQ(BlendNormalRef(d, s, c), ExpectedNormal(d, s, c)) << std::hex << d << " " << s << " " << c;
    }
}

TEST(BlitRoutines, AdditiveBlendSaturatesAndKeepsDestAlpha)
{
    struct Case
    {
        const char* what;
        uint32_t dest, src, color, expected;
    } cases[] = {
        {"white on white saturates", 0xFFFFFFFF, 0xFFFFFFFF, WhiteColor, 0xFFFFFFFF},
        {"dest alpha kept", 0x80FFFFFF, 0xFFFFFFFF, WhiteColor, 0x80FFFFFF},
        {"transparent dest alpha kept", 0x00102030, 0xFF010101, WhiteColor, 0x00112131},
        {"translucent source scaled by alpha/256", 0xFF000010, 0x80FF0000, WhiteColor, 0xFF7F0010},
        {"transparent source adds nothing", 0xFF102030, 0x00FFFFFF, WhiteColor, 0xFF102030},
        {"colour alpha and channel scale", 0xFF000000, 0xFFFF0000, 0x80FFFFFF, 0xFF800000},
        {"colour channel 0 adds nothing", 0xFF000000, 0xFFFFFFFF, 0xFF00FF00, 0xFF00FF00},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(BlendAdditiveRef(c.dest, c.src, c.color), c.expected);
    }
}

TEST(BlitRoutines, RunLengthTablesAndRowSpansFollowTheRows)
{
    // Row 0: 300 opaque, 2 transparent, 3 translucent; row 1 all opaque (305).
    const int w = 305;
    std::vector<uint32_t> pixels(static_cast<size_t>(w) * 2, 0xFF000000);
    pixels[300] = pixels[301] = 0x00000000;
    pixels[302] = 0x80000000;
    pixels[303] = 0x01000000;
    pixels[304] = 0xFE000000;
    std::vector<uint8_t> rle(pixels.size());
    BuildRunLengthAlpha(SourcePixels{pixels.data(), nullptr, nullptr, w, 2}, rle.data());
    struct Case
    {
        int index, expected;
    } cases[] = {{0, 255}, {45, 255}, {46, 254}, {299, 1}, {300, 2}, {301, 1}, {302, 3}, {304, 1}, {w, 255},
                 {w + 49, 255}, {w + 50, 255}, {w + 51, 254}, {2 * w - 1, 1}};
    for (const Case& c : cases)
        EXPECT_EQ(rle[c.index], c.expected) << "index " << c.index;

    // Row spans: row 0's visible pixels end at 305 with its opaque run 0-300, row 1 is one run.
    std::vector<RowSpan> spans(2);
    BuildRowSpans(SourcePixels{pixels.data(), nullptr, nullptr, w, 2}, 1, spans.data());
    EXPECT_EQ(std::vector<int>({spans[0].first, spans[0].end, spans[0].opaqueFirst, spans[0].opaqueEnd}),
              std::vector<int>({0, 305, 0, 300}));
    EXPECT_EQ(std::vector<int>({spans[1].first, spans[1].end, spans[1].opaqueFirst, spans[1].opaqueEnd}),
              std::vector<int>({0, 305, 0, 305}));
    // Short opaque runs are not filled; a transparent gap of 64 between visible pixels makes a row
    // walk, one at either end or of 63 does not.
    struct SpanCase
    {
        const char* what;
        std::vector<int> runs; // alternating lengths: transparent, opaque, ...
        RowSpan expected;
    } spanCases[] = {
        {"short opaque run", {3, 15, 2}, {3, 18, 0, 0, false}}, {"run of 16", {3, 16, 2}, {3, 19, 3, 19, false}},
        {"gap of 64", {0, 16, 64, 1}, {0, 81, 0, 16, true}},    {"gap of 63", {0, 16, 63, 1}, {0, 80, 0, 16, false}},
        {"wide ends", {70, 20, 70}, {70, 90, 70, 90, false}},   {"empty", {40}, {0, 0, 0, 0, false}},
    };
    for (const SpanCase& c : spanCases)
    {
        std::vector<uint32_t> row;
        for (size_t k = 0; k < c.runs.size(); k++)
            row.insert(row.end(), static_cast<size_t>(c.runs[k]), k % 2 ? 0xFF102030u : 0x00102030u);
        RowSpan got;
        BuildRowSpans(SourcePixels{row.data(), nullptr, nullptr, static_cast<int>(row.size()), 1}, 1, &got);
        EXPECT_EQ(std::vector<int>({got.first, got.end, got.opaqueFirst, got.opaqueEnd, got.walk}),
                  std::vector<int>({c.expected.first, c.expected.end, c.expected.opaqueFirst, c.expected.opaqueEnd,
                                    c.expected.walk}))
            << c.what;
    }

    // Additive classes: black and transparent add nothing and share a run.
    uint32_t add[] = {0x00FFFFFF, 0xFF000000, 0x80000000, 0xFFFFFFFF, 0x80FFFFFF};
    uint8_t addRle[5];
    BuildRunLengthAdditive(SourcePixels{add, nullptr, nullptr, 5, 1}, addRle);
    EXPECT_EQ(std::vector<int>(addRle, addRle + 5), (std::vector<int>{3, 2, 1, 1, 1}));
}

// Every fast path against the reference on seeded random pixels, on opaque and on mixed destinations.
TEST(BlitRoutines, FastPathsMatchReference)
{
    std::mt19937 rng(12345);
    const int sw = 97, sh = 23, dw = 140, dh = 60;
    auto src = zest::test::RandomPixels(rng, sw, sh);
    std::vector<uint8_t> rle(src.size()), addRle(src.size());
    SourcePixels view{src.data(), nullptr, nullptr, sw, sh};
    BuildRunLengthAlpha(view, rle.data());
    BuildRunLengthAdditive(view, addRle.data());
    std::vector<uint32_t> prescaled(src.size());
    BuildAdditivePrescaled(view, prescaled.data());
    const auto opaqueDest = zest::test::RandomOpaquePixels(rng, dw, dh);
    const auto mixedDest = zest::test::RandomPixels(rng, dw, dh);
    const Rect srcRects[] = {{0, 0, sw, sh}, {5, 3, 60, 17}, {96, 0, 1, 23}};
    for (bool opaque : {true, false})
    {
        const auto& start = opaque ? opaqueDest : mixedDest;
        for (const Rect& sr : srcRects)
        {
            for (Simd simd : AvailableSimd())
            {
                std::string name = std::string(opaque ? "opaque" : "mixed") + "-" + std::to_string(sr.x) + "-simd" +
                                   std::to_string(static_cast<int>(simd));
                auto expectNormal = Drawn(start, dw, dh, [&](auto& d) { BlitRef(d, 7, 9, view, sr, WhiteColor, 0, false); });
                auto gotNormal = Drawn(start, dw, dh,
                                     [&](auto& d) { BlitNormalRle(d, 7, 9, src.data(), sw, rle.data(), sr, opaque, false, simd); });
                EXPECT_TRUE(zest::test::SamePixels("normal-" + name, expectNormal.data(), gotNormal.data(), dw, dh));
                auto expectAdd = Drawn(start, dw, dh, [&](auto& d) { BlitRef(d, 7, 9, view, sr, WhiteColor, 1, false); });
                auto gotAdd = Drawn(start, dw, dh, [&](auto& d) {
                    BlitAdditiveRle(d, 7, 9, src.data(), sw, addRle.data(), nullptr, sr, simd);
                });
                EXPECT_TRUE(zest::test::SamePixels("additive-" + name, expectAdd.data(), gotAdd.data(), dw, dh));
                auto gotPrescaled = Drawn(start, dw, dh, [&](auto& d) {
                    BlitAdditiveRle(d, 7, 9, src.data(), sw, addRle.data(), prescaled.data(), sr, simd);
                });
                EXPECT_TRUE(zest::test::SamePixels("additive-prescaled-" + name, expectAdd.data(), gotPrescaled.data(),
                                                   dw, dh));
            }
        }
        for (uint32_t color : {0xFF000000u | 0x123456u, 0x80FFFFFFu, 0x7F00FF00u, 0xFFFFFFFEu, 0x01FFFFFFu,
                               0xFEFFFFFFu, 0xFFFFFFFFu})
        {
            std::string name = std::string(opaque ? "opaque" : "mixed") + "-" + std::to_string(color);
            Rect r(3, 4, 120, 50);
            auto expectFill = Drawn(start, dw, dh, [&](auto& d) { FillRectRef(d, r, color); });
            auto gotFill = Drawn(start, dw, dh, [&](auto& d) { FillRectFast(d, r, color, opaque); });
            EXPECT_TRUE(zest::test::SamePixels("fill-" + name, expectFill.data(), gotFill.data(), dw, dh));
            for (int mode : {0, 1})
            {
                for (bool mirror : {false, true})
                {
                    Rect destRect(-10, 2, 150, 31), area(0, 2, 139, 31);
                    auto expect = Drawn(start, dw, dh,
                                      [&](auto& d) { StretchRef(d, area, destRect, view, srcRects[1], color, mode, mirror); });
                    for (Simd simd : AvailableSimd())
                    {
                        auto got = Drawn(start, dw, dh, [&](auto& d) {
                            StretchFast(d, area, destRect, view, srcRects[1], color, mode, mirror, opaque, simd);
                        });
                        EXPECT_TRUE(zest::test::SamePixels("stretch-" + name + "-" + std::to_string(mode) +
                                                               (mirror ? "m" : "") + "-simd" +
                                                               std::to_string(static_cast<int>(simd)),
                                                           expect.data(), got.data(), dw, dh));
                    }
                }
                AffineMap map;
                ASSERT_TRUE(MakeAffineMap(0.8, 0.6, -0.6, 0.8, 40.3, 20.7, map));
                Rect area(0, 0, dw, dh);
                auto expect = Drawn(start, dw, dh, [&](auto& d) { AffineRef(d, area, view, srcRects[0], map, color, mode); });
                for (Simd simd : AvailableSimd())
                {
                    auto got = Drawn(start, dw, dh, [&](auto& d) {
                        AffineFast(d, area, view, srcRects[0], map, color, mode, opaque, simd);
                    });
                    EXPECT_TRUE(zest::test::SamePixels("affine-" + name + "-" + std::to_string(mode) + "-simd" +
                                                           std::to_string(static_cast<int>(simd)),
                                                       expect.data(), got.data(), dw, dh));
                }
            }
        }
    }
}

// Every vector level (scalar, SSE2, AVX2 where the processor has it) against the reference over
// sprites whose runs end on and off the eight-pixel groups, clip rectangles that start and end
// anywhere in a group, and colours that tint, fade or leave the sprite unchanged.
TEST(BlitRoutines, EveryVectorLevelMatchesReferenceOverSpritesClipsAndColours)
{
    std::mt19937 rng(99);
    struct Sprite
    {
        const char* what;
        int width, height;
        std::vector<uint32_t> pixels;
        int columns = 1; // cel columns of a sheet
    };
    auto shaped = [&](int w, int h, auto alphaAt) {
        std::vector<uint32_t> p(static_cast<size_t>(w) * static_cast<size_t>(h));
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++)
                p[static_cast<size_t>(y * w + x)] = (static_cast<uint32_t>(alphaAt(x, y)) << 24) | (rng() & 0xFFFFFF);
        return p;
    };
    std::vector<Sprite> sprites;
    sprites.push_back({"random", 37, 9, zest::test::RandomPixels(rng, 37, 9)});
    // Opaque middles longer than the 255-pixel run cap, soft edges, transparent sides.
    sprites.push_back({"wide runs", 300, 4, shaped(300, 4, [](int x, int y) {
                           int edge = 3 + y * 5;
                           if (x < edge || x >= 300 - edge)
                               return 0;
                           return x < edge + 2 || x >= 298 - edge ? 90 + x % 7 : 255;
                       })});
    // Narrower than one group: every row is a tail.
    sprites.push_back({"narrow", 5, 6, shaped(5, 6, [](int x, int y) { return (x * 60 + y * 30) % 256; })});
    sprites.push_back({"transparent", 20, 3, shaped(20, 3, [](int, int) { return 0; })});
    // A soft disc: each row's span starts and ends anywhere in a group, with its opaque middle
    // from shorter than a filled run to long (the row-span kernels' common case).
    sprites.push_back({"disc", 45, 45,
                       shaped(45, 45,
                              [](int x, int y)
                              {
                                  double d = std::hypot(x - 22.0, y - 22.0);
                                  return d < 17.0 ? 255 : (d < 21.0 ? static_cast<int>((21.0 - d) * 60.0) : 0);
                              })});
    // A sheet of three cels 24 wide: a disc, an opaque block, a faint glow. Its row spans are kept
    // per cel; a blit of one cel must take its cel's span, not the sheet row's.
    sprites.push_back({"sheet", 72, 20,
                       shaped(72, 20,
                              [](int x, int y)
                              {
                                  const int c = x / 24, cx = x % 24;
                                  if (c == 0)
                                  {
                                      double d = std::hypot(cx - 11.5, y - 9.5);
                                      return d < 8.0 ? 255 : (d < 10.0 ? static_cast<int>((10.0 - d) * 120.0) : 0);
                                  }
                                  if (c == 1)
                                      return cx >= 2 && cx < 22 && y > 0 ? 255 : 0;
                                  return cx >= 5 && cx < 19 ? 20 + y : 0;
                              }),
                       3});
    // Rows with gaps: an opaque run, then a transparent gap past the walking threshold (row 0) or
    // short of it (row 1), then translucent and opaque runs; row 2 translucent only.
    sprites.push_back({"gaps", 150, 3,
                       shaped(150, 3,
                              [](int x, int y)
                              {
                                  if (y == 2)
                                      return x % 5 == 0 ? 0 : 1 + x;
                                  const int gapEnd = y == 0 ? 100 : 60;
                                  if (x < 2 || (x >= 30 && x < gapEnd))
                                      return 0;
                                  return x < 30 || x > gapEnd + 20 ? 255 : 128;
                              })});
    sprites.push_back({"black opaque", 19, 3, std::vector<uint32_t>(57, 0xFF000000)});

    const uint32_t colors[] = {WhiteColor, 0xFF123456, 0x80FFFFFF, 0x7F00FF00, 0xFEFFFFFF, 0x01FFFFFF};
    const int dw = 320, dh = 48;
    const auto opaqueDest = zest::test::RandomOpaquePixels(rng, dw, dh);
    const auto mixedDest = zest::test::RandomPixels(rng, dw, dh);
    for (const Sprite& sprite : sprites)
    {
        SourcePixels view{sprite.pixels.data(), nullptr, nullptr, sprite.width, sprite.height};
        std::vector<uint8_t> rle(sprite.pixels.size()), addRle(sprite.pixels.size());
        std::vector<uint32_t> prescaled(sprite.pixels.size());
        std::vector<RowSpan> spans(static_cast<size_t>(sprite.height * sprite.columns));
        BuildRowSpans(view, sprite.columns, spans.data());
        BuildRunLengthAlpha(view, rle.data());
        BuildRunLengthAdditive(view, addRle.data());
        BuildAdditivePrescaled(view, prescaled.data());
        const int w = sprite.width, h = sprite.height;
        // Clips: whole, starting 1, 3, 7 or 9 pixels in, ending 1 or 9 pixels short, one column.
        std::vector<Rect> clips = {{0, 0, w, h},
                                   {std::min(1, w - 1), 0, w - std::min(1, w - 1), h},
                                   {std::min(3, w - 1), 1 % h, w - std::min(3, w - 1), h - 1 % h},
                                   {std::min(7, w - 1), 0, std::max(1, w - 8), h},
                                   {std::min(9, w - 1), 0, std::max(1, w - 18), h},
                                   {0, 0, std::max(1, w - 1), h},
                                   {w - 1, 0, 1, h}};
        // A sheet's cels whole and cut, and a rectangle across two cels.
        const int celWidth = w / sprite.columns;
        for (int c = 0; sprite.columns > 1 && c < sprite.columns; c++)
        {
            clips.push_back({c * celWidth, 0, celWidth, h});
            clips.push_back({c * celWidth + 2, 1, celWidth - 5, h - 1});
        }
        if (sprite.columns > 1)
            clips.push_back({celWidth - 3, 0, 6, h});
        for (const Rect& clip : clips)
        {
            for (bool opaque : {true, false})
            {
                const auto& start = opaque ? opaqueDest : mixedDest;
                for (uint32_t color : colors)
                {
                    const bool white = color == WhiteColor;
                    auto expectNormal =
                        Drawn(start, dw, dh, [&](auto& d) { BlitRef(d, 2, 1, view, clip, color, 0, false); });
                    auto expectAdd = Drawn(start, dw, dh, [&](auto& d) { BlitRef(d, 2, 1, view, clip, color, 1, false); });
                    for (Simd simd : AvailableSimd())
                    {
                        char name[128];
                        std::snprintf(name, sizeof name, "%s clip(%d,%d,%d) %s colour %08X simd %d", sprite.what,
                                      clip.x, clip.y, clip.width, opaque ? "opaque" : "mixed", color,
                                      static_cast<int>(simd));
                        for (const RowSpan* rowSpans :
                             {static_cast<const RowSpan*>(nullptr), static_cast<const RowSpan*>(spans.data())})
                        {
                            auto got = Drawn(start, dw, dh,
                                             [&](auto& d)
                                             {
                                                 if (white)
                                                     BlitNormalRle(d, 2, 1, sprite.pixels.data(), w, rle.data(), clip,
                                                                   opaque, false, simd,
                                                                   SpanTable{rowSpans, sprite.columns});
                                                 else
                                                     BlitTintedRle(d, 2, 1, sprite.pixels.data(), w, rle.data(), clip,
                                                                   color, opaque, simd,
                                                                   SpanTable{rowSpans, sprite.columns});
                                             });
                            EXPECT_TRUE(
                                zest::test::SamePixels(std::string(rowSpans ? "normal by spans " : "normal ") + name,
                                                       expectNormal.data(), got.data(), dw, dh));
                        }
                        if (!white)
                            continue;
                        for (const uint32_t* pre : {static_cast<const uint32_t*>(nullptr), static_cast<const uint32_t*>(prescaled.data())})
                        {
                            auto gotAdd = Drawn(start, dw, dh, [&](auto& d) {
                                BlitAdditiveRle(d, 2, 1, sprite.pixels.data(), w, addRle.data(), pre, clip, simd);
                            });
                            EXPECT_TRUE(zest::test::SamePixels(std::string(pre ? "additive prescaled " : "additive ") +
                                                                   name,
                                                               expectAdd.data(), gotAdd.data(), dw, dh));
                        }
                    }
                }
            }
        }
    }
}

// The fast rotated blit samples only each row's inside span, worked out from the map: every
// orientation (steps up, down and zero; mirrored; spans ending exactly on the source's edges)
// keeps exactly the reference's pixels.
TEST(BlitRoutines, AffineSpansMatchReferenceInEveryOrientation)
{
    std::mt19937 rng(31);
    const int sw = 23, sh = 17, dw = 64, dh = 64;
    auto src = zest::test::RandomPixels(rng, sw, sh);
    SourcePixels view{src.data(), nullptr, nullptr, sw, sh};
    const auto start = zest::test::RandomOpaquePixels(rng, dw, dh);
    struct Case
    {
        const char* what;
        double a, b, c, d, tx, ty;
    };
    const double r = 0.7071067811865476;
    const Case cases[] = {
        {"identity", 1, 0, 0, 1, 20, 20},
        {"mirrored", -1, 0, 0, 1, 40, 20},
        {"upside down", 1, 0, 0, -1, 20, 40},
        {"quarter turn", 0, -1, 1, 0, 40, 10},
        {"eighth turn", r, -r, r, r, 32, 5},
        {"three eighths turn", -r, -r, r, -r, 40, 30},
        {"small angle", 0.9986, -0.0523, 0.0523, 0.9986, 10.5, 10.25},
        {"enlarged and sheared", 2, 0.5, 0, 1.5, -5, 3},
        {"far off to the left", 1, 0, 0, 1, -30, 20},
    };
    const Rect srcRects[] = {{0, 0, sw, sh}, {3, 2, 11, 9}};
    for (const Case& c : cases)
    {
        AffineMap map;
        ASSERT_TRUE(MakeAffineMap(c.a, c.b, c.c, c.d, c.tx, c.ty, map)) << c.what;
        for (const Rect& sr : srcRects)
        {
            for (uint32_t color : {WhiteColor, 0x80FF8040u})
            {
                for (int mode : {0, 1})
                {
                    const Rect area(0, 0, dw, dh);
                    auto expect = Drawn(start, dw, dh, [&](auto& d) { AffineRef(d, area, view, sr, map, color, mode); });
                    for (Simd simd : AvailableSimd())
                    {
                        auto got = Drawn(start, dw, dh,
                                         [&](auto& d) { AffineFast(d, area, view, sr, map, color, mode, true, simd); });
                        EXPECT_TRUE(zest::test::SamePixels(std::string("affine ") + c.what + " " +
                                                               std::to_string(sr.x) + " " + std::to_string(color) +
                                                               " " + std::to_string(mode) + " simd " +
                                                               std::to_string(static_cast<int>(simd)),
                                                           expect.data(), got.data(), dw, dh));
                    }
                }
            }
        }
    }
}

TEST(BlitRoutines, StretchSamplesPixelCentres)
{
    // 2 -> 4 doubles each pixel; 4 -> 2 samples at the destination centres: source pixels 1 and 3.
    uint32_t src[4] = {0xFF000001, 0xFF000002, 0xFF000003, 0xFF000004};
    SourcePixels view{src, nullptr, nullptr, 4, 1};
    std::vector<uint32_t> dest(4, 0xFF000000);
    StretchRef(DestPixels{dest.data(), 4, 1}, Rect(0, 0, 4, 1), Rect(0, 0, 4, 1), view, Rect(0, 0, 2, 1), WhiteColor,
               0, false);
    EXPECT_EQ(dest, (std::vector<uint32_t>{0xFF000001, 0xFF000001, 0xFF000002, 0xFF000002}));
    StretchRef(DestPixels{dest.data(), 4, 1}, Rect(0, 0, 2, 1), Rect(0, 0, 2, 1), view, Rect(0, 0, 4, 1), WhiteColor,
               0, false);
    EXPECT_EQ(dest[0], 0xFF000002u);
    EXPECT_EQ(dest[1], 0xFF000004u);
}
