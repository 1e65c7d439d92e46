#include "audio/DSoundInstance.h"

#include "audio/DSoundManager.h"
#include "platform/MixerBuffer.h"

#include <algorithm>
#include <cmath>

namespace zest
{

DSoundInstance::DSoundInstance(DSoundManager* owner, std::unique_ptr<MixerBuffer> buffer)
    : manager(owner), soundBuffer(std::move(buffer))
{
    if (soundBuffer)
    {
        const uint32_t frequency = soundBuffer->GetFrequency();
        baseFrequency = frequency != 0 ? frequency : 44100;
    }
    RehupVolume();
    RehupPan();
}

DSoundInstance::~DSoundInstance() = default;

void DSoundInstance::Release()
{
    if (soundBuffer)
        soundBuffer->Stop();
    released = true;
}

void DSoundInstance::SetBaseVolume(double value)
{
    baseVolume = DSoundManager::ClampVolume(value);
    RehupVolume();
}

void DSoundInstance::SetBasePan(int value)
{
    basePan = value;
    RehupPan();
}

void DSoundInstance::AdjustPitch(double steps)
{
    if (!soundBuffer || !std::isfinite(steps))
        return;
    // One equal-tempered semitone is 2^(1/12).
    const double frequency = std::pow(1.0594630943592953, steps) * baseFrequency;
    soundBuffer->SetFrequency(uint32_t(std::lround(std::clamp(frequency, 100.0, 100000.0))));
}

void DSoundInstance::SetVolume(double value)
{
    volume = DSoundManager::ClampVolume(value);
    RehupVolume();
}

void DSoundInstance::SetPan(int value)
{
    pan = value;
    RehupPan();
}

bool DSoundInstance::Play(bool looping, bool release)
{
    if (soundBuffer)
        soundBuffer->Stop();
    hasPlayed = true;
    autoRelease = release;
    if (!soundBuffer)
        return false;
    return soundBuffer->Play(looping);
}

void DSoundInstance::Stop()
{
    StopKeepingAutoRelease();
    autoRelease = false;
}

void DSoundInstance::StopKeepingAutoRelease()
{
    if (soundBuffer)
    {
        soundBuffer->Stop();
        (void)soundBuffer->SetPosition(0);
    }
}

bool DSoundInstance::IsPlaying()
{
    return hasPlayed && soundBuffer && soundBuffer->IsPlaying();
}

bool DSoundInstance::IsReleased()
{
    if (!released && autoRelease && hasPlayed && !IsPlaying())
        Release();
    return released;
}

double DSoundInstance::GetVolume()
{
    return volume;
}

void DSoundInstance::RehupVolume()
{
    if (soundBuffer)
        soundBuffer->SetVolume(DSoundManager::ToDeviceVolume(volume * baseVolume * manager->GetEffectsVolume()));
}

void DSoundInstance::RehupPan()
{
    // Sum in 64 bits: callers may pass any int; the buffer holds the result to its range.
    if (soundBuffer)
        soundBuffer->SetPan(int(std::clamp<int64_t>(int64_t(basePan) + pan, -10000, 10000)));
}

uint32_t DSoundInstance::GetFrequency() const
{
    return soundBuffer ? soundBuffer->GetFrequency() : 0;
}

int DSoundInstance::GetDeviceVolume() const
{
    return soundBuffer ? soundBuffer->GetVolume() : 0;
}

int DSoundInstance::GetDevicePan() const
{
    return soundBuffer ? soundBuffer->GetPan() : 0;
}

} // namespace zest
