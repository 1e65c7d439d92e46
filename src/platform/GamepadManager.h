// Game controllers through SDL's game controller API: opens each pad as it is plugged in (those
// present at Start arrive the same way), closes it when it goes, and turns its buttons and axes
// into queued messages (WM_GAMEPAD*). Owned by the event pump; main thread only.
#pragma once

#include "platform/Gamepad.h"
#include "platform/WindowMessage.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

union SDL_Event;
struct _SDL_GameController;

namespace zest
{

class GamepadManager
{
public:
    // An axis message is sent only when its value moved by at least this much (or reached
    // zero or an end), so a trembling stick does not flood the queue and the demos.
    static constexpr int AxisStep = 256;

    GamepadManager() = default;
    GamepadManager(const GamepadManager&) = delete;
    GamepadManager& operator=(const GamepadManager&) = delete;
    // Closes the open pads and stops the subsystem when Start started it.
    ~GamepadManager();

    // Starts SDL's game controller subsystem; false (and no pads, ever) when it cannot.
    // The pads already plugged in are then reported by the next events.
    [[nodiscard]] bool Start();
    bool IsStarted() const { return started; }

    // Appends the messages a controller event stands for and returns how many; other
    // events append nothing. A pad that goes first releases what it held.
    int Translate(const SDL_Event& event, std::vector<WindowMessage>& out);

    // Pads open now.
    int Count() const;
    bool IsConnected(int slot) const;
    // The pad's product name; empty for a slot with no pad.
    std::string Name(int slot) const;

private:
    struct Pad
    {
        _SDL_GameController* controller = nullptr;
        int32_t instance = -1;
        std::array<bool, GamepadButtonCount> held{};
        std::array<int, GamepadAxisCount> axes{};
    };

    int SlotOf(int32_t instance) const;
    void Open(int deviceIndex, std::vector<WindowMessage>& out);
    void Close(int slot, std::vector<WindowMessage>& out);

    std::array<Pad, MaxGamepads> pads{};
    bool started = false;
};

} // namespace zest
