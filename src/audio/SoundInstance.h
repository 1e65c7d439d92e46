// One playing copy of a loaded sound with its own volume, pan and pitch. Made and owned
// by the sound manager (it lives in one of the manager's channels); callers hold a plain
// pointer until they Release it. Main thread only.
#pragma once

namespace zest
{

class SoundInstance
{
public:
    virtual ~SoundInstance() = default;

    // Stops the sound and gives the instance back; the manager deletes it later.
    virtual void Release() = 0;
    // 0..1, multiplied with the instance volume and the effects volume.
    virtual void SetBaseVolume(double volume) = 0;
    // Pan units -10000 (left) .. 10000 (right), added to the instance pan.
    virtual void SetBasePan(int pan) = 0;
    // Semitones up (positive) or down from the sound's own frequency.
    virtual void AdjustPitch(double steps) = 0;
    // 0..1.
    virtual void SetVolume(double volume) = 0;
    virtual void SetPan(int pan) = 0;
    // Plays from the current position; with autoRelease the instance releases itself
    // once it has finished. False when nothing could be played.
    virtual bool Play(bool looping, bool autoRelease) = 0;
    // Stops and rewinds.
    virtual void Stop() = 0;
    virtual bool IsPlaying() = 0;
    virtual bool IsReleased() = 0;
    virtual double GetVolume() = 0;
};

} // namespace zest
