// What the handled gamepad messages left behind, for polling: which pads are plugged in,
// the buttons held and the axes' values. Fed only by the widget manager from queued
// messages, so a replayed demo polls the same values. Owned by the widget manager; main thread.
#pragma once

#include "platform/Gamepad.h"

#include <array>

namespace zest
{

class GamepadState
{
public:
    void SetConnected(int pad, bool connected);
    void SetButton(int pad, int button, bool down);
    void SetAxis(int pad, int axis, int value);

    bool IsConnected(int pad) const;
    int Count() const;
    // pad -1: held on any pad. False for a pad or button out of range.
    bool IsButtonDown(int button, int pad = -1) const;
    // -32768..32767 (triggers 0..32767); 0 for a pad or axis out of range.
    int GetAxis(int axis, int pad = 0) const;

private:
    struct Pad
    {
        bool connected = false;
        std::array<bool, GamepadButtonCount> buttons{};
        std::array<int, GamepadAxisCount> axes{};
    };
    static bool Valid(int pad) { return pad >= 0 && pad < MaxGamepads; }

    std::array<Pad, MaxGamepads> pads{};
};

} // namespace zest
