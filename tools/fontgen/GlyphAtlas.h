#pragma once
// The glyphs of one image font: FreeType renders each character, the atlas places them in padded cells
// on rows and keeps the metrics the descriptor needs. Owned by fontgen's main; single-threaded.

#include <string>
#include <vector>

typedef struct FT_FaceRec_* FT_Face;

namespace fontgen
{

struct GlyphCell
{
    int code = 0;
    int x = 0, y = 0, width = 0, height = 0; // padded cell in the atlas
    int offsetX = 0, offsetY = 0;            // where the cell's top-left goes from the pen and the ascent line
    int advance = 0;
};

struct KerningPair
{
    int left = 0;
    int right = 0;
    int offset = 0; // pixels, usually negative
};

class GlyphAtlas
{
public:
    // Renders characters 32 .. 126 at pixelSize with pad pixels of room round each glyph for an outline
    // or shadow; false with a message on failure.
    [[nodiscard]] bool Build(FT_Face face, int pixelSize, int pad, std::string& error);

    // The fill coverage grown by radius pixels with a soft edge (for an outline layer).
    [[nodiscard]] std::vector<unsigned char> Grown(double radius) const;

    const std::vector<unsigned char>& Coverage() const { return coverage; }
    const std::vector<GlyphCell>& Cells() const { return cells; }
    const std::vector<KerningPair>& Kerning() const { return kerning; }
    int Width() const { return width; }
    int Height() const { return height; }
    int Ascent() const { return ascent; }
    int LineHeight() const { return lineHeight; }

private:
    std::vector<unsigned char> coverage; // width x height, one byte per pixel
    std::vector<GlyphCell> cells;
    std::vector<KerningPair> kerning;
    int width = 0;
    int height = 0;
    int ascent = 0;
    int lineHeight = 0;
};

} // namespace fontgen
