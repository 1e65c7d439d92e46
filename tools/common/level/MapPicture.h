// A schematic picture of a level for reviewing designs: tiles as flat colours, each object as a coloured mark at
// its centre, hoses with their spray cone and reach, fly traps with their spit direction, linked trumpets joined by
// a line. Also a contact sheet of several levels. Stateless; any thread.
#pragma once

#include "level/LevelSource.h"

#include <memory>
#include <string>
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

    // The levels side by side, columns to a row, at tileSize pixels per tile, on a dark background, each with its
    // label (digits, letters and '-' drawn in a small block font; other characters as gaps) written under it.
    // labels may be shorter than levels: the rest go unlabelled.
    static std::unique_ptr<zest::MemoryImage> Sheet(const std::vector<LevelSource>& levels, int tileSize, int columns,
                                                    const std::vector<std::string>& labels = {});
};

} // namespace levelc
