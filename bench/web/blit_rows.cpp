// The blit rows as WebAssembly runs them: each vector kernel (SSE2 source compiled to 128-bit wasm
// SIMD) against the plain C++ kernel of the same operation, the normal, additive and tinted blits of
// bench/blit.cpp's 64 x 64 sprite onto an opaque 640 x 480 screen at the same pseudo-random places.
// Every row is first checked equal to the plain kernel, pixel for pixel, then timed (the best of
// many short repetitions, the two kernels taking turns); the SIMD / scalar ratio is printed per row.
//   node --no-experimental-fetch build-web/bin/bench_blit_web.js
// Exit code 1 when a vector row's pixels differ from the plain one's.
#include "graphics/BlitRoutines.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <random>
#include <vector>

using namespace zest;

namespace
{

constexpr int ScreenW = 640, ScreenH = 480, SpriteSize = 64;
constexpr int PositionCount = 1024;

// An anti-aliased disc of radius 28 (opaque inside, a 2-pixel soft edge), plus a few pixels at the
// alpha values where blending formulas go wrong (0, 1, 254, 255).
std::vector<uint32_t> MakeSprite()
{
    std::vector<uint32_t> pixels(SpriteSize * SpriteSize);
    for (int y = 0; y < SpriteSize; y++)
    {
        for (int x = 0; x < SpriteSize; x++)
        {
            double d = std::hypot(x + 0.5 - 32.0, y + 0.5 - 32.0);
            double cover = std::clamp((28.0 - d) / 2.0, 0.0, 1.0);
            uint32_t a = static_cast<uint32_t>(cover * 255.0 + 0.5);
            uint32_t r = 40 + x * 3, g = 200 - y * 2, b = 90 + (x + y);
            pixels[static_cast<size_t>(y * SpriteSize + x)] = (a << 24) | (r << 16) | (g << 8) | b;
        }
    }
    const uint32_t edges[] = {0x00FFFFFF, 0x01FF8040, 0xFE10E0A0, 0xFF000000};
    for (int i = 0; i < 4; i++)
        pixels[static_cast<size_t>(2 * SpriteSize + 2 + i)] = edges[i];
    return pixels;
}

struct Row
{
    const char* name;
    std::function<void(const blit::DestPixels&, int, int, blit::Simd)> draw;
};

// Nanoseconds per sprite of one repetition: sprites draws at the pseudo-random places.
double TimeOnce(const Row& row, std::vector<uint32_t>& screen, const std::vector<std::pair<int, int>>& places,
                blit::Simd simd, int sprites)
{
    blit::DestPixels dest{screen.data(), ScreenW, ScreenH};
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < sprites; i++)
    {
        auto [x, y] = places[static_cast<size_t>(i) & (PositionCount - 1)];
        row.draw(dest, x, y, simd);
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / sprites * 1e9;
}

// The best of many short repetitions, the two kernels taking turns: on a shared machine a burst of
// other work then slows both alike instead of whichever ran during it.
std::pair<double, double> TimeRow(const Row& row, std::vector<uint32_t>& screen,
                                  const std::vector<std::pair<int, int>>& places)
{
    double scalar = 1e30, simd = 1e30;
    for (int repetition = 0; repetition < 40; repetition++)
    {
        scalar = std::min(scalar, TimeOnce(row, screen, places, blit::Simd::None, 500));
        simd = std::min(simd, TimeOnce(row, screen, places, blit::Simd::Sse2, 500));
    }
    return {scalar, simd};
}

} // namespace

int main()
{
    std::vector<uint32_t> sprite = MakeSprite();
    blit::SourcePixels source{sprite.data(), nullptr, nullptr, SpriteSize, SpriteSize};
    std::vector<uint8_t> alphaRle(sprite.size()), additiveRle(sprite.size());
    blit::BuildRunLengthAlpha(source, alphaRle.data());
    blit::BuildRunLengthAdditive(source, additiveRle.data());
    std::vector<uint32_t> prescaled(sprite.size());
    blit::BuildAdditivePrescaled(source, prescaled.data());
    // The row spans, as the game's images keep them (the plain kernels do not use them).
    std::vector<blit::RowSpan> spans(SpriteSize);
    blit::BuildRowSpans(source, 1, spans.data());
    const Rect whole(0, 0, SpriteSize, SpriteSize);

    std::mt19937 rng(2024);
    std::vector<std::pair<int, int>> places;
    for (int i = 0; i < PositionCount; i++)
        places.emplace_back(static_cast<int>(rng() % (ScreenW - 96)), static_cast<int>(rng() % (ScreenH - 96)));
    std::vector<uint32_t> background(ScreenW * ScreenH);
    for (uint32_t& pixel : background)
        pixel = 0xFF000000u | (rng() & 0xFFFFFF);

    const Row rows[] = {
        {"normal", [&](const blit::DestPixels& d, int x, int y, blit::Simd simd) {
             blit::BlitNormalRle(d, x, y, sprite.data(), SpriteSize, alphaRle.data(), whole, true, false, simd,
                                 blit::SpanTable{spans.data(), 1});
         }},
        {"additive", [&](const blit::DestPixels& d, int x, int y, blit::Simd simd) {
             blit::BlitAdditiveRle(d, x, y, sprite.data(), SpriteSize, additiveRle.data(), prescaled.data(), whole,
                                   simd);
         }},
        {"tinted", [&](const blit::DestPixels& d, int x, int y, blit::Simd simd) {
             blit::BlitTintedRle(d, x, y, sprite.data(), SpriteSize, alphaRle.data(), whole, 0xC0FF8040, true, simd,
                                 blit::SpanTable{spans.data(), 1});
         }},
    };

    std::vector<blit::Simd> levels = blit::AvailableSimd();
    if (levels.size() < 2)
    {
        std::printf("this build has no vector kernels (built without -msimd128)\n");
        return 1;
    }
    int passed = 0, failed = 0;
    std::printf("%-10s %12s %12s %8s\n", "row", "scalar ns", "simd ns", "ratio");
    for (const Row& row : rows)
    {
        // Equal first: 256 sprites each way onto the same background.
        std::vector<uint32_t> plain = background, vector = background;
        for (int i = 0; i < 256; i++)
        {
            auto [x, y] = places[static_cast<size_t>(i)];
            row.draw(blit::DestPixels{plain.data(), ScreenW, ScreenH}, x, y, blit::Simd::None);
            row.draw(blit::DestPixels{vector.data(), ScreenW, ScreenH}, x, y, blit::Simd::Sse2);
        }
        auto mismatch = std::mismatch(plain.begin(), plain.end(), vector.begin());
        if (mismatch.first != plain.end())
        {
            size_t at = static_cast<size_t>(mismatch.first - plain.begin());
            std::printf("%-10s differs at (%zu, %zu): scalar %08X, simd %08X\n", row.name, at % ScreenW,
                        at / ScreenW, *mismatch.first, *mismatch.second);
            failed++;
            continue;
        }
        passed++;
        std::vector<uint32_t> screen = background;
        auto [scalar, simd] = TimeRow(row, screen, places);
        std::printf("%-10s %12.0f %12.0f %8.2f\n", row.name, scalar, simd, simd / scalar);
    }
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
