// Decodes a JPEG file read through the archive file functions into ARGB pixels, with libjpeg. Stateless; any
// thread (each call has its own decoder).
#pragma once

#include "resources/PixelAllocator.h"

namespace zest
{

struct PFILE;

// Reads from the file's current position. Greyscale gives FF000000 + grey x 010101, colour FF000000 + red, green,
// blue (CMYK files are converted to RGB). A file that ends early is completed with an end-of-image marker, so its
// missing rows come out grey; an empty file, any library error, a size over MaxImageSide or more pixels than the
// file's bytes could code fail. Colour files are decoded by the library straight into the pixel rows; with
// referencePath they go through RGB rows converted here instead (the same pixels, kept for checking).
[[nodiscard]] bool DecodeJpeg(PFILE* file, const PixelAllocator& allocate, bool referencePath = false);

} // namespace zest
