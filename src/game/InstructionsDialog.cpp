#include "game/InstructionsDialog.h"

#include "garden/Res.h"
#include "game/Board.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "widgets/DialogButton.h"
#include "widgets/WidgetManager.h"

#include <array>

namespace tibble
{

namespace
{

constexpr double Pi = 3.141592654;

// The pictures stand in a column from x 50 to about 146 (the spray on the first page is
// the widest); the text takes the rest of the box beside them and ends above NEXT.
constexpr int TextLeft = 150;
constexpr int TextTop = 70;
constexpr int TextRight = 467;
constexpr int NextTop = 300;

const std::array<const char*, 7> PageTexts{
    "Tibble the bee is not very good at flying\n\nLeft to himself he would slowly sink to the ground\n\n"
    "You can help to move him around the garden.\n\nClick on a hose to make it squirt water.\n\n"
    "Use the water spray to push Tibble in the right direction",
    "\n\n   Land on Flowers to collect Nectar.\n    The bar at the top of the screen shows\n"
    "     how much nectar you have collected.",
    "\n\n\nVisit all the flowers in a cluster to get some golden hives.\n\nCollect 5 hives to earn an extra life.",
    "\n\n\n\nLanding on a sunflower will trigger some other flowers to open",
    "Blue trumpet flowers will transport Tibble to another point of the garden\n\n\n\n\n"
    "A red Trumpet is the exit to the level and will only open when Tibble has collected enough nectar. "
    "This is shown by an arrow on the nectar bar.",
    "Venus Fly Traps will chew Tibble up and spit him out\n\n\n\n\nTomatoes will explode if he gets too near"
    "\n\n\n\n\nSometimes these can be used to your advantage",
    "No mouse?\n\nWith a gamepad, the stick or the d-pad moves the pointer; hold A on a hose to spray. "
    "Start pauses the game; in menus the d-pad picks a button, A presses it and B closes the box.\n\n"
    "On the keyboard, Tab or the arrow keys jump between the hoses on the screen and Enter sprays while held.",
};

void Cel(zest::Graphics* g, zest::Image* image, int x, int y, int cel)
{
    if (image)
        g->DrawImageCell(image, x, y, cel);
}

void Whole(zest::Graphics* g, zest::Image* image, int x, int y)
{
    if (image)
        g->DrawImage(image, x, y);
}

} // namespace

InstructionsDialog::InstructionsDialog()
    : GameDialog(Board::PanelDialogId, "HELP", "", "CLOSE", ButtonsFooter, zest::Rect(70, 30, 500, 420))
{
    nextButton = MakeButton(NextId, "NEXT");
}

InstructionsDialog::~InstructionsDialog()
{
    if (GetParent())
        GetParent()->RemoveWidget(this);
}

void InstructionsDialog::LayoutControls()
{
    nextButton->Resize(fixedRect.x + contentInsets.left, fixedRect.y + NextTop,
                       fixedRect.width - contentInsets.left - contentInsets.right, 40);
}

void InstructionsDialog::OnAttached(zest::WidgetManager* manager)
{
    GameDialog::OnAttached(manager);
    manager->AddWidget(nextButton.get());
}

void InstructionsDialog::OnDetached(zest::WidgetManager* manager)
{
    GameDialog::OnDetached(manager);
    manager->RemoveWidget(nextButton.get());
}

void InstructionsDialog::ButtonClicked(int buttonId)
{
    GameDialog::ButtonClicked(buttonId);
    if (buttonId == NextId)
    {
        if (page >= LastPage)
            return;
        page++;
        if (page == LastPage && GetWidgetManager())
            GetWidgetManager()->PlaceBehind(nextButton.get(), this);
        MarkDirty();
    }
    else if (buttonId == YesButtonId)
    {
        CloseAndFocusBoard();
    }
}

void InstructionsDialog::DrawPictures(zest::Graphics* g)
{
    switch (page)
    {
    case 0:
    {
        animationCounter++;
        if (IMAGE_HOSE)
            g->DrawImage(IMAGE_HOSE, 80, 230, zest::Rect(0, 0, 36, 60));
        if (IMAGE_SPRAY)
        {
            const int frame = ((animationCounter / 8) % 4) + 4;
            g->DrawImageRotated(IMAGE_SPRAY, 50, 230, -Pi, 48, 0, zest::Rect(frame * 96, 0, 96, 128));
        }
        if (IMAGE_WINGS)
        {
            const int wing = (animationCounter / 4) % 2;
            g->DrawImage(IMAGE_WINGS, 80, 90, zest::Rect(wing * 41, 0, 41, 23));
        }
        if (IMAGE_BEE)
            g->DrawImageCell(IMAGE_BEE, 80, 100, 3, 1);
        break;
    }
    case 1:
        Cel(g, IMAGE_MINIFLOWER, 50, 90, 3);
        Cel(g, IMAGE_PANSY, 80, 160, 3);
        Cel(g, IMAGE_PANSY2, 160, 220, 3);
        g->SetColorize(true);
        g->SetColor(zest::Color(255, 0, 0));
        Cel(g, IMAGE_ROSE, 250, 214, 3); // clear of NEXT below it
        g->SetColorize(false);
        g->SetColor(TextColor);
        break;
    case 2:
        Whole(g, IMAGE_HIVE, 50, 160);
        break;
    case 3:
        Whole(g, IMAGE_FLOWER, 50, 160);
        break;
    case 4:
        g->SetColorize(true);
        g->SetColor(zest::Color(136, 136, 255));
        Cel(g, IMAGE_TRUMPET, 50, 90, 4);
        g->SetColor(zest::Color(255, 136, 136));
        Cel(g, IMAGE_TRUMPET, 50, 190, 4);
        g->SetColorize(false);
        g->SetColor(TextColor);
        break;
    case 5:
        Cel(g, IMAGE_FLYTRAP, 50, 90, 2);
        Cel(g, IMAGE_TOMATO, 50, 170, 3);
        break;
    default:
        if (IMAGE_HOSE)
            g->DrawImage(IMAGE_HOSE, 80, 120, zest::Rect(0, 0, 36, 60));
        break;
    }
}

void InstructionsDialog::Draw(zest::Graphics* g)
{
    GameDialog::Draw(g);
    g->SetFont(FONT_DEFAULT);
    g->SetColor(TextColor);
    DrawPictures(g);
    DrawPageText(g);
}

void InstructionsDialog::DrawPageText(zest::Graphics* g)
{
    g->SetFont(FONT_DEFAULT);
    g->SetColor(TextColor);
    DrawWrappedText(g, zest::Rect(TextLeft, TextTop, TextRight - TextLeft, NextTop - TextTop),
                    PageTexts[static_cast<size_t>(page)], -1, -1);
}

} // namespace tibble
