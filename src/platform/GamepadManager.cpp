#include "platform/GamepadManager.h"

#include "platform/Log.h"

#include <SDL.h>

#include <cstdlib>

namespace zest
{

// The framework's numbering is SDL's, so events pass through without a table.
static_assert(static_cast<int>(GamepadA) == SDL_CONTROLLER_BUTTON_A &&
              static_cast<int>(GamepadDPadRight) == SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
static_assert(static_cast<int>(GamepadLeftX) == SDL_CONTROLLER_AXIS_LEFTX &&
              static_cast<int>(GamepadRightTrigger) == SDL_CONTROLLER_AXIS_TRIGGERRIGHT);

GamepadManager::~GamepadManager()
{
    if (!started)
        return;
    for (Pad& pad : pads)
    {
        if (pad.controller)
            SDL_GameControllerClose(pad.controller);
    }
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

bool GamepadManager::Start()
{
    if (started)
        return true;
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0)
    {
        Logf(LogLevel::Info, "no gamepads: %s", SDL_GetError());
        return false;
    }
    started = true;
    return true;
}

int GamepadManager::SlotOf(int32_t instance) const
{
    for (size_t i = 0; i < pads.size(); i++)
    {
        if (pads[i].controller && pads[i].instance == instance)
            return static_cast<int>(i);
    }
    return -1;
}

void GamepadManager::Open(int deviceIndex, std::vector<WindowMessage>& out)
{
    // The same pad can be announced twice (present at start and reported again).
    if (SlotOf(SDL_JoystickGetDeviceInstanceID(deviceIndex)) >= 0)
        return;
    size_t slot = 0;
    while (slot < pads.size() && pads[slot].controller)
        slot++;
    if (slot == pads.size())
    {
        Logf(LogLevel::Warning, "gamepad ignored: %d are in use already", MaxGamepads);
        return;
    }
    SDL_GameController* controller = SDL_GameControllerOpen(deviceIndex);
    if (!controller)
    {
        Logf(LogLevel::Warning, "cannot open the gamepad %d: %s", deviceIndex, SDL_GetError());
        return;
    }
    Pad& pad = pads[slot];
    pad = Pad{};
    pad.controller = controller;
    pad.instance = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
    const char* name = SDL_GameControllerName(controller);
    Logf(LogLevel::Info, "gamepad %d: %s", static_cast<int>(slot), name ? name : "(no name)");
    out.push_back({0, WM_GAMEPADADDED, MakeGamepadParam(static_cast<int>(slot), 0), 0});
}

void GamepadManager::Close(int slot, std::vector<WindowMessage>& out)
{
    Pad& pad = pads[static_cast<size_t>(slot)];
    // Whatever the pad held is let go, so no button stays down and no stick keeps pushing.
    for (int button = 0; button < GamepadButtonCount; button++)
    {
        if (pad.held[static_cast<size_t>(button)])
            out.push_back({0, WM_GAMEPADBUTTONUP, MakeGamepadParam(slot, button), 0});
    }
    for (int axis = 0; axis < GamepadAxisCount; axis++)
    {
        if (pad.axes[static_cast<size_t>(axis)] != 0)
            out.push_back({0, WM_GAMEPADAXIS, MakeGamepadParam(slot, axis), 0});
    }
    out.push_back({0, WM_GAMEPADREMOVED, MakeGamepadParam(slot, 0), 0});
    SDL_GameControllerClose(pad.controller);
    pad = Pad{};
}

int GamepadManager::Translate(const SDL_Event& event, std::vector<WindowMessage>& out)
{
    size_t before = out.size();
    switch (event.type)
    {
    case SDL_CONTROLLERDEVICEADDED:
        Open(event.cdevice.which, out);
        break;
    case SDL_CONTROLLERDEVICEREMOVED:
    {
        int slot = SlotOf(event.cdevice.which);
        if (slot >= 0)
            Close(slot, out);
        break;
    }
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
    {
        int slot = SlotOf(event.cbutton.which);
        int button = event.cbutton.button;
        if (slot < 0 || button < 0 || button >= GamepadButtonCount)
            break; // extra buttons (paddles, touchpad) have no framework name
        bool down = event.type == SDL_CONTROLLERBUTTONDOWN;
        bool& held = pads[static_cast<size_t>(slot)].held[static_cast<size_t>(button)];
        if (held == down)
            break;
        held = down;
        out.push_back({0, down ? WM_GAMEPADBUTTONDOWN : WM_GAMEPADBUTTONUP, MakeGamepadParam(slot, button), 0});
        break;
    }
    case SDL_CONTROLLERAXISMOTION:
    {
        int slot = SlotOf(event.caxis.which);
        int axis = event.caxis.axis;
        if (slot < 0 || axis < 0 || axis >= GamepadAxisCount)
            break;
        // A stick barely off the centre counts as centred, so a stick let go always reports zero.
        int value = std::abs(static_cast<int>(event.caxis.value)) < AxisStep ? 0 : event.caxis.value;
        int& last = pads[static_cast<size_t>(slot)].axes[static_cast<size_t>(axis)];
        bool atEnd = value == 0 || value == 32767 || value == -32768;
        if (value == last || (!atEnd && std::abs(value - last) < AxisStep))
            break;
        last = value;
        out.push_back({0, WM_GAMEPADAXIS, MakeGamepadParam(slot, axis), value});
        break;
    }
    default:
        break;
    }
    return static_cast<int>(out.size() - before);
}

int GamepadManager::Count() const
{
    int count = 0;
    for (const Pad& pad : pads)
        count += pad.controller ? 1 : 0;
    return count;
}

bool GamepadManager::IsConnected(int slot) const
{
    return slot >= 0 && slot < MaxGamepads && pads[static_cast<size_t>(slot)].controller;
}

std::string GamepadManager::Name(int slot) const
{
    if (!IsConnected(slot))
        return {};
    const char* name = SDL_GameControllerName(pads[static_cast<size_t>(slot)].controller);
    return name ? name : "";
}

} // namespace zest
