#include "GardenTestSupport.h"

#include "garden/Res.h"
#include "garden/Bee.h"
#include "garden/FlowerGroup.h"
#include "garden/FlyTrap.h"
#include "garden/Hive.h"
#include "garden/MiniFlower.h"
#include "garden/PurpleRose.h"
#include "garden/RedRose.h"
#include "garden/Rose.h"
#include "garden/Sunflower.h"
#include "garden/Tomato.h"
#include "garden/Trumpet.h"
#include "graphics/Graphics.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tibble::test
{
namespace
{

class FlowerTest : public ::testing::Test
{
protected:
    // 20 x 12 tiles with a floor on the last row; the start at tile (1, 1); extra records from the test.
    void Build(MapBuilder map)
    {
        level = MakeLevel(host, map);
        RunUpdates(*level, 80); // the bee has come out
    }
    static MapBuilder Garden()
    {
        MapBuilder map(20, 12);
        for (int column = 0; column < 20; column++)
            map.Solid(column, 11);
        map.AddAt(TypeStartTrumpet, 1, 1);
        return map;
    }

    // Agent of class T whose record sits at tile (column, row).
    template <class T> T* At(int column, int row)
    {
        for (int slot = 0; slot < Level::AgentSlots; slot++)
        {
            auto* agent = dynamic_cast<T*>(level->GetAgent(slot));
            if (agent && agent->record->x == column * 64 && agent->record->y == row * 64)
                return agent;
        }
        return nullptr;
    }

    // Bee at rest, straight above the flower's centre.
    void BeeAbove(const Flower& flower, float distance) { PlaceBee(*level, flower.centreX, flower.centreY - distance); }

    // Updates until pred holds (at most limit updates); false when it never did.
    template <class Pred> bool UpdateUntil(Pred pred, int limit)
    {
        for (int i = 0; i < limit; i++)
        {
            if (pred())
                return true;
            if (level->Update() != Level::GoOn)
                return false;
        }
        return pred();
    }

    Bee& bee() { return level->GetBee(); }

    FakeHost host;
    std::unique_ptr<Level> level;
};

TEST_F(FlowerTest, NectarFlowerPullsTheBeeInFeedsItOnceAndWilts)
{
    MapBuilder map = Garden();
    map.AddAt(TypePurpleRose, 6, 5, 4).AddAt(TypePurpleRose, 12, 5, 4);
    Build(map);
    PurpleRose* rose = At<PurpleRose>(6, 5);
    ASSERT_TRUE(rose);
    BeeAbove(*rose, 60);

    ASSERT_EQ(level->Update(), Level::GoOn);
    EXPECT_EQ(rose->state, Flower::BeeComing);
    EXPECT_FALSE(bee().steerable);
    EXPECT_EQ(bee().flower, rose);

    ASSERT_TRUE(UpdateUntil([&] { return bee().state == Bee::Landing; }, 400));
    EXPECT_EQ(rose->state, Flower::Occupied);
    ASSERT_TRUE(UpdateUntil([&] { return bee().state == Bee::Resting; }, 64));
    EXPECT_EQ(level->GetNectarCollected(), 10);
    EXPECT_EQ(level->GetBarTarget(), 135);
    EXPECT_EQ(bee().honeyCountdown, 200);
    EXPECT_NEAR(bee().centreX, rose->centreX, 1.0f);
    EXPECT_NEAR(bee().centreY, rose->centreY, 1.0f);

    ASSERT_TRUE(UpdateUntil([&] { return bee().state == Bee::FreeFlight; }, 201));
    EXPECT_EQ(rose->record->state, -1);
    EXPECT_EQ(rose->state, Flower::Occupied);
    EXPECT_EQ(rose->script, 15);
    EXPECT_EQ(level->Group(4).count, 1);

    // Made again later, it comes back wilted.
    level->MoveCamera(1000, 0);
    level->MoveCamera(0, 0);
    rose = At<PurpleRose>(6, 5);
    ASSERT_TRUE(rose);
    EXPECT_EQ(rose->state, Flower::Occupied);
    EXPECT_EQ(rose->script, 15);
}

TEST_F(FlowerTest, MiniFlowerDoesNotCloseUnderALandingBee)
{
    MapBuilder map = Garden();
    map.AddAt(TypeMiniFlower, 6, 5, 3).AddAt(TypeMiniFlower, 11, 5, 3);
    Build(map);
    MiniFlower* landing = At<MiniFlower>(6, 5);
    MiniFlower* alone = At<MiniFlower>(11, 5);
    ASSERT_TRUE(landing && alone);
    EXPECT_EQ(landing->state, 4); // closed while the group's timer is 0

    level->Group(3).timer = 1000;
    RunUpdates(*level, 1);
    EXPECT_EQ(landing->state, 5); // opening
    RunDraws(*level, 40);
    RunUpdates(*level, 1);
    ASSERT_EQ(landing->state, Flower::Ready);
    ASSERT_EQ(alone->state, Flower::Ready);

    BeeAbove(*landing, 40);
    RunUpdates(*level, 1);
    ASSERT_EQ(landing->state, Flower::BeeComing);

    level->Group(3).timer = 1; // runs out on the next update
    RunUpdates(*level, 1);
    EXPECT_EQ(level->Group(3).timer, 0);
    EXPECT_EQ(alone->state, 6); // closing
    ASSERT_TRUE(UpdateUntil([&] { return bee().state == Bee::Resting; }, 300));
    EXPECT_EQ(landing->state, Flower::Occupied);
    EXPECT_EQ(level->GetNectarCollected(), 10);
}

TEST_F(FlowerTest, RoseOfOrderTwoOpensAfterTwoRosesOfItsGroupAreDrained)
{
    MapBuilder map = Garden();
    map.AddAt(TypeRose, 6, 5, 6, 0).AddAt(TypeRose, 9, 5, 6, 1).AddAt(TypeRose, 11, 5, 6, 2);
    Build(map);
    Rose* first = At<Rose>(6, 5);
    Rose* second = At<Rose>(9, 5);
    Rose* third = At<Rose>(11, 5);
    ASSERT_TRUE(first && second && third);
    EXPECT_EQ(first->state, Flower::Ready);
    EXPECT_EQ(first->script, 16);
    EXPECT_EQ(second->state, 4);
    EXPECT_EQ(third->state, 4);

    first->release();
    RunUpdates(*level, 1);
    EXPECT_EQ(level->Group(6).kind, 1);
    EXPECT_EQ(second->state, 5);
    EXPECT_EQ(third->state, 4);

    second->release();
    RunUpdates(*level, 1);
    EXPECT_EQ(third->state, 5);
    RunDraws(*level, 40);
    RunUpdates(*level, 1);
    EXPECT_EQ(third->state, Flower::Ready);
    EXPECT_EQ(level->Group(6).count, 1);
}

TEST_F(FlowerTest, RedRosesOpenAndCloseEveryFiveHundredUpdates)
{
    MapBuilder map = Garden();
    map.AddAt(TypeRedRose, 6, 5, 5);
    level = MakeLevel(host, map);
    RedRose* rose = At<RedRose>(6, 5);
    ASSERT_TRUE(rose);
    EXPECT_EQ(rose->state, 4);

    RunUpdates(*level, 499);
    EXPECT_EQ(level->Group(5).timer, 1);
    EXPECT_EQ(rose->state, 4);
    RunUpdates(*level, 1);
    EXPECT_EQ(level->Group(5).timer, 500);
    EXPECT_EQ(level->Group(5).kind, 0x82);
    EXPECT_EQ(rose->state, 5);
    RunDraws(*level, 40);
    RunUpdates(*level, 499);
    EXPECT_EQ(rose->state, Flower::Ready);
    RunUpdates(*level, 1);
    EXPECT_EQ(level->Group(5).kind, 0x02);
    EXPECT_EQ(rose->state, 6);
}

TEST_F(FlowerTest, SunflowerOpensItsGroupsTrumpetForGood)
{
    MapBuilder map = Garden();
    map.AddAt(TypeSunflower, 6, 5, 2).AddAt(TypeLinkTrumpet, 10, 2, 2).AddAt(TypePansy, 18, 1, 9);
    Build(map);
    Sunflower* sunflower = At<Sunflower>(6, 5);
    Trumpet* trumpet = At<Trumpet>(10, 2);
    ASSERT_TRUE(sunflower && trumpet);
    EXPECT_EQ(trumpet->state, 4);
    RunUpdates(*level, 100);
    EXPECT_EQ(trumpet->state, 4);

    BeeAbove(*sunflower, 50);
    ASSERT_TRUE(UpdateUntil([&] { return bee().state == Bee::Landing; }, 400));
    RunUpdates(*level, 1);
    EXPECT_EQ(level->Group(2).timer, 1000);
    EXPECT_EQ(trumpet->state, 5);
    EXPECT_EQ(trumpet->delay, 12);
    // Opening: cels 0 to 4 at 12 draws per cel.
    std::vector<int> cels;
    zest::Graphics g;
    for (int i = 0; i < 60; i++)
    {
        trumpet->draw(g);
        cels.push_back(trumpet->cel);
    }
    for (int i = 0; i < 60; i++)
        EXPECT_EQ(cels[static_cast<size_t>(i)], i / 12) << i;

    // The sunflower gives no nectar; after 80 updates the bee takes off and it rests.
    ASSERT_TRUE(UpdateUntil([&] { return bee().state == Bee::Resting; }, 64));
    ASSERT_TRUE(UpdateUntil([&] { return bee().state == Bee::FreeFlight; }, 81));
    EXPECT_EQ(level->GetNectarCollected(), 0);
    EXPECT_EQ(sunflower->state, Flower::RestingAfterUse);
    bee().state = Bee::CaughtInTrap; // keeps the bee still and out of the way from here on

    ASSERT_TRUE(UpdateUntil([&] { return level->Group(2).timer == -1; }, 1000));
    RunDraws(*level, 70);
    RunUpdates(*level, 10);
    EXPECT_EQ(trumpet->state, Flower::Ready);
}

TEST_F(FlowerTest, DrainingAGroupRevealsItsHivesEvenOffScreen)
{
    MapBuilder map(40, 12);
    map.AddAt(TypeStartTrumpet, 1, 1)
        .AddAt(TypePurpleRose, 6, 5, 4)
        .AddAt(TypeHive, 8, 5, 4)
        .AddAt(TypeHive, 35, 5, 4)
        .AddAt(TypeHive, 9, 5, 7);
    Build(map);
    PurpleRose* rose = At<PurpleRose>(6, 5);
    Hive* near = At<Hive>(8, 5);
    Hive* other = At<Hive>(9, 5);
    ASSERT_TRUE(rose && near && other);
    EXPECT_EQ(At<Hive>(35, 5), nullptr); // not made: far from the view
    EXPECT_FALSE(near->visible);

    rose->release(); // the group's last nectar flower is drained
    EXPECT_TRUE(near->visible);
    EXPECT_EQ(near->state, 0);
    EXPECT_FALSE(other->visible);
    MapObject& farRecord = level->GetObjects()[3];
    EXPECT_EQ(farRecord.state, 1);

    level->MoveCamera(35 * 64 - 300, 0);
    Hive* far = At<Hive>(35, 5);
    ASSERT_TRUE(far);
    EXPECT_TRUE(far->visible);
    EXPECT_EQ(far->drawLayer, 2);

    // Collected: a hive for the board, ten honey drops, and it never comes back.
    PlaceBee(*level, far->centreX + 40, far->centreY);
    RunUpdates(*level, 1);
    EXPECT_EQ(host.hives, 1);
    EXPECT_EQ(farRecord.state, -1);
    EXPECT_FALSE(far->visible);
    EXPECT_GE(level->GetParticleCount(), 10);
    level->RevealHives(4);
    EXPECT_EQ(farRecord.state, -1);
    level->MoveCamera(0, 0);
    level->MoveCamera(35 * 64 - 300, 0);
    ASSERT_TRUE(At<Hive>(35, 5));
    EXPECT_FALSE(At<Hive>(35, 5)->visible);
}

TEST_F(FlowerTest, HiveBobsWithTheUpdateCounter)
{
    MapBuilder map = Garden();
    map.AddAt(TypePurpleRose, 6, 5, 4).AddAt(TypeHive, 8, 5, 4);
    Build(map);
    At<PurpleRose>(6, 5)->release();
    Hive* hive = At<Hive>(8, 5);
    ASSERT_TRUE(hive);
    for (int i = 0; i < 64; i++)
    {
        RunUpdates(*level, 1);
        ASSERT_EQ(hive->y, 5 * 64 + HiveBobTable[(level->GetUpdateCounter() >> 2) & 15]);
    }
}

TEST_F(FlowerTest, FlyTrapSwallowsChewsAndSpitsTheBeeAlongItsParam)
{
    SOUND_BURP = 17;
    MapBuilder map = Garden();
    map.AddAt(TypeFlyTrap, 6, 5, 90).AddAt(TypePansy, 18, 1, 9);
    Build(map);
    FlyTrap* trap = At<FlyTrap>(6, 5);
    ASSERT_TRUE(trap);
    BeeAbove(*trap, 20);
    RunUpdates(*level, 1);
    EXPECT_EQ(bee().state, Bee::CaughtInTrap);
    EXPECT_FALSE(bee().visible);
    EXPECT_EQ(trap->state, 1);

    RunUpdates(*level, 299);
    EXPECT_EQ(bee().state, Bee::CaughtInTrap);
    EXPECT_TRUE(host.sounds.empty());
    RunUpdates(*level, 1);
    EXPECT_EQ(bee().state, Bee::Tumbling);
    EXPECT_TRUE(bee().visible);
    EXPECT_NEAR(bee().vx, 4 * Bee::TumbleDamping, 1e-4f); // 90 degrees: thrown to the right
    EXPECT_NEAR(bee().vy, 0, 1e-4f);
    EXPECT_EQ(host.sounds, std::vector<int>{17});
    SOUND_BURP = 0;
}

TEST_F(FlowerTest, TomatoSwellsBurstsAndBlowsTheBeeAway)
{
    SOUND_TOMATO = 23;
    MapBuilder map = Garden();
    map.AddAt(TypeTomato, 6, 6).AddAt(TypePansy, 18, 1, 9);
    Build(map);
    Tomato* tomato = At<Tomato>(6, 6);
    ASSERT_TRUE(tomato);
    BeeAbove(*tomato, 50);
    RunUpdates(*level, 1);
    EXPECT_EQ(tomato->state, 1);
    EXPECT_NEAR(tomato->scale, (16384.0f - 2500) / 16384 + 1, 1e-5f);

    ASSERT_TRUE(UpdateUntil([&] { return tomato->state == 2; }, 100));
    EXPECT_EQ(bee().state, Bee::Tumbling);
    // Straight up, with the strength of the nearest distance: (400 - 64) / 60.
    EXPECT_NEAR(bee().vy, -5.6f * Bee::TumbleDamping, 1e-3f);
    EXPECT_NEAR(bee().vx, 0, 1e-4f);
    EXPECT_EQ(host.sounds, std::vector<int>{23});
    SOUND_TOMATO = 0;

    ASSERT_TRUE(UpdateUntil([&] { return tomato->state == 3; }, 101));
    EXPECT_FLOAT_EQ(tomato->scale, 0.01f);
    ASSERT_TRUE(UpdateUntil([&] { return tomato->state == 0; }, 200));
    EXPECT_EQ(tomato->scale, 1.0f);
}

TEST_F(FlowerTest, NectarNeverPassesTheTotal)
{
    MapBuilder map = Garden();
    map.AddAt(TypePansy, 6, 5, 1).AddAt(TypePansy, 7, 5, 1).AddAt(TypePansy, 8, 5, 1);
    Build(map);
    level->AddNectar();
    level->AddNectar();
    level->AddNectar();
    EXPECT_EQ(level->GetBarTarget(), 270);
    level->AddNectar(); // a flower fed twice after a blast cut its first feeding short
    EXPECT_EQ(level->GetNectarCollected(), 30);
    EXPECT_EQ(level->GetBarTarget(), 270);
}

} // namespace
} // namespace tibble::test
