#include "audio/WaveFile.h"

#include "audio/SoundCache.h"
#include "files/PakFile.h"
#include "platform/AtomicFile.h"
#include "platform/StaleTempFiles.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <system_error>
#include <vector>

namespace zest
{

namespace
{
uint16_t Read16(const uint8_t* p)
{
    return uint16_t(p[0] | (p[1] << 8));
}

uint32_t Read32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

uint64_t Read64(const uint8_t* p)
{
    return uint64_t(Read32(p)) | (uint64_t(Read32(p + 4)) << 32);
}

void Put16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

void PutId(std::vector<uint8_t>& out, const char* id)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(id[i]));
}

bool Fail(std::string* error, const std::string& reason)
{
    if (error != nullptr)
        *error = reason;
    return false;
}

bool ReadExact(PFILE* file, void* buffer, size_t bytes)
{
    return bytes == 0 || p_fread(buffer, 1, bytes, file) == bytes;
}

// The sample layout, as a "fmt " chunk and a "xor " chunk give it.
struct WaveFormat
{
    // Until a "fmt " chunk says otherwise.
    int channels = 1;
    int sampleRate = 22050;
    int bits = 16;
    uint8_t key = 0;
};

// Checks the RIFF WAVE header; answers the file's size, the read position after the header.
std::optional<uint64_t> ReadRiffHeader(PFILE* file, const std::string& fileName, std::string* error)
{
    if (p_fseek(file, 0, SEEK_END) != 0)
    {
        Fail(error, "cannot seek in " + fileName);
        return std::nullopt;
    }
    const long endPosition = p_ftell(file);
    if (endPosition < 12 || p_fseek(file, 0, SEEK_SET) != 0)
    {
        Fail(error, fileName + ": not a RIFF WAVE file");
        return std::nullopt;
    }
    uint8_t header[12];
    if (!ReadExact(file, header, 12) || std::memcmp(header, "RIFF", 4) != 0 ||
        std::memcmp(header + 8, "WAVE", 4) != 0)
    {
        Fail(error, fileName + ": not a RIFF WAVE file");
        return std::nullopt;
    }
    return uint64_t(endPosition);
}

bool ReadFormatChunk(PFILE* file, uint64_t length, WaveFormat& format, const std::string& fileName,
                     std::string* error)
{
    uint8_t fmt[40] = {};
    if (length < 16 || !ReadExact(file, fmt, size_t(std::min<uint64_t>(length, 40))))
        return Fail(error, fileName + ": short fmt chunk");
    uint16_t tag = Read16(fmt);
    // WAVE_FORMAT_EXTENSIBLE holding plain PCM is PCM too.
    if (tag == 0xFFFE && length >= 40 && Read16(fmt + 24) == 1)
        tag = 1;
    format.channels = Read16(fmt + 2);
    const uint32_t rate = Read32(fmt + 4);
    format.bits = Read16(fmt + 14);
    if (tag != 1)
        return Fail(error, fileName + ": not PCM");
    if (format.channels < 1 || format.channels > 2 || (format.bits != 8 && format.bits != 16) || rate < 1 ||
        rate > 192000)
        return Fail(error, fileName + ": unsupported format");
    format.sampleRate = int(rate);
    return true;
}

// A cache file's "dep " chunk: the cache holds only while its source file keeps the stored time.
bool CheckDependency(PFILE* file, uint64_t length, const std::string& fileName, std::string* error)
{
    std::vector<uint8_t> dep(static_cast<size_t>(length));
    if (length < 10 || !ReadExact(file, dep.data(), dep.size()))
        return Fail(error, fileName + ": short dep chunk");
    const size_t nameLength = Read16(dep.data());
    if (nameLength + 10 > length)
        return Fail(error, fileName + ": bad dep chunk");
    const std::string source(reinterpret_cast<const char*>(dep.data() + 2), nameLength);
    const uint64_t storedTime = Read64(dep.data() + 2 + nameLength);
    const std::optional<uint64_t> currentTime = SoundCache::SourceFileTime(source);
    if (!currentTime || *currentTime != storedTime)
        return Fail(error, fileName + ": stale (" + source + " changed)");
    return true;
}

std::optional<MixerSamples> ReadDataChunk(PFILE* file, uint64_t length, const WaveFormat& format,
                                          const std::string& fileName, std::string* error)
{
    const size_t bytesPerFrame = size_t(format.channels) * size_t(format.bits / 8);
    const size_t frames = size_t(length) / bytesPerFrame;
    if (frames == 0)
    {
        Fail(error, fileName + ": no samples");
        return std::nullopt;
    }
    std::vector<uint8_t> bytes(frames * bytesPerFrame);
    if (!ReadExact(file, bytes.data(), bytes.size()))
    {
        Fail(error, fileName + ": data cut short");
        return std::nullopt;
    }
    const uint8_t key = format.key;
    MixerSamples samples;
    samples.channels = format.channels;
    samples.sampleRate = format.sampleRate;
    samples.samples.resize(frames * size_t(format.channels));
    if (format.bits == 8)
    {
        // 8-bit wave data is unsigned with 128 as silence.
        for (size_t i = 0; i < samples.samples.size(); ++i)
            samples.samples[i] = int16_t((int(uint8_t(bytes[i] ^ key)) - 128) * 256);
    }
    else
    {
        for (size_t i = 0; i < samples.samples.size(); ++i)
            samples.samples[i] = int16_t(uint16_t(uint8_t(bytes[2 * i] ^ key) | (uint8_t(bytes[2 * i + 1] ^ key) << 8)));
    }
    return samples;
}

} // namespace

std::optional<MixerSamples> WaveFile::Load(const std::string& fileName, std::string* error)
{
    PFilePtr file(p_fopen(fileName.c_str(), "rb"));
    if (!file)
    {
        Fail(error, "cannot open " + fileName);
        return std::nullopt;
    }
    const std::optional<uint64_t> fileSize = ReadRiffHeader(file.get(), fileName, error);
    if (!fileSize)
        return std::nullopt;

    WaveFormat format;
    uint64_t position = 12;
    for (;;)
    {
        if (position + 8 > *fileSize)
        {
            Fail(error, fileName + ": no data chunk");
            return std::nullopt;
        }
        uint8_t chunk[8];
        if (p_fseek(file.get(), long(position), SEEK_SET) != 0 || !ReadExact(file.get(), chunk, 8))
        {
            Fail(error, fileName + ": cannot read a chunk header");
            return std::nullopt;
        }
        const uint64_t length = Read32(chunk + 4);
        const uint64_t body = position + 8;
        // Every chunk must lie inside the file; the walk only ever moves forwards.
        if (length > *fileSize - body)
        {
            Fail(error, fileName + ": chunk \"" + std::string(reinterpret_cast<char*>(chunk), 4) +
                            "\" is longer than the file");
            return std::nullopt;
        }
        bool ok = true;
        if (std::memcmp(chunk, "fmt ", 4) == 0)
            ok = ReadFormatChunk(file.get(), length, format, fileName, error);
        else if (std::memcmp(chunk, "dep ", 4) == 0)
            ok = CheckDependency(file.get(), length, fileName, error);
        else if (std::memcmp(chunk, "xor ", 4) == 0)
            ok = (length >= 1 && ReadExact(file.get(), &format.key, 1)) || Fail(error, fileName + ": short xor chunk");
        else if (std::memcmp(chunk, "data", 4) == 0)
            return ReadDataChunk(file.get(), length, format, fileName, error);
        if (!ok)
            return std::nullopt;
        // A chunk of odd length is followed by a pad byte.
        position = body + length + (length & 1);
    }
}

bool WaveFile::WriteCache(const std::filesystem::path& path, const MixerSamples& samples, const std::string& sourceName,
                          uint64_t sourceTime)
{
    if (samples.channels < 1 || samples.channels > 2 || samples.samples.empty() || sourceName.size() > 0xFFFF)
        return false;
    const uint64_t dataBytes = uint64_t(samples.samples.size()) * 2;
    const uint32_t depLength = uint32_t(sourceName.size() + 10);
    const uint64_t riffLength = 4 + (8 + 16) + (8 + depLength + (depLength & 1)) + (8 + 1 + 1) + (8 + dataBytes);
    if (riffLength > UINT32_MAX)
        return false;

    std::vector<uint8_t> head;
    head.reserve(96 + sourceName.size());
    PutId(head, "RIFF");
    Put32(head, uint32_t(riffLength));
    PutId(head, "WAVE");
    PutId(head, "fmt ");
    Put32(head, 16);
    Put16(head, 1);
    Put16(head, uint32_t(samples.channels));
    Put32(head, uint32_t(samples.sampleRate));
    Put32(head, uint32_t(samples.sampleRate * samples.channels * 2));
    Put16(head, uint32_t(samples.channels * 2));
    Put16(head, 16);
    PutId(head, "dep ");
    Put32(head, depLength);
    Put16(head, uint32_t(sourceName.size()));
    for (char c : sourceName)
        head.push_back(uint8_t(c));
    Put32(head, uint32_t(sourceTime));
    Put32(head, uint32_t(sourceTime >> 32));
    if (depLength & 1)
        head.push_back(0);
    PutId(head, "xor ");
    Put32(head, 1);
    head.push_back(CacheKey);
    head.push_back(0);
    PutId(head, "data");
    Put32(head, uint32_t(dataBytes));

    StaleTempFiles::RemoveOnce(SoundCache::Folder(), {}, true);
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    std::string error;
    return AtomicFile::Write(
        path,
        [&](const AtomicFile::Sink& put) {
            if (!put(head.data(), head.size()))
                return false;
            std::vector<uint8_t> block;
            block.reserve(65536);
            for (size_t i = 0; i < samples.samples.size(); ++i)
            {
                const uint16_t v = uint16_t(samples.samples[i]);
                block.push_back(uint8_t(v) ^ CacheKey);
                block.push_back(uint8_t(v >> 8) ^ CacheKey);
                if (block.size() >= 65536 || i + 1 == samples.samples.size())
                {
                    if (!put(block.data(), block.size()))
                        return false;
                    block.clear();
                }
            }
            return true;
        },
        error);
}

} // namespace zest
