#include "widgets/EditListener.h"
#include "widgets/EditWidget.h"

#include "ControlsTestSupport.h"
#include "platform/Clipboard.h"
#include "platform/VirtualKeys.h"

#include <gtest/gtest.h>

namespace zest::test
{
namespace
{

struct RecordingEditListener : EditListener
{
    void EditWidgetText(int id, const std::string& text) override
    {
        events.push_back("enter" + std::to_string(id) + ":" + text);
    }
    void EditTextChanged(int id) override { events.push_back("changed" + std::to_string(id)); }
    std::vector<std::string> events;
};

// A 200 x 24 field at (20, 30) with the recording font (6 pixels a character) and 4 pixels of padding, focused.
class EditWidgetTest : public ::testing::Test
{
protected:
    EditWidgetTest()
    {
        edit.SetFont(&font);
        edit.Resize(20, 30, 200, 24);
        manager()->AddWidget(&edit);
        manager()->SetFocus(&edit);
    }
    ~EditWidgetTest() override { manager()->RemoveWidget(&edit); }

    WidgetManager* manager() { return app.GetWidgetManager(); }
    void Type(const std::string& text)
    {
        for (unsigned char c : text)
            manager()->KeyChar(c);
    }
    void Key(int key, bool shift = false, bool ctrl = false)
    {
        if (shift)
            manager()->KeyDown(VK_SHIFT);
        if (ctrl)
            manager()->KeyDown(VK_CONTROL);
        manager()->KeyDown(key);
        manager()->KeyUp(key);
        if (ctrl)
            manager()->KeyUp(VK_CONTROL);
        if (shift)
            manager()->KeyUp(VK_SHIFT);
    }

    ControlsApp app;
    RecordingFont font;
    RecordingEditListener listener;
    EditWidget edit{4, &listener};
};

TEST_F(EditWidgetTest, TypingInsertsAtTheCaretAndArrowsMoveIt)
{
    Type("helo");
    Key(VK_LEFT);
    Type("l");
    EXPECT_EQ(edit.GetText(), "hello");
    EXPECT_EQ(edit.GetCaret(), 4);
    Key(VK_HOME);
    Type(">");
    Key(VK_END);
    Type("!");
    EXPECT_EQ(edit.GetText(), ">hello!");
    Key(VK_BACK);
    Key(VK_HOME);
    Key(VK_DELETE);
    EXPECT_EQ(edit.GetText(), "hello");
    EXPECT_EQ(listener.events.size(), 9u); // five letters, ">", "!", and the two deletions
    Key(VK_RETURN);
    EXPECT_EQ(listener.events.back(), "enter4:hello");
}

TEST_F(EditWidgetTest, ShiftArrowsAndTheMouseSelect)
{
    edit.SetText("garden hose");
    Key(VK_HOME);
    Key(VK_RIGHT, true);
    Key(VK_RIGHT, true);
    EXPECT_EQ(edit.SelectedText(), "ga");
    Key(VK_END, true);
    EXPECT_EQ(edit.SelectedText(), "garden hose");
    // Typing replaces the selection; a plain arrow collapses it to its end.
    Key(VK_HOME, true);
    Key(VK_END);
    EXPECT_EQ(edit.SelectedText(), "");
    // Press on the gap before character 2, drag to the gap before 6: text starts at x 20 + 4.
    manager()->MouseMove(24 + 12, 40);
    manager()->MouseDown(24 + 12, 40, 1);
    manager()->MouseMove(24 + 36 + 2, 40);
    manager()->MouseUp(24 + 36 + 2, 40, 1);
    EXPECT_EQ(edit.SelectedText(), "rden");
    Type("X");
    EXPECT_EQ(edit.GetText(), "gaX hose");
    // A double click selects the word under the mouse.
    manager()->MouseDown(24 + 6 * 5, 40, 2);
    manager()->MouseUp(24 + 6 * 5, 40, 2);
    EXPECT_EQ(edit.SelectedText(), "hose");
}

TEST_F(EditWidgetTest, CopyCutAndPasteGoThroughTheClipboardInUtf8)
{
    edit.SetText("Caf\xe9 au lait"); // e-acute in the framework's encoding
    edit.SetSelection(0, 4);
    Key('C', false, true);
    EXPECT_EQ(GetClipboardText(), "Caf\xc3\xa9");
    Key('X', false, true);
    EXPECT_EQ(edit.GetText(), " au lait");
    Key(VK_END);
    Key('V', false, true);
    EXPECT_EQ(edit.GetText(), " au laitCaf\xe9");
    // What the encoding lacks is left out of a paste.
    ASSERT_TRUE(SetClipboardText("\xe2\x82\xac" "5 \xe4\xb8\xad!")); // euro sign, a CJK character
    edit.SetText("");
    Key('V', false, true);
    EXPECT_EQ(edit.GetText(), "\x80" "5 !");
}

TEST_F(EditWidgetTest, RefusedCharactersLeaveTheTextAsItWas)
{
    edit.maxLength = 6;
    edit.filter = [](char c) { return c != '/' && c != '\\'; };
    struct Case
    {
        int character; // a code point, as typed text arrives
        const char* text;
    };
    const Case cases[] = {
        {'a', "a"},
        {'/', "a"},          // the filter refuses it
        {0x4E2D, "a"},       // not in the encoding
        {0x20AC, "a\x80"},   // the euro sign is
        {0xE9, "a\x80\xe9"}, // Latin-1 maps one to one
        {7, "a\x80\xe9"},    // a control character
        {'b', "a\x80\xe9" "b"},
        {'c', "a\x80\xe9" "bc"},
        {'d', "a\x80\xe9" "bcd"},
        {'e', "a\x80\xe9" "bcd"}, // the seventh character does not fit
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.character);
        manager()->KeyChar(c.character);
        EXPECT_EQ(edit.GetText(), c.text);
    }
    // A paste is cut to the room left instead of refused.
    edit.SetText("abcd");
    ASSERT_TRUE(SetClipboardText("wxyz"));
    Key('V', false, true);
    EXPECT_EQ(edit.GetText(), "abcdwx");
}

TEST_F(EditWidgetTest, TabMovesTheFocusAlongTheTabOrder)
{
    EditWidget second(5, &listener);
    second.SetFont(&font);
    second.Resize(20, 60, 200, 24);
    manager()->AddWidget(&second);
    edit.tabNext = &second;
    second.tabPrev = &edit;
    Key(VK_TAB);
    EXPECT_EQ(manager()->focusWidget, &second);
    Type("x");
    EXPECT_EQ(second.GetText(), "x");
    Key(VK_TAB, true);
    EXPECT_EQ(manager()->focusWidget, &edit);
    manager()->RemoveWidget(&second);
}

} // namespace
} // namespace zest::test
