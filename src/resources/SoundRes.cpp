#include "resources/SoundRes.h"

#include "resources/SoundLoader.h"

namespace zest
{

void SoundRes::Unload()
{
    if (soundId != -1 && soundManager)
        soundManager->ReleaseSound(soundId);
    soundId = -1;
}

} // namespace zest
