// IMAGE_TITLESCREEN: the 640 x 480 title picture, also the main menu's background. The menu buttons stand
// at x 46 and 500 from y 190 to 300, the loading bar at y 420 and the white "continue" link near the bottom,
// so those places are kept calm: sky and hill behind the buttons, dark hedge behind the bar and the link.

#include "Catalogue.h"

#include <cmath>
#include <string>

namespace artgen
{

void DrawBeePicture(cairo_t* cr, ArtKit& kit, double x, double y, double size, bool wings);

namespace
{

void Sky(cairo_t* cr, ArtKit& kit)
{
    cairo_pattern_t* sky = cairo_pattern_create_linear(0, 0, 0, 360);
    cairo_pattern_add_color_stop_rgb(sky, 0.0, 0.45, 0.78, 0.95);
    Rgb low = kit.Colour("sky");
    cairo_pattern_add_color_stop_rgb(sky, 1.0, low.r, low.g, low.b);
    cairo_set_source(cr, sky);
    cairo_paint(cr);
    cairo_pattern_destroy(sky);
    // Sun with soft rays in the top right.
    for (int i = 0; i < 12; ++i)
    {
        double a = i * Pi / 6 + 0.1;
        cairo_move_to(cr, 585, 52);
        cairo_line_to(cr, 585 + std::cos(a - 0.12) * 120, 52 + std::sin(a - 0.12) * 120);
        cairo_line_to(cr, 585 + std::cos(a + 0.12) * 120, 52 + std::sin(a + 0.12) * 120);
        cairo_close_path(cr);
        ArtKit::Fill(cr, {1, 1, 0.85}, 0.18);
    }
    cairo_arc(cr, 585, 52, 34, 0, 2 * Pi);
    kit.FillInk(cr, kit.Colour("honey.light"), 2.5);
    // Clouds.
    auto cloud = [&](double x, double y, double s)
    {
        const double puffs[5][3] = {{0, 0, 16}, {18, -8, 20}, {38, 0, 15}, {19, 6, 17}, {-14, 6, 10}};
        for (const auto& p : puffs)
        {
            cairo_new_sub_path(cr);
            cairo_arc(cr, x + p[0] * s, y + p[1] * s, p[2] * s, 0, 2 * Pi);
        }
        ArtKit::Fill(cr, kit.Colour("cloud"), 0.95);
    };
    cloud(70, 60, 1.0);
    cloud(440, 150, 0.7);
    cloud(170, 170, 0.55);
}

void Hills(cairo_t* cr, ArtKit& kit)
{
    double ink = 2.4;
    // Far hill.
    cairo_move_to(cr, -10, 330);
    cairo_curve_to(cr, 120, 260, 260, 300, 360, 315);
    cairo_curve_to(cr, 470, 330, 560, 270, 650, 300);
    cairo_line_to(cr, 650, 490);
    cairo_line_to(cr, -10, 490);
    cairo_close_path(cr);
    kit.FillInk(cr, kit.Colour("leaf.light"), ink);
    // Near hill.
    cairo_move_to(cr, -10, 372);
    cairo_curve_to(cr, 150, 340, 330, 390, 460, 362);
    cairo_curve_to(cr, 540, 346, 600, 352, 650, 360);
    cairo_line_to(cr, 650, 490);
    cairo_line_to(cr, -10, 490);
    cairo_close_path(cr);
    kit.FillInk(cr, kit.Colour("leaf"), ink);
    // Hedge along the bottom: scalloped top, dark enough for white text.
    cairo_move_to(cr, -10, 490);
    cairo_line_to(cr, -10, 408);
    for (int x = -10; x < 650; x += 40)
    {
        cairo_curve_to(cr, x + 8, 394, x + 32, 394, x + 40, 408);
    }
    cairo_line_to(cr, 650, 490);
    cairo_close_path(cr);
    kit.FillInk(cr, kit.Colour("hedge.dark"), ink);
    datagen::DataRandom random(99);
    for (int i = 0; i < 60; ++i)
    {
        double x = random.Range(0, 640);
        double y = random.Range(412, 478);
        ArtKit::Petal(cr, x, y, random.Range(0, 2 * Pi), 9, 6);
        ArtKit::Fill(cr, kit.Colour("hedge"), 0.8);
    }
}

void TitleText(cairo_t* cr, ArtKit& kit, const std::string& text, double size, double centreX, double baseline,
               double wave)
{
    // Letters set one by one so each can bob on a wave; a thick ink outline, honey fill, white gloss.
    double width = kit.TextWidth("sans-bold", size, text);
    double x = centreX - width / 2;
    for (size_t i = 0; i < text.size(); ++i)
    {
        std::string letter(1, text[i]);
        double advance = kit.TextWidth("sans-bold", size, letter);
        double lift = std::sin(i * 0.9) * wave;
        double turn = std::cos(i * 0.9) * 0.06 * (wave > 0 ? 1 : 0);
        SavedState keep(cr);
        cairo_translate(cr, x + advance / 2, baseline - lift);
        cairo_rotate(cr, turn);
        kit.TextPath(cr, "sans-bold", size, -advance / 2, 0, letter);
        ArtKit::Stroke(cr, kit.Colour("ink"), size * 0.16);
        kit.TextPath(cr, "sans-bold", size, -advance / 2, 0, letter);
        cairo_pattern_t* honey = cairo_pattern_create_linear(0, -size * 0.75, 0, 0);
        Rgb light = kit.Colour("honey.light");
        Rgb dark = kit.Colour("honey.dark");
        cairo_pattern_add_color_stop_rgb(honey, 0.0, light.r, light.g, light.b);
        cairo_pattern_add_color_stop_rgb(honey, 1.0, dark.r, dark.g, dark.b);
        cairo_set_source(cr, honey);
        cairo_fill(cr);
        cairo_pattern_destroy(honey);
        x += advance;
    }
}

void DrawTitleScreen(cairo_t* cr, ArtKit& kit)
{
    Sky(cr, kit);
    Hills(cr, kit);

    // Flowers on the hills, clear of the button columns (the small sunflower above QUIT, not touching it).
    struct Bloom
    {
        const char* code;
        double x, y, size;
    };
    const Bloom blooms[] = {{"1f33b", 170, 300, 62}, {"1f337", 228, 336, 44}, {"1f339", 398, 322, 46},
                            {"1f33a", 448, 340, 50}, {"1f33c", 14, 338, 44},  {"1f338", 590, 322, 42},
                            {"1f33b", 604, 226, 34}, {"1f337", 60, 318, 34},  {"1f339", 290, 352, 38},
                            {"1f338", 150, 360, 36}, {"1f33c", 520, 344, 40}};
    for (const Bloom& b : blooms)
    {
        kit.DrawEmoji(cr, b.code, b.x, b.y, b.size, true, 1.8);
    }
    kit.DrawEmoji(cr, "1f36f", 340, 350, 52, true, 1.8);

    // Tibble flying with a looping trail.
    const double dash[2] = {7.0, 7.0};
    cairo_set_dash(cr, dash, 2, 0);
    cairo_move_to(cr, 120, 240);
    cairo_curve_to(cr, 180, 140, 250, 300, 300, 250);
    cairo_curve_to(cr, 330, 220, 300, 190, 285, 215);
    cairo_curve_to(cr, 270, 240, 320, 270, 360, 250);
    ArtKit::Stroke(cr, {1, 1, 1}, 3.0, 0.8);
    cairo_set_dash(cr, nullptr, 0, 0);
    {
        // Facing right, along its trail.
        SavedState keep(cr);
        cairo_translate(cr, 460, 0);
        cairo_scale(cr, -1, 1);
        DrawBeePicture(cr, kit, 0, 178, 130, true);
    }

    // The logo's top stays below y 40, where the menu's large dialogs (options, help, credits) begin: a logo
    // reaching above them would show only the tips of its letters, dark outline blobs along the dialog's edge.
    TitleText(cr, kit, "Tibble", 92, 320, 125, 6);
    TitleText(cr, kit, "the Bee", 46, 320, 175, 3);
}

} // namespace

void AddTitleSheets(std::vector<SheetSpec>& sheets)
{
    sheets.push_back({"TITLESCREEN", "titlescreen.png", 640, 480, 1, 1, 1,
                      [](cairo_t* cr, int, ArtKit& kit) { DrawTitleScreen(cr, kit); }});
}

} // namespace artgen
