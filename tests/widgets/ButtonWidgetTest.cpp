#include "widgets/ButtonWidget.h"

#include "ControlsTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace zest::test
{
namespace
{

class ButtonWidgetTest : public ::testing::Test
{
protected:
    ButtonWidgetTest() : screen(640, 480)
    {
        manager.SetScreenImage(&screen);
        manager.mouseIn = true;
        button.Resize(100, 100, 80, 30);
        manager.AddWidget(&button);
    }
    ~ButtonWidgetTest() override { manager.RemoveWidget(&button); }

    // Only the press and click events, in order.
    std::vector<std::string> PressesAndClicks() const
    {
        std::vector<std::string> out;
        for (const std::string& event : listener.events)
        {
            if (event.rfind("pressed", 0) == 0 || event.rfind("clicked", 0) == 0)
                out.push_back(event);
        }
        return out;
    }

    DisplayImage screen;
    WidgetManager manager{nullptr};
    RecordingButtonListener listener;
    ButtonWidget button{7, &listener};
};

TEST_F(ButtonWidgetTest, ClickNeedsTheReleaseOverTheButton)
{
    struct Case
    {
        const char* name;
        std::vector<Point> dragPath; // pointer positions while the button is held
        bool clicked;
    };
    const Case cases[] = {
        {"release where pressed", {}, true},
        {"drag off and release outside", {{300, 300}}, false},
        {"drag off and back before release", {{300, 300}, {170, 125}}, true},
        {"drag within the button", {{101, 101}}, true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        listener.events.clear();
        manager.MouseMove(110, 110);
        manager.MouseDown(110, 110, 1);
        Point last(110, 110);
        for (const Point& p : c.dragPath)
        {
            manager.MouseMove(p.x, p.y);
            last = p;
        }
        manager.MouseUp(last.x, last.y, 1);
        std::vector<std::string> expected{"pressed7"};
        if (c.clicked)
            expected.push_back("clicked7");
        EXPECT_EQ(PressesAndClicks(), expected);
        EXPECT_FALSE(button.isDown);
    }
}

TEST_F(ButtonWidgetTest, NoClickWhileTheApplicationHasNoFocus)
{
    manager.MouseMove(110, 110);
    manager.MouseDown(110, 110, 1);
    manager.LostFocus();
    manager.MouseUp(110, 110, 1);
    EXPECT_EQ(PressesAndClicks(), (std::vector<std::string>{"pressed7"}));

    manager.GotFocus();
    manager.MouseDown(110, 110, 1);
    manager.MouseUp(110, 110, 1);
    EXPECT_EQ(PressesAndClicks(), (std::vector<std::string>{"pressed7", "pressed7", "clicked7"}));
}

TEST_F(ButtonWidgetTest, HeldIsReportedEachUpdateOnlyWhileDownAndOver)
{
    manager.MouseMove(110, 110);
    manager.UpdateWidgets();
    EXPECT_EQ(listener.held, 0);
    manager.MouseDown(110, 110, 1);
    for (int i = 0; i < 3; i++)
        manager.UpdateWidgets();
    EXPECT_EQ(listener.held, 3);
    manager.MouseMove(300, 300);
    manager.UpdateWidgets();
    EXPECT_EQ(listener.held, 3);
    manager.MouseMove(110, 110);
    manager.UpdateWidgets();
    EXPECT_EQ(listener.held, 4);
    manager.MouseUp(110, 110, 1);
}

TEST_F(ButtonWidgetTest, HoverEventsReachTheListener)
{
    manager.MouseMove(110, 112);
    manager.MouseMove(115, 120);
    manager.MouseMove(10, 10);
    EXPECT_EQ(listener.events, (std::vector<std::string>{"hoverstart7", "hoverend7"}));
    EXPECT_EQ(listener.lastMoveX, 15);
    EXPECT_EQ(listener.lastMoveY, 20);
}

// Speeds of 1/n must finish in exactly n updates, although n steps of 1/n do not add
// up to exactly 1 in floating point.
TEST_F(ButtonWidgetTest, HoverHighlightFadesInWholeUpdates)
{
    struct Case
    {
        double fadeIn;
        double fadeOut;
        int updatesIn;  // until overAlpha reaches 1 (0: it jumps at once)
        int updatesOut; // until it reaches 0 after the mouse leaves (0: at once)
    };
    const Case cases[] = {
        {0.1, 0.1, 10, 10}, {0.0, 0.1, 0, 10}, {0.25, 0.0, 4, 0}, {0.3, 0.3, 4, 4}, {0.01, 0.02, 100, 50},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(::testing::Message() << "in " << c.fadeIn << " out " << c.fadeOut);
        button.overAlpha = 0;
        button.overAlphaFadeInSpeed = c.fadeIn;
        button.overAlphaFadeOutSpeed = c.fadeOut;
        manager.MouseMove(110, 110);
        for (int i = 1; i < c.updatesIn; i++)
            manager.UpdateWidgets();
        if (c.updatesIn > 0)
        {
            EXPECT_LT(button.overAlpha, 1.0);
            manager.UpdateWidgets();
            EXPECT_EQ(button.overAlpha, 1.0);
        }
        else
        {
            EXPECT_EQ(button.overAlpha, 0.0); // no fade-in: the hover look shows without the fade
        }

        manager.MouseMove(10, 10);
        if (c.updatesOut == 0)
        {
            EXPECT_EQ(button.overAlpha, 0.0);
            continue;
        }
        EXPECT_EQ(button.overAlpha, 1.0);
        for (int i = 1; i < c.updatesOut; i++)
            manager.UpdateWidgets();
        EXPECT_GT(button.overAlpha, 0.0);
        manager.UpdateWidgets();
        EXPECT_EQ(button.overAlpha, 0.0);
    }
}

// The drawn frame: a light top-left and dark bottom-right when raised, the reverse
// when pressed, with the medium line inside on the shaded side.
TEST(ButtonWidgetDraw, DrawnFrameShowsRaisedAndPressedBevels)
{
    const Color dark(0, 0, 0), light(255, 255, 255), medium(132, 132, 132), body(212, 212, 212);
    struct Case
    {
        const char* name;
        bool down;
        bool over;
        bool inverted;
        Color topLeft, innerTopLeft, innerBottomRight, bottomRight;
    };
    const Case cases[] = {
        {"raised", false, false, false, light, body, medium, dark},
        {"down but dragged off", true, false, false, light, body, medium, dark},
        {"pressed", true, true, false, dark, medium, body, light},
        {"inverted up", false, false, true, dark, medium, body, light},
        {"inverted pressed", true, true, true, light, body, medium, dark},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        ButtonWidget button(1, nullptr);
        button.Resize(0, 0, 40, 20);
        button.isDown = c.down;
        button.isOver = c.over;
        button.inverted = c.inverted;
        MemoryImage image;
        image.Create(40, 20);
        Graphics g(&image);
        button.Draw(&g);
        EXPECT_EQ(PixelAt(image, 0, 0), c.topLeft);
        EXPECT_EQ(PixelAt(image, 20, 0), c.topLeft);
        EXPECT_EQ(PixelAt(image, 1, 1), c.innerTopLeft);
        EXPECT_EQ(PixelAt(image, 38, 18), c.innerBottomRight);
        EXPECT_EQ(PixelAt(image, 39, 19), c.bottomRight);
        EXPECT_EQ(PixelAt(image, 39, 0), c.bottomRight);
        EXPECT_EQ(PixelAt(image, 20, 10), body);
    }
}

TEST(ButtonWidgetDraw, NoDrawAndFrameNoDrawLeaveTheImageAlone)
{
    for (bool frameOnly : {false, true})
    {
        ButtonWidget button(1, nullptr);
        button.Resize(0, 0, 40, 20);
        (frameOnly ? button.frameNoDraw : button.noDraw) = true;
        MemoryImage image;
        image.Create(40, 20);
        Graphics g(&image);
        button.Draw(&g);
        EXPECT_EQ(image.GetPixel(0, 0), 0u);
        EXPECT_EQ(image.GetPixel(20, 10), 0u);
    }
}

// One sheet with a 20 x 10 cell per state: normal red, over green, down blue,
// disabled grey.
TEST(ButtonWidgetDraw, ImageStatesDrawTheirRectangles)
{
    const Color red(255, 0, 0), green(0, 255, 0), blue(0, 0, 255), grey(90, 90, 90), none(0, 0, 0, 0);
    auto sheet = SolidImage(80, 10, red,
                            {{Rect(20, 0, 20, 10), green}, {Rect(40, 0, 20, 10), blue}, {Rect(60, 0, 20, 10), grey}});
    struct Case
    {
        const char* name;
        bool down, over, disabled, withDownState;
        Color at00, at11;
    };
    const Case cases[] = {
        {"normal", false, false, false, true, red, red},
        {"over", false, true, false, true, green, green},
        {"down, dragged off", true, false, false, true, green, green},
        {"pressed", true, true, false, true, blue, blue},
        {"pressed without a down state moves the over state", true, true, false, false, none, green},
        {"disabled", false, true, true, true, grey, grey},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        ButtonWidget button(1, nullptr);
        button.Resize(0, 0, 20, 10);
        button.buttonImage = sheet.get();
        button.normalRect = Rect(0, 0, 20, 10);
        button.overRect = Rect(20, 0, 20, 10);
        if (c.withDownState)
            button.downRect = Rect(40, 0, 20, 10);
        button.disabledRect = Rect(60, 0, 20, 10);
        button.isDown = c.down;
        button.isOver = c.over;
        button.disabled = c.disabled;
        MemoryImage image;
        image.Create(20, 10);
        Graphics g(&image);
        button.Draw(&g);
        EXPECT_EQ(PixelAt(image, 0, 0), c.at00);
        EXPECT_EQ(PixelAt(image, 1, 1), c.at11);
    }
}

TEST(ButtonWidgetDraw, PartialHoverBlendsTheOverStateOnTheNormalOne)
{
    auto normal = SolidImage(20, 10, Color(255, 0, 0));
    auto over = SolidImage(20, 10, Color(0, 255, 0));
    ButtonWidget button(1, nullptr);
    button.Resize(0, 0, 20, 10);
    button.buttonImage = normal.get();
    button.overImage = over.get();
    button.overAlpha = 0.5;
    MemoryImage image;
    image.Create(20, 10);
    Graphics g(&image);
    button.Draw(&g);
    // Green at alpha 127 over red: 255 * 128 / 255 red, 255 * 127 / 255 green.
    Color pixel = PixelAt(image, 5, 5);
    EXPECT_NEAR(pixel.red, 128, 2);
    EXPECT_NEAR(pixel.green, 127, 2);
    EXPECT_EQ(pixel.blue, 0);
}

TEST(ButtonWidgetDraw, LabelPlacementFollowsJustificationAndPress)
{
    struct Case
    {
        int justification;
        bool pressed;
        bool over;
        int x, y;
        int colorIndex;
    };
    // Button 100 x 30, label 12 wide, ascent 10: baseline (10 + 30 - 10 / 6 - 1) / 2 = 19.
    const Case cases[] = {
        {0, false, false, 44, 19, 0}, {-1, false, false, 0, 19, 0}, {1, false, false, 88, 19, 0},
        {0, false, true, 44, 19, 1},  {0, true, true, 45, 20, 1},   {1, true, true, 89, 20, 1},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(::testing::Message() << "justify " << c.justification << " pressed " << c.pressed);
        RecordingFont font;
        ButtonWidget button(1, nullptr);
        button.Resize(0, 0, 100, 30);
        button.SetFont(&font);
        button.label = "OK";
        button.labelJustification = c.justification;
        button.SetColor(0, Color(1, 2, 3));
        button.SetColor(1, Color(4, 5, 6));
        button.isDown = c.pressed;
        button.isOver = c.over;
        MemoryImage image;
        image.Create(100, 30);
        Graphics g(&image);
        button.Draw(&g);
        ASSERT_EQ(font.log->size(), 1u);
        const DrawnText& drawn = font.log->front();
        EXPECT_EQ(drawn.text, "OK");
        EXPECT_EQ(drawn.x, c.x);
        EXPECT_EQ(drawn.y, c.y);
        EXPECT_EQ(drawn.color, c.colorIndex == 0 ? Color(1, 2, 3) : Color(4, 5, 6));
    }
}

TEST(ButtonWidgetFont, SetFontKeepsItsOwnCopy)
{
    auto font = std::make_unique<RecordingFont>();
    auto log = font->log;
    ButtonWidget button(1, nullptr);
    button.Resize(0, 0, 100, 30);
    button.label = "GO";
    button.SetFont(font.get());
    font.reset();
    MemoryImage image;
    image.Create(100, 30);
    Graphics g(&image);
    button.Draw(&g);
    EXPECT_EQ(log->size(), 1u);
}

} // namespace
} // namespace zest::test
