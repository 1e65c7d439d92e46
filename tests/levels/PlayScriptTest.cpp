// The planner's script writer and reader: the prefix header, the harness updates it puts the presses at, the presses
// it reads back, and the shifted presses of the robustness replay.
#include "PlayScript.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace tibble::plan
{
namespace
{

TEST(PlayScript, ReadsThePrefixHeaderAndRejectsAPrefixWithoutIt)
{
    const std::optional<PrefixInfo> info =
        ParsePrefixHeader("# first-level-update 57 draws-before 3\n10 click 300 200\n");
    ASSERT_TRUE(info);
    EXPECT_EQ(info->firstLevelUpdate, 57);
    EXPECT_EQ(info->drawsBefore, 3);

    EXPECT_TRUE(ParsePrefixHeader("# level start\n# first-level-update 5 draws-before 0\n"));
    EXPECT_FALSE(ParsePrefixHeader("10 click 300 200\n# first-level-update 5 draws-before 0\n"));
    EXPECT_FALSE(ParsePrefixHeader(""));
}

TEST(PlayScript, PutsEachPressBeforeItsLevelUpdateAndExpectsTheNextLevel)
{
    PrefixInfo prefix{100, 2};
    // Update 1..40 waiting, a press held over updates 41..60, the gap, then the exit on update 200.
    std::vector<PlanAction> actions{{-1, 40, 0, 0}, {3, 20, 120, 400}, {-1, 138, 0, 0}};
    ScriptEnding ending;
    ending.playNumber = 4;
    ending.settleUpdates = 10;
    const std::string script = WritePlayScript("# first-level-update 100 draws-before 2", prefix, actions, 200, ending);
    EXPECT_NE(script.find("# first-level-update 100 draws-before 2\n"), std::string::npos);
    EXPECT_NE(script.find("\n140 down 120 400\n160 up 120 400\n"), std::string::npos) << script;
    EXPECT_NE(script.find("\n309 expect level 5\n310 end\n"), std::string::npos) << script;
}

TEST(PlayScript, ExpectsTheFinishDialogAfterTheLastLevel)
{
    ScriptEnding ending;
    ending.playNumber = 13;
    ending.lastLevel = true;
    ending.settleUpdates = 5;
    const std::string script = WritePlayScript("", PrefixInfo{1, 0}, {{-1, 10, 0, 0}}, 10, ending);
    EXPECT_NE(script.find("\n15 expect screen dialog:CONGRATULATIONS\n16 end\n"), std::string::npos) << script;
}

TEST(PlayScript, ReadsThePressesOfTheLevelInLevelUpdates)
{
    const PrefixInfo prefix{37, 0};
    std::vector<ScriptPress> presses;
    std::string error;
    ASSERT_TRUE(ReadScriptPresses("3 click 320 450\n# a comment\n37 down 79 444  # first update\n127 up 79 444\n"
                                  "200 down 10 20\n201 up 10 20\n2917 expect level 2\n2918 end\n",
                                  prefix, presses, error))
        << error;
    ASSERT_EQ(presses.size(), 2u);
    EXPECT_EQ(presses[0].down, 1);
    EXPECT_EQ(presses[0].up, 91);
    EXPECT_EQ(presses[0].x, 79);
    EXPECT_EQ(presses[0].y, 444);
    EXPECT_EQ(presses[1].down, 164);
    EXPECT_EQ(presses[1].up, 165);

    struct Bad
    {
        const char* script;
        const char* fragment;
    };
    const Bad bad[] = {
        {"40 down 1 2\n41 down 1 2\n", "line 2"},
        {"40 up 1 2\n", "line 1"},
        {"40 down 1\n", "line 1"},
        {"40 down 1 2\n", "never released"},
    };
    for (const Bad& b : bad)
    {
        EXPECT_FALSE(ReadScriptPresses(b.script, prefix, presses, error)) << b.script;
        EXPECT_NE(error.find(b.fragment), std::string::npos) << error;
    }
}

TEST(PlayScript, ShiftedPressesStayInOrderApartAndLongEnoughToRegister)
{
    // Tight presses: 2 updates long, 3 apart, the first on the level's first update.
    std::vector<ScriptPress> presses;
    for (int i = 0; i < 50; i++)
        presses.push_back({1 + i * 5, 3 + i * 5, 100, 200});
    PressShift shift;
    shift.timeShift = 15;
    shift.pixelShift = 4;
    shift.shortestPress = 3;
    const std::vector<ScriptPress> shifted = ShiftPresses(presses, shift, 7);
    ASSERT_EQ(shifted.size(), presses.size());
    int free = 1;
    bool moved = false;
    for (size_t i = 0; i < shifted.size(); i++)
    {
        EXPECT_GE(shifted[i].down, free) << "press " << i;
        EXPECT_GE(shifted[i].up - shifted[i].down, 3) << "press " << i;
        EXPECT_LE(std::abs(shifted[i].x - 100), 4);
        EXPECT_LE(std::abs(shifted[i].y - 200), 4);
        moved = moved || shifted[i].down != presses[i].down || shifted[i].x != 100;
        free = shifted[i].up + 1;
    }
    EXPECT_TRUE(moved);

    // Seeded: the same seed gives the same run, no shift gives the presses back.
    const std::vector<ScriptPress> again = ShiftPresses(presses, shift, 7);
    for (size_t i = 0; i < again.size(); i++)
        EXPECT_EQ(again[i].down, shifted[i].down);
    const std::vector<ScriptPress> still = ShiftPresses({{10, 30, 5, 6}}, PressShift{0, 0, 1}, 3);
    EXPECT_EQ(still[0].down, 10);
    EXPECT_EQ(still[0].up, 30);
    EXPECT_EQ(still[0].x, 5);
}

} // namespace
} // namespace tibble::plan
