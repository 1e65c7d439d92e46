#include "widgets/DialogButton.h"

#include "ControlsTestSupport.h"
#include "widgets/HyperlinkWidget.h"

#include <gtest/gtest.h>

namespace zest::test
{
namespace
{

// Frame sheet: three 30 x 30 cells, normal red, over green, down blue.
TEST(DialogButton, FrameFollowsTheStateRectangles)
{
    const Color red(255, 0, 0), green(0, 255, 0), blue(0, 0, 255), grey(90, 90, 90);
    auto frame = SolidImage(120, 30, red,
                            {{Rect(30, 0, 30, 30), green}, {Rect(60, 0, 30, 30), blue}, {Rect(90, 0, 30, 30), grey}});
    struct Case
    {
        const char* name;
        bool down, over, disabled;
        Color centre;
    };
    const Case cases[] = {
        {"normal", false, false, false, red},  {"over", false, true, false, green},
        {"pressed", true, true, false, blue},  {"down, dragged off", true, false, false, red},
        {"disabled", false, true, true, grey},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        DialogButton button(frame.get(), 1000, nullptr);
        button.Resize(0, 0, 90, 30);
        button.normalRect = Rect(0, 0, 30, 30);
        button.overRect = Rect(30, 0, 30, 30);
        button.downRect = Rect(60, 0, 30, 30);
        button.disabledRect = Rect(90, 0, 30, 30);
        button.isDown = c.down;
        button.isOver = c.over;
        button.disabled = c.disabled;
        MemoryImage image;
        image.Create(90, 30);
        Graphics g(&image);
        button.Draw(&g);
        EXPECT_EQ(PixelAt(image, 45, 15), c.centre);
        EXPECT_EQ(PixelAt(image, 0, 0), c.centre);
        EXPECT_EQ(PixelAt(image, 89, 29), c.centre);
    }
}

TEST(DialogButton, WholeFrameImageMovesWhenPressed)
{
    auto frame = SolidImage(30, 30, Color(255, 0, 0));
    for (bool pressed : {false, true})
    {
        SCOPED_TRACE(pressed ? "pressed" : "up");
        DialogButton button(frame.get(), 1000, nullptr);
        button.Resize(0, 0, 90, 30);
        button.isDown = pressed;
        button.isOver = true;
        MemoryImage image;
        image.Create(90, 30);
        Graphics g(&image);
        button.Draw(&g);
        EXPECT_EQ(image.GetPixel(0, 0) == 0, pressed);
        EXPECT_EQ(PixelAt(image, 1, 1), Color(255, 0, 0));
    }
}

TEST(DialogButton, LabelIsCentredWithItsOffsetAndPadding)
{
    auto frame = SolidImage(30, 30, Color(255, 0, 0));
    struct Case
    {
        bool down, over;
        int offsetX, offsetY;
        int x, y;
        Color color;
    };
    // 100 x 30, "YES" is 18 wide: x (100 - 18) / 2 = 41; ascent 10, padding 2:
    // baseline (10 + 30 - 1 - 2 - 1) / 2 = 18.
    const Color text(10, 20, 30), hilite(40, 50, 60);
    const Case cases[] = {
        {false, false, 0, 0, 41, 18, text},
        {false, true, 0, 0, 41, 18, hilite},
        {true, true, 0, 0, 42, 19, hilite},
        {false, false, 3, -2, 44, 16, text},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(::testing::Message() << c.down << c.over << c.offsetX);
        RecordingFont font(nullptr, 2);
        DialogButton button(frame.get(), 1000, nullptr);
        button.Resize(0, 0, 100, 30);
        button.SetFont(&font);
        button.label = "YES";
        button.SetColor(0, text);
        button.SetColor(1, hilite);
        button.textOffsetX = c.offsetX;
        button.textOffsetY = c.offsetY;
        button.isDown = c.down;
        button.isOver = c.over;
        MemoryImage image;
        image.Create(100, 30);
        Graphics g(&image);
        button.Draw(&g);
        ASSERT_EQ(font.log->size(), 1u);
        EXPECT_EQ(font.log->front().x, c.x);
        EXPECT_EQ(font.log->front().y, c.y);
        EXPECT_EQ(font.log->front().color, c.color);
    }
}

TEST(DialogButton, WithoutFrameImageDrawsAsAPlainButton)
{
    DialogButton button(nullptr, 1000, nullptr);
    button.Resize(0, 0, 40, 20);
    EXPECT_TRUE(button.showFinger);
    EXPECT_EQ(button.GetColor(0), Color::White);
    EXPECT_EQ(button.GetColor(1), Color::White);
    EXPECT_EQ(button.GetColor(5), Color(212, 212, 212));
    MemoryImage image;
    image.Create(40, 20);
    Graphics g(&image);
    button.Draw(&g);
    EXPECT_EQ(PixelAt(image, 0, 0), Color(255, 255, 255));
    EXPECT_EQ(PixelAt(image, 20, 10), Color(212, 212, 212));
}

// 100 x 20, "link" is 24 wide: x 38, baseline (10 + 20) / 2 - 1 = 14, underline rows
// from 14 + 3.
TEST(HyperlinkWidget, LabelAndUnderlineUseTheHoverColour)
{
    const Color normal(180, 180, 255), over(255, 255, 255);
    for (bool hovered : {false, true})
    {
        SCOPED_TRACE(hovered ? "over" : "not over");
        RecordingFont font;
        HyperlinkWidget link(1, nullptr);
        EXPECT_TRUE(link.showFinger);
        link.Resize(0, 0, 100, 20);
        link.SetFont(&font);
        link.label = "link";
        link.color = normal;
        link.overColor = over;
        link.underlineSize = 2;
        link.isOver = hovered;
        MemoryImage image;
        image.Create(100, 20);
        Graphics g(&image);
        link.Draw(&g);
        const Color expected = hovered ? over : normal;
        ASSERT_EQ(font.log->size(), 1u);
        EXPECT_EQ(font.log->front().x, 38);
        EXPECT_EQ(font.log->front().y, 14);
        EXPECT_EQ(font.log->front().color, expected);
        for (int row : {17, 18})
        {
            EXPECT_EQ(PixelAt(image, 38, row), expected) << row;
            EXPECT_EQ(PixelAt(image, 61, row), expected) << row;
            EXPECT_EQ(image.GetPixel(37, row), 0u) << row;
            EXPECT_EQ(image.GetPixel(62, row), 0u) << row;
        }
        EXPECT_EQ(image.GetPixel(40, 15), 0u);
        EXPECT_EQ(image.GetPixel(40, 19), 0u);
    }
}

} // namespace
} // namespace zest::test
