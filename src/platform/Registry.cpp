#include "platform/Registry.h"

#include "platform/AtomicFile.h"
#include "platform/Log.h"
#include "platform/StaleTempFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <set>

namespace zest
{

namespace
{
// File layout, one value per line, fields separated by one blank:
//   ZestRegistry 1
//   dword :<name> <decimal>
//   string :<name> :<text>
//   data :<name> :<hex bytes>
//   end <number of values>
// Names and texts are percent-escaped so blanks and line breaks cannot split a field;
// the leading ':' keeps an empty field visible. The closing count tells a file cut
// short from a complete one, so a half-written file never yields half the settings.
constexpr const char* Header = "ZestRegistry 1";
constexpr const char* FileName = "registry.txt";

Registry::BeforeReplaceHook& ReplaceHook()
{
    static Registry::BeforeReplaceHook hook;
    return hook;
}

std::string Escape(const std::string& text)
{
    static const char* digits = "0123456789ABCDEF";
    std::string out = ":";
    for (unsigned char c : text)
    {
        if (c <= ' ' || c == '%' || c == 0x7F)
        {
            out += '%';
            out += digits[c >> 4];
            out += digits[c & 15];
        }
        else
            out += static_cast<char>(c);
    }
    return out;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::optional<std::string> Unescape(const std::string& field)
{
    if (field.empty() || field[0] != ':')
        return std::nullopt;
    std::string out;
    for (size_t i = 1; i < field.size(); i++)
    {
        if (field[i] != '%')
        {
            out += field[i];
            continue;
        }
        if (i + 2 >= field.size())
            return std::nullopt;
        int high = HexDigit(field[i + 1]);
        int low = HexDigit(field[i + 2]);
        if (high < 0 || low < 0)
            return std::nullopt;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return out;
}

std::string ToHex(const std::vector<uint8_t>& bytes)
{
    static const char* digits = "0123456789ABCDEF";
    std::string out = ":";
    out.reserve(1 + bytes.size() * 2);
    for (uint8_t b : bytes)
    {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

std::optional<std::vector<uint8_t>> FromHex(const std::string& field)
{
    if (field.empty() || field[0] != ':' || (field.size() - 1) % 2 != 0)
        return std::nullopt;
    std::vector<uint8_t> bytes;
    bytes.reserve((field.size() - 1) / 2);
    for (size_t i = 1; i < field.size(); i += 2)
    {
        int high = HexDigit(field[i]);
        int low = HexDigit(field[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes.push_back(static_cast<uint8_t>(high * 16 + low));
    }
    return bytes;
}

// Splits on single blanks; the fields themselves never contain one.
std::vector<std::string> Fields(const std::string& line)
{
    std::vector<std::string> fields;
    size_t start = 0;
    while (true)
    {
        size_t blank = line.find(' ', start);
        fields.push_back(line.substr(start, blank == std::string::npos ? std::string::npos : blank - start));
        if (blank == std::string::npos)
            break;
        start = blank + 1;
    }
    return fields;
}

std::optional<uint32_t> ParseDecimal(const std::string& text)
{
    if (text.empty() || text.size() > 10)
        return std::nullopt;
    uint64_t value = 0;
    for (char c : text)
    {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    if (value > 0xFFFFFFFFull)
        return std::nullopt;
    return static_cast<uint32_t>(value);
}

std::string ConfigHome()
{
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/')
        return xdg;
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::string(home) + "/.config";
    return std::string();
}

// Writes all of data to fd; false on any error.
bool WriteAll(int fd, const std::string& data)
{
    size_t done = 0;
    while (done < data.size())
    {
        ssize_t written = ::write(fd, data.data() + done, data.size() - done);
        if (written < 0)
        {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<size_t>(written);
    }
    return true;
}

// One value line split into fields; none when it is malformed.
std::optional<std::pair<std::string, Registry::Value>> ParseValueLine(const std::vector<std::string>& fields)
{
    if (fields.size() != 3)
        return std::nullopt;
    std::optional<std::string> name = Unescape(fields[1]);
    if (!name)
        return std::nullopt;
    Registry::Value value;
    if (fields[0] == "dword")
    {
        std::optional<uint32_t> number = ParseDecimal(fields[2]);
        if (!number)
            return std::nullopt;
        value.type = Registry::ValueType::Dword;
        value.dword = *number;
    }
    else if (fields[0] == "string")
    {
        std::optional<std::string> unescaped = Unescape(fields[2]);
        if (!unescaped)
            return std::nullopt;
        value.type = Registry::ValueType::String;
        value.text = std::move(*unescaped);
    }
    else if (fields[0] == "data")
    {
        std::optional<std::vector<uint8_t>> bytes = FromHex(fields[2]);
        if (!bytes)
            return std::nullopt;
        value.type = Registry::ValueType::Data;
        value.bytes = std::move(*bytes);
    }
    else
        return std::nullopt;
    return std::make_pair(std::move(*name), std::move(value));
}

// True the first time a key is seen in this process: every operation opens the file
// afresh, and a damaged file should be reported once, not once per value read.
bool FirstTime(const std::string& key)
{
    static std::mutex mutex;
    static std::set<std::string> seen;
    std::lock_guard<std::mutex> lock(mutex);
    return seen.insert(key).second;
}

// Names the file as found: the same damaged file read again is no news, a new one is.
std::string Identity(const std::string& path, const struct stat& info)
{
    return path + "|" + std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino) + ":" +
           std::to_string(info.st_size) + ":" + std::to_string(info.st_mtim.tv_sec) + "." +
           std::to_string(info.st_mtim.tv_nsec);
}

// Reads the whole descriptor, refusing more than limit bytes.
bool ReadAllFrom(int fd, size_t limit, std::string& text)
{
    char chunk[8192];
    while (true)
    {
        ssize_t got = ::read(fd, chunk, sizeof(chunk));
        if (got < 0)
        {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (got == 0)
            return true;
        text.append(chunk, static_cast<size_t>(got));
        if (text.size() > limit)
        {
            errno = EFBIG;
            return false;
        }
    }
}
} // namespace

Registry::Registry(const std::string& key) : filePath(FilePathForKey(key))
{
    if (!filePath.empty())
        StaleTempFiles::RemoveOnce(std::filesystem::path(filePath).parent_path(), FileName);
}

std::string Registry::FilePathForKey(const std::string& key)
{
    std::string base = ConfigHome();
    if (base.empty())
        return std::string();
    std::filesystem::path path(base);
    bool any = false;
    size_t start = 0;
    while (start <= key.size())
    {
        size_t slash = key.find_first_of("\\/", start);
        std::string part = key.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        // A key names folders below the config folder and nothing outside it.
        if (part == "..")
            return std::string();
        if (!part.empty() && part != ".")
        {
            path /= part;
            any = true;
        }
        if (slash == std::string::npos)
            break;
        start = slash + 1;
    }
    if (!any)
        return std::string();
    return (path / FileName).string();
}

void Registry::SetBeforeReplaceHook(BeforeReplaceHook hook)
{
    ReplaceHook() = std::move(hook);
}

std::string Registry::Format(const std::map<std::string, Value>& values)
{
    std::string out = Header;
    out += '\n';
    for (const auto& [name, value] : values)
    {
        switch (value.type)
        {
        case ValueType::Dword:
            out += "dword " + Escape(name) + " " + std::to_string(value.dword);
            break;
        case ValueType::String:
            out += "string " + Escape(name) + " " + Escape(value.text);
            break;
        case ValueType::Data:
            out += "data " + Escape(name) + " " + ToHex(value.bytes);
            break;
        }
        out += '\n';
    }
    out += "end " + std::to_string(values.size()) + "\n";
    return out;
}

Registry::Parsed Registry::Parse(const std::string& text)
{
    // Line by line, so one bad line (or a file cut short) costs only itself.
    Parsed parsed;
    bool header = false;
    bool closed = false;
    bool countMatches = false;
    size_t start = 0;
    for (size_t lineNumber = 1; start < text.size(); lineNumber++)
    {
        size_t newline = text.find('\n', start);
        // The writer ends every line: a last line without its newline was cut short
        // (and "dword :A 58" cut to "dword :A 5" would read as another number).
        if (newline == std::string::npos)
        {
            parsed.badLines++;
            break;
        }
        std::string line = text.substr(start, newline - start);
        start = newline + 1;
        // A file edited on another system may end its lines with CR LF.
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (lineNumber == 1 && line == Header)
        {
            header = true;
            continue;
        }
        // Nothing may follow the closing line.
        if (closed)
            parsed.badLines++;
        std::vector<std::string> fields = Fields(line);
        if (fields.size() == 2 && fields[0] == "end")
        {
            std::optional<uint32_t> count = ParseDecimal(fields[1]);
            if (!count || closed)
            {
                parsed.badLines += closed ? 0 : 1;
                continue;
            }
            closed = true;
            countMatches = *count == parsed.values.size();
            continue;
        }
        std::optional<std::pair<std::string, Value>> entry = ParseValueLine(fields);
        // A repeated name: the first one stands (which is right is unknowable).
        if (!entry || parsed.values.count(entry->first))
        {
            parsed.badLines += closed ? 0 : 1;
            continue;
        }
        parsed.values.emplace(std::move(*entry));
    }
    parsed.whole = header && closed && countMatches && parsed.badLines == 0;
    return parsed;
}

Registry::Contents Registry::Load() const
{
    Contents contents;
    if (filePath.empty())
        return contents;
    int fd = ::open(filePath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
    {
        if (errno == ENOENT)
            return contents;
        contents.state = FileState::Unreadable;
        std::string why = std::strerror(errno);
        if (FirstTime(filePath + "|open|" + why))
            Logf(LogLevel::Warning, "settings file %s cannot be read (%s); using defaults", filePath.c_str(),
                 why.c_str());
        return contents;
    }
    struct stat info = {};
    std::string text;
    std::string why;
    if (::fstat(fd, &info) != 0)
        why = std::strerror(errno);
    else if (!S_ISREG(info.st_mode))
        why = "not a file";
    else if (static_cast<uint64_t>(info.st_size) > MaxFileSize)
        why = "larger than " + std::to_string(MaxFileSize / (1024 * 1024)) + " MiB";
    else if (!ReadAllFrom(fd, MaxFileSize, text))
        why = std::strerror(errno);
    ::close(fd);
    if (!why.empty())
    {
        contents.state = FileState::Unreadable;
        if (FirstTime(Identity(filePath, info)))
            Logf(LogLevel::Warning,
                 "settings file %s cannot be read (%s); using defaults, and keeping the file as it is beside the "
                 "next one written",
                 filePath.c_str(), why.c_str());
        return contents;
    }
    Parsed parsed = Parse(text);
    contents.values = std::move(parsed.values);
    contents.state = parsed.whole ? FileState::Whole : FileState::Damaged;
    if (!parsed.whole && FirstTime(Identity(filePath, info)))
        Logf(LogLevel::Warning,
             "settings file %s is damaged; using the %zu values that could be read, and keeping the file as it is "
             "beside the next one written",
             filePath.c_str(), contents.values.size());
    return contents;
}

std::map<std::string, Registry::Value> Registry::ReadAll() const
{
    return Load().values;
}

std::optional<Registry::Value> Registry::Find(const std::string& name) const
{
    std::map<std::string, Value> values = ReadAll();
    auto it = values.find(name);
    if (it == values.end())
        return std::nullopt;
    return it->second;
}

bool Registry::ReadDword(const std::string& name, uint32_t& value) const
{
    std::optional<Value> found = Find(name);
    if (!found || found->type != ValueType::Dword)
        return false;
    value = found->dword;
    return true;
}

bool Registry::ReadString(const std::string& name, std::string& text) const
{
    std::optional<Value> found = Find(name);
    if (!found || found->type != ValueType::String)
        return false;
    text = found->text;
    return true;
}

bool Registry::ReadData(const std::string& name, std::vector<uint8_t>& bytes) const
{
    std::optional<Value> found = Find(name);
    if (!found || found->type != ValueType::Data)
        return false;
    bytes = found->bytes;
    return true;
}

bool Registry::WriteDword(const std::string& name, uint32_t value)
{
    Value stored;
    stored.type = ValueType::Dword;
    stored.dword = value;
    return Store(name, std::move(stored));
}

bool Registry::WriteString(const std::string& name, const std::string& text)
{
    if (text.size() > MaxFileSize / 4)
        return false;
    Value stored;
    stored.type = ValueType::String;
    stored.text = text;
    return Store(name, std::move(stored));
}

bool Registry::WriteData(const std::string& name, const void* bytes, size_t length)
{
    if (length > MaxFileSize / 4 || (!bytes && length > 0))
        return false;
    Value stored;
    stored.type = ValueType::Data;
    const uint8_t* begin = static_cast<const uint8_t*>(bytes);
    stored.bytes.assign(begin, begin + length);
    return Store(name, std::move(stored));
}

bool Registry::Erase(const std::string& name)
{
    return Store(name, std::nullopt);
}

bool Registry::Store(const std::string& name, std::optional<Value> value)
{
    if (filePath.empty())
        return false;
    Contents found = Load();
    std::map<std::string, Value> values = found.values;
    if (value)
        values[name] = std::move(*value);
    else if (values.erase(name) == 0)
        return false;
    return Replace(found, values);
}

bool Registry::WriteValues(const std::map<std::string, Value>& changes)
{
    if (filePath.empty())
        return false;
    for (const auto& [name, value] : changes)
    {
        if (value.text.size() > MaxFileSize / 4 || value.bytes.size() > MaxFileSize / 4)
            return false;
    }
    Contents found = Load();
    std::map<std::string, Value> values = found.values;
    for (const auto& [name, value] : changes)
        values[name] = value;
    return Replace(found, values);
}

bool Registry::Replace(const Contents& found, const std::map<std::string, Value>& values) const
{
    // Nothing changes: no write, no fsync (the application saves twice at exit).
    if (found.state == FileState::Whole && Format(values) == Format(found.values))
        return true;
    if ((found.state == FileState::Damaged || found.state == FileState::Unreadable) && !KeepOriginal())
    {
        if (FirstTime(filePath + "|not kept"))
            Logf(LogLevel::Warning, "settings file %s is left as it is: it could not be kept before replacing it",
                 filePath.c_str());
        return false;
    }
    return WriteFile(values);
}

bool Registry::KeepOriginal() const
{
    char stamp[32] = "";
    std::time_t now = std::time(nullptr);
    struct tm local = {};
    if (localtime_r(&now, &local))
        std::strftime(stamp, sizeof(stamp), "%Y%m%d-%H%M%S", &local);
    const std::string base = filePath + ".damaged-" + stamp;
    // A second name for the same file: atomic, and it needs no read of a file that may
    // not be readable.
    bool canLink = true;
    for (int attempt = 1; attempt <= 100; attempt++)
    {
        std::string name = attempt == 1 ? base : base + "-" + std::to_string(attempt);
        if (canLink && ::link(filePath.c_str(), name.c_str()) == 0)
        {
            Logf(LogLevel::Info, "kept the damaged settings file as %s", name.c_str());
            return true;
        }
        if (canLink && errno != EEXIST)
            canLink = false; // no hard links here: copy instead
        if (canLink)
            continue;
        int in = ::open(filePath.c_str(), O_RDONLY | O_CLOEXEC);
        if (in < 0)
            return false;
        int out = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (out < 0)
        {
            bool taken = errno == EEXIST;
            ::close(in);
            if (taken)
                continue;
            return false;
        }
        bool ok = true;
        char chunk[65536];
        while (ok)
        {
            ssize_t got = ::read(in, chunk, sizeof(chunk));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
            {
                ok = got == 0;
                break;
            }
            ok = WriteAll(out, std::string(chunk, static_cast<size_t>(got)));
        }
        ok = ::fsync(out) == 0 && ok;
        ok = ::close(out) == 0 && ok;
        ::close(in);
        if (!ok)
        {
            ::unlink(name.c_str());
            return false;
        }
        Logf(LogLevel::Info, "kept the damaged settings file as %s", name.c_str());
        return true;
    }
    return false;
}

bool Registry::WriteFile(const std::map<std::string, Value>& values) const
{
    std::filesystem::path path(filePath);
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    if (error)
    {
        Logf(LogLevel::Warning, "cannot create %s: %s", path.parent_path().c_str(), error.message().c_str());
        return false;
    }
    AtomicFile::Options options;
    options.permissions = 0600; // settings are the player's own
    options.beforeReplace = ReplaceHook();
    std::string failure;
    if (!AtomicFile::Write(path, Format(values), failure, options))
    {
        Logf(LogLevel::Warning, "%s", failure.c_str());
        return false;
    }
    return true;
}

} // namespace zest
