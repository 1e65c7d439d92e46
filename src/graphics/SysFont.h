// A font of the operating system, found by face name through fontconfig (falling back to the closest
// sans-serif face) and rendered with FreeType into an anti-aliased glyph sheet when it is made. Owned by
// the resource manager or a control; made on any thread, then used on the main thread. Duplicates share
// the rendered face.
#pragma once

#include "graphics/Font.h"

#include <memory>
#include <string>

namespace zest
{

class SysFont : public Font
{
public:
    // Largest point size a face is rendered at: the 256 glyphs of a face share one sheet, which at 775 points
    // would take 760 MB. Beyond it the font is not loaded.
    static constexpr int MaxPointSize = 144;

    // pointSize in points (pixels = points x 96 / 72, rounded). Text bytes are Windows-1252 characters.
    SysFont(const std::string& faceName, int pointSize, bool bold = false, bool italic = false, bool underline = false);
    // Shares the face and metrics; shadow and simulated bold start off.
    SysFont(const SysFont& other);
    ~SysFont() override;

    int StringWidth(const std::string& text) override { return KernedStringWidth(text); }
    int CharWidth(char ch) override { return UnkernedCharWidth(ch); }
    int CharWidthKern(char ch, char previous) override;
    // Baseline at y. With drawShadow the text is first drawn in black one pixel right and down; with
    // simulateBold every pass is drawn twice, one pixel apart.
    void DrawString(Graphics* graphics, int x, int y, const std::string& text, const Color& color,
                    const Rect& clipRect) override;
    std::unique_ptr<Font> Duplicate() override;

    // False when no face could be opened at all (the font then draws nothing and measures 0).
    bool IsLoaded() const;
    // The family of the face actually used, after any fallback.
    std::string FamilyName() const;

    bool drawShadow = false;
    bool simulateBold = false;

private:
    struct Face;
    // The rendered face for these settings, shared with every live font that asked for the same.
    static std::shared_ptr<const Face> FindFace(const std::string& faceName, int pointSize, bool bold, bool italic,
                                                bool underline);
    static std::shared_ptr<const Face> BuildFace(const std::string& faceName, int pointSize, bool bold, bool italic,
                                                 bool underline);
    void DrawPass(Graphics* graphics, int x, int y, const std::string& text, const Color& color);

    std::shared_ptr<const Face> face;
};

} // namespace zest
