#include "GardenTestSupport.h"

#include "garden/Agent.h"
#include "garden/AnimScript.h"

#include <gtest/gtest.h>

namespace tibble::test
{
namespace
{

class AgentTest : public ::testing::Test
{
protected:
    AgentTest()
    {
        MapBuilder map(10, 8);
        map.AddAt(TypeStartTrumpet, 1, 1).AddAt(TypePurpleRose, 5, 5);
        level = MakeLevel(host, map);
    }

    // The cels shown by n draws of script n, one per draw.
    std::vector<int> Cels(Agent& agent, int draws)
    {
        std::vector<int> cels;
        for (int i = 0; i < draws; i++)
            cels.push_back(agent.Step());
        return cels;
    }

    static std::vector<int> Repeat(std::initializer_list<std::pair<int, int>> runs)
    {
        std::vector<int> out;
        for (auto [cel, count] : runs)
            out.insert(out.end(), static_cast<size_t>(count), cel);
        return out;
    }

    FakeHost host;
    std::unique_ptr<Level> level;
};

TEST_F(AgentTest, ScriptsShowEachCelForTheirDelay)
{
    struct Case
    {
        int script;
        int draws;
        std::vector<int> cels;
        bool finished;
    };
    const Case cases[] = {
        // Opening: cels 1 to 4, then finished and the last cel holds.
        {2, 40, Repeat({{1, 8}, {2, 8}, {3, 8}, {4, 16}}), true},
        // Repeat: 3, 4, 3, 4 ...
        {7, 32, Repeat({{3, 8}, {4, 8}, {3, 8}, {4, 8}}), false},
        // Tomato idle: delay 10 set by the script, back to base re-reads it.
        {18, 50, Repeat({{1, 10}, {2, 10}, {1, 10}, {0, 10}, {1, 10}}), false},
        // Tumbling: delay 5, then script 14 keeps that delay until it returns to its base (13).
        {13, 50, Repeat({{10, 5}, {11, 5}, {12, 5}, {13, 5}, {14, 5}, {15, 5}, {16, 5}, {17, 5}, {10, 5}, {11, 5}}),
         false},
        // Cel 2 then back to the base script, itself: cel 2 for good.
        {6, 24, Repeat({{2, 24}}), false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.script);
        Agent agent(level.get(), nullptr, 0, 0);
        agent.SetScript(c.script);
        EXPECT_EQ(Cels(agent, c.draws), c.cels);
        EXPECT_EQ(agent.finished, c.finished);
    }
}

TEST_F(AgentTest, WingStepsAndBaseScriptSwitch)
{
    Agent agent(level.get(), nullptr, 0, 0);
    agent.SetScript(11); // feeding: wings off
    agent.wings = true;
    agent.Step();
    EXPECT_FALSE(agent.wings);

    // Flying with base "rising": after 2, 3, 4, 3 it continues with the rising cels.
    agent.SetScript(8);
    agent.baseScript = 9;
    agent.wings = false;
    EXPECT_EQ(Cels(agent, 40), Repeat({{2, 8}, {3, 8}, {4, 8}, {3, 8}, {0, 8}}));
    EXPECT_TRUE(agent.wings);
    EXPECT_EQ(agent.script, 9);
}

TEST_F(AgentTest, PausedBoardFreezesTheAnimation)
{
    Agent agent(level.get(), nullptr, 0, 0);
    agent.SetScript(2);
    EXPECT_EQ(Cels(agent, 9), Repeat({{1, 8}, {2, 1}}));
    host.paused = true;
    EXPECT_EQ(Cels(agent, 100), Repeat({{2, 100}}));
    host.paused = false;
    EXPECT_EQ(Cels(agent, 8), Repeat({{2, 7}, {3, 1}}));
}

TEST(AnimScript, EveryScriptEndsInAStepThatNeverReadsPastIt)
{
    for (int n = 0; n < AnimScriptCount; n++)
    {
        SCOPED_TRACE(n);
        bool ended = false;
        for (int i = 0; i < AnimScriptLength && !ended; i++)
        {
            const int8_t b = AnimScript[n][i];
            if (b == StepHold || b == StepRepeat || b == StepBackToBase)
                ended = true;
            if (b == StepGoto)
            {
                ASSERT_LT(i + 1, AnimScriptLength);
                EXPECT_GE(AnimScript[n][i + 1], 0);
                EXPECT_LT(AnimScript[n][i + 1], AnimScriptCount);
                ended = true;
            }
            if (b == StepDelay)
                i++;
        }
        EXPECT_TRUE(ended);
    }
}

} // namespace
} // namespace tibble::test
