// Receives the events of text fields by the field's integer id. Every operation does nothing unless
// overridden. Implemented by screens and dialogs that hold a text field.
#pragma once

#include <string>

namespace zest
{

class EditListener
{
public:
    virtual ~EditListener() = default;

    // Enter was pressed in the field; text is its whole text.
    virtual void EditWidgetText(int id, const std::string& text) { (void)id, (void)text; }
    // The text changed by typing, cutting, pasting or deleting (not by SetText).
    virtual void EditTextChanged(int id) { (void)id; }
};

} // namespace zest
