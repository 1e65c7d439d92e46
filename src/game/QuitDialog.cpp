#include "game/QuitDialog.h"

#include "game/GameApp.h"
#include "game/Board.h"
#include "widgets/WidgetManager.h"

namespace tibble
{

QuitDialog::QuitDialog(int parentId)
    : GameDialog(Board::MessageDialogId, "QUIT",
                 "Are you sure?\n\nYour progress to the start of this level will be saved", "", ButtonsYesNo,
                 zest::Rect(120, 125, 400, 230)),
      parentDialogId(parentId)
{
    GameApp* app = App();
    if (!app)
        return;
    if (zest::Dialog* parent = app->GetDialog(parentDialogId))
        app->GetWidgetManager()->SendToBack(parent);
}

void QuitDialog::ButtonClicked(int buttonId)
{
    GameDialog::ButtonClicked(buttonId);
    GameApp* app = App();
    if (!app)
        return;
    if (buttonId == YesButtonId)
    {
        app->CloseDialog(parentDialogId);
        CloseAndFocusBoard();
        if (Board* board = GetBoard())
        {
            board->SetPaused(false);
            board->ReturnToMenu();
        }
    }
    else if (buttonId == NoButtonId)
    {
        app->CloseDialog(this);
        zest::Dialog* parent = app->GetDialog(parentDialogId);
        zest::Widget* board = app->GetBoard();
        if (parent && board)
            app->GetWidgetManager()->PlaceInFront(parent, board);
        app->FocusBoard();
    }
}

} // namespace tibble
