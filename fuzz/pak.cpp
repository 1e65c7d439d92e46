// libFuzzer harness for the archive reader: the directory parser on raw bytes, then the
// same bytes mounted as an archive with every entry read, stepped and searched.

#include "files/PakDirectory.h"
#include "files/PakInterface.h"
#include "platform/Log.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace
{

// One in-memory file reused by every run, mounted through its /proc name.
int ArchiveFile()
{
    static int fd = []
    {
        zest::SetLogSink([](zest::LogLevel, const std::string&) {}); // damaged archives are expected here
        return memfd_create("fuzz.pak", 0);
    }();
    return fd;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    zest::PakDirectory directory;
    std::string error;
    bool valid = zest::ReadPakDirectory({data, size}, directory, error);

    int fd = ArchiveFile();
    if (fd < 0 || ftruncate(fd, 0) != 0 || (size > 0 && pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)))
        return 0;
    zest::PakInterface pak;
    bool mounted = pak.AddPakFile("/proc/self/fd/" + std::to_string(fd));
    if (mounted != valid)
        __builtin_trap(); // the mounted archive and the directory reader must agree
    if (!mounted)
        return 0;

    std::vector<char> buffer(4096);
    for (const zest::PakDirectoryEntry& entry : directory.entries)
    {
        zest::PFILE* file = pak.FOpen(entry.name.c_str(), "rb");
        if (file == nullptr)
            continue; // the name folds onto another key, or onto the disk
        pak.FSeek(file, 0, SEEK_END);
        long end = pak.FTell(file);
        pak.FSeek(file, -end - 1, SEEK_CUR);
        while (pak.FRead(buffer.data(), 3, buffer.size() / 3, file) > 0)
        {
        }
        pak.FSeek(file, 0, SEEK_SET);
        while (pak.FGetS(buffer.data(), 17, file) != nullptr)
        {
        }
        pak.UnGetC(0, file);
        pak.UnGetC(0, file);
        pak.FGetC(file);
        pak.FEof(file);
        pak.FClose(file);
    }
    zest::PFindData found;
    if (zest::PFindHandle* handle = pak.FindFirstFile("*", &found))
    {
        for (int i = 0; i < 64 && pak.FindNextFile(handle, &found); ++i)
        {
        }
        pak.FindClose(handle);
    }
    return 0;
}
