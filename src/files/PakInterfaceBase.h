// The interface behind the process-wide file functions (PakFile.h): an archive-aware
// implementation (PakInterface) or none, in which case the functions read the disk.
// Owned by whoever creates it (the application); any thread may call it once set up.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace zest
{

struct PakRecord;

// An open file: either an entry of a mounted archive or a file on the disk.
// Made by FOpen, freed by FClose; one thread at a time per file.
struct PFILE
{
    const PakRecord* record = nullptr; // the archive entry; null for a disk file
    int64_t position = 0;              // archive files only
    std::FILE* diskFile = nullptr;     // disk files only
    bool textMode = false;             // opened without "b": carriage returns are dropped by FGetC/FGetS
    bool readOnly = false;             // opened for reading only: seeks are clamped to the file
};

// The attribute bit that marks a folder in PFindData::attributes.
inline constexpr uint32_t FindAttributeDirectory = 0x10;

// One search result. Times are FILETIMEs (100 ns units since 1601-01-01).
struct PFindData
{
    std::string fileName; // the name after its last separator
    uint64_t size = 0;
    uint64_t creationTime = 0;
    uint64_t lastAccessTime = 0;
    uint64_t lastWriteTime = 0;
    uint32_t attributes = 0; // FindAttributeDirectory or 0
};

// The state of a running search: first the archive in key order, then the disk.
struct PFindHandle
{
    std::string pattern;         // the normalized pattern
    std::string lastKey;         // the last archive key handed out
    bool archiveStarted = false; // lastKey is valid
    bool archiveDone = false;    // the archive has no further match; the disk's results follow
    std::vector<PFindData> diskResults;
    size_t diskIndex = 0;
};

class PakInterfaceBase
{
public:
    virtual ~PakInterfaceBase() = default;

    // Null when the file can be found neither in an archive nor on the disk.
    virtual PFILE* FOpen(const char* fileName, const char* access) = 0;
    virtual int FClose(PFILE* file) = 0;
    // origin 0 start, 1 current, 2 end. Returns 0, or -1 when a disk seek fails.
    virtual int FSeek(PFILE* file, long offset, int origin) = 0;
    virtual long FTell(PFILE* file) = 0;
    // Returns the number of whole elements read.
    virtual size_t FRead(void* buffer, size_t elementSize, size_t count, PFILE* file) = 0;
    // The next byte (0-255) or -1 at the end.
    virtual int FGetC(PFILE* file) = 0;
    // Steps back one byte (not below 0); ch is not stored, it is returned.
    virtual int UnGetC(int ch, PFILE* file) = 0;
    // Reads a line (newline kept) into buffer, at most size - 1 bytes plus a zero.
    // Null when the end came before any byte.
    virtual char* FGetS(char* buffer, int size, PFILE* file) = 0;
    virtual int FEof(PFILE* file) = 0;

    // Null when nothing matches; otherwise findData holds the first match.
    virtual PFindHandle* FindFirstFile(const char* pattern, PFindData* findData) = 0;
    virtual bool FindNextFile(PFindHandle* handle, PFindData* findData) = 0;
    virtual bool FindClose(PFindHandle* handle) = 0;
};

} // namespace zest
