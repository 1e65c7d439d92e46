#include "platform/VirtualGamepad.h"

#include "platform/Gamepad.h"

#include <SDL.h>

#include <algorithm>

namespace zest
{

VirtualGamepad::~VirtualGamepad()
{
    Detach();
}

bool VirtualGamepad::Attach()
{
    if (joystick)
        return true;
    // The program drives this pad itself, so its changes count whether or not a window has the focus
    // (a headless window never gets it).
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    if (!SDL_WasInit(SDL_INIT_JOYSTICK))
    {
        if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0)
        {
            error = SDL_GetError();
            return false;
        }
        startedJoysticks = true;
    }
    SDL_VirtualJoystickDesc desc;
    SDL_zero(desc);
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = GamepadAxisCount;
    desc.nbuttons = GamepadButtonCount;
    // Every button and axis the framework names, so SDL maps them as a game controller one to one.
    desc.button_mask = (1u << GamepadButtonCount) - 1;
    desc.axis_mask = (1u << GamepadAxisCount) - 1;
    desc.name = "Zest virtual gamepad";
    deviceIndex = SDL_JoystickAttachVirtualEx(&desc);
    if (deviceIndex < 0)
    {
        error = SDL_GetError();
        return false;
    }
    joystick = SDL_JoystickOpen(deviceIndex);
    if (!joystick)
    {
        error = SDL_GetError();
        SDL_JoystickDetachVirtual(deviceIndex);
        deviceIndex = -1;
        return false;
    }
    return true;
}

void VirtualGamepad::Detach()
{
    if (joystick)
    {
        // The device index may have moved while other pads came and went: find ours by its instance.
        const SDL_JoystickID instance = SDL_JoystickInstanceID(joystick);
        for (int i = 0; i < SDL_NumJoysticks(); i++)
        {
            if (SDL_JoystickGetDeviceInstanceID(i) == instance)
            {
                SDL_JoystickDetachVirtual(i);
                break;
            }
        }
        SDL_JoystickClose(joystick);
        joystick = nullptr;
        deviceIndex = -1;
    }
    if (startedJoysticks)
    {
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
        startedJoysticks = false;
    }
}

void VirtualGamepad::SetButton(int button, bool down)
{
    if (joystick && button >= 0 && button < GamepadButtonCount)
        SDL_JoystickSetVirtualButton(joystick, button, down ? SDL_PRESSED : SDL_RELEASED);
}

void VirtualGamepad::SetAxis(int axis, int value)
{
    if (joystick && axis >= 0 && axis < GamepadAxisCount)
        SDL_JoystickSetVirtualAxis(joystick, axis, static_cast<Sint16>(std::clamp(value, -32768, 32767)));
}

} // namespace zest
