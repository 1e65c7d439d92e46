// Shows the screen image in the window: uploads changed areas to a streaming
// ARGB8888 texture and scales it into the window (whole-number scale when windowed,
// fitted and letterboxed in full screen). Owned by the display; main thread only.
#pragma once

#include "graphics/Color.h"

#include <cstdint>
#include <string>

struct SDL_Renderer;
struct SDL_Texture;

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

    // Makes a renderer (the accelerated one when asked for, falling back to the
    // software one) and a width x height streaming texture; vsync asks for presents
    // that wait for the display's refresh. False when neither renderer works (the
    // reason in LastError); the caller then runs without showing.
    [[nodiscard]] bool Init(int width, int height, bool accelerated, bool vsync);
    void Release();
    bool IsReady() const { return texture != nullptr; }
    bool IsAccelerated() const { return accelerated; }
    // Switches waiting for the refresh on or off; answers HasVSync afterwards.
    bool SetVSync(bool on);
    // Whether Present waits for the display's refresh.
    bool HasVSync() const { return vsync; }
    const std::string& RendererName() const { return rendererName; }

    // Opens the area of the texture (clipped to it; the result in clipped) for writing:
    // answers its top-left pixel, rows pitchBytes apart, or null when the area is
    // empty or the texture cannot be locked. Every pixel of clipped must be written,
    // then UnlockArea called.
    uint32_t* LockArea(const Rect& area, int& pitchBytes, Rect& clipped);
    void UnlockArea();
    // Draws the texture into the window and shows it. False when the renderer has
    // lost its device.
    [[nodiscard]] bool Present();

    // Where the picture lies in the window, in window coordinates (the coordinates of
    // mouse events). Empty before Init.
    Rect PresentationRect() const;

    // The picture's place in an output of outWidth x outHeight: the largest
    // whole-number scale when integerOnly (never below 1), else the largest fitting
    // scale keeping the aspect ratio; centred.
    static Rect FitRect(int outWidth, int outHeight, int width, int height, bool integerOnly);

    const std::string& LastError() const { return lastError; }

private:
    Rect OutputRect() const;

    SdlWindow& window;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    int width = 0;
    int height = 0;
    bool accelerated = false;
    bool vsync = false;
    std::string rendererName;
    std::string lastError;
};

} // namespace zest
