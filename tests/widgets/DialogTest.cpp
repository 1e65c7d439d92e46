#include "widgets/Dialog.h"

#include "ControlsTestSupport.h"
#include "widgets/DialogButton.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

namespace zest::test
{
namespace
{

class DialogTest : public ::testing::Test
{
protected:
    // A dialog with the recording fonts: text 6 pixels a character, ascent 10,
    // height 13, line spacing 15.
    std::unique_ptr<Dialog> MakeDialog(int mode, const std::string& header, const std::string& lines,
                                       const std::string& footer, Image* buttonFrame = nullptr)
    {
        auto dialog = std::make_unique<Dialog>(nullptr, buttonFrame, 9, false, header, lines, footer, mode);
        RecordingFont textFont(textLog);
        dialog->SetHeaderFont(&textFont);
        dialog->SetLinesFont(&textFont);
        RecordingFont buttonFont(buttonLog);
        dialog->SetButtonFont(&buttonFont);
        return dialog;
    }

    std::vector<std::string> Order() const
    {
        std::vector<std::string> names;
        for (Widget* child : app.GetWidgetManager()->children)
            names.push_back(names_.count(child) ? names_.at(child) : "?");
        return names;
    }

    ControlsApp app;
    std::shared_ptr<std::vector<DrawnText>> textLog = std::make_shared<std::vector<DrawnText>>();
    std::shared_ptr<std::vector<DrawnText>> buttonLog = std::make_shared<std::vector<DrawnText>>();
    std::map<const Widget*, std::string> names_;
};

TEST_F(DialogTest, ButtonModesMakeTheirButtonsAlongTheBottom)
{
    struct Case
    {
        int mode;
        const char* yesLabel; // none: no buttons
        const char* noLabel;  // none: one button
    };
    const Case cases[] = {{0, nullptr, nullptr}, {1, "YES", "NO"}, {2, "OK", "CANCEL"}, {3, "CLOSE", nullptr}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.mode);
        auto dialog = MakeDialog(c.mode, "", "", "CLOSE");
        dialog->Resize(100, 50, 300, 200);
        DialogButton* yes = dialog->GetYesButton();
        DialogButton* no = dialog->GetNoButton();
        if (!c.yesLabel)
        {
            EXPECT_EQ(yes, nullptr);
            EXPECT_EQ(no, nullptr);
            continue;
        }
        ASSERT_NE(yes, nullptr);
        EXPECT_EQ(yes->label, c.yesLabel);
        EXPECT_EQ(yes->id, Dialog::YesButtonId);
        // 200 high, content inset 24, button height 24.
        EXPECT_EQ(yes->y, 202);
        EXPECT_EQ(yes->height, 24);
        EXPECT_EQ(yes->x, 124);
        if (!c.noLabel)
        {
            EXPECT_EQ(no, nullptr);
            EXPECT_EQ(yes->width, 252); // full width inside the insets
            continue;
        }
        ASSERT_NE(no, nullptr);
        EXPECT_EQ(no->label, c.noLabel);
        EXPECT_EQ(no->id, Dialog::NoButtonId);
        EXPECT_EQ(yes->width, 122); // (300 - 48 - 8) / 2
        EXPECT_EQ(no->width, 122);
        EXPECT_EQ(no->x, 124 + 122 + 8);
        EXPECT_EQ(no->y, 202);
    }
}

// Dialog 300 x 200: header baseline 24 + 10; body from 34 - 10 + 13 + 10 = 47, first
// baseline 57, centred in the 248 pixels from x 26; footer baseline 47 + 13 + 15 + 8.
TEST_F(DialogTest, FooterIsTextOnlyWithoutAFooterButton)
{
    struct Case
    {
        int mode;
        std::vector<std::string> texts;
    };
    const Case cases[] = {{0, {"HEAD", "body", "CLOSE"}}, {1, {"HEAD", "body", "CLOSE"}}, {3, {"HEAD", "body"}}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.mode);
        textLog->clear();
        auto dialog = MakeDialog(c.mode, "HEAD", "body", "CLOSE");
        dialog->Resize(0, 0, 300, 200);
        MemoryImage image;
        image.Create(300, 200);
        Graphics g(&image);
        dialog->Draw(&g);
        std::vector<std::string> texts;
        for (const DrawnText& t : *textLog)
            texts.push_back(t.text);
        EXPECT_EQ(texts, c.texts);
        ASSERT_GE(textLog->size(), 2u);
        EXPECT_EQ((*textLog)[0].x, 138);
        EXPECT_EQ((*textLog)[0].y, 34);
        EXPECT_EQ((*textLog)[0].color, Color(255, 255, 255));
        EXPECT_EQ((*textLog)[1].x, 138);
        EXPECT_EQ((*textLog)[1].y, 57);
        EXPECT_EQ((*textLog)[1].color, Color(255, 255, 0));
        if (textLog->size() == 3)
        {
            EXPECT_EQ((*textLog)[2].x, 135);
            EXPECT_EQ((*textLog)[2].y, 83);
        }
        if (c.mode == 3)
        {
            EXPECT_EQ(dialog->GetYesButton()->label, "CLOSE");
        }
    }
}

TEST_F(DialogTest, PreferredHeightCountsOnlyWhatIsShown)
{
    auto tallButton = SolidImage(60, 30, Color::White);
    const std::string wrapping = "aaaaaaaaa aaaaaaaaa aaaaaaaaa aaaaaaaaa aaaaaaaaa aaaaaaaaa"; // 2 lines in 248
    struct Case
    {
        const char* name;
        std::string header, lines, footer;
        int mode;
        Image* buttonFrame;
        int expected;
    };
    const Case cases[] = {
        {"nothing", "", "", "", 0, nullptr, 48},
        {"header", "H", "", "", 0, nullptr, 61},
        {"lines without header", "", "l", "", 0, nullptr, 61},
        {"header and a line", "H", "l", "", 0, nullptr, 84},
        {"two lines", "H", "a\nb", "", 0, nullptr, 99},
        {"wrapped lines", "H", wrapping, "", 0, nullptr, 99},
        {"footer text", "H", "l", "F", 0, nullptr, 107},
        {"footer button", "H", "l", "F", 3, nullptr, 124},
        {"yes and no", "H", "l", "", 1, nullptr, 124},
        {"buttons alone", "", "", "", 2, nullptr, 80},
        {"taller button frame", "H", "", "F", 3, tallButton.get(), 107},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        auto dialog = MakeDialog(c.mode, c.header, c.lines, c.footer, c.buttonFrame);
        EXPECT_EQ(dialog->GetPreferredHeight(300), c.expected);
    }
}

TEST_F(DialogTest, ButtonsStayJustInFrontOfTheDialog)
{
    WidgetManager* manager = app.GetWidgetManager();
    auto dialog = MakeDialog(2, "", "", "");
    dialog->Resize(100, 50, 300, 200);
    Widget other;
    other.Resize(0, 0, 640, 480);
    names_ = {
        {dialog.get(), "dialog"}, {dialog->GetYesButton(), "ok"}, {dialog->GetNoButton(), "cancel"}, {&other, "other"}};

    manager->AddWidget(dialog.get());
    manager->AddWidget(&other);
    EXPECT_EQ(Order(), (std::vector<std::string>{"dialog", "ok", "cancel", "other"}));
    manager->BringToFront(dialog.get());
    EXPECT_EQ(Order(), (std::vector<std::string>{"other", "dialog", "ok", "cancel"}));
    manager->SendToBack(dialog.get());
    EXPECT_EQ(Order(), (std::vector<std::string>{"dialog", "ok", "cancel", "other"}));
    manager->PlaceInFront(dialog.get(), &other);
    EXPECT_EQ(Order(), (std::vector<std::string>{"other", "dialog", "ok", "cancel"}));

    manager->RemoveWidget(dialog.get());
    EXPECT_EQ(Order(), (std::vector<std::string>{"other"}));
    EXPECT_EQ(dialog->GetYesButton()->GetWidgetManager(), nullptr);

    // Deleting a dialog still in the tree takes its buttons out with it.
    manager->AddWidget(dialog.get());
    EXPECT_EQ(manager->children.size(), 4u);
    dialog.reset();
    EXPECT_EQ(Order(), (std::vector<std::string>{"other"}));
    manager->RemoveWidget(&other);
}

TEST_F(DialogTest, DragStopsEightPixelsPastEachEdge)
{
    struct Case
    {
        const char* name;
        std::vector<Point> path; // pointer positions after pressing at (150, 60)
        Point expected;
    };
    // Dialog 300 x 200 at (100, 50) on a 640 x 480 screen.
    const Case cases[] = {
        {"small move", {{170, 70}}, {120, 60}},
        {"far up and left", {{-400, -400}}, {-8, -8}},
        {"far down and right", {{2000, 2000}}, {348, 288}},
        // The grab point slid to 8 pixels inside the left edge: the dialog follows
        // again as soon as the pointer is back over it.
        {"back from the edge", {{-400, 60}, {20, 60}}, {12, 50}},
    };
    WidgetManager* manager = app.GetWidgetManager();
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        auto dialog = MakeDialog(2, "", "", "");
        dialog->Resize(100, 50, 300, 200);
        manager->AddWidget(dialog.get());
        manager->MouseMove(150, 60);
        manager->MouseDown(150, 60, 1);
        EXPECT_EQ(app.cursorNumber, CursorDragging);
        Point last(150, 60);
        for (const Point& p : c.path)
        {
            manager->MouseMove(p.x, p.y);
            last = p;
        }
        manager->MouseUp(last.x, last.y, 1);
        EXPECT_EQ(app.cursorNumber, CursorPointer);
        EXPECT_FALSE(dialog->dragging);
        EXPECT_EQ(Point(dialog->x, dialog->y), c.expected);
        // The buttons follow.
        EXPECT_EQ(dialog->GetYesButton()->x, dialog->x + 24);
        EXPECT_EQ(dialog->GetYesButton()->y, dialog->y + 152);
        manager->RemoveWidget(dialog.get());
    }
}

TEST_F(DialogTest, ButtonsReachTheApplicationAsPlainButtonIds)
{
    struct Case
    {
        int mode;
        bool pressNo;
        int expectedId;
        int expectedResult;
    };
    const Case cases[] = {
        {1, false, 2007, 1000}, {1, true, 3007, 1001},  {2, false, 2007, 1000},
        {2, true, 3007, 1001},  {3, false, 2007, 1000},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(::testing::Message() << "mode " << c.mode << (c.pressNo ? " no" : " yes"));
        app.pressed.clear();
        app.clicked.clear();
        Dialog* dialog = app.ShowDialog(7, true, "Question", "Are you sure?", c.mode == 3 ? "OK" : "", c.mode);
        ASSERT_NE(dialog, nullptr);
        DialogButton* button = c.pressNo ? dialog->GetNoButton() : dialog->GetYesButton();
        ASSERT_NE(button, nullptr);
        app.Click(button->x + button->width / 2, button->y + button->height / 2);
        EXPECT_EQ(app.pressed, (std::vector<int>{c.expectedId}));
        EXPECT_EQ(app.clicked, (std::vector<int>{c.expectedId}));
        EXPECT_EQ(dialog->result, c.expectedResult);
        EXPECT_TRUE(app.CloseDialog(7));
        app.DeleteQueuedWidgets();
    }
}

// A widget that runs an action in its third update (and gives up after many).
class Stepper : public Widget
{
public:
    void Update() override
    {
        Widget::Update();
        if (++count == 3 && action)
            action();
        if (count > 1000 && giveUp)
            giveUp();
    }
    int count = 0;
    std::function<void()> action;
    std::function<void()> giveUp;
};

TEST_F(DialogTest, WaitForResultEndsWhenTheDialogAnswersOrGoes)
{
    struct Case
    {
        const char* name;
        std::function<void(ControlsApp&, Dialog*)> action;
        int expectedResult;
        bool stillRegistered; // the dialog under id 7 afterwards is not the waiting one
    };
    Dialog* replacement = nullptr;
    const Case cases[] = {
        {"closed without an answer", [](ControlsApp& a, Dialog*) { a.CloseDialog(7); }, Dialog::NoResult, false},
        {"answered", [](ControlsApp&, Dialog* d) { d->ButtonClicked(Dialog::NoButtonId); }, Dialog::NoButtonId, false},
        {"answered and closed at once",
         [](ControlsApp& a, Dialog* d)
         {
             d->ButtonClicked(Dialog::YesButtonId);
             a.CloseDialog(7);
         },
         Dialog::YesButtonId, false},
        {"taken out and its id given to another dialog",
         [&replacement](ControlsApp& a, Dialog*)
         {
             a.CloseDialog(7, true, false);
             replacement = a.ShowDialog(7, false, "Other", "", "", 0);
         },
         Dialog::NoResult, true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        replacement = nullptr;
        Dialog* dialog = app.ShowDialog(7, true, "Wait", "for it", "", 1);
        Stepper stepper;
        stepper.action = [&] { c.action(app, dialog); };
        stepper.giveUp = [&] { app.leaveMainLoop = true; };
        app.GetWidgetManager()->AddWidget(&stepper);

        EXPECT_EQ(dialog->WaitForResult(true), c.expectedResult);
        EXPECT_FALSE(app.leaveMainLoop) << "the wait did not end by itself";
        app.leaveMainLoop = false;
        EXPECT_GE(stepper.count, 3);
        app.GetWidgetManager()->RemoveWidget(&stepper);
        if (c.stillRegistered)
        {
            EXPECT_EQ(app.GetDialog(7), replacement);
            delete dialog; // closed without deletion: still ours
            app.CloseDialog(7);
        }
        EXPECT_EQ(app.GetDialog(7), nullptr);
        app.DeleteQueuedWidgets();
    }
}

TEST_F(DialogTest, ButtonTextColoursFollowTheDialog)
{
    auto buttonFrame = SolidImage(30, 24, Color::White);
    // A dialog without a button frame turns the shared button text colours black for
    // every dialog made after it.
    auto plain = MakeDialog(1, "", "", "");
    auto framed = MakeDialog(1, "", "", "", buttonFrame.get());
    for (Dialog* dialog : {plain.get(), framed.get()})
    {
        EXPECT_EQ(dialog->GetColor(Dialog::ColorButtonText), Color::Black);
        EXPECT_EQ(dialog->GetColor(Dialog::ColorButtonTextHilite), Color::Black);
        EXPECT_EQ(dialog->GetNoButton()->GetColor(ButtonWidget::ColorLabel), Color::Black);
        EXPECT_EQ(dialog->GetColor(Dialog::ColorPanel), Color(80, 80, 80));
    }
    framed->SetColor(Dialog::ColorButtonText, Color(1, 2, 3));
    framed->SetColor(Dialog::ColorButtonTextHilite, Color(136, 136, 136));
    for (DialogButton* button : {framed->GetYesButton(), framed->GetNoButton()})
    {
        EXPECT_EQ(button->GetColor(ButtonWidget::ColorLabel), Color(1, 2, 3));
        EXPECT_EQ(button->GetColor(ButtonWidget::ColorLabelHilite), Color(136, 136, 136));
    }
}

} // namespace
} // namespace zest::test
