// Our software mixer: any number of buffers with volume, pan and frequency mixed into
// 44100 Hz stereo 16-bit. The audio device (or a test) calls Render; every other call
// may come from any thread and holds the mixer's lock only for a few field writes.
// Shared (std::shared_ptr) by the audio device and every buffer made from it.
#pragma once

#include "platform/MixerSamples.h"
#include "platform/MixerStream.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace zest
{

class MixerBuffer;
struct MixerVoice;

class Mixer : public std::enable_shared_from_this<Mixer>
{
public:
    static constexpr int OutputRate = 44100;
    static constexpr int OutputChannels = 2;
    static constexpr int Silence = -10000; // hundredths of a decibel
    static constexpr uint32_t MinFrequency = 100;
    static constexpr uint32_t MaxFrequency = 200000;

    // Always owned by a std::shared_ptr: buffers keep their mixer alive.
    static std::shared_ptr<Mixer> Create();
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;
    ~Mixer();

    // A stopped buffer over shared samples, at full volume, centred, at the samples' own
    // rate. Null when the samples are empty or not 1-2 channels at 1..192000 Hz.
    std::unique_ptr<MixerBuffer> CreateBuffer(std::shared_ptr<const MixerSamples> samples);
    // A stopped buffer that pulls its frames from a stream. Null for a malformed stream.
    std::unique_ptr<MixerBuffer> CreateStreamBuffer(std::shared_ptr<MixerStream> stream);

    // Mixes the next frames stereo frames into out (interleaved) and advances every
    // playing buffer. Called by the audio thread, or by tests to render into memory.
    void Render(int16_t* out, size_t frames);

    // Process-wide output gain, 0..1 (the system's wave-out volume).
    void SetMasterGain(double gain);
    double GetMasterGain() const;

    // Number of buffers playing now.
    int PlayingCount() const;

    // Makes every later Render take the plain interpolating loop instead of the
    // whole-frame fast path (tests and benchmarks compare the two). Process-wide.
    static void UseReferenceMixing(bool on);

    // Linear gain of a volume in hundredths of a decibel: 10^(volume / 2000), and
    // exactly 0 at -10000 and below.
    static double GainFromVolume(int volume);
    // The volume (hundredths of a decibel, -10000..0) of a linear gain 0..1, rounded.
    static int VolumeFromGain(double gain);

private:
    // Lets Create use std::make_shared while nobody else can construct a mixer.
    struct Key
    {
        explicit Key() = default;
    };

public:
    explicit Mixer(Key);

private:
    friend class MixerBuffer;

    void Register(MixerVoice* voice);
    void Unregister(MixerVoice* voice);
    static void UpdateGains(MixerVoice& voice);
    void MixVoice(MixerVoice& voice, float* accumulator, size_t frames);
    static void MixStatic(MixerVoice& voice, float* accumulator, size_t frames);
    static void SkipStatic(MixerVoice& voice, size_t frames);
    static void MixStream(MixerVoice& voice, float* accumulator, size_t frames);
    static bool RefillStream(MixerVoice& voice);

    // Guards every voice and the voice list. Render holds it for one block.
    mutable std::mutex mutex;
    std::vector<MixerVoice*> voices;
    std::vector<float> accumulator; // one block, touched only inside Render
    std::atomic<float> masterGain{1.0f};
};

} // namespace zest
