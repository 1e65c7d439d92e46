// Decodes the first image of a GIF87a/GIF89a file held in memory into ARGB pixels. Stateless; any thread.
#pragma once

#include "resources/PixelAllocator.h"

#include <cstddef>
#include <cstdint>

namespace zest
{

// Decodes data[0..size). The image's own width and height become the size (its position and the logical screen
// are ignored). Pixels are their palette colour with alpha FF; the transparent index, and any index beyond the
// palette, give 0 (transparent black). Returns false on any damage: bad signature, truncation, a trailer before the
// first image, a zero or oversized image, LZW codes out of range, or fewer pixels than the image needs.
[[nodiscard]] bool DecodeGif(const uint8_t* data, size_t size, const PixelAllocator& allocate);

} // namespace zest
