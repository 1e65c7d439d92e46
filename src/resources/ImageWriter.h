// Saves a memory image to the disk as PNG (RGBA, 8 bits per channel) or JPEG (RGB, quality 80). Stateless; any
// thread that may read the image.
#pragma once

#include <string>

namespace zest
{

class MemoryImage;

// Both write to the disk ("\" in the name separates folders) and answer false, leaving no file behind, when the
// image is empty, the file cannot be opened or written, or the library reports an error.
[[nodiscard]] bool WritePng(const std::string& fileName, MemoryImage& image);
[[nodiscard]] bool WriteJpeg(const std::string& fileName, MemoryImage& image);

} // namespace zest
