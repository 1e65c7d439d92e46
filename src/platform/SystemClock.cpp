#include "platform/SystemClock.h"

#include "platform/FrameDriver.h"

#include <SDL.h>

namespace zest
{

uint64_t SystemClock::Now()
{
    // SDL_GetTicks64 starts its own timer on first use, so no SDL_Init is needed.
    return SDL_GetTicks64();
}

void SystemClock::Sleep(uint32_t ms)
{
    // A page must not block: the loop's sleep ends the animation frame instead (SDL_Delay would
    // spin there).
    if (BrowserDrivesFrames())
        RequestFrameYield();
    else
        SDL_Delay(ms);
}

SystemClock& SystemClock::Instance()
{
    static SystemClock clock;
    return clock;
}

} // namespace zest
