// One playing copy of a loaded sound: its own mixer buffer (sharing the slot's samples)
// with volume, pan and pitch. Made by DSoundManager::GetSoundInstance and owned by the
// manager's channel table; main thread only.
#pragma once

#include "audio/SoundInstance.h"

#include <cstdint>
#include <memory>

namespace zest
{

class DSoundManager;
class MixerBuffer;

class DSoundInstance : public SoundInstance
{
public:
    // buffer may be null (a silent manager): the instance then keeps its settings and
    // plays nothing.
    DSoundInstance(DSoundManager* manager, std::unique_ptr<MixerBuffer> buffer);
    DSoundInstance(const DSoundInstance&) = delete;
    DSoundInstance& operator=(const DSoundInstance&) = delete;
    ~DSoundInstance() override;

    void Release() override;
    void SetBaseVolume(double volume) override;
    void SetBasePan(int pan) override;
    // frequency = 2^(steps / 12) x the sound's own frequency, held within 100..100000 Hz.
    void AdjustPitch(double steps) override;
    void SetVolume(double volume) override;
    void SetPan(int pan) override;
    bool Play(bool looping, bool autoRelease) override;
    void Stop() override;
    bool IsPlaying() override;
    bool IsReleased() override;
    double GetVolume() override;

    // Stops and rewinds without forgetting autoRelease (so a stopped auto-release
    // instance is still cleaned up).
    void StopKeepingAutoRelease();
    // Re-applies volume x base volume x the manager's effects volume to the buffer.
    void RehupVolume();

    // The buffer's frequency in Hz (the sound's own rate until AdjustPitch), 0 without one.
    uint32_t GetFrequency() const;
    // What the buffer is set to: hundredths of a decibel and pan units.
    int GetDeviceVolume() const;
    int GetDevicePan() const;

private:
    void RehupPan();

    DSoundManager* manager;
    std::unique_ptr<MixerBuffer> soundBuffer;
    bool autoRelease = false;
    bool hasPlayed = false;
    bool released = false;
    int basePan = 0;
    int pan = 0;
    double baseVolume = 1.0;
    double volume = 1.0;
    uint32_t baseFrequency = 44100;
};

} // namespace zest
