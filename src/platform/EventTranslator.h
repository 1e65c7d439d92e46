// Turns SDL events into the application's queued message records, with keys as
// virtual-key numbers. Keeps the few bits of state Windows carries in its messages
// (buttons and modifiers held). Owned by the event pump; main thread only.
#pragma once

#include "platform/WindowMessage.h"

#include <vector>

union SDL_Event;

namespace zest
{

class EventTranslator
{
public:
    // Appends the messages the event stands for (none, one or several) and returns
    // how many were appended.
    int Translate(const SDL_Event& event, std::vector<WindowMessage>& out);

    // The virtual-key number of an SDL key (keycode first, scancode as fallback for
    // letters on non-Latin layouts); 0 when the key has none.
    static int VirtualKeyFor(int sdlKeycode, int sdlScancode);

private:
    void TranslateKey(const SDL_Event& event, std::vector<WindowMessage>& out);
    void TranslateText(const SDL_Event& event, std::vector<WindowMessage>& out);
    void TranslateWindowEvent(const SDL_Event& event, std::vector<WindowMessage>& out);
    uint64_t MouseKeyState() const;

    uint32_t buttonsHeld = 0; // MK_ bits of the mouse buttons
    bool shiftDown = false;
    bool ctrlDown = false;
    bool altDown = false;
};

} // namespace zest
