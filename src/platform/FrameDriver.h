// Who owns the frame: on the desktop the application's own blocking loop, in the browser the page's
// animation frames (a page must return to the browser after every frame). Main thread.
#pragma once

#include <functional>
#include <string>

namespace zest
{

// True where the caller must hand its loop to RunBrowserFrames instead of looping itself.
bool BrowserDrivesFrames();

// Calls frame once per animation frame until it answers false, then done (once). Never returns in the
// browser: main() is left without destroying anything, and the page keeps running.
void RunBrowserFrames(std::function<bool()> frame, std::function<void()> done);

// The loop's state after a browser frame, for the page's test hook (Module._zest_page_counter:
// 0 updates, 1 draws, 2 frames, 3 loading progress in thousandths).
void PublishFrameCounters(int updates, int draws, int loadingPermille);

// A demo's replay ended after updates updates and draws draws: stopReason is empty where it played to
// its end, else why it stopped. The page hears of it whatever the log level (its test hook keeps the
// picture the replay ended on); nothing on the desktop, whose harness asks the application.
void PublishDemoEnd(int updates, int draws, const std::string& stopReason);

// Called when the page is hidden or left (a reload, a closed tab, a switch to another tab): the last
// chance to save, since a page gets no orderly exit. Browser only; an empty handler removes it.
void SetPageHiddenHandler(std::function<void()> handler);

// A sleep of the main loop in the browser: the rest of this frame's work waits for the next frame.
void RequestFrameYield();
// Whether a sleep was asked for since the last ClearFrameYield.
bool FrameYieldRequested();
void ClearFrameYield();

} // namespace zest
