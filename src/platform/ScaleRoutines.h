// Whole-number nearest-neighbour enlargement of 32-bit pixels, for showing the screen in a window
// surface without a renderer: each source pixel becomes a scale x scale block. A scalar reference
// and an SSE2 row kernel (scales 2, 3 and 4) that tests hold equal. Stateless; any thread.
#pragma once

#include "base/Color.h"

#include <cstdint>

namespace zest::scale
{

// width source pixels -> width * scale destination pixels, each repeated scale times.
void UpscaleRowRef(const uint32_t* src, int width, int scale, uint32_t* dst);
void UpscaleRow(const uint32_t* src, int width, int scale, uint32_t* dst);

// Enlarges area (in source pixels; srcPitch pixels per source row) onto the destination, whose
// pixel (0, 0) shows source pixel (0, 0) at origin; only destination pixels inside clip are
// written (clip must lie within the destination buffer). Answers the destination rectangle written.
Rect UpscaleArea(const uint32_t* src, int srcPitch, const Rect& area, int scale, uint32_t* dst, int dstPitchBytes,
                 Point origin, const Rect& clip);

} // namespace zest::scale
