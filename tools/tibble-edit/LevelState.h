// What the editor edits of a level: the tile grid with its raw values and the objects in file order, each
// with an id that stays with it through moves and edits (the id ties an object to its line in the source it
// came from). Plain value; any thread.
#pragma once

#include "level/LevelSource.h"

#include <cstdint>
#include <vector>

namespace tibble::edit
{

struct EditObject
{
    levelc::SourceObject object;
    int id = 0;

    // Same record (type, position, param, order); the id and the source line do not count.
    bool SameRecord(const EditObject& other) const;
    bool operator==(const EditObject& other) const { return id == other.id && SameRecord(other); }
};

struct LevelState
{
    int width = 0;  // tiles
    int height = 0; // tiles
    std::vector<int16_t> tiles; // width x height, row-major
    std::vector<EditObject> objects;

    int16_t Tile(int column, int row) const { return tiles[static_cast<size_t>(row * width + column)]; }
    bool Contains(int column, int row) const { return column >= 0 && row >= 0 && column < width && row < height; }
    // The level as the compiler's checks and writers take it; each object's line is its index + 1.
    levelc::LevelSource ToSource() const;
};

} // namespace tibble::edit
