// A manifest image: where its pixels, alpha and cel grid come from, the hints for the display and
// its animation, and the loaded image (a reference into the application's image cache). Owned by
// the ResourceManager.
#pragma once

#include "graphics/AnimInfo.h"
#include "resources/BaseRes.h"

#include <cstdint>
#include <memory>
#include <string>

namespace zest
{

class MemoryImage;

class ImageRes : public BaseRes
{
public:
    ImageRes() : BaseRes(TypeImage) {}

    // Releases the reference; the cache frees the image once nobody else holds it.
    void Unload() override { image.reset(); }
    bool IsLoaded() const override { return image != nullptr; }

    std::shared_ptr<MemoryImage> image;
    std::string alphaImagePath;
    std::string alphaGridPath;
    std::string variant;
    bool findAlpha = true;
    bool palettize = true;
    bool a4r4g4b4 = false;
    bool a8r8g8b8 = false;
    bool ddSurface = false;
    bool noBits = false;
    bool minSubdivide = false;
    int rows = 1;
    int cols = 1;
    uint32_t alphaColor = 0xFFFFFF;
    AnimInfo animInfo;
};

} // namespace zest
