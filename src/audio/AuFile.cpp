#include "audio/AuFile.h"

#include "files/PakFile.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace zest
{

namespace
{
uint32_t ReadBig32(const uint8_t* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

std::optional<MixerSamples> Fail(std::string* error, const std::string& reason)
{
    if (error != nullptr)
        *error = reason;
    return std::nullopt;
}
} // namespace

int16_t AuFile::MuLawToLinear(uint8_t value)
{
    // G.711: the byte is stored inverted; sign, 3-bit exponent, 4-bit mantissa.
    // magnitude = ((mantissa << 3) + 0x84) << exponent, less the 0x84 bias.
    const uint8_t u = uint8_t(~value);
    const int exponent = (u >> 4) & 7;
    const int mantissa = u & 0x0F;
    const int magnitude = (((mantissa << 3) + 0x84) << exponent) - 0x84;
    return int16_t((u & 0x80) ? -magnitude : magnitude);
}

std::optional<MixerSamples> AuFile::Load(const std::string& fileName, std::string* error)
{
    PFilePtr file(p_fopen(fileName.c_str(), "rb"));
    if (!file)
        return Fail(error, "cannot open " + fileName);
    if (p_fseek(file.get(), 0, SEEK_END) != 0)
        return Fail(error, "cannot seek in " + fileName);
    const long end = p_ftell(file.get());
    uint8_t header[24];
    if (end < 24 || p_fseek(file.get(), 0, SEEK_SET) != 0 || p_fread(header, 1, 24, file.get()) != 24 ||
        std::memcmp(header, ".snd", 4) != 0)
        return Fail(error, fileName + ": not an AU file");
    const uint64_t fileSize = uint64_t(end);
    const uint64_t offset = ReadBig32(header + 4);
    uint64_t size = ReadBig32(header + 8);
    const uint32_t encoding = ReadBig32(header + 12);
    const uint32_t rate = ReadBig32(header + 16);
    const uint32_t channels = ReadBig32(header + 20);
    if (offset < 24 || offset > fileSize)
        return Fail(error, fileName + ": data offset outside the file");
    if (size == 0xFFFFFFFFu)
        size = fileSize - offset;
    if (size > fileSize - offset)
        return Fail(error, fileName + ": data size beyond the end of the file");
    if (encoding != 1 && encoding != 2)
        return Fail(error, fileName + ": unsupported encoding");
    if (channels < 1 || channels > 2 || rate < 1 || rate > 192000)
        return Fail(error, fileName + ": unsupported format");
    const size_t frames = size_t(size / channels);
    if (frames == 0)
        return Fail(error, fileName + ": no samples");

    std::vector<uint8_t> bytes(frames * channels);
    if (p_fseek(file.get(), long(offset), SEEK_SET) != 0 || p_fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size())
        return Fail(error, fileName + ": data cut short");
    MixerSamples samples;
    samples.channels = int(channels);
    samples.sampleRate = int(rate);
    samples.samples.resize(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i)
    {
        // Encoding 2 is signed 8-bit linear; scaled to 16 bits like every other sound.
        samples.samples[i] = encoding == 1 ? MuLawToLinear(bytes[i]) : int16_t(int8_t(bytes[i]) * 256);
    }
    return samples;
}

} // namespace zest
