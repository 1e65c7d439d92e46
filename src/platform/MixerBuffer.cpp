#include "platform/MixerBuffer.h"

#include "platform/Mixer.h"
#include "platform/MixerVoice.h"

#include <algorithm>

namespace zest
{

// Lock order for streams: the stream's mutex before the mixer's. The audio thread takes
// the mixer's first but only try-locks the stream, so the two never deadlock.

MixerBuffer::MixerBuffer(Key, std::shared_ptr<Mixer> owner, std::unique_ptr<MixerVoice> record)
    : mixer(std::move(owner)), voice(std::move(record))
{
    mixer->Register(voice.get());
}

MixerBuffer::~MixerBuffer()
{
    mixer->Unregister(voice.get());
    // The voice (and with it a reference to shared samples or a stream) is freed here,
    // outside the mixer's lock and never on the audio thread.
}

std::unique_ptr<MixerBuffer> MixerBuffer::Duplicate() const
{
    if (!voice->samples)
        return nullptr;
    std::unique_ptr<MixerBuffer> copy = mixer->CreateBuffer(voice->samples);
    if (copy)
    {
        std::lock_guard<std::mutex> lock(mixer->mutex);
        copy->voice->volume = voice->volume;
        copy->voice->pan = voice->pan;
        copy->voice->frequency = voice->frequency;
        Mixer::UpdateGains(*copy->voice);
    }
    return copy;
}

void MixerBuffer::SetVolume(int volume)
{
    std::lock_guard<std::mutex> lock(mixer->mutex);
    voice->volume = std::clamp(volume, Mixer::Silence, 0);
    Mixer::UpdateGains(*voice);
}

int MixerBuffer::GetVolume() const
{
    std::lock_guard<std::mutex> lock(mixer->mutex);
    return voice->volume;
}

void MixerBuffer::SetPan(int pan)
{
    std::lock_guard<std::mutex> lock(mixer->mutex);
    voice->pan = std::clamp(pan, -10000, 10000);
    Mixer::UpdateGains(*voice);
}

int MixerBuffer::GetPan() const
{
    std::lock_guard<std::mutex> lock(mixer->mutex);
    return voice->pan;
}

void MixerBuffer::SetFrequency(uint32_t frequency)
{
    std::lock_guard<std::mutex> lock(mixer->mutex);
    voice->frequency =
        frequency == 0 ? uint32_t(voice->sampleRate) : std::clamp(frequency, Mixer::MinFrequency, Mixer::MaxFrequency);
}

uint32_t MixerBuffer::GetFrequency() const
{
    std::lock_guard<std::mutex> lock(mixer->mutex);
    return voice->frequency;
}

bool MixerBuffer::Play(bool looping)
{
    if (voice->stream)
    {
        std::lock_guard<std::mutex> streamLock(voice->stream->Mutex());
        voice->stream->SetLooping(looping);
        bool ended;
        {
            std::lock_guard<std::mutex> lock(mixer->mutex);
            ended = voice->streamEnded;
        }
        if (ended)
        {
            if (!voice->stream->Seek(0))
                return false;
            std::lock_guard<std::mutex> lock(mixer->mutex);
            ResetStreamLocked(0);
        }
        std::lock_guard<std::mutex> lock(mixer->mutex);
        voice->looping = looping;
        voice->playing = true;
        return true;
    }
    std::lock_guard<std::mutex> lock(mixer->mutex);
    voice->looping = looping;
    voice->playing = true;
    return true;
}

void MixerBuffer::Stop()
{
    std::lock_guard<std::mutex> lock(mixer->mutex);
    voice->playing = false;
}

bool MixerBuffer::IsPlaying() const
{
    std::lock_guard<std::mutex> lock(mixer->mutex);
    return voice->playing;
}

bool MixerBuffer::IsLooping() const
{
    std::lock_guard<std::mutex> lock(mixer->mutex);
    return voice->looping;
}

bool MixerBuffer::SetPosition(uint64_t frame)
{
    if (voice->stream)
        return Reposition([frame](MixerStream& stream) -> std::optional<uint64_t> {
            if (!stream.Seek(frame))
                return std::nullopt;
            return frame;
        });
    if (frame >= voice->samples->Frames())
        return false;
    std::lock_guard<std::mutex> lock(mixer->mutex);
    voice->position = frame << 32;
    return true;
}

uint64_t MixerBuffer::GetPosition() const
{
    std::lock_guard<std::mutex> lock(mixer->mutex);
    if (voice->stream)
        return uint64_t(std::max<int64_t>(0, voice->chunkBase + int64_t(voice->position >> 32)));
    return voice->position >> 32;
}

bool MixerBuffer::Reposition(const std::function<std::optional<uint64_t>(MixerStream&)>& move)
{
    if (!voice->stream)
        return false;
    std::lock_guard<std::mutex> streamLock(voice->stream->Mutex());
    std::optional<uint64_t> frame = move(*voice->stream);
    if (!frame)
        return false;
    std::lock_guard<std::mutex> lock(mixer->mutex);
    ResetStreamLocked(int64_t(*frame));
    return true;
}

void MixerBuffer::ResetStreamLocked(int64_t frame)
{
    voice->chunkFrames = 0;
    voice->chunkBase = frame;
    voice->position = 0;
    voice->streamEnded = false;
}

int MixerBuffer::Channels() const
{
    return voice->channels;
}

int MixerBuffer::SampleRate() const
{
    return voice->sampleRate;
}

uint64_t MixerBuffer::Frames() const
{
    return voice->samples ? voice->samples->Frames() : 0;
}

bool MixerBuffer::IsStream() const
{
    return voice->stream != nullptr;
}

std::shared_ptr<const MixerSamples> MixerBuffer::Samples() const
{
    return voice->samples;
}

std::shared_ptr<MixerStream> MixerBuffer::Stream() const
{
    return voice->stream;
}

} // namespace zest
