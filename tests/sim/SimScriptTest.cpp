#include "sim/SimScript.h"

#include <gtest/gtest.h>

namespace tibble::sim
{
namespace
{

TEST(SimScript, ReadsActionsCommentsAndTheEnd)
{
    SimScript script;
    std::string error;
    ASSERT_TRUE(script.Parse("# a comment line\n"
                             "\n"
                             "1 move 10 20\n"
                             "  5 down 300 -4   # pressed above the screen\n"
                             "5 up 301 2\n"
                             "9\tmove\t0\t0\n"
                             "12 end\n"
                             "40 end # a later end changes nothing\n"
                             "50 move 1 1\n",
                             &error))
        << error;
    ASSERT_EQ(script.Actions().size(), 5u);
    EXPECT_EQ(script.EndUpdate(), 12);
    const SimScript::Action& down = script.Actions()[1];
    EXPECT_EQ(down.update, 5);
    EXPECT_EQ(down.kind, SimScript::Action::Down);
    EXPECT_EQ(down.x, 300);
    EXPECT_EQ(down.y, -4);

    std::vector<std::pair<int, int>> seen; // (update asked, action's x)
    for (int u = 1; u <= 10; u++)
        script.ForUpdate(u, [&](const SimScript::Action& action) { seen.emplace_back(u, action.x); });
    EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{1, 10}, {5, 300}, {5, 301}, {9, 0}}));
}

TEST(SimScript, WithoutEndHasNoEndUpdate)
{
    SimScript script;
    ASSERT_TRUE(script.Parse("3 down 1 1\n"));
    EXPECT_FALSE(script.EndUpdate());
    ASSERT_TRUE(script.Parse(""));
    EXPECT_TRUE(script.Actions().empty());
}

TEST(SimScript, NamesTheLineOfTheFirstError)
{
    struct Case
    {
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {"1 move 1 1\n2 jump 3 4\n", "line 2: unknown action \"jump\""},
        {"# comment\n\nx move 1 1\n", "line 3: \"x\" is not an update number"},
        {"0 move 1 1\n", "line 1: \"0\" is not an update number"},
        {"-2 down 1 1\n", "line 1: \"-2\" is not an update number"},
        {"99999999999 end\n", "line 1:"},
        {"4\n", "line 1: an action"},
        {"4 down 1\n", "line 1: \"down\" needs X and Y"},
        {"4 up 1 2 3\n", "line 1: \"up\" needs X and Y"},
        {"4 move 1.5 2\n", "line 1: \"1.5 2\" are not integer coordinates"},
        {"4 move 1 2x\n", "line 1: \"1 2x\" are not integer coordinates"},
        {"4 end now\n", "line 1: \"end\" takes nothing after it"},
        {"5 move 1 1\n4 move 1 1\n", "line 2: update 4 comes after update 5"},
        {"1 Move 1 1\n", "line 1: unknown action \"Move\""},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.text);
        SimScript script;
        ASSERT_TRUE(script.Parse("7 down 5 5\n9 end\n"));
        std::string error;
        EXPECT_FALSE(script.Parse(c.text, &error));
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << error;
        // Unchanged by the failed parse.
        EXPECT_EQ(script.Actions().size(), 1u);
        EXPECT_EQ(script.EndUpdate(), 9);
    }
}

} // namespace
} // namespace tibble::sim
