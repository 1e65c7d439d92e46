// The binary level map format: 16-bit little-endian integers, width, height, the tiles row by row, the object
// count and one record per object (type, x, y, param, and for a rose its opening order). Stateless; any thread.
#pragma once

#include "level/LevelSource.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace levelc
{

class MapFile
{
public:
    // The map file of a level, field by field as the level holds them.
    static std::vector<uint8_t> Encode(const LevelSource& level);

    // Reads a map file back. Answers nothing, with the reason in error, when the file is not a whole map: too
    // short for its counts, a negative size or object count, or bytes after the last record. Whether the game can
    // play it is a separate question (LevelRules).
    [[nodiscard]] static std::optional<LevelSource> Decode(std::span<const uint8_t> bytes, std::string& error);
};

} // namespace levelc
