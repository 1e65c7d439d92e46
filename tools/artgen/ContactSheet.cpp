// The contact sheet: every picture at full size on a checkerboard (so transparency shows), its cel grid
// drawn over it and each cel numbered, the identifier and size written above.

#include "ContactSheet.h"

#include <algorithm>
#include <cstdio>

namespace artgen
{

namespace
{

constexpr int PageWidth = 1400;
constexpr int Margin = 16;
constexpr int LabelHeight = 18;
constexpr int PreviewHeight = 400;

void Checkerboard(cairo_t* cr, double x, double y, double w, double h)
{
    SavedState keep(cr);
    cairo_rectangle(cr, x, y, w, h);
    cairo_clip(cr);
    cairo_set_source_rgb(cr, 0.86, 0.86, 0.88);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 0.74, 0.74, 0.78);
    for (int row = 0; row * 8 < h; ++row)
    {
        for (int col = (row % 2); col * 8 < w; col += 2)
        {
            cairo_rectangle(cr, x + col * 8, y + row * 8, 8, 8);
        }
    }
    cairo_fill(cr);
}

cairo_surface_t* Find(const std::vector<SheetSpec>& specs, const std::vector<cairo_surface_t*>& images,
                      const std::string& id)
{
    for (size_t i = 0; i < specs.size(); ++i)
    {
        if (specs[i].id == id)
        {
            return images[i];
        }
    }
    return nullptr;
}

void DrawCel(cairo_t* cr, cairo_surface_t* image, int cols, int celW, int celH, int cel, double x, double y, double w,
             double h, bool mirror = false)
{
    SavedState keep(cr);
    cairo_rectangle(cr, x, y, w, h);
    cairo_clip(cr);
    cairo_translate(cr, x, y);
    if (mirror)
    {
        cairo_translate(cr, w, 0);
        cairo_scale(cr, -1, 1);
    }
    cairo_scale(cr, w / celW, h / celH);
    cairo_set_source_surface(cr, image, -(cel % cols) * celW, -(cel / cols) * celH);
    cairo_paint(cr);
}

// Previews of pictures put together the way the game does: a garden laid out by the game's auto-tiler,
// the bee with its wings stretched over it, and hoses spraying at a few angles.
void DrawPreviews(cairo_t* cr, const std::vector<SheetSpec>& specs, const std::vector<cairo_surface_t*>& images,
                  const ArtKit& kit, double top)
{
    cairo_surface_t* blocks = Find(specs, images, "BGBLOCKS");
    cairo_surface_t* bee = Find(specs, images, "BEE");
    cairo_surface_t* wings = Find(specs, images, "WINGS");
    cairo_surface_t* hose = Find(specs, images, "HOSE");
    cairo_surface_t* spray = Find(specs, images, "SPRAY");
    if (!blocks || !bee || !wings || !hose || !spray)
    {
        return;
    }
    cairo_set_source_rgb(cr, 0.1, 0.1, 0.15);
    kit.TextPath(cr, "sans", 11, Margin, top - 5,
                 "Preview: tiles placed by the game's auto-tiler, the bee with "
                 "its wings, hoses at 0, 45, 90 and 200 degrees");
    cairo_fill(cr);
    static const char* const map[6] = {"..........", ".##...#...", ".####.#.#.",
                                       "....#.###.", ".#..#.....", "#####..###"};
    static const int autoTile[16] = {4, 6, 4, 8, 5, 2, 7, 16, 13, 14, 0, 11, 15, 10, 9, 12};
    auto solid = [&](int c, int r) { return r >= 0 && r < 6 && c >= 0 && c < 10 && map[r][c] == '#'; };
    int counter = 0;
    for (int r = 0; r < 6; ++r)
    {
        for (int c = 0; c < 10; ++c)
        {
            int cel = (c * 3 + r * 5) & 7;
            if (solid(c, r))
            {
                int mask = (solid(c, r - 1) ? 1 : 0) + (solid(c + 1, r) ? 2 : 0) + (solid(c, r + 1) ? 4 : 0) +
                           (solid(c - 1, r) ? 8 : 0);
                int e = autoTile[mask];
                if (e == 0 || e == 2)
                {
                    e |= (counter++ & 1);
                }
                cel = 8 + e;
            }
            DrawCel(cr, blocks, 5, 64, 64, cel, Margin + c * 64, top + r * 64, 64, 64);
        }
    }
    // The bee over the garden: flying cels with the two wing cels, one facing each way.
    for (int i = 0; i < 4; ++i)
    {
        double x = Margin + 40 + i * 70;
        double y = top + 30;
        bool right = i >= 2;
        DrawCel(cr, wings, 2, 41, 23, i % 2, x, y - 10, 48, 48, right);
        DrawCel(cr, bee, 7, 48, 48, 2 + i % 3, x, y, 48, 48, right);
    }
    // Hoses turned about the nozzle, spray turned by pi minus the angle (the game turns counter-clockwise).
    const double angles[4] = {0, 45, 90, 200};
    for (int i = 0; i < 4; ++i)
    {
        double a = angles[i] * Pi / 180.0;
        double px = Margin + 820 + (i % 2) * 300;
        double py = top + 130 + (i / 2) * 200;
        cairo_set_source_rgb(cr, 0.74, 0.9, 0.97);
        cairo_rectangle(cr, px - 140, py - 130, 280, 195);
        cairo_fill(cr);
        {
            SavedState keep(cr);
            cairo_translate(cr, px, py);
            cairo_rotate(cr, a - Pi); // the game turns counter-clockwise by pi - angle
            cairo_translate(cr, -48, 0);
            DrawCel(cr, spray, 8, 96, 128, 5, 0, 0, 96, 128);
        }
        {
            SavedState keep(cr);
            cairo_translate(cr, px, py);
            cairo_rotate(cr, a); // counter-clockwise by -angle
            cairo_translate(cr, -18, 0);
            DrawCel(cr, hose, 3, 36, 60, 2, 0, 0, 36, 60);
        }
    }
}

} // namespace

cairo_surface_t* MakeContactSheet(const std::vector<SheetSpec>& specs, const std::vector<cairo_surface_t*>& images,
                                  const ArtKit& kit)
{
    // Lay out in rows (shelf packing) to find the page height first.
    struct Place
    {
        double x, y, scale;
    };
    std::vector<Place> places;
    double x = Margin;
    double y = Margin + 30;
    double shelf = 0;
    for (size_t i = 0; i < specs.size(); ++i)
    {
        double w = specs[i].celWidth * specs[i].cols;
        double h = specs[i].celHeight * specs[i].rows;
        double scale = (w > PageWidth - 2 * Margin) ? (PageWidth - 2 * Margin) / w : 1.0;
        w *= scale;
        h *= scale;
        double labelW = kit.TextWidth("sans", 11, "IMAGE_" + specs[i].id + "  0000x000, 00 cels of 000x000") + 8;
        double boxW = std::max(w, labelW);
        if (x + boxW > PageWidth - Margin)
        {
            x = Margin;
            y += shelf + LabelHeight + Margin;
            shelf = 0;
        }
        places.push_back({x, y + LabelHeight, scale});
        x += boxW + Margin;
        shelf = std::max(shelf, h);
    }
    double previewY = y + shelf + LabelHeight + Margin * 2;
    int pageHeight = static_cast<int>(previewY + PreviewHeight + Margin * 2);

    cairo_surface_t* page = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, PageWidth, pageHeight);
    cairo_t* cr = cairo_create(page);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 0.1, 0.1, 0.15);
    kit.TextPath(cr, "sans-bold", 18, Margin, Margin + 14, "Tibble the Bee: every picture, cel grid and cel numbers");
    cairo_fill(cr);

    for (size_t i = 0; i < specs.size(); ++i)
    {
        const SheetSpec& s = specs[i];
        const Place& p = places[i];
        double w = s.celWidth * s.cols * p.scale;
        double h = s.celHeight * s.rows * p.scale;
        char label[160];
        std::snprintf(label, sizeof label, "IMAGE_%s  %dx%d, %d cel%s of %dx%d", s.id.c_str(), s.celWidth * s.cols,
                      s.celHeight * s.rows, s.cels, s.cels == 1 ? "" : "s", s.celWidth, s.celHeight);
        cairo_set_source_rgb(cr, 0.1, 0.1, 0.15);
        kit.TextPath(cr, "sans", 11, p.x, p.y - 5, label);
        cairo_fill(cr);
        Checkerboard(cr, p.x, p.y, w, h);
        if (images[i])
        {
            SavedState keep(cr);
            cairo_translate(cr, p.x, p.y);
            cairo_scale(cr, p.scale, p.scale);
            cairo_set_source_surface(cr, images[i], 0, 0);
            cairo_paint(cr);
        }
        // Cel grid and numbers.
        cairo_set_source_rgba(cr, 0.9, 0.1, 0.5, 0.8);
        cairo_set_line_width(cr, 1);
        for (int c = 0; c <= s.cols; ++c)
        {
            cairo_move_to(cr, p.x + c * s.celWidth * p.scale + 0.5, p.y);
            cairo_line_to(cr, p.x + c * s.celWidth * p.scale + 0.5, p.y + h);
        }
        for (int r = 0; r <= s.rows; ++r)
        {
            cairo_move_to(cr, p.x, p.y + r * s.celHeight * p.scale + 0.5);
            cairo_line_to(cr, p.x + w, p.y + r * s.celHeight * p.scale + 0.5);
        }
        cairo_stroke(cr);
        if (s.cels > 1)
        {
            for (int cel = 0; cel < s.cels; ++cel)
            {
                double cx = p.x + (cel % s.cols) * s.celWidth * p.scale + 2;
                double cy = p.y + (cel / s.cols) * s.celHeight * p.scale + 10;
                std::string number = std::to_string(cel);
                cairo_set_source_rgba(cr, 1, 1, 1, 0.8);
                cairo_rectangle(cr, cx - 1, cy - 9, kit.TextWidth("sans-bold", 9, number) + 2, 11);
                cairo_fill(cr);
                cairo_set_source_rgb(cr, 0.8, 0.0, 0.35);
                kit.TextPath(cr, "sans-bold", 9, cx, cy, number);
                cairo_fill(cr);
            }
        }
    }
    DrawPreviews(cr, specs, images, kit, previewY);
    cairo_destroy(cr);
    cairo_surface_flush(page);
    return page;
}

} // namespace artgen
