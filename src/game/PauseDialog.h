// The dialog that pauses a game: OPTIONS, HELP and QUIT TO MAIN MENU open their dialogs over it, CLOSE
// lets the game run again. Opened by the board (MENU, Escape, space); owned by the application once
// added; owns its three buttons. Main thread only.
#pragma once

#include "game/GameDialog.h"

namespace tibble
{

class PauseDialog : public GameDialog
{
public:
    static constexpr int OptionsId = 0;
    static constexpr int HelpId = 1;
    static constexpr int QuitId = 2;

    PauseDialog(const std::string& header, const std::string& lines);
    ~PauseDialog() override;

    void OnAttached(zest::WidgetManager* manager) override;
    void OnDetached(zest::WidgetManager* manager) override;
    void ButtonClicked(int buttonId) override;

    zest::DialogButton* GetOptionsButton() const { return optionsButton.get(); }
    zest::DialogButton* GetHelpButton() const { return helpButton.get(); }
    zest::DialogButton* GetQuitButton() const { return quitButton.get(); }

protected:
    void LayoutControls() override;

private:
    std::unique_ptr<zest::DialogButton> optionsButton;
    std::unique_ptr<zest::DialogButton> helpButton;
    std::unique_ptr<zest::DialogButton> quitButton;
};

} // namespace tibble
