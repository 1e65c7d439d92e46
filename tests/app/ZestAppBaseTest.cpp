#include "app/ZestAppBase.h"

#include "TestApp.h"
#include "app/Buffer.h"
#include "audio/SoundCache.h"
#include "platform/Log.h"
#include "platform/SystemMessageBox.h"
#include "platform/VirtualKeys.h"
#include "resources/ResourceManagerException.h"
#include "widgets/Dialog.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <future>
#include <map>
#include <set>
#include <string>
#include <thread>

namespace zest::test
{
namespace
{

// Steps the loop until it has slept `sleeps` more times (the backlog is then gone);
// gives up after a bound so a broken loop fails instead of hanging.
void StepUntilSleeps(TestApp& app, int sleeps = 1)
{
    int target = app.fakeClock.SleepCount() + sleeps;
    bool updated = false;
    for (int i = 0; i < 100000 && app.fakeClock.SleepCount() < target; i++)
        ASSERT_TRUE(app.UpdateStep(&updated));
    ASSERT_GE(app.fakeClock.SleepCount(), target) << "the loop never slept";
}

void StepFor(TestApp& app, uint64_t milliseconds)
{
    uint64_t end = app.fakeClock.Now() + milliseconds;
    bool updated = false;
    for (int i = 0; i < 1000000 && app.fakeClock.Now() < end; i++)
        app.UpdateStep(&updated);
}

class LoopTest : public ::testing::Test
{
protected:
    LoopTest()
    {
        widget.Resize(0, 0, 64, 64);
        app.GetWidgetManager()->AddWidget(&widget);
    }
    ~LoopTest() override { app.GetWidgetManager()->RemoveWidget(&widget); }

    TestApp app;
    BusyWidget widget;
};

TEST_F(LoopTest, SteadyLoopRunsOneHundredUpdatesASecond)
{
    app.MarkLoaded();
    StepUntilSleeps(app);
    int before = widget.updates;
    StepFor(app, 1000);
    EXPECT_NEAR(widget.updates - before, 100, 1);
}

TEST_F(LoopTest, CatchesUpAtMostTwentyUpdatesAfterAStall)
{
    app.MarkLoaded();
    StepUntilSleeps(app);
    int updatesBefore = widget.updates;
    int framesBefore = app.framesShown;
    app.fakeClock.Advance(5000); // the process was stopped for five seconds
    StepUntilSleeps(app);
    EXPECT_EQ(widget.updates - updatesBefore, 20);
    // The catch-up is interrupted by forced draws.
    EXPECT_GE(app.framesShown - framesBefore, 2);
}

// A game that ties its updates to the display refresh plays at 100 updates a second
// from the start: synchronised to a display that really waits for its refresh, on the
// timed loop where presents do not wait (no vsync) or the refresh is too fast to tie to.
TEST(ZestAppBaseLoop, UpdatesTiedToTheRefreshRunAtOneHundredASecondFromTheStart)
{
    struct Case
    {
        const char* name;
        bool windowed;
        int refreshHz; // 0: presents do not wait for a refresh
    };
    const Case cases[] = {
        {"full screen, 60 Hz vsync", false, 60},   {"full screen, 75 Hz vsync", false, 75},
        {"full screen, 50 Hz vsync", false, 50},   {"full screen, 144 Hz vsync", false, 144},
        {"full screen, no vsync", false, 0},       {"windowed, 60 Hz vsync", true, 60},
        {"windowed, no vsync", true, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        TestApp app;
        BusyWidget widget;
        widget.Resize(0, 0, 64, 64);
        app.GetWidgetManager()->AddWidget(&widget);
        app.GetDisplay()->PaceOffscreen(&app.fakeClock, c.refreshHz);
        app.physicallyWindowed = c.windowed;
        app.vsyncUpdates = true;
        app.MarkLoaded();
        StepFor(app, 1000);
        EXPECT_NEAR(widget.updates, 100, 2);
        if (c.refreshHz > 0)
        {
            EXPECT_EQ(app.syncRefreshRate, c.refreshHz);
        }
        // The second second keeps the pace.
        int before = widget.updates;
        StepFor(app, 1000);
        EXPECT_NEAR(widget.updates - before, 100, 2);
        app.GetWidgetManager()->RemoveWidget(&widget);
    }
}

TEST(ZestAppBaseLoop, ForcesADrawAfterTenUpdatesWithoutOneUnlessLoading)
{
    struct Case
    {
        const char* name;
        bool loaded;
        bool loadsInTheBackground;
        int minLongestRun;
        int maxLongestRun;
    };
    const Case cases[] = {
        {"loaded: a draw at least every ten updates", true, true, 2, 10},
        {"while loading: the catch-up runs through", false, true, 20, 20},
        // A tool without a loading thread (the level editor) is never loading: a slow machine still draws.
        {"nothing to load: a draw at least every ten updates", false, false, 2, 10},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        TestApp loopApp;
        BusyWidget busy;
        busy.Resize(0, 0, 10, 10);
        loopApp.GetWidgetManager()->AddWidget(&busy);
        loopApp.autoStartLoadingThread = c.loadsInTheBackground;
        if (c.loaded)
            loopApp.MarkLoaded();
        StepUntilSleeps(loopApp);
        int run = 0;
        int longest = 0;
        int lastFrames = loopApp.framesShown;
        busy.onUpdate = [&] {
            if (loopApp.framesShown != lastFrames)
            {
                lastFrames = loopApp.framesShown;
                run = 0;
            }
            longest = std::max(longest, ++run);
        };
        loopApp.fakeClock.Advance(1000);
        StepUntilSleeps(loopApp);
        EXPECT_GE(longest, c.minLongestRun);
        EXPECT_LE(longest, c.maxLongestRun);
        loopApp.GetWidgetManager()->RemoveWidget(&busy);
    }
}

TEST_F(LoopTest, MultiplierZeroStopsUpdatesAndDrawsButNotMessages)
{
    app.MarkLoaded();
    app.updateMultiplier = 0;
    app.GetWidgetManager()->SetFocus(&widget);
    app.WindowProc({0, WM_KEYDOWN, 'A', 0});
    StepUntilSleeps(app, 50);
    app.fakeClock.Advance(3000);
    StepUntilSleeps(app, 50);
    EXPECT_EQ(widget.updates, 0);
    EXPECT_EQ(widget.draws, 0);
    EXPECT_EQ(app.framesShown, 0);
    EXPECT_EQ(widget.keys, (std::vector<int>{'A'}));
}

TEST_F(LoopTest, HandlesOneQueuedMessagePerStep)
{
    app.GetWidgetManager()->SetFocus(&widget);
    for (int key : {'A', 'B', 'C'})
        app.WindowProc({0, WM_KEYDOWN, static_cast<uint64_t>(key), 0});
    bool updated = false;
    for (size_t expected = 1; expected <= 3; expected++)
    {
        app.UpdateStep(&updated);
        EXPECT_EQ(widget.keys.size(), expected);
        EXPECT_FALSE(updated);
    }
}

TEST_F(LoopTest, QueuedMouseMessagesReachTheWidgetInApplicationCoordinates)
{
    app.GetWidgetManager()->SetMouseMapping(Rect(0, 0, 1280, 960), Rect(0, 0, 640, 480));
    struct Pressable : BusyWidget
    {
        void MouseDown(int mx, int my, int clickCount) override
        {
            x0 = mx;
            y0 = my;
            count = clickCount;
        }
        int x0 = -1, y0 = -1, count = 0;
    } target;
    target.Resize(100, 100, 50, 50);
    app.GetWidgetManager()->AddWidget(&target);
    app.WindowProc({0, WM_LBUTTONDOWN, MK_LBUTTON, MakePointParam(240, 220)});
    EXPECT_FALSE(app.HandleQueuedMessage());
    EXPECT_EQ(target.x0, 20);
    EXPECT_EQ(target.y0, 10);
    EXPECT_EQ(target.count, 1);
    app.WindowProc({0, WM_LBUTTONUP, 0, MakePointParam(240, 220)});
    app.HandleQueuedMessage();
    app.GetWidgetManager()->RemoveWidget(&target);
}

TEST_F(LoopTest, CloseMessageShutsTheLoopDown)
{
    app.WindowProc({0, WM_CLOSE, 0, 0});
    app.WindowProc({0, WM_KEYDOWN, 'A', 0}); // nothing is queued after a close
    bool updated = false;
    app.UpdateStep(&updated);
    EXPECT_TRUE(app.shutdown);
    EXPECT_TRUE(app.closedByUser);
    EXPECT_FALSE(app.UpdateStep(&updated));
    EXPECT_TRUE(widget.keys.empty());
}

// A widget that reports its own deletion.
class DeletionProbe : public BusyWidget
{
public:
    explicit DeletionProbe(bool* flag) : deleted(flag) {}
    ~DeletionProbe() override { *deleted = true; }
    bool* deleted;
};

TEST_F(LoopTest, WidgetMayQueueItsOwnDeletionFromUpdate)
{
    bool deleted = false;
    auto* probe = new DeletionProbe(&deleted);
    probe->Resize(0, 0, 10, 10);
    app.GetWidgetManager()->AddWidget(probe);
    probe->onUpdate = [&] {
        app.QueueWidgetDeletion(probe);
        app.QueueWidgetDeletion(probe); // asking twice deletes once
        probe->Resize(1, 1, 10, 10);    // still usable until the update is over
        EXPECT_FALSE(deleted);
    };
    app.MarkLoaded();
    StepFor(app, 50);
    EXPECT_TRUE(deleted);
    EXPECT_FALSE(app.GetWidgetManager()->HasWidget(probe));
}

TEST_F(LoopTest, DeletionAskedForInAnOuterStepWaitsForNestedSteps)
{
    bool outerDeleted = false;
    bool innerDeleted = false;
    auto* outer = new DeletionProbe(&outerDeleted);
    auto* inner = new DeletionProbe(&innerDeleted);
    app.GetWidgetManager()->AddWidget(outer);
    app.GetWidgetManager()->AddWidget(inner);
    bool nested = false;
    bool outerAliveAfterNested = false;
    outer->onUpdate = [&] {
        if (nested)
            return;
        nested = true;
        app.QueueWidgetDeletion(outer);
        inner->onUpdate = [&] { app.QueueWidgetDeletion(inner); };
        // A modal wait: the loop runs on inside this update.
        bool updated = false;
        for (int i = 0; i < 200; i++)
            app.UpdateStep(&updated);
        outerAliveAfterNested = !outerDeleted;
        outer->Resize(2, 2, 5, 5);
    };
    app.MarkLoaded();
    StepUntilSleeps(app, 3);
    EXPECT_TRUE(nested);
    EXPECT_TRUE(outerAliveAfterNested);
    EXPECT_TRUE(innerDeleted); // asked for inside the nested steps: gone with them
    EXPECT_TRUE(outerDeleted);
}

TEST_F(LoopTest, ShutdownFromAnotherThreadTakesEffectAtTheNextTick)
{
    std::thread other([this] { app.Shutdown(); });
    other.join();
    EXPECT_FALSE(app.shutdown);
    app.Tick(false);
    EXPECT_TRUE(app.shutdown);
    bool updated = false;
    EXPECT_FALSE(app.UpdateStep(&updated));
}

TEST_F(LoopTest, DrawsAtMostEveryFiftyMillisecondsWhileLoading)
{
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    app.loadingBody = [released] { released.wait(); };
    app.StartLoadingThread();
    StepFor(app, 1000);
    EXPECT_GE(app.framesShown, 15);
    EXPECT_LE(app.framesShown, 21);
    // The main thread gives way to the loading thread: it sleeps most of the time.
    EXPECT_GT(widget.updates, 50);
    release.set_value();
    app.WaitForLoadingThread();
    EXPECT_DOUBLE_EQ(app.LoadingProgress(), 0.0); // no tasks counted, not yet noticed
    StepFor(app, 20);
    EXPECT_EQ(app.loadingDoneCalls, 1);
    EXPECT_TRUE(app.loadingDoneOnMainThread);
    EXPECT_DOUBLE_EQ(app.LoadingProgress(), 1.0);
}

TEST(ZestAppBaseLoading, ProgressFollowsTheTaskCounters)
{
    TestApp app;
    EXPECT_DOUBLE_EQ(app.LoadingProgress(), 0.0);
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    app.loadingBody = [released] { released.wait(); };
    app.StartLoadingThread();
    struct Case
    {
        int total, done;
        double expect;
    };
    const Case cases[] = {{0, 0, 0.0}, {0, 5, 0.0}, {4, 1, 0.25}, {4, 4, 1.0}, {4, 9, 1.0}};
    for (const Case& c : cases)
    {
        app.numLoadingThreadTasks = c.total;
        app.completedLoadingThreadTasks = c.done;
        EXPECT_DOUBLE_EQ(app.LoadingProgress(), c.expect) << c.total << " " << c.done;
    }
    release.set_value();
    app.WaitForLoadingThread();
}

TEST(ZestAppBaseLoading, MessageBoxFromTheLoadingThreadIsShownByTheMainThread)
{
    TestApp app;
    std::thread::id shownOn;
    std::string shownTitle;
    MessageBoxHandler previous = SetMessageBoxHandler([&](const std::string&, const std::string& title, unsigned) {
        shownOn = std::this_thread::get_id();
        shownTitle = title;
        return static_cast<int>(IDNO);
    });
    int answer = 0;
    app.loadingBody = [&] {
        answer = app.MessageBox("Keep going?", "Question", MB_YESNO);
        app.ShowFatalError("broken data");
    };
    app.StartLoadingThread();
    app.WaitForLoadingThread();
    SetMessageBoxHandler(previous);
    EXPECT_EQ(answer, IDNO);
    EXPECT_EQ(shownOn, std::this_thread::get_id());
    EXPECT_EQ(shownTitle, "FATAL ERROR");
}

// Loading in steps between frames, as the browser runs it (no threads): each resource takes 4 ms.
class SlicedLoadingApp : public TestApp
{
public:
    SlicedLoadingApp() { loadingInSlices = true; }
    bool LoadingStep() override
    {
        fakeClock.Advance(4);
        steps++;
        if (steps == failAt)
            throw ResourceManagerException("broken resource");
        return steps < stepCount;
    }
    void EndLoading() override { ended++; }
    int steps = 0;
    int stepCount = 40;
    int failAt = 0;
    int ended = 0;
};

TEST(ZestAppBaseLoading, SlicedLoadingTakesAShareOfEachFrameWhileTheLoopRuns)
{
    SlicedLoadingApp app;
    BusyWidget widget;
    widget.Resize(0, 0, 64, 64);
    app.GetWidgetManager()->AddWidget(&widget);
    app.StartLoadingThread();
    EXPECT_EQ(app.steps, 0) << "nothing loads before the first frame";
    ASSERT_TRUE(app.BrowserFrame());
    // 12 ms of the frame: three 4 ms steps, then the frame's updates and draw.
    EXPECT_EQ(app.steps, 3);
    EXPECT_FALSE(app.loadingThreadCompleted);
    EXPECT_GT(widget.updates, 0);
    EXPECT_GT(app.framesShown, 0);
    int frames = 1;
    while (!app.loadingThreadCompleted && frames < 100)
    {
        ASSERT_TRUE(app.BrowserFrame());
        frames++;
    }
    EXPECT_EQ(app.steps, 40);
    EXPECT_EQ(frames, 14);
    EXPECT_EQ(app.ended, 1);
    ASSERT_TRUE(app.BrowserFrame());
    EXPECT_EQ(app.loadingDoneCalls, 1);
    EXPECT_EQ(app.steps, 40) << "no step after the last";
    app.GetWidgetManager()->RemoveWidget(&widget);
}

TEST(ZestAppBaseLoading, ResourceErrorInASliceEndsLoadingWithTheFatalErrorBox)
{
    SlicedLoadingApp app;
    app.failAt = 5;
    std::vector<std::string> boxes;
    MessageBoxHandler previous = SetMessageBoxHandler([&](const std::string& text, const std::string&, unsigned) {
        boxes.push_back(text);
        return static_cast<int>(IDOK);
    });
    app.StartLoadingThread();
    for (int frame = 0; frame < 5; frame++)
        app.BrowserFrame();
    SetMessageBoxHandler(previous);
    EXPECT_TRUE(app.loadingThreadCompleted);
    EXPECT_EQ(app.steps, 5);
    EXPECT_EQ(app.ended, 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "broken resource");
}

TEST(ZestAppBaseDialogs, DialogsArePlacedRegisteredAndClosed)
{
    TestApp app;
    Dialog* dialog = app.ShowDialog(5, true, "Header", "Body", "", 2);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(app.GetDialog(5), dialog);
    EXPECT_EQ(app.GetDialogCount(), 1);
    EXPECT_EQ(dialog->x, 160);
    EXPECT_EQ(dialog->y, 96);
    EXPECT_EQ(dialog->width, 320);
    EXPECT_EQ(dialog->height, dialog->GetPreferredHeight(320));
    EXPECT_EQ(app.GetWidgetManager()->baseModalWidget, dialog);

    dialog->ButtonPressed(Dialog::NoButtonId);
    dialog->ButtonClicked(Dialog::YesButtonId);
    EXPECT_EQ(app.pressed, (std::vector<int>{3005}));
    EXPECT_EQ(app.clicked, (std::vector<int>{2005}));

    // Registering the same dialog again keeps it alive.
    app.AddDialog(5, dialog);
    app.DeleteQueuedWidgets();
    EXPECT_EQ(app.GetDialog(5), dialog);

    Dialog* unanswered = app.ShowDialog(6, false, "", "", "", 0);
    EXPECT_TRUE(app.CloseDialog(6, true, false));
    EXPECT_EQ(unanswered->result, INT_MAX);
    delete unanswered;
    EXPECT_TRUE(app.CloseDialog(5));
    EXPECT_FALSE(app.CloseDialog(5));
    EXPECT_EQ(app.GetDialogCount(), 0);
    EXPECT_EQ(app.GetWidgetManager()->baseModalWidget, nullptr);
    EXPECT_FALSE(app.GetWidgetManager()->HasWidget(dialog));
    app.DeleteQueuedWidgets();
}

TEST(ZestAppBaseFiles, ReadFileIntoBufferReadsWholeFilesOnly)
{
    TestApp app;
    std::filesystem::path folder = std::filesystem::path(::testing::TempDir()) / "zest-read-\xC3\xBC\xC3\xA9";
    std::filesystem::create_directories(folder);
    std::filesystem::path file = folder / "level-\xE2\x98\x85.bin";
    {
        std::ofstream out(file, std::ios::binary);
        out.write("\x01\x02\x00\x04", 4);
    }
    // Sparse: claims more than any game file without taking the disk space.
    std::filesystem::path huge = folder / "huge.bin";
    {
        std::ofstream out(huge, std::ios::binary);
    }
    std::filesystem::resize_file(huge, ZestAppBase::MaxReadFileSize + 1);
    Buffer buffer;
    buffer.SetData(std::vector<uint8_t>{9, 9});
    struct Case
    {
        std::string path;
        bool ok;
    };
    const Case failures[] = {
        {(folder / "missing.bin").string(), false}, {folder.string(), false}, {"", false}, {huge.string(), false}};
    for (const Case& c : failures)
    {
        EXPECT_FALSE(app.ReadFileIntoBuffer(c.path, buffer)) << c.path;
        EXPECT_EQ(buffer.GetDataLen(), 2u) << "a failed read leaves the buffer alone";
    }
    ASSERT_TRUE(app.ReadFileIntoBuffer(file.string(), buffer));
    ASSERT_EQ(buffer.GetDataLen(), 4u);
    EXPECT_EQ(buffer.GetReadPos(), 0u);
    EXPECT_EQ(buffer.GetData()[2], 0);
    EXPECT_EQ(buffer.GetData()[3], 4);
    std::filesystem::remove_all(folder);
}

TEST(ZestAppBaseStrings, StringTableAnswersDefaultsForUnknownIds)
{
    TestApp app;
    EXPECT_EQ(app.GetString("DIALOG_BUTTON_OK", "x"), "OK");
    EXPECT_EQ(app.GetString("FATAL_ERROR", "FATAL ERROR"), "FATAL ERROR");
    app.SetString("FATAL_ERROR", "Oops");
    EXPECT_EQ(app.GetString("FATAL_ERROR", "FATAL ERROR"), "Oops");
}

// The exit statistics: "Avg FPS" is the number of frames shown per second of the run,
// however long each frame took to draw.
TEST(ZestAppBaseRun, ExitStatisticsGiveFramesPerSecondOfTheRun)
{
    TestApp app;
    struct SlowToDraw : BusyWidget
    {
        explicit SlowToDraw(FakeClock& clock) : clock(clock) {}
        void Draw(Graphics* g) override
        {
            BusyWidget::Draw(g);
            clock.Advance(2);
        }
        FakeClock& clock;
    } widget(app.fakeClock);
    widget.Resize(0, 0, 64, 64);
    app.GetWidgetManager()->AddWidget(&widget);
    widget.onUpdate = [&] {
        if (widget.updates == 400)
            app.Shutdown();
    };
    std::map<std::string, double> stats;
    // The statistics are debug lines: shown only when asked for.
    LogLevel previousThreshold = SetLogThreshold(LogLevel::Debug);
    LogSink previous = SetLogSink([&](LogLevel, const std::string& line) {
        size_t equals = line.find(" = ");
        if (equals == std::string::npos)
            return;
        std::string name = line.substr(0, equals);
        name.erase(name.find_last_not_of(' ') + 1);
        stats[name] = std::stod(line.substr(equals + 3));
    });
    app.MarkLoaded();
    app.startTick = app.fakeClock.Now();
    app.Run();
    SetLogSink(previous);
    SetLogThreshold(previousThreshold);
    ASSERT_EQ(stats.count("Seconds"), 1u);
    ASSERT_EQ(stats.count("Draw Count"), 1u);
    ASSERT_EQ(stats.count("Avg FPS"), 1u);
    EXPECT_NEAR(stats["Seconds"], 4.0, 0.1);
    EXPECT_GT(stats["Draw Count"], 300);
    // Every update was drawn: about 100 frames a second, not 1000 / 2 ms.
    EXPECT_NEAR(stats["Avg FPS"], stats["Draw Count"] / stats["Seconds"], 1.0);
    EXPECT_NEAR(stats["Avg FPS"], 100, 3);
    app.GetWidgetManager()->RemoveWidget(&widget);
}

TEST(ZestAppBaseFocus, LosingTheFocusMutesAndReleasesButtons)
{
    TestApp app;
    BusyWidget widget;
    widget.Resize(0, 0, 100, 100);
    app.GetWidgetManager()->AddWidget(&widget);
    app.GetWidgetManager()->MouseMove(10, 10);
    app.GetWidgetManager()->MouseDown(10, 10, 1);
    app.WindowProc({0, WM_ACTIVATEAPP, 0, 0});
    app.HandleQueuedMessage();
    EXPECT_FALSE(app.hasFocus);
    EXPECT_TRUE(app.IsMuted());
    EXPECT_EQ(app.GetWidgetManager()->lastDownWidget, nullptr);
    EXPECT_FALSE(widget.isDown);
    app.WindowProc({0, WM_ACTIVATEAPP, 1, 0});
    app.HandleQueuedMessage();
    EXPECT_TRUE(app.hasFocus);
    EXPECT_FALSE(app.IsMuted());
    app.GetWidgetManager()->RemoveWidget(&widget);
}

} // namespace
} // namespace zest::test

namespace zest::test
{
namespace
{

// The whole start-up and run on SDL's dummy video driver: the window opens, frames
// are presented, and Run returns once a widget asks for the shutdown.
TEST(ZestAppBaseRun, InitializeOpensTheWindowAndRunEndsOnShutdown)
{
    std::filesystem::path home = std::filesystem::path(::testing::TempDir()) / "zest-run-home";
    setenv("XDG_DATA_HOME", home.c_str(), 1);
    TestApp app;
    app.changeDir = std::filesystem::current_path().string();
    app.fullCompanyName = "Zest Tests";
    app.productName = "Run";
    const std::string savedCacheProduct = SoundCache::ProductName();
    app.Initialize();
    ASSERT_TRUE(app.initialized);
    // Decoded sounds are cached in the product's own folder.
    EXPECT_EQ(SoundCache::ProductName(), "Run");
    SoundCache::SetProductName(savedCacheProduct);
    ASSERT_NE(app.GetMainWindow(), nullptr);
    if (!app.GetDisplay()->IsShowing())
        GTEST_SKIP() << "no renderer on this video driver";
    EXPECT_TRUE(std::filesystem::is_directory(home / "Zest Tests" / "Run"));

    BusyWidget widget;
    widget.Resize(0, 0, 640, 480);
    app.GetWidgetManager()->AddWidget(&widget);
    widget.onUpdate = [&] {
        if (widget.updates == 50)
            app.Shutdown();
    };
    app.Run();
    EXPECT_TRUE(app.shutdown);
    EXPECT_EQ(widget.updates, 50);
    EXPECT_GT(app.drawCount, 10);
    EXPECT_EQ(app.screenBltCount, app.drawCount);
    app.GetWidgetManager()->RemoveWidget(&widget);
    std::filesystem::remove_all(home);
}

// Tile variants and random events differ between runs: the generator is not seeded
// from the clock's start, which is nearly the same every run.
TEST(ZestAppBaseRun, EachRunSeedsTheRandomGeneratorDifferently)
{
    std::filesystem::path home = std::filesystem::path(::testing::TempDir()) / "zest-seed-home";
    setenv("XDG_DATA_HOME", home.c_str(), 1);
    std::set<uint32_t> seeds;
    std::set<int> firstNumbers;
    for (int run = 0; run < 3; run++)
    {
        TestApp app; // every fake clock starts at the same time
        app.changeDir = std::filesystem::current_path().string();
        app.Initialize();
        ASSERT_TRUE(app.initialized);
        seeds.insert(app.randomSeed);
        firstNumbers.insert(app.Rand());
    }
    EXPECT_EQ(seeds.size(), 3u);
    EXPECT_EQ(firstNumbers.size(), 3u);
    std::filesystem::remove_all(home);
}

} // namespace
} // namespace zest::test
