// Helpers for the control and dialog tests: a font with fixed metrics that records
// what it draws, listeners that record what they hear, solid images, and an
// application on a fake clock.
#pragma once

#include "app/ZestAppBase.h"
#include "graphics/DisplayImage.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "platform/FakeClock.h"
#include "widgets/ButtonListener.h"
#include "widgets/CheckboxListener.h"
#include "widgets/DialogListener.h"
#include "widgets/SliderListener.h"
#include "widgets/WidgetManager.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace zest::test
{

// One DrawString call as the font saw it, in destination-image coordinates.
struct DrawnText
{
    std::string text;
    int x = 0;
    int y = 0;
    Color color;
};

// Every character is 6 pixels wide; ascent 10, height 13, line spacing 15. Draws a
// solid box per string (from the top of the line to the baseline) so pixels can be
// checked too.
class RecordingFont : public Font
{
public:
    explicit RecordingFont(std::shared_ptr<std::vector<DrawnText>> sharedLog = nullptr, int padding = 0)
        : log(sharedLog ? std::move(sharedLog) : std::make_shared<std::vector<DrawnText>>())
    {
        ascent = 10;
        height = 13;
        ascentPadding = padding;
        lineSpacingOffset = 2;
    }
    int StringWidth(const std::string& text) override { return 6 * static_cast<int>(text.size()); }
    int CharWidth(char) override { return 6; }
    int CharWidthKern(char, char) override { return 6; }
    void DrawString(Graphics* graphics, int x, int y, const std::string& text, const Color& color,
                    const Rect& clipRect) override
    {
        (void)clipRect; // the context clips the box itself
        log->push_back({text, x + static_cast<int>(graphics->transX), y + static_cast<int>(graphics->transY), color});
        const Color oldColor = graphics->GetColor();
        graphics->SetColor(color);
        graphics->FillRect(x, y - ascent, StringWidth(text), ascent);
        graphics->SetColor(oldColor);
    }
    std::unique_ptr<Font> Duplicate() override { return std::make_unique<RecordingFont>(*this); }

    // Shared by every duplicate.
    std::shared_ptr<std::vector<DrawnText>> log;
};

struct RecordingButtonListener : ButtonListener
{
    using ButtonListener::ButtonPressed;
    void ButtonPressed(int id) override { events.push_back("pressed" + std::to_string(id)); }
    void ButtonClicked(int id) override { events.push_back("clicked" + std::to_string(id)); }
    void ButtonHeld(int id) override { held += id >= 0 ? 1 : 0; }
    void ButtonHoverStart(int id) override { events.push_back("hoverstart" + std::to_string(id)); }
    void ButtonHoverEnd(int id) override { events.push_back("hoverend" + std::to_string(id)); }
    void ButtonHoverMove(int id, int x, int y) override
    {
        (void)id;
        lastMoveX = x;
        lastMoveY = y;
    }

    std::vector<std::string> events;
    int held = 0;
    int lastMoveX = -1;
    int lastMoveY = -1;
};

struct RecordingCheckboxListener : CheckboxListener
{
    void CheckboxToggled(int id, bool checked) override { toggles.emplace_back(id, checked); }
    std::vector<std::pair<int, bool>> toggles;
};

struct RecordingSliderListener : SliderListener
{
    void SliderChanged(int id, double value) override
    {
        (void)id;
        values.push_back(value);
    }
    std::vector<double> values;
};

// A width x height image in one colour; fills lists extra (rect, colour) areas.
inline std::unique_ptr<MemoryImage> SolidImage(int width, int height, const Color& color,
                                               const std::vector<std::pair<Rect, Color>>& fills = {})
{
    auto image = std::make_unique<MemoryImage>();
    image->Create(width, height);
    image->FillRect(Rect(0, 0, width, height), color, DrawModeNormal);
    for (const auto& [rect, fill] : fills)
        image->FillRect(rect, fill, DrawModeNormal);
    return image;
}

// The pixel as a colour (alpha included).
inline Color PixelAt(const MemoryImage& image, int x, int y)
{
    return Color::FromARGB(image.GetPixel(x, y));
}

// An application on a fake clock with an off-screen display that records the plain
// button events the dialogs turn into.
class ControlsApp : public ZestAppBase
{
public:
    ControlsApp()
    {
        SetClock(&fakeClock);
        autoStartLoadingThread = false;
        CreateOffscreenDisplay();
        GetWidgetManager()->mouseIn = true;
    }
    ~ControlsApp() override { WaitForLoadingThread(); }

    void ButtonPressed(int id) override { pressed.push_back(id); }
    void ButtonClicked(int id) override { clicked.push_back(id); }

    // A left click at (x, y) through the widget manager.
    void Click(int x, int y)
    {
        WidgetManager* manager = GetWidgetManager();
        manager->MouseMove(x, y);
        manager->MouseDown(x, y, 1);
        manager->MouseUp(x, y, 1);
    }

    FakeClock fakeClock;
    std::vector<int> pressed;
    std::vector<int> clicked;
};

} // namespace zest::test
