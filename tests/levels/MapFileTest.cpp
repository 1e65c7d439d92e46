// The binary map format: the bytes written for a level, maps read back and written again byte for byte through
// the source text, and the files that are not whole maps.
#include "LevelTestSupport.h"

#include "level/MapFile.h"

#include <gtest/gtest.h>

namespace levelc::test
{
namespace
{

TEST(MapFile, WritesEveryFieldInFileOrder)
{
    LevelSource level;
    level.width = 2;
    level.height = 1;
    level.tiles = {1, -2};
    level.objects = {{6, 64, -1, 3, 2, 0}, {1, 96, 572, 315, 9, 0}}; // a rose has a fifth field, a hose none
    EXPECT_EQ(MapFile::Encode(level), Int16Bytes({2, 1, 1, -2, 2, 6, 64, -1, 3, 2, 1, 96, 572, 315}));
}

// Any whole map, also one the compiler would never write, comes back byte for byte from its source text.
TEST(MapFile, AnyWholeMapComesBackFromItsSourceText)
{
    std::vector<int> tiles(10 * 8, 1);
    tiles[0] = 0;
    tiles[1] = -3;
    tiles[2] = 300;
    tiles[3] = 2;
    tiles[4] = 32767;
    tiles[5] = -32768;
    struct Case
    {
        const char* what;
        std::vector<int> objects; // records, laid out as in the file
    };
    const Case cases[] = {
        {"no objects", {0}},
        {"every kind", {14, 1, 96, 572, 45,  2, 64, 64, 4,   3, 72, 40, 4,   4, 130, 200, 270, 5, 256, 0, 1,
                        6, 320, 64, 2, 3,  7, 384, 64, 3,  8, 448, 64, 0,  9, 512, 64, 0,    10, 576, 64, 0,
                        11, 600, 64, 7,    12, 100, 64, 19, 13, 8, 16, 5,   14, 9, 17, 5}},
        {"unread params", {3, 9, 10, 20, 77, 10, 30, 40, -1, 1, 1, 1, 315}},
        {"ignored types", {3, 0, 1, 2, 3, 15, 4, 5, 6, -9, 7, 8, 9}},
        {"rose orders", {2, 6, 0, 0, 0, -5, 6, 64, 64, 0, 32767}},
        {"outside the grid", {2, 8, -64, 5000, 0, 5, 0, 0, 25}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        std::vector<int> values = {10, 8};
        values.insert(values.end(), tiles.begin(), tiles.end());
        values.insert(values.end(), c.objects.begin(), c.objects.end());
        std::vector<uint8_t> bytes;
        for (int v : values)
        {
            std::vector<uint8_t> two = Int16Bytes({v});
            bytes.insert(bytes.end(), two.begin(), two.end());
        }
        std::string error;
        std::optional<LevelSource> decoded = MapFile::Decode(bytes, error);
        ASSERT_TRUE(decoded) << error;
        Parsed parsed = ParseText(decoded->ToText());
        ASSERT_TRUE(parsed.level) << Listing(parsed.diagnostics) << decoded->ToText();
        EXPECT_EQ(MapFile::Encode(*parsed.level), bytes);
    }
}

TEST(MapFile, RefusesFilesThatAreNotWholeMaps)
{
    std::vector<int> grid = {10, 8};
    grid.insert(grid.end(), 80, 1);
    auto with = [&grid](std::initializer_list<int> tail)
    {
        std::vector<int> values = grid;
        values.insert(values.end(), tail);
        std::vector<uint8_t> bytes;
        for (int v : values)
        {
            std::vector<uint8_t> two = Int16Bytes({v});
            bytes.insert(bytes.end(), two.begin(), two.end());
        }
        return bytes;
    };
    struct Case
    {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* fragment;
    };
    std::vector<uint8_t> odd = with({1, 10, 0, 0, 0});
    odd.push_back(7);
    std::vector<uint8_t> halfTiles = Int16Bytes({10, 8, 1, 1, 1});
    const Case cases[] = {
        {"empty", {}, "too short for the level size"},
        {"one byte", {10}, "too short for the level size"},
        {"negative width", Int16Bytes({-10, 8}), "negative level size -10 x 8"},
        {"negative height", Int16Bytes({10, -1}), "negative level size 10 x -1"},
        {"half the tiles", halfTiles, "file ends inside the tile grid"},
        {"huge size", Int16Bytes({32767, 32767, 1}), "file ends inside the tile grid"},
        {"no object count", with({}), "file ends before the object count"},
        {"negative object count", with({-1}), "negative object count -1"},
        {"short record", with({2, 10, 0, 0, 0, 8, 0}), "file ends inside object record 2 of 2"},
        {"rose without its order", with({1, 6, 0, 0, 0}), "file ends inside object record 1 of 1"},
        {"bytes after the last record", with({1, 10, 0, 0, 0, 99}), "2 bytes after the last object record"},
        {"odd byte after the last record", odd, "1 byte after the last object record"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        std::string error;
        EXPECT_FALSE(MapFile::Decode(c.bytes, error));
        EXPECT_NE(error.find(c.fragment), std::string::npos) << error;
    }
}

} // namespace
} // namespace levelc::test
