#include "widgets/Slider.h"

#include "ControlsTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace zest::test
{
namespace
{

// A 100 x 20 slider at (100, 100) with a 10 x 10 thumb, in an application so the
// cursor changes can be seen.
class SliderTest : public ::testing::Test
{
protected:
    SliderTest()
    {
        slider.Resize(100, 100, 100, 20);
        app.GetWidgetManager()->AddWidget(&slider);
    }
    ~SliderTest() override { app.GetWidgetManager()->RemoveWidget(&slider); }

    WidgetManager* Manager() { return app.GetWidgetManager(); }

    ControlsApp app;
    std::unique_ptr<MemoryImage> track = SolidImage(30, 10, Color(255, 0, 0));
    std::unique_ptr<MemoryImage> thumb = SolidImage(10, 10, Color(255, 255, 255));
    RecordingSliderListener listener;
    Slider slider{track.get(), thumb.get(), 3, &listener};
};

TEST_F(SliderTest, TrackClickMovesTheThumbAndReportsOnRelease)
{
    Manager()->MouseMove(175, 110);
    Manager()->MouseDown(175, 110, 1);
    EXPECT_DOUBLE_EQ(slider.value, 0.75);
    EXPECT_EQ(slider.ThumbPosition(), 67); // (100 - 10) * 0.75
    EXPECT_FALSE(slider.dragging);
    // Moving while held after a jump does not drag.
    Manager()->MouseMove(120, 110);
    EXPECT_DOUBLE_EQ(slider.value, 0.75);
    EXPECT_TRUE(listener.values.empty());
    Manager()->MouseUp(120, 110, 1);
    EXPECT_EQ(listener.values, (std::vector<double>{0.75}));
}

TEST_F(SliderTest, DraggingTheThumbReportsEveryChange)
{
    Manager()->MouseMove(105, 110);
    EXPECT_EQ(app.cursorNumber, CursorDragging);
    Manager()->MouseDown(105, 110, 1); // grabbed 5 pixels into the thumb
    EXPECT_TRUE(slider.dragging);
    EXPECT_EQ(app.cursorNumber, CursorDragging);
    const int path[] = {150, 150, 1000, -1000, 127};
    for (int x : path)
        Manager()->MouseMove(x, 300); // off the slider still drags
    EXPECT_DOUBLE_EQ(slider.value, 22.0 / 90);
    Manager()->MouseUp(127, 300, 1);
    EXPECT_FALSE(slider.dragging);
    EXPECT_EQ(app.cursorNumber, CursorPointer);
    // (150 - 100 - 5) / 90 = 0.5; the repeat changes nothing; then both ends; then the
    // release repeats the last value.
    EXPECT_EQ(listener.values, (std::vector<double>{0.5, 1.0, 0.0, 22.0 / 90, 22.0 / 90}));
}

TEST_F(SliderTest, CursorShowsTheGrabOnlyOverTheThumb)
{
    slider.SetValue(0.5); // thumb at 45..54
    const struct
    {
        int x;
        int cursor;
    } moves[] = {{120, CursorPointer}, {145, CursorDragging}, {154, CursorDragging}, {155, CursorPointer}};
    for (const auto& move : moves)
    {
        Manager()->MouseMove(move.x, 110);
        EXPECT_EQ(app.cursorNumber, move.cursor) << move.x;
    }
    Manager()->MouseMove(145, 110);
    Manager()->MouseMove(400, 400);
    EXPECT_EQ(app.cursorNumber, CursorPointer);
}

TEST(Slider, ValuesStayWithinTheRangeWithoutDividingByZero)
{
    auto thumb = SolidImage(10, 10, Color::White);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct
    {
        double set;
        double expected;
    } values[] = {{0.25, 0.25}, {-1, 0}, {2, 1}, {nan, 0}};
    for (const auto& v : values)
    {
        Slider slider(nullptr, thumb.get(), 1, nullptr);
        slider.SetValue(v.set);
        EXPECT_EQ(slider.value, v.expected) << v.set;
    }

    // A slider no wider than its thumb: nowhere to move, and no division by zero.
    for (int width : {0, 5, 10})
    {
        SCOPED_TRACE(width);
        RecordingSliderListener listener;
        Slider slider(nullptr, thumb.get(), 1, &listener);
        slider.Resize(0, 0, width, 10);
        slider.MouseDown(2, 5, 1);
        slider.MouseDrag(50, 5);
        slider.MouseUp(50, 5, 1);
        EXPECT_TRUE(std::isfinite(slider.value));
        EXPECT_GE(slider.value, 0.0);
        EXPECT_LE(slider.value, 1.0);
        ASSERT_EQ(listener.values.size(), 1u);
        EXPECT_TRUE(std::isfinite(listener.values[0]));
    }
}

TEST(Slider, VerticalSliderWorksAlongY)
{
    auto thumb = SolidImage(10, 10, Color::White);
    RecordingSliderListener listener;
    Slider slider(nullptr, thumb.get(), 1, &listener);
    slider.horizontal = false;
    slider.Resize(0, 0, 20, 100);
    slider.MouseDown(10, 75, 1);
    EXPECT_DOUBLE_EQ(slider.value, 0.75);
    slider.MouseUp(10, 75, 1);
    slider.SetValue(0);
    slider.MouseDown(3, 4, 1);
    EXPECT_TRUE(slider.dragging);
    slider.MouseDrag(3, 49);
    EXPECT_DOUBLE_EQ(slider.value, 0.5);
}

// Track picture: red start cap, green middle, blue end cap, each 10 wide.
TEST(Slider, TrackIsDrawnFromThreePartsAndTheThumbOnTop)
{
    const Color red(255, 0, 0), green(0, 255, 0), blue(0, 0, 255), white(255, 255, 255);
    auto track = SolidImage(30, 10, red, {{Rect(10, 0, 10, 10), green}, {Rect(20, 0, 10, 10), blue}});
    auto thumb = SolidImage(10, 16, white);
    for (int width : {100, 95})
    {
        SCOPED_TRACE(width);
        Slider slider(track.get(), nullptr, 1, nullptr);
        slider.Resize(0, 0, width, 20);
        MemoryImage image;
        image.Create(width, 20);
        Graphics g(&image);
        slider.Draw(&g);
        // The track is centred: rows 5..14.
        EXPECT_EQ(image.GetPixel(0, 4), 0u);
        EXPECT_EQ(PixelAt(image, 0, 5), red);
        EXPECT_EQ(PixelAt(image, 9, 14), red);
        EXPECT_EQ(image.GetPixel(9, 15), 0u);
        for (int x = 10; x < width - 10; x++)
            ASSERT_EQ(PixelAt(image, x, 10), green) << x;
        EXPECT_EQ(PixelAt(image, width - 10, 10), blue);
        EXPECT_EQ(PixelAt(image, width - 1, 10), blue);
    }

    Slider slider(track.get(), thumb.get(), 1, nullptr);
    slider.Resize(0, 0, 100, 20);
    slider.SetValue(1);
    MemoryImage image;
    image.Create(100, 20);
    Graphics g(&image);
    slider.Draw(&g);
    EXPECT_EQ(PixelAt(image, 90, 2), white); // (20 - 16) / 2
    EXPECT_EQ(PixelAt(image, 99, 17), white);
    EXPECT_EQ(PixelAt(image, 89, 10), green);
}

} // namespace
} // namespace zest::test
