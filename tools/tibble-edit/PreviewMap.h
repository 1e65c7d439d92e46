// The map the garden is built from when the editor draws or test-plays a level. The game's loader refuses a
// level without a start or a nectar flower and objects off the grid or with a group outside 0..19; the editor
// must still show such a level while it is being made, so those objects are left out and a missing start or
// flower is stood in for by a hidden record. Plain value; any thread.
#pragma once

#include "LevelState.h"

#include <cstdint>
#include <vector>

namespace tibble::edit
{

struct PreviewMap
{
    // startAt: index of an object (a trumpet) the bee should come out of instead of the start, or -1.
    static PreviewMap Make(const LevelState& state, int startAt = -1);

    std::vector<uint8_t> bytes;
    // Map records that stand in for missing ones; their agents are hidden.
    std::vector<int> hiddenRecords;
    // For each map record, the index of the document's object it came from (-1 for stand-ins).
    std::vector<int> objectOfRecord;
};

} // namespace tibble::edit
