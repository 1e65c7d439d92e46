#include "graphics/AnimInfo.h"

#include <gtest/gtest.h>

using zest::AnimInfo;

TEST(AnimInfo, SetCelsBuildsFrameTablesAndTimes)
{
    AnimInfo pingPong;
    pingPong.animType = AnimInfo::AnimTypePingPong;
    pingPong.frameDelay = 10;
    pingPong.SetCels(4, 0, 0);
    EXPECT_EQ(pingPong.frameMap, (std::vector<int>{0, 1, 2, 3, 2, 1}));
    EXPECT_EQ(pingPong.totalAnimTime, 60);
    EXPECT_EQ(pingPong.GetCel(35), 3);  // frame 3
    EXPECT_EQ(pingPong.GetCel(45), 2);  // frame 4 maps back to cel 2
    EXPECT_EQ(pingPong.GetCel(65), 0);  // loops

    AnimInfo once;
    once.animType = AnimInfo::AnimTypeOnce;
    once.frameDelay = 0; // raised to 1
    once.perFrameDelay = {5, 0};
    once.SetCels(3, 0, 50);
    EXPECT_EQ(once.frameDelay, 1);
    EXPECT_EQ(once.perFrameDelay, (std::vector<int>{5, 1, 50}));
    EXPECT_EQ(once.totalAnimTime, 56);
    EXPECT_EQ(once.GetCel(5), 1);
    EXPECT_EQ(once.GetCel(1000), 2); // holds the last frame

    AnimInfo loop;
    loop.animType = AnimInfo::AnimTypeLoop;
    loop.frameDelay = 7;
    loop.SetCels(0, 20, 0);
    EXPECT_EQ(loop.numCels, 1);
    EXPECT_EQ(loop.totalAnimTime, 20);
    EXPECT_EQ(loop.GetCel(19), 0);
}
