#include "platform/Presenter.h"

#include "platform/Log.h"
#include "platform/SdlWindow.h"

#include <SDL.h>

#include <algorithm>

namespace zest
{

Presenter::Presenter(SdlWindow& w) : window(w)
{
}

Presenter::~Presenter()
{
    Release();
}

void Presenter::Release()
{
    if (texture)
        SDL_DestroyTexture(texture);
    if (renderer)
        SDL_DestroyRenderer(renderer);
    texture = nullptr;
    renderer = nullptr;
    accelerated = false;
    vsync = false;
    rendererName.clear();
}

bool Presenter::Init(int w, int h, bool wantAccelerated, bool wantVSync)
{
    Release();
    if (!window.Handle() || w <= 0 || h <= 0)
    {
        lastError = "no window";
        return false;
    }
    width = w;
    height = h;
    Uint32 vsyncFlag = wantVSync ? SDL_RENDERER_PRESENTVSYNC : 0;
    if (wantAccelerated)
        renderer = SDL_CreateRenderer(window.Handle(), -1, SDL_RENDERER_ACCELERATED | vsyncFlag);
    if (!renderer)
    {
        // The software renderer is the reference path and works on every driver that
        // offers a window surface, SDL's dummy driver included.
        if (wantAccelerated)
            Logf(LogLevel::Warning, "accelerated renderer unavailable (%s); using the software one", SDL_GetError());
        renderer = SDL_CreateRenderer(window.Handle(), -1, SDL_RENDERER_SOFTWARE | vsyncFlag);
    }
    if (!renderer)
    {
        lastError = SDL_GetError();
        return false;
    }
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(renderer, &info) == 0)
    {
        rendererName = info.name ? info.name : "";
        accelerated = (info.flags & SDL_RENDERER_ACCELERATED) != 0;
        vsync = (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0;
    }
    // A renderer made without vsync of its own (the software one) gets it paced by SDL
    // at the display's rate once asked explicitly; and SDL's vsync hint, left behind by
    // an earlier renderer, may have given vsync to one made without it.
    if (vsync != wantVSync)
        SetVSync(wantVSync);
    texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, w, h);
    if (!texture)
    {
        lastError = SDL_GetError();
        Release();
        return false;
    }
    // The screen's alpha channel is bookkeeping of the drawing code, not transparency.
    SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_NONE);
    return true;
}

bool Presenter::SetVSync(bool on)
{
    if (!renderer)
        return false;
    if (SDL_RenderSetVSync(renderer, on ? 1 : 0) != 0)
    {
        lastError = SDL_GetError();
        Logf(LogLevel::Warning, "cannot switch vertical sync %s: %s", on ? "on" : "off", lastError.c_str());
    }
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(renderer, &info) == 0)
        vsync = (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0;
    return vsync;
}

uint32_t* Presenter::LockArea(const Rect& area, int& pitchBytes, Rect& clipped)
{
    clipped = area.Intersection(Rect(0, 0, width, height));
    if (!texture || clipped.IsEmpty())
        return nullptr;
    SDL_Rect r{clipped.x, clipped.y, clipped.width, clipped.height};
    void* pixels = nullptr;
    // Streaming textures keep their other pixels, so only the changed area travels.
    if (SDL_LockTexture(texture, &r, &pixels, &pitchBytes) != 0)
    {
        lastError = SDL_GetError();
        return nullptr;
    }
    return static_cast<uint32_t*>(pixels);
}

void Presenter::UnlockArea()
{
    if (texture)
        SDL_UnlockTexture(texture);
}

Rect Presenter::OutputRect() const
{
    int outWidth = 0;
    int outHeight = 0;
    if (!renderer || SDL_GetRendererOutputSize(renderer, &outWidth, &outHeight) != 0)
        return Rect();
    return FitRect(outWidth, outHeight, width, height, !window.IsFullScreen());
}

bool Presenter::Present()
{
    if (!texture)
        return false;
    Rect target = OutputRect();
    if (target.IsEmpty())
        return true; // a minimised window has no area to show
    bool wholeScale = target.width % width == 0 && target.height % height == 0;
    SDL_SetTextureScaleMode(texture, wholeScale ? SDL_ScaleModeNearest : SDL_ScaleModeLinear);
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_Rect dst{target.x, target.y, target.width, target.height};
    if (SDL_RenderClear(renderer) != 0 || SDL_RenderCopy(renderer, texture, nullptr, &dst) != 0)
    {
        lastError = SDL_GetError();
        return false;
    }
    SDL_RenderPresent(renderer);
    return true;
}

Rect Presenter::PresentationRect() const
{
    Rect pixelsRect = OutputRect();
    Point client = window.ClientSize();
    Point pixelSize = window.PixelSize();
    if (pixelsRect.IsEmpty() || pixelSize.x <= 0 || pixelSize.y <= 0)
        return pixelsRect;
    // Output pixels to window coordinates (high-DPI displays have more pixels).
    auto scaleX = [&](int v) { return static_cast<int>(static_cast<int64_t>(v) * client.x / pixelSize.x); };
    auto scaleY = [&](int v) { return static_cast<int>(static_cast<int64_t>(v) * client.y / pixelSize.y); };
    return Rect(scaleX(pixelsRect.x), scaleY(pixelsRect.y), scaleX(pixelsRect.width), scaleY(pixelsRect.height));
}

Rect Presenter::FitRect(int outWidth, int outHeight, int w, int h, bool integerOnly)
{
    if (outWidth <= 0 || outHeight <= 0 || w <= 0 || h <= 0)
        return Rect();
    int fitWidth = 0;
    int fitHeight = 0;
    if (integerOnly)
    {
        int scale = std::max(1, std::min(outWidth / w, outHeight / h));
        fitWidth = w * scale;
        fitHeight = h * scale;
    }
    else if (static_cast<int64_t>(outWidth) * h <= static_cast<int64_t>(outHeight) * w)
    {
        // Width limits: bars above and below.
        fitWidth = outWidth;
        fitHeight = static_cast<int>(static_cast<int64_t>(outWidth) * h / w);
    }
    else
    {
        fitHeight = outHeight;
        fitWidth = static_cast<int>(static_cast<int64_t>(outHeight) * w / h);
    }
    return Rect((outWidth - fitWidth) / 2, (outHeight - fitHeight) / 2, fitWidth, fitHeight);
}

} // namespace zest
