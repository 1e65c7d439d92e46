#include "game/TitleScreen.h"

#include "game/GameApp.h"
#include "garden/Res.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "widgets/HyperlinkWidget.h"
#include "widgets/WidgetManager.h"

namespace tibble
{

namespace
{
const char* const ContinueLabel = "CLICK HERE TO CONTINUE";
}

TitleScreen::TitleScreen(GameApp* application) : app(application)
{
}

TitleScreen::~TitleScreen()
{
    // The link is a sibling in the widget manager: it must leave before it goes.
    if (continueLink && continueLink->GetWidgetManager())
        continueLink->GetWidgetManager()->RemoveWidget(continueLink.get());
}

void TitleScreen::CreateContinueLink()
{
    continueLink = std::make_unique<zest::HyperlinkWidget>(ContinueLinkId, this);
    continueLink->SetFont(FONT_DEFAULT);
    continueLink->label = ContinueLabel;
    continueLink->color = zest::Color(255, 255, 255);
    continueLink->overColor = zest::Color(0, 255, 0);
    continueLink->underlineSize = 0;
}

void TitleScreen::ShowContinueLink()
{
    if (!continueLink)
        return;
    continueLink->SetVisible(true);
    continueLink->SetDisabled(false);
}

void TitleScreen::OnAttached(zest::WidgetManager* manager)
{
    Widget::OnAttached(manager);
    if (!continueLink)
        return;
    continueLink->SetVisible(false);
    continueLink->SetDisabled(true);
    int labelWidth = FONT_DEFAULT ? FONT_DEFAULT->StringWidth(ContinueLabel) : 0;
    int labelHeight = FONT_DEFAULT ? FONT_DEFAULT->Height() : 0;
    continueLink->Resize(width / 2 - labelWidth / 2, height - labelHeight - 20, labelWidth, labelHeight + 4);
    continueLink->ShowHandCursor(true);
    manager->AddWidget(continueLink.get());
}

void TitleScreen::OnDetached(zest::WidgetManager* manager)
{
    Widget::OnDetached(manager);
    if (continueLink)
        manager->RemoveWidget(continueLink.get());
}

int TitleScreen::LoaderBarFilled() const
{
    if (!IMAGE_LOADER_BAR)
        return 0;
    return static_cast<int>(app->LoadingProgress() * IMAGE_LOADER_BAR->GetWidth());
}

void TitleScreen::Update()
{
    Widget::Update();
    int filled = LoaderBarFilled();
    if (filled != drawnFilled)
        MarkDirty();
}

void TitleScreen::Draw(zest::Graphics* g)
{
    if (IMAGE_TITLESCREEN)
        g->DrawImage(IMAGE_TITLESCREEN, 0, 0);
    drawnFilled = LoaderBarFilled();
    if (drawnFilled <= 0)
        return;
    // The bar grows from its left end; the title picture shows through the rest.
    int barWidth = IMAGE_LOADER_BAR->GetWidth();
    g->DrawImage(IMAGE_LOADER_BAR, 640 / 2 - barWidth / 2, LoaderBarY,
                 zest::Rect(0, 0, drawnFilled, IMAGE_LOADER_BAR->GetHeight()));
}

void TitleScreen::ButtonClicked(int id)
{
    if (id != ContinueLinkId || !continueLink)
        return;
    // Both leave the tree before anything is deleted, so no second click can reach them.
    zest::WidgetManager* manager = GetWidgetManager();
    zest::HyperlinkWidget* link = continueLink.release();
    if (manager)
    {
        manager->RemoveWidget(this);
        manager->RemoveWidget(link);
    }
    app->QueueWidgetDeletion(this);
    app->QueueWidgetDeletion(link);
    app->ShowBoard();
}

} // namespace tibble
