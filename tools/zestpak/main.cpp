// zestpak: packs a folder into a game archive, lists, extracts and prints archived files.
//   zestpak create ARCHIVE DIR     every regular file under DIR, names relative to DIR
//   zestpak list ARCHIVE           SIZE<TAB>NAME per entry, in directory order
//   zestpak extract ARCHIVE DIR    every entry under DIR (names that would escape DIR are refused)
//   zestpak cat ARCHIVE NAME       the bytes of NAME, found as the game finds it (any case or
//                                  separator; a name the archive lacks is read from the disk)
// Any error prints one line on stderr and exits with 1.
// With SOURCE_DATE_EPOCH set (seconds since 1970), create stores no file time later than it, so the same files
// pack into the same bytes whatever their modification times (reproducible builds).

#include "files/PakDirectory.h"
#include "files/PakFile.h"
#include "files/PakInterface.h"
#include "files/PakWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;
using namespace zest;

namespace
{

const char* const Usage = "usage: zestpak create ARCHIVE DIR | list ARCHIVE | extract ARCHIVE DIR | cat ARCHIVE NAME";

// The first error of the command: printed as its one line on stderr.
std::string failure;

bool Fail(const std::string& text)
{
    if (failure.empty())
        failure = text;
    return false;
}

std::string SystemError()
{
    return std::strerror(errno);
}

// Control characters in a stored name would break the one-line message.
std::string Printable(const std::string& text)
{
    std::string out = text;
    for (char& c : out)
    {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    }
    return out;
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& data)
{
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return Fail(path + ": cannot open: " + SystemError());
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
    {
        close(fd);
        return Fail(path + ": not a regular file");
    }
    data.resize(static_cast<size_t>(info.st_size));
    size_t done = 0;
    while (done < data.size())
    {
        ssize_t got = read(fd, data.data() + done, data.size() - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
        {
            std::string reason = got < 0 ? SystemError() : "file shrank while read";
            close(fd);
            return Fail(path + ": read failed: " + reason);
        }
        done += static_cast<size_t>(got);
    }
    close(fd);
    return true;
}

bool ReadArchive(const std::string& archivePath, std::vector<uint8_t>& bytes, PakDirectory& directory)
{
    if (!ReadWholeFile(archivePath, bytes))
        return false;
    std::string error;
    if (!ReadPakDirectory(bytes, directory, error))
        return Fail(archivePath + ": " + Printable(error));
    return true;
}

// SOURCE_DATE_EPOCH as seconds: none when unset or empty, false for text that is not a count of seconds.
bool SourceDateEpoch(std::optional<int64_t>& epoch)
{
    const char* text = std::getenv("SOURCE_DATE_EPOCH");
    if (text == nullptr || *text == '\0')
        return true;
    int64_t seconds = 0;
    auto [end, code] = std::from_chars(text, text + std::strlen(text), seconds);
    if (code != std::errc() || *end != '\0' || seconds < 0)
        return Fail(std::string("SOURCE_DATE_EPOCH is not a count of seconds: ") + Printable(text));
    epoch = seconds;
    return true;
}

bool Create(const std::string& archivePath, const std::string& folder)
{
    std::optional<int64_t> epoch;
    if (!SourceDateEpoch(epoch))
        return false;
    std::error_code code;
    if (!fs::is_directory(folder, code))
        return Fail(folder + ": not a folder");
    fs::path archiveAbsolute = fs::weakly_canonical(archivePath, code);

    struct Source
    {
        std::string name;
        fs::path path;
    };
    std::vector<Source> sources;
    fs::recursive_directory_iterator it(folder, code);
    for (; !code && it != fs::recursive_directory_iterator(); it.increment(code))
    {
        const fs::directory_entry& entry = *it;
        std::error_code ignored;
        if (!entry.is_regular_file(ignored))
            continue;
        // An archive written into the folder it packs must not pack itself.
        if (!archiveAbsolute.empty() && fs::weakly_canonical(entry.path(), ignored) == archiveAbsolute)
            continue;
        std::string name = entry.path().lexically_relative(folder).generic_string();
        std::replace(name.begin(), name.end(), '/', '\\');
        sources.push_back({name, entry.path()});
    }
    if (code)
        return Fail(folder + ": " + code.message());
    std::sort(sources.begin(), sources.end(), [](const Source& a, const Source& b) { return a.name < b.name; });

    PakWriter writer;
    for (const Source& source : sources)
    {
        std::vector<uint8_t> data;
        if (!ReadWholeFile(source.path.string(), data))
            return false;
        struct stat info;
        if (stat(source.path.c_str(), &info) != 0)
            return Fail(source.path.string() + ": cannot stat: " + SystemError());
        int64_t seconds = info.st_mtim.tv_sec;
        int64_t nanoseconds = info.st_mtim.tv_nsec;
        if (epoch && seconds >= *epoch)
        {
            seconds = *epoch;
            nanoseconds = 0;
        }
        std::string error;
        if (!writer.AddFile(source.name, std::move(data), FileTimeFromUnix(seconds, nanoseconds), error))
            return Fail(archivePath + ": " + Printable(error));
    }
    std::string error;
    if (!writer.WriteTo(archivePath, error))
        return Fail(archivePath + ": " + error);
    return true;
}

bool List(const std::string& archivePath)
{
    std::vector<uint8_t> bytes;
    PakDirectory directory;
    if (!ReadArchive(archivePath, bytes, directory))
        return false;
    for (const PakDirectoryEntry& entry : directory.entries)
        std::printf("%u\t%s\n", entry.size, entry.name.c_str());
    if (std::fflush(stdout) != 0)
        return Fail("stdout: " + SystemError());
    return true;
}

// Why a stored name may not be written under the target folder, or empty when it may.
std::string UnsafeNameReason(const std::string& name)
{
    if (name.empty())
        return "empty name";
    if (name.find('\0') != std::string::npos)
        return "name holds a zero byte";
    if (name[0] == '/' || name[0] == '\\')
        return "absolute name";
    if (name.size() >= 2 && name[1] == ':' && std::isalpha(static_cast<unsigned char>(name[0])))
        return "name with a drive letter";
    if (name.back() == '/' || name.back() == '\\')
        return "name of a folder";
    size_t start = 0;
    while (start <= name.size())
    {
        size_t end = name.find_first_of("/\\", start);
        if (end == std::string::npos)
            end = name.size();
        if (end - start == 2 && name.compare(start, 2, "..") == 0)
            return "name leads out of the folder";
        start = end + 1;
    }
    return {};
}

// Refuses to write through a link that already sits in the target folder.
bool CheckNoLinks(const fs::path& root, const fs::path& relative)
{
    fs::path at = root;
    for (const fs::path& part : relative)
    {
        at /= part;
        struct stat info;
        if (lstat(at.c_str(), &info) == 0 && S_ISLNK(info.st_mode))
            return Fail(at.string() + ": refusing to write through a symbolic link");
    }
    return true;
}

bool WriteAll(int fd, const std::vector<uint8_t>& data)
{
    size_t done = 0;
    while (done < data.size())
    {
        ssize_t wrote = write(fd, data.data() + done, data.size() - done);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            return false;
        done += static_cast<size_t>(wrote);
    }
    return true;
}

bool ExtractEntry(const std::vector<uint8_t>& bytes, const PakDirectoryEntry& entry, const std::string& folder)
{
    std::string name = entry.name;
    std::replace(name.begin(), name.end(), '\\', '/');
    fs::path relative = fs::path(name).lexically_normal();
    fs::path target = fs::path(folder) / relative;
    if (!CheckNoLinks(folder, relative.parent_path()))
        return false;
    std::error_code code;
    fs::create_directories(target.parent_path(), code);
    if (code)
        return Fail(target.parent_path().string() + ": " + code.message());
    if (!CheckNoLinks(folder, relative))
        return false;

    std::vector<uint8_t> data(entry.size);
    Descramble(data.data(), bytes.data() + entry.start, entry.size);
    int fd = open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0)
        return Fail(target.string() + ": cannot create: " + SystemError());
    if (!WriteAll(fd, data))
    {
        std::string reason = SystemError();
        close(fd);
        return Fail(target.string() + ": write failed: " + reason);
    }
    int64_t seconds = 0;
    int64_t nanoseconds = 0;
    UnixFromFileTime(entry.fileTime, seconds, nanoseconds);
    struct timespec times[2] = {{static_cast<time_t>(seconds), static_cast<long>(nanoseconds)},
                                {static_cast<time_t>(seconds), static_cast<long>(nanoseconds)}};
    futimens(fd, times); // a time the file system cannot hold is not worth failing for
    if (close(fd) != 0)
        return Fail(target.string() + ": write failed: " + SystemError());
    return true;
}

bool Extract(const std::string& archivePath, const std::string& folder)
{
    std::vector<uint8_t> bytes;
    PakDirectory directory;
    if (!ReadArchive(archivePath, bytes, directory))
        return false;
    // Every name is checked first: a refused archive writes nothing.
    for (const PakDirectoryEntry& entry : directory.entries)
    {
        std::string reason = UnsafeNameReason(entry.name);
        if (!reason.empty())
            return Fail(archivePath + ": refusing \"" + Printable(entry.name) + "\": " + reason);
    }
    std::error_code code;
    fs::create_directories(folder, code);
    if (code || !fs::is_directory(folder, code))
        return Fail(folder + ": cannot create folder" + (code ? ": " + code.message() : std::string()));
    for (const PakDirectoryEntry& entry : directory.entries)
    {
        if (!ExtractEntry(bytes, entry, folder))
            return false;
    }
    return true;
}

bool Cat(const std::string& archivePath, const std::string& name)
{
    // The directory is read here once for a precise message: AddPakFile only says no.
    {
        std::vector<uint8_t> bytes;
        PakDirectory directory;
        if (!ReadArchive(archivePath, bytes, directory))
            return false;
    }
    PakInterface pak; // becomes the active interface of the process
    if (!pak.AddPakFile(archivePath))
        return Fail(archivePath + ": cannot use archive");
    PFilePtr file(p_fopen(name.c_str(), "rb"));
    if (!file)
        return Fail(Printable(name) + ": not found");
    std::vector<char> buffer(1 << 16);
    for (;;)
    {
        size_t got = p_fread(buffer.data(), 1, buffer.size(), file.get());
        if (got == 0)
            break;
        if (std::fwrite(buffer.data(), 1, got, stdout) != got)
            return Fail("stdout: " + SystemError());
    }
    if (std::fflush(stdout) != 0)
        return Fail("stdout: " + SystemError());
    return true;
}

bool Run(const std::vector<std::string>& args)
{
    if (args.size() == 3 && args[0] == "create")
        return Create(args[1], args[2]);
    if (args.size() == 2 && args[0] == "list")
        return List(args[1]);
    if (args.size() == 3 && args[0] == "extract")
        return Extract(args[1], args[2]);
    if (args.size() == 3 && args[0] == "cat")
        return Cat(args[1], args[2]);
    return Fail(Usage);
}

} // namespace

int main(int argc, char** argv)
{
    if (Run(std::vector<std::string>(argv + 1, argv + argc)))
        return 0;
    std::fprintf(stderr, "zestpak: %s\n", failure.c_str());
    return 1;
}
