// The design metrics of "levelc info": hedge shapes with the grid's sides and top as walls, solid share, chambers
// made by the hedge, and the seams the auto-tiler leaves where a hedge's only neighbour is on its right.
#include "LevelTestSupport.h"

#include "level/LevelMetrics.h"

#include <gtest/gtest.h>

namespace levelc::test
{
namespace
{

LevelMetrics MetricsOf(const std::string& grid,
                       const std::string& objects = "start tile 1 1\npurplerose tile 2 1 group 0\n")
{
    Parsed parsed = ParseText("grid\n" + grid + "end\n" + objects);
    EXPECT_TRUE(parsed.level) << Listing(parsed.diagnostics);
    return parsed.level ? LevelMetrics::Measure(*parsed.level) : LevelMetrics{};
}

constexpr int U = LevelMetrics::Above;
constexpr int R = LevelMetrics::Right;
constexpr int D = LevelMetrics::Below;
constexpr int L = LevelMetrics::Left;

TEST(LevelMetrics, ShapesCountTheSidesAndTopAsWallsAndTheBottomAsOpen)
{
    // A floor along the bottom, a post standing on it, a lone block in the air and a block in the top-right corner.
    const LevelMetrics m = MetricsOf("..........\n"
                                     "..........\n"
                                     "....#.....\n"
                                     "..........\n"
                                     "..........\n"
                                     "........#.\n"
                                     "........#.\n"
                                     "##########\n");
    struct Case
    {
        int shape;
        int tiles;
        const char* what;
    };
    const Case cases[] = {
        {0, 1, "the lone block"},
        {R | L, 9, "the floor, its ends leaning on the side walls (the bottom is open)"},
        {U | R | L, 1, "the floor under the post"},
        {D, 1, "the post's top"},
        {U | D, 1, "the post's middle"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(m.shapeTiles[static_cast<size_t>(c.shape)], c.tiles) << c.what;
    EXPECT_EQ(m.ShapesUsed(), 5);
    EXPECT_EQ(m.solidTiles, 13);
    EXPECT_DOUBLE_EQ(m.SolidShare(), 13.0 / 80.0);

    // The top row and the right column are walls too.
    const LevelMetrics corner = MetricsOf(".........#\n..........\n..........\n..........\n..........\n"
                                          "..........\n..........\n..........\n");
    EXPECT_EQ(corner.shapeTiles[U | R], 1);
}

TEST(LevelMetrics, ASeamIsABlockWhoseOnlySolidNeighbourIsOnItsRight)
{
    struct Case
    {
        const char* rows;
        int seams;
        const char* what;
    };
    const Case cases[] = {
        {"..........\n..........\n..........\n..........\n..........\n..........\n..........\n##########\n", 1,
         "a floor across the grid: its left end has open sky beyond the grid"},
        {"..........\n..........\n..........\n..........\n..........\n..........\n#.........\n##########\n", 0,
         "the floor's left end under a wall block"},
        {"..........\n..........\n...####...\n..........\n..........\n..........\n..........\n..........\n", 1,
         "a ledge in the air"},
        {"..........\n..........\n...####...\n...#......\n..........\n..........\n..........\n..........\n", 0,
         "a ledge with a drop at its left end"},
        {"..........\n..........\n...#......\n..........\n..........\n..........\n..........\n..........\n", 0,
         "a lone block is meant to look alone"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MetricsOf(c.rows, "start tile 5 5\npurplerose tile 6 5 group 0\n").seams, c.seams) << c.what;
}

TEST(LevelMetrics, ChambersAreOpenRegionsWithSomethingInThem)
{
    // A wall splits the garden in two; a sealed pocket inside the hedge at the right holds nothing.
    const std::string grid = "....#.....\n"
                             "....#.....\n"
                             "....#.....\n"
                             "....#.###.\n"
                             "....#.#.#.\n"
                             "....#.###.\n"
                             "....#.....\n"
                             "##########\n";
    const LevelMetrics both = MetricsOf(grid, "start tile 1 1\npurplerose tile 8 1 group 0\n");
    EXPECT_EQ(both.chambers, 2);
    EXPECT_EQ(both.sealedPockets, 1);
    const LevelMetrics one = MetricsOf(grid, "start tile 1 1\npurplerose tile 2 1 group 0\n");
    EXPECT_EQ(one.chambers, 1);
    EXPECT_EQ(one.sealedPockets, 2);
}

} // namespace
} // namespace levelc::test
