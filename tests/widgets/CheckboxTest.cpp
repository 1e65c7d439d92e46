#include "widgets/Checkbox.h"

#include "ControlsTestSupport.h"

#include <gtest/gtest.h>

namespace zest::test
{
namespace
{

TEST(Checkbox, ClickTogglesAndTellsTheListener)
{
    DisplayImage screen(640, 480);
    WidgetManager manager(nullptr);
    manager.SetScreenImage(&screen);
    RecordingCheckboxListener listener;
    Checkbox box(nullptr, nullptr, 4, &listener);
    box.Resize(10, 10, 20, 20);
    manager.AddWidget(&box);

    for (bool expected : {true, false, true})
    {
        manager.MouseMove(15, 15);
        manager.MouseDown(15, 15, 1);
        manager.MouseUp(15, 15, 1);
        EXPECT_EQ(box.IsChecked(), expected);
    }
    box.SetChecked(false, false);
    EXPECT_FALSE(box.IsChecked());
    box.SetChecked(true, true);
    EXPECT_EQ(listener.toggles, (std::vector<std::pair<int, bool>>{{4, true}, {4, false}, {4, true}, {4, true}}));
    manager.RemoveWidget(&box);
}

// Which pictures are drawn for each mix of images and rectangles: red for the
// unchecked picture, green for the checked one, nothing (0) when the mix is incomplete.
TEST(Checkbox, ImageMixesDrawTheirPictureOrNothing)
{
    const Color red(255, 0, 0), green(0, 255, 0);
    auto uncheckedImage = SolidImage(20, 10, red);
    auto checkedImage = SolidImage(20, 10, green);
    // Unchecked on the left half, checked on the right half.
    auto sheet = SolidImage(40, 10, red, {{Rect(20, 0, 20, 10), green}});
    struct Case
    {
        const char* name;
        MemoryImage* unchecked;
        MemoryImage* checked;
        bool withRects;
        uint32_t uncheckedPixel, checkedPixel;
    };
    const Case cases[] = {
        {"two images", uncheckedImage.get(), checkedImage.get(), false, red.ToARGB(), green.ToARGB()},
        {"one sheet with rectangles", sheet.get(), nullptr, true, red.ToARGB(), green.ToARGB()},
        {"only the unchecked image", uncheckedImage.get(), nullptr, false, 0, 0},
        {"only the checked image", nullptr, checkedImage.get(), false, 0, 0},
        {"rectangles but only the checked image", nullptr, sheet.get(), true, 0, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        Checkbox box(c.unchecked, c.checked, 1, nullptr);
        box.Resize(0, 0, 20, 10);
        if (c.withRects)
        {
            box.uncheckedRect = Rect(0, 0, 20, 10);
            box.checkedRect = Rect(20, 0, 20, 10);
        }
        for (bool checked : {false, true})
        {
            box.SetChecked(checked, false);
            MemoryImage image;
            image.Create(20, 10);
            Graphics g(&image);
            box.Draw(&g);
            EXPECT_EQ(image.GetPixel(10, 5), checked ? c.checkedPixel : c.uncheckedPixel) << checked;
        }
    }
}

TEST(Checkbox, DrawnBoxShowsACrossWhenChecked)
{
    Checkbox box(nullptr, nullptr, 1, nullptr);
    box.Resize(0, 0, 12, 12);
    box.outlineColor = Color(255, 255, 255);
    box.insideColor = Color(80, 80, 80);
    box.checkColor = Color(255, 255, 0);
    for (bool checked : {false, true})
    {
        SCOPED_TRACE(checked ? "checked" : "unchecked");
        box.SetChecked(checked, false);
        MemoryImage image;
        image.Create(12, 12);
        Graphics g(&image);
        box.Draw(&g);
        EXPECT_EQ(PixelAt(image, 0, 0), box.outlineColor);
        EXPECT_EQ(PixelAt(image, 11, 11), box.outlineColor);
        EXPECT_EQ(PixelAt(image, 6, 2), box.insideColor);
        const Color cross = checked ? box.checkColor : box.insideColor;
        EXPECT_EQ(PixelAt(image, 1, 1), cross);
        EXPECT_EQ(PixelAt(image, 10, 10), cross);
        EXPECT_EQ(PixelAt(image, 1, 10), cross);
        // The second stroke starts on the outline column.
        EXPECT_EQ(PixelAt(image, 11, 1), checked ? box.checkColor : box.outlineColor);
    }
}

} // namespace
} // namespace zest::test
