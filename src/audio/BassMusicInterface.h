// The default music player: tunes as streams (Ogg Vorbis, wave) or tracker modules,
// played through the BASS-shaped operation table (normally our BassLibrary over the
// mixer), with per-tune volume caps and fades advanced by Update. Owned by the
// application; main thread only.
#pragma once

#include "audio/BassFunctions.h"
#include "audio/MusicInterface.h"
#include "audio/SongTable.h"

#include <cstdint>
#include <memory>
#include <string>

namespace zest
{

class Mixer;

class BassMusicInterface : public MusicInterface
{
public:
    struct MusicInfo : SongVolume
    {
        uint32_t musicHandle = 0;  // a tracker module (0 for a stream)
        uint32_t streamHandle = 0; // a sampled stream (0 for a module)

        uint32_t Handle() const { return musicHandle != 0 ? musicHandle : streamHandle; }
    };

    // "%s function not found in bass.dll" for the first operation the table lacks;
    // empty when it has all that the player calls.
    static std::string CheckFunctions(const BassFunctions& functions);

    // Starts the library: BASS_Init(1, 44100, 0, window, 0), BASS_SetConfig(0, 2000),
    // BASS_Start(). With an incomplete table (see CheckFunctions) the player stays silent.
    explicit BassMusicInterface(std::shared_ptr<const BassFunctions> functions, void* window = nullptr);
    // Over our own library playing on the mixer.
    explicit BassMusicInterface(std::shared_ptr<Mixer> mixer);
    BassMusicInterface(const BassMusicInterface&) = delete;
    BassMusicInterface& operator=(const BassMusicInterface&) = delete;
    // BASS_Stop(), BASS_Free(); the library is unloaded with its last user.
    ~BassMusicInterface() override;

    // "wav", "ogg" and "mp3" files become streams, anything else a tracker module; the
    // file is read through the archive file functions. A tune already under the id is
    // replaced only when the new one loads.
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

    // The record of a tune, or null; valid until the tune is unloaded.
    const MusicInfo* FindMusic(int id) const;

private:
    MusicInfo* Find(int id);
    void SetChannelVolume(const MusicInfo& info);
    void StartModule(const MusicInfo& info, int offset, uint32_t flags);
    void StartStream(const MusicInfo& info, int offset, bool noLoop);

    std::shared_ptr<const BassFunctions> bass;
    bool usable = false;
    SongTable<MusicInfo> songs;
    uint32_t musicLoadFlags = bass::MusicRamp | bass::SampleLoop;
};

} // namespace zest
