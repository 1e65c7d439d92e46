// The game's data for headless runs, loaded once per process as the game loads it: the folder becomes
// the working directory, "main.pak" is mounted when present, the manifest is read and groups "Init" and
// "Game" are loaded and bound to the game's resource identifiers. One per process (it holds the one
// application object); main thread.
//
// The resource manager loads images through an application object (its shared image cache, image
// loader and sound manager), so a ZestAppBase is made, but never initialised: no window, no display,
// no audio device. Sounds are decoded into a sound manager over a mixer without a device, so they
// load exactly as in the game; runs play none. The game's resource identifiers point into the loaded
// data: destroy it only after the last SimRun.
#pragma once

#include <memory>
#include <string>

namespace zest
{
class PakInterface;
class ZestAppBase;
} // namespace zest

namespace tibble::sim
{

class SimData
{
public:
    SimData();
    ~SimData();
    SimData(const SimData&) = delete;
    SimData& operator=(const SimData&) = delete;

    // Enters folder and loads its data. False with error (when given) saying why; after a failure
    // the identifiers bound so far keep their values and Load may not be called again.
    [[nodiscard]] bool Load(const std::string& folder, std::string* error = nullptr);
    bool IsLoaded() const { return loaded; }
    // The folder as given to Load, made absolute.
    const std::string& Folder() const { return folder; }

    // Plays a sound effect of the loaded data once (silent without an audio device).
    void PlaySound(int soundId);
    zest::ZestAppBase* GetApp() const;

private:
    std::unique_ptr<zest::PakInterface> pak;
    std::unique_ptr<zest::ZestAppBase> app;
    std::string folder;
    bool loaded = false;
};

} // namespace tibble::sim
