// The question asked when the editor's window is closed with unsaved changes: SAVE, DON'T SAVE or CANCEL
// (back to the editor, nothing closes). A modal dialog with a third button beside the usual two. Owned by the
// application once added; main thread.
#pragma once

#include "widgets/Dialog.h"

#include <functional>
#include <memory>

namespace tibble::edit
{

class ClosePrompt : public zest::Dialog
{
public:
    static constexpr int CancelButtonId = 1002;

    // cancelled runs when CANCEL is clicked (SAVE and DON'T SAVE go to the dialog listener as usual).
    ClosePrompt(int id, zest::Font* font, std::function<void()> cancelled);
    ~ClosePrompt() override;

    using zest::Dialog::Resize;
    void Resize(int newX, int newY, int newWidth, int newHeight) override;
    void OnAttached(zest::WidgetManager* manager) override;
    void OnDetached(zest::WidgetManager* manager) override;
    void OnOrderChanged() override;
    void ButtonClicked(int buttonId) override;

    zest::DialogButton* GetCancelButton() const { return cancelButton.get(); }

private:
    std::unique_ptr<zest::DialogButton> cancelButton;
    std::function<void()> cancelled;
};

} // namespace tibble::edit
