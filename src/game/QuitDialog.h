// "Are you sure?" before leaving a game for the main menu. Opened by the pause dialog, which it hides
// while it asks; owned by the application once added. Main thread only.
#pragma once

#include "game/GameDialog.h"

namespace tibble
{

class QuitDialog : public GameDialog
{
public:
    // parentDialogId: the dialog that asked (the pause dialog), sent behind the board meanwhile.
    explicit QuitDialog(int parentDialogId);

    void ButtonClicked(int buttonId) override;

    int parentDialogId;
};

} // namespace tibble
