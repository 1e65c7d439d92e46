#include "game/PauseDialog.h"

#include "game/DemoDialog.h"
#include "game/GameApp.h"
#include "game/InstructionsDialog.h"
#include "game/QuitDialog.h"
#include "game/Board.h"
#include "widgets/DialogButton.h"
#include "widgets/WidgetManager.h"

namespace tibble
{

PauseDialog::PauseDialog(const std::string& headerText, const std::string& linesText)
    : GameDialog(Board::PauseDialogId, headerText, linesText, "CLOSE", ButtonsFooter, zest::Rect(120, 40, 400, 400), 35)
{
    optionsButton = MakeButton(OptionsId, "OPTIONS");
    helpButton = MakeButton(HelpId, "HELP");
    quitButton = MakeButton(QuitId, "QUIT TO MAIN MENU");
}

PauseDialog::~PauseDialog()
{
    // Out of the tree before the buttons go.
    if (GetParent())
        GetParent()->RemoveWidget(this);
}

void PauseDialog::LayoutControls()
{
    const int buttonX = fixedRect.x + contentInsets.left;
    const int buttonWidth = fixedRect.width - contentInsets.left - contentInsets.right;
    optionsButton->Resize(buttonX, fixedRect.y + 100, buttonWidth, 40);
    helpButton->Resize(buttonX, optionsButton->y + 40 + 10, buttonWidth, 40);
    quitButton->Resize(buttonX, helpButton->y + 40 + 10, buttonWidth, 40);
}

void PauseDialog::OnAttached(zest::WidgetManager* manager)
{
    GameDialog::OnAttached(manager);
    manager->AddWidget(optionsButton.get());
    manager->AddWidget(helpButton.get());
    manager->AddWidget(quitButton.get());
}

void PauseDialog::OnDetached(zest::WidgetManager* manager)
{
    GameDialog::OnDetached(manager);
    manager->RemoveWidget(optionsButton.get());
    manager->RemoveWidget(helpButton.get());
    manager->RemoveWidget(quitButton.get());
}

void PauseDialog::ButtonClicked(int buttonId)
{
    GameDialog::ButtonClicked(buttonId);
    GameApp* app = App();
    if (!app)
        return;
    zest::Dialog* dialog = nullptr;
    int dialogId = 0;
    switch (buttonId)
    {
    case OptionsId:
        dialog = new DemoDialog("OPTIONS", "");
        dialogId = Board::PanelDialogId;
        break;
    case HelpId:
        dialog = new InstructionsDialog();
        dialogId = Board::PanelDialogId;
        break;
    case QuitId:
        dialog = new QuitDialog(id);
        dialogId = Board::MessageDialogId;
        break;
    case YesButtonId:
        CloseAndFocusBoard();
        if (Board* board = GetBoard())
            board->SetPaused(false);
        return;
    default:
        return;
    }
    dialog->Resize(120, 40, 400, 400);
    app->AddDialog(dialogId, dialog);
}

} // namespace tibble
