#include "GardenTestSupport.h"

#include "garden/Bee.h"
#include "garden/Hose.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tibble::test
{
namespace
{

constexpr float DegToRad = 3.141592654f / 180;

class HoseTest : public ::testing::Test
{
protected:
    // Hoses at the given positions and angles; the camera stays at (0, 0), so screen = level.
    void Build(std::initializer_list<std::array<int, 3>> hoses)
    {
        MapBuilder map(20, 12);
        for (const auto& h : hoses)
            map.Add(TypeHose, h[0], h[1], h[2]);
        map.AddAt(TypeStartTrumpet, 2, 2).AddAt(TypePurpleRose, 18, 10);
        level = MakeLevel(host, map);
        RunUpdates(*level, 80); // the bee has come out of the start trumpet
    }

    Hose* HoseAt(int x)
    {
        for (int slot = 0; slot < Level::AgentSlots; slot++)
            if (auto* hose = dynamic_cast<Hose*>(level->GetAgent(slot)); hose && hose->x == x)
                return hose;
        return nullptr;
    }

    Bee& bee() { return level->GetBee(); }

    FakeHost host;
    std::unique_ptr<Level> level;
};

TEST_F(HoseTest, GrabPointLiesOnTheBodyOppositeTheSpray)
{
    Build({{{300, 400, 0}}, {{500, 400, 90}}, {{700, 400, 180}}});
    struct Case
    {
        int x, grabX, grabY;
    };
    const Case cases[] = {{300, 300, 430}, {500, 470, 400}, {700, 700, 370}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.x);
        Hose* hose = HoseAt(c.x);
        ASSERT_TRUE(hose);
        EXPECT_EQ(hose->grabX, c.grabX);
        EXPECT_EQ(hose->grabY, c.grabY);
        EXPECT_EQ(hose->drawLayer, 1);
    }
}

TEST_F(HoseTest, SectorsFollowTheAngle)
{
    struct Case
    {
        int degrees, sector;
    };
    const Case cases[] = {{0, 8},   {44, 8},  {46, 1},  {90, 1},  {134, 1}, {136, 2}, {180, 2},
                          {224, 2}, {226, 4}, {270, 4}, {314, 4}, {316, 8}, {350, 8}, {-30, 8}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.degrees);
        EXPECT_EQ(Hose::SectorOf(static_cast<float>(c.degrees) * DegToRad), c.sector);
    }
}

TEST(HoseCone, BeeMustOverlapTheTwentyTwoDegreeConeWithinRange)
{
    auto at = [](float bearingDegrees, float r) {
        return std::pair<float, float>(r * std::sin(bearingDegrees * DegToRad),
                                       r * std::cos(bearingDegrees * DegToRad));
    };
    struct Case
    {
        const char* name;
        float angleDegrees;
        std::pair<float, float> bee; // dx, dy (up positive)
        bool hit;
    };
    const Case cases[] = {
        {"straight ahead", 0, at(0, 100), true},
        {"edge of the cone plus the bee's half width", 0, at(22 + 6.8f, 200), true},
        {"beside the cone", 0, at(22 + 7.2f, 200), false},
        {"within 24 pixels of the pivot", 0, at(0, 23.5f), false},
        {"at the pivot", 0, {0.0f, 0.0f}, false},
        {"out of range", 0, at(0, 320), false},
        {"just in range", 0, at(0, 319), true},
        // 350 degrees is taken as -10 for the cone.
        {"350, bee at -10", 350, at(-10, 200), true},
        {"350, bee at -35", 350, at(-35, 200), true},
        {"350, bee at 25", 350, at(25, 200), false},
        {"90, bee to the right", 90, at(90, 150), true},
        {"90, bee to the left", 90, at(-90, 150), false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Hose::ConeHits(c.angleDegrees * DegToRad, c.bee.first, c.bee.second), c.hit);
    }
}

TEST_F(HoseTest, HeldThirtyTwoUpdatesShowsNoDropsAndPushesThirtyOneMoreAfterRelease)
{
    Build({{{300, 400, 0}}});
    Hose* hose = HoseAt(300);
    ASSERT_TRUE(hose);
    PlaceBee(*level, 300, 200, 0, 0, Bee::FreeFlightGravity);

    host.Mouse(300, 430, true);
    for (int n = 0; n < 32; n++)
    {
        ASSERT_EQ(level->Update(), Level::GoOn);
        EXPECT_EQ(level->GetParticleCount(), 0);
        EXPECT_NEAR(bee().pushY, -1.0f / 30, 1e-6f) << n;
        EXPECT_NEAR(bee().pushX, 0, 1e-6f);
    }
    EXPECT_EQ(hose->power, 32);
    EXPECT_EQ(level->GetHeldHose(), hose);

    host.Mouse(300, 430, false);
    int pushes = 0;
    for (int n = 0; n < 50; n++)
    {
        ASSERT_EQ(level->Update(), Level::GoOn);
        if (bee().pushY != 0)
            pushes++;
    }
    EXPECT_EQ(pushes, 31);
    EXPECT_EQ(hose->power, 0);
    EXPECT_EQ(level->GetHeldHose(), nullptr);
    EXPECT_EQ(level->GetParticleCount(), 0);
}

TEST_F(HoseTest, LongHoldSpraysDropsAlongTheJet)
{
    Build({{{300, 400, 0}}});
    PlaceBee(*level, 450, 150); // beside the jet, and the camera stays
    host.Mouse(300, 430, true);
    RunUpdates(*level, 120);
    ASSERT_GT(level->GetParticleCount(), 0);
    for (int slot = 0; slot < Level::ParticleSlots; slot++)
    {
        const Particle* drop = level->GetParticle(slot);
        if (!drop)
            continue;
        // Up the jet, within 22 degrees of straight up.
        EXPECT_LT(drop->vy, -300);
        EXPECT_LE(std::abs(drop->vx), 160);
        EXPECT_LT(drop->y >> 8, 400 - 90);
    }
}

TEST_F(HoseTest, OnlyOneHoseIsHeldAndItStaysHeldWhileTheButtonIsDown)
{
    Build({{{300, 400, 0}}, {{500, 400, 0}}});
    Hose* first = HoseAt(300);
    Hose* second = HoseAt(500);
    ASSERT_TRUE(first && second);
    PlaceBee(*level, 450, 150); // the camera stays at (0, 0)

    // Pressed away from every hose, then slid onto one: that hose is taken.
    host.Mouse(400, 300, true);
    RunUpdates(*level, 3);
    EXPECT_EQ(level->GetHeldHose(), nullptr);
    host.Mouse(302, 428, true);
    RunUpdates(*level, 1);
    EXPECT_EQ(level->GetHeldHose(), first);
    EXPECT_TRUE(first->hover);

    // Slid onto the second hose with the button still down: the first stays held.
    host.Mouse(500, 430, true);
    RunUpdates(*level, 5);
    EXPECT_EQ(level->GetHeldHose(), first);
    EXPECT_EQ(first->power, 6);
    EXPECT_EQ(first->flags & Hose::HeldFlag, Hose::HeldFlag);
    EXPECT_EQ(second->power, 0);
    EXPECT_TRUE(second->hover);

    // Released: nothing is held; pressing again on the second takes it.
    host.Mouse(500, 430, false);
    RunUpdates(*level, 1);
    EXPECT_EQ(level->GetHeldHose(), nullptr);
    EXPECT_EQ(first->flags & Hose::HeldFlag, 0);
    host.Mouse(500, 430, true);
    RunUpdates(*level, 1);
    EXPECT_EQ(level->GetHeldHose(), second);
}

TEST_F(HoseTest, NeverPushesABeeBehindTheHose)
{
    // At 40 degrees (sector "up") a bee just below and right of the pivot overlaps the cone, because
    // its angular half width is large so close; it is behind the hose all the same.
    Build({{{300, 400, 40}}, {{700, 400, 350}}});
    ASSERT_TRUE(Hose::ConeHits(40 * DegToRad, 24.5f, -7));
    host.Mouse(300 - 19, 400 + 23, true); // the grab point of the 40-degree hose
    PlaceBee(*level, 300 + 24.5f, 400 + 7);
    RunUpdates(*level, 1);
    EXPECT_EQ(level->GetHeldHose()->x, 300);
    EXPECT_EQ(bee().pushX, 0);
    EXPECT_EQ(bee().pushY, 0);

    // The same bee in front of it is pushed.
    PlaceBee(*level, 300 + 24.5f, 400 - 7);
    RunUpdates(*level, 1);
    EXPECT_GT(bee().pushX, 0);
}

TEST_F(HoseTest, AngleJustBelowFullCircleSpraysUpAndSlightlyLeft)
{
    Build({{{700, 400, 350}}});
    Hose* hose = HoseAt(700);
    ASSERT_TRUE(hose);
    EXPECT_EQ(hose->spraySector, 8);
    host.Mouse(hose->grabX, hose->grabY, true);
    // -10 degrees from the pivot, 200 pixels away.
    PlaceBee(*level, 700 + 200 * std::sin(-10 * DegToRad), 400 - 200 * std::cos(-10 * DegToRad));
    RunUpdates(*level, 1);
    EXPECT_LT(bee().pushX, 0);
    EXPECT_LT(bee().pushY, 0);
}

} // namespace
} // namespace tibble::test
