// Wraps hedge round the routes a level's solution takes. Trails (tibble-plan --robust --trail) name the tiles the
// bee's box came within a pixel of, one line per run; the tiles of every completing run are frozen as they are and
// every other open tile is free to shape, except that hedge stays hedge and pits stay open. Because the bee only
// looks at the tiles under its box, each completing run plays out exactly as before in the wrapped level. Plain
// functions over text; any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace levelc
{

struct WrapOptions
{
    double solid = 0.42; // the hedge share aimed at (the band designed to is 0.20 to 0.55)
    int gap = 2;         // free tiles this many tiles from any route tile or object are filled first
    uint32_t seed = 1;   // the order free tiles are tried in when shaping the hedge
};

struct WrapReport
{
    int runs = 0;
    int completedRuns = 0;
    int freeTiles = 0;
    double solidShare = 0;
    std::vector<int> missingShapes; // of the 16 hedge pieces
    int seams = 0;
};

// The wrapped level source: the grid replaced, every other line (objects, comments) as it was. In order: fill free
// tiles at least gap tiles from any route tile or object, then open the nearest or fill the farthest to bring the
// solid share to options.solid; fill open pockets the routes never reach; avoid lone-block seams (a block whose only
// solid neighbour is on its right); then toggle free tiles one at a time, keeping each toggle that adds a hedge piece
// the level lacks without opening a seam or leaving the 20-55 % band. None with error for a source whose grid is
// not made of '.' and '#' between "grid" and "end", or a trail line that does not read.
[[nodiscard]] std::optional<std::string> WrapRoute(const std::string& sourceText,
                                                   const std::vector<std::string>& trailTexts,
                                                   const WrapOptions& options, WrapReport& report, std::string& error);

} // namespace levelc
