#include "GlyphAtlas.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>

namespace fontgen
{

namespace
{

constexpr int AtlasWidth = 256;

struct Rendered
{
    int code;
    int width, height, left, top, advance;
    std::vector<unsigned char> pixels;
};

} // namespace

bool GlyphAtlas::Build(FT_Face face, int pixelSize, int pad, std::string& error)
{
    if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize)) != 0)
    {
        error = "cannot set the pixel size";
        return false;
    }
    ascent = static_cast<int>((face->size->metrics.ascender + 63) >> 6);
    int descent = static_cast<int>((-face->size->metrics.descender + 63) >> 6);
    lineHeight = ascent + descent;

    std::vector<Rendered> glyphs;
    for (int code = 32; code < 127; ++code)
    {
        // Light hinting keeps small sizes crisp vertically without distorting the shapes.
        if (FT_Load_Char(face, static_cast<FT_ULong>(code), FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT) != 0)
        {
            error = "cannot render character " + std::to_string(code);
            return false;
        }
        FT_GlyphSlot slot = face->glyph;
        Rendered r;
        r.code = code;
        r.width = static_cast<int>(slot->bitmap.width);
        r.height = static_cast<int>(slot->bitmap.rows);
        r.left = slot->bitmap_left;
        r.top = slot->bitmap_top;
        r.advance = static_cast<int>((slot->advance.x + 32) >> 6);
        r.pixels.resize(static_cast<size_t>(r.width) * r.height);
        for (int y = 0; y < r.height; ++y)
        {
            for (int x = 0; x < r.width; ++x)
            {
                r.pixels[static_cast<size_t>(y) * r.width + x] = slot->bitmap.buffer[y * slot->bitmap.pitch + x];
            }
        }
        glyphs.push_back(std::move(r));
    }

    // Shelf packing in character order: every cell is the glyph plus pad on each side (the blank gets a
    // cell as wide as its advance so it has a real rectangle).
    int rowHeight = 0;
    for (const Rendered& g : glyphs)
    {
        rowHeight = std::max(rowHeight, g.height + 2 * pad);
    }
    int x = 0;
    int y = 0;
    cells.clear();
    for (const Rendered& g : glyphs)
    {
        int w = (g.width > 0 ? g.width : 1) + 2 * pad;
        int h = (g.height > 0 ? g.height : 1) + 2 * pad;
        if (x + w > AtlasWidth)
        {
            x = 0;
            y += rowHeight;
        }
        GlyphCell cell;
        cell.code = g.code;
        cell.x = x;
        cell.y = y;
        cell.width = w;
        cell.height = h;
        cell.offsetX = g.left - pad;
        cell.offsetY = ascent - g.top - pad;
        cell.advance = g.advance;
        cells.push_back(cell);
        x += w;
    }
    width = AtlasWidth;
    height = y + rowHeight;
    coverage.assign(static_cast<size_t>(width) * height, 0);
    for (size_t i = 0; i < glyphs.size(); ++i)
    {
        const Rendered& g = glyphs[i];
        const GlyphCell& c = cells[i];
        for (int gy = 0; gy < g.height; ++gy)
        {
            for (int gx = 0; gx < g.width; ++gx)
            {
                coverage[static_cast<size_t>(c.y + pad + gy) * width + c.x + pad + gx] =
                    g.pixels[static_cast<size_t>(gy) * g.width + gx];
            }
        }
    }

    kerning.clear();
    if (FT_HAS_KERNING(face))
    {
        for (int a = 33; a < 127; ++a)
        {
            FT_UInt left = FT_Get_Char_Index(face, static_cast<FT_ULong>(a));
            for (int b = 33; b < 127; ++b)
            {
                FT_UInt right = FT_Get_Char_Index(face, static_cast<FT_ULong>(b));
                FT_Vector delta;
                if (FT_Get_Kerning(face, left, right, FT_KERNING_DEFAULT, &delta) == 0)
                {
                    int px = static_cast<int>(std::lround(delta.x / 64.0));
                    if (px != 0)
                    {
                        kerning.push_back({a, b, px});
                    }
                }
            }
        }
    }
    return true;
}

std::vector<unsigned char> GlyphAtlas::Grown(double radius) const
{
    // out = max over neighbours within radius + 1 of coverage x (radius + 0.5 - distance), clamped to 0 .. 1:
    // a disc-shaped dilation with a one-pixel soft rim.
    std::vector<unsigned char> out(coverage.size(), 0);
    int reach = static_cast<int>(std::ceil(radius + 0.5));
    for (int y = 0; y < height; ++y)
    {
        for (int x = 0; x < width; ++x)
        {
            double best = 0;
            for (int dy = -reach; dy <= reach; ++dy)
            {
                int sy = y + dy;
                if (sy < 0 || sy >= height)
                {
                    continue;
                }
                for (int dx = -reach; dx <= reach; ++dx)
                {
                    int sx = x + dx;
                    if (sx < 0 || sx >= width)
                    {
                        continue;
                    }
                    double weight = std::clamp(radius + 0.5 - std::sqrt(double(dx * dx + dy * dy)), 0.0, 1.0);
                    best = std::max(best, weight * coverage[static_cast<size_t>(sy) * width + sx]);
                }
            }
            out[static_cast<size_t>(y) * width + x] = static_cast<unsigned char>(std::lround(best));
        }
    }
    return out;
}

} // namespace fontgen
