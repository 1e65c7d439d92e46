// Settings kept between runs and the command line.
#include "app/CommandLine.h"
#include "audio/DSoundManager.h"
#include "audio/MusicInterface.h"
#include "platform/Log.h"
#include "platform/Registry.h"
#include "TestApp.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace zest::test
{
namespace
{

std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    size_t at = text.find(from);
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

class SettingsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        key = std::string("Zest Tests\\Settings ") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::remove_all(std::filesystem::path(Registry::FilePathForKey(key)).parent_path());
    }
    // A fresh application on the test's key, settings loaded: one "run".
    std::unique_ptr<TestApp> StartRun()
    {
        auto app = std::make_unique<TestApp>();
        app->registryKey = key;
        app->LoadSettings();
        return app;
    }
    std::string key;
};

TEST_F(SettingsTest, VolumesAreStoredAsWholePercentWithoutDrift)
{
    struct Case
    {
        double volume;
        int stored;
        double readBack;
    };
    const Case cases[] = {
        {0.857, 85, 0.85}, {0.58, 58, 0.58}, {0.29, 29, 0.29}, {1.0, 100, 1.0}, {0.0, 0, 0.0}, {0.999, 99, 0.99},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.volume);
        {
            auto app = StartRun();
            app->musicVolume = c.volume;
            app->sfxVolume = c.volume;
            app->SaveSettings();
            int stored = -1;
            EXPECT_TRUE(app->ReadRegInt("MusicVolume", stored));
            EXPECT_EQ(stored, c.stored);
        }
        // Several runs in a row never lose a percent.
        for (int run = 0; run < 3; run++)
        {
            auto app = StartRun();
            EXPECT_DOUBLE_EQ(app->musicVolume, c.readBack);
            EXPECT_DOUBLE_EQ(app->sfxVolume, c.readBack);
            app->SaveSettings();
        }
    }
}

TEST_F(SettingsTest, UserMuteIsSavedAndAutomaticMuteIsNot)
{
    {
        auto app = StartRun();
        app->Mute(true); // focus lost only
        app->SaveSettings();
        bool muted = true;
        EXPECT_TRUE(app->ReadRegBool("Muted", muted));
        EXPECT_FALSE(muted);
    }
    {
        auto app = StartRun();
        EXPECT_FALSE(app->IsMuted());
        app->Mute(false); // the player's choice
        app->Mute(true);  // then the focus went
        app->SaveSettings();
    }
    auto app = StartRun();
    EXPECT_TRUE(app->IsMuted());
}

// A run that starts muted is silent from the first sound on, and one unmute gives the
// sound back however damaged the stored count is.
TEST_F(SettingsTest, ASavedMuteSilencesTheStartAndOneUnmuteEndsIt)
{
    struct Case
    {
        int stored;
        bool muted;
    };
    const Case cases[] = {{0, false}, {1, true}, {1000, true}, {-5, false}};
    std::filesystem::path home = std::filesystem::path(::testing::TempDir()) / "zest-mute-home";
    setenv("XDG_DATA_HOME", home.c_str(), 1);
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.stored);
        ASSERT_TRUE(StartRun()->WriteRegInt("Muted", c.stored));
        struct MusicVolumeProbe : MusicInterface
        {
            explicit MusicVolumeProbe(double* volume) : volume(volume) {}
            void SetVolume(double newVolume) override { *volume = newVolume; }
            double* volume;
        };
        struct App : TestApp
        {
            std::unique_ptr<MusicInterface> CreateMusicInterface() override
            {
                return std::make_unique<MusicVolumeProbe>(&musicPlayed);
            }
            double musicPlayed = -1;
        } app;
        app.registryKey = key;
        app.changeDir = std::filesystem::current_path().string();
        app.Initialize();
        ASSERT_TRUE(app.initialized);
        auto* sounds = dynamic_cast<DSoundManager*>(app.GetSoundManager());
        ASSERT_NE(sounds, nullptr);
        EXPECT_EQ(app.IsMuted(), c.muted);
        EXPECT_DOUBLE_EQ(app.musicPlayed, c.muted ? 0.0 : 0.85);
        EXPECT_DOUBLE_EQ(sounds->GetEffectsVolume(), c.muted ? 0.0 : 0.85);
        app.Unmute(false);
        EXPECT_FALSE(app.IsMuted());
        EXPECT_DOUBLE_EQ(app.musicPlayed, 0.85);
        EXPECT_DOUBLE_EQ(sounds->GetEffectsVolume(), 0.85);
    }
    std::filesystem::remove_all(home);
}

TEST_F(SettingsTest, EveryValueRoundTripsBetweenRuns)
{
    {
        auto app = StartRun();
        app->isWindowed = false;
        app->preferredX = 120;
        app->preferredY = -1;
        app->SetCustomCursors(true);
        app->waitForVSync = true;
        app->SaveSettings();
    }
    auto app = StartRun();
    EXPECT_FALSE(app->isWindowed);
    EXPECT_EQ(app->preferredX, 120);
    EXPECT_EQ(app->preferredY, -1);
    EXPECT_TRUE(app->customCursorsEnabled);
    EXPECT_TRUE(app->waitForVSync);
}

TEST_F(SettingsTest, InProgressTellsACrashedRunFromACleanOne)
{
    {
        auto app = StartRun();
        EXPECT_TRUE(app->lastShutdownWasGraceful); // first run ever
        int inProgress = 0;
        EXPECT_TRUE(app->ReadRegInt("InProgress", inProgress));
        EXPECT_EQ(inProgress, 1);
        // The run "crashes": no SaveSettings.
    }
    {
        auto app = StartRun();
        EXPECT_FALSE(app->lastShutdownWasGraceful);
        app->SaveSettings();
    }
    auto app = StartRun();
    EXPECT_TRUE(app->lastShutdownWasGraceful);
}

TEST_F(SettingsTest, SavingKeepsTheGamesOwnValues)
{
    const uint8_t progress[] = {3, 0, 0, 0, 2, 0, 0, 0, 5, 0, 0, 0};
    {
        auto app = StartRun();
        ASSERT_TRUE(app->WriteRegData("rTRe", progress, sizeof(progress)));
        app->SaveSettings();
    }
    auto app = StartRun();
    app->SaveSettings();
    std::vector<uint8_t> read;
    ASSERT_TRUE(app->ReadRegData("rTRe", read));
    EXPECT_EQ(read, std::vector<uint8_t>(progress, progress + sizeof(progress)));
    // The type rule holds through the application's operations too.
    int number = 42;
    EXPECT_FALSE(app->ReadRegInt("rTRe", number));
    EXPECT_EQ(number, 42);
}

TEST_F(SettingsTest, DamagedFileGivesDefaultsAndTheNextSaveRepairsIt)
{
    {
        auto app = StartRun();
        app->musicVolume = 0.4;
        app->isWindowed = false;
        app->SaveSettings();
    }
    std::string path = Registry::FilePathForKey(key);
    std::string good;
    {
        std::ifstream in(path, std::ios::binary);
        good.assign(std::istreambuf_iterator<char>(in), {});
    }
    // Nothing in these is readable (what is readable is kept: see below).
    for (const std::string& damaged : {good.substr(0, good.find('\n') + 1), std::string(300, '\x9c')})
    {
        {
            std::ofstream out(path, std::ios::binary | std::ios::trunc);
            out << damaged;
        }
        {
            auto app = StartRun();
            EXPECT_DOUBLE_EQ(app->musicVolume, 0.85);
            EXPECT_TRUE(app->isWindowed);
            app->musicVolume = 0.4;
            app->isWindowed = false;
            app->SaveSettings();
        }
        auto app = StartRun();
        EXPECT_DOUBLE_EQ(app->musicVolume, 0.4);
        EXPECT_FALSE(app->isWindowed);
        EXPECT_TRUE(app->lastShutdownWasGraceful);
    }
}

TEST_F(SettingsTest, OneSaveIsOneWriteOfEveryValue)
{
    auto app = StartRun();
    ASSERT_TRUE(app->WriteRegData("rTRe", std::vector<uint8_t>{1, 2, 3}.data(), 3));
    int writes = 0;
    Registry::SetBeforeReplaceHook([&](const std::string&) {
        writes++;
        return true;
    });
    app->musicVolume = 0.3;
    app->SaveSettings();
    EXPECT_EQ(writes, 1);
    // Saving again with nothing changed leaves the file alone.
    app->SaveSettings();
    EXPECT_EQ(writes, 1);
    Registry::SetBeforeReplaceHook(nullptr);

    auto again = StartRun();
    EXPECT_DOUBLE_EQ(again->musicVolume, 0.3);
    std::vector<uint8_t> progress;
    EXPECT_TRUE(again->ReadRegData("rTRe", progress));
}

TEST_F(SettingsTest, ADamagedTruncatedOrUnreadableFileNeverCostsTheProgress)
{
    const std::string path = Registry::FilePathForKey(key);
    const std::string folder = std::filesystem::path(path).parent_path().string();
    const std::string progressLine = "data :rTRe :5FC372\n";
    const std::string whole = "ZestRegistry 1\n"
                              "dword :MusicVolume 40\n"
                              "dword :Muted 0\n" +
                              progressLine + "dword :SfxVolume 30\n" + "end 4\n";
    struct Case
    {
        const char* name;
        std::string text;
        bool progressReadable; // false: only the kept original still has it
        bool volumeReadable;
    };
    const Case cases[] = {
        {"one malformed line", Replace(whole, "dword :Muted 0\n", "dword :Bogus x\n"), true, true},
        {"truncated", whole.substr(0, whole.find("dword :SfxVolume") + 9), true, true},
        {"garbage around the progress", std::string(50, '\x9c') + "\n" + progressLine + std::string(50, '\x01'), true,
         false},
        {"larger than any settings file", whole + std::string(Registry::MaxFileSize, '#'), false, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        {
            std::ofstream out(path, std::ios::binary);
            out << c.text;
        }
        std::vector<std::string> warnings;
        LogSink previous = SetLogSink([&](LogLevel level, const std::string& line) {
            if (level != LogLevel::Info)
                warnings.push_back(line);
        });
        {
            auto app = StartRun();
            EXPECT_DOUBLE_EQ(app->musicVolume, c.volumeReadable ? 0.4 : 0.85);
            if (c.progressReadable)
            {
                std::vector<uint8_t> progress;
                EXPECT_TRUE(app->ReadRegData("rTRe", progress));
                EXPECT_EQ(progress, (std::vector<uint8_t>{0x5F, 0xC3, 0x72}));
            }
            app->SaveSettings();
            app->SaveSettings();
        }
        SetLogSink(previous);
        EXPECT_EQ(warnings.size(), 1u);

        // The damaged file was kept as found, beside the new one.
        std::vector<std::string> kept;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
        {
            if (entry.path().string() != path)
                kept.push_back(entry.path().string());
        }
        ASSERT_EQ(kept.size(), 1u);
        std::ifstream in(kept[0], std::ios::binary);
        std::string original((std::istreambuf_iterator<char>(in)), {});
        EXPECT_EQ(original.size(), c.text.size());
        EXPECT_TRUE(original == c.text);

        // The new file is whole and still holds what could be read.
        auto next = StartRun();
        std::vector<uint8_t> progress;
        EXPECT_EQ(next->ReadRegData("rTRe", progress), c.progressReadable);
        EXPECT_DOUBLE_EQ(next->musicVolume, c.volumeReadable ? 0.4 : 0.85);
    }
}

TEST_F(SettingsTest, StringTableReplacesTheKeyAndAnEmptyKeyStoresNothing)
{
    TestApp app;
    app.registryKey = "Ignored Key";
    app.SetString("RegistryKey", key);
    app.LoadSettings();
    EXPECT_EQ(app.registryKey, key);
    EXPECT_TRUE(std::filesystem::exists(Registry::FilePathForKey(key)));

    TestApp empty;
    empty.LoadSettings();
    EXPECT_TRUE(empty.registryRead);
    EXPECT_FALSE(empty.WriteRegInt("MusicVolume", 1));
    int value = 7;
    EXPECT_FALSE(empty.ReadRegInt("MusicVolume", value));
    EXPECT_EQ(value, 7);
}

TEST(CommandLine, SplitsOptionsByItsRules)
{
    using Options = std::vector<CommandLine::Option>;
    struct Case
    {
        const char* text;
        Options expected;
    };
    const Case cases[] = {
        {"", {}},
        {"-play", {{"-play", ""}}},
        {"-recnum=3 -record", {{"-recnum", "3"}, {"-record", ""}}},
        {"-demofile=\"my demo file.dmo\" -play", {{"-demofile", "my demo file.dmo"}, {"-play", ""}}},
        {"\"-changedir=/tmp/two  blanks\"", {{"-changedir", "/tmp/two  blanks"}}},
        {"  -play   -record  ", {{"-play", ""}, {"-record", ""}}},
        {"=value -play", {{"-play", ""}}},
        {"-changedir=a=b", {{"-changedir", "a=b"}}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(CommandLine::Split(c.text), c.expected);
    }
}

TEST(CommandLine, ProgramPathIsSkippedAndArgumentsKeepTheirBlanks)
{
    EXPECT_EQ(CommandLine::OptionsText("\"/opt/my games/tibble\" -play -record"), "-play -record");
    EXPECT_EQ(CommandLine::OptionsText("tibble -play"), "-play");
    EXPECT_EQ(CommandLine::OptionsText("\"/opt/my games/tibble -play"), "");
    EXPECT_EQ(CommandLine::OptionsText("tibble"), "");

    std::string joined = CommandLine::Join("/opt/my games/tibble", {"-demofile=my demo.dmo", "-play"});
    EXPECT_EQ(CommandLine::Split(CommandLine::OptionsText(joined)),
              (std::vector<CommandLine::Option>{{"-demofile", "my demo.dmo"}, {"-play", ""}}));
}

TEST(ZestAppBaseCommandLine, KnownOptionsTakeEffect)
{
    TestApp app;
    app.dataFolder = "/data/";
    app.commandLine = {"-changedir=/srv/my game", "-screensaver", "-demofile=rec.dmo", "-recnum=3", "-crash"};
    app.ReadCommandLine();
    EXPECT_TRUE(app.commandLineParsed);
    EXPECT_EQ(app.changeDir, "/srv/my game");
    EXPECT_TRUE(app.isScreenSaver);
    EXPECT_FALSE(app.onlyAllowOneCopyToRun);
    EXPECT_EQ(app.demoFileName, "/data/rec.dmo");
    EXPECT_TRUE(app.recordingDemo);
    EXPECT_EQ(app.demoKeepCount, 3);
}

TEST(ZestAppBaseCommandLineDeathTest, UnknownOptionIsFatalWithExitCodeZero)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto run = [] {
        TestApp app;
        app.commandLine = {"-play", "-bogus=1"};
        app.ReadCommandLine();
    };
    EXPECT_EXIT(run(), ::testing::ExitedWithCode(0), "Invalid command line parameter: -bogus");
}

} // namespace
} // namespace zest::test
