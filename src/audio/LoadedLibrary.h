// The one loaded instance of an emulated sound library (BassLibrary, FModLibrary): made by the first
// Load, shared by every player that holds its function table, and gone with the last holder. The
// library's operations reach it through active, under mutex. Any thread.
#pragma once

#include <memory>
#include <mutex>

namespace zest
{

class Mixer;

// State holds the library's data, with a "mixer" and a "functions" table among it.
template <class State> class LoadedLibrary
{
public:
    std::mutex mutex;
    // The loaded state; nullptr while none is. Guarded by mutex; State's destructor clears it.
    State* active = nullptr;

    // The function table of the loaded library, loading it over mixer when none is loaded; nullptr
    // when none is and mixer is null.
    template <class Functions>
    std::shared_ptr<const Functions> Load(std::shared_ptr<Mixer> mixer, Functions (*makeTable)())
    {
        std::lock_guard<std::mutex> lock(mutex);
        std::shared_ptr<State> state = loaded.lock();
        if (!state)
        {
            if (!mixer)
                return nullptr;
            state = std::make_shared<State>();
            state->mixer = std::move(mixer);
            state->functions = makeTable();
            active = state.get();
            loaded = state;
        }
        return std::shared_ptr<const Functions>(state, &state->functions);
    }

private:
    std::weak_ptr<State> loaded;
};

} // namespace zest
