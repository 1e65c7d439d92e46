// Decoded 16-bit PCM that buffers play. Immutable once handed to the mixer and shared
// (reference counted) by a sound slot and every buffer duplicated from it, so
// releasing or reloading a slot never frees data the audio thread is reading.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zest
{

struct MixerSamples
{
    int channels = 1;       // 1 or 2
    int sampleRate = 44100; // frames per second
    std::vector<int16_t> samples; // interleaved when stereo

    size_t Frames() const { return channels > 0 ? samples.size() / static_cast<size_t>(channels) : 0; }
};

} // namespace zest
