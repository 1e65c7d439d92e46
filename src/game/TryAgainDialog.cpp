#include "game/TryAgainDialog.h"

#include "game/Board.h"

namespace tibble
{

TryAgainDialog::TryAgainDialog()
    : GameDialog(Board::MessageDialogId, "GAME OVER", "Try Again", "OK", ButtonsFooter, zest::Rect(120, 125, 400, 230))
{
}

void TryAgainDialog::ButtonClicked(int buttonId)
{
    GameDialog::ButtonClicked(buttonId);
    if (buttonId != YesButtonId)
        return;
    CloseAndFocusBoard();
    if (Board* board = GetBoard())
        board->ReturnToMenu();
}

} // namespace tibble
