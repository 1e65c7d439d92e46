#include "SimTestSupport.h"

#include "app/ZestAppBase.h"
#include "garden/Level.h"
#include "garden/MapObject.h"
#include "graphics/MemoryImage.h"

#include <cstring>

#include <gtest/gtest.h>

namespace tibble::sim::test
{
namespace
{

std::vector<uint8_t> SmallLevel()
{
    return MapBuilder(10, 8).AddAt(TypeStartTrumpet, 3, 1).AddAt(TypePurpleRose, 3, 4).Bytes();
}

std::unique_ptr<SimRun> MakeRun(const std::vector<uint8_t>& map, SimRun::DrawMode mode = SimRun::DrawMode::NoPixels)
{
    DataFolderPath();
    SimRun::Options options;
    options.drawMode = mode;
    std::string error;
    std::unique_ptr<SimRun> run = SimRun::Create(map, options, &error);
    EXPECT_TRUE(run) << error;
    return run;
}

TEST(SimRun, DrawingWithoutPixelsGivesTheSameTraceAsDrawingOnTheScreen)
{
    // Flowers wait on their animations, which advance per draw: a draw that skipped them would show here.
    std::unique_ptr<SimRun> busy = MakeRun(BusyLevel());
    ASSERT_TRUE(busy);
    EXPECT_GE(busy->GetLevel().GetAgentCount(), 30);
    const std::string script = BusyScript(2000);
    const std::string withPixels = TraceOf(BusyLevel(), script, SimRun::DrawMode::Pixels);
    const std::string withoutPixels = TraceOf(BusyLevel(), script, SimRun::DrawMode::NoPixels);
    ASSERT_NE(withPixels.find("\n2000 "), std::string::npos);
    EXPECT_EQ(CompareTraces(withPixels, withoutPixels, 0), "");
}

TEST(SimRun, PixelsDrawnOnlyForOneDrawGiveTheSamePictureAsEveryDrawOnTheScreen)
{
    std::unique_ptr<SimRun> always = MakeRun(BusyLevel(), SimRun::DrawMode::Pixels);
    std::unique_ptr<SimRun> once = MakeRun(BusyLevel(), SimRun::DrawMode::NoPixels);
    ASSERT_TRUE(always && once);
    EXPECT_EQ(once->GetScreen(), nullptr);
    for (int i = 0; i < 300; i++)
    {
        if (i == 299)
            once->SetDrawMode(SimRun::DrawMode::Pixels);
        always->Step();
        once->Step();
    }
    zest::MemoryImage* a = always->GetScreen();
    zest::MemoryImage* b = once->GetScreen();
    ASSERT_TRUE(a && b);
    ASSERT_EQ(a->GetWidth(), Level::ScreenWidth);
    ASSERT_EQ(a->GetHeight(), Level::ScreenHeight);
    EXPECT_EQ(std::memcmp(a->GetBits(), b->GetBits(), sizeof(uint32_t) * Level::ScreenWidth * Level::ScreenHeight), 0);
}

TEST(SimRun, SameMapAndSeedReplayTheSameTrace)
{
    const std::vector<uint8_t> map = BusyLevel();
    const std::string script = BusyScript(700);
    const std::string first = TraceOf(map, script);
    for (int i = 0; i < 3; i++)
        EXPECT_EQ(CompareTraces(first, TraceOf(map, script), 0), "");
}

TEST(SimRun, UpdatesAndDrawsCanBeRunApart)
{
    std::unique_ptr<SimRun> run = MakeRun(SmallLevel());
    ASSERT_TRUE(run);
    Level& level = run->GetLevel();
    const int intro = level.GetIntroCounter();
    ASSERT_GT(intro, 3);
    // Draws before the first update, as the game may do: the banner counts draws, the trace counts updates.
    run->Draw();
    run->Draw();
    EXPECT_EQ(run->Draws(), 2);
    EXPECT_EQ(run->Updates(), 0);
    EXPECT_EQ(level.GetIntroCounter(), intro - 2);
    EXPECT_EQ(run->Update().answer, Level::GoOn);
    EXPECT_EQ(level.GetIntroCounter(), intro - 2);
    run->Step();
    EXPECT_EQ(run->Updates(), 2);
    EXPECT_EQ(run->Draws(), 3);
    EXPECT_EQ(run->Trace().update, 2);
}

TEST(SimRun, TraceHoldsTheBeeTheHoneyAndTheCamera)
{
    std::unique_ptr<SimRun> run = MakeRun(SmallLevel());
    ASSERT_TRUE(run);
    for (int i = 0; i < 5; i++)
        run->Step();
    Level& level = run->GetLevel();
    const SimTrace trace = run->Trace();
    EXPECT_EQ(trace.update, 5);
    EXPECT_EQ(trace.x, level.GetBee().x);
    EXPECT_EQ(trace.y, level.GetBee().y);
    EXPECT_EQ(trace.vx, level.GetBee().vx);
    EXPECT_EQ(trace.vy, level.GetBee().vy);
    EXPECT_EQ(trace.state, level.GetBee().state);
    EXPECT_EQ(trace.nectar, level.GetNectarCollected());
    EXPECT_EQ(trace.barShown, level.GetBarShown());
    EXPECT_EQ(trace.cameraX, level.GetCameraX());
    EXPECT_EQ(trace.cameraY, level.GetCameraY());

    SimTrace line;
    line.update = 12;
    line.x = -3;
    line.y = 40;
    line.vx = -0.123456f;
    line.vy = 0.35f;
    line.state = 4;
    line.nectar = 10;
    line.barShown = 99;
    line.cameraX = 64;
    line.cameraY = 32;
    EXPECT_EQ(line.Format(), "12 -3 40 -0.12346 0.35000 4 10 99 64 32");
}

TEST(SimRun, RejectsAMapThatCannotBePlayed)
{
    DataFolderPath();
    const std::vector<uint8_t> playable = SmallLevel();
    struct Case
    {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* reason;
    };
    const Case cases[] = {
        {"empty", {}, "smaller than"},
        {"cut in the tiles", std::vector<uint8_t>(playable.begin(), playable.begin() + 40), "bytes of tiles"},
        {"no start trumpet", MapBuilder(10, 8).AddAt(TypePurpleRose, 3, 4).Bytes(), "no start trumpet"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        std::string error;
        EXPECT_EQ(SimRun::Create(c.bytes, SimRun::Options{}, &error), nullptr);
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
}

TEST(SimRun, StepReportsLivesLostAndNotATransportWhenTheBeeFallsOut)
{
    std::unique_ptr<SimRun> run =
        MakeRun(MapBuilder(10, 8).AddAt(TypeStartTrumpet, 3, 5).AddAt(TypeMiniFlower, 9, 0).Bytes());
    ASSERT_TRUE(run);
    int lost = 0;
    int transports = 0;
    for (int i = 0; i < 3000; i++)
    {
        StepResult result = run->Step();
        lost += result.livesLost;
        transports += result.transport ? 1 : 0;
        if (result.gameOver)
        {
            EXPECT_EQ(result.EventLines(run->Updates()), "# lifelost " + std::to_string(run->Updates()) +
                                                             "\n# gameover " + std::to_string(run->Updates()) + "\n");
            break;
        }
    }
    EXPECT_EQ(lost, 4); // three lives, then the game is over
    EXPECT_EQ(run->GetHost().Lives(), 0);
    EXPECT_EQ(transports, 0);
}

TEST(SimRun, StepReportsAHiveTheBeeCollects)
{
    // The rose is the only flower of group 5, so draining it reveals the group's hive, which lies on the
    // bee's way down after it takes off.
    std::unique_ptr<SimRun> run = MakeRun(MapBuilder(10, 8)
                                              .AddAt(TypeStartTrumpet, 3, 1)
                                              .AddAt(TypePurpleRose, 3, 4, 5)
                                              .Add(TypeHive, 282, 360, 5)
                                              .Bytes());
    ASSERT_TRUE(run);
    int hiveUpdate = 0;
    for (int i = 0; i < 1600 && hiveUpdate == 0; i++)
    {
        StepResult result = run->Step();
        EXPECT_LE(result.hives, 1);
        if (result.hives > 0)
        {
            hiveUpdate = run->Updates();
            EXPECT_EQ(result.EventLines(hiveUpdate), "# hive " + std::to_string(hiveUpdate) + "\n");
        }
    }
    EXPECT_GT(hiveUpdate, 0);
    EXPECT_EQ(run->GetHost().Hives(), 1);
    EXPECT_TRUE(run->GetHost().PendingEvents().empty()) << "drained by the step";
}

TEST(SimHost, GeneratorIsTheGamesSharedGenerator)
{
    zest::ZestAppBase* app = LoadedApp();
    ASSERT_TRUE(app);
    for (uint32_t seed : {1u, 5489u, 0xDEADBEEFu})
    {
        SCOPED_TRACE(seed);
        app->SeedRandom(seed);
        SimHost host(seed);
        for (int i = 0; i < 1000; i++)
            ASSERT_EQ(host.Random(), static_cast<uint32_t>(app->Rand())) << "draw " << i;
    }
}

TEST(SimHost, RecordsTheMouseAsTheWidgetManagerDoes)
{
    SimHost host;
    host.Move(10, 20);
    EXPECT_EQ(host.MouseButtons(), 0);
    host.Down(30, 40);
    EXPECT_EQ(host.MouseX(), 30);
    EXPECT_EQ(host.MouseY(), 40);
    EXPECT_EQ(host.MouseButtons(), LevelHost::LeftButton);
    host.Move(50, 60); // a drag keeps the button down
    EXPECT_EQ(host.MouseButtons(), LevelHost::LeftButton);
    host.Up(70, 80);
    EXPECT_EQ(host.MouseX(), 70);
    EXPECT_EQ(host.MouseY(), 80);
    EXPECT_EQ(host.MouseButtons(), 0);
    host.Up(1, 2); // a release without a press only moves
    EXPECT_EQ(host.MouseButtons(), 0);
    EXPECT_FALSE(host.IsPaused());
}

TEST(SimHost, CountsLivesAndHivesAsTheBoardDoesAndKeepsTheEvents)
{
    SimHost host;
    EXPECT_EQ(host.Lives(), 3);
    EXPECT_EQ(host.Hives(), 0);
    // The fifth hive is a life, and the count starts again.
    for (int i = 0; i < 4; i++)
        host.AddHive();
    EXPECT_EQ(host.Hives(), 4);
    host.AddHive();
    EXPECT_EQ(host.Hives(), 0);
    EXPECT_EQ(host.Lives(), 4);
    EXPECT_EQ(host.DrainEvents(), std::vector<SimHost::Event>(5, SimHost::Event::Hive));
    EXPECT_TRUE(host.DrainEvents().empty());

    const bool answers[] = {false, false, false, false, true};
    for (bool gameOver : answers)
        EXPECT_EQ(host.LoseLife(), gameOver);
    EXPECT_EQ(host.Lives(), 0);
    EXPECT_EQ(host.LivesLost(), 5);
    EXPECT_EQ(host.DrainEvents().size(), 5u);
}

TEST(SimHost, ReadsFilesThroughTheArchiveFunctions)
{
    DataFolderPath(); // the data folder is the working directory
    SimHost host;
    std::vector<uint8_t> bytes{1, 2, 3};
    EXPECT_TRUE(host.ReadFileIntoBuffer("properties\\resources.xml", bytes));
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_NE(text.find("ResourceManifest"), std::string::npos);

    std::vector<uint8_t> kept{1, 2, 3};
    EXPECT_FALSE(host.ReadFileIntoBuffer("maps\\no-such-map.pmp", kept));
    EXPECT_FALSE(host.ReadFileIntoBuffer("properties", kept)); // a folder is not a file
    EXPECT_EQ(kept, (std::vector<uint8_t>{1, 2, 3}));
}

} // namespace
} // namespace tibble::sim::test
