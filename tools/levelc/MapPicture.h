// A schematic picture of a level for reviewing designs: tiles as flat colours, each object as a coloured mark at
// its centre, hoses with their spray cone and reach, fly traps with their spit direction, linked trumpets joined by
// a line. Also a contact sheet of several levels. Stateless; any thread.
#pragma once

#include "LevelSource.h"

#include <memory>
#include <vector>

namespace zest
{
class MemoryImage;
}

namespace levelc
{

class MapPicture
{
public:
    // The level drawn at tileSize pixels per 64-pixel tile (at least 2).
    static std::unique_ptr<zest::MemoryImage> Draw(const LevelSource& level, int tileSize);

    // The levels side by side, columns to a row, at tileSize pixels per tile, on a dark background.
    static std::unique_ptr<zest::MemoryImage> Sheet(const std::vector<LevelSource>& levels, int tileSize, int columns);
};

} // namespace levelc
