// A manifest sound: its file (name without extension), base volume and pan, and the sound id it
// was loaded under. Owned by the ResourceManager.
#pragma once

#include "resources/BaseRes.h"

namespace zest
{

class SoundLoader;

class SoundRes : public BaseRes
{
public:
    SoundRes() : BaseRes(TypeSound) {}

    // Releases the id in the sound manager that loaded it.
    void Unload() override;
    bool IsLoaded() const override { return soundId != -1; }

    int soundId = -1;
    double volume = -1.0; // below 0: the manifest gave none
    int pan = 0;
    SoundLoader* soundManager = nullptr; // the manager soundId belongs to; not owned
};

} // namespace zest
