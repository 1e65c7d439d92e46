// The LevelHost of the editor's garden picture: the garden's tile variants come from each tile's place and the
// level's seed, not from a generator whose sequence shifts with every tile painted, so an edit changes the look
// of the tiles it touches and of no others. Everything else is the simulator's host. Owned by the picture while
// it renders; main thread.
#pragma once

#include "LevelState.h"
#include "SimHost.h"

#include <cstdint>
#include <vector>

namespace tibble::edit
{

class PictureHost : public sim::SimHost
{
public:
    // Prepares the answers the garden asks for while it builds its tiles from state.
    PictureHost(const LevelState& state, uint32_t seed);

    // The tile answers in the order the garden asks for them, then the simulator's generator.
    uint32_t Random() override;

    // The answer for a tile (pass 0: an open tile's variant; 1: a hedge's look), 31 bits.
    static uint32_t TileAnswer(uint32_t seed, int column, int row, int pass);

private:
    std::vector<uint32_t> answers;
    size_t next = 0;
};

} // namespace tibble::edit
