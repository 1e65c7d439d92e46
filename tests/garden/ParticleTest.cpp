#include "GardenTestSupport.h"

#include "garden/Particle.h"

#include <gtest/gtest.h>

namespace tibble::test
{
namespace
{

TEST(Particle, ScriptsShowTheirCelsEveryDelayUpdatesThenEnd)
{
    struct Case
    {
        const char* name;
        int row, delay;
        std::vector<int> cels; // the cel after each read of the script
    };
    const Case cases[] = {
        {"spray drop", 0, 8, {0, 0, 0, 1, 2, 3}},
        {"sparkle", 1, 6, {0, 1, 2, 0, 1, 2, 0, 1, 2, 3, 4, 5}},
        {"honey drop", 2, 8, {0, 0, 1, 2, 3}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        Particle p(nullptr, nullptr, 10, 20, 256, -512, false, c.row, c.delay);
        std::vector<int> cels;
        int updates = 0;
        while (p.Step())
        {
            updates++;
            if (updates % c.delay == 0)
                cels.push_back(p.cel);
            ASSERT_LT(updates, 1000);
        }
        updates++;
        EXPECT_EQ(cels, c.cels);
        EXPECT_EQ(updates, c.delay * static_cast<int>(c.cels.size() + 1));
        EXPECT_EQ(p.x, (10 + updates) * 256);
        EXPECT_EQ(p.y, (20 - 2 * updates) * 256);
    }
}

TEST(Particle, GravityAddsTenEachUpdate)
{
    Particle p(nullptr, nullptr, 0, 0, 0, 100, true, 2, 8);
    for (int i = 0; i < 5; i++)
        ASSERT_TRUE(p.Step());
    EXPECT_EQ(p.vy, 150);
    EXPECT_EQ(p.y, 100 + 110 + 120 + 130 + 140);
}

TEST(Particle, LevelKeepsAtMostSixtyFourAndFreesSlotsOfEndedOnes)
{
    MapBuilder map(10, 8);
    map.AddAt(TypeStartTrumpet, 1, 1).AddAt(TypePansy, 5, 5);
    FakeHost host;
    std::unique_ptr<Level> level = MakeLevel(host, map);
    for (int i = 0; i < 64; i++)
        ASSERT_EQ(level->AddParticle(Particle(level.get(), nullptr, 0, 0, 0, 0, false, 2, 1)), i);
    EXPECT_EQ(level->AddParticle(Particle(level.get(), nullptr, 0, 0, 0, 0, false, 2, 1)), -1);
    RunUpdates(*level, 6); // a delay of 1: six reads end the honey-drop script
    EXPECT_EQ(level->GetParticleCount(), 0);
    EXPECT_EQ(level->AddParticle(Particle(level.get(), nullptr, 0, 0, 0, 0, false, 0, 8)), 0);
}

} // namespace
} // namespace tibble::test
