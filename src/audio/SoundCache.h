// Where decoded sounds are cached on the disk, and the source-file times that tell a
// cache file from a stale one. Process-wide; the product name is set once at start by
// the application, after which any thread may ask.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace zest
{

class SoundCache
{
public:
    // The folder under $XDG_CACHE_HOME the cache lives in (default "Zest").
    static void SetProductName(const std::string& name);
    static std::string ProductName();

    // $XDG_CACHE_HOME (or ~/.cache when unset or relative) / product name.
    static std::filesystem::path Folder();

    // The cache file of a sound name without extension: Folder()/cached/<name>.wav with
    // the name's folders kept ("\" becomes "/"). Empty for names that are not cached:
    // 2 characters or fewer, absolute, or containing "..".
    static std::optional<std::filesystem::path> PathFor(const std::string& name);

    // The last-write time (FILETIME, 100 ns units since 1601) of a data file, from the
    // archive when it holds the file, else from the disk. Empty when there is no such file.
    static std::optional<uint64_t> SourceFileTime(const std::string& fileName);
};

} // namespace zest
