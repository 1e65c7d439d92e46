#include "ClosePrompt.h"

#include "widgets/DialogButton.h"
#include "widgets/WidgetManager.h"

namespace tibble::edit
{

ClosePrompt::ClosePrompt(int id, zest::Font* font, const std::string& question, std::function<void()> onCancel)
    : zest::Dialog(nullptr, nullptr, id, true, "UNSAVED CHANGES",
                   "The level has changes that are not saved.\n" + question, "", ButtonsYesNo),
      cancelled(std::move(onCancel))
{
    cancelButton = std::make_unique<zest::DialogButton>(nullptr, CancelButtonId, this);
    cancelButton->label = "CANCEL";
    if (font)
    {
        SetHeaderFont(font);
        SetLinesFont(font);
        SetButtonFont(font);
        cancelButton->SetFont(font);
    }
    yesButton->label = "SAVE";
    noButton->label = "DON'T SAVE";
}

ClosePrompt::~ClosePrompt()
{
    // Out of the tree (with every button) before the cancel button goes.
    if (GetParent())
        GetParent()->RemoveWidget(this);
}

void ClosePrompt::Resize(int newX, int newY, int newWidth, int newHeight)
{
    zest::Dialog::Resize(newX, newY, newWidth, newHeight);
    if (!cancelButton || !noButton)
        return;
    // Three buttons in a row along the bottom, where the dialog put its two (screen coordinates).
    const int left = yesButton->x;
    const int right = noButton->x + noButton->width;
    const int buttonWidth = (right - left - 2 * buttonGap) / 3;
    yesButton->Resize(left, yesButton->y, buttonWidth, buttonHeight);
    noButton->Resize(left + buttonWidth + buttonGap, yesButton->y, buttonWidth, buttonHeight);
    cancelButton->Resize(right - buttonWidth, yesButton->y, buttonWidth, buttonHeight);
}

void ClosePrompt::OnAttached(zest::WidgetManager* manager)
{
    zest::Dialog::OnAttached(manager);
    cancelButton->zOrder = zOrder;
    manager->AddWidget(cancelButton.get());
    Resize(x, y, width, height);
}

void ClosePrompt::OnDetached(zest::WidgetManager* manager)
{
    zest::Dialog::OnDetached(manager);
    manager->RemoveWidget(cancelButton.get());
}

void ClosePrompt::OnOrderChanged()
{
    zest::Dialog::OnOrderChanged();
    if (widgetManager && parent == widgetManager && cancelButton)
        widgetManager->PlaceInFront(cancelButton.get(), this);
}

void ClosePrompt::ButtonClicked(int buttonId)
{
    if (buttonId == CancelButtonId)
    {
        result = buttonId;
        if (cancelled)
            cancelled();
        return;
    }
    zest::Dialog::ButtonClicked(buttonId);
}

} // namespace tibble::edit
