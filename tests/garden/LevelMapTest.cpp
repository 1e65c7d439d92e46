#include "GardenTestSupport.h"

#include "garden/LevelMap.h"

#include <gtest/gtest.h>

namespace tibble::test
{
namespace
{

// The smallest playable map: 10 x 8 tiles, a start trumpet and one nectar flower.
MapBuilder Playable()
{
    MapBuilder map(10, 8);
    map.AddAt(TypeStartTrumpet, 1, 1, 7).AddAt(TypePurpleRose, 5, 5, 0);
    return map;
}

TEST(LevelMap, ReadsSizeTilesAndRecordsWithLoaderChanges)
{
    MapBuilder map(12, 9);
    map.Solid(0, 0).Solid(11, 8, 300).Solid(3, 3, 1).Solid(4, 3, 0).Solid(5, 3, -7);
    map.Add(TypeHose, 100, 200, 315)
        .Add(TypeHose, 100, 200, 45)
        .Add(TypeHose, 100, 200, 44)
        .Add(TypeHose, 100, 200, 316)
        .Add(TypeRose, 70, 80, 3, 2)
        .AddAt(TypeStartTrumpet, 1, 1, 9)
        .AddAt(TypeMiniFlower, 5, 5, 3);
    std::vector<uint8_t> bytes = map.Bytes();
    std::string error;
    std::optional<LevelMap> parsed = LevelMap::Parse(bytes, &error);
    ASSERT_TRUE(parsed) << error;

    EXPECT_EQ(parsed->width, 12);
    EXPECT_EQ(parsed->height, 9);
    EXPECT_TRUE(parsed->IsSolidTile(0, 0));
    EXPECT_TRUE(parsed->IsSolidTile(11, 8));
    EXPECT_FALSE(parsed->IsSolidTile(3, 3)); // 1 is open garden
    EXPECT_FALSE(parsed->IsSolidTile(4, 3)); // 0 and negative values too
    EXPECT_FALSE(parsed->IsSolidTile(5, 3));
    EXPECT_FALSE(parsed->IsSolidTile(-1, 0));

    ASSERT_EQ(parsed->objects.size(), 7u);
    const int expectedParams[] = {325, 35, 44, 316};
    for (int i = 0; i < 4; i++)
        EXPECT_EQ(parsed->objects[static_cast<size_t>(i)].param, expectedParams[i]) << "hose " << i;
    EXPECT_EQ(parsed->objects[4].state, 2); // the rose's fifth field, its opening order
    EXPECT_EQ(parsed->objects[4].x, 70);
    EXPECT_EQ(parsed->objects[4].y, 80);
    // The record after the rose is read from the right place.
    EXPECT_EQ(parsed->objects[5].type, TypeStartTrumpet);
    EXPECT_EQ(parsed->startIndex, 5);
    EXPECT_EQ(parsed->nectarTotal, 20);
    for (const MapObject& object : parsed->objects)
        EXPECT_EQ(object.agentSlot, -1);
}

TEST(LevelMap, GroupsFollowTheLoaderEffectsInFileOrder)
{
    MapBuilder map = Playable(); // purple rose in group 0
    map.AddAt(TypeRedRose, 2, 2, 4)
        .AddAt(TypeRedRose, 2, 3, 4)
        .AddAt(TypeSunflower, 3, 2, 5)
        .AddAt(TypeMiniFlower, 3, 3, 5)
        .AddAt(TypePansy2, 3, 4, 5)
        .AddAt(TypeRose, 4, 2, 6, 0)
        .AddAt(TypeRose, 4, 3, 6, 1)
        .AddAt(TypeRedRose, 6, 2, 7)
        .AddAt(TypeTrumpet, 6, 3, 7) // type 5 resets the timer of its group
        .AddAt(TypeLinkTrumpet, 6, 4, 4)
        .AddAt(TypeHive, 7, 2, 5)
        .AddAt(TypePansy, 7, 3, 8);
    std::vector<uint8_t> bytes = map.Bytes();
    std::optional<LevelMap> parsed = LevelMap::Parse(bytes);
    ASSERT_TRUE(parsed);

    struct Expected
    {
        int group, timer, kind, count;
    };
    const Expected cases[] = {
        {0, 0, 0, 1},   // purple rose
        {4, 500, 2, 2}, // two red roses; the type-11 trumpet leaves the timer alone
        {5, 0, 1, 2},   // sunflower, mini flower and second pansy
        {6, 0, 0, 2},   // roses
        {7, 0, 2, 1},   // red rose then a type-5 trumpet
        {8, 0, 0, 1},   // pansy
    };
    for (const Expected& c : cases)
    {
        SCOPED_TRACE(c.group);
        const FlowerGroup& group = parsed->groups[static_cast<size_t>(c.group)];
        EXPECT_EQ(group.timer, c.timer);
        EXPECT_EQ(group.kind, c.kind);
        EXPECT_EQ(group.count, c.count);
    }
    EXPECT_EQ(parsed->nectarTotal, 90);
}

TEST(LevelMap, ShortFileReadsZerosPastItsEnd)
{
    // The last record is cut after its type and x: y and param read as 0.
    MapBuilder map = Playable();
    map.AddAt(TypePansy, 3, 3, 2);
    std::vector<uint8_t> bytes = map.Bytes();
    bytes.resize(bytes.size() - 4);
    std::string error;
    std::optional<LevelMap> parsed = LevelMap::Parse(bytes, &error);
    ASSERT_TRUE(parsed) << error;
    ASSERT_EQ(parsed->objects.size(), 3u);
    EXPECT_EQ(parsed->objects[2].x, 3 * 64);
    EXPECT_EQ(parsed->objects[2].y, 0);
    EXPECT_EQ(parsed->objects[2].param, 0);
}

TEST(LevelMap, RejectsMapsThatCannotBePlayed)
{
    struct Case
    {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* reason; // a part of the error text
    };
    auto bytesOf = [](MapBuilder map) { return map.Bytes(); };
    std::vector<uint8_t> truncatedTiles = Playable().Bytes();
    truncatedTiles.resize(4 + 2 * 10 * 8 - 1);
    std::vector<uint8_t> negativeCount = bytesOf(MapBuilder(10, 8));
    negativeCount[negativeCount.size() - 1] = 0xFF;
    negativeCount[negativeCount.size() - 2] = 0xFE;
    std::vector<uint8_t> huge = {0x00, 0x02, 0x81, 0x00}; // 512 x 129 tiles

    const Case cases[] = {
        {"empty file", {}, "smaller than"},
        {"too narrow", bytesOf(MapBuilder(9, 8).AddAt(TypeStartTrumpet, 1, 1).AddAt(TypePansy, 2, 2)), "9 x 8"},
        {"too low", bytesOf(MapBuilder(10, 7).AddAt(TypeStartTrumpet, 1, 1).AddAt(TypePansy, 2, 2)), "10 x 7"},
        {"negative size", {0xF6, 0xFF, 0x08, 0x00}, "smaller than"},
        {"tiles beyond the file", truncatedTiles, "holds"},
        {"more than 65536 tiles", huge, "65536"},
        {"negative object count", negativeCount, "negative object count"},
        {"no start trumpet", bytesOf(MapBuilder(10, 8).AddAt(TypePansy, 2, 2)), "type-10"},
        {"no nectar flower", bytesOf(MapBuilder(10, 8).AddAt(TypeStartTrumpet, 1, 1).AddAt(TypeSunflower, 2, 2)),
         "nectar"},
        {"object right of the grid", bytesOf(Playable().Add(TypeTomato, 640, 10)), "outside"},
        {"object below the grid", bytesOf(Playable().Add(TypeTomato, 10, 512)), "outside"},
        {"object left of the grid", bytesOf(Playable().Add(TypeTomato, -1, 10)), "outside"},
        {"unknown type outside", bytesOf(Playable().Add(77, 10, -64)), "outside"},
        {"group 20", bytesOf(Playable().AddAt(TypeMiniFlower, 2, 2, 20)), "group 20"},
        {"group -1", bytesOf(Playable().AddAt(TypeSunflower, 2, 2, -1)), "group -1"},
        {"trumpet group 25", bytesOf(Playable().AddAt(TypeLinkTrumpet, 2, 2, 25)), "group 25"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        std::string error = "unchanged";
        EXPECT_FALSE(LevelMap::Parse(c.bytes, &error));
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        std::optional<std::string> reason = ValidateLevelFile(c.bytes);
        ASSERT_TRUE(reason);
        EXPECT_EQ(*reason, error);

        FakeHost host;
        std::string levelError;
        EXPECT_FALSE(Level::FromBytes(0, host, c.bytes, &levelError));
        EXPECT_EQ(levelError, error);
    }
}

TEST(LevelMap, AcceptsParamsThatAreNoGroupIndex)
{
    // Hoses, traps, tomatoes, hives and the start trumpet use param otherwise.
    MapBuilder map = Playable();
    map.AddAt(TypeHose, 2, 2, 720).AddAt(TypeFlyTrap, 3, 3, -90).AddAt(TypeTomato, 4, 4, 999).AddAt(TypeHive, 5, 2, 55);
    std::vector<uint8_t> bytes = map.Bytes();
    EXPECT_FALSE(ValidateLevelFile(bytes));
}

TEST(LevelMap, SolidMaskTextHasOneLinePerRow)
{
    MapBuilder map = Playable();
    map.Solid(0, 0).Solid(9, 7).Solid(4, 3);
    std::vector<uint8_t> bytes = map.Bytes();
    std::optional<LevelMap> parsed = LevelMap::Parse(bytes);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->SolidMaskText(), "#.........\n"
                                       "..........\n"
                                       "..........\n"
                                       "....#.....\n"
                                       "..........\n"
                                       "..........\n"
                                       "..........\n"
                                       ".........#\n");
}

TEST(LevelMap, FileNamesSkipFileThreeAndThresholdsFollowThePercentages)
{
    EXPECT_STREQ(LevelFileNames[1], "maps//2.pmp");
    EXPECT_STREQ(LevelFileNames[2], "maps//4.pmp");
    EXPECT_STREQ(LevelFileNames[12], "maps//14.pmp");

    const std::vector<uint8_t> bytes = Playable().Bytes();
    struct Case
    {
        int levelIndex, threshold;
    };
    const Case cases[] = {{0, 162}, {1, 175}, {4, 202}, {12, 243}, {13, 162}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.levelIndex);
        FakeHost host;
        std::unique_ptr<Level> level = Level::FromBytes(c.levelIndex, host, bytes);
        ASSERT_TRUE(level);
        EXPECT_EQ(level->GetBarThreshold(), c.threshold);
    }
}

TEST(LevelMap, LoadReadsTheLevelsFileThroughTheHost)
{
    FakeHost host;
    std::string error;
    EXPECT_FALSE(Level::Load(2, host, &error));
    EXPECT_NE(error.find("maps//4.pmp"), std::string::npos) << error;

    host.files["maps//4.pmp"] = Playable().Bytes();
    EXPECT_TRUE(Level::Load(2, host, &error)) << error;
}

} // namespace
} // namespace tibble::test
