#include "game/RestartDialog.h"

#include "game/Board.h"

namespace tibble
{

RestartDialog::RestartDialog()
    : GameDialog(Board::MessageDialogId, "RESTART", "Are you sure?\n\nAll progress will be lost", "", ButtonsYesNo,
                 zest::Rect(120, 125, 400, 230))
{
}

void RestartDialog::ButtonClicked(int buttonId)
{
    GameDialog::ButtonClicked(buttonId);
    if (buttonId != YesButtonId && buttonId != NoButtonId)
        return;
    CloseAndFocusBoard();
    if (buttonId == YesButtonId)
    {
        if (Board* board = GetBoard())
        {
            board->ResetProgress();
            (void)board->SaveProgress();
        }
    }
}

} // namespace tibble
