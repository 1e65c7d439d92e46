// The disk side of the file functions: names as a Windows program gives them ("\"
// separators, any letter case) found on a case-sensitive file system, and the PFILE
// operations for files that live on the disk. Stateless; any thread.
#pragma once

#include "files/PakInterfaceBase.h"

#include <string>
#include <string_view>
#include <vector>

namespace zest
{

// The disk path for a data file name: "\" becomes "/"; when that does not exist, each
// folder and the file are looked up without regard to (ASCII) case. Parts that cannot be
// found are kept as given, so the result also serves to create a new file.
std::string DiskPath(std::string_view name);

// Opens a regular file with the C library (mode as for fopen; "t" is accepted and
// ignored). Null for a folder, a device, a pipe or any other non-regular file.
PFILE* DiskOpen(const char* fileName, const char* access);
int DiskClose(PFILE* file);
int DiskSeek(PFILE* file, long offset, int origin);
long DiskTell(PFILE* file);
size_t DiskRead(void* buffer, size_t elementSize, size_t count, PFILE* file);
int DiskGetC(PFILE* file);
int DiskUnGetC(int ch, PFILE* file);
char* DiskGetS(char* buffer, int size, PFILE* file);
int DiskEof(PFILE* file);

// Every entry of one folder whose name matches the last part of pattern ("*" any run,
// "?" one character, without regard to case; a final ".*" also matches names without a
// dot), sorted by name. "." and ".." are left out.
std::vector<PFindData> DiskFind(std::string_view pattern);

// Starts the disk half of a search: fills the handle's disk results.
void BeginDiskFind(PFindHandle* handle);
// The next disk result of the handle; false when there is none.
bool NextDiskFind(PFindHandle* handle, PFindData* findData);

// The wildcard rule of DiskFind, exposed for tests.
bool MatchesWildcard(std::string_view pattern, std::string_view name);

} // namespace zest
