#include "game/CreditsDialog.h"

#include "game/GameApp.h"
#include "game/Res.h"
#include "game/Board.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "widgets/HyperlinkWidget.h"
#include "widgets/WidgetManager.h"

#include <array>

namespace tibble
{

namespace
{

constexpr int FieldWidth = 104;

struct Credit
{
    const char* role;
    const char* name;
};

// The people of our own team.
constexpr std::array<Credit, 3> Credits{{
    {"Design and Programming . . .", "Ada Quill"},
    {"Art . . .", "Rowan Pike"},
    {"Music . . .", "Tam Fairweather"},
}};
constexpr int CreditBaselines[3] = {140, 170, 200};
constexpr const char* MakerNotice = "(c) 2026 Mossbank Games";

} // namespace

CreditsDialog::CreditsDialog()
    : GameDialog(Board::MessageDialogId, "CREDITS", "", "CLOSE", ButtonsFooter, zest::Rect(120, 40, 400, 400))
{
    SetColor(ColorLines, zest::Color(255, 255, 255));
    link = std::make_unique<zest::HyperlinkWidget>(LinkId, this);
    link->SetFont(FONT_DEFAULT);
    link->label = WebSite;
    link->color = zest::Color(180, 180, 255);
    link->overColor = zest::Color(255, 255, 255);
    link->underlineSize = 1;
}

CreditsDialog::~CreditsDialog()
{
    if (GetParent())
        GetParent()->RemoveWidget(this);
}

void CreditsDialog::OnAttached(zest::WidgetManager* manager)
{
    GameDialog::OnAttached(manager);
    int linkWidth = FONT_DEFAULT ? FONT_DEFAULT->StringWidth(link->label) : 200;
    int linkHeight = FONT_DEFAULT ? FONT_DEFAULT->Height() : 16;
    link->Resize(x + 400 / 2 - linkWidth / 2, y + 100, linkWidth, linkHeight + 4);
    link->showFinger = true;
    link->SetDisabled(false);
    manager->AddWidget(link.get());
}

void CreditsDialog::OnDetached(zest::WidgetManager* manager)
{
    GameDialog::OnDetached(manager);
    manager->RemoveWidget(link.get());
}

void CreditsDialog::Draw(zest::Graphics* g)
{
    GameDialog::Draw(g);
    g->SetFont(FONT_DEFAULT);
    g->SetColor(zest::Color(255, 255, 255));
    for (size_t i = 0; i < Credits.size(); i++)
    {
        DrawText(g, Credits[i].role, 136, CreditBaselines[i], FieldWidth, 1, true, 0, -1);
        DrawText(g, Credits[i].name, 136 + 116, CreditBaselines[i], FieldWidth, -1, true, 0, -1);
    }
    g->SetColor(zest::Color(0, 0, 0));
    DrawText(g, MakerNotice, 142, 320, FieldWidth, 0, true, 0, -1);
    g->SetColor(zest::Color(255, 255, 255));
    const std::string acknowledgement = std::string("This product includes portions of the Marlin Games Framework (") +
                                        FrameworkWebSite + ")\n and the Bass Music Library";
    DrawWrappedText(g, zest::Rect(36, fixedRect.y + 200, 350, 300), acknowledgement, -1, -1);
}

void CreditsDialog::ButtonClicked(int buttonId)
{
    GameDialog::ButtonClicked(buttonId);
    if (buttonId == LinkId)
    {
        if (GameApp* app = App())
            (void)OpenGameUrl(*app, std::string("http://") + WebSite);
    }
    else if (buttonId == YesButtonId)
    {
        CloseAndFocusBoard();
    }
}

} // namespace tibble
