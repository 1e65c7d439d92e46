// Our own implementation of the music library the BASS-shaped player calls: streams
// (Ogg Vorbis decoded as they play; wave and AU decoded whole) and tracker modules
// (libopenmpt), all read through the archive file functions and played on the mixer.
// One per process, reference counted: the first Load makes it, the last holder frees it.
// Its operations take one internal lock, so any thread may call them.
#pragma once

#include "audio/BassFunctions.h"

#include <memory>

namespace zest
{

class Mixer;

class BassLibrary
{
public:
    // The operation table, bound to the mixer. While the library is loaded every Load
    // answers the same table (and the first caller's mixer).
    static std::shared_ptr<const BassFunctions> Load(std::shared_ptr<Mixer> mixer);
};

} // namespace zest
