// Receives the events of buttons by the button's integer id. Every operation does
// nothing unless overridden. Implemented by screens, dialogs and the application.
#pragma once

namespace zest
{

class ButtonListener
{
public:
    virtual ~ButtonListener() = default;

    // clickCount as the widget received it; the base forwards to ButtonPressed(id).
    virtual void ButtonPressed(int id, int clickCount)
    {
        (void)clickCount;
        ButtonPressed(id);
    }
    virtual void ButtonPressed(int id) { (void)id; }
    // The mouse button went up over the button: the click.
    virtual void ButtonClicked(int id) { (void)id; }
    // Every update while the button is held with the mouse over it.
    virtual void ButtonHeld(int id) { (void)id; }
    virtual void ButtonHoverStart(int id) { (void)id; }
    virtual void ButtonHoverEnd(int id) { (void)id; }
    virtual void ButtonHoverMove(int id, int x, int y) { (void)id, (void)x, (void)y; }
};

} // namespace zest
