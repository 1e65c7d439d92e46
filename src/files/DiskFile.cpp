#include "files/DiskFile.h"

#include "files/LineReader.h"
#include "files/PakDirectory.h"
#include "platform/ZestAssert.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <memory>

namespace zest
{

namespace
{

char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
    {
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    }
    return true;
}

bool Exists(const std::string& path)
{
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

struct DirCloser
{
    void operator()(DIR* dir) const { closedir(dir); }
};

// The entry of folder whose name equals name without regard to case. Several candidates
// ("a.png" and "A.png") resolve to the first in byte order, so the choice is stable.
bool FindNoCase(const std::string& folder, std::string_view name, std::string& found)
{
    std::unique_ptr<DIR, DirCloser> dir(opendir(folder.empty() ? "." : folder.c_str()));
    if (!dir)
        return false;
    bool any = false;
    while (dirent* entry = readdir(dir.get()))
    {
        std::string_view candidate(entry->d_name);
        if (EqualNoCase(candidate, name) && (!any || candidate < found))
        {
            found = candidate;
            any = true;
        }
    }
    return any;
}

long SaturatingAdd(long a, long b)
{
    long sum = 0;
    if (__builtin_add_overflow(a, b, &sum))
        return b > 0 ? LONG_MAX : LONG_MIN;
    return sum;
}

// The size of the file behind an open stream, or -1.
long StreamSize(std::FILE* stream)
{
    struct stat info;
    if (fstat(fileno(stream), &info) != 0)
        return -1;
    return info.st_size > LONG_MAX ? LONG_MAX : static_cast<long>(info.st_size);
}

// Reading-only opens go through open(2) with O_NONBLOCK so that a pipe or device is
// refused after fstat instead of blocking in open.
std::FILE* OpenForReading(const std::string& path)
{
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
    {
        close(fd);
        errno = EISDIR;
        return nullptr;
    }
    int flags = fcntl(fd, F_GETFL);
    if (flags >= 0)
        fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    std::FILE* stream = fdopen(fd, "rb");
    if (stream == nullptr)
        close(fd);
    return stream;
}

std::FILE* OpenForWriting(const std::string& path, const std::string& mode)
{
    struct stat info;
    if (stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode))
    {
        errno = EISDIR;
        return nullptr;
    }
    std::FILE* stream = std::fopen(path.c_str(), (mode + "e").c_str());
    if (stream == nullptr)
        return nullptr;
    if (fstat(fileno(stream), &info) != 0 || !S_ISREG(info.st_mode))
    {
        std::fclose(stream);
        errno = EISDIR;
        return nullptr;
    }
    return stream;
}

uint64_t FileTimeOf(const struct timespec& time)
{
    return FileTimeFromUnix(time.tv_sec, time.tv_nsec);
}

} // namespace

std::string DiskPath(std::string_view name)
{
    std::string path(name);
    std::replace(path.begin(), path.end(), '\\', '/');
    if (path.empty() || Exists(path))
        return path;

    // As on Windows, "." and ".." are folded by name first, not through the file system.
    bool absolute = path[0] == '/';
    std::vector<std::string> parts;
    size_t i = 0;
    while (i < path.size())
    {
        size_t end = path.find('/', i);
        if (end == std::string::npos)
            end = path.size();
        std::string component = path.substr(i, end - i);
        if (component == "..")
        {
            if (!parts.empty() && parts.back() != "..")
                parts.pop_back();
            else if (!absolute)
                parts.push_back(component);
        }
        else if (!component.empty() && component != ".")
        {
            parts.push_back(component);
        }
        i = end + 1;
    }

    // Data made on another system may differ in case: walk the folders one by one. What
    // cannot be found is kept as given, so the result can also name a new file.
    std::string resolved = absolute ? "/" : "";
    bool searching = true;
    for (size_t k = 0; k < parts.size(); ++k)
    {
        const std::string& component = parts[k];
        std::string candidate = resolved + component;
        std::string found;
        if (searching && component != ".." && !Exists(candidate))
        {
            if (FindNoCase(resolved, component, found))
                candidate = resolved + found;
            else
                searching = false;
        }
        resolved = candidate;
        if (k + 1 < parts.size())
            resolved += '/';
    }
    if (resolved.empty())
        resolved = ".";
    if (path.back() == '/' && resolved.back() != '/')
        resolved += '/';
    return resolved;
}

PFILE* DiskOpen(const char* fileName, const char* access)
{
    ZEST_ASSERT_OR_RETURN(fileName != nullptr && access != nullptr, nullptr);
    // The C library takes lower-case modes without "t"; "b" is meaningless here but allowed.
    std::string mode;
    for (const char* p = access; *p != '\0'; ++p)
    {
        char c = LowerAscii(*p);
        if (c != 't')
            mode += c;
    }
    if (mode.empty() || (mode[0] != 'r' && mode[0] != 'w' && mode[0] != 'a'))
        return nullptr;
    bool readOnly = mode[0] == 'r' && mode.find('+') == std::string::npos;

    std::string path = DiskPath(fileName);
    std::FILE* stream = readOnly ? OpenForReading(path) : OpenForWriting(path, mode);
    if (stream == nullptr)
        return nullptr;
    auto file = std::make_unique<PFILE>();
    file->diskFile = stream;
    file->readOnly = readOnly;
    file->textMode = mode.find('b') == std::string::npos;
    return file.release();
}

int DiskClose(PFILE* file)
{
    ZEST_ASSERT_OR_RETURN(file != nullptr, EOF);
    int result = file->diskFile != nullptr ? std::fclose(file->diskFile) : 0;
    delete file;
    return result;
}

int DiskSeek(PFILE* file, long offset, int origin)
{
    ZEST_ASSERT_OR_RETURN(file != nullptr && file->diskFile != nullptr, -1);
    std::FILE* stream = file->diskFile;
    long base = 0;
    if (origin == SEEK_CUR)
    {
        base = std::ftell(stream);
    }
    else if (origin == SEEK_END)
    {
        if (file->readOnly)
        {
            base = StreamSize(stream);
        }
        else if (std::fseek(stream, 0, SEEK_END) == 0)
        {
            base = std::ftell(stream);
        }
        else
        {
            return -1;
        }
    }
    else if (origin != SEEK_SET)
    {
        return -1;
    }
    if (base < 0)
        return -1;
    // Like an archived file: never before the start, and for reading never past the end.
    long target = std::max(0L, SaturatingAdd(base, offset));
    if (file->readOnly)
    {
        long size = StreamSize(stream);
        if (size >= 0)
            target = std::min(target, size);
    }
    return std::fseek(stream, target, SEEK_SET) == 0 ? 0 : -1;
}

long DiskTell(PFILE* file)
{
    ZEST_ASSERT_OR_RETURN(file != nullptr && file->diskFile != nullptr, -1);
    return std::ftell(file->diskFile);
}

size_t DiskRead(void* buffer, size_t elementSize, size_t count, PFILE* file)
{
    ZEST_ASSERT_OR_RETURN(file != nullptr && file->diskFile != nullptr, 0);
    if (elementSize == 0 || count == 0)
        return 0;
    ZEST_ASSERT_OR_RETURN(buffer != nullptr, 0);
    return std::fread(buffer, elementSize, count, file->diskFile);
}

int DiskGetC(PFILE* file)
{
    ZEST_ASSERT_OR_RETURN(file != nullptr && file->diskFile != nullptr, EOF);
    for (;;)
    {
        int c = std::fgetc(file->diskFile);
        // Text files read the same from the disk as from the archive: no carriage returns.
        if (c == '\r' && file->textMode)
            continue;
        return c == EOF ? -1 : c;
    }
}

int DiskUnGetC(int ch, PFILE* file)
{
    ZEST_ASSERT_OR_RETURN(file != nullptr && file->diskFile != nullptr, ch);
    // A step back rather than ungetc(3): any number of steps works, as in the archive.
    long position = std::ftell(file->diskFile);
    if (position > 0)
        std::fseek(file->diskFile, position - 1, SEEK_SET);
    return ch;
}

char* DiskGetS(char* buffer, int size, PFILE* file)
{
    ZEST_ASSERT_OR_RETURN(file != nullptr && file->diskFile != nullptr, nullptr);
    return ReadLineInto(buffer, size, [file] { return DiskGetC(file); });
}

int DiskEof(PFILE* file)
{
    ZEST_ASSERT_OR_RETURN(file != nullptr && file->diskFile != nullptr, 1);
    std::FILE* stream = file->diskFile;
    if (std::feof(stream))
        return 1;
    // As for an archived file, the end is reached once the last byte has been read, not
    // only after a read has failed.
    if (file->readOnly)
    {
        long position = std::ftell(stream);
        long size = StreamSize(stream);
        return (position >= 0 && size >= 0 && position >= size) ? 1 : 0;
    }
    return 0;
}

bool MatchesWildcard(std::string_view pattern, std::string_view name)
{
    // Greedy match with one backtrack point: the last "*" seen.
    size_t p = 0;
    size_t n = 0;
    size_t starPattern = std::string_view::npos;
    size_t starName = 0;
    while (n < name.size())
    {
        if (p < pattern.size() && (pattern[p] == '?' || LowerAscii(pattern[p]) == LowerAscii(name[n])))
        {
            ++p;
            ++n;
        }
        else if (p < pattern.size() && pattern[p] == '*')
        {
            starPattern = p++;
            starName = n;
        }
        else if (starPattern != std::string_view::npos)
        {
            p = starPattern + 1;
            n = ++starName;
        }
        else
        {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    if (p == pattern.size())
        return true;
    // "*.*" and "name.*" also match names without an extension.
    return pattern.substr(p) == ".*";
}

std::vector<PFindData> DiskFind(std::string_view pattern)
{
    std::string path(pattern);
    std::replace(path.begin(), path.end(), '\\', '/');
    size_t slash = path.rfind('/');
    std::string folder;
    std::string namePattern = path;
    if (slash != std::string::npos)
    {
        folder = slash == 0 ? "/" : path.substr(0, slash);
        namePattern = path.substr(slash + 1);
    }
    std::vector<PFindData> results;
    if (namePattern.empty())
        return results;
    folder = folder.empty() ? std::string(".") : DiskPath(folder);

    std::unique_ptr<DIR, DirCloser> dir(opendir(folder.c_str()));
    if (!dir)
        return results;
    while (dirent* entry = readdir(dir.get()))
    {
        std::string_view name(entry->d_name);
        if (name == "." || name == ".." || !MatchesWildcard(namePattern, name))
            continue;
        struct stat info;
        std::string full = folder.back() == '/' ? folder + std::string(name) : folder + "/" + std::string(name);
        if (stat(full.c_str(), &info) != 0)
            continue; // a dangling link
        PFindData data;
        data.fileName = name;
        data.size = S_ISDIR(info.st_mode) ? 0 : static_cast<uint64_t>(info.st_size);
        // Linux keeps no creation time in stat: the modification time stands in for it.
        data.creationTime = FileTimeOf(info.st_mtim);
        data.lastAccessTime = FileTimeOf(info.st_atim);
        data.lastWriteTime = FileTimeOf(info.st_mtim);
        data.attributes = S_ISDIR(info.st_mode) ? FindAttributeDirectory : 0;
        results.push_back(std::move(data));
    }
    std::sort(results.begin(), results.end(),
              [](const PFindData& a, const PFindData& b) { return a.fileName < b.fileName; });
    return results;
}

void BeginDiskFind(PFindHandle* handle)
{
    ZEST_ASSERT_OR_RETURN(handle != nullptr);
    handle->archiveDone = true;
    handle->diskResults = DiskFind(handle->pattern);
    handle->diskIndex = 0;
}

bool NextDiskFind(PFindHandle* handle, PFindData* findData)
{
    ZEST_ASSERT_OR_RETURN(handle != nullptr && findData != nullptr, false);
    if (handle->diskIndex >= handle->diskResults.size())
        return false;
    *findData = handle->diskResults[handle->diskIndex++];
    return true;
}

} // namespace zest
