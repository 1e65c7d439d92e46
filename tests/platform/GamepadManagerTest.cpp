#include "platform/EventPump.h"
#include "platform/Gamepad.h"
#include "platform/GamepadManager.h"
#include "platform/VirtualGamepad.h"

#include <gtest/gtest.h>

#include <vector>

namespace zest
{
namespace
{

// A pump with gamepads started and a virtual pad that can be plugged in. Every test polls until the
// messages it expects have come (SDL reports the virtual pad's changes at the next event poll).
class GamepadManagerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!pump.StartGamepads())
            GTEST_SKIP() << "no game controller support here";
        Drain();
    }

    std::vector<WindowMessage> Poll()
    {
        std::vector<WindowMessage> out;
        for (int i = 0; i < 5; i++)
            pump.Poll(out);
        return out;
    }
    void Drain() { (void)Poll(); }

    void Plug()
    {
        if (!pad.Attach())
            GTEST_SKIP() << "no virtual joystick: " << pad.LastError();
    }

    EventPump pump;
    VirtualGamepad pad;
};

struct Expected
{
    uint32_t message;
    int code;
    int64_t value;
};

void ExpectMessages(const std::vector<WindowMessage>& got, const std::vector<Expected>& want, int slot)
{
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); i++)
    {
        SCOPED_TRACE(i);
        EXPECT_EQ(got[i].message, want[i].message);
        EXPECT_EQ(GamepadSlot(got[i].wparam), slot);
        EXPECT_EQ(GamepadCode(got[i].wparam), want[i].code);
        EXPECT_EQ(got[i].lparam, want[i].value);
    }
}

TEST_F(GamepadManagerTest, PluggingInReportsThePadInTheFirstFreeSlot)
{
    Plug();
    ExpectMessages(Poll(), {{WM_GAMEPADADDED, 0, 0}}, 0);
    EXPECT_EQ(pump.Gamepads().Count(), 1);
    EXPECT_TRUE(pump.Gamepads().IsConnected(0));
    EXPECT_FALSE(pump.Gamepads().Name(0).empty());
}

TEST_F(GamepadManagerTest, ButtonsAndAxesBecomeMessages)
{
    Plug();
    Drain();
    pad.SetButton(GamepadA, true);
    pad.SetButton(GamepadStart, true);
    ExpectMessages(Poll(), {{WM_GAMEPADBUTTONDOWN, GamepadA, 0}, {WM_GAMEPADBUTTONDOWN, GamepadStart, 0}}, 0);
    pad.SetButton(GamepadA, false);
    ExpectMessages(Poll(), {{WM_GAMEPADBUTTONUP, GamepadA, 0}}, 0);

    struct Case
    {
        int value;
        std::vector<Expected> want;
    };
    // Small moves are not worth a message; near the centre counts as the centre; the ends always report.
    const Case cases[] = {
        {20000, {{WM_GAMEPADAXIS, GamepadLeftX, 20000}}},
        {20100, {}},
        {32767, {{WM_GAMEPADAXIS, GamepadLeftX, 32767}}},
        {-32768, {{WM_GAMEPADAXIS, GamepadLeftX, -32768}}},
        {100, {{WM_GAMEPADAXIS, GamepadLeftX, 0}}},
        {0, {}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.value);
        pad.SetAxis(GamepadLeftX, c.value);
        ExpectMessages(Poll(), c.want, 0);
    }
}

TEST_F(GamepadManagerTest, UnpluggingReleasesWhatThePadHeld)
{
    Plug();
    Drain();
    pad.SetButton(GamepadB, true);
    pad.SetAxis(GamepadRightY, -30000);
    Drain();
    pad.Detach();
    std::vector<WindowMessage> got = Poll();
    // SDL lets go of the pad's axes, then its buttons, before it goes (the manager would otherwise do it).
    ExpectMessages(got,
                   {{WM_GAMEPADAXIS, GamepadRightY, 0}, {WM_GAMEPADBUTTONUP, GamepadB, 0}, {WM_GAMEPADREMOVED, 0, 0}},
                   0);
    EXPECT_EQ(pump.Gamepads().Count(), 0);

    // Plugged in again, it takes the freed slot and starts at rest.
    Plug();
    ExpectMessages(Poll(), {{WM_GAMEPADADDED, 0, 0}}, 0);
}

} // namespace
} // namespace zest
