// Builds archive files: the directory and the data of each added file, scrambled. Used by
// the zestpak tool and by tests that need an archive. One thread; owned by its user.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zest
{

class PakWriter
{
public:
    // Adds a file under its stored name ("\" separators by convention). False, with the
    // reason in error and nothing added, when the name is longer than 255 bytes or the
    // data longer than 2^32 - 1 bytes. Files are stored in the order they were added.
    [[nodiscard]] bool AddFile(const std::string& name, std::vector<uint8_t> data, uint64_t fileTime,
                               std::string& error);

    // The whole archive file as it is stored.
    std::vector<uint8_t> Build() const;

    // Writes the archive to a temporary file beside path and renames it over path, so an
    // existing archive is replaced whole or not at all.
    [[nodiscard]] bool WriteTo(const std::string& path, std::string& error) const;

private:
    std::vector<uint8_t> Header() const;

    struct Entry
    {
        std::string name;
        std::vector<uint8_t> data;
        uint64_t fileTime = 0;
    };
    std::vector<Entry> entries;
};

} // namespace zest
