// The process-wide file functions every data file is read through. They forward to the
// active archive interface, or read the disk directly when none is active. Writing always
// goes to the disk. Any thread may call them; each open file belongs to one thread at a time.
#pragma once

#include "files/PakInterfaceBase.h"

#include <cstddef>
#include <memory>

namespace zest
{

// The active archive interface (null when none). The first PakInterface made in the
// process becomes active by itself; the pointer is not owning.
PakInterfaceBase* ActivePakInterface();
void SetActivePakInterface(PakInterfaceBase* pak);

// Modes "r", "rb", "rt" look in the archive first; every other mode opens the disk file.
// On the disk "\" separates folders, and a name that does not exist exactly is looked
// up without regard to case, folder by folder. Folders and other non-regular files fail.
PFILE* p_fopen(const char* fileName, const char* access);
int p_fclose(PFILE* file);
int p_fseek(PFILE* file, long offset, int origin);
long p_ftell(PFILE* file);
size_t p_fread(void* buffer, size_t elementSize, size_t count, PFILE* file);
int p_fgetc(PFILE* file);
int p_ungetc(int ch, PFILE* file);
char* p_fgets(char* buffer, int size, PFILE* file);
int p_feof(PFILE* file);

// Patterns use "*" (e.g. "images\*.png"); archive matches come first, then the disk's.
PFindHandle* p_FindFirstFile(const char* pattern, PFindData* findData);
bool p_FindNextFile(PFindHandle* handle, PFindData* findData);
bool p_FindClose(PFindHandle* handle);

// Closes a PFILE when it goes out of scope: PFilePtr file(p_fopen(name, "rb"));
struct PFileCloser
{
    void operator()(PFILE* file) const
    {
        if (file != nullptr)
            p_fclose(file);
    }
};
using PFilePtr = std::unique_ptr<PFILE, PFileCloser>;

} // namespace zest
