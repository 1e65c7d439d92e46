// Checks of a level before it is written as a map file. CheckPlayable holds the rules without which the game cannot
// load or play the map (errors); CheckDesign finds what loads but plays wrongly, such as a flower that can never
// open or more objects near one view than the level keeps alive (warnings; errors in strict mode). Stateless; any
// thread.
#pragma once

#include "level/Diagnostics.h"
#include "level/LevelSource.h"

#include <string_view>

namespace levelc
{

class LevelRules
{
public:
    // Largest number of objects the game keeps alive around the view.
    static constexpr int MaxLiveAgents = 64;

    // The map's own rules: size from 10 x 8 up to 65536 tiles, a start trumpet, a nectar flower, objects on the
    // grid, groups 0..19 where the param names a group, at most 32767 objects. Then the game's loader itself reads
    // the encoded map as a second check.
    static void CheckPlayable(const LevelSource& level, Diagnostics& diagnostics);

    // Design checks; levelIndex (0..12, or -1 when unknown) gives the share of nectar the exit needs.
    static void CheckDesign(const LevelSource& level, int levelIndex, Diagnostics& diagnostics);

    // Level index of a map file's name without folder and extension ("4" is level index 2), or -1.
    static int LevelIndexOfMap(std::string_view stem);

    // Nectar flowers to drain, of nectarFlowers, before the exit of level levelIndex opens.
    static int FlowersNeeded(int nectarFlowers, int levelIndex);
};

} // namespace levelc
