// Decodes a 32-bit Targa file held in memory into ARGB pixels. Stateless; any thread.
#pragma once

#include "resources/PixelAllocator.h"

#include <cstddef>
#include <cstdint>

namespace zest
{

// Accepts only 32 bits per pixel with descriptor 28 hex (top-left origin, 8 alpha bits); pixels are stored blue,
// green, red, alpha. An image ID field and a colour map before the pixels are skipped; run-length data (image
// type 10) is expanded. Returns false for any other depth or descriptor, a zero or oversized image, or data
// shorter than the image needs.
[[nodiscard]] bool DecodeTarga(const uint8_t* data, size_t size, const PixelAllocator& allocate);

} // namespace zest
