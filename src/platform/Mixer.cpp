#include "platform/Mixer.h"

#include "platform/MixerBuffer.h"
#include "platform/MixerVoice.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace zest
{

namespace
{
// Render works in blocks so the accumulator has a fixed size and the audio thread
// never allocates.
constexpr size_t BlockFrames = 512;
// Frames decoded at a time from a stream (plus the carried seam frame).
constexpr size_t StreamChunkFrames = 1024;

constexpr uint64_t One = uint64_t(1) << 32;

uint64_t StepFor(uint32_t frequency)
{
    // Source frames per output frame, 32.32 fixed point.
    return (uint64_t(frequency) << 32) / uint64_t(Mixer::OutputRate);
}

// Adds count output frames of static data starting at position to the accumulator.
// The caller guarantees every frame index read (idx and idx + 1) lies inside data.
// Interpolate = false is the fast path for data at the output rate on a whole frame;
// it gives exactly what the interpolating loop gives with a zero fraction.
template <int Channels, bool Interpolate>
uint64_t MixSpan(const int16_t* data, uint64_t position, uint64_t step, size_t count, float gainLeft,
                 float gainRight, float* acc)
{
    constexpr float FractionScale = 1.0f / 4294967296.0f;
    for (size_t i = 0; i < count; ++i)
    {
        const uint64_t idx = position >> 32;
        float left;
        float right;
        if constexpr (Interpolate)
        {
            // s = s0 + (s1 - s0) * fraction
            const float fraction = float(uint32_t(position)) * FractionScale;
            const int16_t* s = data + idx * Channels;
            left = float(s[0]) + float(s[Channels] - s[0]) * fraction;
            right = Channels == 2 ? float(s[1]) + float(s[Channels + 1] - s[1]) * fraction : left;
        }
        else
        {
            const int16_t* s = data + idx * Channels;
            left = float(s[0]);
            right = Channels == 2 ? float(s[1]) : left;
        }
        acc[2 * i] += left * gainLeft;
        acc[2 * i + 1] += right * gainRight;
        position += step;
    }
    return position;
}

template <int Channels>
uint64_t MixSpanChoose(bool fast, const int16_t* data, uint64_t position, uint64_t step, size_t count, float gl,
                       float gr, float* acc)
{
    return fast ? MixSpan<Channels, false>(data, position, step, count, gl, gr, acc)
                : MixSpan<Channels, true>(data, position, step, count, gl, gr, acc);
}

std::atomic<bool> referenceMixing{false};
} // namespace

std::shared_ptr<Mixer> Mixer::Create()
{
    return std::make_shared<Mixer>(Key{});
}

Mixer::Mixer(Key)
{
    voices.reserve(256);
    accumulator.resize(BlockFrames * OutputChannels);
}

Mixer::~Mixer() = default;

double Mixer::GainFromVolume(int volume)
{
    if (volume <= Silence)
        return 0.0;
    if (volume >= 0)
        return 1.0;
    return std::pow(10.0, volume / 2000.0);
}

int Mixer::VolumeFromGain(double gain)
{
    if (!(gain > 0.0))
        return Silence;
    if (gain >= 1.0)
        return 0;
    // volume = 2000 * log10(gain)
    return std::max(Silence, int(std::lround(2000.0 * std::log10(gain))));
}

void Mixer::UseReferenceMixing(bool on)
{
    referenceMixing = on;
}

void Mixer::UpdateGains(MixerVoice& voice)
{
    // Pan attenuates the far channel by |pan| hundredths of a decibel and leaves the
    // near one alone, so a centred buffer plays at its own volume.
    const double gain = GainFromVolume(voice.volume);
    const double left = voice.pan > 0 ? GainFromVolume(-voice.pan) : 1.0;
    const double right = voice.pan < 0 ? GainFromVolume(voice.pan) : 1.0;
    voice.gainLeft = float(gain * left);
    voice.gainRight = float(gain * right);
}

std::unique_ptr<MixerBuffer> Mixer::CreateBuffer(std::shared_ptr<const MixerSamples> samples)
{
    if (!samples || (samples->channels != 1 && samples->channels != 2) || samples->sampleRate < 1 ||
        samples->sampleRate > 192000 || samples->Frames() == 0 || samples->Frames() >= (uint64_t(1) << 31))
        return nullptr;
    auto voice = std::make_unique<MixerVoice>();
    voice->channels = samples->channels;
    voice->sampleRate = samples->sampleRate;
    voice->frequency = uint32_t(samples->sampleRate);
    voice->samples = std::move(samples);
    return std::make_unique<MixerBuffer>(MixerBuffer::Key(), shared_from_this(), std::move(voice));
}

std::unique_ptr<MixerBuffer> Mixer::CreateStreamBuffer(std::shared_ptr<MixerStream> stream)
{
    if (!stream || (stream->Channels() != 1 && stream->Channels() != 2) || stream->SampleRate() < 1 ||
        stream->SampleRate() > 192000)
        return nullptr;
    auto voice = std::make_unique<MixerVoice>();
    voice->channels = stream->Channels();
    voice->sampleRate = stream->SampleRate();
    voice->frequency = uint32_t(voice->sampleRate);
    voice->chunk.resize((StreamChunkFrames + 1) * size_t(voice->channels));
    voice->stream = std::move(stream);
    return std::make_unique<MixerBuffer>(MixerBuffer::Key(), shared_from_this(), std::move(voice));
}

void Mixer::Register(MixerVoice* voice)
{
    std::lock_guard<std::mutex> lock(mutex);
    voices.push_back(voice);
}

void Mixer::Unregister(MixerVoice* voice)
{
    std::lock_guard<std::mutex> lock(mutex);
    auto it = std::find(voices.begin(), voices.end(), voice);
    if (it != voices.end())
    {
        *it = voices.back();
        voices.pop_back();
    }
}

void Mixer::SetMasterGain(double gain)
{
    if (!(gain >= 0.0))
        gain = 0.0;
    masterGain = float(std::min(gain, 1.0));
}

double Mixer::GetMasterGain() const
{
    return masterGain.load();
}

int Mixer::PlayingCount() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return int(std::count_if(voices.begin(), voices.end(), [](const MixerVoice* v) { return v->playing; }));
}

void Mixer::Render(int16_t* out, size_t frames)
{
    std::lock_guard<std::mutex> lock(mutex);
    const float gain = masterGain.load();
    float* acc = accumulator.data();
    while (frames > 0)
    {
        const size_t n = std::min(frames, BlockFrames);
        std::fill(acc, acc + n * OutputChannels, 0.0f);
        for (MixerVoice* voice : voices)
        {
            if (voice->playing)
                MixVoice(*voice, acc, n);
        }
        for (size_t i = 0; i < n * OutputChannels; ++i)
        {
            const float x = std::clamp(acc[i] * gain, -32768.0f, 32767.0f);
            out[i] = int16_t(std::lrint(x));
        }
        out += n * OutputChannels;
        frames -= n;
    }
}

void Mixer::MixVoice(MixerVoice& voice, float* acc, size_t frames)
{
    if (voice.stream)
        MixStream(voice, acc, frames);
    else if (voice.gainLeft == 0.0f && voice.gainRight == 0.0f)
        SkipStatic(voice, frames);
    else
        MixStatic(voice, acc, frames);
}

void Mixer::SkipStatic(MixerVoice& voice, size_t frames)
{
    // A silent buffer still moves on in time, so it ends when it would have been heard to.
    const uint64_t length = uint64_t(voice.samples->Frames()) << 32;
    voice.position += StepFor(voice.frequency) * frames;
    if (voice.position >= length)
    {
        if (voice.looping)
            voice.position %= length;
        else
        {
            voice.playing = false;
            voice.position = 0;
        }
    }
}

void Mixer::MixStatic(MixerVoice& voice, float* acc, size_t frames)
{
    const MixerSamples& samples = *voice.samples;
    const int16_t* data = samples.samples.data();
    const uint64_t length = samples.Frames();
    const int channels = voice.channels;
    const uint64_t step = StepFor(voice.frequency);
    const bool reference = referenceMixing.load(std::memory_order_relaxed);
    uint64_t position = voice.position;
    size_t done = 0;
    while (done < frames)
    {
        uint64_t idx = position >> 32;
        if (idx >= length)
        {
            if (!voice.looping)
            {
                voice.playing = false;
                voice.position = 0;
                return;
            }
            position %= (length << 32);
            continue;
        }
        float* a = acc + done * OutputChannels;
        if (idx + 1 < length)
        {
            // Frames whose successor is inside the data: no wrap checks in the loop.
            // count = the number of i with position + i * step < (length - 1) << 32.
            const uint64_t limit = (length - 1) << 32;
            uint64_t count = (limit - position + step - 1) / step;
            count = std::min<uint64_t>(count, frames - done);
            const bool fast = !reference && step == One && uint32_t(position) == 0;
            position = channels == 2
                           ? MixSpanChoose<2>(fast, data, position, step, size_t(count), voice.gainLeft,
                                              voice.gainRight, a)
                           : MixSpanChoose<1>(fast, data, position, step, size_t(count), voice.gainLeft,
                                              voice.gainRight, a);
            done += size_t(count);
            continue;
        }
        // The last frame interpolates towards the first when looping, else holds.
        int16_t pair[4];
        const int16_t* last = data + idx * uint64_t(channels);
        const int16_t* next = voice.looping ? data : last;
        for (int c = 0; c < channels; ++c)
        {
            pair[c] = last[c];
            pair[channels + c] = next[c];
        }
        const uint64_t local = position - (idx << 32);
        if (channels == 2)
            MixSpan<2, true>(pair, local, 0, 1, voice.gainLeft, voice.gainRight, a);
        else
            MixSpan<1, true>(pair, local, 0, 1, voice.gainLeft, voice.gainRight, a);
        position += step;
        ++done;
    }
    if (!voice.looping && (position >> 32) >= length)
    {
        // The last frame has been heard: stopped and rewound, ready to play again.
        voice.playing = false;
        voice.position = 0;
        return;
    }
    voice.position = position;
}

bool Mixer::RefillStream(MixerVoice& voice)
{
    const size_t channels = size_t(voice.channels);
    size_t keep = 0;
    if (voice.chunkFrames > 0)
    {
        // Carry the last frame over as chunk[0] so the seam interpolates.
        std::memcpy(voice.chunk.data(), voice.chunk.data() + (voice.chunkFrames - 1) * channels,
                    channels * sizeof(int16_t));
        voice.position -= uint64_t(voice.chunkFrames - 1) << 32;
        voice.chunkBase += int64_t(voice.chunkFrames - 1);
        keep = 1;
    }
    int16_t* target = voice.chunk.data() + keep * channels;
    size_t got = voice.stream->Read(target, StreamChunkFrames);
    if (got == 0 && voice.looping && voice.stream->Seek(0))
    {
        got = voice.stream->Read(target, StreamChunkFrames);
        voice.chunkBase = -int64_t(keep);
    }
    voice.chunkFrames = keep + std::min(got, StreamChunkFrames);
    if (got == 0)
    {
        voice.streamEnded = true;
        return false;
    }
    return true;
}

void Mixer::MixStream(MixerVoice& voice, float* acc, size_t frames)
{
    std::unique_lock<std::mutex> streamLock(voice.stream->Mutex(), std::try_to_lock);
    if (!streamLock.owns_lock())
        return; // being moved by another thread: silent for one block
    const uint64_t step = StepFor(voice.frequency);
    const size_t channels = size_t(voice.channels);
    constexpr float FractionScale = 1.0f / 4294967296.0f;
    for (size_t i = 0; i < frames; ++i)
    {
        uint64_t idx = voice.position >> 32;
        while (idx + 1 >= voice.chunkFrames && !voice.streamEnded)
        {
            // A refill moves the window (and the position with it) even when the stream
            // has ended, so the index is read again either way.
            const bool more = RefillStream(voice);
            idx = voice.position >> 32;
            if (!more)
                break;
        }
        if (idx >= voice.chunkFrames)
        {
            voice.playing = false;
            return;
        }
        const int16_t* s0 = voice.chunk.data() + idx * channels;
        const int16_t* s1 = idx + 1 < voice.chunkFrames ? s0 + channels : s0;
        const float fraction = float(uint32_t(voice.position)) * FractionScale;
        const float left = float(s0[0]) + float(s1[0] - s0[0]) * fraction;
        const float right = channels == 2 ? float(s0[1]) + float(s1[1] - s0[1]) * fraction : left;
        acc[2 * i] += left * voice.gainLeft;
        acc[2 * i + 1] += right * voice.gainRight;
        voice.position += step;
    }
}

} // namespace zest
