#include "platform/EventPump.h"

#include "platform/AudioDevice.h"

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
        Dispatch(event, out);
    }
    return any;
}

void EventPump::Dispatch(const SDL_Event& event, std::vector<WindowMessage>& out)
{
    // Recording devices are none of the output's business.
    const bool output = (event.type == SDL_AUDIODEVICEADDED || event.type == SDL_AUDIODEVICEREMOVED) &&
                        event.adevice.iscapture == 0;
    if (output && audioDevice)
    {
        if (event.type == SDL_AUDIODEVICEREMOVED)
            audioDevice->DeviceRemoved(event.adevice.which);
        else
            audioDevice->DeviceAdded();
        return;
    }
    if (translator.Translate(event, out) == 0)
        gamepads.Translate(event, out);
}

} // namespace zest
