// Whole games with the real data: a solved garden keeps its best run, which replays to the same completion
// update; a session played at assist speed replays identically from its demo, at the speed it was played.
#include "harness/PlayApp.h"
#include "playscript/PlayScript.h"

#include "app/DemoFile.h"
#include "game/BestRun.h"
#include "game/BestRunPlayer.h"
#include "game/Board.h"
#include "game/GameSpeed.h"
#include "game/GardenRecords.h"
#include "garden/Bee.h"
#include "garden/Level.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace tibble::play
{
namespace
{

namespace fs = std::filesystem;

// The harness's folders: settings and demos in a fresh folder, headless.
class GardenRuns : public ::testing::Test
{
protected:
    void SetUp() override
    {
        static int counter = 0;
        home = fs::temp_directory_path() / ("tibble-runs-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
        fs::remove_all(home);
        fs::create_directories(home);
        for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
        {
            const char* value = std::getenv(name);
            saved.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
        }
        Fresh("one");
    }
    void TearDown() override
    {
        for (const auto& [name, value] : saved)
        {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
        fs::remove_all(home);
    }
    // Settings and data folders no run has used yet.
    void Fresh(const std::string& name)
    {
        setenv("XDG_CONFIG_HOME", (home / name / "config").c_str(), 1);
        setenv("XDG_DATA_HOME", (home / name / "data").c_str(), 1);
        setenv("XDG_CACHE_HOME", (home / name / "cache").c_str(), 1);
    }
    static PlayScript Solution(const std::string& map)
    {
        std::ifstream in(std::string(ZEST_SOURCE_DIR) + "/content/levels/" + map + ".play");
        std::stringstream text;
        text << in.rdbuf();
        std::string error;
        std::optional<PlayScript> script = ParsePlayScript(text.str(), error);
        EXPECT_TRUE(script) << error;
        return script.value_or(PlayScript{});
    }
    // One harness update with the script's input for it, as tibble-play hands it over.
    static bool StepWith(PlayApp& app, const PlayScript& script, size_t& next, int update)
    {
        for (; next < script.actions.size() && script.actions[next].update == update; next++)
            EXPECT_TRUE(app.SendAction(script.actions[next])) << "line " << script.actions[next].line;
        return app.Step();
    }
    static Board* BoardOf(PlayApp& app) { return dynamic_cast<Board*>(app.GetBoard()); }

    fs::path home;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved;
};

TEST_F(GardenRuns, ASolvedGardenKeepsItsBestRunAndItReplaysToTheSameCompletionUpdate)
{
    const PlayScript script = Solution("1");
    int completionUpdate = 0;
    // The replay draws with the game's pictures, so it runs while the game that loaded them still stands.
    PlayApp app(ZEST_PLAY_DATA, {});
    {
        ASSERT_TRUE(WriteGameData(app, Board::ProgressValueName, Board::EncodeProgress(0, 0, Board::StartLives)));
        ASSERT_TRUE(app.Start(7u));
        size_t next = 0;
        int levelUpdatesBefore = 0;
        for (int update = 1; update <= script.actions.back().update && completionUpdate == 0; update++)
        {
            Board* board = BoardOf(app);
            if (board && board->GetLevel())
                levelUpdatesBefore = board->LevelUpdates();
            ASSERT_TRUE(StepWith(app, script, next, update));
            board = BoardOf(app);
            if (board && board->LevelIndex() == 1)
                completionUpdate = levelUpdatesBefore + 1;
        }
        ASSERT_GT(completionUpdate, 0) << "the solution did not finish garden 1";
        Board* board = BoardOf(app);
        std::optional<GardenRecords::Record> record = board->Records().Get(0, false);
        ASSERT_TRUE(record);
        EXPECT_EQ(record->updates, completionUpdate);
    }
    const std::string dataFolder = app.dataFolder;

    std::string error;
    std::optional<BestRun> best = BestRun::Load(dataFolder + BestRun::FileName(0, false), error);
    ASSERT_TRUE(best) << error;
    EXPECT_EQ(best->garden, 0);
    EXPECT_FALSE(best->assist);
    EXPECT_EQ(best->result.updates, completionUpdate);
    // The file is a demo file: its own reader takes it whole.
    EXPECT_FALSE(fs::exists(dataFolder + BestRun::FileName(0, true)));

    BestRunPlayer player(*best, BoardOf(app));
    ASSERT_TRUE(player.Start(&error)) << error;
    int answer = Level::GoOn;
    while (answer == Level::GoOn)
        answer = player.Step();
    EXPECT_EQ(answer, Level::Completed);
    EXPECT_EQ(player.UpdatesPlayed(), completionUpdate);
    EXPECT_EQ(player.GetLevel()->GetNectarCollected(), best->result.honey);
}

TEST_F(GardenRuns, ADamagedBestRunIsRefusedWithAReason)
{
    BestRun run;
    run.Begin(2, 3, 0, std::mt19937(5), "maps//4.pmp", {1, 2, 3});
    run.AddDraw(false);
    run.AddUpdate(10, 20, 1, 1.0);
    run.AddUpdate(10, 20, 0, 0.7);
    run.Finish({2, 0, 0});
    const std::vector<uint8_t> good = run.Encode();
    std::string error;
    std::optional<BestRun> back = BestRun::Parse(good, error);
    ASSERT_TRUE(back) << error;
    EXPECT_TRUE(back->assist);
    EXPECT_DOUBLE_EQ(back->slowestMultiplier, 0.7);
    ASSERT_EQ(back->events.size(), 3u);
    EXPECT_EQ(back->events[1].buttons, 1);
    EXPECT_EQ(back->events[2].buttons, 0);
    EXPECT_EQ(back->events[2].x, 10);

    struct Case
    {
        const char* name;
        std::function<void(BestRun&)> change;
        const char* error;
    };
    const Case cases[] = {
        {"a result that its updates do not reach", [](BestRun& r) { r.result.updates = 3; },
         "the best run's updates do not match its result"},
        {"a garden past the last", [](BestRun& r) { r.garden = 13; },
         "the best run names a garden or a result no run can have"},
        {"a damaged random state", [](BestRun& r) { r.randomState = "12 x"; }, "the best run's random state is damaged"},
    };
    for (const Case& c : cases)
    {
        BestRun changed = run;
        c.change(changed);
        EXPECT_FALSE(BestRun::Parse(changed.Encode(), error)) << c.name;
        EXPECT_EQ(error, c.error) << c.name;
    }
    std::vector<uint8_t> cut(good.begin(), good.end() - 12);
    EXPECT_FALSE(BestRun::Parse(cut, error));
    zest::DemoFile session;
    session.header.productName = "Tibble the Bee";
    EXPECT_FALSE(BestRun::Parse(session.Encode(), error));
    EXPECT_EQ(error, "it is not a best run");
}

// Game speed 70 %: the session is recorded, then played back in fresh settings (where the speed is 100 %). The
// demo brings its speed, and the garden goes through the same positions update by update.
TEST_F(GardenRuns, AssistSpeedReplaysIdenticallyFromItsDemo)
{
    const PlayScript script = Solution("2");
    const std::string demoPath = (home / "assist.dmo").string();
    const int updates = 1500;
    std::vector<std::pair<int, int>> recorded;
    {
        PlayApp app(ZEST_PLAY_DATA, {"-record", "-demofile=" + demoPath});
        ASSERT_TRUE(WriteGameData(app, Board::ProgressValueName, Board::EncodeProgress(1, 0, Board::StartLives)));
        ASSERT_TRUE(app.WriteRegInt(GameSpeed::ValueName, 70));
        ASSERT_TRUE(app.Start(11u));
        EXPECT_DOUBLE_EQ(app.updateMultiplier, 0.7);
        size_t next = 0;
        for (int update = 1; update <= updates; update++)
        {
            ASSERT_TRUE(StepWith(app, script, next, update));
            Board* board = BoardOf(app);
            if (board && board->GetLevel())
                recorded.emplace_back(board->GetLevel()->GetBee().x, board->GetLevel()->GetBee().y);
        }
        app.Shutdown();
    }
    ASSERT_GT(recorded.size(), 1000u);
    std::string error;
    std::optional<zest::DemoFile> demo = zest::DemoFile::Load(demoPath, error);
    ASSERT_TRUE(demo) << error;
    EXPECT_DOUBLE_EQ(demo->header.updateMultiplier, 0.7);

    Fresh("two");
    std::vector<std::pair<int, int>> replayed;
    {
        PlayApp app(ZEST_PLAY_DATA, {"-play", "-demofile=" + demoPath});
        ASSERT_TRUE(app.Start(std::nullopt));
        EXPECT_DOUBLE_EQ(app.updateMultiplier, 0.7);
        while (app.GetDemoPlayer() && app.Step())
        {
            Board* board = BoardOf(app);
            if (board && board->GetLevel() && app.GetDemoPlayer())
                replayed.emplace_back(board->GetLevel()->GetBee().x, board->GetLevel()->GetBee().y);
        }
        EXPECT_EQ(app.DemoStopReason(), "");
        EXPECT_DOUBLE_EQ(app.updateMultiplier, 0.7);
    }
    replayed.resize(std::min(replayed.size(), recorded.size()));
    EXPECT_GE(replayed.size() + 2, recorded.size());
    EXPECT_TRUE(std::equal(replayed.begin(), replayed.end(), recorded.begin()));
}

} // namespace
} // namespace tibble::play
