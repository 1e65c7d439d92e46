// Stored traces of small scripted levels: a change to the garden's physics shows up here as a readable diff.
// With ZEST_UPDATE_TRACES=1 in the environment the stored traces are rewritten instead (review the diff).
#include "SimTestSupport.h"

#include "garden/Bee.h"
#include "garden/MapObject.h"

#include <cstdlib>
#include <functional>
#include <ostream>

#include <gtest/gtest.h>

namespace tibble::sim::test
{
namespace
{

struct TraceCase
{
    const char* name;
    std::function<std::vector<uint8_t>()> map;
    const char* script;
    // What the trace must show besides matching the stored one, so a wrong stored trace cannot pass.
    std::function<void(const std::string& trace)> check;
};

bool Has(const std::string& trace, const std::string& text)
{
    return trace.find(text) != std::string::npos;
}

const TraceCase TraceCases[] = {
    {"free_fall", [] { return MapBuilder(10, 8).AddAt(TypeStartTrumpet, 3, 5).AddAt(TypePurpleRose, 8, 1).Bytes(); },
     "800 end\n",
     [](const std::string& trace)
     {
         // Out of the bottom of the level, one life less, and out of the start trumpet again.
         EXPECT_TRUE(Has(trace, "# lifelost "));
         EXPECT_TRUE(Has(trace, " 0.00000 0.35000 0 0 0 ")) << "falls at the speed limit";
     }},
    {"hose_push",
     []
     {
         return MapBuilder(10, 8)
             .AddAt(TypeStartTrumpet, 2, 2)
             .AddAt(TypeHose, 6, 3, 270)
             .AddAt(TypePurpleRose, 8, 6)
             .Bytes();
     },
     // The hose's grab point is 30 pixels right of its position (it sprays to the left).
     "# press the hose and hold it\n250 move 400 192\n260 down 414 192\n420 up 414 192\n700 end\n",
     [](const std::string& trace) { EXPECT_TRUE(Has(trace, " -0.35000 ")) << "pushed left to the speed limit"; }},
    {"landing_feeding",
     [] { return MapBuilder(10, 8).AddAt(TypeStartTrumpet, 3, 1).AddAt(TypePurpleRose, 3, 4).Bytes(); }, "1100 end\n",
     [](const std::string& trace)
     {
         EXPECT_TRUE(Has(trace, " 2 0 0 ")) << "lands";
         EXPECT_TRUE(Has(trace, " 4 10 ")) << "rests and feeds";
     }},
    {"trumpet_transport",
     []
     {
         // Linked trumpets of group 3; the red rose of the group keeps its timer running, so they stay open.
         return MapBuilder(20, 8)
             .AddAt(TypeStartTrumpet, 3, 1)
             .AddAt(TypeLinkTrumpet, 3, 4, 3)
             .AddAt(TypeLinkTrumpet, 14, 2, 3)
             .AddAt(TypeRedRose, 18, 6, 3)
             .Bytes();
     },
     "900 end\n",
     [](const std::string& trace)
     {
         EXPECT_TRUE(Has(trace, "# transport "));
         EXPECT_FALSE(Has(trace, "# lifelost "));
     }},
};

void PrintTo(const TraceCase& c, std::ostream* out)
{
    *out << c.name;
}

class SimTrace : public testing::TestWithParam<TraceCase>
{
};

TEST_P(SimTrace, MatchesTheStoredTrace)
{
    const TraceCase& c = GetParam();
    const std::string trace = TraceOf(c.map(), c.script);
    c.check(trace);
    const std::string path = std::string(ZEST_TEST_DIR) + "/traces/" + c.name + ".trace";
    if (const char* update = std::getenv("ZEST_UPDATE_TRACES"); update && std::string(update) == "1")
    {
        WriteText(path, trace);
        GTEST_SKIP() << "rewrote " << path;
    }
    const std::string expected = ReadText(path);
    ASSERT_FALSE(expected.empty()) << path << " is missing; run with ZEST_UPDATE_TRACES=1 to make it";
    if (const std::string report = CompareTraces(expected, trace); !report.empty())
        ADD_FAILURE() << path << ": " << report;
}

INSTANTIATE_TEST_SUITE_P(Garden, SimTrace, testing::ValuesIn(TraceCases),
                         [](const testing::TestParamInfo<TraceCase>& info) { return std::string(info.param.name); });

TEST(SimTraceCompare, AllowsSmallVelocityDifferencesAndReportsTheFirstDifferentLine)
{
    const std::string expected = "1 10 20 0.10000 0.00000 0 0 0 0 0\n2 10 20 0.10000 0.00500 0 0 0 0 0\n"
                                 "# lifelost 2\n3 11 20 0.10000 0.01000 0 0 0 0 0\n";
    EXPECT_EQ(CompareTraces(expected, expected), "");
    std::string close = expected;
    close.replace(close.find("0.00500"), 7, "0.00550");
    EXPECT_EQ(CompareTraces(expected, close), "");

    struct Case
    {
        const char* name;
        const char* from;
        const char* to;
        const char* report;
    };
    const Case cases[] = {
        {"velocity beyond tolerance", "0.01000", "0.01200", "from line 4"},
        {"integer position", "3 11 20", "3 12 20", "from line 4"},
        {"missing event", "# lifelost 2\n", "", "from line 3"},
        {"event on another update", "# lifelost 2", "# lifelost 3", "from line 3"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        std::string changed = expected;
        changed.replace(changed.find(c.from), std::string(c.from).size(), c.to);
        const std::string report = CompareTraces(expected, changed);
        EXPECT_NE(report.find(c.report), std::string::npos) << report;
        EXPECT_NE(report.find("- "), std::string::npos) << report;
    }
    EXPECT_NE(CompareTraces(expected, expected + "4 11 20 0.10000 0.01500 0 0 0 0 0\n").find("from line 5"),
              std::string::npos);
}

} // namespace
} // namespace tibble::sim::test
