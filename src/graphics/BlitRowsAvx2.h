// Row kernels of the blits in 256-bit AVX2 form, eight pixels at a time. Built for any x86-64
// processor but only called when the processor has AVX2 (BestSimd). Each gives exactly the
// results of the reference formulas; tests hold them against the reference.
#pragma once

#include <cstdint>

namespace zest::blit
{
struct RowSpan;
}

namespace zest::blit::avx2
{

// Whether these kernels are compiled in (x86 builds).
bool Compiled();

// rows rows of n pixels: destination rows dPitch pixels apart from d; source pixels s, their
// run-length table r (and prescaled terms pre) sPitch pixels apart. One call per blit, so the
// vector unit's state is set up and left once, not once a row. spans: the first row's span
// (spanStride apart; in source columns, the first drawn column being sx) or none; wholeCel: the
// rows are drawn whole, so every span lies inside them.
struct Rows
{
    uint32_t* d;
    int dPitch;
    const uint32_t* s;
    const uint8_t* r;
    int sPitch;
    int n;
    int rows;
    const RowSpan* spans = nullptr;
    int spanStride = 1;
    int sx = 0;
    bool wholeCel = false;
};

// Normal blend of a white-drawn source onto an opaque destination: each row's span blended whole
// and its long opaque run copied when spans are given, else transparent runs jumped with the alpha
// run-length table.
void OverOpaqueDest(const Rows& rows);
// The same under a colour other than white (channels and alpha scaled by the colour's).
void TintedOpaqueDest(const Rows& rows, uint32_t color);
// Additive from prescaled source terms pre (laid out as the source); the source and its additive
// run-length table find the runs that add nothing.
void AddPrescaled(const Rows& rows, const uint32_t* pre);
// One row of a stretched white normal blit onto an opaque destination: d[i] takes s[xs[i]]. Draws
// whole groups of eight and returns how many pixels it drew.
int StretchOverOpaqueDest(uint32_t* d, const uint32_t* s, const int* xs, int count);
// One row of a transformed white normal blit onto an opaque destination: d[0..count) take the
// source pixels bits[(v >> 16) * pitch + (u >> 16)], u and v (16.16 fixed point) stepping by du
// and dv; every sample lies inside the source and below 2^31 in fixed point. Draws whole groups of
// eight and returns how many pixels it drew.
int AffineOverOpaqueDest(uint32_t* d, const uint32_t* bits, int pitch, int32_t u, int32_t v, int32_t du, int32_t dv,
                         int count);

} // namespace zest::blit::avx2
