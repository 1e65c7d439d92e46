// libFuzzer harness for RIFF wave files, the sound cache's own files included: any bytes are loaded as a
// wave through the archive file functions. A wave that loads is written again as a cache file (which
// names the input as its source) and must read back as the same samples.
#include "FuzzScratch.h"

#include "audio/SoundCache.h"
#include "audio/WaveFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = fuzz::WriteScratch("input.wav", data, size);
    if (path.empty())
        return 0;
    std::optional<zest::MixerSamples> samples = zest::WaveFile::Load(path);
    if (!samples)
        return 0;
    fuzz::Require(samples->channels >= 1 && samples->channels <= 2 && samples->Frames() > 0);

    const std::optional<uint64_t> sourceTime = zest::SoundCache::SourceFileTime(path);
    const std::string cachePath = fuzz::ScratchFolder() + "/cache/input.wav";
    if (!sourceTime || !zest::WaveFile::WriteCache(cachePath, *samples, path, *sourceTime))
        return 0;
    std::string error;
    std::optional<zest::MixerSamples> again = zest::WaveFile::Load(cachePath, &error);
    fuzz::Require(again.has_value());
    fuzz::Require(again->channels == samples->channels && again->sampleRate == samples->sampleRate &&
                  again->samples == samples->samples);
    return 0;
}
