// Blit speed of the software image code against its peers, in one run: pixman (premultiplied
// OVER / ADD / SRC and its transforms), SDL2's RLE alpha blit, and memcpy as the physical limit.
// Every row draws a 64 x 64 sprite (an anti-aliased disc of radius 28: opaque inside, a 2-pixel soft
// edge, transparent outside) onto an opaque 640 x 480 screen at pseudo-random positions.
// At the end each row's time is printed as a ratio to pixman OVER.

#include "graphics/BlitRoutines.h"
#include "graphics/DisplayImage.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"

#include <SDL.h>
#include "RatioReporter.h"

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

using namespace zest;

namespace
{

constexpr int ScreenW = 640, ScreenH = 480, SpriteSize = 64;
constexpr int PositionCount = 1024;
constexpr double Pi = 3.14159265358979323846;

std::vector<uint32_t> MakeDisc()
{
    std::vector<uint32_t> pixels(SpriteSize * SpriteSize);
    for (int y = 0; y < SpriteSize; y++)
    {
        for (int x = 0; x < SpriteSize; x++)
        {
            double d = std::hypot(x + 0.5 - 32.0, y + 0.5 - 32.0);
            double cover = std::clamp((28.0 - d) / 2.0, 0.0, 1.0); // opaque to r 26, soft to r 28
            uint32_t a = static_cast<uint32_t>(cover * 255.0 + 0.5);
            uint32_t r = 40 + x * 3, g = 200 - y * 2, b = 90 + (x + y);
            pixels[static_cast<size_t>(y * SpriteSize + x)] = (a << 24) | (r << 16) | (g << 8) | b;
        }
    }
    return pixels;
}

std::vector<uint32_t> Premultiply(const std::vector<uint32_t>& pixels)
{
    std::vector<uint32_t> out(pixels.size());
    for (size_t i = 0; i < pixels.size(); i++)
    {
        uint32_t p = pixels[i], a = p >> 24;
        auto mul = [&](int shift) { return ((((p >> shift) & 0xFF) * a + 127) / 255) << shift; };
        out[i] = (a << 24) | mul(16) | mul(8) | mul(0);
    }
    return out;
}

struct Fixture
{
    std::vector<uint32_t> disc = MakeDisc();
    std::vector<uint32_t> discPremultiplied = Premultiply(disc);
    std::vector<std::pair<int, int>> positions;
    DisplayImage screen{ScreenW, ScreenH};
    MemoryImage sprite;
    MemoryImage fullScreen;
    std::vector<uint32_t> pixmanScreen = std::vector<uint32_t>(ScreenW * ScreenH, 0xFF336699);
    std::vector<uint32_t> fullPixels = std::vector<uint32_t>(ScreenW * ScreenH);
    pixman_image_t* pixmanDest = nullptr;
    pixman_image_t* pixmanSprite = nullptr;
    pixman_image_t* pixmanFull = nullptr;
    SDL_Surface* sdlScreen = nullptr;
    SDL_Surface* sdlSprite = nullptr;

    Fixture()
    {
        std::mt19937 rng(2024);
        for (int i = 0; i < PositionCount; i++)
            positions.emplace_back(static_cast<int>(rng() % (ScreenW - 96)), static_cast<int>(rng() % (ScreenH - 96)));
        screen.FillRect(Rect(0, 0, ScreenW, ScreenH), Color(0x33, 0x66, 0x99), 0);
        sprite.SetBits(disc.data(), SpriteSize, SpriteSize);
        sprite.GetRunLengthAlpha();
        sprite.GetRunLengthAdditive();
        for (size_t i = 0; i < fullPixels.size(); i++)
            fullPixels[i] = 0xFF000000u | static_cast<uint32_t>(i * 2654435761u >> 8);
        fullScreen.SetBits(fullPixels.data(), ScreenW, ScreenH);
        fullScreen.GetRunLengthAlpha();

        pixmanDest = pixman_image_create_bits(PIXMAN_a8r8g8b8, ScreenW, ScreenH, pixmanScreen.data(), ScreenW * 4);
        pixmanSprite = pixman_image_create_bits(PIXMAN_a8r8g8b8, SpriteSize, SpriteSize, discPremultiplied.data(),
                                                SpriteSize * 4);
        pixmanFull = pixman_image_create_bits(PIXMAN_a8r8g8b8, ScreenW, ScreenH, fullPixels.data(), ScreenW * 4);

        sdlScreen = SDL_CreateRGBSurfaceWithFormat(0, ScreenW, ScreenH, 32, SDL_PIXELFORMAT_ARGB8888);
        SDL_FillRect(sdlScreen, nullptr, 0xFF336699);
        sdlSprite = SDL_CreateRGBSurfaceWithFormatFrom(disc.data(), SpriteSize, SpriteSize, 32, SpriteSize * 4,
                                                       SDL_PIXELFORMAT_ARGB8888);
        SDL_SetSurfaceBlendMode(sdlSprite, SDL_BLENDMODE_BLEND);
        SDL_SetSurfaceRLE(sdlSprite, 1);
    }
};

Fixture& F()
{
    static Fixture fixture;
    return fixture;
}

void SetSprites(benchmark::State& state, int pixelsPerItem)
{
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * int64_t(pixelsPerItem) * 4);
}

void BM_Blit_Normal(benchmark::State& state)
{
    Fixture& f = F();
    const Rect src(0, 0, SpriteSize, SpriteSize);
    size_t i = 0;
    for (auto _ : state)
    {
        auto [x, y] = f.positions[i++ & (PositionCount - 1)];
        f.screen.Blit(&f.sprite, x, y, src, Color::White, DrawModeNormal);
    }
    benchmark::DoNotOptimize(f.screen.GetPixel(100, 100));
    SetSprites(state, SpriteSize * SpriteSize);
}

void BM_Blit_NormalThroughGraphics(benchmark::State& state)
{
    Fixture& f = F();
    Graphics g(&f.screen);
    size_t i = 0;
    for (auto _ : state)
    {
        auto [x, y] = f.positions[i++ & (PositionCount - 1)];
        g.DrawImage(&f.sprite, x, y);
    }
    benchmark::DoNotOptimize(f.screen.GetPixel(100, 100));
    SetSprites(state, SpriteSize * SpriteSize);
}

// The kernels alone at each vector level (the first rows go through the image and its dispatch);
// withSpans: the AVX2 rows blend by row spans (as images draw) rather than walk the runs.
void BM_Blit_NormalKernel(benchmark::State& state, blit::Simd simd, bool withSpans)
{
    Fixture& f = F();
    blit::DestPixels dest{f.screen.GetBits(), ScreenW, ScreenH};
    const uint8_t* rle = f.sprite.GetRunLengthAlpha();
    const blit::SpanTable spans{withSpans ? f.sprite.GetRowSpans() : nullptr, f.sprite.GetRowSpanColumns()};
    size_t i = 0;
    for (auto _ : state)
    {
        auto [x, y] = f.positions[i++ & (PositionCount - 1)];
        blit::BlitNormalRle(dest, x, y, f.disc.data(), SpriteSize, rle, Rect(0, 0, SpriteSize, SpriteSize), true, false,
                            simd, spans);
    }
    benchmark::DoNotOptimize(f.screen.GetPixel(100, 100));
    SetSprites(state, SpriteSize * SpriteSize);
}

void BM_Blit_AdditiveKernel(benchmark::State& state, blit::Simd simd)
{
    Fixture& f = F();
    blit::DestPixels dest{f.screen.GetBits(), ScreenW, ScreenH};
    const uint8_t* rle = f.sprite.GetRunLengthAdditive();
    std::vector<uint32_t> prescaled(f.disc.size());
    blit::BuildAdditivePrescaled(blit::SourcePixels{f.disc.data(), nullptr, nullptr, SpriteSize, SpriteSize},
                                 prescaled.data());
    size_t i = 0;
    for (auto _ : state)
    {
        auto [x, y] = f.positions[i++ & (PositionCount - 1)];
        blit::BlitAdditiveRle(dest, x, y, f.disc.data(), SpriteSize, rle, prescaled.data(),
                              Rect(0, 0, SpriteSize, SpriteSize), simd);
    }
    benchmark::DoNotOptimize(f.screen.GetPixel(100, 100));
    SetSprites(state, SpriteSize * SpriteSize);
}

void BM_Blit_NormalReference(benchmark::State& state)
{
    Fixture& f = F();
    blit::DestPixels dest{f.screen.GetBits(), ScreenW, ScreenH};
    blit::SourcePixels src{f.disc.data(), nullptr, nullptr, SpriteSize, SpriteSize};
    size_t i = 0;
    for (auto _ : state)
    {
        auto [x, y] = f.positions[i++ & (PositionCount - 1)];
        blit::BlitRef(dest, x, y, src, Rect(0, 0, SpriteSize, SpriteSize), blit::WhiteColor, 0, false);
    }
    benchmark::DoNotOptimize(f.screen.GetPixel(100, 100));
    SetSprites(state, SpriteSize * SpriteSize);
}

void BM_Blit_PixmanOver(benchmark::State& state)
{
    Fixture& f = F();
    size_t i = 0;
    for (auto _ : state)
    {
        auto [x, y] = f.positions[i++ & (PositionCount - 1)];
        pixman_image_composite32(PIXMAN_OP_OVER, f.pixmanSprite, nullptr, f.pixmanDest, 0, 0, 0, 0, x, y, SpriteSize,
                                 SpriteSize);
    }
    benchmark::DoNotOptimize(f.pixmanScreen[100]);
    SetSprites(state, SpriteSize * SpriteSize);
}

void BM_Blit_SdlRle(benchmark::State& state)
{
    Fixture& f = F();
    size_t i = 0;
    for (auto _ : state)
    {
        auto [x, y] = f.positions[i++ & (PositionCount - 1)];
        SDL_Rect dst{x, y, SpriteSize, SpriteSize};
        SDL_BlitSurface(f.sdlSprite, nullptr, f.sdlScreen, &dst);
    }
    benchmark::DoNotOptimize(f.sdlScreen->pixels);
    SetSprites(state, SpriteSize * SpriteSize);
}

void BM_Blit_Additive(benchmark::State& state)
{
    Fixture& f = F();
    const Rect src(0, 0, SpriteSize, SpriteSize);
    size_t i = 0;
    for (auto _ : state)
    {
        auto [x, y] = f.positions[i++ & (PositionCount - 1)];
        // The screen saturates towards white over the run; both additive rows cost the same either way.
        f.screen.Blit(&f.sprite, x, y, src, Color::White, DrawModeAdditive);
    }
    benchmark::DoNotOptimize(f.screen.GetPixel(100, 100));
    SetSprites(state, SpriteSize * SpriteSize);
}

void BM_Blit_PixmanAdd(benchmark::State& state)
{
    Fixture& f = F();
    size_t i = 0;
    for (auto _ : state)
    {
        auto [x, y] = f.positions[i++ & (PositionCount - 1)];
        pixman_image_composite32(PIXMAN_OP_ADD, f.pixmanSprite, nullptr, f.pixmanDest, 0, 0, 0, 0, x, y, SpriteSize,
                                 SpriteSize);
    }
    benchmark::DoNotOptimize(f.pixmanScreen[100]);
    SetSprites(state, SpriteSize * SpriteSize);
}

void BM_Stretch_Nearest96(benchmark::State& state)
{
    Fixture& f = F();
    const Rect screenRect(0, 0, ScreenW, ScreenH);
    size_t i = 0;
    for (auto _ : state)
    {
        auto [x, y] = f.positions[i++ & (PositionCount - 1)];
        f.screen.StretchBlit(&f.sprite, Rect(x, y, 96, 96), Rect(0, 0, SpriteSize, SpriteSize), screenRect,
                             Color::White, DrawModeNormal, true);
    }
    benchmark::DoNotOptimize(f.screen.GetPixel(100, 100));
    SetSprites(state, 96 * 96);
}

void BM_Stretch_PixmanNearest96(benchmark::State& state)
{
    Fixture& f = F();
    pixman_transform_t t;
    pixman_transform_init_scale(&t, pixman_double_to_fixed(64.0 / 96.0), pixman_double_to_fixed(64.0 / 96.0));
    pixman_image_set_transform(f.pixmanSprite, &t);
    pixman_image_set_filter(f.pixmanSprite, PIXMAN_FILTER_NEAREST, nullptr, 0);
    size_t i = 0;
    for (auto _ : state)
    {
        auto [x, y] = f.positions[i++ & (PositionCount - 1)];
        pixman_image_composite32(PIXMAN_OP_OVER, f.pixmanSprite, nullptr, f.pixmanDest, 0, 0, 0, 0, x, y, 96, 96);
    }
    pixman_image_set_transform(f.pixmanSprite, nullptr);
    benchmark::DoNotOptimize(f.pixmanScreen[100]);
    SetSprites(state, 96 * 96);
}

void BM_Rotate_30(benchmark::State& state)
{
    Fixture& f = F();
    const Rect screenRect(0, 0, ScreenW, ScreenH);
    size_t i = 0;
    for (auto _ : state)
    {
        auto [x, y] = f.positions[i++ & (PositionCount - 1)];
        f.screen.BlitRotated(&f.sprite, float(x + 12), float(y + 12), Rect(0, 0, SpriteSize, SpriteSize), screenRect,
                             Color::White, DrawModeNormal, 30.0 * Pi / 180.0, 32.0f, 32.0f);
    }
    benchmark::DoNotOptimize(f.screen.GetPixel(100, 100));
    SetSprites(state, 88 * 88);
}

void BM_Rotate_Pixman30(benchmark::State& state)
{
    Fixture& f = F();
    // Destination pixel (i, j) of an 88 x 88 box centred on the sprite's centre -> source position.
    pixman_f_transform_t ft;
    pixman_f_transform_init_translate(&ft, -44.0, -44.0);
    pixman_f_transform_rotate(&ft, nullptr, std::cos(-30.0 * Pi / 180.0), std::sin(-30.0 * Pi / 180.0));
    pixman_f_transform_translate(&ft, nullptr, 32.0, 32.0);
    pixman_transform_t t;
    pixman_transform_from_pixman_f_transform(&t, &ft);
    pixman_image_set_transform(f.pixmanSprite, &t);
    pixman_image_set_filter(f.pixmanSprite, PIXMAN_FILTER_NEAREST, nullptr, 0);
    size_t i = 0;
    for (auto _ : state)
    {
        auto [x, y] = f.positions[i++ & (PositionCount - 1)];
        pixman_image_composite32(PIXMAN_OP_OVER, f.pixmanSprite, nullptr, f.pixmanDest, 0, 0, 0, 0, x, y, 88, 88);
    }
    pixman_image_set_transform(f.pixmanSprite, nullptr);
    benchmark::DoNotOptimize(f.pixmanScreen[100]);
    SetSprites(state, 88 * 88);
}

void BM_Copy_FullScreen(benchmark::State& state)
{
    Fixture& f = F();
    for (auto _ : state)
        f.screen.Blit(&f.fullScreen, 0, 0, Rect(0, 0, ScreenW, ScreenH), Color::White, DrawModeNormal);
    benchmark::DoNotOptimize(f.screen.GetPixel(100, 100));
    SetSprites(state, ScreenW * ScreenH);
}

void BM_Copy_PixmanSrc(benchmark::State& state)
{
    Fixture& f = F();
    for (auto _ : state)
        pixman_image_composite32(PIXMAN_OP_SRC, f.pixmanFull, nullptr, f.pixmanDest, 0, 0, 0, 0, 0, 0, ScreenW,
                                 ScreenH);
    benchmark::DoNotOptimize(f.pixmanScreen[100]);
    SetSprites(state, ScreenW * ScreenH);
}

void BM_Copy_Memcpy(benchmark::State& state)
{
    Fixture& f = F();
    uint32_t* dest = f.screen.GetBits();
    for (auto _ : state)
    {
        std::memcpy(dest, f.fullPixels.data(), size_t(ScreenW) * ScreenH * 4);
        benchmark::ClobberMemory();
    }
    SetSprites(state, ScreenW * ScreenH);
}

BENCHMARK(BM_Blit_Normal);
BENCHMARK(BM_Blit_NormalThroughGraphics);
BENCHMARK(BM_Blit_NormalReference);
BENCHMARK_CAPTURE(BM_Blit_NormalKernel, Scalar, blit::Simd::None, false);
BENCHMARK_CAPTURE(BM_Blit_NormalKernel, Sse2RunWalk, blit::Simd::Sse2, false);
BENCHMARK_CAPTURE(BM_Blit_NormalKernel, Sse2, blit::Simd::Sse2, true);
BENCHMARK_CAPTURE(BM_Blit_NormalKernel, Avx2RunWalk, blit::Simd::Avx2, false);
BENCHMARK_CAPTURE(BM_Blit_NormalKernel, Avx2, blit::Simd::Avx2, true);
BENCHMARK(BM_Blit_PixmanOver);
BENCHMARK(BM_Blit_SdlRle);
BENCHMARK(BM_Blit_Additive);
BENCHMARK(BM_Blit_PixmanAdd);
BENCHMARK_CAPTURE(BM_Blit_AdditiveKernel, Sse2, blit::Simd::Sse2);
BENCHMARK_CAPTURE(BM_Blit_AdditiveKernel, Avx2, blit::Simd::Avx2);
BENCHMARK(BM_Stretch_Nearest96);
BENCHMARK(BM_Stretch_PixmanNearest96);
BENCHMARK(BM_Rotate_30);
BENCHMARK(BM_Rotate_Pixman30);
BENCHMARK(BM_Copy_FullScreen);
BENCHMARK(BM_Copy_PixmanSrc);
BENCHMARK(BM_Copy_Memcpy);

} // namespace

int main(int argc, char** argv)
{
    return RunWithRatios(argc, argv, "BM_Blit_PixmanOver", "pixman OVER");
}
