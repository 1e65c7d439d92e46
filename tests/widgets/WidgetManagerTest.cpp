#include "widgets/WidgetManager.h"

#include "RecordingWidget.h"
#include "graphics/DisplayImage.h"
#include "graphics/MemoryImage.h"
#include "platform/VirtualKeys.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

namespace zest::test
{
namespace
{

class WidgetManagerTest : public ::testing::Test
{
protected:
    WidgetManagerTest() : screen(640, 480) { manager.SetScreenImage(&screen); }

    RecordingWidget* Add(const std::string& name, int x, int y, int w, int h, int z = 0)
    {
        owned.push_back(std::make_unique<RecordingWidget>(name, &log));
        RecordingWidget* widget = owned.back().get();
        widget->Resize(x, y, w, h);
        widget->zOrder = z;
        manager.AddWidget(widget);
        return widget;
    }

    std::vector<std::string> Order() const
    {
        std::vector<std::string> names;
        for (Widget* child : manager.children)
            names.push_back(static_cast<RecordingWidget*>(child)->name);
        return names;
    }

    DisplayImage screen;
    WidgetManager manager{nullptr};
    std::vector<std::string> log;
    std::vector<std::unique_ptr<RecordingWidget>> owned;
};

TEST_F(WidgetManagerTest, EqualZOrderPutsTheLaterWidgetInFront)
{
    Add("a", 0, 0, 10, 10, 0);
    Add("high", 0, 0, 10, 10, 5);
    Add("b", 0, 0, 10, 10, 0);
    Add("low", 0, 0, 10, 10, -1);
    Add("c", 0, 0, 10, 10, 0);
    EXPECT_EQ(Order(), (std::vector<std::string>{"low", "a", "b", "c", "high"}));
    // At one point the front-most of the equal ones answers the mouse.
    int wx = 0;
    int wy = 0;
    EXPECT_EQ(static_cast<RecordingWidget*>(manager.WidgetAt(5, 5, &wx, &wy))->name, "high");
}

TEST_F(WidgetManagerTest, ReorderingStaysWithinTheZOrderGroup)
{
    RecordingWidget* low = Add("low", 0, 0, 10, 10, -1);
    RecordingWidget* a = Add("a", 0, 0, 10, 10, 0);
    Add("b", 0, 0, 10, 10, 0);
    RecordingWidget* c = Add("c", 0, 0, 10, 10, 0);
    Add("high", 0, 0, 10, 10, 5);
    manager.SendToBack(c);
    EXPECT_EQ(Order(), (std::vector<std::string>{"low", "c", "a", "b", "high"}));
    manager.BringToFront(a);
    EXPECT_EQ(Order(), (std::vector<std::string>{"low", "c", "b", "a", "high"}));
    manager.BringToFront(low);
    EXPECT_EQ(Order(), (std::vector<std::string>{"low", "c", "b", "a", "high"}));
    manager.PlaceBehind(a, c);
    EXPECT_EQ(Order(), (std::vector<std::string>{"low", "a", "c", "b", "high"}));
    manager.PlaceInFront(a, c);
    EXPECT_EQ(Order(), (std::vector<std::string>{"low", "c", "a", "b", "high"}));
}

// A widget that changes the list from inside its own Update must not make the walk
// skip or repeat anyone.
TEST_F(WidgetManagerTest, ChangingTheTreeFromUpdateNeitherSkipsNorRepeats)
{
    struct Case
    {
        const char* name;
        std::function<void(WidgetManager&, RecordingWidget*)> action;
    };
    const Case cases[] = {
        {"remove self", [](WidgetManager& m, RecordingWidget* self) { m.RemoveWidget(self); }},
        {"bring self to front", [](WidgetManager& m, RecordingWidget* self) { m.BringToFront(self); }},
        {"send self to back", [](WidgetManager& m, RecordingWidget* self) { m.SendToBack(self); }},
        {"remove and add again", [](WidgetManager& m, RecordingWidget* self) {
             m.RemoveWidget(self);
             m.AddWidget(self);
         }},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        manager.RemoveChildren(false, false);
        owned.clear();
        log.clear();
        RecordingWidget* widgets[] = {Add("a", 0, 0, 5, 5), Add("b", 0, 0, 5, 5), Add("c", 0, 0, 5, 5),
                                      Add("d", 0, 0, 5, 5)};
        bool acted = false;
        widgets[1]->onUpdate = [&](RecordingWidget* self) {
            if (!acted)
            {
                acted = true;
                c.action(manager, self);
            }
        };
        log.clear();
        manager.UpdateWidgets();
        for (RecordingWidget* widget : widgets)
            EXPECT_EQ(widget->updates, 1) << widget->name;
    }
}

TEST_F(WidgetManagerTest, ChildRemovingItselfInsideAContainerKeepsTheWalkGoing)
{
    RecordingWidget* parent = Add("parent", 0, 0, 100, 100);
    RecordingWidget first("first", &log);
    RecordingWidget second("second", &log);
    parent->AddWidget(&first);
    parent->AddWidget(&second);
    first.onUpdate = [&](RecordingWidget* self) { parent->RemoveWidget(self); };
    manager.UpdateWidgets();
    EXPECT_EQ(first.updates, 1);
    EXPECT_EQ(second.updates, 1);
    EXPECT_FALSE(parent->HasWidget(&first));
    EXPECT_EQ(first.GetWidgetManager(), nullptr);
}

TEST_F(WidgetManagerTest, SecondButtonWhileOneIsHeldGoesToThePressedWidget)
{
    RecordingWidget* first = Add("first", 0, 0, 100, 100);
    RecordingWidget* second = Add("second", 200, 0, 100, 100);
    manager.MouseMove(50, 50);
    manager.MouseDown(50, 50, 1);
    manager.MouseMove(250, 40);
    manager.MouseDown(250, 40, -1);
    EXPECT_EQ(first->downs, (std::vector<int>{1, -1}));
    EXPECT_TRUE(second->downs.empty());
    // In the pressed widget's own coordinates.
    EXPECT_EQ(first->lastX, 250);
    EXPECT_EQ(first->lastY, 40);
    manager.MouseUp(250, 40, -1);
    manager.MouseUp(250, 40, 1);
    EXPECT_EQ(first->ups, (std::vector<int>{-1, 1}));
    EXPECT_TRUE(second->ups.empty());
    EXPECT_EQ(manager.lastDownWidget, nullptr);
}

TEST_F(WidgetManagerTest, DragGoesToThePressedWidgetAndHoverFollowsThePointer)
{
    RecordingWidget* pressed = Add("pressed", 100, 100, 50, 50);
    Add("other", 300, 100, 50, 50);
    manager.MouseMove(110, 110);
    manager.MouseDown(110, 110, 1);
    EXPECT_TRUE(pressed->isOver);
    manager.MouseMove(320, 120);
    EXPECT_EQ(pressed->drags, 1);
    EXPECT_EQ(pressed->lastX, 220);
    EXPECT_EQ(pressed->lastY, 20);
    EXPECT_FALSE(pressed->isOver);
    EXPECT_EQ(manager.overWidget, nullptr);
    manager.MouseMove(120, 120);
    EXPECT_TRUE(pressed->isOver);
}

TEST_F(WidgetManagerTest, ModalWidgetBlocksWhatLiesBehindAndGivesTheFocusBack)
{
    RecordingWidget* back = Add("back", 0, 0, 640, 480);
    back->wantsFocus = true;
    manager.MouseMove(10, 10);
    manager.MouseDown(10, 10, 1);
    manager.MouseUp(10, 10, 1);
    ASSERT_EQ(manager.focusWidget, back);
    ASSERT_TRUE(back->isOver);

    RecordingWidget* dialog = Add("dialog", 200, 200, 200, 100);
    dialog->wantsFocus = true;
    manager.PushModal(dialog);
    EXPECT_EQ(manager.focusWidget, nullptr);
    EXPECT_FALSE(back->hasFocus);
    EXPECT_FALSE(back->isOver);

    back->downs.clear();
    int entersBefore = back->enters;
    manager.MouseMove(20, 20);
    manager.MouseDown(20, 20, 1);
    manager.MouseUp(20, 20, 1);
    EXPECT_EQ(back->enters, entersBefore);
    EXPECT_TRUE(back->downs.empty());
    EXPECT_EQ(manager.focusWidget, nullptr);
    // The dialog itself still works.
    manager.MouseMove(250, 250);
    manager.MouseDown(250, 250, 1);
    manager.MouseUp(250, 250, 1);
    EXPECT_EQ(dialog->downs, (std::vector<int>{1}));
    EXPECT_EQ(manager.focusWidget, dialog);

    manager.RemoveWidget(dialog);
    manager.PopModal(dialog);
    EXPECT_EQ(manager.focusWidget, back);
    EXPECT_TRUE(back->hasFocus);
    EXPECT_EQ(manager.baseModalWidget, nullptr);
    manager.MouseMove(30, 30);
    EXPECT_TRUE(back->isOver);
}

TEST_F(WidgetManagerTest, ModalBelowTheTopWaitsUntilThoseAboveAreGone)
{
    Add("back", 0, 0, 640, 480);
    RecordingWidget* lower = Add("lower", 0, 0, 100, 100);
    RecordingWidget* upper = Add("upper", 200, 0, 100, 100);
    manager.PushModal(lower);
    manager.PushModal(upper);
    manager.PopModal(lower); // not on top: stays registered
    EXPECT_EQ(manager.baseModalWidget, upper);
    manager.RemoveWidget(lower);
    manager.PopModal(upper);
    // Both layers are gone: the removed one's record went with the top one.
    EXPECT_EQ(manager.baseModalWidget, nullptr);
    EXPECT_TRUE(manager.preModalInfoList.empty());
}

TEST_F(WidgetManagerTest, DisablingThePressedWidgetSendsItsMouseUpAtOnce)
{
    RecordingWidget* button = Add("button", 0, 0, 100, 100);
    manager.MouseMove(10, 10);
    manager.MouseDown(10, 10, 1);
    ASSERT_TRUE(button->isDown);
    button->SetDisabled(true);
    EXPECT_EQ(button->ups, (std::vector<int>{1}));
    EXPECT_FALSE(button->isDown);
    EXPECT_FALSE(button->isOver);
    EXPECT_EQ(manager.lastDownWidget, nullptr);
    manager.MouseUp(10, 10, 1);
    EXPECT_EQ(button->ups.size(), 1u);
    // Enabled again under the resting mouse: hover starts without a move.
    button->SetDisabled(false);
    EXPECT_TRUE(button->isOver);
}

// Hiding a widget must redraw what it covered, down to the first opaque widget that
// covers the whole area.
TEST_F(WidgetManagerTest, HidingAWidgetRedrawsWhatWasBehindIt)
{
    struct Case
    {
        const char* name;
        bool middleTransparent;
        bool middleCovers;
        int expectBottomDraws;
        int expectMiddleDraws;
    };
    const Case cases[] = {
        {"opaque cover stops the walk", false, true, 0, 1},
        {"see-through cover lets it pass", true, true, 1, 1},
        {"partial cover lets it pass", false, false, 1, 1},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        manager.RemoveChildren(false, false);
        owned.clear();
        RecordingWidget* bottom = Add("bottom", 0, 0, 640, 480);
        bottom->fill = Color(255, 0, 0);
        RecordingWidget* middle = c.middleCovers ? Add("middle", 50, 50, 200, 200) : Add("middle", 120, 120, 200, 200);
        middle->hasTransparencies = c.middleTransparent;
        middle->fill = Color(0, 255, 0);
        RecordingWidget* front = Add("front", 100, 100, 50, 50);
        front->fill = Color(0, 0, 255);
        manager.DrawWidgets();
        ASSERT_EQ(screen.GetPixel(110, 110), 0xFF0000FFu);
        bottom->draws = middle->draws = front->draws = 0;

        front->SetVisible(false);
        EXPECT_TRUE(manager.DrawWidgets());
        EXPECT_EQ(front->draws, 0);
        EXPECT_EQ(middle->draws, c.expectMiddleDraws);
        EXPECT_EQ(bottom->draws, c.expectBottomDraws);
        EXPECT_NE(screen.GetPixel(110, 110), 0xFF0000FFu);

        // Shown again, it comes back.
        front->SetVisible(true);
        EXPECT_TRUE(manager.DrawWidgets());
        EXPECT_EQ(screen.GetPixel(110, 110), 0xFF0000FFu);
    }
}

// A dialog sent behind the full-screen board and brought back (a nested question closed over an
// idle game) must show again although nothing else changed.
TEST_F(WidgetManagerTest, ReorderingDrawsWhatChangedPlaceAndMarksItsArea)
{
    struct Case
    {
        const char* name;
        bool panelInFront; // after the move
        std::function<void(WidgetManager&, Widget*, Widget*)> move;
    };
    const Case cases[] = {
        {"place in front", true, [](WidgetManager& m, Widget* panel, Widget* board) { m.PlaceInFront(panel, board); }},
        {"bring to front", true, [](WidgetManager& m, Widget* panel, Widget*) { m.BringToFront(panel); }},
        {"send to back", false, [](WidgetManager& m, Widget* panel, Widget*) { m.SendToBack(panel); }},
        {"place behind", false, [](WidgetManager& m, Widget* panel, Widget* board) { m.PlaceBehind(panel, board); }},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        manager.RemoveChildren(false, false);
        owned.clear();
        RecordingWidget* board = Add("board", 0, 0, 640, 480);
        board->fill = Color(255, 0, 0);
        RecordingWidget* panel = Add("panel", 120, 40, 400, 400);
        panel->fill = Color(0, 255, 0);
        // Start from the other order, drawn and presented.
        if (c.panelInFront)
            manager.SendToBack(panel);
        manager.DrawWidgets();
        const uint32_t before = screen.GetPixel(300, 200);
        ASSERT_EQ(before, c.panelInFront ? 0xFFFF0000u : 0xFF00FF00u);
        (void)screen.TakeDirtyRect();
        // Idle: nothing is drawn.
        EXPECT_FALSE(manager.DrawWidgets());

        c.move(manager, panel, board);
        EXPECT_TRUE(manager.DrawWidgets());
        EXPECT_EQ(screen.GetPixel(300, 200), c.panelInFront ? 0xFF00FF00u : 0xFFFF0000u);
        // The presenter sends what the dirty rectangle covers: the whole panel.
        const Rect presented = screen.TakeDirtyRect();
        EXPECT_TRUE(presented.Contains(Point(120, 40)) && presented.Contains(Point(519, 439)))
            << presented.x << "," << presented.y << " " << presented.width << "x" << presented.height;
    }
}

TEST_F(WidgetManagerTest, HiddenChildOfAContainerAppearsAgainWhenShown)
{
    RecordingWidget* panel = Add("panel", 0, 0, 200, 200);
    RecordingWidget child("child", &log);
    child.Resize(10, 10, 20, 20);
    child.fill = Color(0, 0, 255);
    panel->AddWidget(&child);
    child.SetVisible(false);
    manager.DrawWidgets();
    child.MarkDirty(); // a change while hidden
    manager.DrawWidgets();
    child.SetVisible(true);
    EXPECT_TRUE(manager.DrawWidgets());
    EXPECT_EQ(screen.GetPixel(15, 15), 0xFF0000FFu);
    panel->RemoveWidget(&child);
}

TEST_F(WidgetManagerTest, HitTestingHonoursInsetsHitsPointAndState)
{
    RecordingWidget* back = Add("back", 0, 0, 640, 480);
    RecordingWidget* inset = Add("inset", 100, 100, 100, 100);
    inset->insetLeft = 10;
    inset->insetTop = 10;
    RecordingWidget* holey = Add("holey", 300, 100, 100, 100);
    holey->hitTest = [](int px, int) { return px >= 50; };
    RecordingWidget* panel = Add("panel", 0, 300, 200, 100);
    RecordingWidget child("child");
    child.Resize(20, 20, 30, 30);
    panel->AddWidget(&child);
    RecordingWidget* off = Add("off", 500, 300, 50, 50);
    off->SetDisabled(true);
    RecordingWidget* ghost = Add("ghost", 500, 400, 50, 50);
    ghost->mouseVisible = false;

    struct Case
    {
        int x, y;
        const char* expect; // nullptr = none
        int wx, wy;
    };
    const Case cases[] = {
        {105, 105, "back", 105, 105},  // inside the rectangle, outside the insets
        {115, 115, "inset", 15, 15},   //
        {310, 110, "back", 310, 110},  // a transparent part lets the mouse through
        {360, 110, "holey", 60, 10},   //
        {25, 325, "child", 5, 5},      // nested: in the child's own coordinates
        {10, 310, "panel", 10, 10},    //
        {510, 310, nullptr, 0, 0},     // disabled
        {510, 410, "back", 510, 410},  // not mouse-visible: the mouse passes through
        {639, 479, "back", 639, 479},  //
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        int wx = -1;
        int wy = -1;
        Widget* hit = manager.WidgetAt(c.x, c.y, &wx, &wy);
        if (!c.expect)
        {
            EXPECT_EQ(hit, nullptr);
            continue;
        }
        ASSERT_NE(hit, nullptr);
        EXPECT_EQ(static_cast<RecordingWidget*>(hit)->name, c.expect);
        EXPECT_EQ(wx, c.wx);
        EXPECT_EQ(wy, c.wy);
    }
    (void)back;
    panel->RemoveWidget(&child);
}

TEST_F(WidgetManagerTest, LosingTheApplicationFocusReleasesEveryKey)
{
    RecordingWidget* field = Add("field", 0, 0, 100, 100);
    manager.SetFocus(field);
    manager.KeyDown('A');
    manager.KeyDown(VK_SHIFT);
    manager.KeyUp('A');
    manager.KeyDown(VK_SPACE);
    field->keysUp.clear();
    manager.LostFocus();
    std::sort(field->keysUp.begin(), field->keysUp.end());
    EXPECT_EQ(field->keysUp, (std::vector<int>{VK_SHIFT, VK_SPACE}));
    EXPECT_FALSE(manager.IsKeyDown(VK_SHIFT));
    EXPECT_FALSE(field->hasFocus);
    manager.GotFocus();
    EXPECT_TRUE(field->hasFocus);
}

TEST_F(WidgetManagerTest, TabMovesTheFocusAlongTheTabChain)
{
    RecordingWidget* first = Add("first", 0, 0, 10, 10);
    RecordingWidget* second = Add("second", 20, 0, 10, 10);
    first->tabNext = second;
    second->tabPrev = first;
    manager.SetFocus(first);
    manager.KeyDown(VK_TAB);
    manager.KeyUp(VK_TAB);
    EXPECT_EQ(manager.focusWidget, second);
    manager.KeyDown(VK_SHIFT);
    manager.KeyDown(VK_TAB);
    EXPECT_EQ(manager.focusWidget, first);
}

TEST_F(WidgetManagerTest, MouseMappingTurnsWindowCoordinatesIntoTheApplicationArea)
{
    struct Case
    {
        Rect source;
        int inX, inY, outX, outY;
    };
    const Case cases[] = {
        {Rect(0, 0, 640, 480), 639, 479, 639, 479},   // unscaled
        {Rect(0, 0, 1280, 960), 1279, 959, 639, 479}, // twice the size
        {Rect(0, 0, 1280, 960), 1, 1, 0, 0},          //
        {Rect(160, 0, 960, 720), 160, 0, 0, 0},       // letterboxed full screen
        {Rect(160, 0, 960, 720), 1119, 719, 639, 479},
    };
    for (const Case& c : cases)
    {
        manager.SetMouseMapping(c.source, Rect(0, 0, 640, 480));
        int x = c.inX;
        int y = c.inY;
        manager.MapMouse(x, y);
        EXPECT_EQ(x, c.outX);
        EXPECT_EQ(y, c.outY);
    }
}

TEST_F(WidgetManagerTest, DeferredOverlaysDrawInPriorityOrderAfterTheWidgets)
{
    class Deferring : public RecordingWidget
    {
    public:
        Deferring(std::string n, std::vector<std::string>* l, int p) : RecordingWidget(std::move(n), l), level(p) {}
        void Draw(Graphics* g) override
        {
            RecordingWidget::Draw(g);
            widgetManager->DeferOverlay(this, level);
        }
        int level;
    };
    auto high = std::make_unique<Deferring>("high", &log, 5);
    auto low = std::make_unique<Deferring>("low", &log, 2);
    high->Resize(0, 0, 10, 10);
    low->Resize(20, 0, 10, 10);
    manager.AddWidget(high.get());
    manager.AddWidget(low.get());
    log.clear();
    manager.DrawWidgets();
    EXPECT_EQ(log, (std::vector<std::string>{"high:draw", "low:draw", "low:overlay", "high:overlay"}));
    manager.RemoveWidget(high.get());
    manager.RemoveWidget(low.get());
}

TEST_F(WidgetManagerTest, DeletedWidgetLeavesItsContainerAndTheManager)
{
    auto widget = std::make_unique<RecordingWidget>("gone");
    widget->Resize(0, 0, 100, 100);
    manager.AddWidget(widget.get());
    manager.SetFocus(widget.get());
    manager.MouseMove(5, 5);
    ASSERT_EQ(manager.overWidget, widget.get());
    widget.reset();
    EXPECT_TRUE(manager.children.empty());
    EXPECT_EQ(manager.overWidget, nullptr);
    EXPECT_EQ(manager.focusWidget, nullptr);
    manager.MouseMove(6, 6);
    manager.UpdateWidgets();
    manager.DrawWidgets();
}

TEST_F(WidgetManagerTest, NumbersAreDrawnFromADigitStrip)
{
    // Digit d is the 3-pixel-wide column block filled with colour (d, 0, 0).
    MemoryImage strip;
    strip.Create(30, 4);
    uint32_t* bits = strip.GetBits();
    for (int row = 0; row < 4; row++)
        for (int column = 0; column < 30; column++)
            bits[row * 30 + column] = 0xFF000000u | (static_cast<uint32_t>(column / 3 + 1) << 16);
    strip.BitsChanged();
    RecordingWidget* widget = Add("score", 0, 0, 100, 100);
    Graphics g(&screen);
    widget->DrawNumberFromStrip(&g, 3052, 10, 20, &strip, 1);
    // Each digit is 3 wide with 1 pixel of spacing: 3 at x 10, 0 at 14, 5 at 18, 2 at 22.
    const int digits[] = {3, 0, 5, 2};
    for (int i = 0; i < 4; i++)
    {
        for (int dx = 0; dx < 3; dx++)
            EXPECT_EQ(screen.GetPixel(10 + i * 4 + dx, 21), 0xFF000000u | (static_cast<uint32_t>(digits[i] + 1) << 16))
                << "digit " << i;
        EXPECT_EQ(screen.GetPixel(10 + i * 4 + 3, 21), 0xFF000000u) << "gap " << i;
    }
    EXPECT_EQ(widget->DigitCount(0), 1);
    EXPECT_EQ(widget->DigitCount(9), 1);
    EXPECT_EQ(widget->DigitCount(10), 2);
    EXPECT_EQ(widget->DigitCount(2147483647), 10);
}

} // namespace
} // namespace zest::test
