#include "IconArt.h"

#include "OutputFiles.h"

#include <cairo-svg.h>
#include <cairo.h>

#include <vector>

namespace artgen
{

void DrawBeePicture(cairo_t* cr, ArtKit& kit, double x, double y, double size, bool wings);

namespace
{

constexpr int PngSizes[] = {16, 32, 48, 64, 128, 256, 512};

// The icon in a size x size square: the flying bee on a disc of sky. Drawn in a 48-unit square and
// scaled, so every size (and the SVG) shows the same picture.
void DrawIcon(cairo_t* cr, ArtKit& kit, double size)
{
    SavedState keep(cr);
    cairo_scale(cr, size / 48.0, size / 48.0);
    ArtKit::Ellipse(cr, 24, 24, 22.5, 22.5);
    kit.FillInk(cr, kit.Colour("sky"), ArtKit::InkWidth(1.2));
    {
        // The lawn under the bee stays inside the disc.
        SavedState lawn(cr);
        ArtKit::Ellipse(cr, 24, 24, 21.5, 21.5);
        cairo_clip(cr);
        ArtKit::Ellipse(cr, 24, 42, 19, 5);
        ArtKit::Fill(cr, kit.Colour("leaf"), 0.55);
    }
    // The bee with its wings reaches about 10 units above its own square.
    DrawBeePicture(cr, kit, 5.5, 10.5, 37, true);
}

} // namespace

bool WriteIcons(ArtKit& kit, const std::string& folder, const std::string& name, std::string& error)
{
    for (int size : PngSizes)
    {
        cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
        cairo_t* cr = cairo_create(surface);
        DrawIcon(cr, kit, size);
        cairo_destroy(cr);
        cairo_surface_flush(surface);
        const std::string path =
            folder + "/hicolor/" + std::to_string(size) + "x" + std::to_string(size) + "/apps/" + name + ".png";
        const bool written = WritePng(surface, path, error);
        cairo_surface_destroy(surface);
        if (!written)
            return false;
    }

    std::vector<unsigned char> svg;
    cairo_surface_t* surface = cairo_svg_surface_create_for_stream(AppendToBytes, &svg, 48, 48);
    cairo_t* cr = cairo_create(surface);
    DrawIcon(cr, kit, 48);
    cairo_destroy(cr);
    // The document is complete only once the surface is finished.
    cairo_surface_finish(surface);
    const bool drawn = cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    const std::string path = folder + "/hicolor/scalable/apps/" + name + ".svg";
    if (!drawn)
    {
        error = "cannot draw " + path;
        return false;
    }
    return datagen::WriteFileIfChanged(path, svg, error);
}

} // namespace artgen
