// Design metrics of a level, to see its shape at a glance: which hedge shapes it uses, how much of it is hedge,
// how many chambers the hedge makes, and how many hedge runs start with the lone-block piece. Plain value; any thread.
#pragma once

#include "level/LevelSource.h"

#include <array>

namespace levelc
{

struct LevelMetrics
{
    // Neighbour bits of a hedge shape, as the game's auto-tiler numbers them.
    static constexpr int Above = 1;
    static constexpr int Right = 2;
    static constexpr int Below = 4;
    static constexpr int Left = 8;
    static constexpr int ShapeCount = 16;

    static LevelMetrics Measure(const LevelSource& level);

    // Solid tiles of each shape: the pattern of solid neighbours of a solid tile, where the grid's sides and top
    // count as solid (they are walls to the bee) and its bottom as open (the bee falls out there).
    std::array<int, ShapeCount> shapeTiles{};
    int solidTiles = 0;
    int tiles = 0;
    // Open regions (4-connected open tiles) holding at least one object: the places the hedge separates, linked
    // only by trumpets if at all. Sealed pockets are open regions with nothing in them.
    int chambers = 0;
    int sealedPockets = 0;
    // Solid tiles whose only solid neighbour, as the game sees it (outside the grid is open), is on the right.
    // The auto-tiler gives them the lone-block piece, whose art runs on flush into the right-hand neighbour; a
    // count worth knowing when the art changes.
    int seams = 0;

    int ShapesUsed() const;
    double SolidShare() const { return tiles ? static_cast<double>(solidTiles) / tiles : 0.0; }
};

} // namespace levelc
