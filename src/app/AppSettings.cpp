#include "app/AppSettings.h"

#include "app/ZestAppBase.h"

#include <algorithm>

namespace zest
{

int AppSettings::VolumePercent(double volume)
{
    // The epsilon keeps a value that is a whole percent in decimal (0.58) from dropping
    // one percent because 0.58 * 100 is 57.99999... in binary; plain truncation would
    // lose a percent on every run.
    double clamped = std::clamp(volume, 0.0, 1.0);
    return static_cast<int>(clamped * 100.0 + 1e-6);
}

void AppSettings::Load(ZestAppBase& app)
{
    app.registryRead = true;
    app.registryKey = app.GetString("RegistryKey", app.registryKey);
    if (app.registryKey.empty())
        return;

    int value = 0;
    if (app.ReadRegInt("MusicVolume", value))
        app.musicVolume = std::clamp(value, 0, 100) / 100.0;
    if (app.ReadRegInt("SfxVolume", value))
        app.sfxVolume = std::clamp(value, 0, 100) / 100.0;
    // Saved as 0 or 1; a damaged larger count must not take that many unmutes.
    if (app.ReadRegInt("Muted", value))
        app.muteCount = std::clamp(value, 0, 1);
    if (app.ReadRegInt("ScreenMode", value))
        app.isWindowed = value == 0;
    if (app.ReadRegInt("PreferredX", value))
        app.preferredX = value;
    if (app.ReadRegInt("PreferredY", value))
        app.preferredY = value;
    if (app.ReadRegInt("CustomCursors", value))
        app.SetCustomCursors(value != 0);
    if (app.ReadRegInt("InProgress", value))
        app.lastShutdownWasGraceful = value == 0;
    if (app.ReadRegInt("WaitForVSync", value))
        app.waitForVSync = value != 0;
    if (app.ReadRegInt("Is3D", value))
    {
        app.is3D = value != 0;
        app.is3DRead = true;
    }

    // Cleared again by SaveSettings: still 1 at the next start means this run crashed.
    if (!app.isScreenSaver)
        app.WriteRegInt("InProgress", 1);
}

void AppSettings::Save(ZestAppBase& app)
{
    // Only the base's own values (the game keeps its progress under the same key), all
    // in one write: a crash leaves the old settings or the new ones, never a mix.
    app.WriteRegInts({
        {"MusicVolume", VolumePercent(app.musicVolume)},
        {"SfxVolume", VolumePercent(app.sfxVolume)},
        // The automatic mute of a lost focus is not the user's choice.
        {"Muted", app.muteCount - app.autoMuteCount > 0 ? 1 : 0},
        {"ScreenMode", app.isWindowed ? 0 : 1},
        {"PreferredX", app.preferredX},
        {"PreferredY", app.preferredY},
        {"CustomCursors", app.customCursorsEnabled ? 1 : 0},
        {"InProgress", 0},
        {"WaitForVSync", app.waitForVSync ? 1 : 0},
    });
}

} // namespace zest
