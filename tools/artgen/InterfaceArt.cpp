// Interface pictures: the HUD (lives and hive counters, the nectar bar, its full part and the threshold
// marker), menu and dialog buttons, the dialog frame, slider, check box, loading bar, the prize picture and
// the four cursor pictures.

#include "Catalogue.h"

#include <cmath>

namespace artgen
{

void DrawBeePicture(cairo_t* cr, ArtKit& kit, double x, double y, double size, bool wings);

namespace
{

constexpr double Deg = Pi / 180.0;

void DrawHiveIcon(cairo_t* cr, ArtKit& kit, double x, double y, double size)
{
    SavedState keep(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, size / 48.0, size / 48.0);
    double ink = ArtKit::InkWidth(1.3);
    Rgb gold = kit.Colour("honey");
    cairo_move_to(cr, 6, 44);
    cairo_curve_to(cr, 3, 18, 14, 3, 24, 3);
    cairo_curve_to(cr, 34, 3, 45, 18, 42, 44);
    cairo_close_path(cr);
    kit.FillInk(cr, gold, ink);
    for (double yy : {13.0, 22.0, 31.0})
    {
        cairo_move_to(cr, 7, yy);
        cairo_curve_to(cr, 16, yy + 4, 32, yy + 4, 41, yy);
        ArtKit::Stroke(cr, kit.Colour("honey.dark"), 2.2);
    }
    cairo_move_to(cr, 18, 44);
    cairo_curve_to(cr, 18, 34, 30, 34, 30, 44);
    cairo_close_path(cr);
    kit.FillInk(cr, kit.Colour("bee.dark"), ink);
    ArtKit::Ellipse(cr, 16, 14, 3.5, 6);
    ArtKit::Fill(cr, kit.Colour("honey.light"), 0.8);
}

// The glass tube of the nectar bar: rounded ends outside the 11 .. 281 run the game fills.
void BarTube(cairo_t* cr)
{
    ArtKit::RoundRect(cr, 1.0, 1.0, 290.0, 15.0, 7.5);
}

void DrawHoneyBar(cairo_t* cr, ArtKit& kit, bool full)
{
    Rgb ink = kit.Colour("ink");
    BarTube(cr);
    ArtKit::SetColour(cr, ink);
    cairo_fill(cr);
    ArtKit::RoundRect(cr, 2.5, 2.5, 287.0, 12.0, 6.0);
    if (!full)
    {
        ArtKit::Fill(cr, kit.Colour("cream").Darker(0.08), 0.95);
        cairo_move_to(cr, 9, 5);
        cairo_line_to(cr, 283, 5);
        ArtKit::Stroke(cr, {1, 1, 1}, 2.0, 0.8);
        return;
    }
    cairo_pattern_t* honey = cairo_pattern_create_linear(0, 2.5, 0, 14.5);
    Rgb light = kit.Colour("honey.light");
    Rgb mid = kit.Colour("honey");
    Rgb dark = kit.Colour("honey.dark");
    cairo_pattern_add_color_stop_rgb(honey, 0.0, light.r, light.g, light.b);
    cairo_pattern_add_color_stop_rgb(honey, 0.45, mid.r, mid.g, mid.b);
    cairo_pattern_add_color_stop_rgb(honey, 1.0, dark.r, dark.g, dark.b);
    cairo_set_source(cr, honey);
    cairo_fill(cr);
    cairo_pattern_destroy(honey);
    cairo_move_to(cr, 9, 5);
    cairo_line_to(cr, 283, 5);
    ArtKit::Stroke(cr, {1, 1, 1}, 2.0, 0.6);
    // Bubbles in the honey.
    for (int x = 24; x < 280; x += 37)
    {
        cairo_arc(cr, x, 10 + (x % 3), 1.4, 0, 2 * Pi);
        ArtKit::Fill(cr, light, 0.9);
    }
}

void DrawHoneySlider(cairo_t* cr, int cel, ArtKit& kit)
{
    // Cel 0: the threshold not reached yet; cel 1: reached (the exit is open). The marker's line is
    // pixel column 5, where the bar's fill ends at the threshold.
    Rgb colour = cel == 0 ? kit.Colour("red") : kit.Colour("green");
    double ink = 1.2;
    cairo_rectangle(cr, 4.5, 5, 2, 18);
    kit.FillInk(cr, colour, ink * 0.8);
    cairo_move_to(cr, 0.8, 0.8);
    cairo_line_to(cr, 10.2, 0.8);
    cairo_line_to(cr, 5.5, 8.0);
    cairo_close_path(cr);
    kit.FillInk(cr, colour, ink);
    if (cel == 1)
    {
        cairo_move_to(cr, 3.5, 2.5);
        cairo_line_to(cr, 5.5, 4.5);
        cairo_line_to(cr, 7.8, 1.8);
        ArtKit::Stroke(cr, {1, 1, 1}, 1.0);
    }
}

void ButtonFace(cairo_t* cr, ArtKit& kit, double w, double h, const Rgb& face, bool pressed, bool glow)
{
    double ink = ArtKit::InkWidth();
    if (glow)
    {
        ArtKit::RoundRect(cr, 0.5, 0.5, w - 1, h - 1, h / 2);
        ArtKit::Fill(cr, kit.Colour("honey.light"), 0.9);
    }
    double inset = glow ? 2.0 : 1.0;
    ArtKit::RoundRect(cr, inset, inset, w - 2 * inset, h - 2 * inset - 2, (h - 2 * inset) / 2);
    kit.FillInk(cr, kit.Colour("honey.dark"), ink);
    double top = pressed ? inset + 2.5 : inset + 0.8;
    ArtKit::RoundRect(cr, inset + 0.8, top, w - 2 * inset - 1.6, h - 2 * inset - 4.6, (h - 2 * inset - 4) / 2);
    ArtKit::Fill(cr, face);
    if (!pressed)
    {
        ArtKit::RoundRect(cr, inset + 6, inset + 3, w - 2 * inset - 12, 4, 2);
        ArtKit::Fill(cr, {1, 1, 1}, 0.7);
    }
}

void DrawMenuButton(cairo_t* cr, int state, ArtKit& kit)
{
    // 100 x 30: normal, mouse-over (glowing, lighter) and pressed (face sunk by two pixels).
    if (state == 0)
    {
        ButtonFace(cr, kit, 100, 30, kit.Colour("button"), false, false);
    }
    else if (state == 1)
    {
        ButtonFace(cr, kit, 100, 30, kit.Colour("button.over"), false, true);
    }
    else
    {
        ButtonFace(cr, kit, 100, 30, kit.Colour("button.down"), true, false);
    }
}

void DrawDialogBox(cairo_t* cr, ArtKit& kit)
{
    // 96 x 96, cut by the game into a nine-part frame of 32-pixel pieces: edges and centre are uniform
    // along the direction they are repeated in.
    double ink = ArtKit::InkWidth(1.4);
    // Shadow to the right and below.
    ArtKit::RoundRect(cr, 5, 6, 90, 89, 18);
    ArtKit::Fill(cr, {0, 0, 0}, 0.25);
    ArtKit::RoundRect(cr, 1.5, 1.5, 89, 89, 18);
    kit.FillInk(cr, kit.Colour("panel.dark"), ink);
    ArtKit::RoundRect(cr, 6, 6, 80, 80, 13);
    ArtKit::Fill(cr, kit.Colour("panel.light"));
    ArtKit::RoundRect(cr, 9, 9, 74, 74, 10);
    ArtKit::Fill(cr, kit.Colour("panel"));
    // A thin highlight inside the rim (solid: a dashed line would not repeat evenly along the edges).
    ArtKit::RoundRect(cr, 3.8, 3.8, 84.4, 84.4, 16);
    ArtKit::Stroke(cr, kit.Colour("panel.light"), 1.0, 0.7);
}

void DrawDialogButton(cairo_t* cr, ArtKit& kit)
{
    // 48 x 36: nine-part pieces of 16 x 12. The dialog's footer button is as high as this image.
    double ink = ArtKit::InkWidth();
    ArtKit::RoundRect(cr, 1, 1, 46, 33, 10);
    kit.FillInk(cr, kit.Colour("honey.dark"), ink);
    ArtKit::RoundRect(cr, 2, 2, 44, 29, 9);
    ArtKit::Fill(cr, kit.Colour("button"));
    ArtKit::RoundRect(cr, 2, 24, 44, 7, 3.5);
    ArtKit::Fill(cr, kit.Colour("button.down"), 0.6);
}

void DrawSliderTrack(cairo_t* cr, ArtKit& kit)
{
    // 48 x 12: left cap, middle (repeated), right cap, 16 pixels each.
    ArtKit::RoundRect(cr, 1, 1, 46, 10, 5);
    kit.FillInk(cr, kit.Colour("panel.dark"), 1.4);
    cairo_move_to(cr, 6, 4);
    cairo_line_to(cr, 42, 4);
    ArtKit::Stroke(cr, kit.Colour("ink"), 1.4, 0.35);
}

void DrawSliderThumb(cairo_t* cr, ArtKit& kit)
{
    // 26 x 26: a honeycomb cell.
    ArtKit::Star(cr, 13, 13, 11.5, 11.5, 3, Pi / 6);
    kit.FillInk(cr, kit.Colour("honey"), 1.6);
    ArtKit::Star(cr, 13, 13, 7, 7, 3, Pi / 6);
    ArtKit::Fill(cr, kit.Colour("honey.light"));
    cairo_arc(cr, 10.5, 10, 2, 0, 2 * Pi);
    ArtKit::Fill(cr, {1, 1, 1}, 0.9);
}

void DrawCheckbox(cairo_t* cr, int cel, ArtKit& kit)
{
    // Two 32 x 32 halves: unchecked, checked.
    ArtKit::RoundRect(cr, 3, 3, 26, 26, 6);
    kit.FillInk(cr, kit.Colour("cream"), 1.8);
    ArtKit::RoundRect(cr, 5, 5, 22, 6, 3);
    ArtKit::Fill(cr, {1, 1, 1}, 0.8);
    if (cel == 1)
    {
        cairo_move_to(cr, 8, 16);
        cairo_line_to(cr, 14, 23);
        cairo_line_to(cr, 26, 6);
        ArtKit::Stroke(cr, kit.Colour("ink"), 6.5);
        cairo_move_to(cr, 8, 16);
        cairo_line_to(cr, 14, 23);
        cairo_line_to(cr, 26, 6);
        ArtKit::Stroke(cr, kit.Colour("green"), 3.8);
    }
}

void DrawLoaderBar(cairo_t* cr, ArtKit& kit)
{
    // 320 x 20, drawn from its left end as loading advances.
    ArtKit::RoundRect(cr, 1, 1, 318, 18, 9);
    kit.FillInk(cr, kit.Colour("honey"), 1.6);
    {
        SavedState clip(cr);
        ArtKit::RoundRect(cr, 2, 2, 316, 16, 8);
        cairo_clip(cr);
        for (int x = -20; x < 330; x += 20)
        {
            cairo_move_to(cr, x, 20);
            cairo_line_to(cr, x + 10, 0);
            cairo_line_to(cr, x + 18, 0);
            cairo_line_to(cr, x + 8, 20);
            cairo_close_path(cr);
        }
        ArtKit::Fill(cr, kit.Colour("honey.light"), 0.7);
        cairo_rectangle(cr, 0, 13, 320, 7);
        ArtKit::Fill(cr, kit.Colour("honey.dark"), 0.5);
    }
    cairo_move_to(cr, 9, 5);
    cairo_line_to(cr, 311, 5);
    ArtKit::Stroke(cr, {1, 1, 1}, 2.0, 0.7);
}

void DrawItem(cairo_t* cr, ArtKit& kit)
{
    // The prize: a teal bucket with a wire handle, 100 x 100.
    double ink = 2.6;
    Rgb teal = kit.Colour("teal");
    Rgb dark = kit.Colour("teal.dark");
    // Handle.
    cairo_move_to(cr, 22, 36);
    cairo_curve_to(cr, 22, 4, 78, 4, 78, 36);
    ArtKit::Stroke(cr, kit.Colour("ink"), 6);
    cairo_move_to(cr, 22, 36);
    cairo_curve_to(cr, 22, 4, 78, 4, 78, 36);
    ArtKit::Stroke(cr, kit.Colour("pale.deep"), 3);
    // Body.
    cairo_move_to(cr, 14, 34);
    cairo_line_to(cr, 86, 34);
    cairo_line_to(cr, 76, 92);
    cairo_curve_to(cr, 64, 97, 36, 97, 24, 92);
    cairo_close_path(cr);
    kit.FillInk(cr, teal, ink);
    // Rim, bands and shine.
    ArtKit::Ellipse(cr, 50, 34, 37, 7);
    kit.FillInk(cr, dark, ink);
    ArtKit::Ellipse(cr, 50, 35, 31, 4.5);
    ArtKit::Fill(cr, dark.Darker(0.35));
    for (double y : {55.0, 76.0})
    {
        double half = 36 - (y - 34) * 10 / 58;
        cairo_move_to(cr, 50 - half, y);
        cairo_curve_to(cr, 40, y + 4, 60, y + 4, 50 + half, y);
        ArtKit::Stroke(cr, dark, 3);
    }
    cairo_move_to(cr, 25, 44);
    cairo_line_to(cr, 31, 86);
    ArtKit::Stroke(cr, {1, 1, 1}, 4, 0.5);
    ArtKit::Star(cr, 80, 18, 8, 2.5, 4, 0);
    ArtKit::Fill(cr, kit.Colour("honey.light"));
    ArtKit::Star(cr, 12, 62, 5, 1.6, 4, 0.3);
    ArtKit::Fill(cr, kit.Colour("honey.light"));
}

void CursorArrow(cairo_t* cr, ArtKit& kit)
{
    cairo_move_to(cr, 2, 2);
    cairo_line_to(cr, 2, 24);
    cairo_line_to(cr, 8, 18.5);
    cairo_line_to(cr, 12.5, 28);
    cairo_line_to(cr, 16.5, 26);
    cairo_line_to(cr, 12, 17);
    cairo_line_to(cr, 19.5, 17);
    cairo_close_path(cr);
    kit.FillInk(cr, kit.Colour("white"), 1.8);
}

void CursorHand(cairo_t* cr, ArtKit& kit, bool fist)
{
    // A cartoon glove; the finger tip of the pointing hand is at (12, 2).
    double ink = 1.7;
    Rgb glove = kit.Colour("white");
    if (!fist)
    {
        ArtKit::RoundRect(cr, 9, 1.5, 6, 16, 3);
        kit.FillInk(cr, glove, ink);
    }
    else
    {
        for (int i = 0; i < 4; ++i)
        {
            ArtKit::RoundRect(cr, 7 + i * 4.5, 8 - (i == 1 || i == 2 ? 1 : 0), 5, 9, 2.5);
            kit.FillInk(cr, glove, ink);
        }
    }
    ArtKit::RoundRect(cr, 6, 12, 18, 14, 6);
    kit.FillInk(cr, glove, ink);
    if (!fist)
    {
        for (int i = 0; i < 3; ++i)
        {
            ArtKit::RoundRect(cr, 14 + i * 3.6, 10.5, 4.2, 7.5, 2.1);
            kit.FillInk(cr, glove, ink * 0.8);
        }
    }
    // Thumb.
    ArtKit::Petal(cr, 8, 20, 200 * Deg, 7, 5);
    kit.FillInk(cr, glove, ink * 0.8);
    // Cuff.
    ArtKit::RoundRect(cr, 8, 25, 14, 5, 2);
    kit.FillInk(cr, kit.Colour("honey"), ink);
}

void CursorText(cairo_t* cr, ArtKit& kit)
{
    for (int pass = 0; pass < 2; ++pass)
    {
        cairo_move_to(cr, 11, 4);
        cairo_curve_to(cr, 14, 4, 16, 5, 16, 8);
        cairo_curve_to(cr, 16, 5, 18, 4, 21, 4);
        cairo_move_to(cr, 16, 8);
        cairo_line_to(cr, 16, 24);
        cairo_move_to(cr, 11, 28);
        cairo_curve_to(cr, 14, 28, 16, 27, 16, 24);
        cairo_curve_to(cr, 16, 27, 18, 28, 21, 28);
        cairo_move_to(cr, 13, 16);
        cairo_line_to(cr, 19, 16);
        if (pass == 0)
        {
            ArtKit::Stroke(cr, kit.Colour("white"), 4.5);
        }
        else
        {
            ArtKit::Stroke(cr, kit.Colour("ink"), 1.8);
        }
    }
}

} // namespace

void AddInterfaceSheets(std::vector<SheetSpec>& sheets)
{
    sheets.push_back({"BEECOUNTER", "beecounter.png", 36, 36, 1, 1, 1,
                      [](cairo_t* cr, int, ArtKit& kit) { DrawBeePicture(cr, kit, -1, 3, 38, true); }});
    sheets.push_back({"HIVECOUNTER", "hivecounter.png", 34, 32, 1, 1, 1,
                      [](cairo_t* cr, int, ArtKit& kit) { DrawHiveIcon(cr, kit, 1, 0, 32); }});
    sheets.push_back({"HONEYBAR", "honeybar.png", 292, 17, 1, 1, 1,
                      [](cairo_t* cr, int, ArtKit& kit) { DrawHoneyBar(cr, kit, false); }});
    sheets.push_back({"HONEYBARFULL", "honeybarfull.png", 292, 17, 1, 1, 1,
                      [](cairo_t* cr, int, ArtKit& kit) { DrawHoneyBar(cr, kit, true); }});
    sheets.push_back({"HONEYSLIDER", "honeyslider.png", 11, 24, 2, 1, 2,
                      [](cairo_t* cr, int cel, ArtKit& kit) { DrawHoneySlider(cr, cel, kit); }});
    sheets.push_back({"BUTTON_NORMAL", "button_normal.png", 100, 30, 1, 1, 1,
                      [](cairo_t* cr, int, ArtKit& kit) { DrawMenuButton(cr, 0, kit); }});
    sheets.push_back({"BUTTON_OVER", "button_over.png", 100, 30, 1, 1, 1,
                      [](cairo_t* cr, int, ArtKit& kit) { DrawMenuButton(cr, 1, kit); }});
    sheets.push_back({"BUTTON_DOWN", "button_down.png", 100, 30, 1, 1, 1,
                      [](cairo_t* cr, int, ArtKit& kit) { DrawMenuButton(cr, 2, kit); }});
    sheets.push_back({"DIALOG_BOX", "dialog_box.png", 96, 96, 1, 1, 1,
                      [](cairo_t* cr, int, ArtKit& kit) { DrawDialogBox(cr, kit); }});
    sheets.push_back({"DIALOG_BUTTON", "dialog_button.png", 48, 36, 1, 1, 1,
                      [](cairo_t* cr, int, ArtKit& kit) { DrawDialogButton(cr, kit); }});
    sheets.push_back({"SLIDER_TRACK", "slider_track.png", 48, 12, 1, 1, 1,
                      [](cairo_t* cr, int, ArtKit& kit) { DrawSliderTrack(cr, kit); }});
    sheets.push_back({"SLIDER_THUMB", "slider_thumb.png", 26, 26, 1, 1, 1,
                      [](cairo_t* cr, int, ArtKit& kit) { DrawSliderThumb(cr, kit); }});
    // Unchecked picture on the left half, checked on the right; the game cuts the halves itself.
    sheets.push_back({"CHECKBOX", "checkbox.png", 32, 32, 2, 1, 2,
                      [](cairo_t* cr, int cel, ArtKit& kit) { DrawCheckbox(cr, cel, kit); }});
    sheets.push_back({"LOADER_BAR", "loader_bar.png", 320, 20, 1, 1, 1,
                      [](cairo_t* cr, int, ArtKit& kit) { DrawLoaderBar(cr, kit); }});
    sheets.push_back({"ITEM", "item.png", 100, 100, 1, 1, 1, [](cairo_t* cr, int, ArtKit& kit) { DrawItem(cr, kit); }});
    sheets.push_back({"CUSTOM_POINTER", "custom_pointer.png", 32, 32, 1, 1, 1,
                      [](cairo_t* cr, int, ArtKit& kit) { CursorArrow(cr, kit); }});
    sheets.push_back({"CUSTOM_HAND", "custom_hand.png", 32, 32, 1, 1, 1,
                      [](cairo_t* cr, int, ArtKit& kit) { CursorHand(cr, kit, false); }});
    sheets.push_back({"CUSTOM_DRAGGING", "custom_dragging.png", 32, 32, 1, 1, 1,
                      [](cairo_t* cr, int, ArtKit& kit) { CursorHand(cr, kit, true); }});
    sheets.push_back({"CUSTOM_TEXT", "custom_text.png", 32, 32, 1, 1, 1,
                      [](cairo_t* cr, int, ArtKit& kit) { CursorText(cr, kit); }});
}

} // namespace artgen
