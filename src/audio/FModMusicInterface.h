// The alternative music player, chosen by an application setting: tracker modules
// through the FMUSIC operations and sampled tunes decoded whole into samples (cached on
// the disk as wave files) through the FSOUND operations of the FMOD-shaped table
// (normally our FModLibrary over the mixer). Owned by the application; main thread only.
#pragma once

#include "audio/FModFunctions.h"
#include "audio/MusicInterface.h"
#include "audio/SongTable.h"
#include "platform/MixerSamples.h"

#include <memory>
#include <optional>
#include <string>

namespace zest
{

class Mixer;

class FModMusicInterface : public MusicInterface
{
public:
    struct MusicInfo : SongVolume
    {
        FMusicModule* module = nullptr; // a tracker module, or
        FSoundSample* sample = nullptr; // a sampled tune
        int channel = -1;               // the sample's channel once played
        double amplify = 1.0;
        bool paused = false;
    };

    // "%s function not found in fmod.dll" with the library's decorated name of the first
    // operation the table lacks; empty when complete.
    static std::string CheckFunctions(const FModFunctions& functions);
    // The 16-bit data of a loaded sample, through its mode, defaults, length and lock.
    static std::optional<MixerSamples> ReadSample(const FModFunctions& functions, FSoundSample* sample);

    // Starts the library for the window. With an incomplete table the player is silent.
    explicit FModMusicInterface(std::shared_ptr<const FModFunctions> functions, void* window = nullptr);
    // Over our own library playing on the mixer.
    explicit FModMusicInterface(std::shared_ptr<Mixer> mixer);
    FModMusicInterface(const FModMusicInterface&) = delete;
    FModMusicInterface& operator=(const FModMusicInterface&) = delete;
    ~FModMusicInterface() override;

    bool LoadMusic(int id, const std::string& fileName) override;
    void PlayMusic(int id, int offset, bool noLoop) override;
    void StopMusic(int id) override;
    void PauseMusic(int id) override;
    void ResumeMusic(int id) override;
    void StopAllMusic() override;
    void UnloadMusic(int id) override;
    void UnloadAllMusic() override;
    void PauseAllMusic() override;
    void ResumeAllMusic() override;
    void FadeIn(int id, int offset, double speed, bool noLoop) override;
    void FadeOut(int id, bool stopWhenFaded, double speed) override;
    void FadeOutAll(bool stopWhenFaded, double speed) override;
    void SetSongVolume(int id, double volume) override;
    void SetSongMaxVolume(int id, double maxVolume) override;
    bool IsPlaying(int id) override;
    void SetVolume(double volume) override;
    void SetMusicAmplify(int id, double amplify) override;
    void Update() override;

    const MusicInfo* FindMusic(int id) const;

private:
    MusicInfo* Find(int id);
    // The tune's channel while it still holds the tune; a channel the tune left
    // (ended or stopped, perhaps taken by another tune since) is forgotten.
    int LiveChannel(MusicInfo& info);
    FSoundSample* LoadSampledTune(const std::string& fileName);
    void SetChannelVolume(MusicInfo& info);
    void Start(MusicInfo& info, int offset, bool noLoop);
    void Halt(MusicInfo& info);
    void SetPaused(MusicInfo& info, bool paused);

    std::shared_ptr<const FModFunctions> fmod;
    bool usable = false;
    double globalVolume = 1.0;
    SongTable<MusicInfo> songs;
};

} // namespace zest
