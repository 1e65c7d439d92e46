// The game application from start-up to the board: groups "Init" and "TitleScreen" on the main thread,
// "Game" on the loading thread behind the title screen's bar, the continue link only after a good
// load, the hand-over to the board, the dialogs' look and the exit codes of the start-up failures.
#include "GameTestData.h"

#include "app/DisplayInterface.h"
#include "game/GameApp.h"
#include "garden/Res.h"
#include "game/TitleScreen.h"
#include "graphics/DisplayImage.h"
#include "graphics/Font.h"
#include "platform/FakeClock.h"
#include "platform/SystemMessageBox.h"
#include "resources/ImageRes.h"
#include "resources/ResourceManager.h"
#include "widgets/Dialog.h"
#include "widgets/HyperlinkWidget.h"
#include "widgets/WidgetManager.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <set>
#include <thread>

using gametest::DataFolder;
using gametest::DataOptions;

namespace
{

// Lets the loading thread finish one resource per Release, so the test sees every step of the bar.
class SteppedResourceManager : public zest::ResourceManager
{
public:
    using zest::ResourceManager::ResourceManager;

    void OnResourceLoaded(zest::BaseRes* record) override
    {
        ResourceManager::OnResourceLoaded(record);
        {
            std::lock_guard<std::mutex> lock(mutex);
            loadThreads[record->group].insert(std::this_thread::get_id());
        }
        if (record->group != "Game")
            return;
        std::unique_lock<std::mutex> lock(mutex);
        signal.wait(lock, [this] { return permits > 0 || open; });
        if (permits > 0)
            permits--;
    }
    void Release()
    {
        std::lock_guard<std::mutex> lock(mutex);
        permits++;
        signal.notify_all();
    }
    void Open()
    {
        std::lock_guard<std::mutex> lock(mutex);
        open = true;
        signal.notify_all();
    }

    // The threads each group's resources were loaded on.
    std::set<std::thread::id> LoadThreads(const std::string& group)
    {
        std::lock_guard<std::mutex> lock(mutex);
        return loadThreads[group];
    }

private:
    std::mutex mutex;
    std::map<std::string, std::set<std::thread::id>> loadThreads;
    std::condition_variable signal;
    int permits = 0;
    bool open = false;
};

// Constructed before the application and destroyed after it: the loop and the sound manager use it.
struct ClockHolder
{
    zest::FakeClock fakeClock;
};

// The game run by the test: a fake clock, the data folder as its home, no single-instance lock and
// the loading thread started by the test.
class TestGameApp : private ClockHolder, public tibble::GameApp
{
public:
    TestGameApp(const std::string& dataFolder, bool stepped)
    {
        SetClock(&fakeClock);
        changeDir = dataFolder;
        onlyAllowOneCopyToRun = false;
        autoStartLoadingThread = false;
        isWindowed = true;
        if (stepped)
        {
            auto manager = std::make_unique<SteppedResourceManager>(this);
            steps = manager.get();
            resourceManager = std::move(manager);
        }
    }
    ~TestGameApp() override
    {
        if (steps)
            steps->Open();
        WaitForLoadingThread();
    }

    SteppedResourceManager* steps = nullptr;
};

// Collects the message boxes instead of showing them.
class BoxCatcher
{
public:
    BoxCatcher()
    {
        previous = zest::SetMessageBoxHandler([this](const std::string& text, const std::string& title, unsigned) {
            std::lock_guard<std::mutex> lock(mutex);
            boxes.push_back(title + ": " + text);
            threads.push_back(std::this_thread::get_id());
            return zest::IDOK;
        });
    }
    ~BoxCatcher() { zest::SetMessageBoxHandler(previous); }
    std::vector<std::string> Boxes()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return boxes;
    }
    // The threads the boxes were shown on.
    std::vector<std::thread::id> Threads()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return threads;
    }

private:
    std::mutex mutex;
    std::vector<std::string> boxes;
    std::vector<std::thread::id> threads;
    zest::MessageBoxHandler previous;
};

// Waits for another thread without sleeping or reading the clock.
template <class Condition>
bool WaitUntil(Condition condition)
{
    for (long i = 0; i < 200000000L; i++)
    {
        if (condition())
            return true;
        std::this_thread::yield();
    }
    return condition();
}

uint32_t ScreenPixel(TestGameApp& app, int x, int y)
{
    return app.GetDisplay()->GetScreenImage()->GetPixel(x, y);
}

// How much of the loader bar the screen shows: its pixels along a row through the bar.
int LoaderBarOnScreen(TestGameApp& app)
{
    int count = 0;
    for (int x = 0; x < 640; x++)
        count += (ScreenPixel(app, x, tibble::TitleScreen::LoaderBarY + 5) & 0xFFFFFF) == gametest::LoaderBarColor;
    return count;
}

void Draw(TestGameApp& app)
{
    app.UpdateOnce();
    app.GetWidgetManager()->DrawWidgets();
}

class GameAppTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        gametest::ClearIdentifiers();
        previousFolder = std::filesystem::current_path();
    }
    void TearDown() override
    {
        std::filesystem::current_path(previousFolder);
        gametest::ClearIdentifiers();
    }

    std::filesystem::path previousFolder;
};

TEST_F(GameAppTest, ConfiguresTheGamesIdentity)
{
    tibble::GameApp plain;
    EXPECT_EQ(plain.productName, "Tibble the Bee");
    EXPECT_EQ(plain.productVersion, "1.1");
    EXPECT_EQ(plain.title, "Mossbank Games: Tibble the Bee - 1.1");
    EXPECT_EQ(plain.registryKey, "Mossbank Games\\Tibble The Bee");
    EXPECT_EQ(plain.width, 640);
    EXPECT_EQ(plain.height, 480);
    EXPECT_FALSE(plain.isWindowed);
    EXPECT_TRUE(plain.autoEnable3D);
}

TEST_F(GameAppTest, LoadsTheGameBehindAGrowingBarAndThenOffersTheLink)
{
    DataFolder data;
    TestGameApp app(data.Path(), true);
    app.Initialize();
    zest::ResourceManager* resources = app.GetResourceManager();
    EXPECT_TRUE(resources->IsGroupLoaded("Init"));
    EXPECT_TRUE(resources->IsGroupLoaded("TitleScreen"));
    EXPECT_FALSE(resources->IsGroupLoaded("Game"));
    EXPECT_NE(tibble::FONT_DEFAULT, nullptr);
    EXPECT_NE(tibble::IMAGE_LOADER_BAR, nullptr);
    EXPECT_EQ(tibble::IMAGE_BEE, nullptr);
    EXPECT_EQ(app.numLoadingThreadTasks, data.gameCount);

    tibble::TitleScreen* title = app.GetTitleScreen();
    ASSERT_NE(title, nullptr);
    zest::HyperlinkWidget* link = title->GetContinueLink();
    ASSERT_NE(link, nullptr);
    EXPECT_TRUE(app.GetWidgetManager()->HasWidget(title));
    EXPECT_TRUE(app.GetWidgetManager()->HasWidget(link));
    EXPECT_FALSE(link->visible);
    EXPECT_TRUE(link->disabled);

    // Nothing of the bar before loading starts: only the title picture.
    Draw(app);
    EXPECT_EQ(LoaderBarOnScreen(app), 0);
    EXPECT_EQ(ScreenPixel(app, 10, 10), 0xFF000000 | gametest::TitleColor);

    app.StartLoadingThread();
    double last = app.LoadingProgress();
    EXPECT_EQ(last, 0.0);
    const int total = data.gameCount;
    for (int done = 1; done <= total; done++)
    {
        SCOPED_TRACE(done);
        app.steps->Release();
        ASSERT_TRUE(WaitUntil([&] { return app.completedLoadingThreadTasks >= done; }));
        double progress = app.LoadingProgress();
        EXPECT_GE(progress, last);
        EXPECT_DOUBLE_EQ(progress, static_cast<double>(done) / total);
        last = progress;
        Draw(app);
        EXPECT_EQ(LoaderBarOnScreen(app), static_cast<int>(progress * gametest::LoaderBarWidth));
        EXPECT_FALSE(link->visible);
    }
    ASSERT_TRUE(WaitUntil([&] { return app.loadingThreadCompleted.load(); }));
    EXPECT_FALSE(link->visible); // until the main thread notices

    ASSERT_TRUE(app.RunUpdate());
    EXPECT_TRUE(link->visible);
    EXPECT_FALSE(link->disabled);
    EXPECT_EQ(app.LoadingProgress(), 1.0);
    EXPECT_NE(tibble::IMAGE_BEE, nullptr);
    EXPECT_NE(tibble::SOUND_BURP, 0);
    // "Init" and "TitleScreen" on the main thread, "Game" on the loading thread.
    const std::set<std::thread::id> mainThread{std::this_thread::get_id()};
    EXPECT_EQ(app.steps->LoadThreads("Init"), mainThread);
    EXPECT_EQ(app.steps->LoadThreads("TitleScreen"), mainThread);
    std::set<std::thread::id> gameThreads = app.steps->LoadThreads("Game");
    EXPECT_EQ(gameThreads.size(), 1u);
    EXPECT_EQ(gameThreads.count(std::this_thread::get_id()), 0u);
    app.GetWidgetManager()->DrawWidgets();
    EXPECT_EQ(LoaderBarOnScreen(app), gametest::LoaderBarWidth);
}

TEST_F(GameAppTest, AMissingGameIdentifierShowsTheErrorNeverTheLinkAndShutsDown)
{
    DataOptions options;
    options.leaveOut = {"SOUND_BURP"};
    DataFolder data(options);
    BoxCatcher boxes;
    TestGameApp app(data.Path(), false);
    app.Initialize();
    tibble::TitleScreen* title = app.GetTitleScreen();
    ASSERT_NE(title, nullptr);
    app.StartLoadingThread();
    // The main loop shows the loading thread's box and carries out its shutdown request.
    bool updated = false;
    for (long step = 0; step < 50000000L && !app.shutdown; step++)
    {
        app.leaveMainLoop = false;
        app.UpdateStep(&updated);
        std::this_thread::yield();
    }
    ASSERT_TRUE(app.shutdown);
    app.WaitForLoadingThread();
    EXPECT_EQ(boxes.Boxes(), std::vector<std::string>{"FATAL ERROR: Sound resource not found: SOUND_BURP"});
    // Found on the loading thread, shown by the main thread.
    EXPECT_EQ(boxes.Threads(), std::vector<std::thread::id>{std::this_thread::get_id()});
    // Even when the main thread gets round to noticing the end of loading, the link stays hidden.
    app.RunUpdate();
    EXPECT_FALSE(title->GetContinueLink()->visible);
    EXPECT_EQ(app.GetBoard(), nullptr);
}

TEST_F(GameAppTest, TheContinueLinkHandsOverToTheBoard)
{
    DataFolder data;
    TestGameApp app(data.Path(), false);
    app.Initialize();
    app.StartLoadingThread();
    ASSERT_TRUE(WaitUntil([&] { return app.loadingThreadCompleted.load(); }));
    app.RunUpdate();
    tibble::TitleScreen* title = app.GetTitleScreen();
    zest::HyperlinkWidget* link = title->GetContinueLink();
    ASSERT_TRUE(link->visible);

    // Centred, 16 pixels of margin under it; white, then green with the hand while hovered.
    const int textWidth = tibble::FONT_DEFAULT->StringWidth("CLICK HERE TO CONTINUE");
    const int textHeight = tibble::FONT_DEFAULT->Height();
    EXPECT_EQ(link->GetRect(), zest::Rect(320 - textWidth / 2, 480 - textHeight - 20, textWidth, textHeight + 4));
    EXPECT_TRUE(link->showFinger);
    const int clickX = link->x + 4;
    const int clickY = link->y + 4;
    Draw(app);
    EXPECT_EQ(ScreenPixel(app, clickX, clickY), 0xFFFFFFFFu);
    zest::WidgetManager* manager = app.GetWidgetManager();
    manager->MouseMove(clickX, clickY);
    Draw(app);
    EXPECT_EQ(ScreenPixel(app, clickX, clickY), 0xFF00FF00u);

    manager->MouseDown(clickX, clickY, 1);
    manager->MouseUp(clickX, clickY, 1);
    EXPECT_EQ(app.GetTitleScreen(), nullptr);
    EXPECT_FALSE(manager->HasWidget(title));
    EXPECT_FALSE(manager->HasWidget(link));
    zest::Widget* board = app.GetBoard();
    ASSERT_NE(board, nullptr);
    EXPECT_TRUE(manager->HasWidget(board));
    EXPECT_EQ(manager->focusWidget, board);
    EXPECT_EQ(board->GetRect(), zest::Rect(0, 0, 640, 480));
    // The bar's group goes; the title picture stays with group "Init".
    EXPECT_FALSE(app.GetResourceManager()->IsGroupLoaded("TitleScreen"));
    EXPECT_FALSE(app.GetResourceManager()->GetImageRes("IMAGE_LOADER_BAR")->IsLoaded());
    EXPECT_TRUE(app.GetResourceManager()->GetImageRes("IMAGE_TITLESCREEN")->IsLoaded());

    // Both were deleted safely after the event; a second click finds only the board.
    app.DeleteQueuedWidgets();
    manager->MouseDown(clickX, clickY, 1);
    manager->MouseUp(clickX, clickY, 1);
    EXPECT_EQ(app.GetBoard(), board);
    app.FocusBoard();
    EXPECT_EQ(manager->focusWidget, board);
}

TEST_F(GameAppTest, DialogsTakeTheGamesLookAndTheNoWindowedNoticeClosesOnPress)
{
    DataFolder data;
    TestGameApp app(data.Path(), false);
    app.Initialize();
    app.StartLoadingThread();
    ASSERT_TRUE(WaitUntil([&] { return app.loadingThreadCompleted.load(); }));
    app.RunUpdate();

    zest::Dialog* notice = app.ShowDialog(6, true, "NO WINDOWED MODE", "FULL SCREEN ONLY", "", 3);
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(notice->frameImage, tibble::IMAGE_DIALOG_BOX);
    EXPECT_EQ(notice->GetRect(), zest::Rect(100, 100, 300, 250));
    EXPECT_EQ(notice->spaceAfterHeader, 30);
    EXPECT_EQ(notice->GetColor(zest::Dialog::ColorHeader), zest::Color(0, 0, 0));
    EXPECT_EQ(notice->GetColor(zest::Dialog::ColorLines), zest::Color(0, 0, 0));
    EXPECT_EQ(notice->GetHeaderFont()->StringWidth("AB"), tibble::FONT_DEFAULT->StringWidth("AB"));
    EXPECT_EQ(notice->GetLinesFont()->StringWidth("AB"), tibble::FONT_DEFAULT->StringWidth("AB"));
    EXPECT_EQ(app.GetDialog(6), notice);

    // Other buttons leave it; the press of its own button closes it without waiting for the release.
    app.ButtonPressed(2001);
    app.ButtonPressed(3006);
    EXPECT_EQ(app.GetDialog(6), notice);
    notice->ButtonPressed(zest::Dialog::YesButtonId);
    EXPECT_EQ(app.GetDialog(6), nullptr);
    app.DeleteQueuedWidgets();
}

// ---- Exit codes -------------------------------------------------------------------

class GameAppDeathTest : public GameAppTest
{
protected:
    void SetUp() override
    {
        GameAppTest::SetUp();
        GTEST_FLAG_SET(death_test_style, "threadsafe");
    }
};

void StartUp(const DataOptions& options)
{
    DataFolder data(options);
    TestGameApp app(data.Path(), false);
    app.Initialize();
}

TEST_F(GameAppDeathTest, StartUpResourceFailuresExitWithCodeZero)
{
    DataOptions noCursor;
    noCursor.leaveOut = {"IMAGE_CUSTOM_TEXT"};
    EXPECT_EXIT(StartUp(noCursor), ::testing::ExitedWithCode(0),
                "FATAL ERROR: Image resource not found: IMAGE_CUSTOM_TEXT");
    DataOptions noBar;
    noBar.leaveOut = {"IMAGE_LOADER_BAR"};
    EXPECT_EXIT(StartUp(noBar), ::testing::ExitedWithCode(0), "FATAL ERROR: Image resource not found: IMAGE_LOADER_BAR");
    DataOptions noManifest;
    noManifest.noManifest = true;
    EXPECT_EXIT(StartUp(noManifest), ::testing::ExitedWithCode(0),
                "FATAL ERROR: Resource file not found: properties.resources\\.xml");
}

TEST_F(GameAppDeathTest, AFileErrorExitsWithCodeOne)
{
    EXPECT_EXIT(
        {
            tibble::GameApp app;
            app.ShowFileError();
        },
        ::testing::ExitedWithCode(1), "FATAL ERROR: A file error has occurred");
}

// ---- The program itself -------------------------------------------------------------

struct ProgramRun
{
    int exitCode = -1;
    std::string errors;
};

// Runs a copy of the built game from inside the data folder (it reads its data beside itself).
ProgramRun RunProgram(const DataFolder& data)
{
    ProgramRun run;
    const char* bin = std::getenv("ZEST_BIN_DIR");
    if (!bin || !std::filesystem::exists(std::string(bin) + "/tibble"))
        return run;
    std::filesystem::copy_file(std::string(bin) + "/tibble", data.Path("tibble"),
                               std::filesystem::copy_options::overwrite_existing);
    std::string command = "cd '" + data.Path() + "' && XDG_RUNTIME_DIR='" + data.Path() +
                          "' SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy ./tibble 2>errors.txt";
    int status = std::system(command.c_str());
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream errors(data.Path("errors.txt"));
    run.errors.assign(std::istreambuf_iterator<char>(errors), std::istreambuf_iterator<char>());
    return run;
}

TEST_F(GameAppTest, TheProgramEndsWithCodeZeroOnResourceFailures)
{
    const char* bin = std::getenv("ZEST_BIN_DIR");
    if (!bin || !std::filesystem::exists(std::string(bin) + "/tibble"))
        GTEST_SKIP() << "tibble is not built in ZEST_BIN_DIR";
    struct Case
    {
        DataOptions options;
        const char* message;
    };
    DataOptions noManifest;
    noManifest.noManifest = true;
    DataOptions noBurp;
    noBurp.leaveOut = {"SOUND_BURP"};
    const Case cases[] = {
        {noManifest, "FATAL ERROR: Resource file not found: properties\\resources.xml"},
        // Found on the loading thread: the box, then the main loop ends the program.
        {noBurp, "FATAL ERROR: Sound resource not found: SOUND_BURP"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.message);
        DataFolder data(c.options);
        ProgramRun run = RunProgram(data);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_NE(run.errors.find(c.message), std::string::npos) << run.errors;
    }
}

} // namespace
