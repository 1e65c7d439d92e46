#include "audio/SoundDecoder.h"

#include "audio/AuFile.h"
#include "audio/OggStream.h"
#include "audio/WaveFile.h"
#include "files/PakFile.h"

#include <cstring>

namespace zest
{

SoundDecoder::Format SoundDecoder::Sniff(const std::string& fileName)
{
    PFilePtr file(p_fopen(fileName.c_str(), "rb"));
    char magic[4] = {};
    if (!file || p_fread(magic, 1, 4, file.get()) != 4)
        return Format::Unknown;
    if (std::memcmp(magic, "RIFF", 4) == 0)
        return Format::Wave;
    if (std::memcmp(magic, "OggS", 4) == 0)
        return Format::Ogg;
    if (std::memcmp(magic, ".snd", 4) == 0)
        return Format::Au;
    return Format::Unknown;
}

std::optional<MixerSamples> SoundDecoder::DecodeFile(const std::string& fileName, std::string* error)
{
    switch (Sniff(fileName))
    {
    case Format::Wave:
        return WaveFile::Load(fileName, error);
    case Format::Ogg:
        return OggStream::DecodeAll(fileName, error);
    case Format::Au:
        return AuFile::Load(fileName, error);
    case Format::Unknown:
        break;
    }
    if (error != nullptr)
        *error = fileName + ": missing or not a sound file";
    return std::nullopt;
}

} // namespace zest
