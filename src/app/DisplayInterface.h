// The display: owns the screen image and shows it in the main window through the
// platform presenter. The display lock is the application's live-image lock. Owned
// by the application; main thread (the cursor position may be set from any thread).
#pragma once

#include "base/Color.h"

#include <memory>
#include <mutex>
#include <string>

namespace zest
{

class Clock;
class DisplayImage;
class LiveImageSet;
class Presenter;
class SdlWindow;

class DisplayInterface
{
public:
    // Result codes of Init.
    static constexpr int ResultOk = 0;
    static constexpr int ResultFailed = 1;
    static constexpr int ResultFullScreenUnavailable = 4;
    static constexpr int ResultFullScreenFailed = 5;
    static constexpr int ResultWindowedUnavailable = 6;
    static constexpr int Result3DFailed = 7;

    // A width x height screen image registered in liveImages (may be none).
    DisplayInterface(LiveImageSet* liveImages, int width, int height);
    ~DisplayInterface();
    DisplayInterface(const DisplayInterface&) = delete;
    DisplayInterface& operator=(const DisplayInterface&) = delete;

    // Attaches to the window. Without a window, or when no renderer can be made (a
    // headless server), the display keeps working off screen: drawing and presenting
    // succeed and nothing is shown. Answers a result code; the screen image survives.
    int Init(SdlWindow* window, bool windowed);
    // Shows what changed (and the rectangle, when given; none = the whole screen).
    // False when the display has lost its device.
    bool Present(const Rect* rect);

    DisplayImage* GetScreenImage() const { return screenImage.get(); }
    int GetWidth() const { return width; }
    int GetHeight() const { return height; }
    // Where the picture lies in the window, in window coordinates; the whole
    // screen-sized area off screen.
    Rect GetPresentationRect() const;
    // One refresh of the desktop display.
    int GetMillisecondsPerFrame() const { return millisecondsPerFrame; }
    // The refresh rate of the display the window is on, in Hz.
    int GetRefreshRate() const { return refreshRate; }
    // Asks for presents that wait for the display's refresh (now and after every Init).
    void SetVSync(bool wanted);
    bool IsVSyncWanted() const { return vsyncWanted; }
    // Whether presents really wait for the refresh: asked for and granted.
    bool HasVSync() const;
    // Without a window, presents with vsync wanted wait on clock for the next of hz
    // refreshes a second, as a real display would (hz 0: they return at once).
    void PaceOffscreen(Clock* clock, int hz);
    bool IsShowing() const;
    std::string GetRendererName() const;
    // The lock taken around operations on all images and on the shared-image map.
    std::recursive_mutex& GetLock() const;

    // Makes system windows visible over a full-screen window (it becomes a framed
    // window until RestoreAfterSystemWindows).
    void LetSystemWindowsShow();
    void RestoreAfterSystemWindows();

    bool is3D = false;
    std::string errorName;
    std::string errorText;

private:
    LiveImageSet* liveImages;
    int width;
    int height;
    std::unique_ptr<DisplayImage> screenImage;
    std::unique_ptr<Presenter> presenter;
    SdlWindow* window = nullptr;
    int millisecondsPerFrame = 16;
    int refreshRate = 60;
    bool vsyncWanted = false;
    Clock* paceClock = nullptr;
    bool leftFullScreen = false;
    mutable std::recursive_mutex ownLock; // used when there is no live-image set
};

} // namespace zest
