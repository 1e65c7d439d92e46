// Sound effects by number: up to 256 loaded sounds (ids 0..255) played through
// instances on a fixed number of channels. The application owns the one manager. The
// loading thread may load sounds while the main thread plays others; everything else is
// main-thread only.
#pragma once

#include "resources/SoundLoader.h"

#include <string>

namespace zest
{

class SoundInstance;

class SoundManager : public SoundLoader
{
public:
    // Whether a sound device backs the manager (false: loads succeed, nothing sounds).
    virtual bool Initialized() = 0;
    // Loads a sound (name without extension) into the highest free id, or answers the
    // id it is already loaded under. -1 when no id is free or loading fails.
    virtual int LoadSound(const std::string& name) = 0;
    // Loads a sound into an id 0..255, releasing what was there. False on failure (the
    // id is then empty).
    [[nodiscard]] bool LoadSound(int id, const std::string& name) override = 0;
    void ReleaseSound(int id) override = 0;
    // The volume of all sound effects, 0..1 (clamped).
    virtual void SetVolume(double volume) = 0;
    // False when the id is outside 0..255.
    bool SetBaseVolume(int id, double volume) override = 0;
    bool SetBasePan(int id, int pan) override = 0;
    // A new instance of a loaded sound, owned by the manager; null when the id is empty
    // or out of range or every channel is busy.
    virtual SoundInstance* GetSoundInstance(int id) = 0;
    virtual void ReleaseSounds() = 0;
    virtual void ReleaseChannels() = 0;
    // The process-wide output volume, 0..1.
    virtual double GetMasterVolume() = 0;
    virtual void SetMasterVolume(double volume) = 0;
    virtual void Flush() = 0;
    virtual void SetCooperativeWindow(void* window, bool windowed) = 0;
    virtual void StopAllSounds() = 0;
    // The lowest free id, or -1.
    int GetFreeSoundId() override = 0;
    virtual int GetNumSounds() = 0;
};

} // namespace zest
