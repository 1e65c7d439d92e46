// The garden itself: IMAGE_BGBLOCKS (25 tiles of 64 x 64 in 5 columns: 0 .. 7 open sky, 8 .. 24 hedge
// pieces for the auto-tiler), the hose and its spray, and the particle strips (water drops, honey drops,
// sparkles).

#include "Catalogue.h"

#include <cmath>

namespace artgen
{

namespace
{

constexpr double Deg = Pi / 180.0;
constexpr int Tile = 64;

// Neighbour mask of each solid tile cel (1 solid above, 2 right, 4 below, 8 left). Cel 12 is the piece the
// auto-tiler gives both a lone block and the left end of a run (a block whose only solid neighbour is on its
// right). Drawn rounded on all sides it left a gap in the hedge at the left end of every floor, so it is drawn as
// a hedge end: rounded on the left, top and bottom, and running on flush into its right-hand neighbour. A lone
// block then shows a clipped right face, which reads as a trimmed bush.
int MaskOfCel(int cel)
{
    static const int masks[17] = {10, 10, 5, 5, 2, 4, 1, 6, 3, 14, 13, 11, 15, 8, 9, 12, 7};
    return masks[cel - 8];
}

void SkyBase(cairo_t* cr, const ArtKit& kit)
{
    ArtKit::SetColour(cr, kit.Colour("sky"));
    cairo_rectangle(cr, 0, 0, Tile, Tile);
    cairo_fill(cr);
    // A faint lattice of dots, period 32, so any arrangement of open tiles stays seamless.
    for (int y = 8; y < Tile; y += 32)
    {
        for (int x = 8; x < Tile; x += 32)
        {
            cairo_arc(cr, x, y, 2.0, 0, 2 * Pi);
            cairo_arc(cr, x + 16, y + 16, 1.4, 0, 2 * Pi);
            ArtKit::Fill(cr, kit.Colour("skydot"));
        }
    }
}

void Cloud(cairo_t* cr, const ArtKit& kit, double x, double y, double s)
{
    const double puffs[4][3] = {{0, 0, 7}, {8, -3, 8}, {16, 0, 6.5}, {8, 2, 7}};
    for (const auto& p : puffs)
    {
        cairo_new_sub_path(cr);
        cairo_arc(cr, x + p[0] * s, y + p[1] * s, p[2] * s, 0, 2 * Pi);
    }
    ArtKit::Fill(cr, kit.Colour("cloud"), 0.9);
}

void DrawOpenTile(cairo_t* cr, int cel, ArtKit& kit)
{
    SkyBase(cr, kit);
    Rgb far = kit.Colour("farleaf");
    // Motifs stay well inside the tile: every edge is plain sky so tiles join in any order.
    switch (cel)
    {
    case 1:
        Cloud(cr, kit, 18, 30, 1.0);
        break;
    case 2:
        Cloud(cr, kit, 14, 22, 0.7);
        Cloud(cr, kit, 34, 42, 0.55);
        break;
    case 3:
        ArtKit::Petal(cr, 24, 38, -35 * Deg, 18, 9);
        ArtKit::Fill(cr, far);
        cairo_move_to(cr, 24, 38);
        cairo_line_to(cr, 37, 28);
        ArtKit::Stroke(cr, kit.Colour("sky"), 1.0);
        break;
    case 4:
        // A little butterfly silhouette.
        for (int side = -1; side <= 1; side += 2)
        {
            ArtKit::Ellipse(cr, 32 + side * 5, 28, 5, 6);
            ArtKit::Ellipse(cr, 32 + side * 4, 36, 3.5, 4);
            ArtKit::Fill(cr, far);
        }
        ArtKit::Ellipse(cr, 32, 32, 1.3, 6);
        ArtKit::Fill(cr, far.Darker(0.1));
        break;
    case 5:
        // A drifting blossom sprig.
        cairo_move_to(cr, 16, 46);
        cairo_curve_to(cr, 24, 40, 30, 30, 44, 20);
        ArtKit::Stroke(cr, far, 1.6);
        for (double t : {0.3, 0.6, 0.9})
        {
            double x = Lerp(16, 44, t);
            double y = Lerp(46, 20, t);
            for (int i = 0; i < 5; ++i)
            {
                double a = i * 72 * Deg;
                cairo_new_sub_path(cr);
                cairo_arc(cr, x + std::cos(a) * 2.6, y + std::sin(a) * 2.6, 2.2, 0, 2 * Pi);
            }
            ArtKit::Fill(cr, kit.Colour("cloud"), 0.85);
        }
        break;
    case 6:
        for (int i = 0; i < 3; ++i)
        {
            ArtKit::Star(cr, 18 + i * 14, 22 + (i % 2) * 18, 3.5, 1.1, 4, 0);
            ArtKit::Fill(cr, kit.Colour("white"), 0.8);
        }
        break;
    case 7:
        // A dandelion seed floating by.
        cairo_move_to(cr, 30, 44);
        cairo_line_to(cr, 34, 30);
        ArtKit::Stroke(cr, kit.Colour("white"), 1.0, 0.9);
        for (int i = 0; i < 7; ++i)
        {
            double a = (-160 + i * 23) * Deg;
            cairo_move_to(cr, 34, 30);
            cairo_line_to(cr, 34 + std::cos(a) * 7, 30 + std::sin(a) * 7);
        }
        ArtKit::Stroke(cr, kit.Colour("white"), 0.8, 0.9);
        break;
    default:
        break;
    }
}

// Fills the hedge's outline shape, shrunk by inset on every side open to the sky. Open sides are scalloped
// (four bumps per tile, so neighbours sharing an open side line up) and a corner between two open sides is
// rounded.
void HedgeShape(cairo_t* cr, int mask, double inset)
{
    bool up = !(mask & 1);
    bool right = !(mask & 2);
    bool down = !(mask & 4);
    bool left = !(mask & 8);
    const double valley = 4.0;
    double l = left ? valley + inset : -2;
    double r = right ? Tile - valley - inset : Tile + 2;
    double t = up ? valley + inset : -2;
    double b = down ? Tile - valley - inset : Tile + 2;

    SavedState keep(cr);
    // Rounded corners where two open sides meet.
    double cornerR = 16.0 - inset * 0.5;
    double ol = left ? inset : -2;
    double orr = right ? Tile - inset : Tile + 2;
    double ot = up ? inset : -2;
    double ob = down ? Tile - inset : Tile + 2;
    auto radius = [&](bool a, bool c) { return (a && c) ? cornerR : 0.0; };
    double rTL = radius(up, left);
    double rTR = radius(up, right);
    double rBR = radius(down, right);
    double rBL = radius(down, left);
    cairo_new_path(cr);
    cairo_move_to(cr, ol + rTL, ot);
    cairo_line_to(cr, orr - rTR, ot);
    if (rTR > 0)
    {
        cairo_arc(cr, orr - rTR, ot + rTR, rTR, -Pi / 2, 0);
    }
    cairo_line_to(cr, orr, ob - rBR);
    if (rBR > 0)
    {
        cairo_arc(cr, orr - rBR, ob - rBR, rBR, 0, Pi / 2);
    }
    cairo_line_to(cr, ol + rBL, ob);
    if (rBL > 0)
    {
        cairo_arc(cr, ol + rBL, ob - rBL, rBL, Pi / 2, Pi);
    }
    cairo_line_to(cr, ol, ot + rTL);
    if (rTL > 0)
    {
        cairo_arc(cr, ol + rTL, ot + rTL, rTL, Pi, 3 * Pi / 2);
    }
    cairo_close_path(cr);
    cairo_clip(cr);

    cairo_rectangle(cr, l, t, r - l, b - t);
    cairo_fill(cr);
    double bump = valley - 0.5;
    for (int i = 0; i < 4; ++i)
    {
        double c = 8 + i * 16;
        if (up)
        {
            ArtKit::Ellipse(cr, c, t, 8.6, bump);
            cairo_fill(cr);
        }
        if (down)
        {
            ArtKit::Ellipse(cr, c, b, 8.6, bump);
            cairo_fill(cr);
        }
        if (left)
        {
            ArtKit::Ellipse(cr, l, c, bump, 8.6);
            cairo_fill(cr);
        }
        if (right)
        {
            ArtKit::Ellipse(cr, r, c, bump, 8.6);
            cairo_fill(cr);
        }
    }
}

void LeafTexture(cairo_t* cr, const ArtKit& kit)
{
    // Leaf clusters on a 64-pixel repeat, drawn with their wrapped copies so joined tiles run on seamlessly.
    static const double leaves[][3] = {{6, 8, 20},    {22, 4, 120},  {40, 10, 60},  {56, 6, 200},  {12, 24, 300},
                                       {30, 22, 30},  {48, 28, 150}, {4, 40, 80},   {20, 44, 250}, {38, 40, 10},
                                       {56, 46, 110}, {10, 58, 170}, {28, 60, 330}, {46, 56, 220}};
    Rgb dark = kit.Colour("hedge.dark");
    Rgb light = kit.Colour("hedge.light");
    for (int dy = -Tile; dy <= Tile; dy += Tile)
    {
        for (int dx = -Tile; dx <= Tile; dx += Tile)
        {
            int i = 0;
            for (const auto& leaf : leaves)
            {
                double a = leaf[2] * Deg;
                ArtKit::Petal(cr, leaf[0] + dx, leaf[1] + dy, a, 9, 6);
                ArtKit::Fill(cr, dark, 0.55);
                ArtKit::Petal(cr, leaf[0] + dx + 1, leaf[1] + dy - 1, a + 0.4, 6, 4);
                ArtKit::Fill(cr, light, (i % 3 == 0) ? 0.7 : 0.45);
                ++i;
            }
        }
    }
}

void DrawSolidTile(cairo_t* cr, int cel, ArtKit& kit)
{
    int mask = MaskOfCel(cel);
    SkyBase(cr, kit);
    ArtKit::SetColour(cr, kit.Colour("ink"));
    HedgeShape(cr, mask, 0.0);
    ArtKit::SetColour(cr, kit.Colour("hedge.light"));
    HedgeShape(cr, mask, 2.0);
    ArtKit::SetColour(cr, kit.Colour("hedge"));
    HedgeShape(cr, mask, 5.0);
    {
        // Texture only inside the body of the hedge.
        SavedState keep(cr);
        cairo_push_group(cr);
        LeafTexture(cr, kit);
        cairo_pattern_t* texture = cairo_pop_group(cr);
        cairo_push_group(cr);
        ArtKit::SetColour(cr, {1, 1, 1});
        HedgeShape(cr, mask, 5.0);
        cairo_pattern_t* shape = cairo_pop_group(cr);
        cairo_set_source(cr, texture);
        cairo_mask(cr, shape);
        cairo_pattern_destroy(texture);
        cairo_pattern_destroy(shape);
    }
    // The alternates of one shape differ by a few flowers or berries inside.
    bool up = !(mask & 1);
    if (cel == 9 || cel == 11 || cel == 12 || cel == 14)
    {
        for (int i = 0; i < 2; ++i)
        {
            double x = 18 + i * 26;
            double y = up ? 12 + i * 4 : 24 + i * 14;
            for (int p = 0; p < 5; ++p)
            {
                double a = p * 72 * Deg;
                cairo_new_sub_path(cr);
                cairo_arc(cr, x + std::cos(a) * 2.3, y + std::sin(a) * 2.3, 2.0, 0, 2 * Pi);
            }
            ArtKit::Fill(cr, kit.Colour("white"));
            cairo_arc(cr, x, y, 1.3, 0, 2 * Pi);
            ArtKit::Fill(cr, kit.Colour("honey"));
        }
    }
    if (cel == 8 || cel == 10 || cel == 20)
    {
        for (int i = 0; i < 3; ++i)
        {
            cairo_arc(cr, 22 + i * 5, 36 + (i % 2) * 4, 2.0, 0, 2 * Pi);
            kit.FillInk(cr, kit.Colour("red"), 0.8);
        }
    }
}

void DrawHose(cairo_t* cr, int cel, ArtKit& kit)
{
    double ink = ArtKit::InkWidth();
    Rgb hose = kit.Colour("hose");
    Rgb hoseDark = kit.Colour("hose.dark");
    Rgb brass = kit.Colour("brass");
    if (cel == 1)
    {
        // Hover: a warm glow round the whole hose.
        for (int i = 3; i >= 1; --i)
        {
            ArtKit::RoundRect(cr, 18 - 8 - i * 2.2, 1 - i * 0.5, 16 + i * 4.4, 62, 8 + i * 2);
            ArtKit::Fill(cr, kit.Colour("honey.light"), 0.35);
        }
    }
    // Hose body from the nozzle down, bending away at the end.
    for (int pass = 0; pass < 2; ++pass)
    {
        cairo_move_to(cr, 18, 12);
        cairo_line_to(cr, 18, 44);
        cairo_curve_to(cr, 18, 52, 20, 56, 26, 62);
        if (pass == 0)
        {
            ArtKit::Stroke(cr, kit.Colour("ink"), 11 + 2 * ink);
        }
        else
        {
            ArtKit::Stroke(cr, cel == 1 ? hose.Lighter(0.15) : hose, 11);
        }
    }
    cairo_move_to(cr, 15.5, 14);
    cairo_line_to(cr, 15.5, 44);
    ArtKit::Stroke(cr, {1, 1, 1}, 2.0, 0.35);
    // The grip, 30 pixels down the body: where the player takes hold.
    ArtKit::RoundRect(cr, 10.5, 24, 15, 12, 3);
    kit.FillInk(cr, cel == 2 ? hoseDark.Darker(0.2) : hoseDark, ink);
    for (int i = 0; i < 3; ++i)
    {
        cairo_move_to(cr, 12.5, 27 + i * 3);
        cairo_line_to(cr, 23.5, 27 + i * 3);
    }
    ArtKit::Stroke(cr, hose.Lighter(0.3), 1.0, 0.8);
    // Brass nozzle with its tip at (18, 0).
    cairo_move_to(cr, 14.0, 1.0);
    cairo_line_to(cr, 22.0, 1.0);
    cairo_line_to(cr, 24.5, 14.0);
    cairo_line_to(cr, 11.5, 14.0);
    cairo_close_path(cr);
    kit.FillInk(cr, brass, ink);
    ArtKit::RoundRect(cr, 10.0, 11.0, 16.0, 5.0, 2.0);
    kit.FillInk(cr, kit.Colour("brass.dark"), ink);
    cairo_move_to(cr, 15.5, 3);
    cairo_line_to(cr, 14.5, 10);
    ArtKit::Stroke(cr, {1, 1, 1}, 1.4, 0.6);
    if (cel == 2)
    {
        // Spraying: water bursting from the tip and a little shake.
        cairo_arc(cr, 18, 1.5, 3.0, 0, 2 * Pi);
        ArtKit::Fill(cr, kit.Colour("water.light"));
        for (int side = -1; side <= 1; side += 2)
        {
            cairo_move_to(cr, 18 + side * 9, 20);
            cairo_line_to(cr, 18 + side * 12, 18);
            cairo_move_to(cr, 18 + side * 9, 38);
            cairo_line_to(cr, 18 + side * 12, 40);
        }
        ArtKit::Stroke(cr, kit.Colour("ink"), 1.2, 0.7);
    }
}

void DrawSpray(cairo_t* cr, int cel, ArtKit& kit)
{
    // The jet leaves the nozzle at (48, 0) and runs down the image; the game turns it to the hose's angle.
    double length = cel < 4 ? 128.0 * (cel + 1) / 4.0 : 128.0;
    double phase = cel < 4 ? 0.0 : (cel - 4) / 4.0;
    Rgb water = kit.Colour("water");
    Rgb light = kit.Colour("water.light");
    Rgb dark = kit.Colour("water.dark");
    auto spread = [](double y) { return 3.0 + y * 0.3; };
    // Soft body of the jet.
    cairo_move_to(cr, 48 - 3, 0);
    cairo_line_to(cr, 48 + 3, 0);
    cairo_line_to(cr, 48 + spread(length) * 0.8, length);
    cairo_line_to(cr, 48 - spread(length) * 0.8, length);
    cairo_close_path(cr);
    cairo_pattern_t* fade = cairo_pattern_create_linear(0, 0, 0, length);
    cairo_pattern_add_color_stop_rgba(fade, 0.0, water.r, water.g, water.b, 0.95);
    cairo_pattern_add_color_stop_rgba(fade, 0.6, water.r, water.g, water.b, 0.6);
    cairo_pattern_add_color_stop_rgba(fade, 1.0, water.r, water.g, water.b, 0.0);
    cairo_set_source(cr, fade);
    cairo_fill(cr);
    // Streaks inside the jet.
    for (int i = -2; i <= 2; ++i)
    {
        double f = i / 2.5;
        cairo_move_to(cr, 48 + f * 2, 2);
        cairo_line_to(cr, 48 + f * spread(length) * 0.7, length * 0.9);
        cairo_pattern_t* white = cairo_pattern_create_linear(0, 0, 0, length);
        cairo_pattern_add_color_stop_rgba(white, 0.0, 1, 1, 1, 0.9);
        cairo_pattern_add_color_stop_rgba(white, 1.0, light.r, light.g, light.b, 0.0);
        cairo_set_source(cr, white);
        cairo_set_line_width(cr, i == 0 ? 2.5 : 1.3);
        cairo_stroke(cr);
        cairo_pattern_destroy(white);
    }
    cairo_pattern_destroy(fade);
    // Droplets running outwards; the full jet cycles them down by a quarter step per cel.
    datagen::DataRandom random(4242);
    for (int i = 0; i < 26; ++i)
    {
        double along = random.Unit();
        double side = random.Signed();
        double size = 1.5 + random.Unit() * 2.5;
        double y = std::fmod(along + phase * 0.25, 1.0) * 120 + 6;
        if (y > length - 4)
        {
            continue;
        }
        double x = 48 + side * spread(y) * 0.9;
        double alpha = 1.0 - y / 150.0;
        cairo_arc(cr, x, y, size, 0, 2 * Pi);
        ArtKit::SetColour(cr, light, alpha);
        cairo_fill_preserve(cr);
        ArtKit::Stroke(cr, dark, 1.0, alpha);
    }
}

void DrawDrop(cairo_t* cr, int cel, ArtKit& kit)
{
    Rgb water = kit.Colour("water");
    Rgb light = kit.Colour("water.light");
    if (cel == 0)
    {
        cairo_arc(cr, 8, 8, 4.5, 0, 2 * Pi);
        kit.FillInk(cr, water, 1.2);
        cairo_arc(cr, 6.5, 6.5, 1.4, 0, 2 * Pi);
        ArtKit::Fill(cr, {1, 1, 1}, 0.9);
        return;
    }
    // Breaking up and fading.
    double alpha = 1.0 - (cel - 1) * 0.28;
    double spread = 2.0 + cel * 1.6;
    for (int i = 0; i < 4; ++i)
    {
        double a = (45 + i * 90) * Deg;
        cairo_arc(cr, 8 + std::cos(a) * spread, 8 + std::sin(a) * spread, 2.6 - cel * 0.45, 0, 2 * Pi);
        ArtKit::SetColour(cr, light, alpha);
        cairo_fill_preserve(cr);
        ArtKit::Stroke(cr, water, 0.8, alpha);
    }
}

void DrawHoneyDrop(cairo_t* cr, int cel, ArtKit& kit)
{
    Rgb honey = kit.Colour("honey");
    double s = 1.0 - cel * 0.18;
    double alpha = cel == 0 ? 1.0 : 1.0 - (cel - 1) * 0.25;
    SavedState keep(cr);
    cairo_translate(cr, 8, 9);
    cairo_scale(cr, s, s);
    // A falling drop: round below, pointed above.
    cairo_move_to(cr, 0, -7);
    cairo_curve_to(cr, 2, -3, 5, -1, 5, 2);
    cairo_arc(cr, 0, 2, 5, 0, Pi);
    cairo_curve_to(cr, -5, -1, -2, -3, 0, -7);
    cairo_close_path(cr);
    ArtKit::SetColour(cr, honey, alpha);
    cairo_fill_preserve(cr);
    ArtKit::Stroke(cr, kit.Colour("ink"), 1.2 / s, alpha);
    cairo_arc(cr, -1.8, 1.0, 1.5, 0, 2 * Pi);
    ArtKit::Fill(cr, {1, 1, 1}, 0.8 * alpha);
}

void DrawSparkle(cairo_t* cr, int cel, ArtKit& kit)
{
    if (cel < 3)
    {
        static const double size[3] = {20, 23, 18};
        static const double turn[3] = {0, 6, -6};
        SavedState keep(cr);
        cairo_translate(cr, 12, 12);
        cairo_rotate(cr, turn[cel] * Deg);
        cairo_translate(cr, -size[cel] / 2, -size[cel] / 2);
        kit.DrawEmoji(cr, "2728", 0, 0, size[cel], false);
        return;
    }
    double fade = 1.0 - (cel - 3) * 0.3;
    double outer = 9 - (cel - 3) * 2.5;
    ArtKit::Star(cr, 12, 12, outer, outer * 0.3, 4, (cel - 3) * 0.3);
    ArtKit::Fill(cr, kit.Colour("honey.light"), fade);
    ArtKit::Star(cr, 12, 12, outer * 0.5, outer * 0.15, 4, (cel - 3) * 0.3);
    ArtKit::Fill(cr, kit.Colour("white"), fade);
}

} // namespace

void AddGardenSheets(std::vector<SheetSpec>& sheets)
{
    sheets.push_back({"BGBLOCKS", "bgblocks.png", 64, 64, 5, 5, 25,
                      [](cairo_t* cr, int cel, ArtKit& kit)
                      {
                          if (cel < 8)
                          {
                              DrawOpenTile(cr, cel, kit);
                          }
                          else
                          {
                              DrawSolidTile(cr, cel, kit);
                          }
                      }});
    sheets.push_back(
        {"HOSE", "hose.png", 36, 60, 3, 1, 3, [](cairo_t* cr, int cel, ArtKit& kit) { DrawHose(cr, cel, kit); }});
    sheets.push_back(
        {"SPRAY", "spray.png", 96, 128, 8, 1, 8, [](cairo_t* cr, int cel, ArtKit& kit) { DrawSpray(cr, cel, kit); }});
    sheets.push_back(
        {"DROPS", "drops.png", 16, 16, 4, 1, 4, [](cairo_t* cr, int cel, ArtKit& kit) { DrawDrop(cr, cel, kit); }});
    sheets.push_back({"HONEYDROP", "honeydrop.png", 16, 16, 4, 1, 4,
                      [](cairo_t* cr, int cel, ArtKit& kit) { DrawHoneyDrop(cr, cel, kit); }});
    sheets.push_back({"SPARKLE", "sparkle.png", 24, 24, 6, 1, 6,
                      [](cairo_t* cr, int cel, ArtKit& kit) { DrawSparkle(cr, cel, kit); }});
}

} // namespace artgen
