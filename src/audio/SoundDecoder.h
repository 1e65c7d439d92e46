// Decodes a whole sound file of any format we read (RIFF wave, Ogg Vorbis, AU), chosen
// by the file's first bytes rather than its name. Stateless; any thread.
#pragma once

#include "platform/MixerSamples.h"

#include <optional>
#include <string>

namespace zest
{

class SoundDecoder
{
public:
    enum class Format
    {
        Unknown,
        Wave,
        Ogg,
        Au
    };

    // The format by the file's magic; Unknown when it cannot be opened.
    static Format Sniff(const std::string& fileName);
    // Empty with a reason in error when the file is missing, unknown or damaged.
    static std::optional<MixerSamples> DecodeFile(const std::string& fileName, std::string* error = nullptr);
};

} // namespace zest
