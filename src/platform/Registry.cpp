#include "platform/Registry.h"

#include "platform/Log.h"
#include "platform/StaleTempFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>

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

std::optional<std::map<std::string, Registry::Value>> Registry::Parse(const std::string& text)
{
    std::map<std::string, Value> values;
    std::istringstream in(text);
    std::string line;
    if (!std::getline(in, line) || line != Header)
        return std::nullopt;
    while (std::getline(in, line))
    {
        std::vector<std::string> fields = Fields(line);
        if (fields.size() == 2 && fields[0] == "end")
        {
            std::optional<uint32_t> count = ParseDecimal(fields[1]);
            // Nothing may follow the closing line.
            std::string rest;
            if (!count || *count != values.size() || std::getline(in, rest))
                return std::nullopt;
            return values;
        }
        if (fields.size() != 3)
            return std::nullopt;
        std::optional<std::string> name = Unescape(fields[1]);
        if (!name || values.count(*name))
            return std::nullopt;
        Value value;
        if (fields[0] == "dword")
        {
            std::optional<uint32_t> number = ParseDecimal(fields[2]);
            if (!number)
                return std::nullopt;
            value.type = ValueType::Dword;
            value.dword = *number;
        }
        else if (fields[0] == "string")
        {
            std::optional<std::string> unescaped = Unescape(fields[2]);
            if (!unescaped)
                return std::nullopt;
            value.type = ValueType::String;
            value.text = std::move(*unescaped);
        }
        else if (fields[0] == "data")
        {
            std::optional<std::vector<uint8_t>> bytes = FromHex(fields[2]);
            if (!bytes)
                return std::nullopt;
            value.type = ValueType::Data;
            value.bytes = std::move(*bytes);
        }
        else
            return std::nullopt;
        values.emplace(std::move(*name), std::move(value));
    }
    // No closing line: the file was cut short.
    return std::nullopt;
}

std::map<std::string, Registry::Value> Registry::ReadAll() const
{
    if (filePath.empty())
        return {};
    std::FILE* file = std::fopen(filePath.c_str(), "rb");
    if (!file)
        return {};
    std::string text;
    char chunk[8192];
    size_t got;
    bool tooBig = false;
    while ((got = std::fread(chunk, 1, sizeof(chunk), file)) > 0)
    {
        text.append(chunk, got);
        if (text.size() > MaxFileSize)
        {
            tooBig = true;
            break;
        }
    }
    bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed || tooBig)
    {
        Logf(LogLevel::Warning, "settings file %s cannot be read; using defaults", filePath.c_str());
        return {};
    }
    std::optional<std::map<std::string, Value>> values = Parse(text);
    if (!values)
    {
        Logf(LogLevel::Warning, "settings file %s is damaged; using defaults", filePath.c_str());
        return {};
    }
    return std::move(*values);
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
    std::map<std::string, Value> values = ReadAll();
    if (value)
        values[name] = std::move(*value);
    else if (values.erase(name) == 0)
        return false;
    return WriteFile(values);
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
    // The temporary file sits beside the real one so the rename stays on one file
    // system (and is therefore atomic).
    std::string temporary = filePath + ".tmp" + std::to_string(::getpid());
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
    {
        Logf(LogLevel::Warning, "cannot write %s: %s", temporary.c_str(), std::strerror(errno));
        return false;
    }
    bool ok = WriteAll(fd, Format(values)) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok)
    {
        Logf(LogLevel::Warning, "cannot write %s: %s", temporary.c_str(), std::strerror(errno));
        ::unlink(temporary.c_str());
        return false;
    }
    if (ReplaceHook() && !ReplaceHook()(temporary))
        return false;
    if (std::rename(temporary.c_str(), filePath.c_str()) != 0)
    {
        Logf(LogLevel::Warning, "cannot replace %s: %s", filePath.c_str(), std::strerror(errno));
        ::unlink(temporary.c_str());
        return false;
    }
    // Make the rename itself durable.
    int dir = ::open(path.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0)
    {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

} // namespace zest
