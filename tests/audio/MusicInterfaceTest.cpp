#include "audio/BassMusicInterface.h"
#include "audio/FModMusicInterface.h"
#include "audio/MusicInterface.h"
#include "audio/SoundCache.h"
#include "files/PakFile.h"
#include "files/PakInterface.h"
#include "files/PakWriter.h"
#include "platform/Log.h"
#include "platform/Mixer.h"

#include "AudioFixtures.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <sstream>

using zest::BassFunctions;
using zest::BassMusicInterface;
using zest::FModMusicInterface;
using zest::Mixer;

namespace
{

// A music library that only records the calls made to it.
namespace recorder
{
std::vector<std::string> calls;
std::map<uint32_t, uint32_t> activity; // BASS_ChannelIsActive answers
uint32_t nextHandle = 100;

template <typename... Args>
void Record(const char* name, Args... args)
{
    std::ostringstream line;
    line << name << "(";
    [[maybe_unused]] const char* separator = "";
    ((line << separator << args, separator = ","), ...);
    line << ")";
    calls.push_back(line.str());
}

BassFunctions Table()
{
    BassFunctions f;
    f.BASS_Init = [](int device, uint32_t frequency, uint32_t flags, void* window, void* clsid) {
        Record("BASS_Init", device, frequency, flags, window != nullptr ? "window" : "0", clsid != nullptr ? "?" : "0");
        return 1;
    };
    f.BASS_Free = [] { Record("BASS_Free"); return 1; };
    f.BASS_Start = [] { Record("BASS_Start"); return 1; };
    f.BASS_Stop = [] { Record("BASS_Stop"); return 1; };
    f.BASS_SetConfig = [](uint32_t option, uint32_t value) { Record("BASS_SetConfig", option, value); return 1; };
    f.BASS_StreamCreateFile = [](int memory, const void* file, uint64_t offset, uint64_t length, uint32_t flags) {
        const std::string name = static_cast<const char*>(file);
        Record("BASS_StreamCreateFile", memory, name, offset, length, flags);
        return name.find("missing") != std::string::npos ? 0u : nextHandle++;
    };
    f.BASS_StreamFree = [](uint32_t handle) { Record("BASS_StreamFree", handle); return 1; };
    f.BASS_MusicLoad = [](int memory, const void* file, uint64_t offset, uint32_t length, uint32_t flags,
                          uint32_t frequency) {
        const std::string name = static_cast<const char*>(file);
        Record("BASS_MusicLoad", memory, name, offset, length, flags, frequency);
        return name.find("missing") != std::string::npos ? 0u : nextHandle++;
    };
    f.BASS_MusicFree = [](uint32_t handle) { Record("BASS_MusicFree", handle); return 1; };
    f.BASS_MusicSetAttribute = [](uint32_t handle, uint32_t attribute, uint32_t value) {
        Record("BASS_MusicSetAttribute", handle, attribute, value);
        return 1;
    };
    f.BASS_ChannelPlay = [](uint32_t handle, int restart) { Record("BASS_ChannelPlay", handle, restart); return 1; };
    f.BASS_ChannelStop = [](uint32_t handle) { Record("BASS_ChannelStop", handle); return 1; };
    f.BASS_ChannelPause = [](uint32_t handle) { Record("BASS_ChannelPause", handle); return 1; };
    f.BASS_ChannelIsActive = [](uint32_t handle) { return activity[handle]; };
    f.BASS_ChannelSetFlags = [](uint32_t handle, uint32_t flags) {
        Record("BASS_ChannelSetFlags", handle, flags);
        return 1;
    };
    f.BASS_ChannelSetAttributes = [](uint32_t handle, int frequency, int volume, int pan) {
        Record("BASS_ChannelSetAttributes", handle, frequency, volume, pan);
        return 1;
    };
    f.BASS_ChannelSetPosition = [](uint32_t handle, uint64_t position) {
        Record("BASS_ChannelSetPosition", handle, position);
        return 1;
    };
    return f;
}
} // namespace recorder

class BassCallsTest : public ::testing::Test
{
protected:
    BassCallsTest()
    {
        recorder::calls.clear();
        recorder::activity.clear();
        recorder::nextHandle = 100;
        int window = 0;
        music = std::make_unique<BassMusicInterface>(std::make_shared<BassFunctions>(recorder::Table()), &window);
    }

    // The calls made by one action.
    std::vector<std::string> Calls(const std::function<void()>& action)
    {
        recorder::calls.clear();
        action();
        return recorder::calls;
    }

    std::unique_ptr<BassMusicInterface> music;
};

std::vector<int16_t> Render(Mixer& mixer, size_t frames)
{
    std::vector<int16_t> out(frames * 2);
    mixer.Render(out.data(), frames);
    return out;
}

} // namespace

TEST_F(BassCallsTest, StartsAndLoadsWithTheListedArguments)
{
    int window = 0;
    recorder::calls.clear();
    {
        BassMusicInterface other(std::make_shared<BassFunctions>(recorder::Table()), &window);
    }
    EXPECT_EQ(recorder::calls, (std::vector<std::string>{"BASS_Init(1,44100,0,window,0)", "BASS_SetConfig(0,2000)",
                                                         "BASS_Start()", "BASS_Stop()", "BASS_Free()"}));

    EXPECT_EQ(Calls([&] { EXPECT_TRUE(music->LoadMusic(0, "music/beetune1.ogg")); }),
              std::vector<std::string>{"BASS_StreamCreateFile(0,music/beetune1.ogg,0,0,0)"});
    EXPECT_EQ(Calls([&] { EXPECT_TRUE(music->LoadMusic(1, "music/Song.XM")); }),
              std::vector<std::string>{"BASS_MusicLoad(0,music/Song.XM,0,0,516,0)"});
    EXPECT_EQ(Calls([&] { EXPECT_TRUE(music->LoadMusic(2, "music/Take.WaV")); }),
              std::vector<std::string>{"BASS_StreamCreateFile(0,music/Take.WaV,0,0,0)"});
    EXPECT_FALSE(music->LoadMusic(3, "music/missing.ogg"));
    EXPECT_EQ(music->FindMusic(3), nullptr);
    const BassMusicInterface::MusicInfo* info = music->FindMusic(1);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->musicHandle, 101u);
    EXPECT_EQ(info->streamHandle, 0u);
    EXPECT_EQ(info->volume, 0.0);
    EXPECT_EQ(info->volumeCap, 1.0);
}

TEST_F(BassCallsTest, EachOperationCallsTheLibraryAsListed)
{
    ASSERT_TRUE(music->LoadMusic(0, "music/beetune1.ogg")); // stream 100
    ASSERT_TRUE(music->LoadMusic(1, "music/song.it"));      // module 101
    struct Case
    {
        const char* what;
        std::function<void()> action;
        std::vector<std::string> calls;
    } cases[] = {
        {"play a module from order 3", [&] { music->PlayMusic(1, 3, false); },
         {"BASS_ChannelSetAttributes(101,-1,100,-101)", "BASS_ChannelStop(101)",
          "BASS_ChannelSetPosition(101,2147483651)", "BASS_ChannelSetFlags(101,33284)", "BASS_ChannelPlay(101,0)"}},
        {"play a stream once from the start", [&] { music->PlayMusic(0, 0, true); },
         {"BASS_ChannelSetAttributes(100,-1,100,-101)", "BASS_ChannelStop(100)", "BASS_ChannelSetFlags(100,0)",
          "BASS_ChannelPlay(100,1)"}},
        {"play a stream from byte 5000", [&] { music->PlayMusic(0, 5000, false); },
         {"BASS_ChannelSetAttributes(100,-1,100,-101)", "BASS_ChannelStop(100)", "BASS_ChannelSetFlags(100,4)",
          "BASS_ChannelPlay(100,1)", "BASS_ChannelSetPosition(100,5000)"}},
        {"continue a stream", [&] { music->PlayMusic(0, -1, false); },
         {"BASS_ChannelSetAttributes(100,-1,100,-101)", "BASS_ChannelStop(100)", "BASS_ChannelSetFlags(100,4)",
          "BASS_ChannelPlay(100,0)"}},
        {"stop", [&] { music->StopMusic(1); }, {"BASS_ChannelStop(101)"}},
        {"fade a stopped module in where it was", [&] { music->FadeIn(1, -1, 0.002, false); },
         {"BASS_ChannelStop(101)", "BASS_ChannelSetAttributes(101,-1,0,-101)", "BASS_ChannelPlay(101,0)"}},
        {"fade a module in from order 2", [&] { music->FadeIn(1, 2, 0.02, true); },
         {"BASS_ChannelStop(101)", "BASS_ChannelSetAttributes(101,-1,0,-101)",
          "BASS_ChannelSetPosition(101,2147483650)", "BASS_ChannelSetFlags(101,512)", "BASS_ChannelPlay(101,0)"}},
        {"pause", [&] { music->PauseMusic(0); }, {"BASS_ChannelPause(100)"}},
        {"resume", [&] { music->ResumeMusic(0); }, {"BASS_ChannelPlay(100,0)"}},
        {"song volume", [&] { music->SetSongVolume(0, 0.257); }, {"BASS_ChannelSetAttributes(100,-1,25,-101)"}},
        {"overall volume", [&] { music->SetVolume(0.5); }, {"BASS_SetConfig(6,50)", "BASS_SetConfig(5,50)"}},
        {"overall volume held within 0..1", [&] { music->SetVolume(-2.0); },
         {"BASS_SetConfig(6,0)", "BASS_SetConfig(5,0)"}},
        {"amplify", [&] { music->SetMusicAmplify(1, 0.5); }, {"BASS_MusicSetAttribute(101,0,50)"}},
        {"unload a stream", [&] { music->UnloadMusic(0); }, {"BASS_ChannelStop(100)", "BASS_StreamFree(100)"}},
        {"unload a module", [&] { music->UnloadAllMusic(); }, {"BASS_ChannelStop(101)", "BASS_MusicFree(101)"}},
        {"anything on an id without a tune",
         [&] {
             music->PlayMusic(0, 0, false);
             music->FadeIn(7, 0, 0.1, false);
             music->FadeOut(7, true, 0.1);
             music->StopMusic(7);
             music->SetSongMaxVolume(7, 0.1);
             EXPECT_FALSE(music->IsPlaying(7));
             music->Update();
         },
         {}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Calls(c.action), c.calls);
    }
}

TEST_F(BassCallsTest, FadeOutFromFullReachesSilenceInOneHundredUpdatesThenStops)
{
    ASSERT_TRUE(music->LoadMusic(0, "music/beetune2.ogg"));
    music->PlayMusic(0, 0, false);
    music->FadeOut(0, true, 0.01);
    EXPECT_EQ(Calls([&] { music->Update(); }), std::vector<std::string>{"BASS_ChannelSetAttributes(100,-1,99,-101)"});
    for (int update = 2; update < 100; ++update)
    {
        const std::vector<std::string> calls = Calls([&] { music->Update(); });
        ASSERT_EQ(calls.size(), 1u) << "update " << update;
        EXPECT_GT(music->FindMusic(0)->volume, 0.0) << "update " << update;
    }
    EXPECT_EQ(Calls([&] { music->Update(); }),
              (std::vector<std::string>{"BASS_ChannelStop(100)", "BASS_ChannelSetAttributes(100,-1,0,-101)"}));
    EXPECT_EQ(music->FindMusic(0)->volume, 0.0);
    EXPECT_EQ(music->FindMusic(0)->volumeAdd, 0.0);
    EXPECT_TRUE(Calls([&] { music->Update(); }).empty());
}

TEST_F(BassCallsTest, FadeInTakesFiveHundredUpdatesAndStopsAtTheCap)
{
    ASSERT_TRUE(music->LoadMusic(0, "music/beetune1.ogg"));
    music->FadeIn(0, 0, 0.002, false);
    int updates = 0;
    while (music->FindMusic(0)->volumeAdd != 0.0 && updates < 1000)
    {
        music->Update();
        ++updates;
    }
    EXPECT_EQ(updates, 500);
    EXPECT_EQ(music->FindMusic(0)->volume, 1.0);
    EXPECT_EQ(recorder::calls.back(), "BASS_ChannelSetAttributes(100,-1,100,-101)");
}

TEST_F(BassCallsTest, FadeOutOfASilentTuneChangesNothing)
{
    ASSERT_TRUE(music->LoadMusic(0, "music/beetune1.ogg")); // volume 0 until played
    music->FadeOut(0, true, 0.01);
    EXPECT_EQ(music->FindMusic(0)->volumeAdd, 0.0);
    EXPECT_TRUE(Calls([&] { music->Update(); }).empty());
    // FadeOutAll sets the fade whatever the volume.
    music->FadeOutAll(true, 0.01);
    EXPECT_EQ(music->FindMusic(0)->volumeAdd, -0.01);
}

TEST_F(BassCallsTest, SongMaxVolumeLowersAPlayingTuneAtOnce)
{
    ASSERT_TRUE(music->LoadMusic(0, "music/beetune1.ogg"));
    music->PlayMusic(0, 0, false);
    EXPECT_EQ(Calls([&] { music->SetSongMaxVolume(0, 0.5); }),
              std::vector<std::string>{"BASS_ChannelSetAttributes(100,-1,50,-101)"});
    EXPECT_EQ(Calls([&] { music->PlayMusic(0, 0, false); }).front(), "BASS_ChannelSetAttributes(100,-1,50,-101)");
    music->SetSongMaxVolume(0, 7.0); // held within 0..1
    EXPECT_EQ(music->FindMusic(0)->volumeCap, 1.0);
    EXPECT_EQ(music->FindMusic(0)->volume, 0.5);
}

TEST_F(BassCallsTest, PauseAllAndResumeAllFollowTheChannelStates)
{
    ASSERT_TRUE(music->LoadMusic(0, "a.ogg")); // 100
    ASSERT_TRUE(music->LoadMusic(1, "b.ogg")); // 101
    ASSERT_TRUE(music->LoadMusic(2, "c.ogg")); // 102
    recorder::activity = {{100, zest::bass::ActivePlaying}, {101, zest::bass::ActivePaused}, {102, 0}};
    EXPECT_EQ(Calls([&] { music->PauseAllMusic(); }), std::vector<std::string>{"BASS_ChannelPause(100)"});
    EXPECT_EQ(Calls([&] { music->ResumeAllMusic(); }), std::vector<std::string>{"BASS_ChannelPlay(101,0)"});
    EXPECT_TRUE(music->IsPlaying(0));
    EXPECT_FALSE(music->IsPlaying(1));
}

TEST(BassMusicInterfaceTable, IncompleteTableIsNamedAndLeavesThePlayerSilent)
{
    BassFunctions table = recorder::Table();
    EXPECT_EQ(BassMusicInterface::CheckFunctions(table), "");
    table.BASS_ChannelSetFlags = nullptr;
    EXPECT_EQ(BassMusicInterface::CheckFunctions(table), "BASS_ChannelSetFlags function not found in bass.dll");
    std::vector<std::string> lines;
    zest::LogSink previous = zest::SetLogSink([&](zest::LogLevel, const std::string& line) { lines.push_back(line); });
    {
        BassMusicInterface music(std::make_shared<BassFunctions>(table));
        EXPECT_FALSE(music.LoadMusic(0, "music/beetune1.ogg"));
        music.PlayMusic(0, 0, false);
        music.SetVolume(1.0);
    }
    {
        BassMusicInterface none(std::shared_ptr<const BassFunctions>{});
        EXPECT_FALSE(none.LoadMusic(0, "x.ogg"));
    }
    zest::SetLogSink(previous);
    EXPECT_EQ(lines, (std::vector<std::string>{"BASS_ChannelSetFlags function not found in bass.dll",
                                               "Can't find bass.dll."}));
}

TEST(MusicInterface, SilentPlayerAnswersNothing)
{
    zest::MusicInterface music;
    EXPECT_FALSE(music.LoadMusic(0, "music/beetune1.ogg"));
    music.FadeIn(0, 0, 0.002, false);
    music.Update();
    EXPECT_FALSE(music.IsPlaying(0));
}

class MusicPlaybackTest : public ::testing::Test
{
protected:
    MusicPlaybackTest() : scratch("music")
    {
        savedProduct = zest::SoundCache::ProductName();
        zest::SoundCache::SetProductName("zest-music-test-" + std::to_string(getpid()));
        std::filesystem::remove_all(zest::SoundCache::Folder());
        mixer = Mixer::Create();
        // Half-scale stereo tone, two seconds.
        audiotest::WriteFile("music/tune.ogg",
                             audiotest::EncodeOgg(2, 44100, audiotest::Sine(2, 44100, 88200, 440.0, 0.5)));
        audiotest::WriteFile("music/song.mod", audiotest::MakeModule());
    }
    ~MusicPlaybackTest() override
    {
        std::filesystem::remove_all(zest::SoundCache::Folder());
        zest::SoundCache::SetProductName(savedProduct);
    }

    audiotest::ScratchFolder scratch;
    std::string savedProduct;
    std::shared_ptr<Mixer> mixer;
};

TEST_F(MusicPlaybackTest, StreamPlaysLowersAtOnceAndFadesToAStop)
{
    BassMusicInterface music(mixer);
    ASSERT_TRUE(music.LoadMusic(0, "music/tune.ogg"));
    music.PlayMusic(0, 0, false);
    EXPECT_TRUE(music.IsPlaying(0));
    EXPECT_NEAR(audiotest::Peak(Render(*mixer, 4410), 0), 16384, 1000);
    music.SetSongMaxVolume(0, 0.5);
    EXPECT_NEAR(audiotest::Peak(Render(*mixer, 4410), 0), 8192, 600);
    music.SetVolume(0.0);
    EXPECT_EQ(audiotest::Peak(Render(*mixer, 4410), 0), 0);
    EXPECT_TRUE(music.IsPlaying(0));
    music.SetVolume(1.0);
    music.SetSongMaxVolume(0, 1.0);
    music.SetSongVolume(0, 1.0);

    music.FadeOut(0, true, 0.01);
    for (int update = 0; update < 100; ++update)
    {
        EXPECT_TRUE(music.IsPlaying(0)) << "update " << update;
        music.Update();
        Render(*mixer, 441); // one update's worth of sound
    }
    EXPECT_FALSE(music.IsPlaying(0));
    EXPECT_EQ(audiotest::Peak(Render(*mixer, 4410), 0), 0);
}

TEST_F(MusicPlaybackTest, OnceEndsAndLoopingGoesOn)
{
    BassMusicInterface music(mixer);
    ASSERT_TRUE(music.LoadMusic(0, "music/tune.ogg"));
    music.PlayMusic(0, 0, true);
    Render(*mixer, 88200 + 1000);
    EXPECT_FALSE(music.IsPlaying(0));
    music.PlayMusic(0, 0, false);
    Render(*mixer, 88200 * 2 + 1000);
    EXPECT_TRUE(music.IsPlaying(0));
    music.PauseAllMusic();
    EXPECT_FALSE(music.IsPlaying(0));
    EXPECT_EQ(audiotest::Peak(Render(*mixer, 1000), 0), 0);
    music.ResumeAllMusic();
    EXPECT_TRUE(music.IsPlaying(0));
}

TEST_F(MusicPlaybackTest, TrackerModulePlaysFromAnOrder)
{
    BassMusicInterface music(mixer);
    ASSERT_TRUE(music.LoadMusic(1, "music/song.mod"));
    music.PlayMusic(1, 1, false);
    EXPECT_TRUE(music.IsPlaying(1));
    EXPECT_GT(audiotest::Peak(Render(*mixer, 8820), 0), 1000);
    music.SetMusicAmplify(1, 0.0);
    EXPECT_EQ(audiotest::Peak(Render(*mixer, 4410), 0), 0);
    music.StopMusic(1);
    EXPECT_FALSE(music.IsPlaying(1));
}

TEST_F(MusicPlaybackTest, DamagedOrMissingMusicFailsToLoad)
{
    BassMusicInterface music(mixer);
    audiotest::WriteFile("music/junk.ogg", {'O', 'g', 'g', 'S', 1, 2, 3});
    audiotest::WriteFile("music/junk.mod", {1, 2, 3, 4, 5});
    for (const char* name : {"music/junk.ogg", "music/junk.mod", "music/none.ogg", "music/none.xm"})
    {
        SCOPED_TRACE(name);
        EXPECT_FALSE(music.LoadMusic(0, name));
        EXPECT_EQ(music.FindMusic(0), nullptr);
    }
}

TEST_F(MusicPlaybackTest, MusicPlaysFromTheArchiveAlone)
{
    zest::PakWriter writer;
    std::string error;
    ASSERT_TRUE(writer.AddFile("music\\packed.ogg", audiotest::ReadFile("music/tune.ogg"), 1, error));
    ASSERT_TRUE(writer.WriteTo("main.pak", error)) << error;
    zest::PakInterface pak;
    zest::SetActivePakInterface(&pak);
    ASSERT_TRUE(pak.AddPakFile("main.pak"));
    {
        BassMusicInterface music(mixer);
        ASSERT_TRUE(music.LoadMusic(0, "music/packed.ogg"));
        music.PlayMusic(0, 0, false);
        EXPECT_GT(audiotest::Peak(Render(*mixer, 4410), 0), 10000);
    }
    zest::SetActivePakInterface(nullptr);
}

TEST_F(MusicPlaybackTest, FmodPlayerCachesSampledTunesAndPlaysModules)
{
    FModMusicInterface music(mixer);
    ASSERT_TRUE(music.LoadMusic(0, "music/tune.ogg"));
    EXPECT_TRUE(std::filesystem::exists(zest::SoundCache::Folder() / "cached" / "music" / "tune.wav"));
    ASSERT_TRUE(music.LoadMusic(1, "music/song.mod"));
    music.FadeIn(0, 0, 0.5, false);
    EXPECT_EQ(audiotest::Peak(Render(*mixer, 1000), 0), 0); // starts from silence
    music.Update();
    music.Update();
    EXPECT_NEAR(audiotest::Peak(Render(*mixer, 4410), 0), 16384, 1000);
    music.FadeOut(0, true, 0.01);
    for (int update = 0; update < 100; ++update)
        music.Update();
    EXPECT_FALSE(music.IsPlaying(0));
    music.PlayMusic(1, 0, false);
    EXPECT_TRUE(music.IsPlaying(1));
    EXPECT_GT(audiotest::Peak(Render(*mixer, 8820), 0), 1000);
    music.PauseAllMusic();
    EXPECT_FALSE(music.IsPlaying(1));
    music.ResumeAllMusic();
    EXPECT_TRUE(music.IsPlaying(1));

    // A second player finds the cached tune.
    FModMusicInterface again(mixer);
    std::filesystem::remove("music/tune.ogg");
    EXPECT_FALSE(again.LoadMusic(2, "music/tune.ogg")); // the source is gone: the cache is stale
}

TEST_F(MusicPlaybackTest, FmodPlayerForgetsTheChannelOfATuneThatEnded)
{
    // Two sampled tunes: A is short and plays once; B takes the channel A left behind.
    audiotest::WriteFile("music/short.ogg",
                         audiotest::EncodeOgg(2, 44100, audiotest::Sine(2, 44100, 4410, 660.0, 0.5)));
    FModMusicInterface music(mixer);
    ASSERT_TRUE(music.LoadMusic(0, "music/short.ogg"));
    ASSERT_TRUE(music.LoadMusic(1, "music/tune.ogg"));
    music.PlayMusic(0, 0, true);
    Render(*mixer, 4410 + 1000);
    music.PlayMusic(1, 0, false);
    ASSERT_TRUE(music.IsPlaying(1));

    // Nothing done to A reaches B.
    EXPECT_FALSE(music.IsPlaying(0));
    music.SetSongVolume(0, 0.0);
    EXPECT_NEAR(audiotest::Peak(Render(*mixer, 4410), 0), 16384, 1000);
    music.FadeOut(0, true, 0.5);
    music.Update();
    music.Update();
    EXPECT_NEAR(audiotest::Peak(Render(*mixer, 4410), 0), 16384, 1000);
    music.PauseMusic(0);
    music.StopMusic(0);
    EXPECT_TRUE(music.IsPlaying(1));
    EXPECT_NEAR(audiotest::Peak(Render(*mixer, 4410), 0), 16384, 1000);

    // A started again gets a channel of its own and is heard with B.
    music.PlayMusic(0, 0, true);
    EXPECT_TRUE(music.IsPlaying(0));
    music.StopMusic(1);
    EXPECT_FALSE(music.IsPlaying(1));
    EXPECT_TRUE(music.IsPlaying(0));
    EXPECT_NEAR(audiotest::Peak(Render(*mixer, 2000), 0), 16384, 1000);
}
