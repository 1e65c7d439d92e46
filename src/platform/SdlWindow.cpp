#include "platform/SdlWindow.h"

#include "platform/Log.h"
#include "platform/SystemCursor.h"

#include <SDL.h>

#ifdef __EMSCRIPTEN__
// The page's side (src/platform/web/ZestLibrary.js).
extern "C" int zest_page_is_full_screen();
extern "C" void zest_page_set_full_screen(int on);
#endif

namespace zest
{

namespace
{
// Room left for a title bar and borders when choosing the window scale; the frame
// size is only known once a window exists.
constexpr int FrameAllowanceX = 16;
constexpr int FrameAllowanceY = 48;
} // namespace

SdlWindow::SdlWindow()
{
    // Keep SIGINT/SIGTERM turned into a quit event, and keep a full-screen window up
    // when it loses the focus (the application decides what focus loss means).
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "0");
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0)
        videoStarted = true;
    else
        lastError = SDL_GetError();
    if (videoStarted && FellBackToInvisibleDriver())
    {
        // With no display SDL settles on its off-screen driver: the game would run on, shown nowhere.
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        videoStarted = false;
        lastError = NoDisplayReason();
    }
    if (!videoStarted)
        Logf(LogLevel::Error, "video start failed: %s", lastError.c_str());
}

std::string SdlWindow::NoDisplayReason()
{
    const char* x11 = SDL_getenv("DISPLAY");
    const char* wayland = SDL_getenv("WAYLAND_DISPLAY");
    if ((!x11 || !*x11) && (!wayland || !*wayland))
        return "no display to show the window on (neither DISPLAY nor WAYLAND_DISPLAY is set)";
    std::string reason = "no display could be opened (";
    if (x11 && *x11)
        reason += std::string("DISPLAY=") + x11 + ((wayland && *wayland) ? ", " : "");
    if (wayland && *wayland)
        reason += std::string("WAYLAND_DISPLAY=") + wayland;
    return reason + ")";
}

bool SdlWindow::FellBackToInvisibleDriver()
{
    // Asked for by name (tests, the play harness, a headless server) they are what the user wants.
    const char* asked = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    if (asked && *asked)
        return false;
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && (SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0);
}

SdlWindow::~SdlWindow()
{
    Destroy();
    if (videoStarted)
    {
        FreeSystemCursors();
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
}

std::string SdlWindow::DriverName() const
{
    const char* name = videoStarted ? SDL_GetCurrentVideoDriver() : nullptr;
    return name ? name : "";
}

bool SdlWindow::Create(const std::string& title, int x, int y, int clientWidth, int clientHeight, bool fullScreen)
{
    if (!videoStarted)
        return false;
    Destroy();
    Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI;
    if (fullScreen)
    {
        // Ask for the desktop's size too: without a window manager nothing else makes the
        // window cover the screen, and the picture would be cut to the windowed size.
        Rect bounds = DesktopBounds();
        Rect work = DesktopWorkArea();
        int scale = IntegerScaleFor(work, clientWidth, clientHeight);
        windowedRect = Rect(work.x + (work.width - clientWidth * scale) / 2,
                            work.y + (work.height - clientHeight * scale) / 2, clientWidth * scale,
                            clientHeight * scale);
        x = bounds.x;
        y = bounds.y;
        clientWidth = bounds.width;
        clientHeight = bounds.height;
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    }
    else
    {
        windowedRect = Rect(x, y, clientWidth, clientHeight);
    }
    window = SDL_CreateWindow(title.c_str(), x, y, clientWidth, clientHeight, flags);
    if (!window)
    {
        lastError = SDL_GetError();
        Logf(LogLevel::Error, "window creation failed: %s", lastError.c_str());
        return false;
    }
    return true;
}

void SdlWindow::Destroy()
{
    if (window)
    {
        SDL_DestroyWindow(window);
        window = nullptr;
    }
}

uint32_t SdlWindow::Id() const
{
    return window ? SDL_GetWindowID(window) : 0;
}

void SdlWindow::SetTitle(const std::string& title)
{
    if (window)
        SDL_SetWindowTitle(window, title.c_str());
}

void SdlWindow::Show()
{
    if (window)
        SDL_ShowWindow(window);
}

void SdlWindow::Hide()
{
    if (window)
        SDL_HideWindow(window);
}

void SdlWindow::Raise()
{
    if (window)
        SDL_RaiseWindow(window);
}

void SdlWindow::Minimize()
{
    if (window)
        SDL_MinimizeWindow(window);
}

void SdlWindow::Restore()
{
    if (window)
        SDL_RestoreWindow(window);
}

bool SdlWindow::IsMinimized() const
{
    return window && (SDL_GetWindowFlags(window) & SDL_WINDOW_MINIMIZED) != 0;
}

bool SdlWindow::IsShown() const
{
    return window && (SDL_GetWindowFlags(window) & SDL_WINDOW_SHOWN) != 0;
}

bool SdlWindow::HasInputFocus() const
{
    return window && (SDL_GetWindowFlags(window) & SDL_WINDOW_INPUT_FOCUS) != 0;
}

bool SdlWindow::IsFullScreen() const
{
#ifdef __EMSCRIPTEN__
    return window && zest_page_is_full_screen() != 0;
#else
    return window && (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0;
#endif
}

bool SdlWindow::SetFullScreen(bool fullScreen)
{
    if (!window)
        return false;
#ifdef __EMSCRIPTEN__
    // The browser's own full screen, of the page's game area: the canvas keeps its 640 x 480 pixels and
    // the page scales it, as it does in the window.
    zest_page_set_full_screen(fullScreen ? 1 : 0);
    return true;
#endif
    // The size and place are set by hand both ways: without a window manager the switch alone
    // neither covers the desktop nor gives the windowed size back.
    if (fullScreen && !IsFullScreen())
    {
        Point position = Position();
        Point size = ClientSize();
        windowedRect = Rect(position.x, position.y, size.x, size.y);
        Rect bounds = DesktopBounds();
        SDL_SetWindowPosition(window, bounds.x, bounds.y);
        SDL_SetWindowSize(window, bounds.width, bounds.height);
    }
    if (SDL_SetWindowFullscreen(window, fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0)
    {
        lastError = SDL_GetError();
        return false;
    }
    if (!fullScreen && !windowedRect.IsEmpty())
    {
        SDL_SetWindowSize(window, windowedRect.width, windowedRect.height);
        SDL_SetWindowPosition(window, windowedRect.x, windowedRect.y);
    }
    return true;
}

Point SdlWindow::ClientSize() const
{
    Point size;
    if (window)
        SDL_GetWindowSize(window, &size.x, &size.y);
    return size;
}

Point SdlWindow::PixelSize() const
{
    Point size;
    if (window)
        SDL_GetWindowSizeInPixels(window, &size.x, &size.y);
    return size;
}

Point SdlWindow::Position() const
{
    Point position;
    if (window)
        SDL_GetWindowPosition(window, &position.x, &position.y);
    return position;
}

void SdlWindow::CaptureMouse(bool capture)
{
    if (window)
        SDL_CaptureMouse(capture ? SDL_TRUE : SDL_FALSE);
}

bool SdlWindow::IsMouseInside() const
{
    return window && SDL_GetMouseFocus() == window;
}

void SdlWindow::WarpMouse(int x, int y)
{
    if (window)
        SDL_WarpMouseInWindow(window, x, y);
}

Point SdlWindow::MousePosition() const
{
    Point position;
    if (!window)
        return position;
    int globalX = 0;
    int globalY = 0;
    SDL_GetGlobalMouseState(&globalX, &globalY);
    Point origin = Position();
    return Point(globalX - origin.x, globalY - origin.y);
}

Rect SdlWindow::DesktopWorkArea() const
{
    SDL_Rect r{0, 0, 0, 0};
    if (!videoStarted || SDL_GetDisplayUsableBounds(0, &r) != 0 || r.w <= 0 || r.h <= 0)
        return DesktopBounds();
    return Rect(r.x, r.y, r.w, r.h);
}

Rect SdlWindow::DesktopBounds() const
{
    SDL_Rect r{0, 0, 0, 0};
    if (!videoStarted || SDL_GetDisplayBounds(0, &r) != 0 || r.w <= 0 || r.h <= 0)
        return Rect(0, 0, 1024, 768); // a sane desktop when the driver knows none
    return Rect(r.x, r.y, r.w, r.h);
}

int SdlWindow::DisplayRefreshRate() const
{
    // The mode of the display the window is on (the first one before there is a window).
    SDL_DisplayMode mode;
    int index = window ? SDL_GetWindowDisplayIndex(window) : 0;
    if (!videoStarted || SDL_GetCurrentDisplayMode(index < 0 ? 0 : index, &mode) != 0 || mode.refresh_rate <= 0)
        return 60;
    return mode.refresh_rate;
}

int SdlWindow::IntegerScaleFor(const Rect& workArea, int width, int height)
{
#ifdef __EMSCRIPTEN__
    // The page scales the canvas (on the graphics card, by whole multiples where they fit); the
    // program draws at its own size.
    return 1;
#endif
    if (width <= 0 || height <= 0)
        return 1;
    int byWidth = (workArea.width - FrameAllowanceX) / width;
    int byHeight = (workArea.height - FrameAllowanceY) / height;
    int scale = byWidth < byHeight ? byWidth : byHeight;
    return scale < 1 ? 1 : scale;
}

} // namespace zest
