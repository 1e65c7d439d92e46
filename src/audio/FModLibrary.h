// Our own implementation of the FMOD-style operations: whole sounds decoded into
// samples (wave, Ogg Vorbis, AU, read through the archive file functions) played on
// channels, and tracker modules through libopenmpt, all on the mixer. One per process,
// reference counted like BassLibrary; one internal lock, so any thread may call it.
#pragma once

#include "audio/FModFunctions.h"

#include <memory>

namespace zest
{

class Mixer;

class FModLibrary
{
public:
    // The operation table, bound to the mixer. While the library is loaded every Load
    // answers the same table (and the first caller's mixer).
    static std::shared_ptr<const FModFunctions> Load(std::shared_ptr<Mixer> mixer);
};

} // namespace zest
