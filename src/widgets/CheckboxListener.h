// Receives a check box's changes by the box's integer id. Does nothing unless
// overridden. Implemented by the screens and dialogs that own check boxes.
#pragma once

namespace zest
{

class CheckboxListener
{
public:
    virtual ~CheckboxListener() = default;

    virtual void CheckboxToggled(int id, bool checked) { (void)id, (void)checked; }
};

} // namespace zest
