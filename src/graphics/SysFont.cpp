#include "graphics/SysFont.h"

#ifdef ZEST_NO_SYSTEM_FONTS

namespace zest
{

// Left out of this build (-DZEST_SYSTEM_FONTS=OFF): no face ever opens, so the font measures 0 and draws
// nothing, and the resource manager refuses system-font resources.
bool SysFont::Available()
{
    return false;
}

SysFont::SysFont(const std::string&, int, bool, bool, bool) {}
SysFont::SysFont(const SysFont& other) : Font(other) {}
SysFont::~SysFont() = default;
int SysFont::CharWidthKern(char, char)
{
    return 0;
}
void SysFont::DrawString(Graphics*, int, int, const std::string&, const Color&, const Rect&) {}
std::unique_ptr<Font> SysFont::Duplicate()
{
    return std::make_unique<SysFont>(*this);
}
bool SysFont::IsLoaded() const
{
    return false;
}
std::string SysFont::FamilyName() const
{
    return std::string();
}

} // namespace zest

#else

#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "platform/Log.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <map>
#include <cstdint>
#include <mutex>
#include <vector>

namespace zest
{

namespace
{

// Unicode of the bytes 0x80..0x9F in Windows-1252; the other bytes are Latin-1. 0 = unassigned.
constexpr uint16_t Cp1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                     0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                     0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                     0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

uint32_t CodePoint(uint8_t byte)
{
    if (byte >= 0x80 && byte < 0xA0)
        return Cp1252High[byte - 0x80];
    return byte;
}

// FreeType's library object and fontconfig are not safe to drive from two threads at once; fonts are
// made on the main and the loading thread, so every use goes through this lock.
std::mutex& FreeTypeLock()
{
    static std::mutex lock;
    return lock;
}

FT_Library Library()
{
    static FT_Library library = []
    {
        FT_Library lib = nullptr;
        if (FT_Init_FreeType(&lib) != 0)
            lib = nullptr;
        return lib;
    }();
    return library;
}

int CeilPixels(FT_Pos value)
{
    return static_cast<int>((value + 63) >> 6);
}

struct FaceFile
{
    std::string path;
    int index = 0;
    std::string family;
    bool needsBold = false;   // the matched face is lighter than asked: embolden
    bool needsItalic = false; // the matched face is upright where italic was asked: slant
};

// The face fontconfig picks for the name, with "sans-serif" as the next choice so a missing face falls
// back to the closest sans-serif one.
bool MatchFace(const std::string& faceName, int pixels, bool bold, bool italic, FaceFile& result)
{
    static const bool initialized = []
    {
        if (!FcInit())
            return false;
        // Release fontconfig's configuration at exit so leak checkers see a clean process.
        std::atexit(FcFini);
        return true;
    }();
    if (!initialized)
        return false;
    FcPattern* pattern = FcPatternCreate();
    if (!pattern)
        return false;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(faceName.c_str()));
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>("sans-serif"));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddDouble(pattern, FC_PIXEL_SIZE, pixels);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult matchResult = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &matchResult);
    FcPatternDestroy(pattern);
    if (!match)
        return false;
    FcChar8* file = nullptr;
    FcChar8* family = nullptr;
    int index = 0;
    int weight = FC_WEIGHT_REGULAR;
    int slant = FC_SLANT_ROMAN;
    bool ok = FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file;
    if (ok)
    {
        result.path = reinterpret_cast<const char*>(file);
        FcPatternGetInteger(match, FC_INDEX, 0, &index);
        result.index = index;
        if (FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch && family)
            result.family = reinterpret_cast<const char*>(family);
        FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
        FcPatternGetInteger(match, FC_SLANT, 0, &slant);
        result.needsBold = bold && weight < FC_WEIGHT_DEMIBOLD;
        result.needsItalic = italic && slant == FC_SLANT_ROMAN;
    }
    FcPatternDestroy(match);
    return ok;
}

} // namespace

// The rendered face: every character's glyph in one sheet of white pixels whose alpha is FreeType's
// coverage, so drawing is a plain coloured blit. Immutable once built, so duplicates on any thread share it.
struct SysFont::Face
{
    struct Glyph
    {
        Rect rect;       // in the sheet; empty for blank characters
        int left = 0;    // from the pen to the bitmap's left edge
        int top = 0;     // from the baseline up to the bitmap's top edge
        int advance = 0; // whole pixels
    };

    std::string family;
    int ascent = 0;
    int height = 0;
    int underlinePosition = 0; // below the baseline
    int underlineThickness = 1;
    std::array<Glyph, 256> glyphs{};
    std::vector<int8_t> kerning; // 256 x 256, [previous * 256 + ch]; empty when the face has none
    std::unique_ptr<MemoryImage> sheet;

    int Kerning(uint8_t previous, uint8_t ch) const { return kerning.empty() ? 0 : kerning[previous * 256 + ch]; }
};

namespace
{

struct RenderedGlyph
{
    int advance = 0; // whole pixels
    int left = 0;
    int top = 0;
    int width = 0; // 0 for blank characters
    int rows = 0;
    std::vector<uint8_t> coverage;
};

using GlyphIndices = std::array<FT_UInt, 256>;

// The face fontconfig matches, else the face every Debian system ships; nullptr when neither opens.
FT_Face OpenFace(FT_Library library, const std::string& faceName, int pixels, bool bold, bool italic,
                 FaceFile& file)
{
    FT_Face ftFace = nullptr;
    if (MatchFace(faceName, pixels, bold, italic, file))
    {
        if (FT_New_Face(library, file.path.c_str(), file.index, &ftFace) != 0)
            ftFace = nullptr;
    }
    if (ftFace)
        return ftFace;
    // Without a usable fontconfig set-up.
    file = FaceFile{"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 0, "DejaVu Sans", bold, italic};
    if (FT_New_Face(library, file.path.c_str(), 0, &ftFace) != 0)
        return nullptr;
    return ftFace;
}

// Renders the printable Windows-1252 characters; a character FreeType cannot load or render stays blank
// with no advance.
void RenderGlyphs(FT_Face ftFace, const FaceFile& file, GlyphIndices& glyphIndex,
                  std::array<RenderedGlyph, 256>& rendered)
{
    for (int c = 32; c < 256; ++c)
    {
        const uint32_t code = CodePoint(static_cast<uint8_t>(c));
        if (code == 0)
            continue;
        glyphIndex[c] = FT_Get_Char_Index(ftFace, code);
        if (FT_Load_Glyph(ftFace, glyphIndex[c], FT_LOAD_DEFAULT | FT_LOAD_TARGET_NORMAL) != 0)
            continue;
        FT_GlyphSlot slot = ftFace->glyph;
        if (file.needsBold)
            FT_GlyphSlot_Embolden(slot);
        if (file.needsItalic)
            FT_GlyphSlot_Oblique(slot);
        if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0)
            continue;
        const FT_Bitmap& bitmap = slot->bitmap;
        RenderedGlyph& out = rendered[c];
        out.advance = static_cast<int>((slot->advance.x + 32) >> 6);
        out.left = slot->bitmap_left;
        out.top = slot->bitmap_top;
        if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY || bitmap.width == 0 || bitmap.rows == 0)
            continue;
        out.width = static_cast<int>(bitmap.width);
        out.rows = static_cast<int>(bitmap.rows);
        out.coverage.resize(static_cast<size_t>(out.width) * out.rows);
        for (int row = 0; row < out.rows; ++row)
        {
            const unsigned char* src = bitmap.buffer + static_cast<ptrdiff_t>(row) * bitmap.pitch;
            std::copy(src, src + out.width, out.coverage.begin() + static_cast<ptrdiff_t>(row) * out.width);
        }
    }
}

// 256 x 256 whole-pixel kerning offsets, [previous * 256 + ch]; empty when the face has none.
std::vector<int8_t> KerningTable(FT_Face ftFace, const GlyphIndices& glyphIndex)
{
    if (!FT_HAS_KERNING(ftFace))
        return {};
    std::vector<int8_t> kerning(256 * 256, 0);
    bool any = false;
    for (int previous = 32; previous < 256; ++previous)
    {
        if (!glyphIndex[previous])
            continue;
        for (int c = 32; c < 256; ++c)
        {
            FT_Vector delta{};
            if (!glyphIndex[c] ||
                FT_Get_Kerning(ftFace, glyphIndex[previous], glyphIndex[c], FT_KERNING_DEFAULT, &delta) != 0)
                continue;
            int pixelsDelta = static_cast<int>(delta.x >= 0 ? (delta.x + 32) >> 6 : -((-delta.x + 32) >> 6));
            if (pixelsDelta != 0)
            {
                kerning[previous * 256 + c] = static_cast<int8_t>(std::clamp(pixelsDelta, -128, 127));
                any = true;
            }
        }
    }
    if (!any)
        return {};
    return kerning;
}

// Places the glyphs on shelves at most SheetWidth wide, which keeps large point sizes inside image
// limits; answers each glyph's place and the sheet's size.
std::array<Rect, 256> PackGlyphs(const std::array<RenderedGlyph, 256>& rendered, int& sheetWidth, int& sheetHeight)
{
    constexpr int SheetWidth = 1024;
    std::array<Rect, 256> places{};
    int x = 0, y = 0, rowHeight = 0;
    sheetWidth = 0;
    for (int c = 0; c < 256; ++c)
    {
        const RenderedGlyph& g = rendered[c];
        if (g.width == 0)
            continue;
        if (x > 0 && x + g.width > SheetWidth)
        {
            y += rowHeight + 1;
            x = 0;
            rowHeight = 0;
        }
        places[c] = Rect(x, y, g.width, g.rows);
        x += g.width + 1; // a blank column keeps filtered back ends from bleeding between glyphs
        rowHeight = std::max(rowHeight, g.rows);
        sheetWidth = std::max(sheetWidth, x);
    }
    sheetHeight = y + rowHeight;
    return places;
}

// White pixels whose alpha is the glyphs' coverage; nullptr when every glyph is blank.
std::unique_ptr<MemoryImage> DrawSheet(const std::array<RenderedGlyph, 256>& rendered,
                                       const std::array<Rect, 256>& places, int sheetWidth, int sheetHeight)
{
    if (sheetWidth <= 0 || sheetHeight <= 0)
        return nullptr;
    auto sheet = std::make_unique<MemoryImage>();
    sheet->Create(sheetWidth, sheetHeight);
    uint32_t* bits = sheet->GetBits();
    std::fill(bits, bits + static_cast<size_t>(sheetWidth) * sheetHeight, 0x00FFFFFFu);
    for (int c = 0; c < 256; ++c)
    {
        const RenderedGlyph& g = rendered[c];
        const Rect& r = places[c];
        for (int row = 0; row < g.rows; ++row)
            for (int col = 0; col < g.width; ++col)
                bits[static_cast<size_t>(r.y + row) * sheetWidth + r.x + col] =
                    (uint32_t(g.coverage[static_cast<size_t>(row) * g.width + col]) << 24) | 0x00FFFFFFu;
    }
    sheet->BitsChanged();
    sheet->CommitBits();
    return sheet;
}

} // namespace

std::shared_ptr<const SysFont::Face> SysFont::BuildFace(const std::string& faceName, int pointSize, bool bold,
                                                        bool italic, bool underline)
{
    if (pointSize > MaxPointSize)
        return nullptr;
    // Points to pixels at 96 dots per inch, rounded as the system does.
    const int pixels = std::max(1, (pointSize * 96 + 36) / 72);

    std::lock_guard<std::mutex> lock(FreeTypeLock());
    FT_Library library = Library();
    if (!library)
        return nullptr;

    FaceFile file;
    FT_Face ftFace = OpenFace(library, faceName, pixels, bold, italic, file);
    if (!ftFace)
    {
        Logf(LogLevel::Warning, "No system font found for \"%s\"", faceName.c_str());
        return nullptr;
    }
    FT_Set_Pixel_Sizes(ftFace, 0, static_cast<FT_UInt>(pixels));

    auto face = std::make_shared<Face>();
    face->family = file.family.empty() && ftFace->family_name ? ftFace->family_name : file.family;
    face->ascent = CeilPixels(ftFace->size->metrics.ascender);
    face->height = face->ascent + CeilPixels(-ftFace->size->metrics.descender);
    if (underline)
    {
        const FT_Fixed yScale = ftFace->size->metrics.y_scale;
        face->underlinePosition = std::max(1, static_cast<int>(-FT_MulFix(ftFace->underline_position, yScale) / 64));
        face->underlineThickness =
            std::max(1, static_cast<int>((FT_MulFix(ftFace->underline_thickness, yScale) + 32) / 64));
    }

    std::array<RenderedGlyph, 256> rendered;
    GlyphIndices glyphIndex{};
    RenderGlyphs(ftFace, file, glyphIndex, rendered);
    face->kerning = KerningTable(ftFace, glyphIndex);
    FT_Done_Face(ftFace);

    int sheetWidth = 0, sheetHeight = 0;
    const std::array<Rect, 256> places = PackGlyphs(rendered, sheetWidth, sheetHeight);
    for (int c = 0; c < 256; ++c)
        face->glyphs[c] = Face::Glyph{places[c], rendered[c].left, rendered[c].top, rendered[c].advance};
    face->sheet = DrawSheet(rendered, places, sheetWidth, sheetHeight);
    return face;
}

std::shared_ptr<const SysFont::Face> SysFont::FindFace(const std::string& faceName, int pointSize, bool bold,
                                                       bool italic, bool underline)
{
    // Controls make their own default fonts as they are drawn; rendering a face costs milliseconds, so
    // faces in use are shared. Held weakly: a face goes when its last font does.
    static std::mutex cacheLock;
    static std::map<std::string, std::weak_ptr<const Face>> cache;
    const std::string key = faceName + '\n' + std::to_string(pointSize) + (bold ? "b" : "") + (italic ? "i" : "") +
                            (underline ? "u" : "");
    std::lock_guard<std::mutex> lock(cacheLock);
    if (auto found = cache[key].lock())
        return found;
    std::shared_ptr<const Face> built = BuildFace(faceName, pointSize, bold, italic, underline);
    if (built)
        cache[key] = built;
    return built;
}

SysFont::SysFont(const std::string& faceName, int pointSize, bool bold, bool italic, bool underline)
    : face(FindFace(faceName, pointSize, bold, italic, underline))
{
    if (face)
    {
        ascent = face->ascent;
        height = face->height;
    }
}

SysFont::SysFont(const SysFont& other) : Font(other), face(other.face) {}

bool SysFont::Available()
{
    return true;
}

SysFont::~SysFont() = default;

bool SysFont::IsLoaded() const
{
    return face != nullptr;
}

std::string SysFont::FamilyName() const
{
    return face ? face->family : std::string();
}

int SysFont::CharWidthKern(char ch, char previous)
{
    if (!face)
        return 0;
    const uint8_t c = static_cast<uint8_t>(ch);
    int width = face->glyphs[c].advance;
    if (previous != '\0')
        width += face->Kerning(static_cast<uint8_t>(previous), c);
    return width;
}

void SysFont::DrawPass(Graphics* graphics, int x, int y, const std::string& text, const Color& color)
{
    graphics->SetColor(color);
    int penX = x;
    uint8_t previous = 0;
    for (size_t i = 0; i < text.size(); ++i)
    {
        const uint8_t c = static_cast<uint8_t>(text[i]);
        if (i > 0)
            penX += face->Kerning(previous, c);
        const Face::Glyph& glyph = face->glyphs[c];
        if (!glyph.rect.IsEmpty())
            graphics->DrawImage(face->sheet.get(), penX + glyph.left, y - glyph.top, glyph.rect);
        penX += glyph.advance;
        previous = c;
    }
    if (face->underlinePosition > 0 && penX > x)
        graphics->FillRect(x, y + face->underlinePosition, penX - x, face->underlineThickness);
}

void SysFont::DrawString(Graphics* graphics, int x, int y, const std::string& text, const Color& textColor,
                         const Rect& clipRect)
{
    (void)clipRect; // the context clips every glyph itself
    if (!graphics || !face || text.empty())
        return;
    const Color color = textColor; // the caller may pass the context's own colour, which the passes change
    const Color oldColor = graphics->GetColor();
    const bool oldColorize = graphics->GetColorize();
    graphics->SetColorize(true); // the sheet is white: the colour tints it
    const int passes = simulateBold ? 2 : 1;
    if (drawShadow)
    {
        for (int pass = 0; pass < passes; ++pass)
            DrawPass(graphics, x + 1 + pass, y + 1, text, Color(0, 0, 0, color.alpha));
    }
    for (int pass = 0; pass < passes; ++pass)
        DrawPass(graphics, x + pass, y, text, color);
    graphics->SetColor(oldColor);
    graphics->SetColorize(oldColorize);
}

std::unique_ptr<Font> SysFont::Duplicate()
{
    return std::make_unique<SysFont>(*this);
}

} // namespace zest
#endif
