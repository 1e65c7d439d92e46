// Decodes a PNG file read through the archive file functions into ARGB pixels, with libpng. Stateless; any thread
// (each call has its own decoder).
#pragma once

#include "resources/PixelAllocator.h"

namespace zest
{

struct PFILE;

// Reads from the file's current position. Every colour type lands as ARGB: palette, grey and transparency are
// expanded, grey becomes RGB, images without alpha get FF, 16-bit channels are reduced to 8 bits, interlaced files
// are de-interlaced. A short read ("Read Error"), any library error, a size over MaxImageSide or more pixel data
// than the file's compressed bytes could hold fail.
[[nodiscard]] bool DecodePng(PFILE* file, const PixelAllocator& allocate);

} // namespace zest
