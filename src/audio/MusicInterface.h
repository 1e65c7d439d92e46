// Music by id: tunes loaded under whole-number ids and played, paused, faded and
// stopped. This base plays nothing (used when sound is switched off); the players
// derive from it. Owned by the application; main thread only (Update once per tick).
#pragma once

#include <string>

namespace zest
{

class MusicInterface
{
public:
    virtual ~MusicInterface();

    // False when the file cannot be loaded (no record is kept then).
    virtual bool LoadMusic(int id, const std::string& fileName);
    // offset: a module's order or a stream's byte position; -1 continues where it was.
    virtual void PlayMusic(int id, int offset, bool noLoop);
    virtual void StopMusic(int id);
    virtual void PauseMusic(int id);
    virtual void ResumeMusic(int id);
    virtual void StopAllMusic();
    virtual void UnloadMusic(int id);
    virtual void UnloadAllMusic();
    virtual void PauseAllMusic();
    virtual void ResumeAllMusic();
    // speed: volume change per update (1.0 = full scale).
    virtual void FadeIn(int id, int offset, double speed, bool noLoop);
    virtual void FadeOut(int id, bool stopWhenFaded, double speed);
    virtual void FadeOutAll(bool stopWhenFaded, double speed);
    // Volumes 0..1.
    virtual void SetSongVolume(int id, double volume);
    virtual void SetSongMaxVolume(int id, double maxVolume);
    virtual bool IsPlaying(int id);
    // The overall music volume, 0..1.
    virtual void SetVolume(double volume);
    virtual void SetMusicAmplify(int id, double amplify);
    // Advances the fades; once per update tick.
    virtual void Update();
};

} // namespace zest
