// The gamepad side of ZestAppBase: queued gamepad messages reach the polling state, the
// application's hooks and the focus widget, in that order.
#include "app/ZestAppBase.h"

#include "graphics/DisplayImage.h"
#include "app/DisplayInterface.h"
#include "platform/Gamepad.h"
#include "platform/SdlWindow.h"
#include "widgets/WidgetManager.h"

#include <algorithm>

namespace zest
{

void ZestAppBase::HandleGamepadMessage(const WindowMessage& message)
{
    WidgetManager& manager = *widgetManager;
    const int pad = GamepadSlot(message.wparam);
    const int code = GamepadCode(message.wparam);
    switch (message.message)
    {
    case WM_GAMEPADADDED:
        manager.GamepadAdded(pad);
        OnGamepadAdded(pad);
        break;
    case WM_GAMEPADREMOVED:
        manager.GamepadRemoved(pad);
        OnGamepadRemoved(pad);
        break;
    case WM_GAMEPADBUTTONDOWN:
    case WM_GAMEPADBUTTONUP:
    {
        lastUserInputTick = lastTimerTick;
        const bool down = message.message == WM_GAMEPADBUTTONDOWN;
        if (OnGamepadButton(pad, code, down))
            manager.gamepads.SetButton(pad, code, down);
        else if (down)
            manager.GamepadButtonDown(pad, code);
        else
            manager.GamepadButtonUp(pad, code);
        break;
    }
    case WM_GAMEPADAXIS:
    {
        lastUserInputTick = lastTimerTick;
        const int value = static_cast<int>(message.lparam);
        if (OnGamepadAxis(pad, code, value))
            manager.gamepads.SetAxis(pad, code, value);
        else
            manager.GamepadAxisMoved(pad, code, value);
        break;
    }
    default:
        break;
    }
}

void ZestAppBase::MovePointer(int x, int y)
{
    WidgetManager& manager = *widgetManager;
    manager.MouseMove(x, y);
    if (shownCursorImage && display)
        display->GetScreenImage()->SetCursorPos(x, y);
    // A playing demo steers only the application's pointer; the player's stays where it is.
    if (demoPlayer || !mainWindow || !mainWindow->IsOpen() || !hasFocus)
        return;
    // Application pixels back to the window's: the inverse of the manager's mapping. The system
    // reports the warp as a motion to the same place, which then changes nothing.
    const Rect& from = manager.mouseDestRect;
    const Rect& to = manager.mouseSourceRect;
    Point target(x, y);
    if (!from.IsEmpty() && !to.IsEmpty())
        target = Point(to.x + (x - from.x) * to.width / from.width, to.y + (y - from.y) * to.height / from.height);
    constexpr size_t MaxPendingWarps = 8;
    if (pendingWarps.size() == MaxPendingWarps)
        pendingWarps.erase(pendingWarps.begin());
    pendingWarps.push_back(target);
    mainWindow->WarpMouse(target.x, target.y);
}

bool ZestAppBase::IsWarpReport(const WindowMessage& message)
{
    const Point at(PointParamX(message.lparam), PointParamY(message.lparam));
    auto found = std::find_if(pendingWarps.begin(), pendingWarps.end(),
                              [&at](const Point& p) { return p.x == at.x && p.y == at.y; });
    if (found == pendingWarps.end())
    {
        // The player moved the mouse: reports of older warps can no longer come first.
        pendingWarps.clear();
        return false;
    }
    pendingWarps.erase(pendingWarps.begin(), found + 1);
    return true;
}

bool ZestAppBase::OnGamepadButton(int pad, int button, bool down)
{
    (void)pad;
    (void)button;
    (void)down;
    return false;
}

bool ZestAppBase::OnGamepadAxis(int pad, int axis, int value)
{
    (void)pad;
    (void)axis;
    (void)value;
    return false;
}

} // namespace zest
