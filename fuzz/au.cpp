// libFuzzer harness for Sun/NeXT sound files: any bytes are loaded as an ".au" file through the archive
// file functions; what loads holds whole frames of one or two channels.
#include "FuzzScratch.h"

#include "audio/AuFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = fuzz::WriteScratch("input.au", data, size);
    if (path.empty())
        return 0;
    std::optional<zest::MixerSamples> samples = zest::AuFile::Load(path);
    if (samples)
    {
        fuzz::Require(samples->channels >= 1 && samples->channels <= 2 && samples->sampleRate > 0);
        fuzz::Require(samples->samples.size() % static_cast<size_t>(samples->channels) == 0);
        fuzz::Require(samples->samples.size() <= size);
    }
    return 0;
}
