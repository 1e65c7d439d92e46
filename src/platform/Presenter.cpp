#include "platform/Presenter.h"

#include "platform/Log.h"
#include "platform/ScaleRoutines.h"
#include "platform/SdlWindow.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

namespace zest
{

namespace
{

// Whether an "accelerated" renderer really draws on the processor: Mesa's llvmpipe and
// softpipe (a virtual machine, a remote desktop, Xvfb, a missing GPU driver). Scaling and
// blending through them costs several times more than our own scaler into the window surface.
bool RunsOnProcessor(SDL_Renderer* renderer, const SDL_RendererInfo& info)
{
    if (info.flags & SDL_RENDERER_SOFTWARE)
        return true;
    if (!info.name || std::strncmp(info.name, "opengl", 6) != 0)
        return false;
    // The renderer's context is current once it is made.
    using GetStringFunction = const unsigned char* (*)(unsigned);
    auto getString = reinterpret_cast<GetStringFunction>(SDL_GL_GetProcAddress("glGetString"));
    const unsigned glRenderer = 0x1F01;
    const char* name = getString ? reinterpret_cast<const char*>(getString(glRenderer)) : nullptr;
    (void)renderer;
    if (!name)
        return false;
    for (const char* cpu : {"llvmpipe", "softpipe", "Software Rasterizer", "swrast"})
        if (std::strstr(name, cpu))
            return true;
    return false;
}

// A window surface our scaler can write: 32-bit pixels with red, green and blue where the
// screen image keeps them (the fourth byte is ignored).
bool SameLayout(const SDL_Surface* surface)
{
    const SDL_PixelFormat* f = surface->format;
    return f->BytesPerPixel == 4 && f->Rmask == 0x00FF0000 && f->Gmask == 0x0000FF00 && f->Bmask == 0x000000FF;
}

} // namespace

Presenter::Presenter(SdlWindow& w) : window(w)
{
}

Presenter::~Presenter()
{
    Release();
    if (watching)
        SDL_DelEventWatch(&Presenter::OnEvent, this);
}

int Presenter::OnEvent(void* self, SDL_Event* event)
{
    auto* presenter = static_cast<Presenter*>(self);
    if (event->type != SDL_WINDOWEVENT || event->window.windowID != presenter->window.Id())
        return 1;
    switch (event->window.event)
    {
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        // The window lost what it showed, or shows it at another size.
        presenter->Invalidate();
        break;
    default:
        break;
    }
    return 1;
}

void Presenter::Release()
{
    if (texture)
        SDL_DestroyTexture(texture);
    if (renderer)
        SDL_DestroyRenderer(renderer);
    texture = nullptr;
    renderer = nullptr;
    path = Path::None;
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
    picture.assign(static_cast<size_t>(w) * static_cast<size_t>(h), 0xFF000000u);
    changed = Rect(0, 0, w, h);
    showAll = true;
    surfaceWidth = surfaceHeight = 0;
    if (!watching)
    {
        SDL_AddEventWatch(&Presenter::OnEvent, this);
        watching = true;
    }
    // SDL's software renderer is the last resort: it converts to any window surface format.
    bool ready = (wantAccelerated && InitRenderer(true, wantVSync)) || InitDirect() || InitRenderer(false, wantVSync);
    if (ready)
        Logf(LogLevel::Info, "showing the screen through %s", path == Path::Direct ? "the window surface"
                                                                                   : rendererName.c_str());
    return ready;
}

bool Presenter::InitRenderer(bool wantAccelerated, bool wantVSync)
{
    Uint32 flags = wantAccelerated ? SDL_RENDERER_ACCELERATED : SDL_RENDERER_SOFTWARE;
    if (wantVSync)
        flags |= SDL_RENDERER_PRESENTVSYNC;
    renderer = SDL_CreateRenderer(window.Handle(), -1, flags);
    if (!renderer)
    {
        lastError = SDL_GetError();
        if (wantAccelerated)
            Logf(LogLevel::Warning, "accelerated renderer unavailable (%s); using the window surface",
                 lastError.c_str());
        return false;
    }
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(renderer, &info) == 0)
    {
        rendererName = info.name ? info.name : "";
        accelerated = (info.flags & SDL_RENDERER_ACCELERATED) != 0;
        vsync = (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0;
        if (wantAccelerated && RunsOnProcessor(renderer, info))
        {
            Logf(LogLevel::Info, "the %s renderer draws on the processor; using the window surface",
                 rendererName.c_str());
            Release();
            return false;
        }
    }
    // A renderer made without vsync of its own (the software one) gets it paced by SDL at the
    // display's rate once asked explicitly; and SDL's vsync hint, left behind by an earlier
    // renderer, may have given vsync to one made without it.
    if (vsync != wantVSync)
        SetVSync(wantVSync);
    texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, width, height);
    if (!texture)
    {
        lastError = SDL_GetError();
        Release();
        return false;
    }
    // The screen's alpha channel is bookkeeping of the drawing code, not transparency.
    SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_NONE);
    path = Path::Renderer;
    return true;
}

bool Presenter::InitDirect()
{
    // Without this SDL would back the window surface on X11 with an OpenGL texture, which on
    // a CPU rasteriser costs more than the scaling itself. The environment variable still wins.
    SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_DEFAULT);
    SDL_Surface* surface = SDL_GetWindowSurface(window.Handle());
    if (!surface)
    {
        lastError = SDL_GetError();
        return false;
    }
    if (!SameLayout(surface))
    {
        lastError = std::string("window surface format ") + SDL_GetPixelFormatName(surface->format->format);
        return false;
    }
    path = Path::Direct;
    rendererName = "direct";
    accelerated = false;
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
    if (!IsReady() || clipped.IsEmpty())
        return nullptr;
    staging.resize(static_cast<size_t>(clipped.width) * static_cast<size_t>(clipped.height));
    pitchBytes = clipped.width * static_cast<int>(sizeof(uint32_t));
    lockedArea = clipped;
    return staging.data();
}

void Presenter::UnlockArea()
{
    const Rect area = lockedArea;
    lockedArea = Rect();
    if (area.IsEmpty() || !IsReady())
        return;
    // Keep only the rows that differ from what is shown: a redraw that changed nothing shows nothing.
    const size_t rowBytes = static_cast<size_t>(area.width) * sizeof(uint32_t);
    int top = -1;
    int bottom = -1;
    for (int j = 0; j < area.height; j++)
    {
        const uint32_t* in = staging.data() + static_cast<size_t>(j) * static_cast<size_t>(area.width);
        uint32_t* shown = picture.data() + static_cast<size_t>(area.y + j) * static_cast<size_t>(width) + area.x;
        if (std::memcmp(in, shown, rowBytes) == 0)
            continue;
        std::memcpy(shown, in, rowBytes);
        if (top < 0)
            top = area.y + j;
        bottom = area.y + j;
    }
    if (top >= 0)
        changed = changed.Union(Rect(area.x, top, area.width, bottom - top + 1));
}

bool Presenter::Present()
{
    if (!IsReady())
        return false;
    // A presenter that waits for the refresh shows every frame, changed or not: a loop tied to the
    // refresh counts on that wait, and skipping it would let the game run at drawing speed.
    if (!HasChanges() && !vsync)
        return true;
    bool shown = path == Path::Direct ? PresentDirect() : PresentRenderer();
    if (shown)
        presentCount++;
    return shown;
}

bool Presenter::PresentRenderer()
{
    Rect target = OutputRect();
    if (target.IsEmpty())
        return true; // a minimised window has no area to show; the changes wait
    if (!changed.IsEmpty())
    {
        SDL_Rect r{changed.x, changed.y, changed.width, changed.height};
        const uint32_t* first = picture.data() + static_cast<size_t>(changed.y) * static_cast<size_t>(width) + changed.x;
        if (SDL_UpdateTexture(texture, &r, first, width * static_cast<int>(sizeof(uint32_t))) != 0)
        {
            lastError = SDL_GetError();
            return false;
        }
    }
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
    changed = Rect();
    showAll = false;
    return true;
}

bool Presenter::PresentDirect()
{
    SDL_Window* handle = window.Handle();
    // SDL makes a new surface after the window's size changed; the old one is gone then.
    SDL_Surface* surface = SDL_GetWindowSurface(handle);
    if (!surface || !SameLayout(surface))
    {
        lastError = surface ? "the window surface changed its format" : SDL_GetError();
        return false;
    }
    const Rect bounds(0, 0, surface->w, surface->h);
    const Rect target = FitRect(surface->w, surface->h, width, height, !window.IsFullScreen());
    if (target.IsEmpty())
        return true; // a minimised window has no area to show; the changes wait
    const bool all = showAll || surface->w != surfaceWidth || surface->h != surfaceHeight;
    const Rect area = all ? Rect(0, 0, width, height) : changed;
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0)
    {
        lastError = SDL_GetError();
        return false;
    }
    if (all)
        SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0)); // the bars around the picture
    const int scale = target.width / width;
    Rect written;
    if (target.width == width * scale && target.height == height * scale)
    {
        written = scale::UpscaleArea(picture.data(), width, area, scale, static_cast<uint32_t*>(surface->pixels),
                                     surface->pitch, Point{target.x, target.y}, bounds);
    }
    else if (SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(picture.data(), width, height, 32,
                                                                       width * static_cast<int>(sizeof(uint32_t)),
                                                                       surface->format->format))
    {
        // A fitted full-screen picture: smooth scaling of the whole picture, as a renderer would.
        SDL_Rect dst{target.x, target.y, target.width, target.height};
        if (SDL_SoftStretchLinear(source, nullptr, surface, &dst) == 0)
            written = target.Intersection(bounds);
        else
            Logf(LogLevel::Warning, "could not scale the picture: %s", SDL_GetError());
        SDL_FreeSurface(source);
    }
    if (SDL_MUSTLOCK(surface))
        SDL_UnlockSurface(surface);
    if (all)
        written = bounds;
    if (!written.IsEmpty())
    {
        SDL_Rect r{written.x, written.y, written.width, written.height};
        if (SDL_UpdateWindowSurfaceRects(handle, &r, 1) != 0)
        {
            lastError = SDL_GetError();
            return false;
        }
    }
    surfaceWidth = surface->w;
    surfaceHeight = surface->h;
    changed = Rect();
    showAll = false;
    return true;
}

Rect Presenter::OutputRect() const
{
    int outWidth = 0;
    int outHeight = 0;
    if (path == Path::Direct)
    {
        Point size = window.PixelSize();
        outWidth = size.x;
        outHeight = size.y;
    }
    else if (!renderer || SDL_GetRendererOutputSize(renderer, &outWidth, &outHeight) != 0)
    {
        return Rect();
    }
    return FitRect(outWidth, outHeight, width, height, !window.IsFullScreen());
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
