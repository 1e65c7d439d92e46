// artgen: draws the game's pictures into <out>/images, writes <out>/properties/resources.xml and,
// when asked, a contact sheet and the program's icons.
// Usage: artgen --content DIR --out DIR [--contact FILE] [--only ID] [--icons DIR [--icon-name NAME]]

#include "ArtKit.h"
#include "Catalogue.h"
#include "ContactSheet.h"
#include "IconArt.h"
#include "OutputFiles.h"

#include <cairo.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using namespace artgen;

namespace
{

cairo_surface_t* RenderSheet(const SheetSpec& spec, ArtKit& kit)
{
    cairo_surface_t* surface =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, spec.celWidth * spec.cols, spec.celHeight * spec.rows);
    cairo_t* cr = cairo_create(surface);
    for (int cel = 0; cel < spec.cels; ++cel)
    {
        SavedState keep(cr);
        cairo_translate(cr, (cel % spec.cols) * spec.celWidth, (cel / spec.cols) * spec.celHeight);
        cairo_rectangle(cr, 0, 0, spec.celWidth, spec.celHeight);
        cairo_clip(cr);
        cairo_new_path(cr);
        spec.draw(cr, cel, kit);
    }
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    return surface;
}

} // namespace

int main(int argc, char** argv)
{
    std::string contentDir;
    std::string outDir;
    std::string contactPath;
    std::string only;
    std::string iconDir;
    std::string iconName = "tibble";
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
        else if (std::strcmp(argv[i], "--contact") == 0)
        {
            contactPath = argv[i + 1];
        }
        else if (std::strcmp(argv[i], "--only") == 0)
        {
            only = argv[i + 1];
        }
        else if (std::strcmp(argv[i], "--icons") == 0)
        {
            iconDir = argv[i + 1];
        }
        else if (std::strcmp(argv[i], "--icon-name") == 0)
        {
            iconName = argv[i + 1];
        }
    }
    if (contentDir.empty() || outDir.empty())
    {
        std::fprintf(stderr, "usage: artgen --content DIR --out DIR [--contact FILE] [--only ID] "
                             "[--icons DIR [--icon-name NAME]]\n");
        return 2;
    }

    ArtKit kit;
    std::string error;
    if (!kit.Open(contentDir, error))
    {
        std::fprintf(stderr, "artgen: %s\n", error.c_str());
        return 1;
    }

    std::vector<SheetSpec> sheets = AllSheets();
    std::vector<cairo_surface_t*> images;
    bool ok = true;
    for (const SheetSpec& spec : sheets)
    {
        if (!only.empty() && spec.id != only)
        {
            images.push_back(nullptr);
            continue;
        }
        cairo_surface_t* surface = RenderSheet(spec, kit);
        images.push_back(surface);
        if (!WritePng(surface, outDir + "/images/" + spec.file, error))
        {
            std::fprintf(stderr, "artgen: %s\n", error.c_str());
            ok = false;
        }
    }

    std::string manifest;
    if (!BuildManifest(sheets, manifest, error) ||
        !datagen::WriteTextIfChanged(outDir + "/properties/resources.xml", manifest, error))
    {
        std::fprintf(stderr, "artgen: %s\n", error.c_str());
        ok = false;
    }

    if (ok && !contactPath.empty() && only.empty())
    {
        cairo_surface_t* contact = MakeContactSheet(sheets, images, kit);
        if (!WritePng(contact, contactPath, error))
        {
            std::fprintf(stderr, "artgen: %s\n", error.c_str());
            ok = false;
        }
        cairo_surface_destroy(contact);
    }
    if (ok && !iconDir.empty() && !WriteIcons(kit, iconDir, iconName, error))
    {
        std::fprintf(stderr, "artgen: %s\n", error.c_str());
        ok = false;
    }
    for (cairo_surface_t* surface : images)
    {
        if (surface)
        {
            cairo_surface_destroy(surface);
        }
    }
    return ok ? 0 : 1;
}
