#include "audio/DSoundManager.h"

#include "audio/DSoundInstance.h"
#include "audio/SoundCache.h"
#include "files/PakFile.h"
#include "files/PakInterface.h"
#include "files/PakWriter.h"
#include "platform/FakeClock.h"
#include "platform/Log.h"
#include "platform/Mixer.h"

#include "AudioFixtures.h"

#include <gtest/gtest.h>

#include <cmath>

using audiotest::Bytes;
using zest::DSoundInstance;
using zest::DSoundManager;
using zest::Mixer;
using zest::SoundCache;

namespace
{

class DSoundManagerTest : public ::testing::Test
{
protected:
    DSoundManagerTest() : scratch("sound")
    {
        savedProduct = SoundCache::ProductName();
        // A product folder of its own, so parallel test processes never share a cache.
        SoundCache::SetProductName("zest-audio-test-" + std::to_string(getpid()));
        cacheRoot = SoundCache::Folder();
        std::filesystem::remove_all(cacheRoot);
        mixer = Mixer::Create();
        manager = std::make_unique<DSoundManager>(mixer, false, clock);
        previousSink = zest::SetLogSink([this](zest::LogLevel, const std::string& line) { logLines.push_back(line); });
    }

    ~DSoundManagerTest() override
    {
        zest::SetLogSink(previousSink);
        manager.reset();
        std::filesystem::remove_all(cacheRoot);
        SoundCache::SetProductName(savedProduct);
    }

    std::vector<int16_t> Render(size_t frames)
    {
        std::vector<int16_t> out(frames * 2);
        mixer->Render(out.data(), frames);
        return out;
    }

    DSoundInstance* Instance(int id)
    {
        return static_cast<DSoundInstance*>(manager->GetSoundInstance(id));
    }

    // Every file below the cache folder, as paths relative to it.
    std::vector<std::string> CacheFiles() const
    {
        std::vector<std::string> files;
        if (!std::filesystem::exists(cacheRoot))
            return files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(cacheRoot))
        {
            if (entry.is_regular_file())
                files.push_back(std::filesystem::relative(entry.path(), cacheRoot).string());
        }
        std::sort(files.begin(), files.end());
        return files;
    }

    audiotest::ScratchFolder scratch;
    zest::FakeClock clock;
    std::string savedProduct;
    std::filesystem::path cacheRoot;
    std::shared_ptr<Mixer> mixer;
    std::unique_ptr<DSoundManager> manager;
    zest::LogSink previousSink;
    std::vector<std::string> logLines;
};

Bytes ConstantWave(int16_t value, size_t frames, int rate = 44100)
{
    return audiotest::Wave16(1, rate, std::vector<int16_t>(frames, value));
}

Bytes ToneOgg(size_t frames)
{
    return audiotest::EncodeOgg(1, 22050, audiotest::Sine(1, 22050, frames, 500.0));
}

} // namespace

TEST(DSoundManagerVolume, ToDeviceVolumeFollowsTheLogCurve)
{
    struct Case
    {
        double volume;
        int device;
    } cases[] = {{1.0, 0},           {0.5, -605},          {0.1, -1682},    {0.05, -1956},
                 {0.04, -10000},     {0.0, -10000},        {-0.5, -10000},  {std::nan(""), -10000},
                 {2.0, 0},           {0.25, -1138}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.volume);
        EXPECT_EQ(DSoundManager::ToDeviceVolume(c.volume), c.device);
    }
}

TEST_F(DSoundManagerTest, IdsOutsideTheTableAreRefused)
{
    audiotest::WriteFile("s/beep.wav", ConstantWave(1000, 100));
    EXPECT_FALSE(manager->LoadSound(300, "s/beep"));
    EXPECT_FALSE(manager->LoadSound(-1, "s/beep"));
    EXPECT_FALSE(manager->SetBaseVolume(256, 1.0));
    EXPECT_FALSE(manager->SetBasePan(256, 0));
    EXPECT_EQ(manager->GetSoundInstance(256), nullptr);
    EXPECT_EQ(manager->GetSoundInstance(-3), nullptr);
    EXPECT_TRUE(manager->SetBaseVolume(255, 1.0));
    EXPECT_EQ(manager->GetNumSounds(), 0);
}

TEST_F(DSoundManagerTest, LoadsWaveThenOggThenAuAndNumbersSlotsFromTheTop)
{
    audiotest::WriteFile("s/both.wav", ConstantWave(1000, 100));
    audiotest::WriteFile("s/both.ogg", ToneOgg(5000));
    audiotest::WriteFile("s/ogg.ogg", ToneOgg(3000));
    audiotest::WriteFile("s/au.au", audiotest::Au(24, 6, 1, 8000, 1, {1, 2, 3, 4, 5, 6}));

    EXPECT_EQ(manager->LoadSound("s/both"), 255);
    EXPECT_EQ(manager->GetSoundLength(255), 200u); // the wave, not the Ogg
    EXPECT_EQ(manager->LoadSound("s/ogg"), 254);
    EXPECT_EQ(manager->GetSoundLength(254), 6000u);
    EXPECT_EQ(manager->LoadSound("s/au"), 253);
    EXPECT_EQ(manager->GetSoundLength(253), 12u);
    EXPECT_EQ(manager->LoadSound("s/ogg"), 254); // already loaded
    EXPECT_EQ(manager->LoadSound("s/none"), -1);
    EXPECT_EQ(manager->GetNumSounds(), 3);
    EXPECT_EQ(manager->GetFreeSoundId(), 0);
    EXPECT_EQ(manager->GetSoundName(254), "s/ogg");
    // Only the compressed sources were cached.
    EXPECT_EQ(CacheFiles(), (std::vector<std::string>{"cached/s/au.wav", "cached/s/ogg.wav"}));
}

TEST_F(DSoundManagerTest, EffectsVolumeReachesEveryInstance)
{
    audiotest::WriteFile("s/hum.wav", ConstantWave(16384, 2000));
    ASSERT_TRUE(manager->LoadSound(7, "s/hum"));
    std::vector<DSoundInstance*> instances;
    for (int i = 0; i < 3; ++i)
    {
        instances.push_back(Instance(7));
        ASSERT_NE(instances.back(), nullptr);
        ASSERT_TRUE(instances.back()->Play(true, false));
    }
    EXPECT_EQ(audiotest::Peak(Render(200), 0), 32767); // three at 16384, clipped

    manager->SetVolume(0.0);
    for (DSoundInstance* instance : instances)
        EXPECT_EQ(instance->GetDeviceVolume(), -10000);
    EXPECT_EQ(audiotest::Peak(Render(200), 0), 0);

    manager->SetVolume(0.05);
    for (DSoundInstance* instance : instances)
        EXPECT_EQ(instance->GetDeviceVolume(), -1956);
    // volume x base volume x effects volume, all multiplied before the curve.
    manager->SetVolume(1.0);
    instances[0]->SetVolume(0.5);
    instances[1]->SetBaseVolume(0.5);
    instances[1]->SetVolume(0.2);
    EXPECT_EQ(instances[0]->GetDeviceVolume(), -605);
    EXPECT_EQ(instances[1]->GetDeviceVolume(), -1682);
    EXPECT_EQ(instances[2]->GetDeviceVolume(), 0);
    EXPECT_DOUBLE_EQ(instances[1]->GetVolume(), 0.2);
    manager->SetVolume(-4.0); // held within 0..1
    EXPECT_EQ(manager->GetEffectsVolume(), 0.0);
}

TEST_F(DSoundManagerTest, SlotBaseVolumeAndPanReachNewInstances)
{
    audiotest::WriteFile("s/hum.wav", ConstantWave(16384, 2000));
    ASSERT_TRUE(manager->LoadSound(3, "s/hum"));
    ASSERT_TRUE(manager->SetBaseVolume(3, 0.5));
    ASSERT_TRUE(manager->SetBasePan(3, 2000));
    DSoundInstance* instance = Instance(3);
    EXPECT_EQ(instance->GetDeviceVolume(), -605);
    EXPECT_EQ(instance->GetDevicePan(), 2000);
    instance->SetPan(-500);
    EXPECT_EQ(instance->GetDevicePan(), 1500);
    instance->SetPan(9000);
    instance->SetBasePan(9000);
    EXPECT_EQ(instance->GetDevicePan(), 10000);
}

TEST_F(DSoundManagerTest, ThirtyThirdInstanceIsRefusedWhileThirtyTwoPlay)
{
    audiotest::WriteFile("s/hum.wav", ConstantWave(100, 500));
    ASSERT_TRUE(manager->LoadSound(0, "s/hum"));
    std::vector<DSoundInstance*> playing;
    for (int i = 0; i < DSoundManager::MaxChannels; ++i)
    {
        DSoundInstance* instance = Instance(0);
        ASSERT_NE(instance, nullptr) << "instance " << i;
        ASSERT_TRUE(instance->Play(true, true));
        playing.push_back(instance);
    }
    clock.Advance(5000);
    EXPECT_EQ(manager->GetSoundInstance(0), nullptr);
    EXPECT_EQ(mixer->PlayingCount(), 32);

    // A released channel is taken again.
    playing[9]->Release();
    EXPECT_NE(manager->GetSoundInstance(0), nullptr);
    EXPECT_EQ(manager->GetSoundInstance(0), nullptr);
}

TEST_F(DSoundManagerTest, FinishedAutoReleaseInstancesGiveTheirChannelsBack)
{
    audiotest::WriteFile("s/tick.wav", ConstantWave(100, 441));
    ASSERT_TRUE(manager->LoadSound(0, "s/tick"));
    for (int i = 0; i < DSoundManager::MaxChannels; ++i)
        ASSERT_TRUE(manager->GetSoundInstance(0)->Play(false, true));
    EXPECT_EQ(manager->GetSoundInstance(0), nullptr); // all still playing
    Render(441);
    EXPECT_EQ(mixer->PlayingCount(), 0);
    for (int i = 0; i < DSoundManager::MaxChannels; ++i)
        EXPECT_NE(manager->GetSoundInstance(0), nullptr) << "instance " << i;
}

TEST_F(DSoundManagerTest, StopAllSoundsKeepsAutoReleaseButStopForgetsIt)
{
    audiotest::WriteFile("s/hum.wav", ConstantWave(100, 500));
    ASSERT_TRUE(manager->LoadSound(0, "s/hum"));
    DSoundInstance* kept = Instance(0);
    DSoundInstance* stopped = Instance(0);
    ASSERT_TRUE(kept->Play(true, true));
    ASSERT_TRUE(stopped->Play(true, true));
    Render(100);
    stopped->Stop();
    EXPECT_FALSE(stopped->IsPlaying());
    EXPECT_FALSE(stopped->IsReleased());
    manager->StopAllSounds();
    EXPECT_FALSE(kept->IsPlaying());
    EXPECT_TRUE(kept->IsReleased());
    // Stop rewinds: playing again starts from the first frame.
    ASSERT_TRUE(stopped->Play(false, false));
    EXPECT_EQ(Render(1)[0], 100);
}

TEST_F(DSoundManagerTest, AdjustPitchMovesBySemitonesWithinLimits)
{
    audiotest::WriteFile("s/low.wav", ConstantWave(100, 500, 22050));
    ASSERT_TRUE(manager->LoadSound(0, "s/low"));
    DSoundInstance* instance = Instance(0);
    EXPECT_EQ(instance->GetFrequency(), 22050u);
    struct Case
    {
        double steps;
        uint32_t frequency;
    } cases[] = {{12, 44100}, {-12, 11025}, {0, 22050}, {7, 33038}, {-120, 100}, {120, 100000}, {24, 88200}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.steps);
        instance->AdjustPitch(c.steps);
        EXPECT_EQ(instance->GetFrequency(), c.frequency);
    }
}

TEST_F(DSoundManagerTest, StaleCacheIsIgnoredAndRewritten)
{
    audiotest::WriteFile("s/tune.ogg", ToneOgg(4000));
    ASSERT_TRUE(manager->LoadSound(0, "s/tune"));
    EXPECT_EQ(manager->GetSoundLength(0), 8000u);
    const std::filesystem::path cache = cacheRoot / "cached" / "s" / "tune.wav";
    ASSERT_TRUE(std::filesystem::exists(cache));

    // A fresh cache is used even when the source could no longer be decoded.
    const auto sourceTime = std::filesystem::last_write_time("s/tune.ogg");
    audiotest::WriteFile("s/tune.ogg", {'j', 'u', 'n', 'k'});
    std::filesystem::last_write_time("s/tune.ogg", sourceTime);
    ASSERT_TRUE(manager->LoadSound(1, "s/tune"));
    EXPECT_EQ(manager->GetSoundLength(1), 8000u);

    // A newer source: the cache is stale, the source is decoded and cached again.
    audiotest::WriteFile("s/tune.ogg", ToneOgg(6000));
    std::filesystem::last_write_time("s/tune.ogg", sourceTime + std::chrono::seconds(10));
    ASSERT_TRUE(manager->LoadSound(2, "s/tune"));
    EXPECT_EQ(manager->GetSoundLength(2), 12000u);
    EXPECT_EQ(std::filesystem::file_size(cache), 12000u + 82u);
    ASSERT_TRUE(manager->LoadSound(3, "s/tune"));
    EXPECT_EQ(manager->GetSoundLength(3), 12000u);
}

TEST_F(DSoundManagerTest, CacheKeepsFoldersAndSkipsUnsafeNames)
{
    audiotest::WriteFile("snd/sub/beep.ogg", ToneOgg(1000));
    ASSERT_TRUE(manager->LoadSound(0, "snd\\sub\\beep"));
    ASSERT_TRUE(manager->LoadSound(1, "snd/../snd/sub/beep"));
    EXPECT_EQ(CacheFiles(), std::vector<std::string>{"cached/snd/sub/beep.wav"});
}

TEST_F(DSoundManagerTest, CacheThatCannotBeWrittenStillLoadsTheSound)
{
    audiotest::WriteFile("s/tune.ogg", ToneOgg(1000));
    std::filesystem::create_directories(cacheRoot / "cached" / "s" / "tune.wav"); // the name is taken
    ASSERT_TRUE(manager->LoadSound(0, "s/tune"));
    EXPECT_EQ(manager->GetSoundLength(0), 2000u);
    EXPECT_TRUE(CacheFiles().empty());
}

TEST_F(DSoundManagerTest, DamagedFilesLeaveTheSlotEmpty)
{
    Bytes truncatedWave = ConstantWave(100, 1000);
    truncatedWave.resize(truncatedWave.size() / 2);
    Bytes damagedOgg = ToneOgg(20000);
    for (size_t i = damagedOgg.size() / 2; i < damagedOgg.size() / 2 + 64; ++i)
        damagedOgg[i] ^= 0x33;
    struct Case
    {
        const char* file;
        Bytes bytes;
    } cases[] = {
        {"s/bad.wav", truncatedWave},
        {"s/bad.ogg", damagedOgg},
        {"s/bad.au", audiotest::Au(9000, 4, 1, 8000, 1, {1, 2, 3, 4})},
    };
    audiotest::WriteFile("s/good.wav", ConstantWave(100, 10));
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.file);
        std::filesystem::remove_all("s");
        audiotest::WriteFile("s/good.wav", ConstantWave(100, 10));
        audiotest::WriteFile(c.file, c.bytes);
        ASSERT_TRUE(manager->LoadSound(5, "s/good"));
        logLines.clear();
        EXPECT_FALSE(manager->LoadSound(5, "s/bad")); // the slot is released first
        EXPECT_EQ(manager->GetSoundInstance(5), nullptr);
        EXPECT_EQ(manager->GetNumSounds(), 0);
        EXPECT_EQ(manager->GetFreeSoundId(), 0);
        EXPECT_TRUE(CacheFiles().empty());
        ASSERT_EQ(logLines.size(), 1u);
        EXPECT_NE(logLines[0].find("s/bad"), std::string::npos) << logLines[0];
    }
}

TEST_F(DSoundManagerTest, ReleasingOrReloadingASlotNeverStopsPlayingData)
{
    audiotest::WriteFile("s/a.wav", ConstantWave(1111, 300));
    audiotest::WriteFile("s/b.wav", ConstantWave(2222, 300));
    ASSERT_TRUE(manager->LoadSound(0, "s/a"));
    DSoundInstance* instance = Instance(0);
    ASSERT_TRUE(instance->Play(true, false));
    manager->ReleaseSound(0);
    EXPECT_EQ(Render(400)[600], 1111);
    ASSERT_TRUE(manager->LoadSound(0, "s/b"));
    manager->ReleaseSounds();
    EXPECT_EQ(Render(400)[600], 1111);
    manager->ReleaseChannels();
    EXPECT_EQ(audiotest::Peak(Render(100), 0), 0);
}

TEST_F(DSoundManagerTest, MasterVolumeIsTheProcessWideGain)
{
    struct Case
    {
        double set;
        double held;
    } cases[] = {{0.5, 0.5}, {1.0, 1.0}, {-3.0, 0.0}, {7.0, 1.0}, {std::nan(""), 0.0}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.set);
        manager->SetMasterVolume(c.set);
        EXPECT_DOUBLE_EQ(manager->GetMasterVolume(), c.held);
        EXPECT_DOUBLE_EQ(mixer->GetMasterGain(), c.held);
    }
}

TEST_F(DSoundManagerTest, ReadsSoundsFromTheArchiveAlone)
{
    zest::PakWriter writer;
    std::string error;
    const uint64_t archiveTime = 133000000000000000ull;
    ASSERT_TRUE(writer.AddFile("sounds\\zap.ogg", ToneOgg(2000), archiveTime, error)) << error;
    ASSERT_TRUE(writer.WriteTo("main.pak", error)) << error;
    {
        zest::PakInterface pak;
        zest::SetActivePakInterface(&pak);
        ASSERT_TRUE(pak.AddPakFile("main.pak"));
        std::filesystem::remove("main.pak"); // mapped: the archive alone serves the files
        ASSERT_TRUE(manager->LoadSound(0, "sounds\\zap"));
        EXPECT_EQ(manager->GetSoundLength(0), 4000u);
        // The cache names the archived source and its archived time.
        EXPECT_EQ(SoundCache::SourceFileTime("sounds\\zap.ogg"), archiveTime);
        ASSERT_TRUE(manager->LoadSound(1, "sounds\\zap"));
        zest::SetActivePakInterface(nullptr);
    }
    EXPECT_EQ(CacheFiles(), std::vector<std::string>{"cached/sounds/zap.wav"});
}

TEST_F(DSoundManagerTest, FmodDecodesWhatItKnowsFirst)
{
    DSoundManager withFmod(mixer, true, clock);
    audiotest::WriteFile("s/x.mp3", ConstantWave(500, 300)); // decoded by content
    audiotest::WriteFile("s/x.ogg", ToneOgg(2000));
    ASSERT_TRUE(withFmod.LoadSound(0, "s/x"));
    EXPECT_EQ(withFmod.GetSoundLength(0), 600u);
    EXPECT_EQ(CacheFiles(), std::vector<std::string>{"cached/s/x.wav"});
}

TEST(DSoundManagerSilent, WithoutAMixerLoadsSucceedAndNothingPlays)
{
    zest::FakeClock clock;
    DSoundManager manager(nullptr, false, clock);
    EXPECT_FALSE(manager.Initialized());
    EXPECT_TRUE(manager.LoadSound(0, "no/such/file"));
    EXPECT_EQ(manager.LoadSound("a"), 255);
    EXPECT_EQ(manager.LoadSound("b"), 254);
    EXPECT_EQ(manager.LoadSound("a"), 255);
    EXPECT_EQ(manager.GetNumSounds(), 3);
    zest::SoundInstance* instance = manager.GetSoundInstance(0);
    ASSERT_NE(instance, nullptr);
    instance->SetVolume(0.3);
    EXPECT_DOUBLE_EQ(instance->GetVolume(), 0.3);
    EXPECT_FALSE(instance->Play(false, true));
    EXPECT_FALSE(instance->IsPlaying());
    EXPECT_TRUE(instance->IsReleased());
    manager.SetMasterVolume(0.25);
    EXPECT_DOUBLE_EQ(manager.GetMasterVolume(), 0.25);
}
