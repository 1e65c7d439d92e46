#include "platform/ScaleRoutines.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#define ZEST_SCALE_SSE2 1
#else
#define ZEST_SCALE_SSE2 0
#endif

namespace zest::scale
{

void UpscaleRowRef(const uint32_t* src, int width, int scale, uint32_t* dst)
{
    for (int i = 0; i < width; i++)
        for (int k = 0; k < scale; k++)
            *dst++ = src[i];
}

// Profile (bench_present, a changed 640 x 480 frame shown 2x on an offscreen window): SDL's
// software renderer took 1,160 us, most of it in its general scaled copy. Four source pixels
// spread with shuffles into whole 16-byte stores, rows repeated by memcpy: the whole present
// (change detection and scaling) 190 us, beside 116 us for a memcpy of the 1280 x 960 output.
void UpscaleRow(const uint32_t* src, int width, int scale, uint32_t* dst)
{
    if (scale == 1)
    {
        std::memcpy(dst, src, static_cast<size_t>(std::max(width, 0)) * sizeof(uint32_t));
        return;
    }
    int i = 0;
#if ZEST_SCALE_SSE2
    auto load = [&](int at) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + at)); };
    auto store = [&](uint32_t* at, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(at), v); };
    switch (scale)
    {
    case 2:
        for (; i + 4 <= width; i += 4, dst += 8)
        {
            __m128i v = load(i);
            store(dst, _mm_unpacklo_epi32(v, v));
            store(dst + 4, _mm_unpackhi_epi32(v, v));
        }
        break;
    case 3:
        for (; i + 4 <= width; i += 4, dst += 12)
        {
            __m128i v = load(i);
            store(dst, _mm_shuffle_epi32(v, _MM_SHUFFLE(1, 0, 0, 0)));
            store(dst + 4, _mm_shuffle_epi32(v, _MM_SHUFFLE(2, 2, 1, 1)));
            store(dst + 8, _mm_shuffle_epi32(v, _MM_SHUFFLE(3, 3, 3, 2)));
        }
        break;
    case 4:
        for (; i + 4 <= width; i += 4, dst += 16)
        {
            __m128i v = load(i);
            store(dst, _mm_shuffle_epi32(v, _MM_SHUFFLE(0, 0, 0, 0)));
            store(dst + 4, _mm_shuffle_epi32(v, _MM_SHUFFLE(1, 1, 1, 1)));
            store(dst + 8, _mm_shuffle_epi32(v, _MM_SHUFFLE(2, 2, 2, 2)));
            store(dst + 12, _mm_shuffle_epi32(v, _MM_SHUFFLE(3, 3, 3, 3)));
        }
        break;
    default:
        break;
    }
#endif
    UpscaleRowRef(src + i, width - i, scale, dst);
}

Rect UpscaleArea(const uint32_t* src, int srcPitch, const Rect& area, int scale, uint32_t* dst, int dstPitchBytes,
                 Point origin, const Rect& clip)
{
    if (scale < 1 || area.IsEmpty())
        return Rect();
    const Rect whole(origin.x + area.x * scale, origin.y + area.y * scale, area.width * scale, area.height * scale);
    const Rect out = whole.Intersection(clip);
    if (out.IsEmpty())
        return Rect();
    const bool fullRows = out.x == whole.x && out.width == whole.width;
    auto destRow = [&](int y) {
        return reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(dst) + static_cast<ptrdiff_t>(y) * dstPitchBytes);
    };
    for (int y = out.y; y < out.y + out.height; y++)
    {
        uint32_t* row = destRow(y) + out.x;
        if (y > out.y && (y - origin.y) % scale != 0)
        {
            // The same source row as the row above.
            std::memcpy(row, destRow(y - 1) + out.x, static_cast<size_t>(out.width) * sizeof(uint32_t));
            continue;
        }
        const uint32_t* s = src + static_cast<ptrdiff_t>((y - origin.y) / scale) * srcPitch;
        if (fullRows)
        {
            UpscaleRow(s + area.x, area.width, scale, row);
            continue;
        }
        for (int x = out.x; x < out.x + out.width; x++)
            row[x - out.x] = s[(x - origin.x) / scale];
    }
    return out;
}

} // namespace zest::scale
