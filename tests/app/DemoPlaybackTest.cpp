// A run recorded with "-record" replays with "-play": the same input reaches the widgets at the same updates, the
// random generator gives the same numbers, files and settings data read by the game come from the demo (not from
// a disk that has changed since), live input is ignored, and the player's settings are never written by a replay.
// A demo that cannot be played ends the program with a clear message and exit code 0.
#include "TestApp.h"

#include "app/Buffer.h"
#include "app/DemoFile.h"
#include "platform/Registry.h"
#include "platform/WindowMessage.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace zest::test
{
namespace
{

class DemoRun : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The app changes into the game folder, which TearDown removes: come back afterwards.
        previousFolder = std::filesystem::current_path();
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        home = std::filesystem::path(::testing::TempDir()) / ("zest-demo-" + name);
        std::filesystem::remove_all(home);
        std::filesystem::create_directories(home / "game");
        setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
        key = "Zest Tests\\Demo " + name;
        std::filesystem::remove_all(std::filesystem::path(Registry::FilePathForKey(key)).parent_path());
        WriteFile({1, 2, 3});
    }
    void TearDown() override
    {
        std::filesystem::current_path(previousFolder);
        std::filesystem::remove_all(std::filesystem::path(Registry::FilePathForKey(key)).parent_path());
        std::filesystem::remove_all(home);
    }

    void WriteFile(const std::vector<uint8_t>& bytes)
    {
        std::ofstream file(home / "game" / "level.bin", std::ios::binary);
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

    // What one run saw.
    struct Seen
    {
        std::vector<int> keys;
        std::vector<int> mouseX;
        std::vector<uint8_t> file;
        std::vector<uint8_t> setting;
        std::vector<int> numbers;
        int updates = 0;
        std::string stopReason;
        bool stillPlaying = false;
        std::vector<std::string> messageBoxes;
    };

    // One run of the same "game": input arrives at fixed updates (in a replay it is ignored), the game reads a
    // file and a settings value, draws random numbers, writes a setting and ends itself at update 30.
    Seen RunWith(const std::vector<std::string>& options, bool reseed, const std::string& fileName = "level.bin")
    {
        Seen seen;
        TestApp app;
        app.changeDir = (home / "game").string();
        app.fullCompanyName = "Zest Tests";
        app.productName = "Demo";
        app.registryKey = key;
        app.commandLine = options;
        app.Initialize();
        EXPECT_TRUE(app.initialized);
        if (reseed)
            app.SeedRandom(777);
        BusyWidget widget;
        widget.Resize(0, 0, 640, 480);
        app.GetWidgetManager()->AddWidget(&widget);
        app.GetWidgetManager()->SetFocus(&widget);
        widget.onUpdate = [&]
        {
            int update = widget.updates;
            if (update == 3)
                app.WindowProc({0, WM_KEYDOWN, 'X', 0});
            if (update == 4)
                app.WindowProc({0, WM_MOUSEMOVE, 0, MakePointParam(40 + update, 7)});
            if (update == 6)
            {
                Buffer buffer;
                if (app.ReadFileIntoBuffer(fileName, buffer))
                    seen.file.assign(buffer.GetData(), buffer.GetData() + buffer.GetDataLen());
                (void)app.ReadRegData("progress", seen.setting);
                (void)app.WriteRegData("progress", std::vector<uint8_t>{9, 9}.data(), 2);
            }
            if (update % 5 == 0)
                seen.numbers.push_back(app.Rand());
            seen.mouseX.push_back(app.GetWidgetManager()->lastMouseX);
            if (update == 30)
                app.Shutdown();
        };
        app.Run();
        seen.keys = widget.keys;
        seen.stopReason = app.DemoStopReason();
        seen.messageBoxes = app.messageBoxes;
        seen.stillPlaying = app.GetDemoPlayer() != nullptr;
        seen.updates = widget.updates;
        app.GetWidgetManager()->RemoveWidget(&widget);
        return seen;
    }

    std::filesystem::path previousFolder;
    std::filesystem::path home;
    std::string key;
};

TEST_F(DemoRun, ARecordedRunReplaysExactlyFromTheDemoAlone)
{
    {
        TestApp store;
        store.registryKey = key;
        ASSERT_TRUE(store.WriteRegData("progress", std::vector<uint8_t>{5, 6, 7}.data(), 3));
    }
    Seen recorded = RunWith({"-record", "-demofile=run.dmo"}, true);
    std::filesystem::path demo = home / "data" / "Zest Tests" / "Demo" / "run.dmo";
    ASSERT_TRUE(std::filesystem::exists(demo));
    EXPECT_EQ(recorded.keys, std::vector<int>{'X'});
    EXPECT_EQ(recorded.file, (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(recorded.setting, (std::vector<uint8_t>{5, 6, 7}));

    // The world changes after the recording: a replay must not notice.
    WriteFile({4, 4, 4, 4});
    {
        TestApp store;
        store.registryKey = key;
        ASSERT_TRUE(store.EraseRegValue("progress"));
    }
    Seen replayed = RunWith({"-play", "-demofile=run.dmo"}, false);
    EXPECT_EQ(replayed.updates, recorded.updates);
    // The key sent live during the replay was ignored; the recorded one arrived as before.
    EXPECT_EQ(replayed.keys, recorded.keys);
    EXPECT_EQ(replayed.mouseX, recorded.mouseX);
    EXPECT_EQ(replayed.file, recorded.file);
    EXPECT_EQ(replayed.setting, recorded.setting);
    EXPECT_EQ(replayed.numbers, recorded.numbers);

    // The replay's write went nowhere.
    TestApp store;
    store.registryKey = key;
    std::vector<uint8_t> stored;
    EXPECT_FALSE(store.ReadRegData("progress", stored));
}

TEST_F(DemoRun, ADemoCutShortByACrashPlaysUpToItsLastWholeRecordAfterSayingSo)
{
    Seen recorded = RunWith({"-record", "-demofile=run.dmo"}, true);
    std::filesystem::path demo = home / "data" / "Zest Tests" / "Demo" / "run.dmo";
    // The run died before the end record and the last records were written.
    std::filesystem::resize_file(demo, std::filesystem::file_size(demo) - 40);
    // (A demo that cannot be played ends the process with code 0, which would pass unseen.)
    std::string error;
    std::optional<DemoFile> cut = DemoFile::Load(demo.string(), error);
    ASSERT_TRUE(cut) << error;
    EXPECT_TRUE(cut->cutShort);
    Seen replayed = RunWith({"-play", "-demofile=run.dmo"}, false);
    ASSERT_EQ(replayed.messageBoxes.size(), 1u);
    EXPECT_NE(replayed.messageBoxes[0].find("cut short"), std::string::npos) << replayed.messageBoxes[0];
    EXPECT_NE(replayed.messageBoxes[0].find("run.dmo"), std::string::npos) << replayed.messageBoxes[0];
    // Everything recorded before the cut replays as it was.
    EXPECT_EQ(replayed.keys, recorded.keys);
    EXPECT_EQ(replayed.file, recorded.file);
    EXPECT_EQ(replayed.numbers, recorded.numbers);
    EXPECT_EQ(replayed.stopReason, "");

    // Cut just before the file the game reads: the recording ends there, which is no fault of the game's.
    (void)RunWith({"-record", "-demofile=run.dmo"}, true);
    std::optional<DemoFile> whole = DemoFile::Load(demo.string(), error);
    ASSERT_TRUE(whole) << error;
    std::vector<uint8_t> bytes = DemoFile::EncodeHeader(whole->header);
    for (const DemoRecord& record : whole->records)
    {
        if (record.kind == DemoRecord::Kind::File)
            break;
        DemoFile::EncodeRecord(record, bytes);
    }
    std::ofstream(demo.string(), std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    WriteFile({4, 4});
    replayed = RunWith({"-play", "-demofile=run.dmo"}, false);
    EXPECT_EQ(replayed.stopReason, "");
    EXPECT_FALSE(replayed.stillPlaying);
    EXPECT_EQ(replayed.file, (std::vector<uint8_t>{4, 4})); // read live once the demo ended
}

TEST_F(DemoRun, AGameThatStraysFromTheDemoStopsThePlaybackAndGoesOnLive)
{
    (void)RunWith({"-record", "-demofile=run.dmo"}, true);
    std::filesystem::copy_file(home / "game" / "level.bin", home / "game" / "other.bin");
    Seen replayed = RunWith({"-play", "-demofile=run.dmo"}, false, "other.bin");
    EXPECT_EQ(replayed.stopReason, "the game read other.bin where the recorded run did not");
    EXPECT_FALSE(replayed.stillPlaying);
    // The file the demo did not hold comes from the disk, and the game runs on to its end.
    EXPECT_EQ(replayed.file, (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(replayed.updates, 30);
}

TEST_F(DemoRun, NumberedRecordingsKeepTheNewestAndPlayByAge)
{
    for (int run = 0; run < 4; run++)
        (void)RunWith({"-recnum=3"}, true);
    std::vector<std::pair<int, std::string>> files =
        ZestAppBase::NumberedDemoFiles((home / "data" / "Zest Tests" / "Demo").string() + "/");
    std::vector<int> numbers;
    for (const auto& file : files)
        numbers.push_back(file.first);
    EXPECT_EQ(numbers, (std::vector<int>{2, 3, 4}));
    Seen replayed = RunWith({"-playnum=1"}, false);
    EXPECT_EQ(replayed.keys, std::vector<int>{'X'});
}

TEST_F(DemoRun, ADemoThatCannotBePlayedEndsTheProgramWithExitCodeZero)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    std::filesystem::path folder = home / "data" / "Zest Tests" / "Demo";
    std::filesystem::create_directories(folder);
    // Cut short before anything was played.
    DemoFile demo;
    std::vector<uint8_t> bytes = demo.Encode();
    bytes.resize(bytes.size() - 3);
    std::ofstream((folder / "cut.dmo").string(), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    struct Case
    {
        std::vector<std::string> options;
        const char* message;
    };
    const Case cases[] = {
        {{"-play", "-demofile=cut.dmo"}, "The demo cannot be played: .*cut.dmo: the file is truncated"},
        {{"-play", "-demofile=none.dmo"}, "The demo cannot be played: .*none.dmo: it cannot be opened"},
        {{"-playnum=2"}, "The demo cannot be played: .*there are only 0 numbered demos"},
    };
    for (const Case& c : cases)
    {
        auto run = [&]
        {
            TestApp app;
            app.fullCompanyName = "Zest Tests";
            app.productName = "Demo";
            app.commandLine = c.options;
            app.Initialize();
        };
        EXPECT_EXIT(run(), ::testing::ExitedWithCode(0), c.message);
    }
}

} // namespace
} // namespace zest::test
