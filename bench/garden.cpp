// Cost of one frame of a busy level (one update plus one draw, headless, onto a 640 x 480 display
// image) beside the floor: one memcpy of the whole screen image.
#include "garden/Res.h"
#include "garden/Level.h"
#include "garden/LevelHost.h"
#include "garden/MapObject.h"
#include "graphics/DisplayImage.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <ctime>
#include <memory>
#include <random>
#include <vector>

namespace
{

using namespace tibble;

class BenchHost : public LevelHost
{
public:
    uint32_t Random() override { return generator() >> 1; }
    void PlaySound(int) override {}
    int MouseX() const override { return mouseX; }
    int MouseY() const override { return mouseY; }
    int MouseButtons() const override { return LevelHost::LeftButton; }
    bool IsPaused() const override { return false; }
    bool LoseLife() override { return false; }
    void AddHive() override {}
    int Lives() const override { return 3; }
    int Hives() const override { return 0; }
    bool ReadFileIntoBuffer(const std::string&, std::vector<uint8_t>&) override { return false; }

    std::mt19937 generator{42};
    int mouseX = 0;
    int mouseY = 0;
};

// A sprite sheet whose cels hold a soft-edged disc on a transparent background, like the game's art.
std::unique_ptr<zest::MemoryImage> Sheet(int celWidth, int celHeight, int columns, int rows, uint32_t colour,
                                         bool opaque = false)
{
    auto image = std::make_unique<zest::MemoryImage>();
    image->Create(celWidth * columns, celHeight * rows);
    image->columns = columns;
    image->rows = rows;
    uint32_t* bits = image->GetBits();
    const int width = celWidth * columns;
    for (int y = 0; y < celHeight * rows; y++)
        for (int x = 0; x < width; x++)
        {
            const float dx = static_cast<float>(x % celWidth) - celWidth / 2.0f;
            const float dy = static_cast<float>(y % celHeight) - celHeight / 2.0f;
            const float r = std::sqrt(dx * dx + dy * dy) / (std::min(celWidth, celHeight) / 2.0f);
            int alpha = opaque ? 255 : (r < 0.85f ? 255 : (r < 1.0f ? static_cast<int>((1.0f - r) / 0.15f * 255) : 0));
            const uint32_t shade =
                (colour + static_cast<uint32_t>(((x / celWidth) + (y / celHeight)) * 0x0A0804)) & 0xFFFFFF;
            bits[y * width + x] = (static_cast<uint32_t>(alpha) << 24) | shade;
        }
    image->BitsChanged();
    image->CommitBits();
    return image;
}

struct BusyLevel
{
    BusyLevel()
    {
        struct Binding
        {
            zest::Image** variable;
            int w, h, columns, rows;
            uint32_t colour;
            bool opaque;
        };
        const Binding bindings[] = {
            {&IMAGE_BGBLOCKS, 64, 64, 5, 5, 0x50A050, true},      {&IMAGE_BEE, 48, 48, 7, 3, 0xF0C020, false},
            {&IMAGE_WINGS, 41, 23, 2, 1, 0xC0E0FF, false},        {&IMAGE_FLOWER, 64, 64, 6, 1, 0xF0E000, false},
            {&IMAGE_MINIFLOWER, 48, 48, 6, 1, 0xF080C0, false},   {&IMAGE_HOSE, 36, 60, 3, 1, 0x30A030, false},
            {&IMAGE_SPRAY, 96, 128, 8, 1, 0x80C0FF, false},       {&IMAGE_FLYTRAP, 64, 64, 5, 1, 0x60C060, false},
            {&IMAGE_TRUMPET, 64, 64, 6, 1, 0xE0E0E0, false},      {&IMAGE_ROSE, 64, 64, 6, 1, 0xF0F0F0, false},
            {&IMAGE_DROPS, 16, 16, 4, 1, 0x80C0FF, false},        {&IMAGE_TOMATO, 64, 64, 8, 1, 0xE03020, false},
            {&IMAGE_HIVE, 48, 48, 1, 1, 0xE0B000, false},         {&IMAGE_HIVECOUNTER, 32, 32, 1, 1, 0xE0B000, false},
            {&IMAGE_BEECOUNTER, 32, 32, 1, 1, 0xF0C020, false},   {&IMAGE_PANSY, 48, 48, 6, 1, 0x8040F0, false},
            {&IMAGE_PANSY2, 48, 48, 6, 1, 0x4080F0, false},       {&IMAGE_SPARKLE, 16, 16, 6, 1, 0xFFFFFF, false},
            {&IMAGE_HONEYDROP, 16, 16, 4, 1, 0xE0A000, false},    {&IMAGE_HONEYBAR, 300, 17, 1, 1, 0x604000, true},
            {&IMAGE_HONEYBARFULL, 300, 17, 1, 1, 0xF0B000, true}, {&IMAGE_HONEYSLIDER, 10, 24, 2, 1, 0xFF0000, false},
        };
        for (const Binding& b : bindings)
        {
            images.push_back(Sheet(b.w, b.h, b.columns, b.rows, b.colour, b.opaque));
            *b.variable = images.back().get();
        }

        // 40 x 20 tiles, a floor, ledges; 30 objects in the first screen, more beyond.
        const int width = 40, height = 20;
        std::vector<int16_t> tiles(width * height, 1);
        for (int c = 0; c < width; c++)
            tiles[(height - 1) * width + c] = 2;
        for (int c = 3; c < 9; c++)
            tiles[6 * width + c] = 2;
        struct Record
        {
            int type, x, y, param;
        };
        std::vector<Record> records = {{TypeStartTrumpet, 64 * 4, 64 * 3, 0}, {TypeHose, 320, 470, 0}};
        const int types[] = {TypeMiniFlower, TypePurpleRose, TypePansy, TypeTomato, TypeFlyTrap, TypeSunflower};
        for (int i = 0; i < 28; i++)
            records.push_back({types[i % 6], 20 + (i % 7) * 88, 20 + (i / 7) * 110, i % 6 == 4 ? 90 : 3});
        for (int i = 0; i < 30; i++)
            records.push_back({TypePansy, 900 + (i % 10) * 150, 100 + (i / 10) * 300, 4});
        std::vector<uint8_t> bytes;
        auto put = [&bytes](int v)
        {
            bytes.push_back(static_cast<uint8_t>(v & 0xFF));
            bytes.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
        };
        put(width);
        put(height);
        for (int16_t t : tiles)
            put(t);
        put(static_cast<int>(records.size()));
        for (const Record& r : records)
        {
            put(r.type);
            put(r.x);
            put(r.y);
            put(r.param);
        }
        level = Level::FromBytes(0, host, bytes);
        // Keep the bee in the air beside the jet and the hose held for good.
        screen = std::make_unique<zest::DisplayImage>(640, 480);
        graphics = std::make_unique<zest::Graphics>(screen.get());
        for (int i = 0; i < 200; i++)
            Frame();
    }

    void Frame(bool draw = true)
    {
        Bee& bee = level->GetBee();
        if (bee.state == Bee::FreeFlight || bee.state == Bee::Tumbling)
        {
            // A stand-in for the player: keep the bee flying in the middle of the screen.
            bee.centreX = static_cast<float>(level->GetCameraX() + 300);
            bee.centreY = static_cast<float>(level->GetCameraY() + 200);
        }
        host.mouseX = 320 - level->GetCameraX();
        host.mouseY = 500 - level->GetCameraY();
        benchmark::DoNotOptimize(level->Update());
        if (draw)
            level->Draw(*graphics);
    }

    ~BusyLevel()
    {
        level.reset();
        for (zest::Image** v :
             {&IMAGE_BGBLOCKS,     &IMAGE_BEE,        &IMAGE_WINGS,   &IMAGE_FLOWER,      &IMAGE_MINIFLOWER,
              &IMAGE_HOSE,         &IMAGE_SPRAY,      &IMAGE_FLYTRAP, &IMAGE_TRUMPET,     &IMAGE_ROSE,
              &IMAGE_DROPS,        &IMAGE_TOMATO,     &IMAGE_HIVE,    &IMAGE_HIVECOUNTER, &IMAGE_BEECOUNTER,
              &IMAGE_PANSY,        &IMAGE_PANSY2,     &IMAGE_SPARKLE, &IMAGE_HONEYDROP,   &IMAGE_HONEYBAR,
              &IMAGE_HONEYBARFULL, &IMAGE_HONEYSLIDER})
            *v = nullptr;
    }

    BenchHost host;
    std::vector<std::unique_ptr<zest::MemoryImage>> images;
    std::unique_ptr<Level> level;
    std::unique_ptr<zest::DisplayImage> screen;
    std::unique_ptr<zest::Graphics> graphics;
};

// CPU seconds this thread has used: time spent waiting for a core (the machine is shared) is not
// the code's cost.
double ThreadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

void BM_ScreenCopy_Memcpy(benchmark::State& state)
{
    std::vector<uint32_t> src(640 * 480, 0xFF336699), dst(640 * 480);
    for (auto _ : state)
    {
        std::memcpy(dst.data(), src.data(), src.size() * 4);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(src.size() * 4));
}
BENCHMARK(BM_ScreenCopy_Memcpy)->Repetitions(5)->ReportAggregatesOnly(true);

// memcpy_frames: CPU time per frame over CPU time per full-screen memcpy. The memcpy is timed
// between blocks of frames all through the run (untimed for the benchmark itself), so both sides
// see the same machine load and the ratio stays steady when the load changes during the run.
// (Before, one memcpy loop timed before the run set the divisor, and a load that came or went
// during the run moved the ratio by up to half a frame.)
void BM_LevelFrame_Busy(benchmark::State& state)
{
    BusyLevel busy;
    std::vector<uint32_t> src(640 * 480, 0xFF336699), dst(640 * 480);
    constexpr int framesPerBlock = 32, copiesPerBlock = 2;

    int agents = 0, particles = 0;
    int64_t frames = 0, copies = 0;
    double frameSeconds = 0, copySeconds = 0;
    // Times copiesPerBlock copies and answers the clock at their end.
    auto timeCopies = [&]()
    {
        const double copyBegin = ThreadSeconds();
        for (int i = 0; i < copiesPerBlock; i++)
        {
            std::memcpy(dst.data(), src.data(), src.size() * 4);
            benchmark::ClobberMemory();
        }
        copies += copiesPerBlock;
        const double copyEnd = ThreadSeconds();
        copySeconds += copyEnd - copyBegin;
        return copyEnd;
    };
    // The clock is read once a block: reading this thread's CPU time is a system call.
    double blockBegin = ThreadSeconds();
    for (auto _ : state)
    {
        busy.Frame();
        agents += busy.level->GetAgentCount();
        particles += busy.level->GetParticleCount();
        if (++frames % framesPerBlock == 0)
        {
            state.PauseTiming();
            frameSeconds += ThreadSeconds() - blockBegin;
            // One copy untimed first, so the timed ones find their buffers in the cache as a copy
            // run in a loop does (the frames have pushed them out).
            std::memcpy(dst.data(), src.data(), src.size() * 4);
            benchmark::ClobberMemory();
            blockBegin = timeCopies();
            state.ResumeTiming();
        }
    }
    frameSeconds += ThreadSeconds() - blockBegin;
    if (copies == 0)
        timeCopies(); // a run too short for one block
    const double perFrame = frameSeconds / static_cast<double>(frames);
    state.counters["cpu_us_per_frame"] = perFrame * 1e6;
    state.counters["memcpy_frames"] = perFrame / (copySeconds / static_cast<double>(copies));
    state.counters["agents"] = static_cast<double>(agents) / static_cast<double>(state.iterations());
    state.counters["particles"] = static_cast<double>(particles) / static_cast<double>(state.iterations());
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LevelFrame_Busy)->Repetitions(5)->ReportAggregatesOnly(true)->Unit(benchmark::kMicrosecond);

// The game logic alone: the same level without drawing.
void BM_LevelUpdate_Busy(benchmark::State& state)
{
    BusyLevel busy;
    for (auto _ : state)
        busy.Frame(false);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LevelUpdate_Busy)->Repetitions(5)->ReportAggregatesOnly(true)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
