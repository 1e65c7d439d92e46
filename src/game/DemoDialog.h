// The options dialog: music and sound volume sliders that act while they move, and a "Full Screen:"
// check box applied when CLOSE is pressed. Opened from the main menu and the pause dialog; owned by
// the application once added; owns its three controls (top-level widgets of the manager). Main thread.
#pragma once

#include "game/GameDialog.h"
#include "widgets/CheckboxListener.h"
#include "widgets/SliderListener.h"

#include <memory>

namespace zest
{
class Checkbox;
class DialogButton;
class Slider;
} // namespace zest

namespace tibble
{

class DemoDialog : public GameDialog, public zest::SliderListener, public zest::CheckboxListener
{
public:
    static constexpr int MusicSliderId = 0;
    static constexpr int SoundSliderId = 1;
    static constexpr int FullScreenId = 4;
    static constexpr int NoWindowedModeDialogId = 6;
    // Steps the game speed through its choices.
    static constexpr int SpeedButtonId = 5;

    DemoDialog(const std::string& header, const std::string& lines);
    ~DemoDialog() override;

    void OnAttached(zest::WidgetManager* manager) override;
    void OnDetached(zest::WidgetManager* manager) override;
    void Draw(zest::Graphics* g) override;
    void ButtonClicked(int buttonId) override;
    void SliderChanged(int sliderId, double value) override;
    void CheckboxToggled(int checkboxId, bool checked) override;

    zest::Slider* GetMusicSlider() const { return musicSlider.get(); }
    zest::Slider* GetSoundSlider() const { return soundSlider.get(); }
    zest::Checkbox* GetFullScreenCheckbox() const { return fullScreenCheckbox.get(); }
    zest::DialogButton* GetSpeedButton() const { return speedButton.get(); }

protected:
    void LayoutControls() override;

private:
    std::unique_ptr<zest::Slider> musicSlider;
    std::unique_ptr<zest::Slider> soundSlider;
    std::unique_ptr<zest::Checkbox> fullScreenCheckbox;
    std::unique_ptr<zest::DialogButton> speedButton;
};

} // namespace tibble
