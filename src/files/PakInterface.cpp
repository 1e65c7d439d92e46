#include "files/PakInterface.h"

#include "files/DiskFile.h"
#include "files/LineReader.h"
#include "files/PakDirectory.h"
#include "files/PakFile.h"
#include "platform/Log.h"
#include "platform/ZestAssert.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <limits>

namespace zest
{

namespace
{

// Only plain reading consults the archive; "r+" or any writing goes to the disk.
bool IsArchiveMode(const char* access)
{
    std::string mode;
    for (const char* p = access; *p != '\0'; ++p)
        mode += static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
    return mode == "r" || mode == "rb" || mode == "rt";
}

const uint8_t* RecordData(const PakRecord* record)
{
    return record->collection->data + record->start;
}

// The name after the last separator of a stored name.
std::string LastComponent(const std::string& name)
{
    size_t separator = name.find_last_of("\\/");
    return separator == std::string::npos ? name : name.substr(separator + 1);
}

} // namespace

PakCollection::~PakCollection()
{
    if (data != nullptr)
        munmap(const_cast<uint8_t*>(data), size);
}

PakInterface::PakInterface()
{
    if (ActivePakInterface() == nullptr)
        SetActivePakInterface(this);
}

PakInterface::~PakInterface()
{
    if (ActivePakInterface() == this)
        SetActivePakInterface(nullptr);
}

bool PakInterface::AddPakFile(const std::string& path)
{
    std::string diskPath = DiskPath(path);
    int fd = open(diskPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false; // no archive: files come from the disk, which is not an error
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0)
    {
        close(fd);
        return false;
    }
    auto collection = std::make_unique<PakCollection>();
    collection->fileName = path;
    collection->size = static_cast<size_t>(info.st_size);
    void* mapping = mmap(nullptr, collection->size, PROT_READ, MAP_PRIVATE, fd, 0);
    close(fd);
    if (mapping == MAP_FAILED)
        return false;
    collection->data = static_cast<const uint8_t*>(mapping);

    PakDirectory contents;
    std::string error;
    if (!ReadPakDirectory({collection->data, collection->size}, contents, error))
    {
        Logf(LogLevel::Warning, "archive %s not used: %s", path.c_str(), error.c_str());
        return false;
    }

    // The archive is entered under its own name too, covering the whole file.
    PakRecord self;
    self.collection = collection.get();
    self.fileName = path;
    self.start = 0;
    self.size = collection->size;
    self.fileTime = FileTimeFromUnix(info.st_mtim.tv_sec, info.st_mtim.tv_nsec);
    directory[NormalizePakName(path)] = self;
    for (const PakDirectoryEntry& entry : contents.entries)
    {
        PakRecord record;
        record.collection = collection.get();
        record.fileName = entry.name;
        record.start = entry.start;
        record.size = entry.size;
        record.fileTime = entry.fileTime;
        directory[NormalizePakName(entry.name)] = std::move(record);
    }
    collections.push_back(std::move(collection));
    return true;
}

PFILE* PakInterface::FOpen(const char* fileName, const char* access)
{
    ZEST_ASSERT_OR_RETURN(fileName != nullptr && access != nullptr, nullptr);
    if (IsArchiveMode(access))
    {
        auto found = directory.find(NormalizePakName(fileName));
        if (found != directory.end())
        {
            auto file = std::make_unique<PFILE>();
            file->record = &found->second;
            file->readOnly = true;
            return file.release();
        }
    }
    return DiskOpen(fileName, access);
}

int PakInterface::FClose(PFILE* file)
{
    ZEST_ASSERT_OR_RETURN(file != nullptr, EOF);
    if (file->record == nullptr)
        return DiskClose(file);
    delete file;
    return 0;
}

int PakInterface::FSeek(PFILE* file, long offset, int origin)
{
    ZEST_ASSERT_OR_RETURN(file != nullptr, -1);
    if (file->record == nullptr)
        return DiskSeek(file, offset, origin);
    int64_t size = static_cast<int64_t>(file->record->size);
    int64_t base = 0;
    if (origin == SEEK_CUR)
        base = file->position;
    else if (origin == SEEK_END)
        base = size;
    else if (origin != SEEK_SET)
        return -1;
    int64_t target = 0;
    if (__builtin_add_overflow(base, static_cast<int64_t>(offset), &target))
        target = offset > 0 ? size : 0;
    file->position = std::clamp<int64_t>(target, 0, size);
    return 0;
}

long PakInterface::FTell(PFILE* file)
{
    ZEST_ASSERT_OR_RETURN(file != nullptr, -1);
    if (file->record == nullptr)
        return DiskTell(file);
    return static_cast<long>(file->position);
}

size_t PakInterface::FRead(void* buffer, size_t elementSize, size_t count, PFILE* file)
{
    ZEST_ASSERT_OR_RETURN(file != nullptr, 0);
    if (file->record == nullptr)
        return DiskRead(buffer, elementSize, count, file);
    if (elementSize == 0 || count == 0)
        return 0;
    ZEST_ASSERT_OR_RETURN(buffer != nullptr, 0);
    uint64_t wanted = count > std::numeric_limits<uint64_t>::max() / elementSize
                          ? std::numeric_limits<uint64_t>::max()
                          : static_cast<uint64_t>(elementSize) * count;
    uint64_t available = file->record->size - static_cast<uint64_t>(file->position);
    size_t bytes = static_cast<size_t>(std::min(wanted, available));
    const uint8_t* source = RecordData(file->record) + file->position;
    uint8_t* target = static_cast<uint8_t*>(buffer);
    Descramble(target, source, bytes);
    file->position += static_cast<int64_t>(bytes);
    return bytes / elementSize;
}

int PakInterface::FGetC(PFILE* file)
{
    ZEST_ASSERT_OR_RETURN(file != nullptr, -1);
    if (file->record == nullptr)
        return DiskGetC(file);
    const uint8_t* data = RecordData(file->record);
    int64_t size = static_cast<int64_t>(file->record->size);
    while (file->position < size)
    {
        int c = data[file->position++] ^ PakScrambleKey;
        if (c != '\r')
            return c;
    }
    return -1;
}

int PakInterface::UnGetC(int ch, PFILE* file)
{
    ZEST_ASSERT_OR_RETURN(file != nullptr, ch);
    if (file->record == nullptr)
        return DiskUnGetC(ch, file);
    if (file->position > 0)
        --file->position;
    return ch;
}

char* PakInterface::FGetS(char* buffer, int size, PFILE* file)
{
    ZEST_ASSERT_OR_RETURN(file != nullptr, nullptr);
    if (file->record == nullptr)
        return DiskGetS(buffer, size, file);
    return ReadLineInto(buffer, size, [this, file] { return FGetC(file); });
}

int PakInterface::FEof(PFILE* file)
{
    ZEST_ASSERT_OR_RETURN(file != nullptr, 1);
    if (file->record == nullptr)
        return DiskEof(file);
    return static_cast<uint64_t>(file->position) >= file->record->size ? 1 : 0;
}

PFindHandle* PakInterface::FindFirstFile(const char* pattern, PFindData* findData)
{
    ZEST_ASSERT_OR_RETURN(pattern != nullptr && findData != nullptr, nullptr);
    auto handle = std::make_unique<PFindHandle>();
    handle->pattern = NormalizePakName(pattern);
    if (!FindNextFile(handle.get(), findData))
        return nullptr;
    return handle.release();
}

bool PakInterface::FindNextFile(PFindHandle* handle, PFindData* findData)
{
    ZEST_ASSERT_OR_RETURN(handle != nullptr && findData != nullptr, false);
    if (!handle->archiveDone)
    {
        if (FindNextInArchive(handle, findData))
            return true;
        BeginDiskFind(handle);
    }
    return NextDiskFind(handle, findData);
}

bool PakInterface::FindClose(PFindHandle* handle)
{
    ZEST_ASSERT_OR_RETURN(handle != nullptr, false);
    delete handle;
    return true;
}

bool PakInterface::FindNextInArchive(PFindHandle* handle, PFindData* findData) const
{
    const std::string& pattern = handle->pattern;
    size_t star = pattern.find('*');
    std::string_view prefix = std::string_view(pattern).substr(0, star == std::string::npos ? pattern.size() : star);
    std::string_view suffix =
        star == std::string::npos ? std::string_view() : std::string_view(pattern).substr(star + 1);
    bool anyRest = star != std::string::npos && (suffix.empty() || suffix == ".*");

    auto it =
        handle->archiveStarted ? directory.upper_bound(handle->lastKey) : directory.lower_bound(std::string(prefix));
    for (; it != directory.end(); ++it)
    {
        const std::string& key = it->first;
        // Keys are sorted, so those with the prefix form one run.
        if (!key.starts_with(prefix))
            break;
        std::string_view rest = std::string_view(key).substr(prefix.size());
        if (star == std::string::npos)
        {
            // A name without "*" finds exactly that file.
            if (!rest.empty())
                continue;
        }
        else if (!anyRest && !rest.ends_with(suffix))
        {
            continue;
        }
        const PakRecord& record = it->second;
        findData->fileName = LastComponent(record.fileName);
        findData->size = record.size;
        findData->creationTime = record.fileTime;
        findData->lastAccessTime = record.fileTime;
        findData->lastWriteTime = record.fileTime;
        // A match whose rest still holds a separator lies in a subfolder of the pattern's folder.
        findData->attributes = rest.find('\\') != std::string_view::npos ? FindAttributeDirectory : 0;
        handle->lastKey = key;
        handle->archiveStarted = true;
        return true;
    }
    return false;
}

} // namespace zest
