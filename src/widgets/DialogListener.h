// Receives the button events of a dialog: the dialog's id and the button's id
// (1000 yes/ok/footer, 1001 no/cancel). Implemented by the application.
#pragma once

namespace zest
{

class DialogListener
{
public:
    virtual ~DialogListener() = default;

    virtual void DialogButtonPressed(int dialogId, int buttonId) { (void)dialogId, (void)buttonId; }
    virtual void DialogButtonClicked(int dialogId, int buttonId) { (void)dialogId, (void)buttonId; }
};

} // namespace zest
