// Pixel kernels behind MemoryImage's drawing operations: the plain reference formulas and the fast
// paths (run-length skipping and copying, SSE2 and AVX2 blending), picked once per request by the
// caller; the widest vector kernels the processor runs are found once (BestSimd).
// Every fast path gives exactly the reference results; tests hold them against each other.
// Stateless; any thread, on pixel buffers the caller owns.
#pragma once

#include "base/Color.h"

#include <cstdint>
#include <vector>

namespace zest::blit
{

// Pixels to read: 32-bit 0xAARRGGBB bits, or 8-bit indices into a 256-entry colour table.
struct SourcePixels
{
    const uint32_t* bits = nullptr;
    const uint8_t* indices = nullptr;
    const uint32_t* table = nullptr;
    int width = 0;
    int height = 0;

    uint32_t At(int x, int y) const
    {
        size_t i = static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x);
        return bits ? bits[i] : table[indices[i]];
    }
};

struct DestPixels
{
    uint32_t* bits = nullptr;
    int width = 0;
    int height = 0;

    uint32_t* Row(int y) const { return bits + static_cast<size_t>(y) * static_cast<size_t>(width); }
};

inline constexpr uint32_t WhiteColor = 0xFFFFFFFF;

// Vector kernels a fast path may use.
enum class Simd
{
    None, // plain C++
    Sse2, // four pixels at a time
    Avx2, // eight pixels at a time
};

// One destination pixel under a source pixel, normal mode. color is the packed drawing colour
// (white = draw the source unchanged).
uint32_t BlendNormalRef(uint32_t dest, uint32_t src, uint32_t color);
// The same, additive mode.
uint32_t BlendAdditiveRef(uint32_t dest, uint32_t src, uint32_t color);
inline uint32_t BlendRef(uint32_t dest, uint32_t src, uint32_t color, int mode)
{
    return mode == 1 ? BlendAdditiveRef(dest, src, color) : BlendNormalRef(dest, src, color);
}

// Run-length tables (one byte per pixel, remaining run length within the row, capped at 255).
// Alpha classes: 0 (alpha 0), 1 (alpha 255), 2 (other).
void BuildRunLengthAlpha(const SourcePixels& src, uint8_t* out);
// Additive classes: 0 (adds nothing: alpha 0 or black), 1 (alpha 255), 2 (other).
void BuildRunLengthAdditive(const SourcePixels& src, uint8_t* out);

// Where one source row's visible pixels lie, for the vector blits that blend whole spans instead of
// walking runs. Every pixel with alpha above 0 lies in [first, end) (empty row: first == end);
// [opaqueFirst, opaqueEnd) is the row's longest run of opaque pixels when it is at least
// SpanOpaqueRun long (else empty), copied instead of blended; walk marks rows whose spans hold a
// transparent gap of SpanWalkGap pixels or more, drawn run by run instead.
struct RowSpan
{
    int32_t first = 0;
    int32_t end = 0;
    int32_t opaqueFirst = 0;
    int32_t opaqueEnd = 0;
    bool walk = false;
};
inline constexpr int SpanOpaqueRun = 16;
inline constexpr int SpanWalkGap = 64;
// A source's row spans as the blits take them: one per row and cel column (columns cels across,
// each width / columns wide), out[row * columns + column], in the source's columns. Per cel, since
// a blit of one cel of a sheet must not take the span of the whole sheet row.
struct SpanTable
{
    const RowSpan* spans = nullptr;
    int columns = 1;
};
// Fills out (height * columns entries); columns must divide src.width.
void BuildRowSpans(const SourcePixels& src, int columns, RowSpan* out);

// Fills rect (inside dest) with color as the source pixel, normal blending (alpha 255 sets).
void FillRectRef(const DestPixels& dest, const Rect& rect, uint32_t color);
// destOpaque: every pixel of dest has alpha 255 (then the cheaper exact form is used).
void FillRectFast(const DestPixels& dest, const Rect& rect, uint32_t color, bool destOpaque);

// Blits srcRect (inside src) to (x, y) (the whole of it inside dest), pixel by pixel through the
// reference formulas. mirror: the source's columns in reverse order.
void BlitRef(const DestPixels& dest, int x, int y, const SourcePixels& src, const Rect& srcRect, uint32_t color,
             int mode, bool mirror);
// Fast normal blit of a 32-bit source drawn unchanged (white colour), using its alpha run-length
// table: transparent runs skipped, opaque runs copied, the rest blended. destOpaque as for fills;
// srcOpaque: every source pixel is known to have alpha 255 (a plain copy; rle may then be null).
// spans: the source's row spans (BuildRowSpans) or none; the AVX2 kernels onto an opaque
// destination blend by them when srcRect lies within one cel column.
void BlitNormalRle(const DestPixels& dest, int x, int y, const uint32_t* srcBits, int srcWidth, const uint8_t* rle,
                   const Rect& srcRect, bool destOpaque, bool srcOpaque, Simd simd, SpanTable spans = {});
// Normal blit of a 32-bit source under a colour other than white, using its alpha run-length
// table to skip transparent runs; onto an opaque destination four pixels at a time (SSE2),
// elsewhere through the reference formula, inlined. spans as for BlitNormalRle.
void BlitTintedRle(const DestPixels& dest, int x, int y, const uint32_t* srcBits, int srcWidth, const uint8_t* rle,
                   const Rect& srcRect, uint32_t color, bool destOpaque, Simd simd, SpanTable spans = {});
// Normal blit of a palettised source (any colour) with its alpha run-length table: transparent
// runs skipped, the rest through the reference formula, inlined.
void BlitPalettedRle(const DestPixels& dest, int x, int y, const SourcePixels& src, const uint8_t* rle,
                     const Rect& srcRect, uint32_t color);
// The source term of additive drawing for every pixel (channels scaled by alpha / 256 unless
// opaque; alpha byte 0), so the blit itself is one saturating add.
void BuildAdditivePrescaled(const SourcePixels& src, uint32_t* out);
// Fast additive blit of a 32-bit source (white colour) using its additive run-length table and,
// when given, its prescaled pixels.
void BlitAdditiveRle(const DestPixels& dest, int x, int y, const uint32_t* srcBits, int srcWidth,
                     const uint8_t* rle, const uint32_t* prescaled, const Rect& srcRect, Simd simd);

// Nearest-neighbour stretch of srcRect onto destRect, drawing only destination pixels inside area
// (area lies inside dest). Destination column i of destRect samples source column
// srcRect.x + floor((i + 0.5) * srcRect.width / destRect.width) (reversed when mirrored); rows alike.
void StretchRef(const DestPixels& dest, const Rect& area, const Rect& destRect, const SourcePixels& src,
                const Rect& srcRect, uint32_t color, int mode, bool mirror);
// simd: Avx2 draws white normal stretches onto an opaque destination eight pixels at a time.
void StretchFast(const DestPixels& dest, const Rect& area, const Rect& destRect, const SourcePixels& src,
                 const Rect& srcRect, uint32_t color, int mode, bool mirror, bool destOpaque, Simd simd);

// Source position of the centre of destination pixel (x, y): u = u0 + dux * x + duy * y,
// v = v0 + dvx * x + dvy * y, in 16.16 fixed point; the pixel floor(u), floor(v) is taken when it
// lies inside srcRect.
struct AffineMap
{
    int64_t u0 = 0;
    int64_t v0 = 0;
    int64_t dux = 0;
    int64_t dvx = 0;
    int64_t duy = 0;
    int64_t dvy = 0;
};
// Inverse of dest = A * src + t (src and dest continuous coordinates), set up for pixel centres.
// False when A cannot be inverted.
bool MakeAffineMap(double a, double b, double c, double d, double tx, double ty, AffineMap& map);
void AffineRef(const DestPixels& dest, const Rect& area, const SourcePixels& src, const Rect& srcRect,
               const AffineMap& map, uint32_t color, int mode);
// simd: Avx2 draws white normal blits onto an opaque destination eight pixels at a time.
void AffineFast(const DestPixels& dest, const Rect& area, const SourcePixels& src, const Rect& srcRect,
                const AffineMap& map, uint32_t color, int mode, bool destOpaque, Simd simd);

// The widest kernels this build and processor run, decided on the first call (AVX2 needs the
// processor's support; SSE2 is part of every x86-64 processor).
Simd BestSimd();
// Every level this build and processor run, narrowest first (for tests and benchmarks).
std::vector<Simd> AvailableSimd();

} // namespace zest::blit
