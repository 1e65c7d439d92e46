// Level play through the play harness against real time: the whole game (widget tree, level, HUD, music fades) on
// a fake clock, headless, one update and one draw per step, while the bee is pushed around by a held hose. The game
// runs at 100 updates a second, so "x_real_time" is how many seconds of play one second of this machine's CPU time
// gets through (CPU time: the machine is shared, and waiting for a core is not the game's cost; the wall-clock
// figure is the Time column). The data folder is ZEST_PLAY_DATA, or the environment's TIBBLE_PLAY_DATA.
#include "harness/PlayApp.h"

#include "game/Board.h"
#include "platform/WindowMessage.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace
{

constexpr int UpdatesPerSecond = 100;

// The one game of the process (the application object is a singleton), in level play.
struct Game
{
    std::unique_ptr<tibble::play::PlayApp> app;
    std::string error;
};

Game& LevelInPlay(int playNumber)
{
    static Game game;
    if (game.app || !game.error.empty())
        return game;
    const char* data = std::getenv("TIBBLE_PLAY_DATA");
    std::string folder = data && *data ? data : ZEST_PLAY_DATA;
    std::string settings = (std::filesystem::temp_directory_path() / "bench-play-settings").string();
    std::filesystem::remove_all(settings);
    std::filesystem::create_directories(settings);
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("XDG_CONFIG_HOME", settings.c_str(), 1);
    setenv("XDG_DATA_HOME", (settings + "/data").c_str(), 1);
    game.app = std::make_unique<tibble::play::PlayApp>(folder, std::vector<std::string>());
    (void)tibble::WriteGameData(*game.app, tibble::Board::ProgressValueName,
                                tibble::Board::EncodeProgress(playNumber - 1, 0, tibble::Board::StartLives));
    if (!game.app->Start(1u))
    {
        game.error = "the game did not start with the data in " + folder;
        return game;
    }
    // As tests/e2e/level-start.play: continue, PLAY, and the fade into the level.
    for (int update = 1; update <= 40; update++)
    {
        if (update == 3 || update == 5)
        {
            int x = update == 3 ? 320 : 96;
            int y = update == 3 ? 450 : 285;
            game.app->SendMouse(zest::WM_MOUSEMOVE, x, y);
            game.app->SendMouse(zest::WM_LBUTTONDOWN, x, y);
            game.app->SendMouse(zest::WM_LBUTTONUP, x, y);
        }
        game.app->Step();
    }
    if (game.app->Field("screen") != "playing")
        game.error = "level " + std::to_string(playNumber) + " is not in play";
    return game;
}

void BM_LevelPlay(benchmark::State& state)
{
    Game& game = LevelInPlay(1);
    if (!game.error.empty())
    {
        state.SkipWithError(game.error.c_str());
        return;
    }
    tibble::play::PlayApp& app = *game.app;
    bool held = false;
    for (auto _ : state)
    {
        // One second of play: the hose near the bottom left is held for half of it.
        for (int i = 0; i < UpdatesPerSecond; i++)
        {
            if (i == 0 || i == UpdatesPerSecond / 2)
            {
                held = !held;
                app.SendMouse(held ? zest::WM_LBUTTONDOWN : zest::WM_LBUTTONUP, 85, 430);
            }
            app.Step();
        }
    }
    if (app.Field("screen") != "playing" || app.Field("paused") != "0")
        state.SkipWithError("the level left play during the run");
    state.counters["x_real_time"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.SetItemsProcessed(state.iterations() * UpdatesPerSecond);
}
BENCHMARK(BM_LevelPlay)->Unit(benchmark::kMillisecond)->MinTime(3.0);

} // namespace

BENCHMARK_MAIN();
