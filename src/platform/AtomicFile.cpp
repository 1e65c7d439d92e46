#include "platform/AtomicFile.h"

#include "platform/StaleTempFiles.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace zest
{

namespace
{

std::string Failure(const char* what, const std::filesystem::path& path, int code)
{
    return std::string(what) + " " + path.string() + ": " + std::strerror(code != 0 ? code : EIO);
}

// Writes all of size bytes, through short writes and interrupts; answers 0 or the errno of the failure.
int WriteAll(int fd, const void* data, size_t size)
{
    const auto* at = static_cast<const char*>(data);
    while (size > 0)
    {
        const ssize_t written = ::write(fd, at, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return written < 0 ? errno : ENOSPC;
        at += written;
        size -= static_cast<size_t>(written);
    }
    return 0;
}

std::filesystem::path FolderOf(const std::filesystem::path& path)
{
    return path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
}

// Flushes the folder entry of a rename to disk. The file is already in place, so a failure here is
// not reported: some file systems refuse fsync on a folder.
void SyncFolder(const std::filesystem::path& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0)
    {
        (void)::fsync(fd);
        ::close(fd);
    }
}

} // namespace

std::filesystem::path AtomicFile::TemporaryName(const std::filesystem::path& path)
{
    // The counter keeps two threads saving the same file apart; the process number keeps processes apart.
    static std::atomic<unsigned> counter{0};
    std::filesystem::path name = path;
    name += ".tmp." + std::to_string(::getpid()) + "." + std::to_string(counter++);
    return name;
}

bool AtomicFile::Write(const std::filesystem::path& path, std::span<const uint8_t> bytes, std::string& error,
                       const Options& options)
{
    return Write(path, [bytes](const Sink& put) { return put(bytes.data(), bytes.size()); }, error, options);
}

bool AtomicFile::Write(const std::filesystem::path& path, std::string_view bytes, std::string& error,
                       const Options& options)
{
    return Write(path, [bytes](const Sink& put) { return put(bytes.data(), bytes.size()); }, error, options);
}

bool AtomicFile::Write(const std::filesystem::path& path, const Producer& produce, std::string& error,
                       const Options& options)
{
    const std::filesystem::path folder = FolderOf(path);
    StaleTempFiles::RemoveOnce(folder, path.filename().string());
    // A name taken already is the fresh leftover of a killed process that had our process number:
    // the next name will do.
    std::filesystem::path temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt)
    {
        temporary = TemporaryName(path);
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                    static_cast<mode_t>(options.permissions));
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
    {
        error = Failure("cannot create", temporary, errno);
        return false;
    }
    int code = 0;
    const Sink put = [&](const void* data, size_t size) {
        if (code == 0)
            code = WriteAll(fd, data, size);
        return code == 0;
    };
    const bool produced = produce(put);
    if (code == 0 && ::fsync(fd) != 0)
        code = errno;
    // close can report a delayed write error (NFS, some full disks): it counts.
    if (::close(fd) != 0 && code == 0)
        code = errno;
    if (code != 0 || !produced)
    {
        error = code != 0 ? Failure("cannot write", temporary, code) : "cannot write " + path.string();
        ::unlink(temporary.c_str());
        return false;
    }
    if (options.beforeReplace && !options.beforeReplace(temporary.string()))
    {
        error = "cannot replace " + path.string() + ": stopped before the rename";
        return false;
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0)
    {
        error = Failure("cannot replace", path, errno);
        ::unlink(temporary.c_str());
        return false;
    }
    SyncFolder(folder);
    return true;
}

} // namespace zest
