// The checks of a level: what the game cannot load or play (errors), what loads but plays wrongly (warnings), and
// the nectar the exit needs.
#include "LevelTestSupport.h"

#include "level/LevelRules.h"
#include "level/MapFile.h"

#include "garden/LevelMap.h"

#include <gtest/gtest.h>

namespace levelc::test
{
namespace
{

// A small playable level: start, a hose, two purple roses, an exit. Objects follow from line 11.
std::string Garden(const std::string& extra = "")
{
    return OpenGrid(10, 8) + "start tile 1 1\n"
                             "hose at 96 508 angle 45\n"
                             "purplerose tile 4 2 group 0\n"
                             "purplerose tile 6 2 group 0\n"
                             "exit tile 8 5\n" +
           extra;
}

TEST(LevelRules, AWellFormedGardenPassesEveryCheck)
{
    Diagnostics diagnostics = CheckText(Garden(), 0);
    EXPECT_TRUE(diagnostics.Items().empty()) << Listing(diagnostics);
}

TEST(LevelRules, RefusesWhatTheGameCannotPlay)
{
    std::string wide = "grid\n";
    for (int row = 0; row < 256; row++)
        wide += std::string(257, '.') + "\n";
    wide += "end\nstart tile 1 1\npurplerose tile 2 2 group 0\n";
    struct Case
    {
        const char* what;
        std::string text;
        int line;
        const char* fragment;
    };
    const Case cases[] = {
        {"narrow", OpenGrid(9, 8) + "start tile 1 1\npurplerose tile 2 2 group 0\n", 2, "9 x 8 tiles; the screen"},
        {"low", OpenGrid(10, 7) + "start tile 1 1\npurplerose tile 2 2 group 0\n", 2, "10 x 7 tiles; the screen"},
        {"too many tiles", wide, 2, "257 x 256 tiles, more than 65536"},
        {"no start", OpenGrid(10, 8) + "purplerose tile 2 2 group 0\n", 0, "no start trumpet"},
        {"no nectar", OpenGrid(10, 8) + "start tile 1 1\nsunflower tile 2 2 group 3\n", 0, "no nectar flower"},
        {"right of the grid", Garden("pansy at 640 10 group 0\n"), 16, "pansy at (640, 10) lies outside the level"},
        {"below the grid", Garden("hive at 10 512 group 0\n"), 16, "outside the level (640 x 512 pixels)"},
        {"left of the grid", Garden("tomato at -1 10\n"), 16, "tomato at (-1, 10) lies outside"},
        {"group 20", Garden("miniflower tile 2 2 group 20\n"), 16, "miniflower group 20: groups run from 0 to 19"},
        {"negative group", Garden("redrose tile 2 2 group -1\n"), 16, "redrose group -1"},
        {"trumpet link 25", Garden("trumpet tile 2 2 link 25\n"), 16, "trumpet link 25"},
        {"link trumpet -2", Garden("linktrumpet tile 2 2 link -2\n"), 16, "linktrumpet link -2"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        Diagnostics diagnostics = CheckText(c.text);
        EXPECT_TRUE(HasMessage(diagnostics, c.line, c.fragment, true)) << Listing(diagnostics);
    }
}

// Whatever passes the checks, the game's own loader takes; whatever the loader refuses, the checks refuse too.
TEST(LevelRules, AgreeWithTheGameLoader)
{
    const std::string sources[] = {
        Garden(),
        Garden("hive at 10 10 group 40\n"), // a hive's group is not an index: loadable (with a warning)
        Garden("flytrap tile 2 2 spit -90\n"),
        OpenGrid(10, 8) + "start tile 1 1\n",
        OpenGrid(10, 8) + "purplerose tile 2 2 group 0\n",
        Garden("rose tile 2 2 group 19 order 0\n"),
        Garden("rose tile 2 2 group 20 order 0\n"),
        Garden("object 99 at 10 10 param 5\n"),
        Garden("object 99 at 10 -10\n"),
    };
    for (const std::string& text : sources)
    {
        SCOPED_TRACE(text);
        Diagnostics diagnostics;
        std::optional<LevelSource> level = LevelSource::Parse(text, diagnostics);
        ASSERT_TRUE(level);
        LevelRules::CheckPlayable(*level, diagnostics);
        const bool loads = !tibble::ValidateLevelFile(MapFile::Encode(*level)).has_value();
        EXPECT_EQ(!diagnostics.HasErrors(), loads) << Listing(diagnostics);
    }
}

TEST(LevelRules, WarnsAboutLevelsThatLoadButPlayWrongly)
{
    std::string crowd;
    for (int i = 0; i < 60; i++)
        crowd += "pansy at " + std::to_string(64 + (i % 8) * 64) + " " + std::to_string(64 + (i / 8) * 50) +
                 " group 2\n";
    struct Case
    {
        const char* what;
        std::string text;
        int line;
        const char* fragment;
    };
    const Case cases[] = {
        {"no exit", OpenGrid(10, 8) + "start tile 1 1\npurplerose tile 2 2 group 0\n", 0, "no exit"},
        {"second start", Garden("start tile 3 3\n"), 11, "a second start trumpet: the game starts the bee at the "
                                                          "last one (line 16)"},
        {"lone trumpet", Garden("sunflower tile 2 4 group 4\ntrumpet tile 2 2 link 4\n"), 17, "has no partner"},
        {"type 5 and 11 are not partners", Garden("linktrumpet tile 2 2 link 0\ntrumpet tile 3 3 link 0\n"), 16,
         "has no partner linktrumpet"},
        {"link 0", Garden("trumpet tile 2 2 link 0\ntrumpet tile 3 3 link 0\n"), 16, "link 0 is drawn closed"},
        {"trumpet never opens", Garden("trumpet tile 2 2 link 6\ntrumpet tile 3 3 link 6\n"), 16,
         "trumpet with link 6 never opens: no sunflower of group 6"},
        {"mini never opens", Garden("miniflower tile 2 2 group 3\n"), 16, "never opens: no sunflower of group 3"},
        {"pansy2 never opens", Garden("pansy2 tile 2 2 group 3\n"), 16, "pansy2 of group 3 never opens"},
        {"sunflower of the exit", Garden("sunflower tile 2 2 group 1\n"), 16, "it would open the exit at once"},
        {"hive of an empty group", Garden("hive tile 2 2 group 7\n"), 16, "hive of group 7 is never revealed"},
        {"hive outside the groups", Garden("hive tile 2 2 group 25\n"), 16, "hive of group 25 is never revealed"},
        {"rose order gap", Garden("rose tile 2 2 group 5 order 0\nrose tile 3 2 group 5 order 2\n"), 17,
         "order 2: the roses of a group must have the orders 0, 1, ..."},
        {"rose order repeat", Garden("rose tile 2 2 group 5 order 0\nrose tile 3 2 group 5 order 0\n"), 17,
         "order 0"},
        {"wilted rose", Garden("rose tile 2 2 group 5 order -1\n"), 16, "starts wilted"},
        {"roses and a sunflower", Garden("rose tile 2 2 group 5 order 1\nsunflower tile 3 3 group 5\n"), 16,
         "group 5 mixes roses with a sunflower"},
        {"red roses stopped", Garden("redrose tile 2 2 group 5\ntrumpet tile 3 3 link 5\ntrumpet tile 4 4 link 5\n"),
         0, "the red roses of group 5 never open"},
        {"tomato beside a flower", Garden("tomato tile 4 3\n"), 16, "tomato within 176 pixels of the purplerose on "
                                                                    "line 13"},
        {"crowded view", Garden("sunflower tile 1 5 group 2\n" + crowd), 0, "objects around the view at tile (0, 0): "
                                                                            "the game keeps at most 64 alive"},
        {"hose angle", Garden("hose tile 5 5 angle 360\n"), 16, "hose angle 360 lies outside 0..359"},
        {"spit angle", Garden("flytrap tile 5 5 spit -1\n"), 16, "flytrap spit -1 lies outside 0..359"},
        {"unknown type", Garden("object 99 at 10 10\n"), 16, "type 99 is not an object the game knows"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        Diagnostics diagnostics = CheckText(c.text);
        EXPECT_FALSE(diagnostics.HasErrors()) << Listing(diagnostics);
        EXPECT_TRUE(HasMessage(diagnostics, c.line, c.fragment, false)) << Listing(diagnostics);
    }
}

TEST(LevelRules, WarnsAboutObjectsInsideSolidTiles)
{
    const std::string text = "grid\n"
                             "..........\n"
                             "..........\n"
                             "..###.....\n"
                             "..........\n"
                             "..........\n"
                             "..........\n"
                             "..........\n"
                             "##########\n"
                             "end\n"
                             "start tile 1 1\n"
                             "purplerose tile 2 2 group 0\n" // line 12: centre (160, 160) in the block at row 2
                             "purplerose tile 2 1 group 0\n" // sits on the block: fine
                             "hose at 200 452 angle 0\n"     // line 14: nozzle in the floor
                             "hose at 200 444 angle 0\n"     // stands on the floor: fine
                             "exit tile 8 5\n";
    Diagnostics diagnostics = CheckText(text);
    EXPECT_TRUE(HasMessage(diagnostics, 12, "purplerose at (128, 128) has its centre (160, 160) inside a solid tile",
                           false))
        << Listing(diagnostics);
    EXPECT_TRUE(HasMessage(diagnostics, 14, "hose at (200, 452) has its nozzle", false)) << Listing(diagnostics);
    EXPECT_EQ(diagnostics.WarningCount(), 2) << Listing(diagnostics);
}

TEST(LevelRules, WarnsWhenTooFewFlowersCanOpenForTheExit)
{
    // Level 1 opens its exit at 60 %: two purple roses of three would do, but one is a mini flower of a group
    // without a sunflower and another a rose that starts wilted.
    const std::string text = OpenGrid(10, 8) + "start tile 1 1\n"
                                               "purplerose tile 4 2 group 0\n"
                                               "miniflower tile 6 2 group 3\n"
                                               "rose tile 6 4 group 4 order -1\n"
                                               "exit tile 8 5\n";
    Diagnostics diagnostics = CheckText(text, 0);
    EXPECT_TRUE(HasMessage(diagnostics, 0, "the exit needs 2 of the 3 nectar flowers, but only 1 can ever open",
                           false))
        << Listing(diagnostics);
}

TEST(LevelRules, StrictModeTurnsWarningsIntoErrors)
{
    Diagnostics diagnostics = CheckText(Garden("hive tile 2 2 group 7\n"));
    ASSERT_FALSE(diagnostics.HasErrors());
    diagnostics.WarningsAsErrors();
    EXPECT_TRUE(HasMessage(diagnostics, 16, "never revealed", true));
}

TEST(LevelRules, FlowersNeededFollowTheHoneyBar)
{
    struct Case
    {
        int flowers, levelIndex, needed;
    };
    // Threshold = percent x 270 / 100; the bar after k of n flowers is k x 270 / n (integer divisions).
    const Case cases[] = {
        {5, 0, 3},   // 60 %: 162; 3 x 270 / 5 = 162
        {4, 0, 3},   // 2 x 270 / 4 = 135 < 162
        {7, 1, 5},   // 65 %: 175; 4 of 7 give 154, 5 give 192
        {10, 12, 9}, // 90 %: 243; 9 of 10 give 243
        {11, 12, 10}, // 9 of 11 give 220, 10 give 245
        {1, 5, 1},
        {0, 5, 0},
        {20, 8, 17}, // 85 %: 229; 16 of 20 give 216, 17 give 229
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.flowers << " flowers, level index " << c.levelIndex);
        EXPECT_EQ(LevelRules::FlowersNeeded(c.flowers, c.levelIndex), c.needed);
    }
}

TEST(LevelRules, MapNamesGiveTheLevelIndex)
{
    EXPECT_EQ(LevelRules::LevelIndexOfMap("1"), 0);
    EXPECT_EQ(LevelRules::LevelIndexOfMap("2"), 1);
    EXPECT_EQ(LevelRules::LevelIndexOfMap("4"), 2);
    EXPECT_EQ(LevelRules::LevelIndexOfMap("14"), 12);
    EXPECT_EQ(LevelRules::LevelIndexOfMap("3"), -1);
    EXPECT_EQ(LevelRules::LevelIndexOfMap("15"), -1);
    EXPECT_EQ(LevelRules::LevelIndexOfMap("01"), -1);
}

} // namespace
} // namespace levelc::test
