// Whole dialogs drawn on the screen with the system fonts, with and without frame
// images. With ZEST_SHOT_DIR set, the screens are also written there as PNG files.
#include "widgets/Dialog.h"

#include "ControlsTestSupport.h"
#include "graphics/SysFont.h"
#include "resources/ImageWriter.h"
#include "widgets/DialogButton.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

namespace zest::test
{
namespace
{

const Color Cream(255, 246, 214);
const Color Amber(236, 170, 40);
const Color Bark(92, 58, 22);

// A sky-to-grass backdrop behind the dialog, so its shadow and rounded corners show.
class Backdrop : public Widget
{
public:
    void Draw(Graphics* g) override
    {
        for (int row = 0; row < height; row++)
        {
            const bool grass = row > height * 3 / 4;
            g->SetColor(grass ? Color(70, 160 - row / 8, 60) : Color(120 + row / 6, 180 + row / 8, 240));
            g->FillRect(0, row, width, 1);
        }
    }
};

// Pixels of a rounded panel: transparent outside radius r, a dark rim, an amber band,
// then the fill.
std::unique_ptr<MemoryImage> RoundedPanel(int width, int height, int radius, int band, const Color& fill,
                                          bool shadeDown)
{
    auto image = std::make_unique<MemoryImage>();
    image->Create(width, height);
    uint32_t* bits = image->GetBits();
    for (int y = 0; y < height; y++)
    {
        for (int x = 0; x < width; x++)
        {
            // Distance inside the rounded rectangle's edge.
            const int cx = std::clamp(x, radius, width - 1 - radius);
            const int cy = std::clamp(y, radius, height - 1 - radius);
            const double outside = std::hypot(x - cx, y - cy);
            const double inside = radius - outside;
            const int edge = std::min(std::min(x, width - 1 - x), std::min(y, height - 1 - y));
            const double depth = (x == cx && y == cy) ? std::min<double>(edge, radius) : inside;
            Color color = fill;
            if (shadeDown)
                color = Color(fill.red, std::max(0, fill.green - y * 2), std::max(0, fill.blue - y));
            if (depth < 0)
                color = Color(0, 0, 0, 0);
            else if (depth < 2)
                color = Bark;
            else if (depth < 2 + band)
                color = Amber;
            bits[y * width + x] = color.ToARGB();
        }
    }
    image->BitsChanged();
    image->CommitBits();
    return image;
}

class DialogDraw : public ::testing::Test
{
protected:
    DialogDraw()
    {
        fontsAvailable = SysFont("Arial Unicode MS", 12).IsLoaded();
        backdrop.Resize(0, 0, 640, 480);
        app.GetWidgetManager()->AddWidget(&backdrop);
    }
    ~DialogDraw() override
    {
        app.CloseDialog(5);
        app.DeleteQueuedWidgets();
        app.GetWidgetManager()->RemoveWidget(&backdrop);
    }

    MemoryImage& Screen() { return *static_cast<MemoryImage*>(app.GetWidgetManager()->GetScreenImage()); }

    // Adds the dialog centred, sized to its text, and draws the screen.
    void Show(Dialog* dialog)
    {
        const int dialogWidth = 400;
        dialog->Resize((640 - dialogWidth) / 2, 60, dialogWidth, dialog->GetPreferredHeight(dialogWidth));
        app.AddDialog(5, dialog);
        app.GetWidgetManager()->MarkAllDirty();
        ASSERT_TRUE(app.GetWidgetManager()->DrawWidgets());
    }

    void SaveShot(const std::string& name)
    {
        const char* folder = std::getenv("ZEST_SHOT_DIR");
        if (!folder || !*folder)
            return;
        std::filesystem::create_directories(folder);
        EXPECT_TRUE(WritePng((std::filesystem::path(folder) / name).string(), Screen()));
    }

    // How many pixels of the area differ from colour.
    int CountOther(const Rect& area, const Color& color)
    {
        int count = 0;
        for (int y = area.y; y < area.y + area.height; y++)
            for (int x = area.x; x < area.x + area.width; x++)
                count += Screen().GetPixel(x, y) != color.ToARGB() ? 1 : 0;
        return count;
    }

    ControlsApp app;
    Backdrop backdrop;
    bool fontsAvailable = false;
    const std::string header = "TIBBLE SAYS";
    const std::string lines = "Hold the mouse button on a hose to spray water at Tibble. Land on the flowers to "
                              "collect nectar, then fly out through the red trumpet. Ready to play?";
};

TEST_F(DialogDraw, FrameImageDialogWithHeaderWrappedLinesAndTwoButtons)
{
    if (!fontsAvailable)
        GTEST_SKIP() << "no system font to draw the texts with";
    auto frame = RoundedPanel(48, 48, 12, 3, Cream, false);
    auto buttonFrame = RoundedPanel(30, 30, 8, 0, Color(250, 210, 90), true);
    auto* dialog = new Dialog(frame.get(), buttonFrame.get(), 5, true, header, lines, "", Dialog::ButtonsYesNo);
    dialog->SetColor(Dialog::ColorHeader, Color(120, 60, 0));
    dialog->SetColor(Dialog::ColorLines, Color::Black);
    dialog->SetColor(Dialog::ColorButtonText, Color::Black);
    dialog->SetColor(Dialog::ColorButtonTextHilite, Color(136, 136, 136));
    Show(dialog);
    SaveShot("dialog-with-frame-image.png");

    const Rect r = dialog->GetRect();
    EXPECT_GE(r.height, 24 + 24 + 30 + 16 + 2 * 14); // header, at least two body lines, buttons
    // The frame's rounded corner lets the backdrop through; its rim and fill are there.
    EXPECT_NE(Screen().GetPixel(r.x, r.y), Bark.ToARGB());
    EXPECT_EQ(Screen().GetPixel(r.x + 24, r.y + 1), Bark.ToARGB());
    EXPECT_EQ(Screen().GetPixel(r.x + 24, r.y + 3), Amber.ToARGB());
    EXPECT_EQ(Screen().GetPixel(r.x + 8, r.y + r.height / 2), Cream.ToARGB());
    // Text in the header band and in the body.
    EXPECT_GT(CountOther(Rect(r.x + 24, r.y + 24, r.width - 48, 14), Cream), 30);
    EXPECT_GT(CountOther(Rect(r.x + 24, r.y + 50, r.width - 48, 30), Cream), 100);
    // Both buttons, each with its label.
    for (DialogButton* button : {dialog->GetYesButton(), dialog->GetNoButton()})
    {
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->height, 30);
        EXPECT_EQ(Screen().GetPixel(button->x + button->width / 2, button->y + 1), Bark.ToARGB());
        EXPECT_GT(CountOther(Rect(button->x + 10, button->y + 8, button->width - 20, 14), Color(250, 210, 90)), 20);
    }
}

TEST_F(DialogDraw, DrawnDialogWithHeaderWrappedLinesAndTwoButtons)
{
    if (!fontsAvailable)
        GTEST_SKIP() << "no system font to draw the texts with";
    Dialog* dialog = app.CreateDialog(5, true, header, lines, "", Dialog::ButtonsOkCancel);
    Show(dialog);
    SaveShot("dialog-drawn.png");

    const Rect r = dialog->GetRect();
    const Color outline(255, 255, 255), panel(80, 80, 80);
    EXPECT_EQ(Screen().GetPixel(r.x + 12, r.y + 12), outline.ToARGB());
    EXPECT_EQ(Screen().GetPixel(r.x + r.width - 13, r.y + r.height - 13), outline.ToARGB());
    EXPECT_EQ(Screen().GetPixel(r.x + 14, r.y + r.height / 2), panel.ToARGB());
    // Outside the outline the backdrop shows; on the right and bottom, darkened by half.
    const Color behind = Color::FromARGB(Screen().GetPixel(r.x + 5, r.y + 100));
    const Color shadow = Color::FromARGB(Screen().GetPixel(r.x + r.width - 5, r.y + 100));
    EXPECT_NEAR(shadow.blue, behind.blue / 2, 2);
    // White header and yellow body text.
    EXPECT_GT(CountOther(Rect(r.x + 24, r.y + 24, r.width - 48, 16), panel), 30);
    EXPECT_GT(CountOther(Rect(r.x + 24, r.y + 50, r.width - 48, 30), panel), 100);
    // Drawn buttons: light grey body, black labels.
    for (DialogButton* button : {dialog->GetYesButton(), dialog->GetNoButton()})
    {
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->height, 24);
        EXPECT_EQ(Screen().GetPixel(button->x + 3, button->y + 3), Color(212, 212, 212).ToARGB());
        EXPECT_GT(
            CountOther(Rect(button->x + 2, button->y + 2, button->width - 4, button->height - 4), Color(212, 212, 212)),
            20);
    }
}

} // namespace
} // namespace zest::test
