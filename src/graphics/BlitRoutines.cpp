#include "graphics/BlitRoutines.h"

#include "graphics/BlitRowsAvx2.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#define ZEST_HAVE_SSE2 1
#else
#define ZEST_HAVE_SSE2 0
#endif

namespace zest::blit
{

namespace
{

inline uint32_t A(uint32_t p)
{
    return p >> 24;
}
inline uint32_t R(uint32_t p)
{
    return (p >> 16) & 0xFF;
}
inline uint32_t G(uint32_t p)
{
    return (p >> 8) & 0xFF;
}
inline uint32_t B(uint32_t p)
{
    return p & 0xFF;
}
inline uint32_t Pack(uint32_t a, uint32_t r, uint32_t g, uint32_t b)
{
    return (a << 24) | (r << 16) | (g << 8) | b;
}

// Normal blend of a source pixel onto an opaque destination pixel, white colour, 0 < a < 255:
// with destination alpha 255 the general formula gives o = 255 and w = a, so each channel is
// (s * a + d * (256 - a)) / 256. Two channels per multiply: the red/blue and green lanes never carry
// into each other because every lane sum stays below 2^16.
inline uint32_t BlendOpaqueDest(uint32_t d, uint32_t s, uint32_t a)
{
    uint32_t ia = 256 - a;
    uint32_t rb = (((s & 0xFF00FF) * a + (d & 0xFF00FF) * ia) >> 8) & 0xFF00FF;
    uint32_t g = (((s & 0xFF00) * a + (d & 0xFF00) * ia) >> 8) & 0xFF00;
    return 0xFF000000 | rb | g;
}

// Additive, white colour: channel := min(255, d + s * alpha / 256) (s unscaled when opaque); dest
// alpha kept.
inline uint32_t AddSaturate(uint32_t d, uint32_t r, uint32_t g, uint32_t b)
{
    return (d & 0xFF000000) | (std::min<uint32_t>(255, R(d) + r) << 16) | (std::min<uint32_t>(255, G(d) + g) << 8) |
           std::min<uint32_t>(255, B(d) + b);
}

inline uint32_t AdditiveWhite(uint32_t d, uint32_t s)
{
    uint32_t a = A(s);
    if (a == 255)
        return AddSaturate(d, R(s), G(s), B(s));
    return AddSaturate(d, (R(s) * a) >> 8, (G(s) * a) >> 8, (B(s) * a) >> 8);
}

inline void CopyPixels(uint32_t* d, const uint32_t* s, int n)
{
#if ZEST_HAVE_SSE2
    if (n >= 16)
    {
        // From 16 pixels on the library copy wins: it moves a run in a few wide stores chosen by
        // size class, without the loop-exit misprediction of the block loop below.
        std::memcpy(d, s, static_cast<size_t>(n) * 4);
        return;
    }
    if (n >= 4)
    {
        // Blocks of four, the last one overlapping the one before it: one loop exit per run
        // instead of a block loop plus a tail loop (copying a pixel twice is harmless).
        int i = 0;
        for (; i + 4 < n; i += 4)
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + n - 4),
                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + n - 4)));
        return;
    }
    for (int i = 0; i < n; i++)
        d[i] = s[i];
#else
    std::memcpy(d, s, static_cast<size_t>(n) * 4);
#endif
}

#if ZEST_HAVE_SSE2
// Four pixels of BlendOpaqueDest at once, in 16-bit lanes: s * a + d * (256 - a) <= 255 * 256 fits
// unsigned 16 bits, so the wrapping add is exact.
inline __m128i BlendOpaqueDest4(__m128i s, __m128i d)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i k256 = _mm_set1_epi16(256);
    __m128i sLo = _mm_unpacklo_epi8(s, zero);
    __m128i sHi = _mm_unpackhi_epi8(s, zero);
    __m128i dLo = _mm_unpacklo_epi8(d, zero);
    __m128i dHi = _mm_unpackhi_epi8(d, zero);
    __m128i aLo = _mm_shufflehi_epi16(_mm_shufflelo_epi16(sLo, 0xFF), 0xFF);
    __m128i aHi = _mm_shufflehi_epi16(_mm_shufflelo_epi16(sHi, 0xFF), 0xFF);
    __m128i rLo = _mm_add_epi16(_mm_mullo_epi16(sLo, aLo), _mm_mullo_epi16(dLo, _mm_sub_epi16(k256, aLo)));
    __m128i rHi = _mm_add_epi16(_mm_mullo_epi16(sHi, aHi), _mm_mullo_epi16(dHi, _mm_sub_epi16(k256, aHi)));
    __m128i out = _mm_packus_epi16(_mm_srli_epi16(rLo, 8), _mm_srli_epi16(rHi, 8));
    return _mm_or_si128(out, _mm_set1_epi32(static_cast<int>(0xFF000000)));
}

// Four pixels of AdditiveWhite for translucent sources: (s * a) >> 8 per colour channel, alpha
// byte cleared, then a saturating byte add (which leaves the destination alpha as it was).
inline __m128i AdditiveScaled4(__m128i s, __m128i d)
{
    const __m128i zero = _mm_setzero_si128();
    __m128i sLo = _mm_unpacklo_epi8(s, zero);
    __m128i sHi = _mm_unpackhi_epi8(s, zero);
    __m128i aLo = _mm_shufflehi_epi16(_mm_shufflelo_epi16(sLo, 0xFF), 0xFF);
    __m128i aHi = _mm_shufflehi_epi16(_mm_shufflelo_epi16(sHi, 0xFF), 0xFF);
    __m128i scaled = _mm_packus_epi16(_mm_srli_epi16(_mm_mullo_epi16(sLo, aLo), 8),
                                      _mm_srli_epi16(_mm_mullo_epi16(sHi, aHi), 8));
    scaled = _mm_and_si128(scaled, _mm_set1_epi32(0x00FFFFFF));
    return _mm_adds_epu8(d, scaled);
}

inline __m128i Load4(const uint32_t* p)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
inline void Store4(uint32_t* p, __m128i v)
{
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}
inline __m128i Load1(const uint32_t* p)
{
    return _mm_cvtsi32_si128(static_cast<int>(*p));
}
inline void Store1(uint32_t* p, __m128i v)
{
    *p = static_cast<uint32_t>(_mm_cvtsi128_si32(v));
}

// Four pixels of the normal white blend onto an opaque destination, exactly as the reference:
// alpha 255 replaces, alpha 0 keeps the destination, the rest blend. Chosen per lane by masks, so
// a group that mixes the classes costs no branch.
inline __m128i Over4(__m128i s, __m128i d, __m128i alpha)
{
    const __m128i zero = _mm_setzero_si128();
    __m128i opaque = _mm_cmpeq_epi32(alpha, _mm_set1_epi32(255));
    __m128i clear = _mm_cmpeq_epi32(alpha, zero);
    __m128i out = BlendOpaqueDest4(s, d);
    out = _mm_or_si128(_mm_and_si128(opaque, s), _mm_andnot_si128(opaque, out));
    return _mm_or_si128(_mm_and_si128(clear, d), _mm_andnot_si128(clear, out));
}

// One row of the normal blit onto an opaque destination: transparent runs are jumped with the
// run-length table, everything else goes four pixels at a time (all opaque: a plain store).
// Looping over groups instead of runs keeps the branch count per row low; with sprites whose
// run lengths change from row to row, mispredicted run loops cost more than the blending.
inline void OverRowOpaqueDest(uint32_t* d, const uint32_t* s, const uint8_t* r, int n)
{
    const __m128i k255 = _mm_set1_epi32(255);
    int i = 0;
    while (i + 4 <= n)
    {
        if ((s[i] >> 24) == 0)
        {
            i += r[i];
            continue;
        }
        __m128i sv = Load4(s + i);
        __m128i alpha = _mm_srli_epi32(sv, 24);
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(alpha, k255)) == 0xFFFF)
        {
            if (r[i] >= 16)
            {
                // A long opaque run: copy it whole, joining the pieces of runs longer than the
                // 255-pixel cap.
                int end = i + std::min<int>(r[i], n - i);
                while (end < n && (s[end] >> 24) == 255)
                    end += std::min<int>(r[end], n - end);
                CopyPixels(d + i, s + i, end - i);
                i = end;
                continue;
            }
            Store4(d + i, sv);
        }
        else
        {
            Store4(d + i, Over4(sv, Load4(d + i), alpha));
        }
        i += 4;
    }
    for (; i < n; i++)
    {
        uint32_t a = s[i] >> 24;
        if (a == 255)
            d[i] = s[i];
        else if (a != 0)
            d[i] = BlendOpaqueDest(d[i], s[i], a);
    }
}

// The constants of OverExact4, made once per blit and kept in registers across its rows.
struct OverConstants4
{
    __m128i lowBytes = _mm_set1_epi32(0x00FF00FF);
    __m128i k255 = _mm_set1_epi32(255);
    __m128i k256 = _mm_set1_epi16(256);
    __m128i opaqueAlpha = _mm_set1_epi32(static_cast<int>(0xFF000000));
};

// Four pixels of the white normal blend onto an opaque destination without a select: the weight is
// the alpha, except 256 for alpha 255, so (s * w + d * (256 - w)) >> 8 leaves the destination
// exactly at alpha 0 and gives the source exactly at alpha 255, as the reference does. Red/blue and
// alpha/green sit in separate 16-bit lanes, so nothing is unpacked.
inline __m128i OverExact4(__m128i s, __m128i d, const OverConstants4& k)
{
    __m128i a = _mm_srli_epi32(s, 24);
    __m128i w = _mm_sub_epi32(a, _mm_cmpeq_epi32(a, k.k255));
    w = _mm_or_si128(w, _mm_slli_epi32(w, 16));
    __m128i iw = _mm_sub_epi16(k.k256, w);
    __m128i rb = _mm_add_epi16(_mm_mullo_epi16(_mm_and_si128(s, k.lowBytes), w),
                               _mm_mullo_epi16(_mm_and_si128(d, k.lowBytes), iw));
    __m128i ag = _mm_add_epi16(_mm_mullo_epi16(_mm_srli_epi16(s, 8), w), _mm_mullo_epi16(_mm_srli_epi16(d, 8), iw));
    __m128i out = _mm_or_si128(_mm_srli_epi16(rb, 8), _mm_andnot_si128(k.lowBytes, ag));
    return _mm_or_si128(out, k.opaqueAlpha);
}

// One row of the white normal blit drawn by its span, four pixels at a time, as the AVX2 span rows
// do eight: lo <= hi the drawn part of the row's visible pixels, [opaqueFirst, opaqueEnd) the drawn
// part of its long opaque run (empty or at least 16 pixels). Blending a transparent pixel leaves it
// and blending an opaque one sets it, so blocks may run over them: the edges go in whole blocks
// that reach into the opaque run (left edge forwards, right edge backwards, so no translucent pixel
// is blended twice), then the run is copied. No branch depends on the pixels.
inline void OverSpanRow4(uint32_t* d, const uint32_t* s, int n, int lo, int hi, int opaqueFirst, int opaqueEnd,
                         const OverConstants4& k)
{
    if (opaqueEnd - opaqueFirst >= 16)
    {
        for (int i = lo; i < opaqueFirst; i += 4)
            Store4(d + i, OverExact4(Load4(s + i), Load4(d + i), k));
        for (int i = hi; i > opaqueEnd; i -= 4)
            Store4(d + i - 4, OverExact4(Load4(s + i - 4), Load4(d + i - 4), k));
        int i = opaqueFirst;
        for (; i + 8 < opaqueEnd; i += 8)
        {
            Store4(d + i, Load4(s + i));
            Store4(d + i + 4, Load4(s + i + 4));
        }
        Store4(d + opaqueEnd - 8, Load4(s + opaqueEnd - 8));
        Store4(d + opaqueEnd - 4, Load4(s + opaqueEnd - 4));
        return;
    }
    // No run worth copying: whole blocks over [lo, hi), moved left as far as the row's end needs
    // (pixels outside [lo, hi) are transparent, so blending them changes nothing); a row narrower
    // than that ends pixel by pixel.
    const int blocks = (hi - lo + 3) / 4;
    int i = std::min(lo, n - 4 * blocks);
    if (i < 0)
        i = lo;
    for (; i < hi && i + 4 <= n; i += 4)
        Store4(d + i, OverExact4(Load4(s + i), Load4(d + i), k));
    for (; i < hi; i++)
        Store1(d + i, OverExact4(Load1(s + i), Load1(d + i), k));
}

// Exact x / 255 in 16-bit lanes for 0 <= x <= 255 * 255.
inline __m128i Div255(__m128i x)
{
    return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(x, _mm_set1_epi16(1)), _mm_srli_epi16(x, 8)), 8);
}

// Four pixels of the tinted normal blend onto an opaque destination, exactly as the reference:
// the source's channels and alpha scaled by the colour's (x * c / 255), then replaced where the
// scaled alpha is 255 and blended (weight a / 256) elsewhere; alpha 0 keeps the destination.
inline __m128i TintedOver4(__m128i s, __m128i d, __m128i colorLanes)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i k256 = _mm_set1_epi16(256);
    __m128i tLo = Div255(_mm_mullo_epi16(_mm_unpacklo_epi8(s, zero), colorLanes));
    __m128i tHi = Div255(_mm_mullo_epi16(_mm_unpackhi_epi8(s, zero), colorLanes));
    __m128i aLo = _mm_shufflehi_epi16(_mm_shufflelo_epi16(tLo, 0xFF), 0xFF);
    __m128i aHi = _mm_shufflehi_epi16(_mm_shufflelo_epi16(tHi, 0xFF), 0xFF);
    __m128i dLo = _mm_unpacklo_epi8(d, zero);
    __m128i dHi = _mm_unpackhi_epi8(d, zero);
    __m128i rLo = _mm_add_epi16(_mm_mullo_epi16(tLo, aLo), _mm_mullo_epi16(dLo, _mm_sub_epi16(k256, aLo)));
    __m128i rHi = _mm_add_epi16(_mm_mullo_epi16(tHi, aHi), _mm_mullo_epi16(dHi, _mm_sub_epi16(k256, aHi)));
    __m128i blended = _mm_packus_epi16(_mm_srli_epi16(rLo, 8), _mm_srli_epi16(rHi, 8));
    blended = _mm_or_si128(blended, _mm_set1_epi32(static_cast<int>(0xFF000000)));
    __m128i tinted = _mm_packus_epi16(tLo, tHi);
    __m128i opaque = _mm_cmpeq_epi32(_mm_srli_epi32(tinted, 24), _mm_set1_epi32(255));
    return _mm_or_si128(_mm_and_si128(opaque, tinted), _mm_andnot_si128(opaque, blended));
}

// One row of the tinted blit onto an opaque destination: transparent runs jumped, the rest four
// pixels at a time.
inline void TintedRowOpaqueDest(uint32_t* d, const uint32_t* s, const uint8_t* r, int n, __m128i colorLanes)
{
    int i = 0;
    while (i + 4 <= n)
    {
        if ((s[i] >> 24) == 0)
        {
            i += r[i];
            continue;
        }
        Store4(d + i, TintedOver4(Load4(s + i), Load4(d + i), colorLanes));
        i += 4;
    }
    for (; i < n; i++)
        Store1(d + i, TintedOver4(Load1(s + i), Load1(d + i), colorLanes));
}

// One row of the additive blit from prescaled source pixels (each channel already scaled by its
// alpha, alpha byte 0): runs that add nothing are jumped, the rest is one saturating byte add per
// four pixels, which leaves the destination alpha as it was.
inline void AddRowPrescaled(uint32_t* d, const uint32_t* s, const uint32_t* pre, const uint8_t* r, int n)
{
    // Adding a prescaled pixel that adds nothing is harmless, so once a visible pixel is found the
    // next sixteen are added without looking at them.
    int i = 0;
    while (i + 16 <= n)
    {
        uint32_t p = s[i];
        if ((p >> 24) == 0 || (p & 0x00FFFFFF) == 0)
        {
            i += r[i];
            continue;
        }
        Store4(d + i, _mm_adds_epu8(Load4(d + i), Load4(pre + i)));
        Store4(d + i + 4, _mm_adds_epu8(Load4(d + i + 4), Load4(pre + i + 4)));
        Store4(d + i + 8, _mm_adds_epu8(Load4(d + i + 8), Load4(pre + i + 8)));
        Store4(d + i + 12, _mm_adds_epu8(Load4(d + i + 12), Load4(pre + i + 12)));
        i += 16;
    }
    while (i + 4 <= n)
    {
        uint32_t p = s[i];
        if ((p >> 24) == 0 || (p & 0x00FFFFFF) == 0)
        {
            i += r[i];
            continue;
        }
        Store4(d + i, _mm_adds_epu8(Load4(d + i), Load4(pre + i)));
        i += 4;
    }
    for (; i < n; i++)
        Store1(d + i, _mm_adds_epu8(Load1(d + i), Load1(pre + i)));
}
#endif

void BlendRunOpaqueDest(uint32_t* d, const uint32_t* s, int n, bool useSimd)
{
    int i = 0;
#if ZEST_HAVE_SSE2
    if (useSimd)
    {
        for (; i + 4 <= n; i += 4)
            Store4(d + i, BlendOpaqueDest4(Load4(s + i), Load4(d + i)));
        for (; i < n; i++)
            Store1(d + i, BlendOpaqueDest4(Load1(s + i), Load1(d + i)));
        return;
    }
#else
    (void)useSimd;
#endif
    for (; i < n; i++)
        d[i] = BlendOpaqueDest(d[i], s[i], A(s[i]));
}

void AddRunOpaque(uint32_t* d, const uint32_t* s, int n, bool useSimd)
{
    int i = 0;
#if ZEST_HAVE_SSE2
    if (useSimd)
    {
        const __m128i rgb = _mm_set1_epi32(0x00FFFFFF);
        for (; i + 4 <= n; i += 4)
            Store4(d + i, _mm_adds_epu8(Load4(d + i), _mm_and_si128(Load4(s + i), rgb)));
        for (; i < n; i++)
            Store1(d + i, _mm_adds_epu8(Load1(d + i), _mm_and_si128(Load1(s + i), rgb)));
        return;
    }
#else
    (void)useSimd;
#endif
    for (; i < n; i++)
        d[i] = AddSaturate(d[i], R(s[i]), G(s[i]), B(s[i]));
}

void AddRunScaled(uint32_t* d, const uint32_t* s, int n, bool useSimd)
{
    int i = 0;
#if ZEST_HAVE_SSE2
    if (useSimd)
    {
        for (; i + 4 <= n; i += 4)
            Store4(d + i, AdditiveScaled4(Load4(s + i), Load4(d + i)));
        for (; i < n; i++)
            Store1(d + i, AdditiveScaled4(Load1(s + i), Load1(d + i)));
        return;
    }
#else
    (void)useSimd;
#endif
    for (; i < n; i++)
        d[i] = AdditiveWhite(d[i], s[i]);
}

template <typename ClassOf>
void BuildRunLength(const SourcePixels& src, uint8_t* out, ClassOf classOf)
{
    for (int y = 0; y < src.height; y++)
    {
        uint8_t* row = out + static_cast<size_t>(y) * static_cast<size_t>(src.width);
        int run = 0;
        int runClass = -1;
        for (int x = src.width - 1; x >= 0; x--)
        {
            int c = classOf(src.At(x, y));
            run = (c == runClass) ? run + 1 : 1;
            runClass = c;
            row[x] = static_cast<uint8_t>(std::min(run, 255));
        }
    }
}

// Per-pixel dispatch of the blends for the sampling kernels: chosen once per request through the
// template arguments, never per pixel.
enum class Kind
{
    Reference,     // any colour, any destination
    WhiteOpaque,   // normal mode, white, opaque destination
    WhiteNormal,   // normal mode, white, any destination
    WhiteAdditive, // additive mode, white
};

template <Kind kind>
inline void Put(uint32_t* d, uint32_t s, uint32_t color, int mode)
{
    if constexpr (kind == Kind::Reference)
    {
        *d = BlendRef(*d, s, color, mode);
    }
    else if constexpr (kind == Kind::WhiteAdditive)
    {
        if ((s >> 24) != 0)
            *d = AdditiveWhite(*d, s);
    }
    else
    {
        uint32_t a = s >> 24;
        if (a == 255)
            *d = s;
        else if (a != 0)
            *d = (kind == Kind::WhiteOpaque) ? BlendOpaqueDest(*d, s, a) : BlendNormalRef(*d, s, WhiteColor);
    }
}

Kind ChooseKind(uint32_t color, int mode, bool destOpaque)
{
    if (color != WhiteColor)
        return Kind::Reference;
    if (mode == 1)
        return Kind::WhiteAdditive;
    return destOpaque ? Kind::WhiteOpaque : Kind::WhiteNormal;
}

std::vector<int> StretchTable(int destStart, int destSize, int areaStart, int areaSize, int srcStart, int srcSize,
                              bool mirror)
{
    std::vector<int> table(static_cast<size_t>(std::max(areaSize, 0)));
    for (int k = 0; k < areaSize; k++)
    {
        int64_t i = areaStart + k - destStart;
        int offset = static_cast<int>((i * 2 * srcSize + srcSize) / (2 * static_cast<int64_t>(destSize)));
        table[static_cast<size_t>(k)] = mirror ? srcStart + srcSize - 1 - offset : srcStart + offset;
    }
    return table;
}

template <Kind kind>
void StretchKernel(const DestPixels& dest, const Rect& area, const Rect& destRect, const SourcePixels& src,
                   const Rect& srcRect, uint32_t color, int mode, bool mirror, Simd simd = Simd::None)
{
    std::vector<int> xs = StretchTable(destRect.x, destRect.width, area.x, area.width, srcRect.x, srcRect.width, mirror);
    std::vector<int> ys = StretchTable(destRect.y, destRect.height, area.y, area.height, srcRect.y, srcRect.height, false);
    for (int k = 0; k < area.height; k++)
    {
        uint32_t* d = dest.Row(area.y + k) + area.x;
        int sy = ys[static_cast<size_t>(k)];
        if (src.bits)
        {
            const uint32_t* s = src.bits + static_cast<size_t>(sy) * static_cast<size_t>(src.width);
            int i = 0;
            if (kind == Kind::WhiteOpaque && simd == Simd::Avx2)
                i = avx2::StretchOverOpaqueDest(d, s, xs.data(), area.width);
#if ZEST_HAVE_SSE2
            if constexpr (kind == Kind::WhiteOpaque)
            {
                // Four sampled pixels at a time through the same lane-select blend as plain blits.
                const __m128i k255 = _mm_set1_epi32(255);
                const int* x4 = xs.data();
                for (; i + 4 <= area.width; i += 4)
                {
                    __m128i sv = _mm_set_epi32(static_cast<int>(s[x4[i + 3]]), static_cast<int>(s[x4[i + 2]]),
                                               static_cast<int>(s[x4[i + 1]]), static_cast<int>(s[x4[i]]));
                    __m128i alpha = _mm_srli_epi32(sv, 24);
                    int opaque = _mm_movemask_epi8(_mm_cmpeq_epi32(alpha, k255));
                    if (opaque == 0xFFFF)
                        Store4(d + i, sv);
                    else if (_mm_movemask_epi8(_mm_cmpeq_epi32(alpha, _mm_setzero_si128())) != 0xFFFF)
                        Store4(d + i, Over4(sv, Load4(d + i), alpha));
                }
            }
#endif
            for (; i < area.width; i++)
                Put<kind>(d + i, s[xs[static_cast<size_t>(i)]], color, mode);
        }
        else
        {
            for (int i = 0; i < area.width; i++)
                Put<kind>(d + i, src.At(xs[static_cast<size_t>(i)], sy), color, mode);
        }
    }
}

int64_t FloorDiv(int64_t a, int64_t b)
{
    int64_t q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

// Narrows [first, end) to the steps k where lo <= base + step * k < hi.
void NarrowToInside(int64_t base, int64_t step, int64_t lo, int64_t hi, int64_t& first, int64_t& end)
{
    if (step == 0)
    {
        if (base < lo || base >= hi)
            end = first;
        return;
    }
    if (step > 0)
    {
        first = std::max(first, -FloorDiv(base - lo, step)); // ceil((lo - base) / step)
        end = std::min(end, -FloorDiv(base - hi, step));     // ceil((hi - base) / step)
    }
    else
    {
        first = std::max(first, FloorDiv(base - hi, -step) + 1);
        end = std::min(end, FloorDiv(base - lo, -step) + 1);
    }
}

// Profile (callgrind, bench_garden's busy frame): the rotated hose and spray took 29 % of the
// draw (491,000 instructions a frame), testing every pixel of the rotated bounding box for
// whether it samples inside the source and the source for a palette. The fast kinds work out
// each row's inside span once (the same pixels the test keeps: u and v are exact fixed-point
// steps) and sample only that: 426,000 with the spans alone.
template <Kind kind>
void AffineKernel(const DestPixels& dest, const Rect& area, const SourcePixels& src, const Rect& srcRect,
                  const AffineMap& map, uint32_t color, int mode, Simd simd = Simd::None)
{
    // The vector rows keep fixed-point samples in 32 bits.
    const bool vectorRows = kind == Kind::WhiteOpaque && simd == Simd::Avx2 && src.bits != nullptr &&
                            int64_t(srcRect.x) + srcRect.width < 32768 && int64_t(srcRect.y) + srcRect.height < 32768;
    const int64_t left = static_cast<int64_t>(srcRect.x) << 16;
    const int64_t top = static_cast<int64_t>(srcRect.y) << 16;
    const int64_t right = static_cast<int64_t>(srcRect.x + srcRect.width) << 16;
    const int64_t bottom = static_cast<int64_t>(srcRect.y + srcRect.height) << 16;
    for (int y = area.y; y < area.y + area.height; y++)
    {
        uint32_t* d = dest.Row(y);
        int64_t u = map.u0 + map.dux * area.x + map.duy * y;
        int64_t v = map.v0 + map.dvx * area.x + map.dvy * y;
        if constexpr (kind == Kind::Reference)
        {
            for (int x = area.x; x < area.x + area.width; x++, u += map.dux, v += map.dvx)
            {
                if (u < left || u >= right || v < top || v >= bottom)
                    continue;
                Put<kind>(d + x, src.At(static_cast<int>(u >> 16), static_cast<int>(v >> 16)), color, mode);
            }
        }
        else
        {
            int64_t first = 0, end = area.width;
            NarrowToInside(u, map.dux, left, right, first, end);
            NarrowToInside(v, map.dvx, top, bottom, first, end);
            u += map.dux * first;
            v += map.dvx * first;
            if (src.bits)
            {
                // 32-bit sources read directly: the palette test out of the loop.
                const uint32_t* bits = src.bits;
                const int64_t pitch = src.width;
                if (vectorRows && end > first)
                {
                    const int64_t drawn = avx2::AffineOverOpaqueDest(
                        d + area.x + first, bits, src.width, static_cast<int32_t>(u), static_cast<int32_t>(v),
                        static_cast<int32_t>(map.dux), static_cast<int32_t>(map.dvx), static_cast<int>(end - first));
                    first += drawn;
                    u += map.dux * drawn;
                    v += map.dvx * drawn;
                }
                for (int64_t k = first; k < end; k++, u += map.dux, v += map.dvx)
                    Put<kind>(d + area.x + k, bits[(v >> 16) * pitch + (u >> 16)], color, mode);
                continue;
            }
            for (int64_t k = first; k < end; k++, u += map.dux, v += map.dvx)
                Put<kind>(d + area.x + k, src.At(static_cast<int>(u >> 16), static_cast<int>(v >> 16)), color, mode);
        }
    }
}

// Divisions by 255 below are by a constant, which the compiler turns into the exact
// multiply-and-shift form; 256 is a shift.
inline uint32_t BlendNormal(uint32_t dest, uint32_t src, uint32_t color)
{
    const bool white = color == WhiteColor;
    // Effective alpha: the source's, scaled by the colour's alpha unless the colour is white.
    uint32_t a = white ? A(src) : A(color) * A(src) / 255;
    if (a == 0)
        return dest;
    uint32_t sr = R(src), sg = G(src), sb = B(src);
    if (!white)
    {
        sr = sr * R(color) / 255;
        sg = sg * G(color) / 255;
        sb = sb * B(color) / 255;
    }
    // An opaque result replaces the pixel exactly (the weighted form below would leave a trace of
    // the old colour: (s * 255 + d) / 256).
    if (a == 255)
        return Pack(255, sr, sg, sb);
    uint32_t da = A(dest);
    // out alpha o = da + (255 - da) * a / 255; weight w = a * 255 / o (o >= a >= 1).
    uint32_t o = da + (255 - da) * a / 255;
    uint32_t w = a * 255 / o;
    uint32_t r = (sr * w + R(dest) * (256 - w)) / 256;
    uint32_t g = (sg * w + G(dest) * (256 - w)) / 256;
    uint32_t b = (sb * w + B(dest) * (256 - w)) / 256;
    return Pack(o, r, g, b);
}

} // namespace

Simd BestSimd()
{
    static const Simd best = [] {
        std::vector<Simd> levels = AvailableSimd();
        return levels.back();
    }();
    return best;
}

std::vector<Simd> AvailableSimd()
{
    std::vector<Simd> levels{Simd::None};
#if ZEST_HAVE_SSE2
    levels.push_back(Simd::Sse2);
#endif
#if defined(__x86_64__) || defined(__i386__)
    if (avx2::Compiled() && __builtin_cpu_supports("avx2"))
        levels.push_back(Simd::Avx2);
#endif
    return levels;
}

uint32_t BlendNormalRef(uint32_t dest, uint32_t src, uint32_t color)
{
    return BlendNormal(dest, src, color);
}

uint32_t BlendAdditiveRef(uint32_t dest, uint32_t src, uint32_t color)
{
    uint32_t a = A(src);
    uint32_t sr = R(src), sg = G(src), sb = B(src);
    if (a != 255)
    {
        sr = sr * a / 256;
        sg = sg * a / 256;
        sb = sb * a / 256;
    }
    if (color != WhiteColor)
    {
        sr = sr * R(color) * A(color) / 255 / 255;
        sg = sg * G(color) * A(color) / 255 / 255;
        sb = sb * B(color) * A(color) / 255 / 255;
    }
    return Pack(A(dest), std::min<uint32_t>(255, R(dest) + sr), std::min<uint32_t>(255, G(dest) + sg),
                std::min<uint32_t>(255, B(dest) + sb));
}

void BuildRunLengthAlpha(const SourcePixels& src, uint8_t* out)
{
    BuildRunLength(src, out, [](uint32_t p) {
        uint32_t a = p >> 24;
        return a == 0 ? 0 : (a == 255 ? 1 : 2);
    });
}

void BuildRunLengthAdditive(const SourcePixels& src, uint8_t* out)
{
    BuildRunLength(src, out, [](uint32_t p) {
        uint32_t a = p >> 24;
        if (a == 0 || (p & 0x00FFFFFF) == 0)
            return 0;
        return a == 255 ? 1 : 2;
    });
}

namespace
{

// The span of row y's pixels x0 <= x < x1.
RowSpan SpanOf(const SourcePixels& src, int y, int x0, int x1)
{
    RowSpan span;
    int first = -1, end = 0;
    int runStart = -1, bestFirst = 0, bestEnd = 0;
    int gapStart = -1, widestGap = 0;
    for (int x = x0; x <= x1; x++)
    {
        const uint32_t a = x < x1 ? A(src.At(x, y)) : 0;
        if (a == 255 && runStart < 0)
            runStart = x;
        if (a != 255 && runStart >= 0)
        {
            if (x - runStart > bestEnd - bestFirst)
            {
                bestFirst = runStart;
                bestEnd = x;
            }
            runStart = -1;
        }
        if (x == x1)
            break;
        if (a == 0)
        {
            if (first >= 0 && gapStart < 0)
                gapStart = x;
            continue;
        }
        // A transparent gap counts only between visible pixels.
        if (gapStart >= 0)
            widestGap = std::max(widestGap, x - gapStart);
        gapStart = -1;
        if (first < 0)
            first = x;
        end = x + 1;
    }
    if (first >= 0)
    {
        span.first = first;
        span.end = end;
    }
    if (bestEnd - bestFirst >= SpanOpaqueRun)
    {
        span.opaqueFirst = bestFirst;
        span.opaqueEnd = bestEnd;
    }
    span.walk = widestGap >= SpanWalkGap;
    return span;
}

} // namespace

void BuildRowSpans(const SourcePixels& src, int columns, RowSpan* out)
{
    const int celWidth = src.width / columns;
    for (int y = 0; y < src.height; y++)
        for (int c = 0; c < columns; c++)
            *out++ = SpanOf(src, y, c * celWidth, (c + 1) * celWidth);
}

void FillRectRef(const DestPixels& dest, const Rect& rect, uint32_t color)
{
    for (int y = rect.y; y < rect.y + rect.height; y++)
    {
        uint32_t* row = dest.Row(y);
        for (int x = rect.x; x < rect.x + rect.width; x++)
            row[x] = BlendNormalRef(row[x], color, WhiteColor);
    }
}

void FillRectFast(const DestPixels& dest, const Rect& rect, uint32_t color, bool destOpaque)
{
    uint32_t a = A(color);
    if (a == 0)
        return;
    if (a == 255)
    {
        for (int y = rect.y; y < rect.y + rect.height; y++)
            std::fill_n(dest.Row(y) + rect.x, rect.width, color);
        return;
    }
    if (!destOpaque)
    {
        FillRectRef(dest, rect, color);
        return;
    }
    // (c * a + d * (256 - a)) / 256 with the colour's share computed once.
    uint32_t ia = 256 - a;
    uint32_t crb = (color & 0xFF00FF) * a;
    uint32_t cg = (color & 0xFF00) * a;
    for (int y = rect.y; y < rect.y + rect.height; y++)
    {
        uint32_t* row = dest.Row(y) + rect.x;
        for (int x = 0; x < rect.width; x++)
        {
            uint32_t d = row[x];
            row[x] = 0xFF000000 | (((crb + (d & 0xFF00FF) * ia) >> 8) & 0xFF00FF) | (((cg + (d & 0xFF00) * ia) >> 8) & 0xFF00);
        }
    }
}

void BlitRef(const DestPixels& dest, int x, int y, const SourcePixels& src, const Rect& srcRect, uint32_t color,
             int mode, bool mirror)
{
    for (int j = 0; j < srcRect.height; j++)
    {
        uint32_t* row = dest.Row(y + j) + x;
        for (int i = 0; i < srcRect.width; i++)
        {
            int sx = mirror ? srcRect.x + srcRect.width - 1 - i : srcRect.x + i;
            row[i] = BlendRef(row[i], src.At(sx, srcRect.y + j), color, mode);
        }
    }
}

// The rows of a blit as the AVX2 kernels (and the SSE2 span rows) take them.
avx2::Rows AvxRows(const DestPixels& dest, int x, int y, const uint32_t* srcBits, int srcWidth, const uint8_t* rle,
                   const Rect& srcRect, SpanTable spans = {})
{
    size_t offset = static_cast<size_t>(srcRect.y) * static_cast<size_t>(srcWidth) + static_cast<size_t>(srcRect.x);
    avx2::Rows rows{dest.Row(y) + x, dest.width,    srcBits + offset, rle + offset,
                    srcWidth,        srcRect.width, srcRect.height};
    rows.sx = srcRect.x;
    if (!spans.spans)
        return rows;
    // Spans serve a rectangle inside one cel column (the divisions only for sheets: a blit is short).
    int celWidth = srcWidth, column = 0;
    if (spans.columns > 1)
    {
        celWidth = srcWidth / spans.columns;
        column = srcRect.x / celWidth;
    }
    if (srcRect.x + srcRect.width <= (column + 1) * celWidth)
    {
        rows.spans = spans.spans + static_cast<size_t>(srcRect.y) * static_cast<size_t>(spans.columns) +
                     static_cast<size_t>(column);
        rows.spanStride = spans.columns;
        rows.wholeCel = srcRect.x == column * celWidth && srcRect.width == celWidth;
    }
    return rows;
}

#if ZEST_HAVE_SSE2
// The white normal blit onto an opaque destination by row spans, four pixels at a time (rows marked
// walk: run by run). clipped: the blit cuts its cel's rows at either side, so the spans are cut too.
// Profile (the browser build's bench_blit_web, 64 x 64 disc): the run-walking rows spent most of
// their time in the branches between skipping, blending and copying, whose run lengths change from
// row to row; by spans a row is one fixed sequence.
template <bool clipped>
void OverSpanRows4(const avx2::Rows& rows)
{
    const OverConstants4 k;
    uint32_t* d = rows.d;
    const uint32_t* s = rows.s;
    const uint8_t* r = rows.r;
    const RowSpan* span = rows.spans;
    const int n = rows.n, sx = rows.sx;
    const ptrdiff_t dPitch = rows.dPitch, sPitch = rows.sPitch, spanStride = rows.spanStride;
    for (int j = 0; j < rows.rows; j++, d += dPitch, s += sPitch, r += sPitch, span += spanStride)
    {
        if (span->walk)
        {
            OverRowOpaqueDest(d, s, r, n);
            continue;
        }
        const int lo = clipped ? std::max(span->first - sx, 0) : span->first - sx;
        const int hi = clipped ? std::min(span->end - sx, n) : span->end - sx;
        if (lo >= hi)
            continue;
        if (clipped)
            OverSpanRow4(d, s, n, lo, hi, std::max(span->opaqueFirst - sx, lo), std::min(span->opaqueEnd - sx, hi), k);
        else
            OverSpanRow4(d, s, n, lo, hi, span->opaqueFirst - sx, span->opaqueEnd - sx, k);
    }
}
#endif

void BlitNormalRle(const DestPixels& dest, int x, int y, const uint32_t* srcBits, int srcWidth, const uint8_t* rle,
                   const Rect& srcRect, bool destOpaque, bool srcOpaque, Simd simd, SpanTable spans)
{
    const bool useSimd = simd != Simd::None;
    const int n = srcRect.width;
    if (srcOpaque)
    {
        // Every pixel replaces its destination. Full-width rows lie back to back in both images and
        // go as one copy (one long copy runs faster than a copy per row).
        if (srcRect.x == 0 && x == 0 && n == srcWidth && n == dest.width)
        {
            std::memcpy(dest.Row(y), srcBits + static_cast<size_t>(srcRect.y) * static_cast<size_t>(n),
                        static_cast<size_t>(n) * static_cast<size_t>(srcRect.height) * 4);
            return;
        }
        for (int j = 0; j < srcRect.height; j++)
            CopyPixels(dest.Row(y + j) + x,
                       srcBits + static_cast<size_t>(srcRect.y + j) * static_cast<size_t>(srcWidth) + srcRect.x, n);
        return;
    }
    if (simd == Simd::Avx2 && destOpaque)
    {
        avx2::OverOpaqueDest(AvxRows(dest, x, y, srcBits, srcWidth, rle, srcRect, spans));
        return;
    }
#if ZEST_HAVE_SSE2
    if (useSimd && destOpaque && spans.spans)
    {
        const avx2::Rows rows = AvxRows(dest, x, y, srcBits, srcWidth, rle, srcRect, spans);
        if (rows.spans && rows.wholeCel)
        {
            OverSpanRows4<false>(rows);
            return;
        }
        if (rows.spans)
        {
            OverSpanRows4<true>(rows);
            return;
        }
    }
#endif
    for (int j = 0; j < srcRect.height; j++)
    {
        size_t offset = static_cast<size_t>(srcRect.y + j) * static_cast<size_t>(srcWidth) + static_cast<size_t>(srcRect.x);
        const uint32_t* s = srcBits + offset;
        const uint8_t* r = rle + offset;
        uint32_t* d = dest.Row(y + j) + x;
#if ZEST_HAVE_SSE2
        if (useSimd && destOpaque)
        {
            OverRowOpaqueDest(d, s, r, n);
            continue;
        }
#endif
        int i = 0;
        while (i < n)
        {
            int run = std::min<int>(r[i], n - i);
            uint32_t a = s[i] >> 24;
            if (a == 255)
            {
                // Runs are capped at 255 pixels: join the pieces of a longer one into one copy.
                int end = i + run;
                while (end < n && (s[end] >> 24) == 255)
                    end += std::min<int>(r[end], n - end);
                CopyPixels(d + i, s + i, end - i);
                run = end - i;
            }
            else if (a != 0)
            {
                if (destOpaque)
                    BlendRunOpaqueDest(d + i, s + i, run, useSimd);
                else
                    for (int k = i; k < i + run; k++)
                        d[k] = BlendNormalRef(d[k], s[k], WhiteColor);
            }
            i += run;
        }
    }
}

void BlitTintedRle(const DestPixels& dest, int x, int y, const uint32_t* srcBits, int srcWidth, const uint8_t* rle,
                   const Rect& srcRect, uint32_t color, bool destOpaque, Simd simd, SpanTable spans)
{
    const int n = srcRect.width;
    const bool useSimd = simd != Simd::None;
#if ZEST_HAVE_SSE2
    // The colour's channels as 16-bit lanes in pixel byte order (B, G, R, A), twice.
    const __m128i colorLanes = _mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int>(color)), _mm_setzero_si128());
#else
    (void)destOpaque;
    (void)useSimd;
#endif
    if (simd == Simd::Avx2 && destOpaque)
    {
        avx2::TintedOpaqueDest(AvxRows(dest, x, y, srcBits, srcWidth, rle, srcRect, spans), color);
        return;
    }
    for (int j = 0; j < srcRect.height; j++)
    {
        size_t offset = static_cast<size_t>(srcRect.y + j) * static_cast<size_t>(srcWidth) + static_cast<size_t>(srcRect.x);
        const uint32_t* s = srcBits + offset;
        const uint8_t* r = rle + offset;
        uint32_t* d = dest.Row(y + j) + x;
#if ZEST_HAVE_SSE2
        if (useSimd && destOpaque)
        {
            TintedRowOpaqueDest(d, s, r, n, colorLanes);
            continue;
        }
#endif
        int i = 0;
        while (i < n)
        {
            const int end = std::min<int>(i + r[i], n);
            // A transparent run leaves the destination as it is, whatever the colour.
            if ((s[i] >> 24) != 0)
                for (int k = i; k < end; k++)
                    d[k] = BlendNormal(d[k], s[k], color);
            i = end;
        }
    }
}

void BlitPalettedRle(const DestPixels& dest, int x, int y, const SourcePixels& src, const uint8_t* rle,
                     const Rect& srcRect, uint32_t color)
{
    const int n = srcRect.width;
    for (int j = 0; j < srcRect.height; j++)
    {
        size_t offset = static_cast<size_t>(srcRect.y + j) * static_cast<size_t>(src.width) + static_cast<size_t>(srcRect.x);
        const uint8_t* s = src.indices + offset;
        const uint8_t* r = rle + offset;
        uint32_t* d = dest.Row(y + j) + x;
        int i = 0;
        while (i < n)
        {
            const int end = std::min<int>(i + r[i], n);
            if ((src.table[s[i]] >> 24) != 0)
                for (int k = i; k < end; k++)
                    d[k] = BlendNormal(d[k], src.table[s[k]], color);
            i = end;
        }
    }
}

void BuildAdditivePrescaled(const SourcePixels& src, uint32_t* out)
{
    for (int y = 0; y < src.height; y++)
    {
        for (int x = 0; x < src.width; x++)
        {
            uint32_t p = src.At(x, y);
            uint32_t a = A(p);
            // The source term of the additive rule: s * alpha / 256 when translucent.
            *out++ = a == 255 ? (p & 0x00FFFFFF) : Pack(0, (R(p) * a) >> 8, (G(p) * a) >> 8, (B(p) * a) >> 8);
        }
    }
}

void BlitAdditiveRle(const DestPixels& dest, int x, int y, const uint32_t* srcBits, int srcWidth,
                     const uint8_t* rle, const uint32_t* prescaled, const Rect& srcRect, Simd simd)
{
    const int n = srcRect.width;
    const bool useSimd = simd != Simd::None;
    if (simd == Simd::Avx2 && prescaled != nullptr)
    {
        avx2::AddPrescaled(AvxRows(dest, x, y, srcBits, srcWidth, rle, srcRect),
                           prescaled + (static_cast<size_t>(srcRect.y) * static_cast<size_t>(srcWidth) + static_cast<size_t>(srcRect.x)));
        return;
    }
    for (int j = 0; j < srcRect.height; j++)
    {
        size_t offset = static_cast<size_t>(srcRect.y + j) * static_cast<size_t>(srcWidth) + static_cast<size_t>(srcRect.x);
        const uint32_t* s = srcBits + offset;
        const uint8_t* r = rle + offset;
        uint32_t* d = dest.Row(y + j) + x;
#if ZEST_HAVE_SSE2
        if (useSimd && prescaled != nullptr)
        {
            AddRowPrescaled(d, s, prescaled + offset, r, n);
            continue;
        }
#endif
        int i = 0;
        while (i < n)
        {
            int run = std::min<int>(r[i], n - i);
            uint32_t p = s[i];
            // Class as the table was built: nothing to add / opaque / scaled by its alpha.
            if ((p >> 24) == 0 || (p & 0x00FFFFFF) == 0)
            {
            }
            else if ((p >> 24) == 255)
            {
                AddRunOpaque(d + i, s + i, run, useSimd);
            }
            else
            {
                AddRunScaled(d + i, s + i, run, useSimd);
            }
            i += run;
        }
    }
}

void StretchRef(const DestPixels& dest, const Rect& area, const Rect& destRect, const SourcePixels& src,
                const Rect& srcRect, uint32_t color, int mode, bool mirror)
{
    for (int y = area.y; y < area.y + area.height; y++)
    {
        int64_t j = y - destRect.y;
        int sy = srcRect.y + static_cast<int>((j * 2 * srcRect.height + srcRect.height) / (2 * static_cast<int64_t>(destRect.height)));
        for (int x = area.x; x < area.x + area.width; x++)
        {
            int64_t i = x - destRect.x;
            int offset = static_cast<int>((i * 2 * srcRect.width + srcRect.width) / (2 * static_cast<int64_t>(destRect.width)));
            int sx = mirror ? srcRect.x + srcRect.width - 1 - offset : srcRect.x + offset;
            uint32_t* d = dest.Row(y) + x;
            *d = BlendRef(*d, src.At(sx, sy), color, mode);
        }
    }
}

void StretchFast(const DestPixels& dest, const Rect& area, const Rect& destRect, const SourcePixels& src,
                 const Rect& srcRect, uint32_t color, int mode, bool mirror, bool destOpaque, Simd simd)
{
    switch (ChooseKind(color, mode, destOpaque))
    {
    case Kind::WhiteOpaque:
        return StretchKernel<Kind::WhiteOpaque>(dest, area, destRect, src, srcRect, color, mode, mirror, simd);
    case Kind::WhiteNormal:
        return StretchKernel<Kind::WhiteNormal>(dest, area, destRect, src, srcRect, color, mode, mirror);
    case Kind::WhiteAdditive:
        return StretchKernel<Kind::WhiteAdditive>(dest, area, destRect, src, srcRect, color, mode, mirror);
    case Kind::Reference:
        return StretchKernel<Kind::Reference>(dest, area, destRect, src, srcRect, color, mode, mirror);
    }
}

bool MakeAffineMap(double a, double b, double c, double d, double tx, double ty, AffineMap& map)
{
    double det = a * d - b * c;
    if (!std::isfinite(det) || std::fabs(det) < 1e-9 || !std::isfinite(tx) || !std::isfinite(ty))
        return false;
    // src = inverse(A) * (dest - t), evaluated at pixel centres (x + 0.5, y + 0.5).
    double ia = d / det, ib = -b / det, ic = -c / det, id = a / det;
    double u0 = ia * (0.5 - tx) + ib * (0.5 - ty);
    double v0 = ic * (0.5 - tx) + id * (0.5 - ty);
    auto fixed = [](double v) { return static_cast<int64_t>(std::llround(v * 65536.0)); };
    if (std::fabs(u0) > 1e12 || std::fabs(v0) > 1e12 || std::fabs(ia) > 1e6 || std::fabs(ib) > 1e6 ||
        std::fabs(ic) > 1e6 || std::fabs(id) > 1e6)
        return false;
    map.u0 = fixed(u0);
    map.v0 = fixed(v0);
    map.dux = fixed(ia);
    map.duy = fixed(ib);
    map.dvx = fixed(ic);
    map.dvy = fixed(id);
    return true;
}

void AffineRef(const DestPixels& dest, const Rect& area, const SourcePixels& src, const Rect& srcRect,
               const AffineMap& map, uint32_t color, int mode)
{
    AffineKernel<Kind::Reference>(dest, area, src, srcRect, map, color, mode);
}

void AffineFast(const DestPixels& dest, const Rect& area, const SourcePixels& src, const Rect& srcRect,
                const AffineMap& map, uint32_t color, int mode, bool destOpaque, Simd simd)
{
    switch (ChooseKind(color, mode, destOpaque))
    {
    case Kind::WhiteOpaque:
        return AffineKernel<Kind::WhiteOpaque>(dest, area, src, srcRect, map, color, mode, simd);
    case Kind::WhiteNormal:
        return AffineKernel<Kind::WhiteNormal>(dest, area, src, srcRect, map, color, mode);
    case Kind::WhiteAdditive:
        return AffineKernel<Kind::WhiteAdditive>(dest, area, src, srcRect, map, color, mode);
    case Kind::Reference:
        return AffineKernel<Kind::Reference>(dest, area, src, srcRect, map, color, mode);
    }
}

} // namespace zest::blit
