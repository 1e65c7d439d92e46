#include "ArtKit.h"

#include "OutputFiles.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <librsvg/rsvg.h>

#include <cmath>
#include <memory>
#include <vector>

namespace artgen
{

namespace
{

const char* const FontFolder = "/usr/share/fonts/truetype/dejavu/";

const std::map<std::string, std::string> FaceFiles = {
    {"sans-bold", "DejaVuSans-Bold.ttf"},
    {"sans", "DejaVuSans.ttf"},
    {"serif-bold", "DejaVuSerif-Bold.ttf"},
};

} // namespace

ArtKit::~ArtKit()
{
    for (auto& [name, face] : cairoFaces)
    {
        cairo_font_face_destroy(face);
    }
    for (auto& [name, face] : faces)
    {
        FT_Done_Face(face);
    }
    if (library)
    {
        FT_Done_FreeType(library);
    }
}

bool ArtKit::Open(const std::string& dir, std::string& error)
{
    contentDir = dir;
    if (!palette.Load(contentDir + "/art/palette.txt", error))
    {
        return false;
    }
    if (FT_Init_FreeType(&library) != 0)
    {
        error = "FreeType did not start";
        return false;
    }
    for (const auto& [name, file] : FaceFiles)
    {
        FT_Face face = nullptr;
        std::string path = std::string(FontFolder) + file;
        if (FT_New_Face(library, path.c_str(), 0, &face) != 0)
        {
            error = "cannot open font " + path;
            return false;
        }
        faces[name] = face;
    }
    return true;
}

void ArtKit::SetColour(cairo_t* cr, const Rgb& c, double alpha)
{
    cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha);
}

void ArtKit::Fill(cairo_t* cr, const Rgb& fill, double alpha)
{
    SetColour(cr, fill, alpha);
    cairo_fill(cr);
}

void ArtKit::Stroke(cairo_t* cr, const Rgb& colour, double width, double alpha)
{
    SetColour(cr, colour, alpha);
    cairo_set_line_width(cr, width);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke(cr);
}

void ArtKit::FillInk(cairo_t* cr, const Rgb& fill, double inkWidth, double alpha) const
{
    SetColour(cr, fill, alpha);
    cairo_fill_preserve(cr);
    Stroke(cr, Colour("ink"), inkWidth, alpha);
}

void ArtKit::Ellipse(cairo_t* cr, double cx, double cy, double rx, double ry)
{
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx, ry);
    cairo_new_sub_path(cr);
    cairo_arc(cr, 0, 0, 1, 0, 2 * Pi);
    cairo_restore(cr);
}

void ArtKit::RoundRect(cairo_t* cr, double x, double y, double w, double h, double r)
{
    r = std::min(r, std::min(w, h) / 2);
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -Pi / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, Pi / 2);
    cairo_arc(cr, x + r, y + h - r, r, Pi / 2, Pi);
    cairo_arc(cr, x + r, y + r, r, Pi, 3 * Pi / 2);
    cairo_close_path(cr);
}

void ArtKit::Petal(cairo_t* cr, double cx, double cy, double angle, double length, double width, double start)
{
    double ux = std::cos(angle);
    double uy = std::sin(angle);
    double nx = -uy;
    double ny = ux;
    double bx = cx + ux * start;
    double by = cy + uy * start;
    double tx = cx + ux * (start + length);
    double ty = cy + uy * (start + length);
    double w = width / 2;
    cairo_new_sub_path(cr);
    cairo_move_to(cr, bx, by);
    cairo_curve_to(cr, bx + nx * w * 1.2 + ux * length * 0.25, by + ny * w * 1.2 + uy * length * 0.25,
                   tx + nx * w * 0.9 - ux * length * 0.1, ty + ny * w * 0.9 - uy * length * 0.1, tx, ty);
    cairo_curve_to(cr, tx - nx * w * 0.9 - ux * length * 0.1, ty - ny * w * 0.9 - uy * length * 0.1,
                   bx - nx * w * 1.2 + ux * length * 0.25, by - ny * w * 1.2 + uy * length * 0.25, bx, by);
    cairo_close_path(cr);
}

void ArtKit::Star(cairo_t* cr, double cx, double cy, double outer, double inner, int points, double turn)
{
    cairo_new_sub_path(cr);
    for (int i = 0; i < points * 2; ++i)
    {
        double a = turn - Pi / 2 + i * Pi / points;
        double r = (i % 2 == 0) ? outer : inner;
        if (i == 0)
        {
            cairo_move_to(cr, cx + std::cos(a) * r, cy + std::sin(a) * r);
        }
        else
        {
            cairo_line_to(cr, cx + std::cos(a) * r, cy + std::sin(a) * r);
        }
    }
    cairo_close_path(cr);
}

void ArtKit::DrawEmoji(cairo_t* cr, const std::string& code, double x, double y, double size, bool outline,
                       double outlineWidth) const
{
    std::string path = contentDir + "/art/twemoji/" + code + ".svg";
    GError* gerror = nullptr;
    RsvgHandle* handle = rsvg_handle_new_from_file(path.c_str(), &gerror);
    if (!handle)
    {
        std::fprintf(stderr, "cannot read %s: %s\n", path.c_str(), gerror ? gerror->message : "?");
        std::abort();
    }
    // Render into a private surface first so the outline can be made from its silhouette.
    int pad = static_cast<int>(std::ceil(outlineWidth)) + 2;
    int side = static_cast<int>(std::ceil(size * 4)) + pad * 8;
    cairo_surface_t* picture = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, side, side);
    {
        cairo_t* pc = cairo_create(picture);
        RsvgRectangle viewport{static_cast<double>(pad * 4), static_cast<double>(pad * 4), size * 4, size * 4};
        if (!rsvg_handle_render_document(handle, pc, &viewport, &gerror))
        {
            std::fprintf(stderr, "cannot render %s\n", path.c_str());
            std::abort();
        }
        cairo_destroy(pc);
    }
    g_object_unref(handle);

    SavedState keep(cr);
    cairo_translate(cr, x - pad, y - pad);
    cairo_scale(cr, 0.25, 0.25);
    if (outline)
    {
        // A ring of offset copies of the silhouette in ink makes the sticker outline.
        Rgb ink = Colour("ink");
        int steps = 16;
        for (int i = 0; i < steps; ++i)
        {
            double a = 2 * Pi * i / steps;
            SetColour(cr, ink);
            cairo_mask_surface(cr, picture, std::cos(a) * outlineWidth * 4, std::sin(a) * outlineWidth * 4);
        }
    }
    cairo_set_source_surface(cr, picture, 0, 0);
    cairo_paint(cr);
    cairo_surface_destroy(picture);
}

cairo_font_face_t* ArtKit::FontFace(const std::string& face) const
{
    auto it = cairoFaces.find(face);
    if (it != cairoFaces.end())
    {
        return it->second;
    }
    auto ft = faces.find(face);
    if (ft == faces.end())
    {
        std::fprintf(stderr, "unknown face %s\n", face.c_str());
        std::abort();
    }
    cairo_font_face_t* created = cairo_ft_font_face_create_for_ft_face(ft->second, 0);
    cairoFaces[face] = created;
    return created;
}

void ArtKit::TextPath(cairo_t* cr, const std::string& face, double size, double x, double y,
                      const std::string& text) const
{
    cairo_set_font_face(cr, FontFace(face));
    cairo_set_font_size(cr, size);
    cairo_move_to(cr, x, y);
    cairo_text_path(cr, text.c_str());
}

double ArtKit::TextWidth(const std::string& face, double size, const std::string& text) const
{
    cairo_surface_t* scratch = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
    cairo_t* cr = cairo_create(scratch);
    cairo_set_font_face(cr, FontFace(face));
    cairo_set_font_size(cr, size);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text.c_str(), &extents);
    cairo_destroy(cr);
    cairo_surface_destroy(scratch);
    return extents.x_advance;
}

cairo_status_t AppendToBytes(void* closure, const unsigned char* data, unsigned int length)
{
    auto* bytes = static_cast<std::vector<unsigned char>*>(closure);
    bytes->insert(bytes->end(), data, data + length);
    return CAIRO_STATUS_SUCCESS;
}

bool WritePng(cairo_surface_t* surface, const std::string& path, std::string& error)
{
    std::vector<unsigned char> bytes;
    if (cairo_surface_write_to_png_stream(surface, AppendToBytes, &bytes) != CAIRO_STATUS_SUCCESS)
    {
        error = "cannot encode " + path;
        return false;
    }
    return datagen::WriteFileIfChanged(path, bytes, error);
}

} // namespace artgen
