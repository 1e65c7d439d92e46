// Removes the temporary files that an interrupted save of ours left behind (the process was killed
// between writing the temporary file and renaming it over the real one). Only our own names are
// touched: "<name>.tmp<pid>" and "<name>.tmp.<pid>.<n>", and only once they are over a minute old, so
// a save still in progress in another process keeps its file. Any thread.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>

namespace zest
{

class StaleTempFiles
{
public:
    static constexpr std::chrono::seconds MinimumAge{60};

    // Whether fileName is a temporary name of ours; of baseName when that is given ("registry.txt"
    // matches "registry.txt.tmp123" only), of any name otherwise.
    static bool IsTemporaryName(const std::string& fileName, const std::string& baseName = {});

    // Removes the stale temporary files in folder (and its subfolders when recursive); answers how
    // many went. Links, folders and other files are left alone; errors are skipped.
    static int Remove(const std::filesystem::path& folder, const std::string& baseName = {}, bool recursive = false);

    // Remove, done once per folder and base name in the life of the process: for the start of a
    // store that is opened often.
    static int RemoveOnce(const std::filesystem::path& folder, const std::string& baseName = {},
                          bool recursive = false);
};

} // namespace zest
