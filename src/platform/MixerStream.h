// A source of frames produced on demand (a music stream or a tracker module) that a
// mixer buffer plays. The buffer owns it (shared with whoever positions it); the audio
// thread reads it while holding its mutex, other threads hold the mutex to move it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>

namespace zest
{

class MixerStream
{
public:
    MixerStream() = default;
    MixerStream(const MixerStream&) = delete;
    MixerStream& operator=(const MixerStream&) = delete;
    virtual ~MixerStream() = default;

    // 1 or 2; fixed for the life of the stream.
    virtual int Channels() const = 0;
    // Frames per second; fixed for the life of the stream.
    virtual int SampleRate() const = 0;
    // Writes up to frames interleaved frames to out; returns how many, 0 at the end or on
    // a decoding error. Called with the mutex held.
    virtual size_t Read(int16_t* out, size_t frames) = 0;
    // Moves to a frame counted from the start; false when that is impossible (the
    // position is then unchanged). Called with the mutex held.
    virtual bool Seek(uint64_t frame) = 0;
    // Whether the source repeats by itself (a looping tracker module never ends), so the
    // mixer need not rewind it. Called with the mutex held.
    virtual void SetLooping(bool looping) { (void)looping; }

    // The audio thread only try-locks it: a stream busy seeking is silent for one block
    // instead of stalling the device.
    std::mutex& Mutex() { return mutex; }

private:
    std::mutex mutex;
};

} // namespace zest
