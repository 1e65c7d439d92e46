// The application's own settings in its registry key: which values, in which order,
// and how they are rounded. Stateless; used by ZestAppBase on the main thread.
#pragma once

namespace zest
{

class ZestAppBase;

class AppSettings
{
public:
    // Reads the saved values into the application (absent ones keep their defaults),
    // then marks the run as in progress.
    static void Load(ZestAppBase& app);
    // Writes the application's values and marks the run as ended cleanly; other
    // values under the key (the game's) are left alone.
    static void Save(ZestAppBase& app);
    // A volume 0..1 as whole percent, truncated.
    static int VolumePercent(double volume);
};

} // namespace zest
