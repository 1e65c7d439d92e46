// A bitmap font whose glyphs are cut out of images as a font descriptor describes them, drawn in layers
// that switch on by point size and tags. Owned by the resource manager (or by a control holding a
// Duplicate); the descriptor data is shared between a font and its duplicates. Main thread; drawing
// of all image fonts is serialized by one process-wide lock.
#pragma once

#include "graphics/ActiveFontLayer.h"
#include "graphics/Font.h"

#include <memory>
#include <string>
#include <vector>

namespace zest
{

class FontData;
class FontHost;
class MemoryImage;

class ImageFont : public Font
{
public:
    // Loads the descriptor at descriptorPath (host: the application, or none), sets the point size to
    // the descriptor's default and prepares the layers. A font whose descriptor failed is still usable:
    // it draws nothing and measures 0 (GetFontData()->initialized tells).
    ImageFont(FontHost* host, const std::string& descriptorPath);
    // A plain strip font: image (not owned, must outlive the font) holds the glyphs side by side; the
    // widths file, read from the disk, gives the blank's advance, the ascent and then pairs of a
    // character and its strip width.
    ImageFont(MemoryImage* image, const std::string& widthsPath);
    // Shares the descriptor data; copies point size, scale, tags, flags and any scaled images.
    ImageFont(const ImageFont& other);
    ~ImageFont() override;

    int Ascent() override;
    int AscentPadding() override;
    int Descent() override;
    int Height() override;
    int LineSpacingOffset() override;
    int LineSpacing() override;
    int StringWidth(const std::string& text) override { return KernedStringWidth(text); }
    int CharWidth(char ch) override { return UnkernedCharWidth(ch); }
    // previous '\0': no previous character.
    int CharWidthKern(char ch, char previous) override;
    void DrawString(Graphics* graphics, int x, int y, const std::string& text, const Color& color,
                    const Rect& clipRect) override;
    std::unique_ptr<Font> Duplicate() override;

    // Rebuilds the active layers and the metrics for the current point size, scale and tags.
    virtual void PrepareLayers();
    // Draws text with its baseline at y. charRects (cleared first) receives the rectangle of every glyph
    // drawn, width the advance of the whole text; either may be none.
    virtual void DrawStringEx(Graphics* graphics, int x, int y, const std::string& text, const Color& color,
                              const Rect& clipRect, std::vector<Rect>* charRects, int* width);
    virtual void SetPointSize(int size);
    virtual int PointSize();
    // Extra factor on every layer (1.0 at creation).
    virtual void SetScale(double newScale);
    virtual int DefaultPointSize();
    // Tags compare upper-cased. AddTag is false when present already, RemoveTag when absent.
    virtual bool AddTag(const std::string& tag);
    virtual bool RemoveTag(const std::string& tag);
    virtual bool HasTag(const std::string& tag);
    // A descriptor definition written out ("(" items joined by ", " ")" for lists); empty when undefined.
    virtual std::string DefineText(const std::string& name);
    // PrepareLayers when the layers are stale.
    virtual void Prepare();

    const FontData* GetFontData() const { return fontData.get(); }

    bool forceScaledImagesWhite = false;

private:
    // Layer advance of ch followed by partner (none when hasPartner is false), at the layer's factor.
    static int Advance(const ActiveFontLayer& layer, uint8_t ch, bool hasPartner, uint8_t partner);
    [[nodiscard]] bool ReadStripWidths(MemoryImage* image, const std::string& widthsPath);

    std::shared_ptr<FontData> fontData;
    int pointSize = 0;
    std::vector<std::string> tagVector; // upper-cased
    bool prepared = false;
    std::vector<std::unique_ptr<ActiveFontLayer>> activeLayerList;
    double scale = 1.0;
};

} // namespace zest
