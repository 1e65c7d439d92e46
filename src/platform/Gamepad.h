// The buttons and axes of a gamepad as the framework names them: the layout of the usual
// console pad (A at the bottom of the four face buttons). Plain values; any thread.
#pragma once

namespace zest
{

enum GamepadButton : int
{
    GamepadA = 0,
    GamepadB,
    GamepadX,
    GamepadY,
    GamepadBack,
    GamepadGuide,
    GamepadStart,
    GamepadLeftStick,
    GamepadRightStick,
    GamepadLeftShoulder,
    GamepadRightShoulder,
    GamepadDPadUp,
    GamepadDPadDown,
    GamepadDPadLeft,
    GamepadDPadRight,
    GamepadButtonCount
};

// Sticks run from -32768 (left, up) to 32767 (right, down); triggers from 0 (released) to 32767.
enum GamepadAxis : int
{
    GamepadLeftX = 0,
    GamepadLeftY,
    GamepadRightX,
    GamepadRightY,
    GamepadLeftTrigger,
    GamepadRightTrigger,
    GamepadAxisCount
};

// Pads are numbered by slot, 0 for the first one plugged in; a slot is reused once its pad is gone.
inline constexpr int MaxGamepads = 4;

} // namespace zest
