// libFuzzer harness for Ogg Vorbis files: any bytes are opened as a music stream (read in blocks,
// sought to the start and past the end, read again) and decoded whole as a sound effect is.
#include "FuzzScratch.h"

#include "audio/OggStream.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = fuzz::WriteScratch("input.ogg", data, size);
    if (path.empty())
        return 0;
    if (std::unique_ptr<zest::OggStream> stream = zest::OggStream::Open(path))
    {
        fuzz::Require(stream->Channels() >= 1 && stream->Channels() <= 2);
        std::vector<int16_t> block(4096 * 2);
        // A few blocks are enough to walk the packet decoding; the whole file follows below.
        for (int i = 0; i < 8 && stream->Read(block.data(), 4096) > 0; ++i)
        {
        }
        (void)stream->ClaimedFrames();
        (void)stream->Seek(0);
        (void)stream->Read(block.data(), 1000);
        (void)stream->Seek(uint64_t(1) << 40);
        (void)stream->Read(block.data(), 1000);
    }
    if (std::optional<zest::MixerSamples> samples = zest::OggStream::DecodeAll(path))
        fuzz::Require(samples->channels >= 1 && samples->channels <= 2 &&
                      samples->samples.size() % static_cast<size_t>(samples->channels) == 0);
    return 0;
}
