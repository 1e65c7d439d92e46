// Fetches the waiting system events and hands them on as message records. Owned by
// the application; main thread only (SDL delivers events to the thread that made
// the window).
#pragma once

#include "platform/EventTranslator.h"
#include "platform/GamepadManager.h"
#include "platform/WindowMessage.h"

#include <vector>

namespace zest
{

class AudioDevice;

class EventPump
{
public:
    // Appends the messages of every waiting event (at most maxEvents events, so a
    // flood cannot stall the loop) and returns whether any event was read. Nothing
    // happens when SDL's event system is not running.
    bool Poll(std::vector<WindowMessage>& out, int maxEvents = 256);

    // The audio output that hears of output devices removed and added; none (nullptr) by default.
    // Not owned: the application clears it before destroying the device.
    void SetAudioDevice(AudioDevice* device) { audioDevice = device; }
    // Gamepads report from the next Poll on (those plugged in already first); false when
    // the system has no game controller support.
    [[nodiscard]] bool StartGamepads() { return gamepads.Start(); }
    const GamepadManager& Gamepads() const { return gamepads; }

private:
    // Output devices removed and added go to the audio device; other events are translated.
    void Dispatch(const SDL_Event& event, std::vector<WindowMessage>& out);

    EventTranslator translator;
    AudioDevice* audioDevice = nullptr;
    GamepadManager gamepads;
};

} // namespace zest
