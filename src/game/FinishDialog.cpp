#include "game/FinishDialog.h"

#include "garden/Res.h"
#include "game/Board.h"
#include "graphics/Graphics.h"

namespace tibble
{

namespace
{

constexpr int TextFieldWidth = 180;

} // namespace

FinishDialog::FinishDialog()
    : GameDialog(Board::MessageDialogId, "CONGRATULATIONS", "", "CLOSE", ButtonsFooter, zest::Rect(120, 40, 400, 400))
{
    SetColor(ColorLines, TextColor);
}

void FinishDialog::Draw(zest::Graphics* g)
{
    GameDialog::Draw(g);
    g->SetFont(FONT_DEFAULT);
    g->SetColor(TextColor);
    DrawText(g, "You have completed the game", 120, 100, TextFieldWidth, 0, true, 0, -1);
    DrawText(g, "Here is your secret Tour the Town item", 120, 140, TextFieldWidth, 0, true, 0, -1);
    g->SetColor(WarningColor);
    DrawText(g, "Note: This competition is now closed!", 120, 330, TextFieldWidth, 0, true, 0, -1);
    g->SetFont(FONT_TITLE);
    g->SetColor(zest::Color(0, 0, 0));
    DrawText(g, PrizeCode, 70, 300, TextFieldWidth, 0, true, 0, -1);
    if (IMAGE_ITEM)
        g->DrawImage(IMAGE_ITEM, 150, 170, 100, 100);
}

void FinishDialog::ButtonClicked(int buttonId)
{
    GameDialog::ButtonClicked(buttonId);
    if (buttonId != YesButtonId)
        return;
    CloseAndFocusBoard();
    if (Board* board = GetBoard())
        board->ReturnToMenu();
}

} // namespace tibble
