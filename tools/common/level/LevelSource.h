// A level as its plain-text source describes it: the tile grid with the raw tile values, and the object records in
// file order with the source line each came from. Parse reads the text, ToText writes the canonical text that
// Parse reads back to the same level. Plain value; any thread.
#pragma once

#include "level/Diagnostics.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace levelc
{

struct SourceObject
{
    int16_t type = 0;
    int16_t x = 0; // level pixels of the object image's top-left corner (a hose: its nozzle)
    int16_t y = 0;
    int16_t param = 0;
    int16_t order = 0; // roses only: the fifth field of the record
    int line = 0;      // source line, 0 when the object came from a map file
};

class LevelSource
{
public:
    // Tile values the grid characters '.' and '#' stand for: open garden and a solid block.
    static constexpr int16_t OpenTile = 1;
    static constexpr int16_t SolidTile = 2;

    // Reads a level source. Every problem found goes to diagnostics with its line; answers nothing when there
    // was an error (warnings alone still give a level).
    [[nodiscard]] static std::optional<LevelSource> Parse(std::string_view text, Diagnostics& diagnostics);

    // The canonical source text: size, legend for unusual tile values, grid, one line per object.
    std::string ToText() const;
    // One object's line as ToText writes it, without a line end.
    static std::string ObjectText(const SourceObject& object);

    int16_t Tile(int column, int row) const { return tiles[static_cast<size_t>(row * width + column)]; }
    // A tile value of 2 or more is solid, as the game reads it; outside the grid is open.
    bool IsSolid(int column, int row) const;

    int width = 0;  // tiles
    int height = 0; // tiles
    std::vector<int16_t> tiles; // width x height, row-major, raw values
    std::vector<SourceObject> objects;
    int sizeLine = 0; // line that fixed the size (the grid's first row, or "size"), for messages about it
};

} // namespace levelc
