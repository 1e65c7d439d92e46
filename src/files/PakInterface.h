// Serves the files of mounted archives (memory-mapped, scrambled) under their relative
// names and falls back to the disk for everything else. One lives for the whole process,
// owned by the application; archives are added at start, before other threads read files.
#pragma once

#include "files/PakInterfaceBase.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace zest
{

// One mapped archive file; unmapped when the interface goes.
struct PakCollection
{
    std::string fileName;
    const uint8_t* data = nullptr;
    size_t size = 0;

    PakCollection() = default;
    PakCollection(const PakCollection&) = delete;
    PakCollection& operator=(const PakCollection&) = delete;
    ~PakCollection();
};

// One archived file; start and size lie inside the collection's mapping.
struct PakRecord
{
    const PakCollection* collection = nullptr;
    std::string fileName; // as stored
    uint64_t start = 0;
    uint64_t size = 0;
    uint64_t fileTime = 0; // FILETIME
};

class PakInterface : public PakInterfaceBase
{
public:
    // Becomes the active interface of the process when none is active yet.
    PakInterface();
    ~PakInterface() override;
    PakInterface(const PakInterface&) = delete;
    PakInterface& operator=(const PakInterface&) = delete;

    // Maps the archive and enters its files. False (and nothing changed) when the file
    // cannot be opened or mapped or is not a whole, valid archive. Later archives win
    // over earlier ones for the same name.
    [[nodiscard]] bool AddPakFile(const std::string& path);

    PFILE* FOpen(const char* fileName, const char* access) override;
    int FClose(PFILE* file) override;
    int FSeek(PFILE* file, long offset, int origin) override;
    long FTell(PFILE* file) override;
    size_t FRead(void* buffer, size_t elementSize, size_t count, PFILE* file) override;
    int FGetC(PFILE* file) override;
    int UnGetC(int ch, PFILE* file) override;
    char* FGetS(char* buffer, int size, PFILE* file) override;
    int FEof(PFILE* file) override;

    PFindHandle* FindFirstFile(const char* pattern, PFindData* findData) override;
    bool FindNextFile(PFindHandle* handle, PFindData* findData) override;
    bool FindClose(PFindHandle* handle) override;

private:
    bool FindNextInArchive(PFindHandle* handle, PFindData* findData) const;

    std::vector<std::unique_ptr<PakCollection>> collections;
    std::map<std::string, PakRecord> directory; // by normalized name
};

} // namespace zest
