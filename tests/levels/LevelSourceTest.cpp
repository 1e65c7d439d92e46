// The level source text: what it reads, the canonical text it writes, and the messages for damaged sources.
#include "LevelTestSupport.h"

#include "level/LevelSource.h"
#include "level/ObjectKind.h"

#include <gtest/gtest.h>

#include <set>

namespace levelc::test
{
namespace
{

TEST(LevelSource, ReadsGridLegendAndObjects)
{
    const std::string text = "# a comment line\n"
                             "size 10 8\n"
                             "legend x 0\n"
                             "legend q -7\n"
                             "grid\n"
                             "x.........\n"
                             "..........\n"
                             "..........\n"
                             "..........\n"
                             "..........\n"
                             "..........\n"
                             "....##....\n"
                             "#########q\n"
                             "end\n"
                             "start tile 1 2            # the bee comes out here\n"
                             "hose at 100 444 angle 315\n"
                             "rose tile 2.5 0.25 group 3 order 2\n"
                             "exit tile 8 5\n"
                             "object 42 at 7 9 param -3\n"
                             "tomato param 5 tile 6 1\n";
    Parsed parsed = ParseText(text);
    ASSERT_TRUE(parsed.level) << Listing(parsed.diagnostics);
    const LevelSource& level = *parsed.level;
    EXPECT_EQ(level.width, 10);
    EXPECT_EQ(level.height, 8);
    EXPECT_EQ(level.Tile(0, 0), 0);
    EXPECT_EQ(level.Tile(1, 0), LevelSource::OpenTile);
    EXPECT_EQ(level.Tile(4, 6), LevelSource::SolidTile);
    EXPECT_EQ(level.Tile(9, 7), -7);

    struct Expected
    {
        int type, x, y, param, order, line;
    };
    const Expected expected[] = {
        {10, 64, 128, 0, 0, 15}, {1, 100, 444, 315, 0, 16}, {6, 160, 16, 3, 2, 17},
        {5, 512, 320, 1, 0, 18}, {42, 7, 9, -3, 0, 19},     {9, 384, 64, 5, 0, 20},
    };
    ASSERT_EQ(level.objects.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); i++)
    {
        SCOPED_TRACE(i);
        const SourceObject& o = level.objects[i];
        EXPECT_EQ(o.type, expected[i].type);
        EXPECT_EQ(o.x, expected[i].x);
        EXPECT_EQ(o.y, expected[i].y);
        EXPECT_EQ(o.param, expected[i].param);
        EXPECT_EQ(o.order, expected[i].order);
        EXPECT_EQ(o.line, expected[i].line);
    }
}

TEST(LevelSource, CanonicalTextReadsBackToTheSameLevel)
{
    LevelSource level;
    level.width = 12;
    level.height = 9;
    level.tiles.assign(12 * 9, LevelSource::OpenTile);
    level.tiles[5] = LevelSource::SolidTile;
    level.tiles[6] = 0;
    level.tiles[7] = 9;
    level.tiles[8] = -300;
    level.tiles[9] = 1000;
    // Every kind, an exit, a type the game ignores, params the game does not read, odd positions.
    level.objects = {{1, 96, 572, 45, 0, 0},   {2, 64, 64, 4, 0, 0},     {3, 72, 40, 4, 0, 0},
                     {4, 130, 200, 270, 0, 0}, {5, 256, 0, 1, 0, 0},     {5, 256, 64, 7, 0, 0},
                     {6, 320, 64, 2, -1, 0},   {7, 384, 64, 3, 0, 0},    {8, 448, 64, 0, 0, 0},
                     {9, 512, 64, 12, 0, 0},   {10, 576, 64, 0, 0, 0},   {10, 576, 128, -1, 0, 0},
                     {11, 640, 64, 7, 0, 0},   {12, 704, 64, 19, 0, 0},  {13, 8, 16, 5, 0, 0},
                     {14, 9, 17, 5, 0, 0},     {0, 1, 2, 3, 0, 0},       {-5, 700, 500, 0, 0, 0}};

    const std::string text = level.ToText();
    Parsed parsed = ParseText(text);
    ASSERT_TRUE(parsed.level) << Listing(parsed.diagnostics) << text;
    EXPECT_EQ(parsed.diagnostics.Items().size(), 0u) << Listing(parsed.diagnostics);
    EXPECT_EQ(parsed.level->width, level.width);
    EXPECT_EQ(parsed.level->height, level.height);
    EXPECT_EQ(parsed.level->tiles, level.tiles);
    ASSERT_EQ(parsed.level->objects.size(), level.objects.size());
    for (size_t i = 0; i < level.objects.size(); i++)
    {
        SCOPED_TRACE(i);
        const SourceObject& a = level.objects[i];
        const SourceObject& b = parsed.level->objects[i];
        EXPECT_EQ(a.type, b.type);
        EXPECT_EQ(a.x, b.x);
        EXPECT_EQ(a.y, b.y);
        EXPECT_EQ(a.param, b.param);
        EXPECT_EQ(a.order, b.order);
    }
    // The canonical text is a fixed point.
    EXPECT_EQ(parsed.level->ToText(), text);
    // And it reads as a level designer would write it.
    EXPECT_NE(text.find("\nexit         tile 4 0\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nrose         tile 5 1       group 2 order -1\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nlegend 0 0\n"), std::string::npos) << text;
}

TEST(LevelSource, ManyDistinctTileValuesAreWrittenAsNumberRows)
{
    LevelSource level;
    level.width = 20;
    level.height = 10;
    level.tiles.resize(200);
    for (size_t i = 0; i < level.tiles.size(); i++)
        level.tiles[i] = static_cast<int16_t>(100 + static_cast<int>(i)); // 200 values: more than the characters
    level.objects = {{10, 0, 0, 0, 0, 0}};
    const std::string text = level.ToText();
    EXPECT_NE(text.find("grid numbers\n100 101 102 "), std::string::npos);
    Parsed parsed = ParseText(text);
    ASSERT_TRUE(parsed.level) << Listing(parsed.diagnostics);
    EXPECT_EQ(parsed.level->tiles, level.tiles);
    EXPECT_EQ(parsed.level->ToText(), text);
}

// Each damaged source is refused with a message on the line at fault.
TEST(LevelSource, DamagedSourcesNameTheLineAtFault)
{
    const std::string grid = OpenGrid(10, 8); // lines 1..10
    struct Case
    {
        const char* what;
        std::string text;
        int line;
        const char* fragment;
    };
    const Case cases[] = {
        {"unknown type", grid + "start tile 1 1\nhoze tile 2 2 angle 0\n", 12, "unknown object type 'hoze'"},
        {"no position", grid + "rose group 2\n", 11, "rose needs a position"},
        {"no param", grid + "hose tile 1 1\n", 11, "hose needs its angle"},
        {"wrong param", grid + "flytrap tile 1 1 spit 90 angle 4\n", 11, "'angle' is not a parameter of flytrap"},
        {"param twice", grid + "pansy tile 1 1 group 2 param 3\n", 11, "'param' is given twice"},
        {"order on a hose", grid + "hose tile 1 1 angle 0 order 1\n", 11, "'order' is not a parameter of hose"},
        {"link on an exit", grid + "exit tile 1 1 link 4\n", 11, "an exit is a trumpet with link 1"},
        {"two positions", grid + "hive tile 1 1 at 3 4 group 0\n", 11, "position is given twice"},
        {"half position", grid + "hive group 0 at 3\n", 11, "'at' needs two numbers"},
        {"fraction off a pixel", grid + "hive tile 1.1 1 group 0\n", 11, "land on whole pixels"},
        {"pixel outside 16 bits", grid + "hive at 40000 1 group 0\n", 11, "does not fit in 16 bits"},
        {"value outside 16 bits", grid + "hose tile 1 1 angle 70000\n", 11, "from -32768 to 32767"},
        {"not a number", grid + "hose tile 1 1 angle up\n", 11, "needs a whole number"},
        {"object 1 by number", grid + "object 1 at 3 4\n", 11, "type 1 is written 'hose'"},
        {"bad tile", "grid\n..........\n....x.....\nend\n", 3, "unknown tile character 'x' in column 5"},
        {"space in a row", "grid\n.... .....\nend\n", 2, "unknown tile character a space"},
        {"ragged row", "grid\n..........\n.........\nend\n", 3, "9 tiles wide; the first row (line 2) is 10"},
        {"empty row", "grid\n..........\n\n..........\nend\n", 3, "empty grid row"},
        {"no end", "grid\n..........\n", 1, "no 'end' line"},
        {"end alone", "end\n", 1, "'end' without a 'grid'"},
        {"second grid", grid + "grid\n..\nend\n", 11, "a second grid"},
        {"size mismatch", "size 12 8\n" + grid, 1, "size 12 x 8, but the grid (lines 3-10) is 10 x 8"},
        {"size twice", "size 10 8\nsize 10 8\n" + grid, 2, "'size' given again"},
        {"legend for '#'", "legend # 5\n" + grid, 1, "'legend' needs one character"}, // '#' starts a comment
        {"legend for '.'", "legend . 5\n" + grid, 1, "'.' always stands for 1"},
        {"legend twice", "legend a 5\nlegend a 6\n" + grid, 2, "already in the legend (line 1)"},
        {"legend value", "legend a 99999\n" + grid, 1, "does not fit in 16 bits"},
        {"grid option", "grid letters\n", 1, "'grid' takes nothing"},
        {"bad number row", "grid numbers\n1 2 x\nend\n", 2, "'x' is not a 16-bit tile value"},
        {"no grid", "start tile 1 1\n", 0, "no grid"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        Parsed parsed = ParseText(c.text);
        EXPECT_FALSE(parsed.level);
        EXPECT_TRUE(HasMessage(parsed.diagnostics, c.line, c.fragment, true)) << Listing(parsed.diagnostics);
    }
}

TEST(LevelSource, ReportsEveryDamagedLineInOneRun)
{
    Parsed parsed = ParseText(OpenGrid(10, 8) + "hoze tile 1 1\nrose group 1\nstart tile 1 1\nhive at 1 x\n");
    EXPECT_FALSE(parsed.level);
    EXPECT_EQ(parsed.diagnostics.ErrorCount(), 3);
    const std::string listing = parsed.diagnostics.Format("garden.lvl");
    EXPECT_EQ(listing.find("garden.lvl:11: error: "), 0u) << listing;
    EXPECT_NE(listing.find("garden.lvl:12: error: "), std::string::npos) << listing;
    EXPECT_NE(listing.find("garden.lvl:14: error: "), std::string::npos) << listing;
}

TEST(LevelSource, EveryKindHasItsOwnName)
{
    std::set<std::string_view> names;
    for (int type = 1; type <= 14; type++)
    {
        const ObjectKind* kind = KindOfType(type);
        ASSERT_NE(kind, nullptr) << type;
        EXPECT_EQ(KindOfName(kind->name), kind);
        names.insert(kind->name);
    }
    EXPECT_EQ(names.size(), 14u);
    EXPECT_EQ(KindOfType(15), nullptr);
    EXPECT_EQ(KindOfName(ExitName), nullptr); // an alias, not a kind
}

} // namespace
} // namespace levelc::test
