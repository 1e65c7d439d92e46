// How promising a level state is for the planner: nectar collected, whether the exit is open, the bee's
// distance through the garden (open tiles and trumpet links) to the nearest flower it still needs, and
// lives lost. Reads a Level only; main thread of the planner.
#pragma once

#include <cstdint>
#include <vector>

namespace tibble
{
class Level;
}

namespace tibble::plan
{

struct StateScore
{
    double value = 0;
    int nectar = 0;
    bool exitOpen = false;
    int distance = 0; // pixels through the garden to the nearest target, or Unreachable
};

class Heuristic
{
public:
    static constexpr int Unreachable = 100000;

    // livesLost: lives the bee has lost since the level began.
    static StateScore Score(Level& level, int livesLost);

    // Pixels from the bee to the nearest target through open tiles and open trumpet links (never less than
    // the straight line), or Unreachable.
    static int DistanceToTarget(Level& level);
};

} // namespace tibble::plan
