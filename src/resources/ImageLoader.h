// Loads image files (Targa, JPEG, PNG, GIF, JPEG 2000) read through the archive file functions into memory images,
// finding and applying separate alpha files. The caller owns each result. Any thread; the alpha colour is kept per
// thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace zest
{

class LiveImageSet;
class MemoryImage;

// The colour (0xRRGGBB) given to an image that exists only as an alpha file; FFFFFF unless changed. The resource
// manager sets it around one load and restores FFFFFF afterwards.
void SetLoadAlphaColor(uint32_t rgb);
uint32_t GetLoadAlphaColor();

// Loads fileName. With an extension (".tga", ".jpg", ".png", ".gif", ".j2k", ".jp2", any case) only that format is
// tried, from the name with the extension in lower case; without one they are tried in that order and the first
// that loads wins; any other extension loads nothing. With lookForAlpha, "_" + the file part in the same folder, or
// failing that the name + "_", is loaded too and its blue channel becomes the alpha (ignored when the sizes differ);
// an alpha file without a colour image gives the alpha colour with that alpha. Answers null when nothing loads.
// The image joins liveSet when one is given.
std::unique_ptr<MemoryImage> LoadImageFile(const std::string& fileName, bool lookForAlpha,
                                           LiveImageSet* liveSet = nullptr);

} // namespace zest
