#include "widgets/GamepadState.h"

#include <algorithm>

namespace zest
{

void GamepadState::SetConnected(int pad, bool connected)
{
    if (!Valid(pad))
        return;
    // A pad plugged in or pulled out starts from rest.
    pads[static_cast<size_t>(pad)] = Pad{};
    pads[static_cast<size_t>(pad)].connected = connected;
}

void GamepadState::SetButton(int pad, int button, bool down)
{
    if (Valid(pad) && button >= 0 && button < GamepadButtonCount)
        pads[static_cast<size_t>(pad)].buttons[static_cast<size_t>(button)] = down;
}

void GamepadState::SetAxis(int pad, int axis, int value)
{
    if (Valid(pad) && axis >= 0 && axis < GamepadAxisCount)
        pads[static_cast<size_t>(pad)].axes[static_cast<size_t>(axis)] = std::clamp(value, -32768, 32767);
}

bool GamepadState::IsConnected(int pad) const
{
    return Valid(pad) && pads[static_cast<size_t>(pad)].connected;
}

int GamepadState::Count() const
{
    return static_cast<int>(std::count_if(pads.begin(), pads.end(), [](const Pad& pad) { return pad.connected; }));
}

bool GamepadState::IsButtonDown(int button, int pad) const
{
    if (button < 0 || button >= GamepadButtonCount)
        return false;
    if (pad == -1)
        return std::any_of(pads.begin(), pads.end(),
                           [button](const Pad& p) { return p.buttons[static_cast<size_t>(button)]; });
    return Valid(pad) && pads[static_cast<size_t>(pad)].buttons[static_cast<size_t>(button)];
}

int GamepadState::GetAxis(int axis, int pad) const
{
    if (!Valid(pad) || axis < 0 || axis >= GamepadAxisCount)
        return 0;
    return pads[static_cast<size_t>(pad)].axes[static_cast<size_t>(axis)];
}

} // namespace zest
