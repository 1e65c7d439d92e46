#include "GardenTestSupport.h"

#include "garden/Res.h"
#include "garden/Bee.h"
#include "garden/Trumpet.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tibble::test
{
namespace
{

constexpr float HalfPi = 1.5707963f;

class BeeTest : public ::testing::Test
{
protected:
    // 20 x 12 open tiles with blocks where a test asks; start at tile (2, 2), a rose far away.
    void Build(std::initializer_list<std::pair<int, int>> blocks = {})
    {
        MapBuilder map(20, 12);
        for (auto [column, row] : blocks)
            map.Solid(column, row);
        map.AddAt(TypeStartTrumpet, 2, 2).AddAt(TypePurpleRose, 18, 10);
        level = MakeLevel(host, map);
    }

    Bee& bee() { return level->GetBee(); }

    FakeHost host;
    std::unique_ptr<Level> level;
};

TEST_F(BeeTest, EmergesFromTheStartTrumpetThenFallsFreely)
{
    Build();
    EXPECT_EQ(bee().state, Bee::Emerging);
    EXPECT_EQ(bee().x, 2 * 64 + 8);
    EXPECT_EQ(bee().y, 2 * 64 + 8);
    RunUpdates(*level, 80);
    ASSERT_EQ(bee().state, Bee::FreeFlight);
    EXPECT_TRUE(bee().pushable);
    EXPECT_EQ(bee().vy, 0);

    // Free fall: +0.005 per update until 0.35, then steady.
    for (int n = 1; n <= 90; n++)
    {
        ASSERT_EQ(level->Update(), Level::GoOn);
        const float expected = std::min(0.005f * static_cast<float>(n), 0.35f);
        ASSERT_NEAR(bee().vy, expected, 1e-4f) << "update " << n;
    }
    EXPECT_EQ(bee().vy, Bee::SpeedClamp);
    EXPECT_EQ(bee().baseScript, 10); // sinking
}

TEST_F(BeeTest, PushesAreCutAtTheSpeedLimitExceptWhileTumbling)
{
    Build();
    struct Case
    {
        const char* name;
        bool tumbling;
        float expectedVx;   // after the update
        float expectedStep; // how far the centre moved
    };
    const Case cases[] = {
        {"free flight", false, 0.35f, 0.35f},
        {"tumbling", true, 0.5f * Bee::TumbleDamping, 0.5f},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        PlaceBee(*level, 600, 400, 0.3f, 0);
        if (c.tumbling)
            bee().Hit();
        bee().ClearPushes();
        bee().Kick(HalfPi, 0.2f); // to the right
        ASSERT_EQ(bee().Update(), Bee::Carry);
        EXPECT_NEAR(bee().vx, c.expectedVx, 1e-5f);
        EXPECT_NEAR(bee().centreX - 600, c.expectedStep, 1e-4f);
        EXPECT_TRUE(bee().facingRight);
    }
}

TEST_F(BeeTest, CornerMaskDecidesTheBounce)
{
    struct Case
    {
        const char* name;
        std::vector<std::pair<int, int>> blocks;
        float cx, cy, vx, vy;
        bool flipX, flipY;
    };
    // The box (centre +- 19) crosses into tile column 5 / row 5 on this move.
    const Case cases[] = {
        {"outer corner, down right", {{5, 5}}, 300.9f, 300.9f, 0.3f, 0.3f, true, true},
        {"outer corner, up left", {{3, 3}}, 275.1f, 275.1f, -0.3f, -0.3f, true, true},
        {"floor below", {{4, 5}, {5, 5}}, 300.0f, 300.9f, 0.3f, 0.3f, false, true},
        {"wall on the right", {{5, 4}, {5, 5}}, 300.9f, 300.0f, 0.3f, 0.3f, true, false},
        {"inner corner", {{5, 4}, {5, 5}, {4, 5}}, 300.9f, 300.9f, 0.3f, 0.3f, true, true},
        {"block met side-on", {{5, 5}}, 300.9f, 320.0f, 0.3f, 0.3f, true, false},
        // Diagonal pairs (masks 5 and 10) let the bee through.
        {"diagonal gap, mask 5", {{5, 4}, {4, 5}}, 320.0f, 320.0f, 0.3f, -0.3f, false, false},
        {"diagonal gap, mask 10", {{4, 4}, {5, 5}}, 320.0f, 320.0f, 0.3f, 0.3f, false, false},
        {"open", {}, 300.9f, 300.9f, 0.3f, 0.3f, false, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        MapBuilder map(20, 12);
        for (auto [column, row] : c.blocks)
            map.Solid(column, row);
        map.AddAt(TypeStartTrumpet, 12, 2).AddAt(TypePurpleRose, 18, 10);
        level = MakeLevel(host, map);
        PlaceBee(*level, c.cx, c.cy, c.vx, c.vy);
        ASSERT_EQ(bee().Update(), Bee::Carry);
        EXPECT_FLOAT_EQ(bee().vx, c.flipX ? -c.vx : c.vx);
        EXPECT_FLOAT_EQ(bee().vy, c.flipY ? -c.vy : c.vy);
        EXPECT_FLOAT_EQ(bee().centreX, c.flipX ? c.cx : c.cx + c.vx);
        EXPECT_FLOAT_EQ(bee().centreY, c.flipY ? c.cy : c.cy + c.vy);
    }
}

TEST_F(BeeTest, GridEdgesAreSolidExceptBelow)
{
    Build();
    EXPECT_TRUE(level->IsSolid(-1, 3));
    EXPECT_TRUE(level->IsSolid(20, 3));
    EXPECT_TRUE(level->IsSolid(3, -1));
    EXPECT_FALSE(level->IsSolid(3, 12));
    EXPECT_TRUE(level->IsSolid(-1, 12)); // the sides stay closed below the grid too

    // Flying into the left edge bounces.
    PlaceBee(*level, 19.1f, 300, -0.3f, 0);
    ASSERT_EQ(bee().Update(), Bee::Carry);
    EXPECT_FLOAT_EQ(bee().vx, 0.3f);
}

TEST_F(BeeTest, TwelveHoneyDropsFallAfterFeedingSixteenUpdatesApart)
{
    TestImages images;
    Build();
    PlaceBee(*level, 600, 300, 0, 0, Bee::FreeFlightGravity);
    bee().honeyCountdown = 200;
    // Nothing else in this garden draws random numbers: each drop takes three.
    std::vector<int> dropUpdates;
    int calls = host.randomCalls;
    for (int n = 1; n <= 220; n++)
    {
        ASSERT_EQ(level->Update(), Level::GoOn);
        if (host.randomCalls > calls)
        {
            EXPECT_EQ(host.randomCalls - calls, 3);
            dropUpdates.push_back(n);
        }
        calls = host.randomCalls;
    }
    ASSERT_EQ(dropUpdates.size(), 12u);
    EXPECT_EQ(dropUpdates.front(), 8);
    for (size_t i = 1; i < dropUpdates.size(); i++)
        EXPECT_EQ(dropUpdates[i] - dropUpdates[i - 1], 16);
    for (int slot = 0; slot < Level::ParticleSlots; slot++)
        if (const Particle* drop = level->GetParticle(slot))
        {
            EXPECT_EQ(drop->image, IMAGE_HONEYDROP);
            EXPECT_TRUE(drop->gravity);
        }
}

TEST_F(BeeTest, LostWhenTheTopLeftReachesHeightPlus32)
{
    struct Case
    {
        float startTop; // top-left y before an update that moves it by 0.35
        bool lost;
    };
    const Case cases[] = {{799.0f, false}, {799.7f, true}, {767.7f, false}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.startTop);
        host = FakeHost();
        Build(); // 12 rows: 768 pixels, lost at 800
        const float centreY = c.startTop + 24;
        PlaceBee(*level, 600, centreY, 0, 0.35f);
        ASSERT_EQ(level->Update(), Level::GoOn);
        EXPECT_EQ(host.loseLifeCalls, c.lost ? 1 : 0);
        if (c.lost)
        {
            // Back at the checkpoint (the start trumpet), which plays its opening again.
            EXPECT_EQ(bee().state, Bee::Emerging);
            EXPECT_EQ(bee().x, 2 * 64 + 8);
            EXPECT_EQ(bee().y, 2 * 64 + 8);
            EXPECT_EQ(level->GetStart()->state, 1);
            auto* start = FindLive<Trumpet>(*level, TypeStartTrumpet);
            ASSERT_TRUE(start);
            EXPECT_EQ(start->state, 2);
            EXPECT_EQ(bee().flower, start);
        }
    }
}

TEST_F(BeeTest, FallWithNoLifeLeftEndsTheGame)
{
    Build();
    host.lives = 0;
    PlaceBee(*level, 600, 768 + 32 + 24 - 0.1f, 0, 0.35f);
    EXPECT_EQ(level->Update(), Level::GameOver);
}

TEST_F(BeeTest, EnteringATrumpetTakesEightyUpdates)
{
    Build();
    bee().EnterTrumpet(nullptr);
    for (int i = 0; i < 40; i++)
        bee().Update();
    EXPECT_EQ(bee().timer, 40);
    EXPECT_EQ(bee().state, Bee::EnteringTrumpet);
    EXPECT_EQ(bee().Update(), Bee::Carry);
    for (int i = 0; i < 38; i++)
        bee().Update();
    EXPECT_EQ(bee().Update(), Bee::TransportDue); // the 80th update, no exit trumpet
    EXPECT_EQ(bee().state, Bee::Emerging);
}

} // namespace
} // namespace tibble::test
