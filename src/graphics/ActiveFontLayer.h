// One layer of an ImageFont that is switched on at the font's current point size and tags: the
// descriptor layer it shows, the factor it is drawn at, and the image and glyph rectangles to draw
// from (the layer's own sheet, or a scaled copy it owns). Owned by its ImageFont; main thread.
#pragma once

#include "base/Color.h"

#include <array>
#include <memory>

namespace zest
{

class GlyphLayer;
class MemoryImage;

class ActiveFontLayer
{
public:
    // Widest or tallest scaled glyph sheet a layer may make; larger factors are refused.
    static constexpr int MaxScaledImageSide = 16384;

    ActiveFontLayer() = default;
    // Copies the settings and gives the copy its own copy of a scaled image.
    ActiveFontLayer(const ActiveFontLayer& other);
    ActiveFontLayer& operator=(const ActiveFontLayer&) = delete;
    virtual ~ActiveFontLayer();

    // Sets the layer up at factor (font scale and point size combined). With a factor other than 1 the
    // glyphs are resampled side by side into a new sheet, made white keeping their alpha when
    // forceWhite. Glyph rectangles are held inside the layer image. False (and nothing set) when the
    // factor is not positive or the sheet would pass MaxScaledImageSide.
    [[nodiscard]] bool Build(GlyphLayer* layer, double factor, bool forceWhite);

    // The image the glyph rectangles refer to; none when the layer has no image.
    MemoryImage* GetImage() const;

    GlyphLayer* baseLayer = nullptr; // not owned: lives in the shared FontData
    double scale = 1.0;
    std::unique_ptr<MemoryImage> scaledImage; // owned; none when drawing from the layer image
    std::array<Rect, 256> scaledCharImageRects{};
};

} // namespace zest
