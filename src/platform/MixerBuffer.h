// One playable buffer of the mixer, shaped like a DirectSound secondary buffer: volume
// in hundredths of a decibel, pan, frequency, play once or looping, stop, position,
// duplication. Owned by whoever made it (a sound slot, an instance, a music channel);
// any thread may call it; every call is short and never waits on decoding.
#pragma once

#include "platform/MixerSamples.h"
#include "platform/MixerStream.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace zest
{

class Mixer;
struct MixerVoice;

class MixerBuffer
{
public:
    MixerBuffer(const MixerBuffer&) = delete;
    MixerBuffer& operator=(const MixerBuffer&) = delete;
    ~MixerBuffer();

    // A new stopped buffer playing the same samples (shared, not copied), with this
    // buffer's volume, pan and frequency. Null for a stream buffer.
    std::unique_ptr<MixerBuffer> Duplicate() const;

    // Hundredths of a decibel, clamped to -10000 (silence) .. 0 (full).
    void SetVolume(int volume);
    int GetVolume() const;
    // -10000 (left only) .. 0 (centre) .. 10000 (right only); the far channel is
    // attenuated by |pan| hundredths of a decibel.
    void SetPan(int pan);
    int GetPan() const;
    // Playback rate in Hz, clamped to 100..200000; 0 restores the data's own rate.
    void SetFrequency(uint32_t frequency);
    uint32_t GetFrequency() const;

    // Starts from the current position (a stream that had ended starts over).
    // Always true for a usable buffer; false only when a stream cannot be rewound.
    [[nodiscard]] bool Play(bool looping);
    // Stops where it is; the position is kept.
    void Stop();
    bool IsPlaying() const;
    bool IsLooping() const;

    // Position in frames of the data. Static buffers: false beyond the end. Streams:
    // false when the stream cannot seek there.
    [[nodiscard]] bool SetPosition(uint64_t frame);
    uint64_t GetPosition() const;
    // Streams only: runs move with the stream locked (so the audio thread skips it
    // meanwhile) and, when it answers a frame, restarts decoding from that frame.
    [[nodiscard]] bool Reposition(const std::function<std::optional<uint64_t>(MixerStream&)>& move);

    int Channels() const;
    int SampleRate() const;
    // Frames of a static buffer; 0 for a stream.
    uint64_t Frames() const;
    bool IsStream() const;
    // The shared data of a static buffer (null for a stream).
    std::shared_ptr<const MixerSamples> Samples() const;
    // The stream of a stream buffer (null for a static one).
    std::shared_ptr<MixerStream> Stream() const;

    // Only the mixer makes buffers (the key is its private type).
    class Key
    {
        friend class Mixer;
        Key() = default;
    };
    MixerBuffer(Key, std::shared_ptr<Mixer> mixer, std::unique_ptr<MixerVoice> voice);

private:
    friend class Mixer;
    void ResetStreamLocked(int64_t frame);

    std::shared_ptr<Mixer> mixer;
    std::unique_ptr<MixerVoice> voice;
};

} // namespace zest
