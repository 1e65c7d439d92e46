#include "platform/EventPump.h"

#include <SDL.h>

namespace zest
{

bool EventPump::Poll(std::vector<WindowMessage>& out, int maxEvents)
{
    if (!SDL_WasInit(SDL_INIT_EVENTS))
        return false;
    bool any = false;
    SDL_Event event;
    for (int i = 0; i < maxEvents && SDL_PollEvent(&event); i++)
    {
        any = true;
        if (translator.Translate(event, out) == 0)
            gamepads.Translate(event, out);
    }
    return any;
}

} // namespace zest
