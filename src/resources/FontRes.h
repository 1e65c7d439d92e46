// A manifest font: an image font from a descriptor (or from a glyph strip image and its widths
// file), a system font, or a copy of another font resource; with the tags it is drawn with. Owns
// the loaded font and the strip image. Owned by the ResourceManager.
#pragma once

#include "resources/BaseRes.h"

#include <memory>
#include <string>

namespace zest
{

class Font;
class MemoryImage;

class FontRes : public BaseRes
{
public:
    FontRes();
    ~FontRes() override;

    // Deletes the font, then the image it draws from.
    void Unload() override;
    bool IsLoaded() const override { return font != nullptr; }

    std::unique_ptr<Font> font;
    // The glyph strip of a strip font; shared with the fonts made from it by reference ("!ref:"),
    // which draw from the same strip and may outlive this record's font.
    std::shared_ptr<MemoryImage> image;
    std::string imagePath;
    std::string tags;
    bool sysFont = false;
    int size = -1;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool shadow = false;
};

} // namespace zest
