#include "files/PakFile.h"

#include "files/DiskFile.h"
#include "files/PakDirectory.h"
#include "platform/ZestAssert.h"

#include <atomic>

namespace zest
{

namespace
{

// Set once at start, before the loading thread runs; atomic so that a late reader on
// another thread never sees a torn pointer.
std::atomic<PakInterfaceBase*> activePak{nullptr};

} // namespace

PakInterfaceBase* ActivePakInterface()
{
    return activePak.load(std::memory_order_acquire);
}

void SetActivePakInterface(PakInterfaceBase* pak)
{
    activePak.store(pak, std::memory_order_release);
}

PFILE* p_fopen(const char* fileName, const char* access)
{
    if (PakInterfaceBase* pak = ActivePakInterface())
        return pak->FOpen(fileName, access);
    return DiskOpen(fileName, access);
}

// Without an active interface only disk files can be open; an archived file whose
// interface has gone can only be closed.
int p_fclose(PFILE* file)
{
    if (PakInterfaceBase* pak = ActivePakInterface())
        return pak->FClose(file);
    ZEST_ASSERT_OR_RETURN(file != nullptr, EOF);
    if (file->record != nullptr)
    {
        delete file;
        return 0;
    }
    return DiskClose(file);
}

int p_fseek(PFILE* file, long offset, int origin)
{
    if (PakInterfaceBase* pak = ActivePakInterface())
        return pak->FSeek(file, offset, origin);
    return DiskSeek(file, offset, origin);
}

long p_ftell(PFILE* file)
{
    if (PakInterfaceBase* pak = ActivePakInterface())
        return pak->FTell(file);
    return DiskTell(file);
}

size_t p_fread(void* buffer, size_t elementSize, size_t count, PFILE* file)
{
    if (PakInterfaceBase* pak = ActivePakInterface())
        return pak->FRead(buffer, elementSize, count, file);
    return DiskRead(buffer, elementSize, count, file);
}

int p_fgetc(PFILE* file)
{
    if (PakInterfaceBase* pak = ActivePakInterface())
        return pak->FGetC(file);
    return DiskGetC(file);
}

int p_ungetc(int ch, PFILE* file)
{
    if (PakInterfaceBase* pak = ActivePakInterface())
        return pak->UnGetC(ch, file);
    return DiskUnGetC(ch, file);
}

char* p_fgets(char* buffer, int size, PFILE* file)
{
    if (PakInterfaceBase* pak = ActivePakInterface())
        return pak->FGetS(buffer, size, file);
    return DiskGetS(buffer, size, file);
}

int p_feof(PFILE* file)
{
    if (PakInterfaceBase* pak = ActivePakInterface())
        return pak->FEof(file);
    return DiskEof(file);
}

PFindHandle* p_FindFirstFile(const char* pattern, PFindData* findData)
{
    if (PakInterfaceBase* pak = ActivePakInterface())
        return pak->FindFirstFile(pattern, findData);
    ZEST_ASSERT_OR_RETURN(pattern != nullptr && findData != nullptr, nullptr);
    auto handle = std::make_unique<PFindHandle>();
    handle->pattern = NormalizePakName(pattern);
    BeginDiskFind(handle.get());
    if (!NextDiskFind(handle.get(), findData))
        return nullptr;
    return handle.release();
}

bool p_FindNextFile(PFindHandle* handle, PFindData* findData)
{
    if (PakInterfaceBase* pak = ActivePakInterface())
        return pak->FindNextFile(handle, findData);
    return NextDiskFind(handle, findData);
}

bool p_FindClose(PFindHandle* handle)
{
    if (PakInterfaceBase* pak = ActivePakInterface())
        return pak->FindClose(handle);
    ZEST_ASSERT_OR_RETURN(handle != nullptr, false);
    delete handle;
    return true;
}

} // namespace zest
