// The bee (IMAGE_BEE, 21 cels of 48 x 48 in 7 columns, facing left; the game mirrors it) and its wings
// (IMAGE_WINGS, 2 cels of 41 x 23, stretched by the game over the bee's cel moved up 10 pixels).

#include "Catalogue.h"

#include <cmath>

namespace artgen
{

namespace
{

struct BeePose
{
    double tilt = 0.0;   // degrees; positive lifts the head
    double bob = 0.0;    // vertical shift in pixels
    int legs = 0;        // 0 tucked, 1 dangling, 2 reaching out (landing)
    double tongue = 0.0; // proboscis length in pixels
    bool squint = false; // eyes screwed shut (tumbling)
    double scale = 1.0;
};

// Rotation centre of the body; the wing root sits on the back above it.
constexpr double PivotX = 25.0;
constexpr double PivotY = 27.0;

void DrawLegs(cairo_t* cr, const ArtKit& kit, int legs)
{
    Rgb dark = kit.Colour("bee.dark");
    const double xs[3] = {21.0, 26.0, 31.0};
    for (int i = 0; i < 3; ++i)
    {
        double x = xs[i];
        double y = 35.0 + (i == 1 ? 1.0 : 0.0);
        cairo_move_to(cr, x, y);
        if (legs == 0)
        {
            cairo_line_to(cr, x + 1.5, y + 3.0);
        }
        else if (legs == 1)
        {
            cairo_line_to(cr, x - 0.5 + i * 0.5, y + 5.5);
        }
        else
        {
            cairo_line_to(cr, x - 3.0 + i * 1.5, y + 6.5);
            cairo_line_to(cr, x - 4.5 + i * 1.5, y + 7.0);
        }
        ArtKit::Stroke(cr, dark, 1.7);
    }
}

void DrawBee(cairo_t* cr, const ArtKit& kit, const BeePose& pose)
{
    SavedState keep(cr);
    cairo_translate(cr, PivotX, PivotY + pose.bob);
    cairo_scale(cr, pose.scale, pose.scale);
    cairo_rotate(cr, pose.tilt * Pi / 180.0);
    cairo_translate(cr, -PivotX, -PivotY);

    Rgb yellow = kit.Colour("bee.yellow");
    Rgb gold = kit.Colour("bee.gold");
    Rgb dark = kit.Colour("bee.dark");
    double ink = ArtKit::InkWidth();

    DrawLegs(cr, kit, pose.legs);

    // Stinger.
    cairo_move_to(cr, 38.5, 25.5);
    cairo_line_to(cr, 45.5, 28.5);
    cairo_line_to(cr, 38.5, 31.5);
    cairo_close_path(cr);
    kit.FillInk(cr, dark, ink * 0.8);

    // Abdomen with its stripes, clipped to the body.
    ArtKit::Ellipse(cr, 28.0, 28.0, 12.5, 10.0);
    ArtKit::Fill(cr, yellow);
    {
        SavedState clip(cr);
        ArtKit::Ellipse(cr, 28.0, 28.0, 12.5, 10.0);
        cairo_clip(cr);
        // Shade along the belly.
        ArtKit::Ellipse(cr, 29.0, 33.5, 13.0, 5.0);
        ArtKit::Fill(cr, gold);
        for (double x : {27.0, 34.0})
        {
            cairo_move_to(cr, x, 14.0);
            cairo_line_to(cr, x + 3.5, 14.0);
            cairo_line_to(cr, x + 2.0, 42.0);
            cairo_line_to(cr, x - 1.5, 42.0);
            cairo_close_path(cr);
            ArtKit::Fill(cr, dark);
        }
        // Gloss.
        ArtKit::Ellipse(cr, 25.0, 21.5, 5.0, 2.2);
        ArtKit::Fill(cr, {1, 1, 1}, 0.55);
    }
    ArtKit::Ellipse(cr, 28.0, 28.0, 12.5, 10.0);
    ArtKit::Stroke(cr, kit.Colour("ink"), ink);

    // Antennae behind the head.
    for (int i = 0; i < 2; ++i)
    {
        double bx = 14.0 + i * 3.0;
        double tx = 9.0 + i * 5.0;
        double ty = 9.5 - i * 1.0;
        cairo_move_to(cr, bx, 19.0);
        cairo_curve_to(cr, bx - 1.0, 14.0, tx + 1.0, ty + 3.0, tx, ty);
        ArtKit::Stroke(cr, dark, 1.5);
        cairo_arc(cr, tx, ty, 1.9, 0, 2 * Pi);
        ArtKit::Fill(cr, dark);
    }

    // Head.
    cairo_arc(cr, 14.0, 25.5, 8.8, 0, 2 * Pi);
    kit.FillInk(cr, yellow, ink);
    {
        SavedState clip(cr);
        cairo_arc(cr, 14.0, 25.5, 8.0, 0, 2 * Pi);
        cairo_clip(cr);
        ArtKit::Ellipse(cr, 16.0, 32.5, 9.0, 4.0);
        ArtKit::Fill(cr, gold, 0.8);
    }

    // Eye.
    if (pose.squint)
    {
        cairo_move_to(cr, 13.0, 21.0);
        cairo_line_to(cr, 10.0, 23.0);
        cairo_line_to(cr, 13.0, 25.0);
        ArtKit::Stroke(cr, kit.Colour("ink"), 1.4);
    }
    else
    {
        ArtKit::Ellipse(cr, 11.2, 23.0, 3.3, 3.9);
        kit.FillInk(cr, kit.Colour("white"), 0.9);
        cairo_arc(cr, 10.2, 23.6, 2.0, 0, 2 * Pi);
        ArtKit::Fill(cr, kit.Colour("ink"));
        cairo_arc(cr, 9.6, 22.7, 0.75, 0, 2 * Pi);
        ArtKit::Fill(cr, kit.Colour("white"));
    }
    // Cheek and smile.
    ArtKit::Ellipse(cr, 15.5, 28.5, 2.2, 1.5);
    ArtKit::Fill(cr, kit.Colour("bee.cheek"), 0.75);
    cairo_move_to(cr, 7.0, 28.3);
    cairo_curve_to(cr, 8.0, 30.8, 11.0, 31.0, 12.3, 29.5);
    ArtKit::Stroke(cr, kit.Colour("ink"), 1.2);

    if (pose.tongue > 0.0)
    {
        cairo_move_to(cr, 7.6, 29.6);
        cairo_line_to(cr, 7.6 - pose.tongue * 0.45, 29.6 + pose.tongue * 0.9);
        ArtKit::Stroke(cr, kit.Colour("ink"), 1.3);
    }
}

BeePose PoseForCel(int cel)
{
    BeePose p;
    switch (cel)
    {
    // Flying: a gentle bob with the legs swinging.
    case 2:
        p.bob = -1.0;
        p.legs = 0;
        break;
    case 3:
        p.bob = 0.0;
        p.legs = 1;
        break;
    case 4:
        p.bob = 1.0;
        p.legs = 1;
        break;
    // Rising: nose up.
    case 0:
        p.tilt = 12.0;
        p.legs = 1;
        break;
    case 18:
        p.tilt = 17.0;
        p.bob = -1.0;
        p.legs = 1;
        break;
    case 1:
        p.tilt = 8.0;
        p.legs = 0;
        break;
    // Sinking: nose down, legs reaching.
    case 9:
        p.tilt = -11.0;
        p.legs = 1;
        break;
    case 19:
        p.tilt = -16.0;
        p.bob = 1.0;
        p.legs = 2;
        break;
    case 8:
        p.tilt = -7.0;
        p.legs = 1;
        break;
    // Feeding: head down into the flower, sipping.
    case 5:
        p.tilt = -22.0;
        p.legs = 2;
        p.tongue = 4.0;
        p.bob = 1.0;
        break;
    case 6:
        p.tilt = -26.0;
        p.legs = 2;
        p.tongue = 7.0;
        p.bob = 2.0;
        break;
    case 7:
        p.tilt = -18.0;
        p.legs = 2;
        p.tongue = 2.0;
        break;
    // In a trumpet: diving in head first.
    case 20:
        p.tilt = -35.0;
        p.legs = 0;
        p.scale = 0.9;
        break;
    default:
        // Tumbling, 10 .. 17: a full somersault in eighths, eyes shut after the first.
        p.tilt = (cel - 10) * 45.0;
        p.squint = cel != 10;
        p.legs = 1;
        break;
    }
    return p;
}

void DrawWings(cairo_t* cr, int cel, const ArtKit& kit)
{
    // Drawn in the bee's own cel coordinates: the game stretches the 41 x 23 cel over the 48 x 48 bee
    // rectangle moved up 10 pixels, so squash to match and shift by those 10 pixels.
    SavedState keep(cr);
    cairo_scale(cr, 41.0 / 48.0, 23.0 / 48.0);
    cairo_translate(cr, 0.0, 10.0);

    Rgb wing = kit.Colour("wing");
    Rgb edge = kit.Colour("wing.edge");
    const double rootX = 27.0;
    const double rootY = 19.0;
    // Back wing then front wing; cel 0 up, cel 1 swept back (alternated every update, a buzz).
    double angles[2] = {cel == 0 ? -62.0 : -28.0, cel == 0 ? -78.0 : -44.0};
    double lengths[2] = {13.0, 16.0};
    for (int i = 0; i < 2; ++i)
    {
        double a = angles[i] * Pi / 180.0;
        ArtKit::Petal(cr, rootX + i * 1.5, rootY, a, lengths[i], 11.0 - i, 0.0);
        ArtKit::SetColour(cr, wing, 0.85);
        cairo_fill_preserve(cr);
        ArtKit::Stroke(cr, edge, 1.4);
        // A vein.
        cairo_move_to(cr, rootX + i * 1.5, rootY);
        cairo_line_to(cr, rootX + i * 1.5 + std::cos(a) * lengths[i] * 0.7, rootY + std::sin(a) * lengths[i] * 0.7);
        ArtKit::Stroke(cr, edge, 0.9, 0.7);
    }
}

} // namespace

void AddBeeSheets(std::vector<SheetSpec>& sheets)
{
    sheets.push_back({"BEE", "bee.png", 48, 48, 7, 3, 21,
                      [](cairo_t* cr, int cel, ArtKit& kit) { DrawBee(cr, kit, PoseForCel(cel)); }});
    sheets.push_back(
        {"WINGS", "wings.png", 41, 23, 2, 1, 2, [](cairo_t* cr, int cel, ArtKit& kit) { DrawWings(cr, cel, kit); }});
}

// Used by the title picture and the counters: the bee at any scale, flying pose.
void DrawBeePicture(cairo_t* cr, ArtKit& kit, double x, double y, double size, bool wings)
{
    SavedState keep(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, size / 48.0, size / 48.0);
    if (wings)
    {
        SavedState w(cr);
        cairo_translate(cr, 0, -10);
        cairo_scale(cr, 48.0 / 41.0, 48.0 / 23.0);
        DrawWings(cr, 0, kit);
    }
    DrawBee(cr, kit, PoseForCel(3));
}

} // namespace artgen
