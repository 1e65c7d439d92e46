// Cost of a whole headless trace: 10,000 updates of a busy level (update, draw, trace values), drawing
// onto the off-screen screen and without pixels, with the game's own data. The data folder is
// $TIBBLE_SIM_DATA, else the bin folder beside this program (where the build puts the game data).
#include "sim/SimData.h"
#include "sim/SimRun.h"

#include "garden/MapObject.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace
{

using tibble::sim::SimRun;

constexpr int TraceUpdates = 10000;

// 16 x 10 tiles, the start in the middle of the first screen and an agent on every other tile of it.
std::vector<uint8_t> BuiltBusyLevel()
{
    const int width = 16;
    const int height = 10;
    std::vector<uint8_t> out;
    auto put = [&out](int value)
    {
        out.push_back(static_cast<uint8_t>(value & 0xFF));
        out.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
    };
    struct Record
    {
        int type, column, row, param;
    };
    std::vector<Record> records{{tibble::TypeStartTrumpet, 5, 2, 0}};
    const int kinds[][2] = {
        {tibble::TypeSunflower, 2},   {tibble::TypeMiniFlower, 2}, {tibble::TypeRose, 3},
        {tibble::TypeRedRose, 4},     {tibble::TypePurpleRose, 5}, {tibble::TypeTomato, 0},
        {tibble::TypePansy, 6},       {tibble::TypePansy2, 7},     {tibble::TypeHive, 5},
        {tibble::TypeLinkTrumpet, 4}, {tibble::TypeMiniFlower, 8}, {tibble::TypePurpleRose, 9},
        {tibble::TypeSunflower, 8},   {tibble::TypeHose, 90},      {tibble::TypeFlyTrap, 180},
    };
    int next = 0;
    for (int row = 0; row < 8; row++)
        for (int column = 0; column < 11; column++)
        {
            if ((column >= 4 && column <= 6 && row >= 1 && row <= 4) || (column + row) % 2 != 0)
                continue;
            const auto& kind = kinds[next++ % std::size(kinds)];
            records.push_back({kind[0], column, row, kind[1]});
        }
    records.push_back({tibble::TypeHose, 7, 5, 315});
    records.push_back({tibble::TypeHose, 3, 5, 45});
    put(width);
    put(height);
    for (int i = 0; i < width * height; i++)
        put(1);
    put(static_cast<int>(records.size()));
    for (size_t i = 0; i < records.size(); i++)
    {
        put(records[i].type);
        put(records[i].column * 64);
        put(records[i].row * 64);
        put(records[i].param);
        if (records[i].type == tibble::TypeRose)
            put(static_cast<int>(i));
    }
    return out;
}

std::string DataFolder()
{
    if (const char* folder = std::getenv("TIBBLE_SIM_DATA"); folder && *folder)
        return folder;
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return (exe.parent_path().parent_path() / "bin").string();
}

tibble::sim::SimData& Data()
{
    static tibble::sim::SimData data;
    static bool tried = false;
    if (!tried)
    {
        tried = true;
        std::string error;
        if (!data.Load(DataFolder(), &error))
            std::fprintf(stderr, "bench_sim: no game data in %s (%s); set TIBBLE_SIM_DATA\n", DataFolder().c_str(),
                         error.c_str());
    }
    return data;
}

// One whole trace; the hose at tile (7, 5) is held for 80 updates in every 200 so that the bee keeps moving
// and the spray keeps making particles.
void RunTrace(benchmark::State& state, const std::vector<uint8_t>& map, SimRun::DrawMode mode)
{
    if (!Data().IsLoaded())
    {
        state.SkipWithError("no game data");
        return;
    }
    SimRun::Options options;
    options.drawMode = mode;
    int64_t checksum = 0;
    for (auto _ : state)
    {
        std::unique_ptr<SimRun> run = SimRun::Create(map, options);
        if (!run)
        {
            state.SkipWithError("the level cannot be played");
            return;
        }
        for (int update = 1; update <= TraceUpdates; update++)
        {
            const int phase = update % 200;
            if (phase == 100)
                run->GetHost().Down(450, 340);
            else if (phase == 180)
                run->GetHost().Up(450, 340);
            const tibble::sim::StepResult result = run->Step();
            const tibble::sim::SimTrace trace = run->Trace();
            checksum += trace.x + trace.y + trace.cameraX;
            if (result.completed || result.gameOver)
                break;
        }
    }
    benchmark::DoNotOptimize(checksum);
    state.counters["updates"] = TraceUpdates;
}

void BM_Trace10000_BuiltBusy_Pixels(benchmark::State& state)
{
    RunTrace(state, BuiltBusyLevel(), SimRun::DrawMode::Pixels);
}
void BM_Trace10000_BuiltBusy_NoPixels(benchmark::State& state)
{
    RunTrace(state, BuiltBusyLevel(), SimRun::DrawMode::NoPixels);
}

std::vector<uint8_t> ShippedMap9()
{
    std::ifstream in(DataFolder() + "/maps/9.pmp", std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void BM_Trace10000_Map9_Pixels(benchmark::State& state)
{
    RunTrace(state, ShippedMap9(), SimRun::DrawMode::Pixels);
}
void BM_Trace10000_Map9_NoPixels(benchmark::State& state)
{
    RunTrace(state, ShippedMap9(), SimRun::DrawMode::NoPixels);
}

// Making a run at the level's start, as the planner does for every replay.
void BM_CreateRun_BuiltBusy(benchmark::State& state)
{
    if (!Data().IsLoaded())
    {
        state.SkipWithError("no game data");
        return;
    }
    const std::vector<uint8_t> map = BuiltBusyLevel();
    for (auto _ : state)
        benchmark::DoNotOptimize(SimRun::Create(map, SimRun::Options{}));
}

} // namespace

BENCHMARK(BM_Trace10000_BuiltBusy_Pixels)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_Trace10000_BuiltBusy_NoPixels)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_Trace10000_Map9_Pixels)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_Trace10000_Map9_NoPixels)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_CreateRun_BuiltBusy)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
