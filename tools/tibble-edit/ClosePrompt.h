// The question asked when unsaved changes are about to go (the window closed, another level opened): SAVE,
// DON'T SAVE or CANCEL (back to the editor, nothing happens). A modal dialog with a third button beside the usual
// two. Owned by the application once added; main thread.
#pragma once

#include "widgets/Dialog.h"

#include <functional>
#include <memory>
#include <string>

namespace tibble::edit
{

class ClosePrompt : public zest::Dialog
{
public:
    static constexpr int CancelButtonId = 1002;

    // question follows "The level has changes that are not saved."; cancelled runs when CANCEL is clicked (SAVE
    // and DON'T SAVE go to the dialog listener as usual).
    ClosePrompt(int id, zest::Font* font, const std::string& question, std::function<void()> cancelled);
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
