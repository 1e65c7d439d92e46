// Cost of showing one changed 640 x 480 frame in a window scaled 1x, 2x and 3x: SDL's software
// renderer (streaming texture, scaled copy, present: the old way and what an "accelerated"
// renderer on a CPU rasteriser amounts to), our presenter straight into the window surface, and
// a memcpy of the output's size as the floor. Runs on SDL's dummy video driver (an offscreen
// window), so it measures our process's work, not the X server's.
// At the end each row's time is printed as a ratio to the memcpy of a 2x output.

#include "platform/Presenter.h"
#include "platform/SdlWindow.h"

#include "RatioReporter.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace zest;

namespace
{

constexpr int Width = 640, Height = 480;

// Two pictures told apart in every row, so each frame really changes.
struct Frames
{
    std::vector<uint32_t> a = std::vector<uint32_t>(Width * Height), b = std::vector<uint32_t>(Width * Height);
    Frames()
    {
        for (size_t i = 0; i < a.size(); i++)
        {
            a[i] = 0xFF000000u | static_cast<uint32_t>(i * 2654435761u >> 8);
            b[i] = a[i] ^ 0x00010101u;
        }
    }
    const std::vector<uint32_t>& Pick(size_t n) const { return n & 1 ? b : a; }
};

const Frames& TheFrames()
{
    static Frames frames;
    return frames;
}

void BM_SdlSoftwareRenderer(benchmark::State& state, int scale)
{
    SdlWindow window;
    if (!window.HasVideo() || !window.Create("bench", 0, 0, Width * scale, Height * scale, false))
    {
        state.SkipWithError(("no window: " + window.LastError()).c_str());
        return;
    }
    SDL_Renderer* renderer = SDL_CreateRenderer(window.Handle(), -1, SDL_RENDERER_SOFTWARE);
    SDL_Texture* texture =
        renderer ? SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, Width, Height)
                 : nullptr;
    if (!texture)
    {
        state.SkipWithError("no software renderer");
        return;
    }
    SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_NONE);
    SDL_SetTextureScaleMode(texture, SDL_ScaleModeNearest);
    size_t n = 0;
    for (auto _ : state)
    {
        SDL_UpdateTexture(texture, nullptr, TheFrames().Pick(n++).data(), Width * 4);
        SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
        SDL_RenderClear(renderer);
        SDL_Rect dst{0, 0, Width * scale, Height * scale};
        SDL_RenderCopy(renderer, texture, nullptr, &dst);
        SDL_RenderPresent(renderer);
    }
    SDL_DestroyTexture(texture);
    SDL_DestroyRenderer(renderer);
    state.SetItemsProcessed(state.iterations());
}

// Our presenter as the display makes it; asking for acceleration gets the accelerated renderer only
// where it runs on graphics hardware (the row's label names what was chosen).
void BM_Presenter(benchmark::State& state, int scale, bool accelerated)
{
    SdlWindow window;
    if (!window.HasVideo() || !window.Create("bench", 0, 0, Width * scale, Height * scale, false))
    {
        state.SkipWithError(("no window: " + window.LastError()).c_str());
        return;
    }
    Presenter presenter(window);
    if (!presenter.Init(Width, Height, accelerated, false))
    {
        state.SkipWithError("no presenter");
        return;
    }
    state.SetLabel(presenter.RendererName());
    size_t n = 0;
    for (auto _ : state)
    {
        // What the display does: the changed area into the presenter, then show it.
        int pitch = 0;
        Rect clipped;
        uint32_t* pixels = presenter.LockArea(Rect(0, 0, Width, Height), pitch, clipped);
        std::memcpy(pixels, TheFrames().Pick(n++).data(), size_t(Width) * Height * 4);
        presenter.UnlockArea();
        benchmark::DoNotOptimize(presenter.Present());
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_Memcpy(benchmark::State& state, int scale)
{
    const size_t count = size_t(Width) * Height * scale * scale;
    std::vector<uint32_t> src(count, 0xFF336699), dst(count);
    for (auto _ : state)
    {
        std::memcpy(dst.data(), src.data(), count * 4);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(count * 4));
}

} // namespace

int main(int argc, char** argv)
{
    // An offscreen window: the dummy driver unless the caller chose one.
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    for (int scale = 1; scale <= 3; scale++)
    {
        const std::string x = std::to_string(scale) + "x";
        benchmark::RegisterBenchmark(("Present_SdlSoftware_" + x).c_str(), BM_SdlSoftwareRenderer, scale)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("Present_Direct_" + x).c_str(), BM_Presenter, scale, false)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("Present_AskAccelerated_" + x).c_str(), BM_Presenter, scale, true)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("Memcpy_" + x).c_str(), BM_Memcpy, scale)->Unit(benchmark::kMicrosecond);
    }
    return RunWithRatios(argc, argv, "Memcpy_2x", "memcpy 2x");
}
