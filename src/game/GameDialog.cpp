#include "game/GameDialog.h"

#include "app/ZestAppBase.h"
#include "game/GameApp.h"
#include "garden/Res.h"
#include "game/Board.h"
#include "widgets/DialogButton.h"

namespace tibble
{

GameDialog::GameDialog(int dialogId, const std::string& headerText, const std::string& linesText,
                       const std::string& footerText, int mode, const zest::Rect& rect, int headerSpace)
    : zest::Dialog(IMAGE_DIALOG_BOX, IMAGE_DIALOG_BUTTON, dialogId, true, headerText, linesText, footerText, mode),
      fixedRect(rect)
{
    contentInsets = {33, 23, 33, 20};
    spaceAfterHeader = headerSpace;
    SetHeaderFont(FONT_TITLE);
    SetLinesFont(FONT_DEFAULT);
    SetButtonFont(FONT_DEFAULT);
    SetColor(ColorHeader, zest::Color(0, 0, 0));
    SetColor(ColorLines, zest::Color(0, 0, 0));
    SetColor(ColorButtonText, zest::Color(0, 0, 0));
    SetColor(ColorButtonTextHilite, ButtonOverColor);
}

void GameDialog::Resize(int newX, int newY, int newWidth, int newHeight)
{
    (void)newX, (void)newY, (void)newWidth, (void)newHeight;
    zest::Dialog::Resize(fixedRect.x, fixedRect.y, fixedRect.width, fixedRect.height);
    LayoutControls();
}

std::unique_ptr<zest::DialogButton> GameDialog::MakeButton(int buttonId, const std::string& label)
{
    auto button = std::make_unique<zest::DialogButton>(IMAGE_DIALOG_BUTTON, buttonId, this);
    button->label = label;
    button->SetFont(FONT_DEFAULT);
    button->SetColor(0, zest::Color(0, 0, 0));
    button->SetColor(1, ButtonOverColor);
    return button;
}

void GameDialog::CloseAndFocusBoard()
{
    GameApp* app = App();
    if (!app)
        return;
    app->CloseDialog(this);
    app->FocusBoard();
}

GameApp* GameDialog::App() const
{
    return dynamic_cast<GameApp*>(zest::ZestAppBase::Instance());
}

Board* GameDialog::GetBoard() const
{
    GameApp* app = App();
    return app ? dynamic_cast<Board*>(app->GetBoard()) : nullptr;
}

} // namespace tibble
