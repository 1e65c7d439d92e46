// Shows the screen image in the window, whole-number scaled when windowed and fitted
// and letterboxed in full screen. Two ways: straight into the window surface, scaled
// by our own code (the default, and where an "accelerated" renderer is only a CPU
// rasteriser), or through an accelerated SDL renderer on real graphics hardware. It
// keeps the last picture it was given, so pixels that did not change never travel
// and a frame with no changed pixel is not shown again. Owned by the display; main
// thread only.
#pragma once

#include "base/Color.h"

#include <cstdint>
#include <string>
#include <vector>

struct SDL_Renderer;
struct SDL_Texture;
union SDL_Event;

namespace zest
{

class SdlWindow;

class Presenter
{
public:
    explicit Presenter(SdlWindow& window);
    ~Presenter();
    Presenter(const Presenter&) = delete;
    Presenter& operator=(const Presenter&) = delete;

    // Gets ready to show a width x height picture: through the accelerated renderer
    // when asked for and it runs on graphics hardware, otherwise straight into the
    // window surface, and through SDL's software renderer when the window has no
    // usable surface. vsync asks a renderer for presents that wait for the display's
    // refresh; the window surface never waits (HasVSync says which). False when nothing
    // works (the reason in LastError); the caller then runs without showing.
    [[nodiscard]] bool Init(int width, int height, bool accelerated, bool vsync);
    void Release();
    bool IsReady() const { return path != Path::None; }
    bool IsAccelerated() const { return accelerated; }
    // Switches waiting for the refresh on or off (a renderer only); answers HasVSync afterwards.
    bool SetVSync(bool on);
    // Whether Present waits for the display's refresh.
    bool HasVSync() const { return vsync; }
    // Whether the picture goes straight into the window surface.
    bool IsDirect() const { return path == Path::Direct; }
    // "direct" for the window surface, else the SDL renderer's name.
    const std::string& RendererName() const { return rendererName; }

    // Opens the area of the picture (clipped to it; the result in clipped) for writing:
    // answers its top-left pixel, rows pitchBytes apart, or null when the area is empty
    // or nothing is ready. Every pixel of clipped must be written, then UnlockArea
    // called, which keeps the rows that differ from the picture already shown.
    uint32_t* LockArea(const Rect& area, int& pitchBytes, Rect& clipped);
    void UnlockArea();
    // Shows the picture when a pixel changed since the last time (or after Invalidate).
    // False when the renderer or window surface is lost.
    [[nodiscard]] bool Present();
    // The next Present shows the whole picture even if no pixel changed. Happens by itself
    // when the window is uncovered, shown or resized.
    void Invalidate() { showAll = true; }
    // Whether the next Present would show anything.
    bool HasChanges() const { return showAll || !changed.IsEmpty(); }
    // How many times the picture was handed to the window.
    uint64_t PresentCount() const { return presentCount; }

    // Where the picture lies in the window, in window coordinates (the coordinates of
    // mouse events). Empty before Init.
    Rect PresentationRect() const;

    // The picture's place in an output of outWidth x outHeight: the largest
    // whole-number scale when integerOnly (never below 1), else the largest fitting
    // scale keeping the aspect ratio; centred.
    static Rect FitRect(int outWidth, int outHeight, int width, int height, bool integerOnly);

    const std::string& LastError() const { return lastError; }

private:
    enum class Path
    {
        None,
        Direct,
        Renderer,
    };

    static int OnEvent(void* self, SDL_Event* event);
    bool InitRenderer(bool wantAccelerated, bool wantVSync);
    bool InitDirect();
    bool PresentRenderer();
    bool PresentDirect();
    Rect OutputRect() const;

    SdlWindow& window;
    Path path = Path::None;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    int width = 0;
    int height = 0;
    bool accelerated = false;
    bool vsync = false;
    std::vector<uint32_t> picture; // what the window shows (or will at the next Present)
    std::vector<uint32_t> staging; // the area open for writing
    Rect lockedArea;
    Rect changed;        // pixels of picture not yet shown
    bool showAll = true; // show the whole picture at the next Present
    int surfaceWidth = 0;
    int surfaceHeight = 0;
    uint64_t presentCount = 0;
    bool watching = false; // window events reach OnEvent
    std::string rendererName;
    std::string lastError;
};

} // namespace zest
