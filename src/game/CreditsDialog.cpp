#include "game/CreditsDialog.h"

#include "game/GameApp.h"
#include "garden/Res.h"
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
// The credit rows' left edge: the longest name ends inside the panel's right margin.
constexpr int CreditLeft = 128;

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
constexpr int CreditBaselines[3] = {140, 165, 190};
constexpr const char* MakerNotice = "(c) 2026 Mossbank Games";
// Some of the pictures start from Twemoji graphics, whose licence asks for this credit
// wherever they are shown.
constexpr const char* ArtLicence = "Some pictures adapted from Twemoji by Twitter, Inc. and others, CC-BY 4.0";

// The blocks below the role lines, one after the other down to the CLOSE button.
constexpr int TextLeft = 36;
constexpr int TextWidth = 330;
constexpr int AcknowledgementTop = 202;
constexpr int ArtLicenceTop = 277;
constexpr int MakerNoticeBaseline = 327;

enum TextBlock
{
    FirstCredit = 0,
    Acknowledgement = 3,
    ArtCredit,
    Notice,
    BlockCount
};

} // namespace

CreditsDialog::CreditsDialog()
    : GameDialog(Board::MessageDialogId, "CREDITS", "", "CLOSE", ButtonsFooter, zest::Rect(120, 40, 400, 400))
{
    SetColor(ColorLines, TextColor);
    link = std::make_unique<zest::HyperlinkWidget>(LinkId, this);
    link->SetFont(FONT_DEFAULT);
    link->label = WebSite;
    link->color = LinkColor;
    link->overColor = LinkOverColor;
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
    for (int i = 0; i < BlockCount; i++)
        DrawTextBlock(g, i);
}

int CreditsDialog::TextBlockCount()
{
    return BlockCount;
}

void CreditsDialog::DrawTextBlock(zest::Graphics* g, int index)
{
    g->SetFont(FONT_DEFAULT);
    g->SetColor(TextColor);
    if (index >= FirstCredit && index < FirstCredit + static_cast<int>(Credits.size()))
    {
        const Credit& credit = Credits[static_cast<size_t>(index - FirstCredit)];
        const int baseline = CreditBaselines[index - FirstCredit];
        DrawText(g, credit.role, CreditLeft, baseline, FieldWidth, 1, true, 0, -1);
        DrawText(g, credit.name, CreditLeft + 116, baseline, FieldWidth, -1, true, 0, -1);
    }
    else if (index == Acknowledgement)
    {
        const std::string acknowledgement = std::string("This product includes portions of the Marlin Games "
                                                        "Framework (") +
                                            FrameworkWebSite + ")\nand the Bass Music Library";
        DrawWrappedText(g, zest::Rect(TextLeft, AcknowledgementTop, TextWidth, 300), acknowledgement, -1, -1);
    }
    else if (index == ArtCredit)
    {
        DrawWrappedText(g, zest::Rect(TextLeft, ArtLicenceTop, TextWidth, 300), ArtLicence, -1, -1);
    }
    else if (index == Notice)
    {
        g->SetColor(zest::Color(0, 0, 0));
        DrawText(g, MakerNotice, 142, MakerNoticeBaseline, FieldWidth, 0, true, 0, -1);
    }
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
