// Reads Sun/NeXT ".au" sound files (G.711 mu-law or 8-bit linear) into 16-bit samples.
// Stateless; safe on any thread.
#pragma once

#include "platform/MixerSamples.h"

#include <cstdint>
#include <optional>
#include <string>

namespace zest
{

class AuFile
{
public:
    // Reads the file through the archive file functions. The data size FFFFFFFF hex
    // means "to the end of the file". Empty on any fault (bad magic, an offset or size
    // outside the file, an encoding other than 1 or 2), with a reason in error.
    static std::optional<MixerSamples> Load(const std::string& fileName, std::string* error = nullptr);

    // One G.711 mu-law byte as a 16-bit linear sample.
    static int16_t MuLawToLinear(uint8_t value);
};

} // namespace zest
