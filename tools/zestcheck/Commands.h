// The commands of zestcheck, the data checker. Each takes the arguments after its own name, prints its findings to
// stdout (errors to stderr) and answers the process exit code: 0 good, 1 the data failed the check, 2 wrong usage.
#pragma once

#include <string>
#include <vector>

namespace zestcheck
{

using Arguments = std::vector<std::string>;

// --image FILE [--alpha]: loads FILE with the image loader and prints "W H CRC", CRC being the crc32 of the ARGB
// pixels as little-endian 32-bit words in 8 lower-case hex digits; or "FAILED".
int CheckImage(const Arguments& arguments);

// --font FILE: loads FILE as an image-font descriptor and prints "OK ascent=A height=H linespacing=L" at its default
// point size, or the descriptor's error text exactly as the font reports it.
int CheckFont(const Arguments& arguments);

// --level FILE: reads FILE as a level map and prints "W H OBJECTS NECTAR" (size in tiles, object count, nectar total)
// and then one line per tile row of the solid mask ('#' solid, '.' open); or "FILE: reason" when the map cannot be
// played, with exit code 1.
int CheckLevel(const Arguments& arguments);

// --manifest FILE: reads FILE as a resource manifest (reading only) and prints "OK" and then one line per group,
// "GROUP<TAB>COUNT", in the order the groups first appear; or the manager's error text exactly, with exit code 1.
int CheckManifest(const Arguments& arguments);

// [DATA_DIR]: checks the game's data as the game starts up, in DATA_DIR (default: the current folder) with its
// main.pak when present: reads the manifest, loads groups "Init", "TitleScreen" and "Game", binds every resource
// identifier and, when the data has level maps, checks all thirteen. Prints "OK", or the first error text (as the
// game would show it; "FILE: reason" for a map) with exit code 1.
int CheckData(const Arguments& arguments);

} // namespace zestcheck
