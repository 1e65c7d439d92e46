// The main window: an SDL window with a fixed client size, shown windowed or as a
// desktop full-screen window. Holds a reference on SDL's video subsystem for its
// lifetime. Owned by the application; main thread only.
#pragma once

#include "base/Color.h"

#include <cstdint>
#include <string>

struct SDL_Window;

namespace zest
{

class SdlWindow
{
public:
    SdlWindow();
    ~SdlWindow();
    SdlWindow(const SdlWindow&) = delete;
    SdlWindow& operator=(const SdlWindow&) = delete;

    // Whether SDL's video subsystem started; false leaves every call harmless.
    bool HasVideo() const { return videoStarted; }
    // The video driver's name ("x11", "wayland", "dummy", ...), empty without video.
    std::string DriverName() const;

    // Opens the window hidden. Windowed: a framed window with a client area of
    // clientWidth x clientHeight pixels at (x, y) in desktop coordinates. Full screen:
    // a borderless desktop-sized window on the display (the display mode is never
    // changed). Returns false with the reason in LastError.
    [[nodiscard]] bool Create(const std::string& title, int x, int y, int clientWidth, int clientHeight,
                              bool fullScreen);
    void Destroy();
    bool IsOpen() const { return window != nullptr; }

    uint32_t Id() const;
    SDL_Window* Handle() const { return window; }

    void SetTitle(const std::string& title);
    void Show();
    void Hide();
    // Brings the window to the front and asks for the keyboard focus.
    void Raise();
    void Minimize();
    void Restore();
    bool IsMinimized() const;
    bool IsShown() const;
    bool HasInputFocus() const;
    bool IsFullScreen() const;
    // Switches between a framed window and desktop full screen; false when refused.
    [[nodiscard]] bool SetFullScreen(bool fullScreen);

    // Client size in window coordinates (what mouse events use) and in pixels (what
    // the renderer draws); they differ on high-DPI displays.
    Point ClientSize() const;
    Point PixelSize() const;
    // The window's position on the desktop (top-left of the client area).
    Point Position() const;
    // Keeps mouse events coming while a button is held outside the window.
    void CaptureMouse(bool capture);
    // Whether the mouse is over the client area, and where (window coordinates).
    bool IsMouseInside() const;
    // Puts the system pointer at (x, y) in window pixels; the system reports the move as a mouse motion.
    void WarpMouse(int x, int y);
    Point MousePosition() const;

    // The usable desktop area of the primary display (without panels and docks) and its
    // full bounds.
    Rect DesktopWorkArea() const;
    Rect DesktopBounds() const;
    // The refresh rate in Hz of the display the window is on (60 when unknown, the rate
    // SDL then paces vsynced presents at).
    int DisplayRefreshRate() const;

    const std::string& LastError() const { return lastError; }

    // The largest whole scale s >= 1 at which an s*width x s*height client area plus
    // the window frame fits the work area.
    static int IntegerScaleFor(const Rect& workArea, int width, int height);

private:
    // SDL chose a driver that shows nothing (off-screen, dummy) without being asked for it by name.
    static bool FellBackToInvisibleDriver();
    // What the user needs to hear when no display was found: which variables were tried.
    static std::string NoDisplayReason();
    SDL_Window* window = nullptr;
    bool videoStarted = false;
    // Where the window goes when it leaves full screen.
    Rect windowedRect;
    std::string lastError;
};

} // namespace zest
