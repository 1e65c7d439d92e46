#include "graphics/BlitRowsAvx2.h"

#include "graphics/BlitRoutines.h"

#include <algorithm>
#include <cstddef>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define ZEST_BUILD_AVX2 1
#else
#define ZEST_BUILD_AVX2 0
#endif

#if ZEST_BUILD_AVX2
// Everything in this file is compiled for AVX2; the caller checks the processor first.
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif
#endif

namespace zest::blit::avx2
{

#if ZEST_BUILD_AVX2

namespace
{

inline __m256i Load8(const uint32_t* p)
{
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}
inline void Store8(uint32_t* p, __m256i v)
{
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
}

// Alpha of each pixel's 16-bit lanes spread over its four channel lanes.
inline __m256i SpreadAlpha(__m256i lanes)
{
    return _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(lanes, 0xFF), 0xFF);
}

// (s * a + d * (256 - a)) >> 8 per channel for eight pixels given as 16-bit lanes (low and high
// halves of each 128-bit lane); every sum stays below 2^16, so the wrapping adds are exact.
inline __m256i Weighted(__m256i sLo, __m256i sHi, __m256i aLo, __m256i aHi, __m256i d)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i k256 = _mm256_set1_epi16(256);
    __m256i dLo = _mm256_unpacklo_epi8(d, zero);
    __m256i dHi = _mm256_unpackhi_epi8(d, zero);
    __m256i rLo = _mm256_add_epi16(_mm256_mullo_epi16(sLo, aLo), _mm256_mullo_epi16(dLo, _mm256_sub_epi16(k256, aLo)));
    __m256i rHi = _mm256_add_epi16(_mm256_mullo_epi16(sHi, aHi), _mm256_mullo_epi16(dHi, _mm256_sub_epi16(k256, aHi)));
    __m256i out = _mm256_packus_epi16(_mm256_srli_epi16(rLo, 8), _mm256_srli_epi16(rHi, 8));
    return _mm256_or_si256(out, _mm256_set1_epi32(static_cast<int>(0xFF000000)));
}

// Eight pixels of the white normal blend onto an opaque destination: alpha 255 replaces, alpha 0
// keeps the destination, the rest blend.
inline __m256i Over8(__m256i s, __m256i d, __m256i alpha)
{
    const __m256i zero = _mm256_setzero_si256();
    __m256i sLo = _mm256_unpacklo_epi8(s, zero);
    __m256i sHi = _mm256_unpackhi_epi8(s, zero);
    __m256i out = Weighted(sLo, sHi, SpreadAlpha(sLo), SpreadAlpha(sHi), d);
    out = _mm256_blendv_epi8(out, s, _mm256_cmpeq_epi32(alpha, _mm256_set1_epi32(255)));
    return _mm256_blendv_epi8(out, d, _mm256_cmpeq_epi32(alpha, zero));
}

// The constants of OverExact8, made once per blit and kept in registers across its rows.
struct OverConstants
{
    __m256i lowBytes;
    __m256i spreadAlpha;
    __m256i k255;
    __m256i k256;
    __m256i opaqueAlpha;
};

inline OverConstants MakeOverConstants()
{
    // spreadAlpha: each pixel's alpha byte into both of its 16-bit lanes (-128 gives a zero byte).
    return OverConstants{_mm256_set1_epi32(0x00FF00FF),
                         _mm256_setr_epi8(3, -128, 3, -128, 7, -128, 7, -128, 11, -128, 11, -128, 15, -128, 15, -128, 3,
                                          -128, 3, -128, 7, -128, 7, -128, 11, -128, 11, -128, 15, -128, 15, -128),
                         _mm256_set1_epi16(255), _mm256_set1_epi16(256),
                         _mm256_set1_epi32(static_cast<int>(0xFF000000))};
}

// Eight pixels of the white normal blend onto an opaque destination without a select: the weight
// is the alpha, except 256 for alpha 255, so (s * w + d * (256 - w)) >> 8 leaves the destination
// exactly at alpha 0 and gives the source exactly at alpha 255, as the reference does. Red/blue
// and alpha/green sit in separate 16-bit lanes, so no unpacking is needed.
inline __m256i OverExact8(__m256i s, __m256i d, const OverConstants& k)
{
    __m256i a = _mm256_shuffle_epi8(s, k.spreadAlpha);
    __m256i w = _mm256_sub_epi16(a, _mm256_cmpeq_epi16(a, k.k255));
    __m256i iw = _mm256_sub_epi16(k.k256, w);
    __m256i rb = _mm256_add_epi16(_mm256_mullo_epi16(_mm256_and_si256(s, k.lowBytes), w),
                                  _mm256_mullo_epi16(_mm256_and_si256(d, k.lowBytes), iw));
    __m256i ag = _mm256_add_epi16(_mm256_mullo_epi16(_mm256_srli_epi16(s, 8), w),
                                  _mm256_mullo_epi16(_mm256_srli_epi16(d, 8), iw));
    __m256i out = _mm256_or_si256(_mm256_srli_epi16(rb, 8), _mm256_andnot_si256(k.lowBytes, ag));
    return _mm256_or_si256(out, k.opaqueAlpha);
}

// Exact x / 255 in 16-bit lanes for 0 <= x <= 255 * 255.
inline __m256i Div255(__m256i x)
{
    return _mm256_srli_epi16(_mm256_add_epi16(_mm256_add_epi16(x, _mm256_set1_epi16(1)), _mm256_srli_epi16(x, 8)), 8);
}

// Eight pixels' channels and alpha scaled by the colour's (x * c / 255).
inline __m256i Tint8(__m256i s, __m256i colorLanes)
{
    const __m256i zero = _mm256_setzero_si256();
    return _mm256_packus_epi16(Div255(_mm256_mullo_epi16(_mm256_unpacklo_epi8(s, zero), colorLanes)),
                               Div255(_mm256_mullo_epi16(_mm256_unpackhi_epi8(s, zero), colorLanes)));
}

// Eight pixels of the tinted normal blend onto an opaque destination: channels and alpha scaled
// by the colour's (x * c / 255), replaced where the scaled alpha is 255, blended elsewhere.
inline __m256i TintedOver8(__m256i s, __m256i d, __m256i colorLanes)
{
    const __m256i zero = _mm256_setzero_si256();
    __m256i tLo = Div255(_mm256_mullo_epi16(_mm256_unpacklo_epi8(s, zero), colorLanes));
    __m256i tHi = Div255(_mm256_mullo_epi16(_mm256_unpackhi_epi8(s, zero), colorLanes));
    __m256i blended = Weighted(tLo, tHi, SpreadAlpha(tLo), SpreadAlpha(tHi), d);
    __m256i tinted = _mm256_packus_epi16(tLo, tHi);
    __m256i opaque = _mm256_cmpeq_epi32(_mm256_srli_epi32(tinted, 24), _mm256_set1_epi32(255));
    return _mm256_blendv_epi8(blended, tinted, opaque);
}

// Which eight-pixel kernel a row's tail goes through.
enum class TailKind
{
    Over,
    Tinted,
};

// A row's last 0 < n < 8 pixels through an eight-pixel kernel, with masked loads and stores:
// lanes past the row read as zero (which blends nothing) and are never written.
template <TailKind kind>
inline void Tail(uint32_t* d, const uint32_t* s, int n, __m256i colorLanes = __m256i())
{
    const __m256i mask = _mm256_cmpgt_epi32(_mm256_set1_epi32(n), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
    __m256i sv = _mm256_maskload_epi32(reinterpret_cast<const int*>(s), mask);
    __m256i dv = _mm256_maskload_epi32(reinterpret_cast<const int*>(d), mask);
    __m256i out;
    if constexpr (kind == TailKind::Over)
        out = Over8(sv, dv, _mm256_srli_epi32(sv, 24));
    else
        out = TintedOver8(sv, dv, colorLanes);
    _mm256_maskstore_epi32(reinterpret_cast<int*>(d), mask, out);
}

// A run of n >= 8 opaque pixels: blocks of eight, the last one overlapping the one before. Inline
// stores beat a library copy call for the 30 - 250 pixel runs of sprites.
inline void CopyRun(uint32_t* d, const uint32_t* s, int n)
{
    int i = 0;
    for (; i + 8 < n; i += 8)
        Store8(d + i, Load8(s + i));
    Store8(d + n - 8, Load8(s + n - 8));
}

// s[index[0..7]] as eight lanes. Eight plain loads: the gather instruction was slower than them
// on the processors measured (AMD Zen 4: the stretched rows lost 20 % with it).
inline __m256i Gather8(const uint32_t* s, const int* index)
{
    return _mm256_setr_epi32(static_cast<int>(s[index[0]]), static_cast<int>(s[index[1]]),
                             static_cast<int>(s[index[2]]), static_cast<int>(s[index[3]]),
                             static_cast<int>(s[index[4]]), static_cast<int>(s[index[5]]),
                             static_cast<int>(s[index[6]]), static_cast<int>(s[index[7]]));
}

} // namespace

bool Compiled()
{
    return true;
}

// One row drawn by its span: lo <= hi, the drawn part of the row's visible pixels, and
// [opaqueFirst, opaqueEnd) the drawn part of its long opaque run (empty or at least 16 pixels).
// Blending a transparent pixel leaves it and blending an opaque one only sets it (the kernels' Blend
// and Fill must make that so), so blocks may run over them: the edges go in whole blocks that reach into
// the opaque run (left edge forwards, right edge backwards, so no translucent pixel is blended
// twice), and the run itself is filled without reading the destination. Both edges are blended
// before the run is filled: a load overlapping a just-made store cannot take its data from it.
template <typename Kernels>
[[gnu::always_inline]] inline void SpanRow(uint32_t* d, const uint32_t* s, int n, int lo, int hi, int opaqueFirst,
                                           int opaqueEnd, const Kernels& kernels)
{
    if (opaqueEnd - opaqueFirst >= 16)
    {
        for (int i = lo; i < opaqueFirst; i += 8)
            Store8(d + i, kernels.Blend(Load8(s + i), Load8(d + i)));
        for (int i = hi; i > opaqueEnd; i -= 8)
            Store8(d + i - 8, kernels.Blend(Load8(s + i - 8), Load8(d + i - 8)));
        // Sixteen at a time: half the loop steps (the runs are 16 or more).
        int i = opaqueFirst;
        for (; i + 16 < opaqueEnd; i += 16)
        {
            Store8(d + i, kernels.Fill(Load8(s + i)));
            Store8(d + i + 8, kernels.Fill(Load8(s + i + 8)));
        }
        Store8(d + opaqueEnd - 16, kernels.Fill(Load8(s + opaqueEnd - 16)));
        Store8(d + opaqueEnd - 8, kernels.Fill(Load8(s + opaqueEnd - 8)));
        return;
    }
    // No run worth filling: whole blocks over [lo, hi), moved left as far as the row's end needs
    // (pixels outside [lo, hi) are transparent, so blending them changes nothing). Only a span
    // that rounds up to more than the row needs a masked block: masked loads and stores are slow,
    // and small sprites such as particles would meet one on almost every row.
    const int blocks = (hi - lo + 7) / 8;
    int i = std::min(lo, n - 8 * blocks);
    if (i >= 0)
    {
        for (; i < hi; i += 8)
            Store8(d + i, kernels.Blend(Load8(s + i), Load8(d + i)));
        return;
    }
    i = lo;
    for (; i + 8 <= n; i += 8)
        Store8(d + i, kernels.Blend(Load8(s + i), Load8(d + i)));
    if (i < hi)
    {
        const __m256i mask = _mm256_cmpgt_epi32(_mm256_set1_epi32(n - i), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
        __m256i out = kernels.Blend(_mm256_maskload_epi32(reinterpret_cast<const int*>(s + i), mask),
                                    _mm256_maskload_epi32(reinterpret_cast<const int*>(d + i), mask));
        _mm256_maskstore_epi32(reinterpret_cast<int*>(d + i), mask, out);
    }
}

// SpanRows for blits that do (clipped) or do not cut their cel's rows at either side.
template <bool clipped, typename Kernels>
inline void SpanRowsClipped(const Rows& rows, const Kernels& kernels, bool fillRuns)
{
    // Locals, not the caller's fields: vector stores may alias anything, so those would be loaded
    // again on every row.
    uint32_t* d = rows.d;
    const uint32_t* s = rows.s;
    const uint8_t* r = rows.r;
    const RowSpan* span = rows.spans;
    const int n = rows.n, sx = rows.sx, count = rows.rows;
    const ptrdiff_t dPitch = rows.dPitch, sPitch = rows.sPitch, spanStride = rows.spanStride;
    for (int j = 0; j < count; j++, d += dPitch, s += sPitch, r += sPitch, span += spanStride)
    {
        if (span->walk)
        {
            kernels.Walk(d, s, r);
            continue;
        }
        // Whole rows take their span as it is.
        const int lo = clipped ? std::max(span->first - sx, 0) : span->first - sx;
        const int hi = clipped ? std::min(span->end - sx, n) : span->end - sx;
        if (lo >= hi)
            continue;
        if (!fillRuns)
            SpanRow(d, s, n, lo, hi, 0, 0, kernels);
        else if (clipped)
            SpanRow(d, s, n, lo, hi, std::max(span->opaqueFirst - sx, lo), std::min(span->opaqueEnd - sx, hi), kernels);
        else
            SpanRow(d, s, n, lo, hi, span->opaqueFirst - sx, span->opaqueEnd - sx, kernels);
    }
}

// The rows of a blit by their spans (walk: run by run instead). Kernels gives Blend (eight
// pixels blended), Fill (eight pixels of an opaque run) and Walk (one row run by run). fillRuns:
// the opaque runs stay opaque under this blit, so they may be filled.
template <typename Kernels>
inline void SpanRows(const Rows& rows, const Kernels& kernelsIn, bool fillRuns)
{
    // A local copy: vector stores may alias anything, so the caller's constants would be loaded again
    // after every store.
    const Kernels kernels = kernelsIn;
    if (rows.wholeCel)
        SpanRowsClipped<false>(rows, kernels, fillRuns);
    else
        SpanRowsClipped<true>(rows, kernels, fillRuns);
}

// Profile (callgrind, bench_blit's 64 x 64 disc onto the screen): the SSE2 rows took 15,000
// instructions a blit (pixman OVER 21,900, SDL's RLE blit 15,600), most of them in the four-pixel
// groups and the loop control around them; a first AVX2 version lost its gain to row tails
// padded through memcpy. Eight-pixel groups, masked tails and inline copies of opaque runs:
// 12,300.
inline void OverRow(uint32_t* d, const uint32_t* s, const uint8_t* r, int n)
{
    const __m256i k255 = _mm256_set1_epi32(255);
    int i = 0;
    while (i < n)
    {
        if ((s[i] >> 24) == 0)
        {
            i += r[i];
            continue;
        }
        if (i + 8 > n)
        {
            Tail<TailKind::Over>(d + i, s + i, n - i);
            return;
        }
        __m256i sv = Load8(s + i);
        __m256i alpha = _mm256_srli_epi32(sv, 24);
        if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(alpha, k255)) == -1)
        {
            if (r[i] >= 16)
            {
                // A long opaque run: copy it whole, joining the pieces of runs past the 255 cap.
                int end = i + (r[i] < n - i ? r[i] : n - i);
                while (end < n && (s[end] >> 24) == 255)
                    end += r[end] < n - end ? r[end] : n - end;
                CopyRun(d + i, s + i, end - i);
                i = end;
                continue;
            }
            Store8(d + i, sv);
        }
        else
        {
            Store8(d + i, Over8(sv, Load8(d + i), alpha));
        }
        i += 8;
    }
}

// Profile (perf, bench_garden's busy frame): the tinted roses took 11 % of the frame, every
// group through the whole blend. Under an opaque colour an opaque group only needs its tint.
inline void TintedRow(uint32_t* d, const uint32_t* s, const uint8_t* r, int n, __m256i colorLanes, bool colorOpaque)
{
    const __m256i k255 = _mm256_set1_epi32(255);
    int i = 0;
    while (i < n)
    {
        if ((s[i] >> 24) == 0)
        {
            i += r[i];
            continue;
        }
        if (i + 8 > n)
        {
            Tail<TailKind::Tinted>(d + i, s + i, n - i, colorLanes);
            return;
        }
        __m256i sv = Load8(s + i);
        if (colorOpaque && _mm256_movemask_epi8(_mm256_cmpeq_epi32(_mm256_srli_epi32(sv, 24), k255)) == -1)
            Store8(d + i, Tint8(sv, colorLanes));
        else
            Store8(d + i, TintedOver8(sv, Load8(d + i), colorLanes));
        i += 8;
    }
}

inline bool AddsNothing(uint32_t p)
{
    return (p >> 24) == 0 || (p & 0x00FFFFFF) == 0;
}

// Profile (callgrind and perf, bench_blit's additive disc): with the premultiplied copy the SSE2
// rows were already one saturating add per four pixels, 9,600 instructions a blit (pixman ADD
// 9,900), the rest loop control; a first AVX2 version (a pixel test every sixteen, masked tails)
// took 7,000 and ran at 0.85 of pixman ADD, and walking each row run by run to add only what
// adds something took 11,000 and twice the time: on a 64-pixel sprite the data-dependent
// branches cost more than the adds they save. Adding a pixel that adds nothing is harmless (its
// prescaled term is 0), so a row is added whole in blocks of eight, the same count every row
// so the loop branch is predicted; only rows that add nothing at all are jumped.
inline void AddRow(uint32_t* d, const uint32_t* pre, int n)
{
    int i = 0;
    for (; i + 8 <= n; i += 8)
        Store8(d + i, _mm256_adds_epu8(Load8(d + i), Load8(pre + i)));
    if (i + 4 <= n)
    {
        auto* d4 = reinterpret_cast<__m128i*>(d + i);
        const auto* pre4 = reinterpret_cast<const __m128i*>(pre + i);
        _mm_storeu_si128(d4, _mm_adds_epu8(_mm_loadu_si128(d4), _mm_loadu_si128(pre4)));
        i += 4;
    }
    for (; i < n; i++)
        d[i] = static_cast<uint32_t>(_mm_cvtsi128_si32(
            _mm_adds_epu8(_mm_cvtsi32_si128(static_cast<int>(d[i])), _mm_cvtsi32_si128(static_cast<int>(pre[i])))));
}

struct OverSpanKernels
{
    int n;
    OverConstants k;
    __m256i Blend(__m256i s, __m256i d) const { return OverExact8(s, d, k); }
    __m256i Fill(__m256i s) const { return s; }
    void Walk(uint32_t* d, const uint32_t* s, const uint8_t* r) const { OverRow(d, s, r, n); }
};

// The tinted blend leaves the destination at alpha 0 and replaces it where the tinted alpha is
// 255, so spans work as for white; an opaque run is only tinted, when the colour keeps it opaque.
struct TintedSpanKernels
{
    int n;
    __m256i colorLanes;
    bool colorOpaque;
    __m256i Blend(__m256i s, __m256i d) const { return TintedOver8(s, d, colorLanes); }
    __m256i Fill(__m256i s) const { return Tint8(s, colorLanes); }
    void Walk(uint32_t* d, const uint32_t* s, const uint8_t* r) const
    {
        TintedRow(d, s, r, n, colorLanes, colorOpaque);
    }
};

// Profile (callgrind, bench_blit's disc): the run walk below took 12,300 instructions a blit
// (SDL's RLE blit 15,500, pixman OVER 21,800), much of it in the branches between skipping,
// blending and copying, whose run lengths change from row to row. By spans a row is one fixed
// sequence (its two edges blended in whole blocks, its opaque run copied) with no branch on the
// pixels: 7,300 instructions, 0.44 of SDL's time. bench_garden's busy frame (sheet cels, so the
// spans are kept per cel): 908,000 -> 735,000 instructions and about 84 -> 72 us a frame.
void OverOpaqueDest(const Rows& rows)
{
    if (rows.spans)
    {
        SpanRows(rows, OverSpanKernels{rows.n, MakeOverConstants()}, true);
        return;
    }
    for (int j = 0; j < rows.rows; j++)
    {
        const size_t offset = static_cast<size_t>(j) * static_cast<size_t>(rows.sPitch);
        OverRow(rows.d + static_cast<size_t>(j) * static_cast<size_t>(rows.dPitch), rows.s + offset, rows.r + offset,
                rows.n);
    }
}

void TintedOpaqueDest(const Rows& rows, uint32_t color)
{
    // The colour's channels as 16-bit lanes in pixel byte order (B, G, R, A), four times.
    const __m256i colorLanes = _mm256_unpacklo_epi8(_mm256_set1_epi32(static_cast<int>(color)), _mm256_setzero_si256());
    const bool colorOpaque = (color >> 24) == 255;
    if (rows.spans)
    {
        SpanRows(rows, TintedSpanKernels{rows.n, colorLanes, colorOpaque}, colorOpaque);
        return;
    }
    for (int j = 0; j < rows.rows; j++)
    {
        const size_t offset = static_cast<size_t>(j) * static_cast<size_t>(rows.sPitch);
        TintedRow(rows.d + static_cast<size_t>(j) * static_cast<size_t>(rows.dPitch), rows.s + offset, rows.r + offset,
                  rows.n, colorLanes, colorOpaque);
    }
}

void AddPrescaled(const Rows& rows, const uint32_t* pre)
{
    for (int j = 0; j < rows.rows; j++)
    {
        const size_t offset = static_cast<size_t>(j) * static_cast<size_t>(rows.sPitch);
        // A row that adds nothing is one run (run lengths stop at 255, so wide rows are added anyway).
        if (AddsNothing(rows.s[offset]) && rows.r[offset] >= rows.n)
            continue;
        AddRow(rows.d + static_cast<size_t>(j) * static_cast<size_t>(rows.dPitch), pre + offset, rows.n);
    }
}

// Profile (perf, bench_garden's busy frame): the stretched tomatoes and the mirrored bee took
// 9 % of the frame in four-pixel groups. Eight at once, read through the column table; the
// blend of mixed groups without selects, as in the span rows.
int StretchOverOpaqueDest(uint32_t* d, const uint32_t* s, const int* xs, int count)
{
    const __m256i k255 = _mm256_set1_epi32(255);
    const __m256i zero = _mm256_setzero_si256();
    const OverConstants over = MakeOverConstants();
    int k = 0;
    for (; k + 8 <= count; k += 8)
    {
        __m256i sv = Gather8(s, xs + k);
        __m256i alpha = _mm256_srli_epi32(sv, 24);
        if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(alpha, k255)) == -1)
            Store8(d + k, sv);
        else if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(alpha, zero)) != -1)
            Store8(d + k, OverExact8(sv, Load8(d + k), over));
    }
    return k;
}

// Profile (perf, bench_garden's busy frame): the rotated hose and spray sampled one pixel at a
// time took 18 % of the frame, in the blend's branches more than in the sampling. Eight samples
// at once (Gather8's plain loads) and the same blend as the 1:1 blit's span rows.
int AffineOverOpaqueDest(uint32_t* d, const uint32_t* bits, int pitch, int32_t u, int32_t v, int32_t du, int32_t dv,
                         int count)
{
    // Lane k holds the k-th sample; the sums wrap like the 64-bit steps they stand for, and every
    // sample taken is inside the source, so the wrapped values are the exact ones.
    const __m256i steps = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    __m256i uu = _mm256_add_epi32(_mm256_set1_epi32(u), _mm256_mullo_epi32(_mm256_set1_epi32(du), steps));
    __m256i vv = _mm256_add_epi32(_mm256_set1_epi32(v), _mm256_mullo_epi32(_mm256_set1_epi32(dv), steps));
    const __m256i du8 = _mm256_set1_epi32(static_cast<int32_t>(static_cast<uint32_t>(du) * 8u));
    const __m256i dv8 = _mm256_set1_epi32(static_cast<int32_t>(static_cast<uint32_t>(dv) * 8u));
    const __m256i pitchLanes = _mm256_set1_epi32(pitch);
    const OverConstants over = MakeOverConstants();
    int k = 0;
    for (; k + 8 <= count; k += 8)
    {
        alignas(32) int index[8];
        _mm256_store_si256(reinterpret_cast<__m256i*>(index),
                           _mm256_add_epi32(_mm256_mullo_epi32(_mm256_srai_epi32(vv, 16), pitchLanes),
                                            _mm256_srai_epi32(uu, 16)));
        __m256i sv = Gather8(bits, index);
        Store8(d + k, OverExact8(sv, Load8(d + k), over));
        uu = _mm256_add_epi32(uu, du8);
        vv = _mm256_add_epi32(vv, dv8);
    }
    return k;
}

#else

bool Compiled()
{
    return false;
}
int StretchOverOpaqueDest(uint32_t*, const uint32_t*, const int*, int)
{
    return 0;
}
int AffineOverOpaqueDest(uint32_t*, const uint32_t*, int, int32_t, int32_t, int32_t, int32_t, int)
{
    return 0;
}
void OverOpaqueDest(const Rows&)
{
}
void TintedOpaqueDest(const Rows&, uint32_t)
{
}
void AddPrescaled(const Rows&, const uint32_t*)
{
}

#endif

} // namespace zest::blit::avx2

#if ZEST_BUILD_AVX2
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif
#endif
