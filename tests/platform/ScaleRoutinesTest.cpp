#include "platform/ScaleRoutines.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace zest;

namespace
{

// What destination pixel (x, y) shows, written from the definition: source pixel
// ((x - origin.x) / scale, (y - origin.y) / scale) when that lies in area and (x, y) in clip.
uint32_t ExpectedPixel(const std::vector<uint32_t>& src, int srcPitch, const Rect& area, int scale, Point origin,
                       const Rect& clip, int x, int y, uint32_t background)
{
    if (!clip.Contains(x, y) || x < origin.x || y < origin.y)
        return background;
    int sx = (x - origin.x) / scale, sy = (y - origin.y) / scale;
    return area.Contains(sx, sy) ? src[static_cast<size_t>(sy * srcPitch + sx)] : background;
}

} // namespace

TEST(ScaleRoutines, RowKernelMatchesReferenceForEveryScaleAndWidth)
{
    std::mt19937 rng(5);
    std::vector<uint32_t> src(37);
    for (uint32_t& p : src)
        p = rng();
    for (int scale = 1; scale <= 5; scale++)
    {
        for (int width : {0, 1, 3, 4, 5, 8, 17, 37})
        {
            std::vector<uint32_t> expect(static_cast<size_t>(37 * scale + 4), 0xDEADBEEF), got = expect;
            scale::UpscaleRowRef(src.data(), width, scale, expect.data());
            scale::UpscaleRow(src.data(), width, scale, got.data());
            EXPECT_EQ(got, expect) << "scale " << scale << " width " << width;
            // Nothing past the row's end is touched.
            EXPECT_EQ(got[static_cast<size_t>(width * scale)], 0xDEADBEEF) << "scale " << scale << " width " << width;
        }
    }
}

TEST(ScaleRoutines, AreaLandsAtItsScaledPlaceAndStaysInsideTheClip)
{
    const int sw = 13, sh = 7, dw = 50, dh = 30;
    std::vector<uint32_t> src(static_cast<size_t>(sw * sh));
    for (size_t i = 0; i < src.size(); i++)
        src[i] = 0xFF000000u | static_cast<uint32_t>(i * 2654435761u >> 8);
    struct Case
    {
        const char* what;
        Rect area;
        int scale;
        Point origin;
        Rect clip;
        Rect written;
    };
    const Case cases[] = {
        {"whole picture at 2x", Rect(0, 0, sw, sh), 2, Point{1, 2}, Rect(0, 0, dw, dh), Rect(1, 2, 26, 14)},
        {"changed rows only", Rect(0, 3, sw, 2), 3, Point{0, 0}, Rect(0, 0, dw, dh), Rect(0, 9, 39, 6)},
        {"part of a row", Rect(5, 1, 4, 3), 2, Point{3, 0}, Rect(0, 0, dw, dh), Rect(13, 2, 8, 6)},
        {"window smaller than the picture", Rect(0, 0, sw, sh), 3, Point{-4, -5}, Rect(0, 0, 30, 12),
         Rect(0, 0, 30, 12)},
        {"clip cuts inside a block", Rect(0, 0, sw, sh), 4, Point{0, 0}, Rect(5, 3, 10, 6), Rect(5, 3, 10, 6)},
        {"nothing inside the clip", Rect(0, 0, sw, sh), 2, Point{40, 0}, Rect(0, 0, 30, 30), Rect()},
        {"empty area", Rect(0, 0, 0, sh), 2, Point{0, 0}, Rect(0, 0, dw, dh), Rect()},
    };
    const uint32_t background = 0x12345678;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        std::vector<uint32_t> dest(static_cast<size_t>(dw * dh), background);
        Rect written = scale::UpscaleArea(src.data(), sw, c.area, c.scale, dest.data(), dw * 4, c.origin, c.clip);
        EXPECT_EQ(written, c.written);
        int wrong = 0;
        for (int y = 0; y < dh; y++)
            for (int x = 0; x < dw; x++)
                wrong += dest[static_cast<size_t>(y * dw + x)] !=
                         ExpectedPixel(src, sw, c.area, c.scale, c.origin, c.clip, x, y, background);
        EXPECT_EQ(wrong, 0);
    }
}
