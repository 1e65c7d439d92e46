// Helpers of the level compiler tests: parsing a source with its messages, and a writer of map file bytes field by
// field so that a test can build any map, including ones the compiler would never write.
#pragma once

#include "level/Diagnostics.h"
#include "level/LevelSource.h"

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace levelc::test
{

struct Parsed
{
    std::optional<LevelSource> level;
    Diagnostics diagnostics;
};

Parsed ParseText(const std::string& text);

// Parse, then the playability and design checks, as "levelc compile" runs them (level index -1: no nectar share).
Diagnostics CheckText(const std::string& text, int levelIndex = -1);

// True when some message is on line and contains fragment; error chooses errors or warnings.
bool HasMessage(const Diagnostics& diagnostics, int line, const std::string& fragment, bool error);

// All messages, one per line, for failure output.
std::string Listing(const Diagnostics& diagnostics);

// Little-endian int16 values, one after the other.
std::vector<uint8_t> Int16Bytes(std::initializer_list<int> values);

// A grid of '.' rows of the given size, framed by "grid"/"end", for sources that test objects.
std::string OpenGrid(int width, int height);

// The shipped level sources, in the order of play; empty when the folder cannot be read.
std::vector<std::string> ShippedLevelFiles();
std::string ReadFile(const std::string& path);

} // namespace levelc::test
