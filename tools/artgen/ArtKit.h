#pragma once
// Shared drawing helpers of the art generator: the palette, the outlined flat-fill style, simple shapes,
// Twemoji pictures rendered through librsvg and text through FreeType. One ArtKit per run; single-threaded.

#include "DataRandom.h"
#include "Palette.h"

#include <cairo.h>

#include <map>
#include <string>

typedef struct FT_LibraryRec_* FT_Library;
typedef struct FT_FaceRec_* FT_Face;

namespace artgen
{

using datagen::Rgb;

class ArtKit
{
public:
    ArtKit() = default;
    ~ArtKit();
    ArtKit(const ArtKit&) = delete;
    ArtKit& operator=(const ArtKit&) = delete;

    // Reads the palette and opens the faces; false with a message on failure.
    [[nodiscard]] bool Open(const std::string& contentDir, std::string& error);

    [[nodiscard]] Rgb Colour(const std::string& name) const { return palette[name]; }

    // Outline width of the house style for a picture drawn at the given scale (1 = a 48-pixel sprite).
    static double InkWidth(double scale = 1.0) { return 1.6 * scale; }

    // Fills the current path and strokes it with the ink colour; the path is consumed.
    void FillInk(cairo_t* cr, const Rgb& fill, double inkWidth, double alpha = 1.0) const;
    // Fills the current path without an outline; the path is consumed.
    static void Fill(cairo_t* cr, const Rgb& fill, double alpha = 1.0);
    static void Stroke(cairo_t* cr, const Rgb& colour, double width, double alpha = 1.0);
    static void SetColour(cairo_t* cr, const Rgb& colour, double alpha = 1.0);

    static void Ellipse(cairo_t* cr, double cx, double cy, double rx, double ry);
    static void RoundRect(cairo_t* cr, double x, double y, double w, double h, double r);
    // A petal from the centre outwards along angle (radians, 0 = right, clockwise on screen).
    static void Petal(cairo_t* cr, double cx, double cy, double angle, double length, double width, double start = 0.0);
    static void Star(cairo_t* cr, double cx, double cy, double outer, double inner, int points, double turn);

    // Renders a vendored Twemoji picture (by code point file name, e.g. "1f345") into the square
    // (x, y, size); with outline, a ring of ink is drawn round the picture's silhouette first.
    void DrawEmoji(cairo_t* cr, const std::string& code, double x, double y, double size, bool outline,
                   double outlineWidth = 1.5) const;

    // Text with a DejaVu face ("sans-bold", "sans", "serif-bold"); x, y is the baseline start.
    void TextPath(cairo_t* cr, const std::string& face, double size, double x, double y, const std::string& text) const;
    [[nodiscard]] double TextWidth(const std::string& face, double size, const std::string& text) const;

    datagen::DataRandom& Random() { return random; }

private:
    cairo_font_face_t* FontFace(const std::string& face) const;

    std::string contentDir;
    datagen::Palette palette;
    FT_Library library = nullptr;
    std::map<std::string, FT_Face> faces;
    mutable std::map<std::string, cairo_font_face_t*> cairoFaces;
    datagen::DataRandom random{20260611};
};

// A cairo write function that appends to the std::vector<unsigned char> given as closure.
cairo_status_t AppendToBytes(void* closure, const unsigned char* data, unsigned int length);
// Encodes the surface as PNG and writes it when its bytes changed; false with a message.
[[nodiscard]] bool WritePng(cairo_surface_t* surface, const std::string& path, std::string& error);

// Saves and restores the cairo state around a scope.
class SavedState
{
public:
    explicit SavedState(cairo_t* context) : cr(context) { cairo_save(cr); }
    ~SavedState() { cairo_restore(cr); }
    SavedState(const SavedState&) = delete;
    SavedState& operator=(const SavedState&) = delete;

private:
    cairo_t* cr;
};

constexpr double Pi = 3.14159265358979323846;

inline double Lerp(double a, double b, double t)
{
    return a + (b - a) * t;
}

} // namespace artgen
