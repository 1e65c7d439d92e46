#include "Samples.h"

#include <zest/app/ZestAppBase.h>
#include <zest/graphics/Graphics.h>
#include <zest/graphics/SysFont.h>
#include <zest/platform/VirtualKeys.h>
#include <zest/widgets/Widget.h>
#include <zest/widgets/WidgetManager.h>

#include <string>

namespace guide
{
namespace
{

// Keys go to the widget with the focus. KeyDown and KeyUp carry virtual-key codes (zest::VK_LEFT,
// 'A'..'Z', '0'..'9'); KeyChar carries the character typed (a Unicode code point).
class KeyMover : public zest::Widget
{
public:
    KeyMover() { wantsFocus = true; } // a click on it gives it the focus
    void KeyDown(int key) override
    {
        if (key == zest::VK_SPACE)
        {
            boxX = width / 2;
            boxY = height / 2;
            MarkDirty();
        }
        Widget::KeyDown(key); // Tab and Shift+Tab move the focus along tabNext / tabPrev
    }
    void KeyChar(int character) override
    {
        if (character >= 32 && character < 127)
        {
            typed = static_cast<char>(character);
            MarkDirty();
        }
    }
    // Polling: IsKeyDown answers for the keys held now, so holding an arrow moves every update.
    void Update() override
    {
        zest::WidgetManager* keys = GetWidgetManager();
        const int dx = (keys->IsKeyDown(zest::VK_RIGHT) ? 3 : 0) - (keys->IsKeyDown(zest::VK_LEFT) ? 3 : 0);
        const int dy = (keys->IsKeyDown(zest::VK_DOWN) ? 3 : 0) - (keys->IsKeyDown(zest::VK_UP) ? 3 : 0);
        if (dx != 0 || dy != 0)
        {
            boxX += dx;
            boxY += dy;
            MarkDirty();
        }
    }
    void Draw(zest::Graphics* g) override
    {
        g->SetColor(zest::Color(255, 246, 220));
        g->FillRect(0, 0, width, height);
        g->SetColor(zest::Color(244, 165, 44));
        g->FillRect(boxX - 20, boxY - 20, 40, 40);
        g->SetColor(zest::Color(46, 42, 54));
        g->SetFont(&font);
        g->DrawString(std::string("last key typed: ") + typed, 20, 30);
    }

private:
    int boxX = 320;
    int boxY = 240;
    char typed = ' ';
    zest::SysFont font{"DejaVu Sans", 14, false}; // any face fontconfig knows
};

class KeyboardApp : public zest::ZestAppBase
{
public:
    KeyboardApp()
    {
        productName = "Keyboard";
        title = "Arrows move, space centres";
        registryKey = "Zest Examples\\Keyboard";
    }
    void Initialize() override
    {
        ZestAppBase::Initialize();
        if (shutdown)
            return;
        mover.Resize(0, 0, width, height);
        widgetManager->AddWidget(&mover);
        widgetManager->SetFocus(&mover); // without the focus it would hear no keys
    }

private:
    KeyMover mover;
};

} // namespace

int RunKeyboard(int argc, char** argv)
{
    return RunApp<KeyboardApp>(argc, argv);
}

} // namespace guide
