#include "platform/StaleTempFiles.h"

#include "platform/Log.h"

#include <algorithm>
#include <cctype>
#include <mutex>
#include <set>
#include <system_error>
#include <utility>

namespace zest
{

namespace
{

bool AllDigits(const std::string& text, size_t begin, size_t end)
{
    return begin < end && std::all_of(text.begin() + static_cast<long>(begin), text.begin() + static_cast<long>(end),
                                      [](unsigned char c) { return std::isdigit(c) != 0; });
}

// The part after ".tmp": "<pid>" or ".<pid>.<n>".
bool IsTemporarySuffix(const std::string& name, size_t at)
{
    if (AllDigits(name, at, name.size()))
        return true;
    if (at >= name.size() || name[at] != '.')
        return false;
    const size_t dot = name.find('.', at + 1);
    return dot != std::string::npos && AllDigits(name, at + 1, dot) && AllDigits(name, dot + 1, name.size());
}

bool IsStale(const std::filesystem::directory_entry& entry, const std::string& baseName)
{
    std::error_code ec;
    if (!entry.is_regular_file(ec) || entry.is_symlink(ec) ||
        !StaleTempFiles::IsTemporaryName(entry.path().filename().string(), baseName))
        return false;
    const auto changed = entry.last_write_time(ec);
    return !ec && std::filesystem::file_time_type::clock::now() - changed > StaleTempFiles::MinimumAge;
}

} // namespace

bool StaleTempFiles::IsTemporaryName(const std::string& fileName, const std::string& baseName)
{
    if (!baseName.empty())
        return fileName.size() > baseName.size() + 4 && fileName.compare(0, baseName.size(), baseName) == 0 &&
               fileName.compare(baseName.size(), 4, ".tmp") == 0 &&
               IsTemporarySuffix(fileName, baseName.size() + 4);
    // Any name: the last ".tmp" that a valid suffix follows, after a name of at least one character.
    for (size_t at = fileName.rfind(".tmp"); at != std::string::npos && at > 0; at = fileName.rfind(".tmp", at - 1))
        if (IsTemporarySuffix(fileName, at + 4))
            return true;
    return false;
}

int StaleTempFiles::Remove(const std::filesystem::path& folder, const std::string& baseName, bool recursive)
{
    int removed = 0;
    std::error_code ec;
    auto consider = [&](const std::filesystem::directory_entry& entry) {
        if (!IsStale(entry, baseName))
            return;
        std::error_code removeError;
        if (std::filesystem::remove(entry.path(), removeError))
        {
            ++removed;
            Logf(LogLevel::Info, "removed the stale temporary file %s", entry.path().c_str());
        }
    };
    if (recursive)
    {
        for (auto it = std::filesystem::recursive_directory_iterator(folder, ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
            consider(*it);
    }
    else
    {
        for (auto it = std::filesystem::directory_iterator(folder, ec);
             !ec && it != std::filesystem::directory_iterator(); it.increment(ec))
            consider(*it);
    }
    return removed;
}

int StaleTempFiles::RemoveOnce(const std::filesystem::path& folder, const std::string& baseName, bool recursive)
{
    static std::mutex mutex;
    static std::set<std::pair<std::string, std::string>> done;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (!done.emplace(folder.lexically_normal().string(), baseName).second)
            return 0;
    }
    return Remove(folder, baseName, recursive);
}

} // namespace zest
