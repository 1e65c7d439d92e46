#include "files/PakDirectory.h"

#include <unistd.h>

#include <climits>
#include <cstring>
#include <vector>

namespace zest
{

namespace
{

// Reads descrambled little-endian numbers from the scrambled archive, never past its end.
class ScrambledReader
{
public:
    explicit ScrambledReader(std::span<const uint8_t> data) : data(data) {}

    size_t Position() const { return position; }
    size_t Remaining() const { return data.size() - position; }

    bool Byte(uint8_t& value)
    {
        if (Remaining() < 1)
            return false;
        value = data[position++] ^ PakScrambleKey;
        return true;
    }

    bool UInt32(uint32_t& value)
    {
        if (Remaining() < 4)
            return false;
        value = 0;
        for (int i = 0; i < 4; ++i)
            value |= static_cast<uint32_t>(data[position + i] ^ PakScrambleKey) << (8 * i);
        position += 4;
        return true;
    }

    bool UInt64(uint64_t& value)
    {
        if (Remaining() < 8)
            return false;
        value = 0;
        for (int i = 0; i < 8; ++i)
            value |= static_cast<uint64_t>(data[position + i] ^ PakScrambleKey) << (8 * i);
        position += 8;
        return true;
    }

    bool Text(size_t length, std::string& text)
    {
        if (Remaining() < length)
            return false;
        text.resize(length);
        for (size_t i = 0; i < length; ++i)
            text[i] = static_cast<char>(data[position + i] ^ PakScrambleKey);
        position += length;
        return true;
    }

private:
    std::span<const uint8_t> data;
    size_t position = 0;
};

bool IsSeparator(char c)
{
    return c == '/' || c == '\\';
}

char UpperAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// The working folder with "\" separators and ASCII upper case, empty when unknown.
std::string NormalizedWorkingFolder()
{
    std::vector<char> buffer(PATH_MAX + 1);
    if (getcwd(buffer.data(), buffer.size()) == nullptr)
        return {};
    std::string folder(buffer.data());
    for (char& c : folder)
        c = IsSeparator(c) ? '\\' : UpperAscii(c);
    return folder;
}

// Removes the working folder and one separator from the front of an absolute name inside
// it, so that a full path and the relative one find the same archived file.
std::string_view StripWorkingFolder(std::string_view name)
{
    if (name.empty() || !IsSeparator(name[0]))
        return name;
    std::string folder = NormalizedWorkingFolder();
    if (folder.empty() || name.size() <= folder.size() || !IsSeparator(name[folder.size()]))
        return name;
    for (size_t i = 0; i < folder.size(); ++i)
    {
        char c = IsSeparator(name[i]) ? '\\' : UpperAscii(name[i]);
        if (c != folder[i])
            return name;
    }
    // "/" as the working folder already ends in a separator.
    return name.substr(folder == "\\" ? 1 : folder.size() + 1);
}

} // namespace

void Descramble(uint8_t* target, const uint8_t* source, size_t count)
{
    // The key repeated in every byte of a word: one XOR handles eight bytes. memcpy keeps
    // the unaligned loads and stores well-defined; the compiler turns them into moves.
    constexpr uint64_t wordKey = 0x0101010101010101ULL * PakScrambleKey;
    size_t i = 0;
    for (; i + 8 <= count; i += 8)
    {
        uint64_t word;
        std::memcpy(&word, source + i, 8);
        word ^= wordKey;
        std::memcpy(target + i, &word, 8);
    }
    DescrambleReference(target + i, source + i, count - i);
}

void DescrambleReference(uint8_t* target, const uint8_t* source, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        target[i] = source[i] ^ PakScrambleKey;
}

bool ReadPakDirectory(std::span<const uint8_t> archive, PakDirectory& directory, std::string& error)
{
    ScrambledReader reader(archive);
    uint32_t magic = 0;
    uint32_t version = 0;
    if (!reader.UInt32(magic))
    {
        error = "not an archive (too short)";
        return false;
    }
    if (magic != PakMagic)
    {
        error = "not an archive (foreign magic)";
        return false;
    }
    if (!reader.UInt32(version))
    {
        error = "damaged archive (truncated header)";
        return false;
    }
    if (version != PakVersion)
    {
        error = "unsupported archive version " + std::to_string(version);
        return false;
    }

    PakDirectory result;
    uint64_t dataTotal = 0;
    for (;;)
    {
        uint8_t flags = 0;
        if (!reader.Byte(flags))
        {
            error = "damaged archive (directory not terminated)";
            return false;
        }
        if (flags >= PakEndOfDirectory)
            break;
        PakDirectoryEntry entry;
        entry.flags = flags;
        uint8_t nameLength = 0;
        if (!reader.Byte(nameLength) || !reader.Text(nameLength, entry.name) || !reader.UInt32(entry.size) ||
            !reader.UInt64(entry.fileTime))
        {
            error = "damaged archive (truncated directory entry " + std::to_string(result.entries.size()) + ")";
            return false;
        }
        // Relative to the data for now; the header length is added once it is known.
        entry.start = dataTotal;
        dataTotal += entry.size;
        // The data cannot be longer than the file: stop before the sum can grow without bound.
        if (dataTotal > archive.size())
        {
            error = "damaged archive (data of \"" + entry.name + "\" lies beyond the end of the file)";
            return false;
        }
        result.entries.push_back(std::move(entry));
    }

    result.headerLength = reader.Position();
    if (dataTotal > reader.Remaining())
    {
        for (const PakDirectoryEntry& entry : result.entries)
        {
            if (entry.start + entry.size > reader.Remaining())
            {
                error = "damaged archive (data of \"" + entry.name + "\" lies beyond the end of the file)";
                return false;
            }
        }
    }
    for (PakDirectoryEntry& entry : result.entries)
        entry.start += result.headerLength;
    directory = std::move(result);
    return true;
}

std::string NormalizePakName(std::string_view name)
{
    std::string_view text = StripWorkingFolder(name);
    std::string out;
    out.reserve(text.size());
    bool lastWasSeparator = false;
    size_t i = 0;
    while (i < text.size())
    {
        if (IsSeparator(text[i]))
        {
            if (!lastWasSeparator)
                out += '\\';
            lastWasSeparator = true;
            ++i;
            continue;
        }
        size_t end = i;
        while (end < text.size() && !IsSeparator(text[end]))
            ++end;
        std::string_view component = text.substr(i, end - i);
        bool folded = false;
        if (component == ".." && i > 0 && out.size() >= 2 && out.back() == '\\')
        {
            // Drop the folder before "..", unless it is "..": "a\..\b" is "b", "..\..\b" stays.
            size_t previous = out.rfind('\\', out.size() - 2);
            size_t folderStart = previous == std::string::npos ? 0 : previous + 1;
            if (out.compare(folderStart, out.size() - 1 - folderStart, "..") != 0)
            {
                out.resize(folderStart);
                folded = true;
                // The separator after ".." must not double the one that is kept.
                lastWasSeparator = true;
            }
        }
        if (!folded)
        {
            for (char c : component)
                out += UpperAscii(c);
            lastWasSeparator = false;
        }
        i = end;
    }
    return out;
}

uint64_t FileTimeFromUnix(int64_t seconds, int64_t nanoseconds)
{
    // 11644473600 s lie between 1601-01-01 and 1970-01-01.
    constexpr int64_t epochDifference = 11644473600LL;
    int64_t ticks = (seconds + epochDifference) * 10000000LL + nanoseconds / 100;
    return ticks < 0 ? 0 : static_cast<uint64_t>(ticks);
}

void UnixFromFileTime(uint64_t fileTime, int64_t& seconds, int64_t& nanoseconds)
{
    constexpr int64_t epochDifference = 11644473600LL;
    seconds = static_cast<int64_t>(fileTime / 10000000ULL) - epochDifference;
    nanoseconds = static_cast<int64_t>(fileTime % 10000000ULL) * 100;
}

} // namespace zest
