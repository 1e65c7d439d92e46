// "HELP": six pages of pictures and text about playing, shown one after another by NEXT (there is no
// way back but closing). Opened from the main menu and the pause dialog; owned by the application
// once added; owns its NEXT button. Main thread only.
#pragma once

#include "game/GameDialog.h"

namespace tibble
{

class InstructionsDialog : public GameDialog
{
public:
    static constexpr int NextId = 1;
    static constexpr int LastPage = 6;

    InstructionsDialog();
    ~InstructionsDialog() override;

    void OnAttached(zest::WidgetManager* manager) override;
    void OnDetached(zest::WidgetManager* manager) override;
    void Draw(zest::Graphics* g) override;
    void ButtonClicked(int buttonId) override;

    int GetPage() const { return page; }
    zest::DialogButton* GetNextButton() const { return nextButton.get(); }

    // The two layers of the page Draw shows over the box (dialog coordinates): the
    // pictures on the left, and the text in a column beside them, above NEXT.
    void DrawPictures(zest::Graphics* g);
    void DrawPageText(zest::Graphics* g);

protected:
    void LayoutControls() override;

private:
    int page = 0;
    int animationCounter = 0;
    std::unique_ptr<zest::DialogButton> nextButton;
};

} // namespace tibble
