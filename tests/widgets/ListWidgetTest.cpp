#include "widgets/ListListener.h"
#include "widgets/ListWidget.h"

#include "ControlsTestSupport.h"
#include "platform/VirtualKeys.h"

#include <gtest/gtest.h>

namespace zest::test
{
namespace
{

struct RecordingListListener : ListListener
{
    void ListSelectionChanged(int id, int index) override
    {
        events.push_back("select" + std::to_string(id) + ":" + std::to_string(index));
    }
    void ListClicked(int id, int index, int clickCount) override
    {
        events.push_back("click" + std::to_string(id) + ":" + std::to_string(index) + "x" +
                         std::to_string(clickCount));
    }
    std::vector<std::string> events;
};

// A 120 x 81 list at (50, 40) with the recording font: rows 15 pixels high, 3 pixels of padding, so five rows
// show.
class ListWidgetTest : public ::testing::Test
{
protected:
    ListWidgetTest()
    {
        list.SetFont(&font);
        list.Resize(50, 40, 120, 81);
        app.GetWidgetManager()->AddWidget(&list);
        for (int i = 0; i < 12; i++)
            list.AddRow("row " + std::to_string(i));
    }
    ~ListWidgetTest() override { app.GetWidgetManager()->RemoveWidget(&list); }

    ControlsApp app;
    RecordingFont font;
    RecordingListListener listener;
    ListWidget list{7, &listener};
};

TEST_F(ListWidgetTest, ClickSelectsTheRowUnderTheMouseAndTellsTheListener)
{
    EXPECT_EQ(list.VisibleRows(), 5);
    app.Click(60, 40 + 3 + 15 * 2 + 4);
    EXPECT_EQ(list.GetSelection(), 2);
    EXPECT_EQ(listener.events, (std::vector<std::string>{"select7:2", "click7:2x1"}));
    // A click below the last row or on the padding selects nothing.
    list.SetRows({"a", "b"});
    listener.events.clear();
    app.Click(60, 40 + 3 + 15 * 3);
    app.Click(60, 41);
    EXPECT_TRUE(listener.events.empty());
    EXPECT_EQ(list.GetSelection(), -1); // index 2 no longer exists
}

TEST_F(ListWidgetTest, KeysMoveTheSelectionAndScrollItIntoView)
{
    struct Case
    {
        int key;
        int selection;
        int scrollRow;
    };
    const Case cases[] = {
        {VK_DOWN, 0, 0}, {VK_DOWN, 1, 0}, {VK_NEXT, 6, 2},  {VK_END, 11, 7},
        {VK_DOWN, 11, 7}, {VK_PRIOR, 6, 6}, {VK_HOME, 0, 0}, {VK_UP, 0, 0},
    };
    list.SetSelection(-1);
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.key);
        list.KeyDown(c.key);
        EXPECT_EQ(list.GetSelection(), c.selection);
        EXPECT_EQ(list.GetScrollRow(), c.scrollRow);
    }
}

TEST_F(ListWidgetTest, TabMovesTheFocusAlongTheTabOrderWithRowsOrNone)
{
    ListWidget other(8, &listener);
    other.Resize(50, 140, 120, 40);
    app.GetWidgetManager()->AddWidget(&other);
    list.tabNext = &other;
    other.tabPrev = &list;
    WidgetManager* manager = app.GetWidgetManager();
    for (const bool empty : {false, true})
    {
        SCOPED_TRACE(empty ? "empty lists" : "lists with rows");
        if (empty)
            list.SetRows({});
        manager->SetFocus(&list);
        manager->KeyDown(VK_TAB);
        manager->KeyUp(VK_TAB);
        EXPECT_EQ(manager->focusWidget, &other);
        manager->KeyDown(VK_SHIFT);
        manager->KeyDown(VK_TAB);
        manager->KeyUp(VK_TAB);
        manager->KeyUp(VK_SHIFT);
        EXPECT_EQ(manager->focusWidget, &list);
    }
    EXPECT_TRUE(listener.events.empty()); // Tab is no selection key
    app.GetWidgetManager()->RemoveWidget(&other);
}

TEST_F(ListWidgetTest, WheelAndScrollBarScrollWithinTheRows)
{
    list.MouseWheel(-1);
    EXPECT_EQ(list.GetScrollRow(), 3);
    list.MouseWheel(-5);
    EXPECT_EQ(list.GetScrollRow(), 7); // twelve rows, five shown
    list.MouseWheel(10);
    EXPECT_EQ(list.GetScrollRow(), 0);

    // A click on the bar below the thumb pages down; dragging the thumb to the bottom shows the last rows.
    const int barX = 50 + 120 - 3;
    app.Click(barX, 40 + 78);
    EXPECT_EQ(list.GetScrollRow(), 5);
    WidgetManager* manager = app.GetWidgetManager();
    list.SetScrollRow(0);
    manager->MouseMove(barX, 45);
    manager->MouseDown(barX, 45, 1);
    manager->MouseDrag(barX, 200);
    manager->MouseUp(barX, 200, 1);
    EXPECT_EQ(list.GetScrollRow(), 7);
    EXPECT_TRUE(listener.events.empty());

    // Fewer rows than fit: no scrolling at all, and an empty list takes keys quietly.
    list.SetRows({"only"});
    EXPECT_EQ(list.GetScrollRow(), 0);
    list.SetRows({});
    list.KeyDown(VK_DOWN);
    EXPECT_EQ(list.GetSelection(), -1);
    EXPECT_EQ(list.RowText(3), "");
}

TEST_F(ListWidgetTest, DrawsTheVisibleRowsWithTheSelectionHighlighted)
{
    list.SetRowColor(4, Color(200, 0, 0));
    list.SetSelection(3);
    auto screen = SolidImage(640, 480, Color(0, 0, 0));
    Graphics g(screen.get());
    g.Translate(50, 40);
    font.log->clear();
    list.Draw(&g);
    ASSERT_EQ(font.log->size(), 5u);
    EXPECT_EQ((*font.log)[0].text, "row 0");
    EXPECT_EQ((*font.log)[3].color, list.GetColor(ListWidget::ColorSelectedText));
    EXPECT_EQ((*font.log)[4].color, Color(200, 0, 0));
    EXPECT_EQ((*font.log)[0].color, list.GetColor(ListWidget::ColorText));
}

} // namespace
} // namespace zest::test
