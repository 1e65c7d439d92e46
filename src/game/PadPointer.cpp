#include "game/PadPointer.h"

#include "game/Board.h"
#include "game/GameApp.h"
#include "garden/Hose.h"
#include "garden/Level.h"
#include "platform/Gamepad.h"
#include "platform/VirtualKeys.h"
#include "widgets/ButtonWidget.h"
#include "widgets/Checkbox.h"
#include "widgets/Dialog.h"
#include "widgets/DialogButton.h"
#include "widgets/WidgetManager.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace tibble
{

namespace
{
constexpr int ScreenWidth = 640;
constexpr int ScreenHeight = 480;

// The stick's deflection beyond the dead zone, -1..1.
float Deflection(int value)
{
    const int magnitude = std::abs(value);
    if (magnitude <= PadPointer::DeadZone)
        return 0;
    const float beyond = static_cast<float>(magnitude - PadPointer::DeadZone) /
                         static_cast<float>(32767 - PadPointer::DeadZone);
    return std::min(1.0f, beyond) * (value < 0 ? -1.0f : 1.0f);
}

void CollectButtons(const zest::WidgetContainer* container, std::vector<zest::Widget*>& out)
{
    for (zest::Widget* child : container->GetChildren())
    {
        if (!child->visible || child->disabled)
            continue;
        if (dynamic_cast<zest::ButtonWidget*>(child) || dynamic_cast<zest::Checkbox*>(child))
            out.push_back(child);
        CollectButtons(child, out);
    }
}
} // namespace

PadPointer::PadPointer(GameApp* owner) : app(owner)
{
    mouseVisible = false;
}

Board* PadPointer::GetBoard() const
{
    return dynamic_cast<Board*>(app->GetBoard());
}

bool PadPointer::InLevel() const
{
    const Board* board = GetBoard();
    return board && board->GetState() == Board::Playing && board->GetLevel() && !board->IsPaused() &&
           board->GetFadeDirection() == 0 && widgetManager && !widgetManager->baseModalWidget;
}

zest::Point PadPointer::Pointer() const
{
    return widgetManager ? zest::Point(widgetManager->lastMouseX, widgetManager->lastMouseY) : zest::Point();
}

void PadPointer::MoveTo(zest::Point point)
{
    pointerX = static_cast<float>(point.x);
    pointerY = static_cast<float>(point.y);
    app->MovePointer(point.x, point.y);
}

void PadPointer::Press(bool down)
{
    if (!widgetManager)
        return;
    const zest::Point at = Pointer();
    if (down)
        widgetManager->MouseDown(at.x, at.y, 1);
    else
        widgetManager->MouseUp(at.x, at.y, 1);
}

void PadPointer::Update()
{
    // Enter let go while a dialog had the keys: the spray stops with the level.
    if (keyPressing && !InLevel())
    {
        keyPressing = false;
        Press(false);
    }
    if (!widgetManager || widgetManager->Gamepads().Count() == 0)
        return;
    const zest::GamepadState& pads = widgetManager->Gamepads();
    float dx = 0;
    float dy = 0;
    for (int pad = 0; pad < zest::MaxGamepads; pad++)
    {
        dx += Deflection(pads.GetAxis(zest::GamepadLeftX, pad));
        dy += Deflection(pads.GetAxis(zest::GamepadLeftY, pad));
    }
    // In a level the d-pad steers like the stick; elsewhere it jumps between buttons.
    if (InLevel())
    {
        dx += (pads.IsButtonDown(zest::GamepadDPadRight) ? 1.0f : 0.0f) -
              (pads.IsButtonDown(zest::GamepadDPadLeft) ? 1.0f : 0.0f);
        dy += (pads.IsButtonDown(zest::GamepadDPadDown) ? 1.0f : 0.0f) -
              (pads.IsButtonDown(zest::GamepadDPadUp) ? 1.0f : 0.0f);
    }
    dx = std::clamp(dx, -1.0f, 1.0f);
    dy = std::clamp(dy, -1.0f, 1.0f);
    if (dx == 0 && dy == 0)
    {
        speed = StartSpeed;
        return;
    }
    // The mouse may have moved the pointer since: start from where it is.
    const zest::Point at = Pointer();
    if (static_cast<int>(pointerX) != at.x || static_cast<int>(pointerY) != at.y)
    {
        pointerX = static_cast<float>(at.x);
        pointerY = static_cast<float>(at.y);
    }
    pointerX = std::clamp(pointerX + dx * speed, 0.0f, static_cast<float>(ScreenWidth - 1));
    pointerY = std::clamp(pointerY + dy * speed, 0.0f, static_cast<float>(ScreenHeight - 1));
    speed = std::min(MaxSpeed, speed + Acceleration);
    const zest::Point next(static_cast<int>(pointerX), static_cast<int>(pointerY));
    if (next.x != at.x || next.y != at.y)
        app->MovePointer(next.x, next.y);
}

bool PadPointer::GamepadButton(int button, bool down)
{
    switch (button)
    {
    case zest::GamepadA:
        if (down != padPressing)
        {
            padPressing = down;
            Press(down);
        }
        return true;
    case zest::GamepadB:
        if (down)
            PressDialogButton(true);
        return true;
    case zest::GamepadStart:
        if (!down)
            return true;
        if (InLevel())
        {
            if (Board* board = GetBoard())
                board->KeyDown(zest::VK_ESCAPE);
        }
        else
            PressDialogButton(false);
        return true;
    case zest::GamepadLeftShoulder:
    case zest::GamepadRightShoulder:
        if (down)
            JumpInOrder(button == zest::GamepadRightShoulder ? 1 : -1);
        return true;
    case zest::GamepadDPadUp:
    case zest::GamepadDPadDown:
    case zest::GamepadDPadLeft:
    case zest::GamepadDPadRight:
        if (down && !InLevel())
        {
            const int dx = button == zest::GamepadDPadLeft ? -1 : button == zest::GamepadDPadRight ? 1 : 0;
            const int dy = button == zest::GamepadDPadUp ? -1 : button == zest::GamepadDPadDown ? 1 : 0;
            Jump(dx, dy);
        }
        return true;
    default:
        return false;
    }
}

bool PadPointer::LevelKeyDown(int key)
{
    if (!InLevel())
        return false;
    switch (key)
    {
    case zest::VK_RETURN:
        // Held keys repeat; the spray starts once.
        if (!keyPressing)
        {
            keyPressing = true;
            Press(true);
        }
        return true;
    case zest::VK_TAB:
        JumpInOrder(widgetManager && widgetManager->IsKeyDown(zest::VK_SHIFT) ? -1 : 1);
        return true;
    case zest::VK_LEFT:
        Jump(-1, 0);
        return true;
    case zest::VK_RIGHT:
        Jump(1, 0);
        return true;
    case zest::VK_UP:
        Jump(0, -1);
        return true;
    case zest::VK_DOWN:
        Jump(0, 1);
        return true;
    default:
        return false;
    }
}

bool PadPointer::LevelKeyUp(int key)
{
    if (key != zest::VK_RETURN || !keyPressing)
        return false;
    keyPressing = false;
    Press(false);
    return true;
}

std::vector<zest::Point> PadPointer::Targets() const
{
    std::vector<zest::Point> targets;
    if (InLevel())
    {
        const Level& level = *GetBoard()->GetLevel();
        for (int slot = 0; slot < Level::AgentSlots; slot++)
        {
            const Hose* hose = dynamic_cast<const Hose*>(level.GetAgent(slot));
            if (!hose || !hose->visible)
                continue;
            const zest::Point point(hose->grabX - level.GetCameraX(), hose->grabY - level.GetCameraY());
            if (point.x >= 0 && point.x < ScreenWidth && point.y >= 0 && point.y < ScreenHeight)
                targets.push_back(point);
        }
    }
    else if (widgetManager)
    {
        std::vector<zest::Widget*> buttons;
        CollectButtons(widgetManager, buttons);
        for (zest::Widget* button : buttons)
        {
            const zest::Point origin = button->AbsolutePosition();
            const zest::Point centre(origin.x + button->width / 2, origin.y + button->height / 2);
            // Only what the mouse would reach there: a modal dialog hides the buttons behind it.
            int widgetX = 0;
            int widgetY = 0;
            if (widgetManager->WidgetAt(centre.x, centre.y, &widgetX, &widgetY) == button)
                targets.push_back(centre);
        }
    }
    std::sort(targets.begin(), targets.end(),
              [](const zest::Point& a, const zest::Point& b) { return a.x != b.x ? a.x < b.x : a.y < b.y; });
    return targets;
}

std::optional<zest::Point> PadPointer::TargetToward(const std::vector<zest::Point>& targets, zest::Point from,
                                                    int dx, int dy)
{
    std::optional<zest::Point> best;
    long bestScore = 0;
    for (const zest::Point& target : targets)
    {
        const long along = static_cast<long>(target.x - from.x) * dx + static_cast<long>(target.y - from.y) * dy;
        const long across = std::labs(static_cast<long>(target.x - from.x) * dy) +
                            std::labs(static_cast<long>(target.y - from.y) * dx);
        if (along <= 0)
            continue;
        // Straight ahead wins over a nearer target far off to the side.
        const long score = along + 2 * across;
        if (!best || score < bestScore)
        {
            best = target;
            bestScore = score;
        }
    }
    return best;
}

void PadPointer::Jump(int dx, int dy)
{
    const std::vector<zest::Point> targets = Targets();
    if (targets.empty())
        return;
    const zest::Point at = Pointer();
    // From nowhere near a target the first jump lands on the nearest one.
    std::optional<zest::Point> next = TargetToward(targets, at, dx, dy);
    if (next)
        MoveTo(*next);
}

void PadPointer::JumpInOrder(int step)
{
    const std::vector<zest::Point> targets = Targets();
    if (targets.empty())
        return;
    const zest::Point at = Pointer();
    const auto here = std::find_if(targets.begin(), targets.end(),
                                   [&at](const zest::Point& p) { return p.x == at.x && p.y == at.y; });
    const int count = static_cast<int>(targets.size());
    int index = here == targets.end() ? (step > 0 ? 0 : count - 1)
                                      : (static_cast<int>(here - targets.begin()) + step + count) % count;
    MoveTo(targets[static_cast<size_t>(index)]);
}

bool PadPointer::PressDialogButton(bool cancel)
{
    zest::Dialog* dialog = widgetManager ? dynamic_cast<zest::Dialog*>(widgetManager->baseModalWidget) : nullptr;
    if (!dialog)
        return false;
    zest::ButtonWidget* button = cancel && dialog->GetNoButton() ? dialog->GetNoButton() : dialog->GetYesButton();
    if (!button || !button->visible || button->disabled)
        return false;
    const zest::Point origin = button->AbsolutePosition();
    MoveTo(zest::Point(origin.x + button->width / 2, origin.y + button->height / 2));
    Press(true);
    Press(false);
    return true;
}

} // namespace tibble
