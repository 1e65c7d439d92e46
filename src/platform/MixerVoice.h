// The mixer's record of one buffer: what it plays and how. Owned by its MixerBuffer;
// every field is guarded by the owning mixer's mutex (the audio thread reads and
// advances it inside Mixer::Render).
#pragma once

#include "platform/MixerSamples.h"
#include "platform/MixerStream.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace zest
{

struct MixerVoice
{
    // Exactly one of samples and stream is set.
    std::shared_ptr<const MixerSamples> samples;
    std::shared_ptr<MixerStream> stream;
    int channels = 1;
    int sampleRate = 44100;

    int volume = 0;          // hundredths of a decibel, -10000..0
    int pan = 0;             // -10000..10000
    uint32_t frequency = 44100;
    bool playing = false;
    bool looping = false;

    // Linear gains derived from volume and pan (master gain not included).
    float gainLeft = 1.0f;
    float gainRight = 1.0f;

    // Play position in frames, 32.32 fixed point. For a stream it counts from chunk[0].
    uint64_t position = 0;

    // Streams only: a window of decoded frames. chunk[0] repeats the last frame of the
    // previous window so interpolation runs across the seam.
    std::vector<int16_t> chunk;
    size_t chunkFrames = 0;
    int64_t chunkBase = 0; // stream frame held in chunk[0]
    bool streamEnded = false;
};

} // namespace zest
