// What the resource manager asks of the sound manager: a free id, loading a sound into it with the manifest's
// base volume and pan, and releasing it again. The sound manager implements it, so the manifest reader needs
// nothing of the audio code above it. The loading thread calls it; see SoundManager for the threading rules.
#pragma once

#include <string>

namespace zest
{

class SoundLoader
{
public:
    virtual ~SoundLoader() = default;

    // Loads a sound (name without extension) into an id 0..255, releasing what was there. False on failure
    // (the id is then empty).
    [[nodiscard]] virtual bool LoadSound(int id, const std::string& name) = 0;
    virtual void ReleaseSound(int id) = 0;
    // False when the id is outside 0..255.
    virtual bool SetBaseVolume(int id, double volume) = 0;
    virtual bool SetBasePan(int id, int pan) = 0;
    // The lowest free id, or -1.
    virtual int GetFreeSoundId() = 0;
};

} // namespace zest
