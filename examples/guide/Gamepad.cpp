#include "Samples.h"

#include <zest/app/ZestAppBase.h>
#include <zest/graphics/Graphics.h>
#include <zest/graphics/SysFont.h>
#include <zest/platform/Gamepad.h>
#include <zest/widgets/Widget.h>
#include <zest/widgets/WidgetManager.h>

#include <algorithm>
#include <string>

namespace guide
{
namespace
{

// Polling: the widget manager keeps what the pads' messages left, so Update reads the stick each time.
class PadBall : public zest::Widget
{
public:
    void Update() override
    {
        const zest::GamepadState& pads = GetWidgetManager()->Gamepads();
        if (pads.Count() == 0)
            return;
        // Sticks run from -32768 to 32767; a small dead zone keeps a resting stick still.
        const int stickX = pads.GetAxis(zest::GamepadLeftX);
        const int stickY = pads.GetAxis(zest::GamepadLeftY);
        if (stickX * stickX + stickY * stickY < 8000 * 8000)
            return;
        ballX = std::clamp(ballX + stickX / 4096, 0, width);
        ballY = std::clamp(ballY + stickY / 4096, 0, height);
        MarkDirty();
    }
    void Draw(zest::Graphics* g) override
    {
        g->SetColor(zest::Color(20, 24, 40));
        g->FillRect(0, 0, width, height);
        g->SetColor(held ? zest::Color(244, 165, 44) : zest::Color(120, 200, 255));
        g->FillRect(ballX - 12, ballY - 12, 24, 24);
        g->SetColor(zest::Color(255, 255, 255));
        g->SetFont(&font);
        g->DrawString(status, 20, 30);
    }

    int ballX = 320;
    int ballY = 240;
    bool held = false;
    std::string status = "Plug in a gamepad";

private:
    zest::SysFont font{"DejaVu Sans", 14, false}; // any face fontconfig knows
};

class PadApp : public zest::ZestAppBase
{
public:
    PadApp()
    {
        productName = "Pad";
        title = "Gamepad";
        registryKey = "Zest Examples\\Pad";
    }
    void Initialize() override
    {
        ZestAppBase::Initialize(); // pads already plugged in arrive as OnGamepadAdded, like later ones
        if (shutdown)
            return;
        ball.Resize(0, 0, width, height);
        widgetManager->AddWidget(&ball);
    }
    // Events: pad is the pad's slot (0 for the first). Answering true keeps a button from the focus widget,
    // which otherwise gets it as GamepadButtonDown / GamepadButtonUp.
    void OnGamepadAdded(int pad) override { Say("pad " + std::to_string(pad) + " plugged in"); }
    void OnGamepadRemoved(int pad) override { Say("pad " + std::to_string(pad) + " pulled out"); }
    bool OnGamepadButton(int pad, int button, bool down) override
    {
        (void)pad;
        if (button == zest::GamepadA)
        {
            ball.held = down;
            ball.MarkDirty();
            return true;
        }
        if (button == zest::GamepadBack && down)
            Shutdown();
        return false;
    }

private:
    void Say(const std::string& text)
    {
        ball.status = text;
        ball.MarkDirty();
    }
    PadBall ball;
};

} // namespace

int RunGamepad(int argc, char** argv)
{
    return RunApp<PadApp>(argc, argv);
}

} // namespace guide
