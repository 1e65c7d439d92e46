// A gamepad made in software (SDL's virtual joystick, shown as a game controller): tests and the play
// harness plug it in, press its buttons and tilt its sticks, and the game sees a real pad through the
// gamepad manager. Owned by whoever made it; main thread only.
#pragma once

#include <string>

struct _SDL_Joystick;

namespace zest
{

class VirtualGamepad
{
public:
    VirtualGamepad() = default;
    VirtualGamepad(const VirtualGamepad&) = delete;
    VirtualGamepad& operator=(const VirtualGamepad&) = delete;
    // Unplugs it.
    ~VirtualGamepad();

    // Plugs the pad in (starting SDL's joystick support when needed); false with the reason in
    // LastError when the system cannot make one. The game hears of it at its next event poll. From
    // then on pads report while no window has the focus (a headless window never has it).
    [[nodiscard]] bool Attach();
    void Detach();
    bool IsAttached() const { return joystick != nullptr; }

    // GamepadButton and GamepadAxis values; ignored while unplugged or out of range. The change
    // reaches the game at its next event poll.
    void SetButton(int button, bool down);
    void SetAxis(int axis, int value);

    const std::string& LastError() const { return error; }

private:
    _SDL_Joystick* joystick = nullptr;
    int deviceIndex = -1;
    bool startedJoysticks = false;
    std::string error;
};

} // namespace zest
