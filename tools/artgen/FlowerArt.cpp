// Flowers and hazards: IMAGE_FLOWER (the sunflower, one 64 x 64 picture: the game always shows its first
// cel and the help page draws the whole image), IMAGE_MINIFLOWER, IMAGE_PANSY, IMAGE_PANSY2 (6 cels of
// 48 x 48), IMAGE_ROSE and IMAGE_TRUMPET (6 cels of 64 x 64, drawn pale: the game tints them), with the
// shared cel meaning 0 closed, 1 .. 3 opening, 4 open, 5 wilted (drained: a mini flower or pansy closes up
// again, a dimmer bud in its own colours; a rose, tinted by the game, droops); IMAGE_FLYTRAP (5 cels: 0, 1 idle, 2 jaws
// open, 3, 4 chewing), IMAGE_TOMATO (8 cels: 0 .. 2 wobble, 3 ripe, 4 .. 7 bursting) and IMAGE_HIVE (one
// 48 x 48 golden hive, always its first cel). Every bloom is centred on its cel: the bee lands on the centre.

#include "Catalogue.h"

#include <cmath>
#include <functional>

namespace artgen
{

namespace
{

constexpr double Deg = Pi / 180.0;

// Openness of each cel of a flower strip; cel 5 is the wilted one.
double OpennessOf(int cel)
{
    static const double t[6] = {0.0, 0.3, 0.55, 0.8, 1.0, 1.0};
    return t[cel];
}

struct PetalSpec
{
    double angle;  // degrees when open (0 right, 90 down)
    double length; // when open
    double width;
    Rgb colour;
};

struct BloomStyle
{
    double size = 48;        // cel size
    double cx = 24, cy = 22; // bloom centre when open
    std::vector<PetalSpec> petals;
    double petalStart = 0; // petals start this far from the centre
    double centreRadius = 5;
    Rgb centre;
    Rgb bud;                                                   // colour peeking out of the bud
    std::function<void(cairo_t*, const ArtKit&, double)> face; // drawn over the petals, scaled by openness
    bool pale = false;                                         // drawn for tinting: greens become greys
};

Rgb Wilted(const ArtKit& kit, const Rgb& c)
{
    return c.Grey().Mix(kit.Colour("wilt"), 0.55).Darker(0.08);
}

// A drained flower's colours: its own hue, duller and darker, so it reads as closed and spent, not dead, and
// still apart from the bright bud of a flower that has nectar to give.
Rgb Spent(const ArtKit& kit, const Rgb& c)
{
    return c.Mix(kit.Colour("wilt"), 0.1).Darker(0.2);
}

// The closed bud about the origin: petal colour peeking out of a two-sided calyx.
void DrawBud(cairo_t* cr, const ArtKit& kit, const BloomStyle& s, const Rgb& bud, const Rgb& calyx, double ink)
{
    double h = s.size * 0.3;
    double w = s.size * 0.16;
    cairo_move_to(cr, 0, h * 0.55);
    cairo_curve_to(cr, w * 1.3, h * 0.3, w * 0.8, -h * 0.5, 0, -h * 0.8);
    cairo_curve_to(cr, -w * 0.8, -h * 0.5, -w * 1.3, h * 0.3, 0, h * 0.55);
    kit.FillInk(cr, bud, ink);
    for (int side = -1; side <= 1; side += 2)
    {
        cairo_move_to(cr, 0, h * 0.6);
        cairo_curve_to(cr, side * w * 1.4, h * 0.4, side * w * 1.1, -h * 0.1, side * w * 0.2, -h * 0.35);
        cairo_curve_to(cr, side * w * 0.6, 0, side * w * 0.5, h * 0.3, 0, h * 0.6);
        kit.FillInk(cr, calyx, ink * 0.9);
    }
}

void DrawStem(cairo_t* cr, const ArtKit& kit, const BloomStyle& s, double headX, double headY, bool wilted,
              bool spent, double scale)
{
    Rgb stem = s.pale ? kit.Colour("pale.deep") : kit.Colour("stem");
    Rgb leaf = s.pale ? kit.Colour("pale.deep").Lighter(0.2) : kit.Colour("leaf");
    if (wilted)
    {
        stem = Wilted(kit, stem);
        leaf = Wilted(kit, leaf);
    }
    else if (spent)
    {
        stem = Spent(kit, stem);
        leaf = Spent(kit, leaf);
    }
    double ink = ArtKit::InkWidth(scale);
    double baseX = s.cx;
    double baseY = s.size + 2;
    // Outline first, then the green over it, so the stem reads as one outlined shape.
    for (int pass = 0; pass < 2; ++pass)
    {
        cairo_move_to(cr, baseX, baseY);
        cairo_curve_to(cr, baseX, baseY - (baseY - headY) * 0.4, headX + (baseX - headX) * 0.2,
                       headY + (baseY - headY) * 0.4, headX, headY);
        if (pass == 0)
        {
            ArtKit::Stroke(cr, kit.Colour("ink"), 3.2 * scale + 2 * ink);
        }
        else
        {
            ArtKit::Stroke(cr, stem, 3.2 * scale);
        }
    }
    // One leaf on each side of the stem near the ground.
    double ly = baseY - s.size * 0.22;
    ArtKit::Petal(cr, baseX + 1, ly, (wilted ? 40 : -25) * Deg, s.size * 0.26, s.size * 0.14);
    kit.FillInk(cr, leaf, ink);
    ArtKit::Petal(cr, baseX - 1, ly + s.size * 0.06, (wilted ? 140 : 205) * Deg, s.size * 0.22, s.size * 0.12);
    kit.FillInk(cr, leaf, ink);
}

void DrawBloom(cairo_t* cr, const ArtKit& kit, const BloomStyle& s, int cel)
{
    double scale = s.size / 48.0;
    double ink = ArtKit::InkWidth(scale);
    double t = OpennessOf(cel);
    // Drained: a flower drawn in its own colours closes up again, its head bowed a little; a pale one (tinted
    // by the game, which keeps its colour) droops with its petals hanging.
    bool spent = cel == 5 && !s.pale;
    bool wilted = cel == 5 && s.pale;
    if (spent)
    {
        t = 0;
    }

    // The head droops when wilted: pivot about the top of the stem.
    double headX = s.cx;
    double headY = s.cy;
    double droop = 0;
    if (wilted)
    {
        headX = s.cx - s.size * 0.12;
        headY = s.cy + s.size * 0.16;
        droop = -55;
    }
    else if (spent)
    {
        headX = s.cx - s.size * 0.04;
        headY = s.cy + s.size * 0.04;
        droop = -18;
    }
    DrawStem(cr, kit, s, headX, headY + (t < 0.2 ? s.size * 0.05 : 0), wilted, spent, scale);

    SavedState keep(cr);
    cairo_translate(cr, headX, headY);
    cairo_rotate(cr, droop * Deg);
    if (wilted)
    {
        cairo_scale(cr, 0.85, 0.75);
    }

    if (t < 0.2)
    {
        // Closed bud: petal colour in a green (or grey) calyx.
        Rgb calyx = s.pale ? kit.Colour("pale.deep").Lighter(0.15) : kit.Colour("leaf");
        if (spent)
        {
            DrawBud(cr, kit, s, Spent(kit, s.bud), Spent(kit, calyx), ink);
        }
        else
        {
            DrawBud(cr, kit, s, s.bud, calyx, ink);
        }
        return;
    }

    double grow = 0.5 + 0.5 * t;
    if (t < 0.7 && !wilted)
    {
        // The calyx still cups the opening petals from below.
        Rgb calyx = s.pale ? kit.Colour("pale.deep").Lighter(0.15) : kit.Colour("leaf");
        for (int side = -1; side <= 1; side += 2)
        {
            ArtKit::Petal(cr, 0, s.size * 0.08, (90 + side * 55) * Deg, s.size * 0.16, s.size * 0.12);
            kit.FillInk(cr, calyx, ink * 0.9);
        }
    }
    for (const PetalSpec& p : s.petals)
    {
        // Opening: the petals fan out from upright, a cup that widens into the open flower.
        double offset = std::remainder(p.angle + 90.0, 360.0);
        double angle = -90.0 + offset * (0.3 + 0.7 * t);
        if (wilted)
        {
            angle = p.angle + (90.0 - p.angle) * 0.25;
        }
        Rgb colour = wilted ? Wilted(kit, p.colour) : p.colour;
        ArtKit::Petal(cr, 0, 0, angle * Deg, p.length * grow * scale, p.width * (0.5 + 0.5 * t) * scale,
                      s.petalStart * scale);
        kit.FillInk(cr, colour, ink);
    }
    if (s.face && t > 0.5)
    {
        s.face(cr, kit, t);
    }
    double r = s.centreRadius * (0.5 + 0.5 * t) * scale;
    if (r > 0)
    {
        cairo_arc(cr, 0, 0, r, 0, 2 * Pi);
        kit.FillInk(cr, wilted ? Wilted(kit, s.centre) : s.centre, ink);
        cairo_arc(cr, -r * 0.3, -r * 0.35, r * 0.35, 0, 2 * Pi);
        ArtKit::Fill(cr, {1, 1, 1}, 0.45);
    }
}

std::vector<PetalSpec> Ring(int count, double first, double length, double width, const Rgb& a, const Rgb& b)
{
    std::vector<PetalSpec> petals;
    for (int i = 0; i < count; ++i)
    {
        petals.push_back({first + 360.0 * i / count, length, width, (i % 2 == 0) ? a : b});
    }
    return petals;
}

BloomStyle MiniFlowerStyle(const ArtKit& kit)
{
    BloomStyle s;
    Rgb pink = kit.Colour("mini.petal");
    s.petals = Ring(5, -90, 15, 13, pink, pink.Lighter(0.15));
    s.centre = kit.Colour("mini.centre");
    s.centreRadius = 5;
    s.bud = pink;
    return s;
}

BloomStyle PansyStyle(const ArtKit& kit, const Rgb& petal, const Rgb& face)
{
    BloomStyle s;
    s.cy = 21;
    Rgb upper = petal.Darker(0.25);
    s.petals = {{-125, 15, 15, upper},
                {-55, 15, 15, upper},
                {175, 14, 14, petal},
                {5, 14, 14, petal},
                {90, 15, 17, petal.Lighter(0.1)}};
    s.centre = kit.Colour("honey");
    s.centreRadius = 2.6;
    s.bud = petal;
    Rgb faceColour = face;
    s.face = [faceColour](cairo_t* cr, const ArtKit& kit, double t)
    {
        // The pansy's face: a pale blotch with dark whiskers on the lower petals.
        ArtKit::Ellipse(cr, 0, 2.5 * t, 7.5 * t, 6.5 * t);
        ArtKit::Fill(cr, faceColour);
        for (double a : {40.0, 90.0, 140.0, 10.0, 170.0})
        {
            double rad = a * Pi / 180.0;
            cairo_move_to(cr, std::cos(rad) * 2.5, std::sin(rad) * 2.5);
            cairo_line_to(cr, std::cos(rad) * 8.5 * t, std::sin(rad) * 8.5 * t);
            ArtKit::Stroke(cr, kit.Colour("ink"), 1.1, 0.8);
        }
    };
    return s;
}

BloomStyle RoseStyle(const ArtKit& kit)
{
    BloomStyle s;
    s.size = 64;
    s.cx = 32;
    s.cy = 29;
    s.pale = true;
    Rgb pale = kit.Colour("pale");
    Rgb shade = kit.Colour("pale.shade");
    s.petals = Ring(6, -90, 15, 16, shade, pale);
    s.petalStart = 3;
    s.centreRadius = 0;
    s.bud = pale;
    s.face = [pale, shade](cairo_t* cr, const ArtKit& kit, double t)
    {
        // The rose's heart: overlapping cupped petals and a swirl.
        double ink = ArtKit::InkWidth(64.0 / 48.0);
        for (int i = 0; i < 5; ++i)
        {
            double a = (-90 + i * 72) * Pi / 180.0;
            ArtKit::Ellipse(cr, std::cos(a) * 5.5 * t, std::sin(a) * 5.5 * t, 8.5 * t, 7.5 * t);
            kit.FillInk(cr, (i % 2) ? pale : shade.Lighter(0.3), ink * 0.8);
        }
        cairo_arc(cr, 0, 0, 7.5 * t, 0, 2 * Pi);
        kit.FillInk(cr, pale, ink * 0.8);
        cairo_new_sub_path(cr);
        cairo_arc(cr, 0.5, 0.5, 4.5 * t, -0.5, 3.9);
        ArtKit::Stroke(cr, kit.Colour("pale.deep"), 1.3);
        cairo_new_sub_path(cr);
        cairo_arc(cr, -0.5, 0, 2.0 * t, 2.5, 6.9);
        ArtKit::Stroke(cr, kit.Colour("pale.deep"), 1.2);
    };
    return s;
}

BloomStyle TrumpetStyle(const ArtKit& kit)
{
    BloomStyle s;
    s.size = 64;
    s.cx = 34;
    s.cy = 31;
    s.pale = true;
    Rgb pale = kit.Colour("pale");
    Rgb shade = kit.Colour("pale.shade");
    s.petals = Ring(5, -90, 22, 27, pale, pale.Mix(shade, 0.4));
    s.centreRadius = 0;
    s.bud = pale;
    s.face = [shade](cairo_t* cr, const ArtKit& kit, double t)
    {
        // The throat the bee shrinks into: a deep funnel slightly right of and below the centre.
        double ink = ArtKit::InkWidth(64.0 / 48.0);
        cairo_arc(cr, 1.5, 0.5, 11.0 * t, 0, 2 * Pi);
        kit.FillInk(cr, shade, ink * 0.8);
        cairo_arc(cr, 3.0, 1.0, 6.5 * t, 0, 2 * Pi);
        ArtKit::Fill(cr, kit.Colour("pale.deep"));
        cairo_arc(cr, 4.0, 1.0, 3.5 * t, 0, 2 * Pi);
        ArtKit::Fill(cr, kit.Colour("ink"), 0.75);
        // Stamens peeking out.
        for (int i = 0; i < 3; ++i)
        {
            double a = (-130 + i * 40) * Pi / 180.0;
            cairo_move_to(cr, 3, 1);
            cairo_line_to(cr, 3 + std::cos(a) * 9 * t, 1 + std::sin(a) * 9 * t);
            ArtKit::Stroke(cr, kit.Colour("pale.deep"), 1.2);
            cairo_arc(cr, 3 + std::cos(a) * 9 * t, 1 + std::sin(a) * 9 * t, 1.6, 0, 2 * Pi);
            ArtKit::Fill(cr, kit.Colour("white"));
        }
    };
    return s;
}

// The trumpet flower seen from the front: one flared bell with a scalloped rim, pleats running into a
// deep throat (where the bee disappears), opening from a furled bud. Pale, for the game's tints.
void DrawTrumpet(cairo_t* cr, ArtKit& kit, int cel)
{
    BloomStyle s = TrumpetStyle(kit);
    if (cel == 0)
    {
        DrawBloom(cr, kit, s, 0);
        return;
    }
    double scale = 64.0 / 48.0;
    double ink = ArtKit::InkWidth(scale);
    bool wilted = cel == 5;
    double t = OpennessOf(cel);
    double headX = wilted ? s.cx - 6 : s.cx;
    double headY = wilted ? s.cy + 8 : s.cy;
    DrawStem(cr, kit, s, headX, headY + 10, wilted, false, scale);

    Rgb pale = wilted ? Wilted(kit, kit.Colour("pale")) : kit.Colour("pale");
    Rgb shade = wilted ? Wilted(kit, kit.Colour("pale.shade")) : kit.Colour("pale.shade");
    Rgb deep = kit.Colour("pale.deep");
    SavedState keep(cr);
    cairo_translate(cr, headX, headY);
    if (wilted)
    {
        cairo_rotate(cr, -40 * Deg);
        cairo_scale(cr, 0.8, 0.6);
    }
    // Seen more from the side while it opens: squashed vertically.
    double r = 11 + 13 * t;
    cairo_scale(cr, 1.0, 0.55 + 0.45 * t);
    // Scalloped rim: five lobes.
    cairo_new_path(cr);
    const int lobes = 5;
    for (int i = 0; i <= lobes; ++i)
    {
        double a = -90 * Deg + i * 2 * Pi / lobes;
        double x = std::cos(a) * r;
        double y = std::sin(a) * r;
        if (i == 0)
        {
            cairo_move_to(cr, x, y);
        }
        else
        {
            double mid = a - Pi / lobes;
            double bulge = r * 1.22;
            cairo_curve_to(cr, std::cos(mid - 0.25) * bulge, std::sin(mid - 0.25) * bulge, std::cos(mid + 0.25) * bulge,
                           std::sin(mid + 0.25) * bulge, x, y);
        }
    }
    cairo_close_path(cr);
    kit.FillInk(cr, pale, ink);
    // Pleats from the throat to the notches between the lobes.
    for (int i = 0; i < lobes; ++i)
    {
        double a = -90 * Deg + i * 2 * Pi / lobes;
        cairo_move_to(cr, 3 + std::cos(a) * r * 0.3, 1 + std::sin(a) * r * 0.3);
        cairo_line_to(cr, std::cos(a) * r * 0.98, std::sin(a) * r * 0.98);
    }
    ArtKit::Stroke(cr, shade, 1.6);
    // The throat, slightly right of and below the centre.
    cairo_arc(cr, 2.0, 0.5, r * 0.45, 0, 2 * Pi);
    ArtKit::Fill(cr, shade);
    cairo_arc(cr, 3.0, 1.0, r * 0.3, 0, 2 * Pi);
    ArtKit::Fill(cr, deep);
    cairo_arc(cr, 4.0, 1.0, r * 0.16, 0, 2 * Pi);
    ArtKit::Fill(cr, kit.Colour("ink"), 0.8);
    if (!wilted && t > 0.5)
    {
        for (int i = 0; i < 3; ++i)
        {
            double a = (-130 + i * 40) * Deg;
            double x = 3 + std::cos(a) * r * 0.38;
            double y = 1 + std::sin(a) * r * 0.38;
            cairo_move_to(cr, 3, 1);
            cairo_line_to(cr, x, y);
            ArtKit::Stroke(cr, deep, 1.2);
            cairo_arc(cr, x, y, 1.6, 0, 2 * Pi);
            kit.FillInk(cr, kit.Colour("white"), 0.6);
        }
    }
}

void DrawSunflower(cairo_t* cr, ArtKit& kit)
{
    BloomStyle s;
    s.size = 64;
    s.cx = 32;
    s.cy = 29;
    auto outer = Ring(14, -90, 17, 9, kit.Colour("sunpetal"), kit.Colour("sunpetal"));
    auto inner = Ring(14, -90 + 360.0 / 28, 14, 9, kit.Colour("sunpetal.lt"), kit.Colour("sunpetal.lt"));
    s.petals = outer;
    s.petals.insert(s.petals.end(), inner.begin(), inner.end());
    s.petalStart = 7;
    s.centreRadius = 9;
    s.centre = kit.Colour("suncentre");
    s.bud = kit.Colour("sunpetal");
    DrawBloom(cr, kit, s, 4);
    // Seeds.
    for (int i = 0; i < 12; ++i)
    {
        double a = i * 137.5 * Deg;
        double r = 2.3 * std::sqrt(i + 0.5) * 64.0 / 48.0;
        cairo_arc(cr, 32 + std::cos(a) * r, 29 + std::sin(a) * r, 1.0, 0, 2 * Pi);
        ArtKit::Fill(cr, kit.Colour("suncentre").Lighter(0.3));
    }
}

void DrawHive(cairo_t* cr, ArtKit& kit)
{
    // A golden skep: stacked rounded bands with a dark door, on a little tuft of grass.
    double ink = ArtKit::InkWidth();
    Rgb gold = kit.Colour("honey");
    Rgb light = kit.Colour("honey.light");
    Rgb dark = kit.Colour("honey.dark");
    cairo_move_to(cr, 6, 42);
    cairo_curve_to(cr, 4, 18, 14, 5, 24, 5);
    cairo_curve_to(cr, 34, 5, 44, 18, 42, 42);
    cairo_close_path(cr);
    kit.FillInk(cr, gold, ink);
    {
        SavedState clip(cr);
        cairo_move_to(cr, 6, 42);
        cairo_curve_to(cr, 4, 18, 14, 5, 24, 5);
        cairo_curve_to(cr, 34, 5, 44, 18, 42, 42);
        cairo_close_path(cr);
        cairo_clip(cr);
        for (double y : {13.0, 21.0, 29.0, 37.0})
        {
            cairo_move_to(cr, 0, y);
            cairo_curve_to(cr, 14, y + 4, 34, y + 4, 48, y);
            ArtKit::Stroke(cr, dark, 1.6);
        }
        ArtKit::Ellipse(cr, 17, 15, 4, 7);
        ArtKit::Fill(cr, light, 0.8);
    }
    // Door.
    cairo_move_to(cr, 19, 42);
    cairo_curve_to(cr, 19, 33, 29, 33, 29, 42);
    cairo_close_path(cr);
    kit.FillInk(cr, kit.Colour("bee.dark"), ink);
    // Base.
    ArtKit::RoundRect(cr, 3, 41, 42, 5, 2.5);
    kit.FillInk(cr, dark, ink);
    // Sparkle.
    ArtKit::Star(cr, 36, 12, 4.5, 1.5, 4, 0);
    ArtKit::Fill(cr, kit.Colour("white"));
}

void DrawFlyTrap(cairo_t* cr, int cel, ArtKit& kit)
{
    double scale = 64.0 / 48.0;
    double ink = ArtKit::InkWidth(scale);
    Rgb green = kit.Colour("trap.green");
    Rgb red = kit.Colour("trap.red");
    Rgb leaf = kit.Colour("leaf");
    // Opening of the jaws in degrees and a sway.
    double open = 0;
    double sway = 0;
    double squash = 1.0;
    switch (cel)
    {
    case 0:
        open = 24;
        sway = -3;
        break;
    case 1:
        open = 16;
        sway = 3;
        break;
    case 2:
        open = 58;
        break;
    case 3:
        open = 2;
        squash = 1.08;
        sway = -2;
        break;
    default:
        open = 6;
        squash = 0.94;
        sway = 2;
        break;
    }
    // Stem and leaves.
    cairo_move_to(cr, 32, 66);
    cairo_curve_to(cr, 32, 52, 32 + sway, 46, 32 + sway, 36);
    ArtKit::Stroke(cr, kit.Colour("ink"), 4 + 2 * ink);
    cairo_move_to(cr, 32, 66);
    cairo_curve_to(cr, 32, 52, 32 + sway, 46, 32 + sway, 36);
    ArtKit::Stroke(cr, kit.Colour("stem"), 4);
    ArtKit::Petal(cr, 31, 58, 200 * Deg, 17, 8);
    kit.FillInk(cr, leaf, ink);
    ArtKit::Petal(cr, 33, 56, -20 * Deg, 18, 8);
    kit.FillInk(cr, leaf, ink);

    SavedState keep(cr);
    cairo_translate(cr, 32 + sway, 34);
    cairo_scale(cr, squash, 1.0 / squash);
    // Two lobes hinged at the right, opening to the left like a mouth; upper lobe turns up by open/2.
    for (int lobe = 0; lobe < 2; ++lobe)
    {
        double dir = lobe == 0 ? -1.0 : 1.0;
        SavedState l(cr);
        cairo_translate(cr, 12, 0);
        cairo_rotate(cr, dir * open / 2 * Deg);
        cairo_translate(cr, -12, 0);
        // Outer skin then red inside rim.
        cairo_move_to(cr, 13, 0);
        cairo_curve_to(cr, 10, dir * 16, -14, dir * 17, -18, 0);
        cairo_close_path(cr);
        kit.FillInk(cr, green, ink);
        cairo_move_to(cr, 11, dir * 0.5);
        cairo_curve_to(cr, 7, dir * 9, -10, dir * 9.5, -15, dir * 0.5);
        cairo_close_path(cr);
        ArtKit::Fill(cr, red);
        // Teeth along the rim.
        for (int i = 0; i < 6; ++i)
        {
            double x = -15 + i * 5.0;
            cairo_move_to(cr, x - 1.4, 0);
            cairo_line_to(cr, x, -dir * 4.5);
            cairo_line_to(cr, x + 1.4, 0);
            cairo_close_path(cr);
            kit.FillInk(cr, kit.Colour("tooth"), ink * 0.5);
        }
        // Spots.
        cairo_arc(cr, -4, dir * 10, 1.6, 0, 2 * Pi);
        ArtKit::Fill(cr, kit.Colour("trap.dark"), 0.6);
        cairo_arc(cr, 3, dir * 11, 1.3, 0, 2 * Pi);
        ArtKit::Fill(cr, kit.Colour("trap.dark"), 0.6);
    }
    if (cel == 3 || cel == 4)
    {
        // Chewing: motion puffs at the lips.
        for (int i = 0; i < 3; ++i)
        {
            double y = -6 + i * 6;
            cairo_move_to(cr, -21 - (cel == 3 ? 0 : 2), y);
            cairo_line_to(cr, -26 - (cel == 3 ? 0 : 2), y + (i - 1) * 2);
            ArtKit::Stroke(cr, kit.Colour("ink"), 1.4, 0.7);
        }
    }
}

void DrawTomato(cairo_t* cr, int cel, ArtKit& kit)
{
    if (cel <= 3)
    {
        // Wobble: lean and squash about the bottom; 3 is the ripe tomato at rest (help picture).
        static const double lean[4] = {0, -7, 7, 0};
        static const double sx[4] = {1.0, 1.05, 0.96, 1.02};
        SavedState keep(cr);
        cairo_translate(cr, 32, 58);
        cairo_rotate(cr, lean[cel] * Deg);
        cairo_scale(cr, sx[cel], 1.0 / sx[cel]);
        cairo_translate(cr, -32, -58);
        kit.DrawEmoji(cr, "1f345", 7, 8, 50, true, 1.6);
        if (cel == 3)
        {
            ArtKit::Star(cr, 20, 26, 4.5, 1.4, 4, 0);
            ArtKit::Fill(cr, kit.Colour("white"), 0.9);
        }
        return;
    }
    // Bursting: a splash of juice and seeds growing outwards, cycling.
    double phase = (cel - 4) / 4.0;
    Rgb red = kit.Colour("tomato");
    double ink = ArtKit::InkWidth(64.0 / 48.0);
    datagen::DataRandom random(7000 + cel);
    double r = 12 + phase * 10;
    cairo_new_path(cr);
    int blobs = 11;
    for (int i = 0; i <= blobs; ++i)
    {
        double a = 2 * Pi * i / blobs + phase;
        double rr = r * (0.75 + 0.5 * ((i * 7 + cel) % 3) / 2.0);
        double x = 32 + std::cos(a) * rr;
        double y = 32 + std::sin(a) * rr;
        if (i == 0)
        {
            cairo_move_to(cr, x, y);
        }
        else
        {
            double pa = 2 * Pi * (i - 0.5) / blobs + phase;
            cairo_curve_to(cr, 32 + std::cos(pa) * rr * 1.35, 32 + std::sin(pa) * rr * 1.35,
                           32 + std::cos(pa) * rr * 1.35, 32 + std::sin(pa) * rr * 1.35, x, y);
        }
    }
    cairo_close_path(cr);
    kit.FillInk(cr, red, ink);
    cairo_arc(cr, 32, 32, r * 0.45, 0, 2 * Pi);
    ArtKit::Fill(cr, red.Lighter(0.35));
    // Flying droplets and seeds.
    for (int i = 0; i < 9; ++i)
    {
        double a = random.Unit() * 2 * Pi;
        double d = r + 6 + random.Unit() * 10;
        double s = 2.0 + random.Unit() * 2.5 * (1 - phase * 0.5);
        cairo_arc(cr, 32 + std::cos(a) * d, 32 + std::sin(a) * d, s, 0, 2 * Pi);
        kit.FillInk(cr, i % 3 == 0 ? kit.Colour("honey.light") : red, ink * 0.6);
    }
    // Bits of the green top spinning away.
    ArtKit::Star(cr, 32 + phase * 14, 14 - phase * 8, 6, 2.2, 5, phase * 3);
    kit.FillInk(cr, kit.Colour("leaf"), ink * 0.7);
}

} // namespace

void AddFlowerSheets(std::vector<SheetSpec>& sheets)
{
    sheets.push_back(
        {"FLOWER", "flower.png", 64, 64, 1, 1, 1, [](cairo_t* cr, int, ArtKit& kit) { DrawSunflower(cr, kit); }});
    sheets.push_back({"MINIFLOWER", "miniflower.png", 48, 48, 6, 1, 6,
                      [](cairo_t* cr, int cel, ArtKit& kit) { DrawBloom(cr, kit, MiniFlowerStyle(kit), cel); }});
    sheets.push_back({"PANSY", "pansy.png", 48, 48, 6, 1, 6, [](cairo_t* cr, int cel, ArtKit& kit) {
                          DrawBloom(cr, kit, PansyStyle(kit, kit.Colour("pansy.petal"), kit.Colour("pansy.face")), cel);
                      }});
    sheets.push_back({"PANSY2", "pansy2.png", 48, 48, 6, 1, 6, [](cairo_t* cr, int cel, ArtKit& kit) {
                          DrawBloom(cr, kit, PansyStyle(kit, kit.Colour("pansy2.petal"), kit.Colour("pansy2.face")),
                                    cel);
                      }});
    sheets.push_back({"ROSE", "rose.png", 64, 64, 6, 1, 6,
                      [](cairo_t* cr, int cel, ArtKit& kit) { DrawBloom(cr, kit, RoseStyle(kit), cel); }});
    sheets.push_back({"TRUMPET", "trumpet.png", 64, 64, 6, 1, 6,
                      [](cairo_t* cr, int cel, ArtKit& kit) { DrawTrumpet(cr, kit, cel); }});
    sheets.push_back({"FLYTRAP", "flytrap.png", 64, 64, 5, 1, 5,
                      [](cairo_t* cr, int cel, ArtKit& kit) { DrawFlyTrap(cr, cel, kit); }});
    sheets.push_back(
        {"TOMATO", "tomato.png", 64, 64, 8, 1, 8, [](cairo_t* cr, int cel, ArtKit& kit) { DrawTomato(cr, cel, kit); }});
    sheets.push_back({"HIVE", "hive.png", 48, 48, 1, 1, 1, [](cairo_t* cr, int, ArtKit& kit) { DrawHive(cr, kit); }});
}

} // namespace artgen
