#include "platform/FrameDriver.h"

#ifdef __EMSCRIPTEN__
#include <emscripten.h>

// The page's side (src/platform/web/ZestLibrary.js).
extern "C" void zest_page_ended();
extern "C" void zest_page_demo_ended(int updates, int draws, const char* stopReason);
#endif

#include <utility>

namespace zest
{

namespace
{

bool frameYield = false;
int counters[4] = {0, 0, 0, 0};
std::function<void()> pageHidden;

#ifdef __EMSCRIPTEN__
struct BrowserLoop
{
    std::function<bool()> frame;
    std::function<void()> done;
};

BrowserLoop browserLoop;

void BrowserFrame()
{
    if (browserLoop.frame && browserLoop.frame())
        return;
    emscripten_cancel_main_loop();
    // Moved out first: done may start another loop.
    auto done = std::move(browserLoop.done);
    browserLoop = BrowserLoop();
    if (done)
        done();
    zest_page_ended();
}
#endif

} // namespace

bool BrowserDrivesFrames()
{
#ifdef __EMSCRIPTEN__
    return true;
#else
    return false;
#endif
}

void RunBrowserFrames(std::function<bool()> frame, std::function<void()> done)
{
#ifdef __EMSCRIPTEN__
    browserLoop.frame = std::move(frame);
    browserLoop.done = std::move(done);
    // 0 frames a second: the browser's own animation frames (requestAnimationFrame), which stop in a
    // hidden tab. The simulated infinite loop leaves main() without running its destructors, so the
    // application lives on between frames.
    emscripten_set_main_loop(BrowserFrame, 0, 1);
#else
    // The desktop loops itself; nothing calls this there, but it must still run the work it is given.
    while (frame())
    {
    }
    done();
#endif
}

void PublishFrameCounters(int updates, int draws, int loadingPermille)
{
    counters[0] = updates;
    counters[1] = draws;
    counters[2]++;
    counters[3] = loadingPermille;
}

void PublishDemoEnd(int updates, int draws, const std::string& stopReason)
{
#ifdef __EMSCRIPTEN__
    zest_page_demo_ended(updates, draws, stopReason.c_str());
#else
    (void)updates;
    (void)draws;
    (void)stopReason;
#endif
}

void SetPageHiddenHandler(std::function<void()> handler)
{
    pageHidden = std::move(handler);
}

void RequestFrameYield()
{
    frameYield = true;
}

bool FrameYieldRequested()
{
    return frameYield;
}

void ClearFrameYield()
{
    frameYield = false;
}

} // namespace zest

#ifdef __EMSCRIPTEN__
extern "C" EMSCRIPTEN_KEEPALIVE int zest_page_counter(int which)
{
    return which >= 0 && which < 4 ? zest::counters[which] : -1;
}

// The page calls this on visibilitychange (hidden) and pagehide.
extern "C" EMSCRIPTEN_KEEPALIVE void zest_page_hidden()
{
    if (zest::pageHidden)
        zest::pageHidden();
}
#endif
