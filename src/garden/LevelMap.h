// A level map file parsed and checked: size, raw tile values, the object records with the loader's
// changes applied, the initial flower groups and the nectar total. Pure data, no randomness, so the
// data checker can use it as well as the Level that is built from it. Any thread.
#pragma once

#include "garden/FlowerGroup.h"
#include "garden/MapObject.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tibble
{

inline constexpr int LevelCount = 13;
inline constexpr int GroupCount = 20;
inline constexpr int TileSize = 64;
// Smallest playable level: the 640 x 480 screen.
inline constexpr int MinLevelWidth = 10;
inline constexpr int MinLevelHeight = 8;
inline constexpr int MaxLevelTiles = 65536;

// Map file of each level, indexed by level index modulo 13. There is no file 3.
extern const char* const LevelFileNames[LevelCount];
// Share of the nectar, in percent, that opens the exit of each level.
extern const int LevelNeedPercent[LevelCount];
// Solid-tile cel offset by neighbour mask (+1 above, +2 right, +4 below, +8 left solid).
extern const int AutoTileTable[16];

class LevelMap
{
public:
    // Parses a whole map file. Returns nothing and sets error (when given) to the reason when the file
    // cannot be played. Bytes past the end of the data read as 0.
    [[nodiscard]] static std::optional<LevelMap> Parse(std::span<const uint8_t> bytes, std::string* error = nullptr);

    // Raw file test: a tile value of 2 or more is solid. Outside the grid: open.
    bool IsSolidTile(int column, int row) const;
    // One line per tile row, '#' solid and '.' open, each ending in '\n'.
    std::string SolidMaskText() const;

    int width = 0;                   // tiles
    int height = 0;                  // tiles
    std::vector<int16_t> tileValues; // width x height, row-major, as stored in the file
    std::vector<MapObject> objects;  // file order; list links are left for the Level to make
    std::array<FlowerGroup, GroupCount> groups{};
    int nectarTotal = 0;
    int startIndex = -1; // the (last) type-10 record
};

// The reason a map file cannot be played, or nothing when it can.
[[nodiscard]] std::optional<std::string> ValidateLevelFile(std::span<const uint8_t> bytes);

} // namespace tibble
