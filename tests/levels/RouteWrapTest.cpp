// Wrapping hedge round a solution's routes: the tiles of completing runs, the objects' tiles, the hedge the level was
// drawn with and its pits stay as they were, every other line of the source too, and a seed gives one result.
#include "level/RouteWrap.h"

#include <gtest/gtest.h>

namespace levelc::test
{
namespace
{

// 12 x 9 with a floor, a pit in the floor at column 5 and a hose at the left.
const std::string Source = "# a small garden\n"
                           "grid\n"
                           "............\n"
                           "............\n"
                           "............\n"
                           "............\n"
                           "............\n"
                           "............\n"
                           "............\n"
                           "............\n"
                           "#####.######\n"
                           "end\n"
                           "start tile 1 1\n"
                           "hose at 96 444 angle 45   # the only hose\n"
                           "exit tile 9 6\n";

// A completing run along row 6 from column 1 to 10, and a failing one through the top right.
const std::string Trails = "run 0 completed 900 1,6 2,6 3,6 4,6 5,6 6,6 7,6 8,6 9,6 10,6\n"
                           "run 1 failed 11,0 11,1 11,2\n";

std::vector<std::string> Rows(const std::string& text)
{
    std::vector<std::string> rows;
    const size_t start = text.find("grid\n") + 5;
    const size_t end = text.find("end\n", start);
    for (size_t at = start; at < end; at = text.find('\n', at) + 1)
        rows.push_back(text.substr(at, text.find('\n', at) - at));
    return rows;
}

TEST(RouteWrap, KeepsRoutesObjectsHedgePitsAndOtherLines)
{
    WrapReport report;
    std::string error;
    const std::optional<std::string> wrapped = WrapRoute(Source, {Trails}, WrapOptions{}, report, error);
    ASSERT_TRUE(wrapped) << error;
    EXPECT_EQ(report.runs, 2);
    EXPECT_EQ(report.completedRuns, 1);
    const std::vector<std::string> before = Rows(Source);
    const std::vector<std::string> after = Rows(*wrapped);
    ASSERT_EQ(after.size(), before.size());
    for (int c = 1; c <= 10; c++)
        EXPECT_EQ(after[6][c], '.') << "route tile " << c;
    // Start (64 x 64 at tile 1,1), the hose's nozzle box (56..136, 404..484) and the exit (9, 6).
    for (auto [c, r] : {std::pair{1, 1}, std::pair{0, 6}, std::pair{2, 7}, std::pair{9, 6}})
        EXPECT_EQ(after[r][c], '.') << "object tile " << c << "," << r;
    EXPECT_EQ(after[8], before[8]) << "the floor and its pit";
    EXPECT_EQ(after[7][5], '.') << "the shaft above the pit";
    EXPECT_NE(after, before) << "some sky was filled";
    EXPECT_EQ(wrapped->substr(0, 22), "# a small garden\ngrid\n");
    EXPECT_NE(wrapped->find("end\nstart tile 1 1\nhose at 96 444 angle 45   # the only hose\nexit tile 9 6\n"),
              std::string::npos);

    WrapReport again;
    EXPECT_EQ(WrapRoute(Source, {Trails}, WrapOptions{}, again, error), wrapped) << "one seed, one result";
}

TEST(RouteWrap, RefusesWhatItCannotWrapWithTheReason)
{
    struct Case
    {
        const char* name;
        std::string source;
        std::string trails;
        const char* message;
    };
    const Case cases[] = {
        {"no grid", "size 12 9\n", Trails, "no \"grid\""},
        {"other tile characters", "grid\n..x.\nend\n", Trails, "line 2: only rows of '.' and '#'"},
        {"ragged rows", "grid\n....\n...\nend\n", Trails, "line 3: only rows"},
        {"a bad trail tile", Source, "run 0 completed 5 1,6 2;6\n", "'2;6'"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        WrapReport report;
        std::string error;
        EXPECT_FALSE(WrapRoute(c.source, {c.trails}, WrapOptions{}, report, error));
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
    }
}

} // namespace
} // namespace levelc::test
