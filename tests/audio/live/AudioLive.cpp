// Plays the sound system live on the real audio device for a few seconds, the way the
// game starts it: the device, the sound manager and the music player with saved
// volumes, a tune fading in, sound effects every half second. With --stress, 2 x 32
// effect channels loop at once. Prints what the device reports.
//
//   SDL_AUDIODRIVER=pulseaudio audio_live [seconds] [--stress]

#include "audio/BassMusicInterface.h"
#include "audio/DSoundManager.h"
#include "audio/SoundCache.h"
#include "audio/SoundInstance.h"
#include "platform/AudioDevice.h"
#include "platform/Mixer.h"

#include "AudioFixtures.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

int main(int argc, char** argv)
{
    double seconds = 5.0;
    bool stress = false;
    for (int i = 1; i < argc; ++i)
    {
        if (std::strcmp(argv[i], "--stress") == 0)
            stress = true;
        else
            seconds = std::atof(argv[i]);
    }
    audiotest::ScratchFolder scratch("live");
    // A cache folder of its own, removed at the end.
    zest::SoundCache::SetProductName("zest-audio-live");
    std::filesystem::remove_all(zest::SoundCache::Folder());
    // A two-second tune of two notes and a short chirp, encoded like the game's data.
    std::vector<int16_t> tune = audiotest::Sine(2, 44100, 44100, 330.0, 0.3);
    std::vector<int16_t> second = audiotest::Sine(2, 44100, 44100, 392.0, 0.3);
    tune.insert(tune.end(), second.begin(), second.end());
    audiotest::WriteFile("music/tune.ogg", audiotest::EncodeOgg(2, 44100, tune));
    audiotest::WriteFile("sounds/chirp.ogg", audiotest::EncodeOgg(1, 22050, audiotest::Sine(1, 22050, 4410, 880.0)));

    zest::AudioDevice device(zest::Mixer::Create());
    std::printf("driver: %s\n", device.HasDevice() ? device.DriverName().c_str() : "(none: silent pump)");
    zest::DSoundManager sounds(device.GetMixer(), false);
    zest::DSoundManager moreSounds(device.GetMixer(), false);
    sounds.SetVolume(0.85);
    moreSounds.SetVolume(0.85);
    zest::BassMusicInterface music(device.GetMixer());
    music.SetVolume(0.85);
    if (!music.LoadMusic(0, "music/tune.ogg"))
        return 1;
    music.FadeIn(0, 0, 0.002, false);
    const int chirp = sounds.LoadSound("sounds/chirp");
    if (chirp < 0 || !moreSounds.LoadSound(chirp, "sounds/chirp"))
        return 1;
    if (stress)
    {
        for (zest::DSoundManager* manager : {&sounds, &moreSounds})
            for (int i = 0; i < zest::DSoundManager::MaxChannels; ++i)
            {
                zest::SoundInstance* instance = manager->GetSoundInstance(chirp);
                instance->SetVolume(0.05);
                instance->AdjustPitch(i % 12);
                instance->SetPan(i * 600 - 9000);
                (void)instance->Play(true, false);
            }
        std::printf("voices playing: %d\n", device.GetMixer()->PlayingCount());
    }

    // A 100-updates-per-second loop like the game's.
    const auto start = std::chrono::steady_clock::now();
    const int updates = int(seconds * 100);
    for (int update = 0; update < updates; ++update)
    {
        music.Update();
        if (!stress && update % 50 == 0)
        {
            if (zest::SoundInstance* instance = sounds.GetSoundInstance(chirp))
            {
                instance->SetPan((update / 50) % 2 ? 3000 : -3000);
                (void)instance->Play(false, true);
            }
        }
        std::this_thread::sleep_until(start + std::chrono::milliseconds(10 * (update + 1)));
    }
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const zest::AudioDevice::Stats stats = device.GetStats();
    std::printf("elapsed %.2f s, music playing: %s, voices: %d\n", elapsed, music.IsPlaying(0) ? "yes" : "no",
                device.GetMixer()->PlayingCount());
    std::printf("device callbacks %llu, frames %llu (%.2f s of audio), pumped frames %llu\n",
                (unsigned long long)stats.callbacks, (unsigned long long)stats.frames, stats.frames / 44100.0,
                (unsigned long long)stats.pumpedFrames);
    std::printf("late mixes %llu, longest mix %.3f ms\n", (unsigned long long)stats.lateCallbacks, stats.maxRenderMs);
    std::filesystem::remove_all(zest::SoundCache::Folder());
    return 0;
}
