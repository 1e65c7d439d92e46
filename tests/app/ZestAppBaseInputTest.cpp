// The window procedure's queueing and the handling of the queued messages.
#include "platform/VirtualKeys.h"
#include "TestApp.h"
#include "graphics/MemoryImage.h"

#include <algorithm>

#include <gtest/gtest.h>

namespace zest::test
{
namespace
{

class KeyWidget : public Widget
{
public:
    void KeyDown(int key) override { downs.push_back(key); }
    void KeyUp(int key) override { ups.push_back(key); }
    std::vector<int> downs;
    std::vector<int> ups;
};

void Handle(TestApp& app)
{
    while (app.HandleQueuedMessage())
    {
    }
}

TEST(ZestAppBaseInput, FocusLossSendsEveryHeldKeyItsKeyUp)
{
    TestApp app;
    KeyWidget widget;
    widget.Resize(0, 0, 10, 10);
    app.GetWidgetManager()->AddWidget(&widget);
    app.GetWidgetManager()->SetFocus(&widget);
    for (int key : {int(VK_SHIFT), int('A'), int(VK_SPACE)})
        app.WindowProc({0, WM_KEYDOWN, static_cast<uint64_t>(key), 0});
    app.WindowProc({0, WM_KEYUP, 'A', 0});
    Handle(app);
    widget.ups.clear();

    app.WindowProc({0, WM_ACTIVATEAPP, 0, 0});
    Handle(app);
    EXPECT_FALSE(app.hasFocus);
    std::sort(widget.ups.begin(), widget.ups.end());
    EXPECT_EQ(widget.ups, (std::vector<int>{VK_SHIFT, VK_SPACE}));
    EXPECT_FALSE(app.GetWidgetManager()->IsKeyDown(VK_SHIFT));
    app.GetWidgetManager()->RemoveWidget(&widget);
}

TEST(ZestAppBaseInput, QueueingRulesHoldThroughTheWindowProcedure)
{
    TestApp app;
    app.WindowProc({0, WM_TIMER, 1, 0});
    app.WindowProc({0, WM_TIMER, 1, 0});
    app.WindowProc({0, WM_KEYDOWN, 'A', 0});
    app.WindowProc({0, WM_CLOSE, 0, 0});
    app.WindowProc({0, WM_KEYDOWN, 'B', 0});
    app.WindowProc({0, WM_TIMER, 1, 0});
    int handled = 0;
    while (app.HandleQueuedMessage())
        handled++;
    handled++; // the last call handled one too
    EXPECT_EQ(handled, 3); // timer, 'A', close
    EXPECT_TRUE(app.closedByUser);
    EXPECT_FALSE(app.GetWidgetManager()->IsKeyDown('B'));
    EXPECT_FALSE(app.HandleQueuedMessage());
}

// An application may keep the window open when asked to close (unsaved work): nothing shuts down, and a
// later close goes through once it agrees.
TEST(ZestAppBaseInput, CloseWaitsForTheApplicationsConsent)
{
    class ReluctantApp : public TestApp
    {
    public:
        bool CanClose() override
        {
            asked++;
            return agree;
        }
        int asked = 0;
        bool agree = false;
    };
    ReluctantApp app;
    app.WindowProc({0, WM_CLOSE, 0, 0});
    Handle(app);
    EXPECT_EQ(app.asked, 1);
    EXPECT_FALSE(app.shutdown);
    EXPECT_FALSE(app.closedByUser);

    app.agree = true;
    app.WindowProc({0, WM_CLOSE, 0, 0});
    Handle(app);
    EXPECT_EQ(app.asked, 2);
    EXPECT_TRUE(app.shutdown);
    EXPECT_TRUE(app.closedByUser);
}

TEST(ZestAppBaseInput, AltEnterTogglesTheModeUnlessOneIsForced)
{
    struct Case
    {
        const char* name;
        bool forceFull;
        bool forceWindowed;
        bool windowedAfterOne;
        bool windowedAfterTwo;
    };
    const Case cases[] = {
        {"free", false, false, false, true},
        {"forced full screen", true, false, false, false},
        {"forced windowed", false, true, true, true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        TestApp app;
        app.forceFullScreen = c.forceFull;
        app.forceWindowed = c.forceWindowed;
        app.isWindowed = !c.forceFull;
        app.WindowProc({0, WM_SYSKEYDOWN, VK_RETURN, 0});
        Handle(app);
        EXPECT_EQ(app.isWindowed, c.windowedAfterOne);
        // Enter itself never reaches the widgets as a held key.
        EXPECT_FALSE(app.GetWidgetManager()->IsKeyDown(VK_RETURN));
        app.WindowProc({0, WM_SYSKEYDOWN, VK_RETURN, 0});
        Handle(app);
        EXPECT_EQ(app.isWindowed, c.windowedAfterTwo);
    }
}

TEST(ZestAppBaseInput, MinimiseMutesRestoreUnmutesAndMaximiseMeansFullScreen)
{
    TestApp app;
    app.WindowProc({0, WM_SIZE, SIZE_MINIMIZED, 0});
    EXPECT_TRUE(app.minimized); // at once, before the queue gets to it
    Handle(app);
    EXPECT_TRUE(app.IsMuted());
    EXPECT_FALSE(app.hasFocus);
    app.WindowProc({0, WM_SIZE, SIZE_RESTORED, 0});
    Handle(app);
    EXPECT_FALSE(app.IsMuted());
    EXPECT_TRUE(app.hasFocus);
    EXPECT_TRUE(app.isWindowed);
    app.WindowProc({0, WM_SIZE, SIZE_MAXIMIZED, 0});
    Handle(app);
    EXPECT_FALSE(app.isWindowed);
}

class SwallowingApp : public TestApp
{
public:
    bool DeveloperKeyEx(int key, bool ctrl, bool alt) override { return key == VK_F1 + 1 && ctrl && !alt; }
};

TEST(ZestAppBaseInput, DeveloperKeyMaySwallowAKeyBeforeItIsQueued)
{
    SwallowingApp app;
    app.WindowProc({0, WM_KEYDOWN, VK_CONTROL, 0});
    app.WindowProc({0, WM_KEYDOWN, VK_F1 + 1, 0});
    app.WindowProc({0, WM_KEYDOWN, VK_F1 + 2, 0});
    Handle(app);
    EXPECT_FALSE(app.GetWidgetManager()->IsKeyDown(VK_F1 + 1));
    EXPECT_TRUE(app.GetWidgetManager()->IsKeyDown(VK_F1 + 2));
}

TEST(ZestAppBaseInput, WheelDeltaIsCountedInNotches)
{
    class WheelWidget : public Widget
    {
    public:
        void MouseWheel(int delta) override { deltas.push_back(delta); }
        std::vector<int> deltas;
    };
    TestApp app;
    WheelWidget widget;
    widget.Resize(0, 0, 640, 480);
    app.GetWidgetManager()->AddWidget(&widget);
    app.GetWidgetManager()->SetFocus(&widget);
    app.WindowProc({0, WM_MOUSEWHEEL, static_cast<uint64_t>(static_cast<uint16_t>(-240)) << 16, 0});
    app.WindowProc({0, WM_MOUSEWHEEL, static_cast<uint64_t>(120) << 16, 0});
    Handle(app);
    EXPECT_EQ(widget.deltas, (std::vector<int>{-2, 1}));
    app.GetWidgetManager()->RemoveWidget(&widget);
}

TEST(ZestAppBaseInput, CustomCursorImageIsShownOnlyWhenAllowed)
{
    TestApp app;
    MemoryImage image;
    image.Create(8, 8);
    app.mouseIn = true;
    app.SetCursorImage(CursorHand, &image, Point(2, 3));
    app.SetCursorNumber(CursorHand);
    EXPECT_EQ(app.ShownCursorImage(), nullptr); // custom cursors are off
    app.SetCustomCursors(true);
    EXPECT_EQ(app.ShownCursorImage(), &image);
    app.mouseIn = false;
    app.ApplyCursor();
    EXPECT_EQ(app.ShownCursorImage(), nullptr);
    // Number 12 always uses its image.
    app.mouseIn = true;
    app.SetCustomCursors(false);
    app.SetCursorImage(CursorCustom, &image);
    app.SetCursorNumber(CursorCustom);
    EXPECT_EQ(app.ShownCursorImage(), &image);
    app.SetCursorImage(CursorCustom, nullptr);
    EXPECT_EQ(app.ShownCursorImage(), nullptr);
}

} // namespace
} // namespace zest::test
