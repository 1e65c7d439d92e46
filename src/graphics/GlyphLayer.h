// One layer of an image font descriptor (for example the fill or the outline): its glyph sheet, the
// 256 glyph records indexed by (mapped) character code, colours, offsets and the point sizes and tags
// that switch it on. Owned by its FontData; read-only once the descriptor is loaded.
#pragma once

#include "base/Color.h"
#include "graphics/MemoryImage.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zest
{

// One character of a layer: where it lies in the layer image, how it is placed and how far it advances.
struct GlyphData
{
    Rect imageRect;                  // in the layer image
    Point offset;                    // drawing offset from the pen
    int8_t kerningOffsets[256] = {}; // extra advance when followed by the character at that index
    int width = 0;                   // advance
    int order = 0;                   // draw order, added to the layer's base order
};

class GlyphLayer
{
public:
    std::vector<std::string> requiredTags; // upper-cased
    std::vector<std::string> excludedTags; // upper-cased
    std::array<GlyphData, 256> glyphs{};
    Color colorMult{255, 255, 255, 255};
    Color colorAdd{0, 0, 0, 0};
    std::shared_ptr<MemoryImage> image; // the glyph sheet, shared with the image cache
    int drawMode = -1;                  // -1 leaves the graphics' mode unchanged
    int offsetX = 0;
    int offsetY = 0;
    int spacing = 0;
    int minPointSize = -1; // -1: no bound
    int maxPointSize = -1; // -1: no bound
    int pointSize = 0;     // 0: not scaled by point size
    int ascent = 0;
    int ascentPadding = 0;
    int height = 0; // 0: use defaultHeight
    int defaultHeight = 0;
    int lineSpacingOffset = 0;
    int baseOrder = 0;
};

} // namespace zest
