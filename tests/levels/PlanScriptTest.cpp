// The planner's script writer (the harness updates it puts the presses at, the closing expectation), the shifted
// presses of the robustness replay, and the press tuning: taps joined into holds, presses replaced in a script with
// its other lines kept, and the polish that keeps only the moves that raise the score.
#include "PlanScript.h"

#include "PressTuning.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace tibble::plan
{
namespace
{

TEST(PlanScript, PutsEachPressBeforeItsLevelUpdateAndExpectsTheNextLevel)
{
    PrefixHeader prefix{100, 2};
    // Update 1..40 waiting, a press held over updates 41..60, the gap, then the exit on update 200.
    std::vector<PlanAction> actions{{-1, 40, 0, 0}, {3, 20, 120, 400}, {-1, 138, 0, 0}};
    ScriptEnding ending;
    ending.playNumber = 4;
    ending.settleUpdates = 10;
    const std::string script = WritePlanScript("# first-level-update 100 draws-before 2", prefix, actions, 200, ending);
    EXPECT_NE(script.find("# first-level-update 100 draws-before 2\n"), std::string::npos);
    EXPECT_NE(script.find("\n140 down 120 400\n160 up 120 400\n"), std::string::npos) << script;
    EXPECT_NE(script.find("\n309 expect level 5\n310 end\n"), std::string::npos) << script;
}

TEST(PlanScript, ExpectsTheFinishDialogAfterTheLastLevel)
{
    ScriptEnding ending;
    ending.playNumber = 13;
    ending.lastLevel = true;
    ending.settleUpdates = 5;
    const std::string script = WritePlanScript("", PrefixHeader{1, 0}, {{-1, 10, 0, 0}}, 10, ending);
    EXPECT_NE(script.find("\n15 expect screen dialog:CONGRATULATIONS\n16 end\n"), std::string::npos) << script;
}

TEST(PlanScript, ShiftedPressesStayInOrderApartAndLongEnoughToRegister)
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

TEST(PlanScript, ShiftsAtALowerGameSpeedAreThePersonsRealTimeShiftsScaled)
{
    // Presses far apart, so that no shift is clamped by the one before.
    std::vector<ScriptPress> presses;
    for (int i = 0; i < 40; i++)
        presses.push_back({1000 + i * 200, 1100 + i * 200, 50, 60});
    const PressShift full{15, 4, 3, 100};
    const PressShift slow{15, 4, 3, 70};
    const std::vector<ScriptPress> atFull = ShiftPresses(presses, full, 11);
    const std::vector<ScriptPress> atSlow = ShiftPresses(presses, slow, 11);
    const std::vector<ScriptPress> byDefault = ShiftPresses(presses, PressShift{}, 11);
    ASSERT_EQ(atSlow.size(), presses.size());
    int widest = 0;
    for (size_t i = 0; i < presses.size(); i++)
    {
        // Full speed is the default; the same draw at 70 % is 0.7 of it, rounded, and the point error is the same.
        EXPECT_EQ(byDefault[i].down, atFull[i].down);
        const int fullDown = atFull[i].down - presses[i].down;
        const int fullUp = atFull[i].up - presses[i].up;
        EXPECT_EQ(atSlow[i].down - presses[i].down, std::lround(fullDown * 0.7)) << "press " << i;
        EXPECT_EQ(atSlow[i].up - presses[i].up, std::lround(fullUp * 0.7)) << "press " << i;
        EXPECT_EQ(atSlow[i].x, atFull[i].x);
        EXPECT_LE(std::abs(atSlow[i].down - presses[i].down), 11);
        widest = std::max(widest, std::abs(fullDown));
    }
    EXPECT_GT(widest, 11) << "the full-speed draws should reach beyond the slowed range";

    // The quickest click shrinks with the speed too, but never below one update.
    const std::vector<ScriptPress> clicks = ShiftPresses({{10, 11, 0, 0}}, PressShift{0, 0, 3, 10}, 1);
    EXPECT_EQ(clicks[0].up - clicks[0].down, 1);
    const std::vector<ScriptPress> slowClick = ShiftPresses({{10, 11, 0, 0}}, PressShift{0, 0, 3, 70}, 1);
    EXPECT_EQ(slowClick[0].up - slowClick[0].down, 2);
}

TEST(PressTuning, JoinsTapsOnOnePointWithinTheGap)
{
    using Held = std::vector<std::optional<ScriptPress>>;
    struct Case
    {
        const char* name;
        std::vector<ScriptPress> presses;
        int gap;
        Held wanted;
    };
    const Case cases[] = {
        {"a run within the gap becomes one hold",
         {{10, 20, 5, 6}, {22, 30, 5, 6}, {32, 40, 5, 6}},
         2,
         {ScriptPress{10, 40, 5, 6}, std::nullopt, std::nullopt}},
        {"a longer pause splits the run",
         {{10, 20, 5, 6}, {23, 30, 5, 6}},
         2,
         {ScriptPress{10, 20, 5, 6}, ScriptPress{23, 30, 5, 6}}},
        {"another point is another press",
         {{10, 20, 5, 6}, {21, 30, 5, 7}},
         2,
         {ScriptPress{10, 20, 5, 6}, ScriptPress{21, 30, 5, 7}}},
        {"gap 0 joins only touching presses",
         {{10, 20, 1, 1}, {20, 30, 1, 1}, {31, 40, 1, 1}},
         0,
         {ScriptPress{10, 30, 1, 1}, std::nullopt, ScriptPress{31, 40, 1, 1}}},
        {"nothing to join", {}, 2, {}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(HoldPresses(c.presses, c.gap), c.wanted);
    }
}

TEST(PressTuning, ReplacesThePressesInPlaceAndMovesTheClosingLinesWithTheCompletion)
{
    const std::string script = "# first-level-update 37 draws-before 0\n"
                               "3 click 320 450\n"
                               "# level 3: 100 updates\n"
                               "40 down 79 436\n"
                               "50 up 79 436\n"
                               "# the walk\n"
                               "52 down 79 436\n"
                               "60 up 79 436\n"
                               "70 down 200 100\n"
                               "80 up 200 100\n"
                               "157 expect level 4  # settled\n"
                               "158 end\n";
    const PrefixHeader prefix{37, 0};
    std::vector<ScriptPress> presses;
    std::string error;
    ASSERT_TRUE(play::ReadScriptPresses(script, prefix, presses, error)) << error;
    std::string out;
    ASSERT_TRUE(ReplacePresses(script, prefix, HoldPresses(presses, 2), 5, out, error)) << error;
    EXPECT_EQ(out, "# first-level-update 37 draws-before 0\n"
                   "3 click 320 450\n"
                   "# level 3: 100 updates\n"
                   "40 down 79 436\n"
                   "60 up 79 436\n"
                   "# the walk\n"
                   "70 down 200 100\n"
                   "80 up 200 100\n"
                   "162 expect level 4  # settled\n"
                   "163 end\n");
    // Unchanged presses and no shift give the script back byte for byte, a last line without a newline included.
    const std::string bare = "1 down 1 2\n5 up 1 2\n9 end";
    ASSERT_TRUE(play::ReadScriptPresses(bare, PrefixHeader{1, 0}, presses, error)) << error;
    ASSERT_TRUE(ReplacePresses(bare, PrefixHeader{1, 0}, {presses[0]}, 0, out, error));
    EXPECT_EQ(out, bare);

    // A script that does not read, or whose presses do not match the replacements, is refused.
    const std::pair<std::string, const char*> bad[] = {
        {"5 jump\n", "line 1: unknown action 'jump'"},
        {"40 up 1 2\n", "line 1: an up without a down"},
        {"40 down 1 2\n41 up 1 2\n42 down 1 2\n43 up 1 2\n", "the script has 2 presses, not 1"},
    };
    for (const auto& [text, message] : bad)
    {
        SCOPED_TRACE(text);
        EXPECT_FALSE(ReplacePresses(text, prefix, {ScriptPress{3, 4, 1, 2}}, 0, out, error));
        EXPECT_EQ(error, message);
    }
}

TEST(PressTuning, PolishKeepsOnlyMovesThatRaiseTheScoreAndKeepsPressesApart)
{
    // A stand-in judge: the score is the first press's length, capped at 80 updates, and the second press must not
    // start before update 120 or the script no longer completes. Each seed adds the same score.
    PolishJudge judge = [](const std::vector<ScriptPress>& presses, uint32_t)
    {
        if (presses[1].down < 120)
            return PolishScore{};
        return PolishScore{std::min(80, presses[0].up - presses[0].down), 1000 + presses[0].up};
    };
    PolishOptions options;
    options.seeds = {1, 2};
    options.rounds = 3;
    PressPolish polish(judge, options);
    std::vector<ScriptPress> presses{{10, 30, 1, 1}, {120, 200, 2, 2}};
    std::vector<int> shifts;
    const PolishScore score = polish.Run(presses, 1,
                                         [&](const std::vector<ScriptPress>& kept, int shift)
                                         {
                                             EXPECT_LT(kept[0].up, kept[1].down);
                                             shifts.push_back(shift);
                                         });
    EXPECT_EQ(score.completed, 160); // 80 on each seed
    EXPECT_GE(presses[0].up - presses[0].down, 80);
    EXPECT_LT(presses[0].up, presses[1].down);
    EXPECT_GE(presses[1].down, 120);
    ASSERT_FALSE(shifts.empty());
    EXPECT_EQ(shifts.back(), presses[0].up - 30); // the completion moved with the first press's end

    // A script that does not complete as written is not touched.
    std::vector<ScriptPress> failing{{10, 30, 1, 1}, {100, 200, 2, 2}};
    const std::vector<ScriptPress> before = failing;
    EXPECT_EQ(PressPolish(judge, options).Run(failing, 1, nullptr).completed, -1);
    EXPECT_EQ(failing, before);
}

} // namespace
} // namespace tibble::plan
