// fontgen: makes the game's image fonts. For each line of content/fonts/fonts.txt it writes <out>/fonts/
// <name>.png (white glyphs, coverage in alpha), for an outline font also <name>_outline.png, and the
// descriptor <name>.txt that the game's font loader reads. Usage: fontgen --content DIR --out DIR

#include "GlyphAtlas.h"
#include "OutputFiles.h"

#include <cairo.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace fontgen;

namespace
{

const char* const FontFolder = "/usr/share/fonts/truetype/dejavu/";

struct FontChoice
{
    std::string name;
    std::string faceFile;
    int pixels = 0;
    std::string style; // "shadow" or "outline"
    double shadowX = 1, shadowY = 1, shadowAlpha = 0.5;
    double radius = 2;
};

bool ReadChoices(const std::string& path, std::vector<FontChoice>& choices, std::string& error)
{
    std::ifstream in(path);
    if (!in)
    {
        error = "cannot open " + path;
        return false;
    }
    std::string line;
    int number = 0;
    while (std::getline(in, line))
    {
        ++number;
        if (line.empty() || line[0] == '#')
        {
            continue;
        }
        std::istringstream words(line);
        FontChoice c;
        words >> c.name >> c.faceFile >> c.pixels >> c.style;
        if (c.style == "shadow")
        {
            words >> c.shadowX >> c.shadowY >> c.shadowAlpha;
        }
        else if (c.style == "outline")
        {
            words >> c.radius;
        }
        if (!words || c.pixels < 6 || c.pixels > 96 || (c.style != "shadow" && c.style != "outline"))
        {
            error = path + ":" + std::to_string(number) +
                    ": expected 'name face pixels shadow dx dy alpha' or "
                    "'name face pixels outline radius'";
            return false;
        }
        choices.push_back(c);
    }
    return true;
}

cairo_status_t AppendBytes(void* closure, const unsigned char* data, unsigned int length)
{
    auto* bytes = static_cast<std::vector<unsigned char>*>(closure);
    bytes->insert(bytes->end(), data, data + length);
    return CAIRO_STATUS_SUCCESS;
}

// White pixels whose alpha is the coverage.
bool WriteCoveragePng(const std::vector<unsigned char>& coverage, int width, int height, const std::string& path,
                      std::string& error)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < height; ++y)
    {
        auto* row = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * stride);
        for (int x = 0; x < width; ++x)
        {
            uint32_t a = coverage[static_cast<size_t>(y) * width + x];
            row[x] = (a << 24) | (a << 16) | (a << 8) | a; // premultiplied white
        }
    }
    cairo_surface_mark_dirty(surface);
    std::vector<unsigned char> bytes;
    cairo_status_t status = cairo_surface_write_to_png_stream(surface, AppendBytes, &bytes);
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS)
    {
        error = "cannot encode " + path;
        return false;
    }
    return datagen::WriteFileIfChanged(path, bytes, error);
}

// One character as a descriptor text: quoted so separators and parentheses stay ordinary characters.
std::string CharToken(int code)
{
    if (code == '\'')
    {
        return "\"'\"";
    }
    if (code == '\\')
    {
        return "'\\\\'";
    }
    return "'" + std::string(1, static_cast<char>(code)) + "'";
}

std::string Real(double v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", v);
    return text;
}

// The glyph tables of one layer: image map, offsets, advances and kerning.
void WriteLayerGlyphs(std::ostringstream& out, const std::string& layer, const GlyphAtlas& atlas)
{
    const auto& cells = atlas.Cells();
    std::string chars = "(";
    for (size_t i = 0; i < cells.size(); ++i)
    {
        chars += (i ? ", " : "") + CharToken(cells[i].code);
    }
    chars += ")";
    out << "LayerSetImageMap " << layer << "\n  " << chars << "\n  (";
    for (size_t i = 0; i < cells.size(); ++i)
    {
        const GlyphCell& c = cells[i];
        out << (i ? ", " : "") << "(" << c.x << ", " << c.y << ", " << c.width << ", " << c.height << ")";
        if (i % 8 == 7)
        {
            out << "\n  ";
        }
    }
    out << ");\n";
    out << "LayerSetCharOffsets " << layer << "\n  " << chars << "\n  (";
    for (size_t i = 0; i < cells.size(); ++i)
    {
        out << (i ? ", " : "") << "(" << cells[i].offsetX << ", " << cells[i].offsetY << ")";
        if (i % 12 == 11)
        {
            out << "\n  ";
        }
    }
    out << ");\n";
    out << "LayerSetCharWidths " << layer << "\n  " << chars << "\n  (";
    for (size_t i = 0; i < cells.size(); ++i)
    {
        out << (i ? ", " : "") << cells[i].advance;
    }
    out << ");\n";
    // Pairs holding a quote or a backslash are left out: they would need escapes inside the pair's text.
    std::vector<KerningPair> pairs;
    for (const KerningPair& p : atlas.Kerning())
    {
        auto plain = [](int c) { return c != '\'' && c != '"' && c != '\\'; };
        if (plain(p.left) && plain(p.right))
        {
            pairs.push_back(p);
        }
    }
    if (!pairs.empty())
    {
        out << "LayerSetKerningPairs " << layer << "\n  (";
        for (size_t i = 0; i < pairs.size(); ++i)
        {
            out << (i ? ", " : "") << "'" << static_cast<char>(pairs[i].left) << static_cast<char>(pairs[i].right)
                << "'";
            if (i % 16 == 15)
            {
                out << "\n  ";
            }
        }
        out << ")\n  (";
        for (size_t i = 0; i < pairs.size(); ++i)
        {
            out << (i ? ", " : "") << pairs[i].offset;
        }
        out << ");\n";
    }
}

bool MakeFont(FT_Library library, const FontChoice& choice, const std::string& outDir, std::string& error)
{
    FT_Face face = nullptr;
    std::string facePath = std::string(FontFolder) + choice.faceFile;
    if (FT_New_Face(library, facePath.c_str(), 0, &face) != 0)
    {
        error = "cannot open " + facePath;
        return false;
    }
    int pad = choice.style == "outline" ? static_cast<int>(std::ceil(choice.radius)) + 2
                                        : static_cast<int>(std::ceil(std::max(choice.shadowX, choice.shadowY))) + 1;
    GlyphAtlas atlas;
    bool ok = atlas.Build(face, choice.pixels, pad, error);
    FT_Done_Face(face);
    if (!ok)
    {
        return false;
    }
    std::string base = outDir + "/fonts/" + choice.name;
    if (!WriteCoveragePng(atlas.Coverage(), atlas.Width(), atlas.Height(), base + ".png", error))
    {
        return false;
    }

    std::ostringstream out;
    out << "# " << choice.name << ": " << choice.faceFile << " at " << choice.pixels << " pixels, " << choice.style
        << " style.\n# Generated by tools/fontgen from content/fonts/fonts.txt: edit those, not this file.\n";
    out << "SetDefaultPointSize " << choice.pixels << ";\n\n";
    // The under layer (outline or shadow) comes first and draws in an earlier order bucket than the fill,
    // so every fill glyph lies over every under glyph.
    if (choice.style == "outline")
    {
        if (!WriteCoveragePng(atlas.Grown(choice.radius), atlas.Width(), atlas.Height(), base + "_outline.png", error))
        {
            return false;
        }
        out << "CreateLayer Outline;\n";
        out << "LayerSetImage Outline '" << choice.name << "_outline.png';\n";
        // Ink whatever colour the text is drawn in: the colour's red, green and blue are dropped, its alpha kept.
        out << "LayerSetColorMult Outline (0, 0, 0, 1);\n";
        out << "LayerSetColorAdd Outline (0.180, 0.165, 0.212, 0);\n";
        out << "LayerSetBaseOrder Outline -1;\n";
    }
    else
    {
        out << "CreateLayer Shadow;\n";
        out << "LayerSetImage Shadow '" << choice.name << ".png';\n";
        out << "LayerSetColorMult Shadow (0, 0, 0, " << Real(choice.shadowAlpha) << ");\n";
        out << "LayerSetOffset Shadow (" << choice.shadowX << ", " << choice.shadowY << ");\n";
        out << "LayerSetBaseOrder Shadow -1;\n";
    }
    std::string under = choice.style == "outline" ? "Outline" : "Shadow";
    out << "LayerSetAscent " << under << " " << atlas.Ascent() << ";\n";
    out << "LayerSetHeight " << under << " " << atlas.LineHeight() << ";\n";
    WriteLayerGlyphs(out, under, atlas);

    out << "\nCreateLayer Main;\n";
    out << "LayerSetImage Main '" << choice.name << ".png';\n";
    out << "LayerSetAscent Main " << atlas.Ascent() << ";\n";
    out << "LayerSetHeight Main " << atlas.LineHeight() << ";\n";
    WriteLayerGlyphs(out, "Main", atlas);
    return datagen::WriteTextIfChanged(base + ".txt", out.str(), error);
}

} // namespace

int main(int argc, char** argv)
{
    std::string contentDir;
    std::string outDir;
    for (int i = 1; i + 1 < argc; i += 2)
    {
        if (std::strcmp(argv[i], "--content") == 0)
        {
            contentDir = argv[i + 1];
        }
        else if (std::strcmp(argv[i], "--out") == 0)
        {
            outDir = argv[i + 1];
        }
    }
    if (contentDir.empty() || outDir.empty())
    {
        std::fprintf(stderr, "usage: fontgen --content DIR --out DIR\n");
        return 2;
    }
    std::vector<FontChoice> choices;
    std::string error;
    if (!ReadChoices(contentDir + "/fonts/fonts.txt", choices, error))
    {
        std::fprintf(stderr, "fontgen: %s\n", error.c_str());
        return 1;
    }
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0)
    {
        std::fprintf(stderr, "fontgen: FreeType did not start\n");
        return 1;
    }
    int status = 0;
    for (const FontChoice& choice : choices)
    {
        if (!MakeFont(library, choice, outDir, error))
        {
            std::fprintf(stderr, "fontgen: %s: %s\n", choice.name.c_str(), error.c_str());
            status = 1;
        }
    }
    FT_Done_FreeType(library);
    return status;
}
