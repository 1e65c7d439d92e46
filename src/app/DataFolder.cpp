#include "app/DataFolder.h"

#include <filesystem>

namespace zest
{

namespace fs = std::filesystem;

std::string ExecutableFolder()
{
    std::error_code error;
    fs::path exe = fs::read_symlink("/proc/self/exe", error);
    if (error)
        return std::string();
    return exe.parent_path().string();
}

bool HoldsGameData(const std::string& folder)
{
    if (folder.empty())
        return false;
    std::error_code error;
    const fs::path base(folder);
    return fs::is_regular_file(base / "main.pak", error) || fs::is_regular_file(base / "properties" / "resources.xml", error);
}

std::string FindDataFolder(const std::string& programFolder, const std::string& installedPath)
{
    if (programFolder.empty() || installedPath.empty() || HoldsGameData(programFolder))
        return programFolder;
    const fs::path installed = (fs::path(programFolder) / installedPath).lexically_normal();
    std::string candidate = installed.string();
    // "a/b/.." normalises to "a/"; keep folder names without a trailing slash.
    if (candidate.size() > 1 && candidate.back() == '/')
        candidate.pop_back();
    return HoldsGameData(candidate) ? candidate : programFolder;
}

} // namespace zest
