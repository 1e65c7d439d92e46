// The lines of a level source as it was read: where the size, the grid and each object stand, the legend
// characters, and the objects as they were written. Write turns an edited level back into text that keeps
// every line the edit left alone (comments, blank lines, spelling such as "tile 3 6" or "at 192 384") and
// rewrites only the lines it changed, so a saved file differs from the old one only where the level does.
// Plain value; any thread.
#pragma once

#include "LevelState.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tibble::edit
{

class SourceLayout
{
public:
    // The layout of text, which parsed cleanly into parsed; the parsed objects get the ids given, in order.
    static SourceLayout Read(std::string_view text, const levelc::LevelSource& parsed, const std::vector<int>& ids);

    // The source of state: the original lines where state still matches them, rewritten lines elsewhere. Falls
    // back to the canonical text when the edit cannot be expressed in the old lines (objects reordered, a tile
    // value the legend has no character for).
    std::string Write(const LevelState& state) const;

    // Whether Write keeps the old lines (false: it writes the canonical text).
    bool KeepsLines(const LevelState& state) const;

private:
    struct Line
    {
        std::string text;
        int objectId = 0; // the object written on this line, 0 for none
    };

    std::optional<std::vector<std::string>> GridRows(const LevelState& state) const;
    bool SameGrid(const LevelState& state) const;

    std::vector<Line> lines;
    bool endsInNewline = true;
    int sizeLine = 0;  // 1-based; 0 without a size line
    int gridStart = 0; // the "grid" line
    int gridEnd = 0;   // the "end" line
    bool numericGrid = false;
    std::map<int16_t, char> legend;
    int width = 0;
    int height = 0;
    std::vector<int16_t> tiles;
    std::map<int, levelc::SourceObject> written; // by id, as the text has it
    std::map<int, int> lineOfId;                 // 1-based line of each written object
};

} // namespace tibble::edit
