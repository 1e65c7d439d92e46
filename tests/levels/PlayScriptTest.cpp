// The planner's script writer: the prefix header it reads and the harness updates it puts the presses at.
#include "PlayScript.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace tibble::plan
