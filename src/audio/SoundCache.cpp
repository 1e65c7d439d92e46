#include "audio/SoundCache.h"

#include "files/PakFile.h"

#include <cstdlib>
#include <mutex>
#include <pwd.h>
#include <unistd.h>

namespace zest
{

namespace
{
std::mutex productMutex;
std::string productName = "Zest";

std::filesystem::path HomeFolder()
{
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/')
        return home;
    if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr)
        return entry->pw_dir;
    return "/tmp";
}
} // namespace

void SoundCache::SetProductName(const std::string& name)
{
    std::lock_guard<std::mutex> lock(productMutex);
    // The name becomes one folder: no separators, never empty or a dot folder.
    std::string clean;
    for (char c : name)
        clean += (c == '/' || c == '\\') ? '_' : c;
    if (clean.empty() || clean == "." || clean == "..")
        clean = "Zest";
    productName = clean;
}

std::string SoundCache::ProductName()
{
    std::lock_guard<std::mutex> lock(productMutex);
    return productName;
}

std::filesystem::path SoundCache::Folder()
{
    // The XDG rules: a relative $XDG_CACHE_HOME is invalid and ignored.
    const char* cacheHome = std::getenv("XDG_CACHE_HOME");
    std::filesystem::path base =
        (cacheHome != nullptr && cacheHome[0] == '/') ? std::filesystem::path(cacheHome) : HomeFolder() / ".cache";
    return base / ProductName();
}

std::optional<std::filesystem::path> SoundCache::PathFor(const std::string& name)
{
    if (name.size() <= 2 || name[0] == '\\' || name[0] == '/' || name[1] == ':')
        return std::nullopt;
    // ".." could climb out of the cache folder; such names are simply not cached.
    if (name.find("..") != std::string::npos)
        return std::nullopt;
    std::string relative;
    for (char c : name)
    {
        if (c == '\0')
            return std::nullopt;
        const char slash = (c == '\\') ? '/' : c;
        if (slash == '/' && (relative.empty() || relative.back() == '/'))
            continue; // folds "a//b"
        relative += slash;
    }
    if (relative.empty() || relative.back() == '/')
        return std::nullopt;
    return Folder() / "cached" / (relative + ".wav");
}

std::optional<uint64_t> SoundCache::SourceFileTime(const std::string& fileName)
{
    if (fileName.empty() || fileName.find('*') != std::string::npos || fileName.find('?') != std::string::npos)
        return std::nullopt;
    // A pattern without "*" finds exactly that file, in the archive first.
    PFindData data;
    PFindHandle* handle = p_FindFirstFile(fileName.c_str(), &data);
    if (handle == nullptr)
        return std::nullopt;
    std::optional<uint64_t> time;
    do
    {
        if ((data.attributes & FindAttributeDirectory) == 0)
        {
            time = data.lastWriteTime;
            break;
        }
    } while (p_FindNextFile(handle, &data));
    p_FindClose(handle);
    return time;
}

} // namespace zest
