#include "game/DemoDialog.h"

#include "game/GameApp.h"
#include "garden/Res.h"
#include "game/Board.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "widgets/Checkbox.h"
#include "widgets/Slider.h"
#include "widgets/WidgetManager.h"

namespace tibble
{

namespace
{

// Between a slider's top and its label's baseline.
constexpr int LabelGap = 5;

int ImageWidth(zest::Image* image, int fallback)
{
    return image ? image->GetWidth() : fallback;
}

int ImageHeight(zest::Image* image, int fallback)
{
    return image ? image->GetHeight() : fallback;
}

} // namespace

DemoDialog::DemoDialog(const std::string& headerText, const std::string& linesText)
    : GameDialog(Board::PanelDialogId, headerText, linesText, "CLOSE", ButtonsFooter, zest::Rect(120, 40, 400, 400))
{
    musicSlider = std::make_unique<zest::Slider>(IMAGE_SLIDER_TRACK, IMAGE_SLIDER_THUMB, MusicSliderId, this);
    soundSlider = std::make_unique<zest::Slider>(IMAGE_SLIDER_TRACK, IMAGE_SLIDER_THUMB, SoundSliderId, this);
    if (GameApp* app = App())
    {
        musicSlider->SetValue(app->GetMusicVolume());
        soundSlider->SetValue(app->GetSfxVolume());
    }
    fullScreenCheckbox = std::make_unique<zest::Checkbox>(IMAGE_CHECKBOX, IMAGE_CHECKBOX, FullScreenId, this);
}

DemoDialog::~DemoDialog()
{
    if (GetParent())
        GetParent()->RemoveWidget(this);
}

void DemoDialog::LayoutControls()
{
    const int sliderX = fixedRect.x + contentInsets.left;
    const int sliderWidth = fixedRect.width - contentInsets.left - contentInsets.right;
    const int sliderHeight = ImageHeight(IMAGE_SLIDER_THUMB, 20);
    musicSlider->Resize(sliderX, fixedRect.y + 140, sliderWidth, sliderHeight);
    soundSlider->Resize(sliderX, musicSlider->y + musicSlider->height + 40, sliderWidth, sliderHeight);
    fullScreenCheckbox->Resize(sliderX, soundSlider->y + soundSlider->height + 40, ImageWidth(IMAGE_CHECKBOX, 40) / 2,
                               ImageHeight(IMAGE_CHECKBOX, 20));
}

void DemoDialog::OnAttached(zest::WidgetManager* manager)
{
    GameDialog::OnAttached(manager);
    manager->AddWidget(musicSlider.get());
    manager->AddWidget(soundSlider.get());
    const int w = ImageWidth(IMAGE_CHECKBOX, 40);
    const int h = ImageHeight(IMAGE_CHECKBOX, 20);
    // The picture holds the unchecked box on its left half and the checked one on its right half.
    fullScreenCheckbox->uncheckedRect = zest::Rect(0, 0, w / 2, h);
    fullScreenCheckbox->checkedRect = zest::Rect(w / 2, 0, w / 2, h);
    if (GameApp* app = App())
        fullScreenCheckbox->SetChecked(!app->isWindowed, false);
    manager->AddWidget(fullScreenCheckbox.get());
}

void DemoDialog::OnDetached(zest::WidgetManager* manager)
{
    GameDialog::OnDetached(manager);
    manager->RemoveWidget(musicSlider.get());
    manager->RemoveWidget(soundSlider.get());
    manager->RemoveWidget(fullScreenCheckbox.get());
}

void DemoDialog::Draw(zest::Graphics* g)
{
    GameDialog::Draw(g);
    g->SetFont(FONT_DEFAULT);
    g->SetColor(zest::Color(0, 0, 0));
    // Each label sits just above its own slider (its baseline a few pixels over the track), clear of the one above.
    g->DrawString("Music volume:", musicSlider->x - x, musicSlider->y - y - LabelGap);
    g->DrawString("Sound volume:", soundSlider->x - x, soundSlider->y - y - LabelGap);
    g->DrawString("Full Screen:", fullScreenCheckbox->x - x,
                  fullScreenCheckbox->y - y - fullScreenCheckbox->height + 20);
}

void DemoDialog::SliderChanged(int sliderId, double value)
{
    GameApp* app = App();
    if (!app)
        return;
    if (sliderId == MusicSliderId)
    {
        app->SetMusicVolume(value);
    }
    else if (sliderId == SoundSliderId)
    {
        app->SetSfxVolume(value);
        // The player hears the new loudness once the thumb is let go.
        if (!soundSlider->dragging)
            PlayGameSound(*app, SOUND_TIMER);
    }
}

void DemoDialog::CheckboxToggled(int checkboxId, bool checked)
{
    if (checkboxId != FullScreenId || checked)
        return;
    GameApp* app = App();
    if (!app || !app->forceFullScreen)
        return;
    app->ShowDialog(NoWindowedModeDialogId, true, "No Windowed Mode",
                    "Windowed mode is only available if your desktop is running in\n\t\t\teither 16 bit or 32 bit "
                    "color mode, which it is not.",
                    "OK", ButtonsFooter);
    fullScreenCheckbox->SetChecked(true, true);
}

void DemoDialog::ButtonClicked(int buttonId)
{
    GameDialog::ButtonClicked(buttonId);
    if (buttonId != YesButtonId)
        return;
    GameApp* app = App();
    if (!app)
        return;
    app->SetScreenMode(!fullScreenCheckbox->IsChecked());
    CloseAndFocusBoard();
}

} // namespace tibble
