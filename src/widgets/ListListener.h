// Receives the events of list widgets by the list's integer id. Every operation does nothing unless
// overridden. Implemented by screens and dialogs that hold a list.
#pragma once

namespace zest
{

class ListListener
{
public:
    virtual ~ListListener() = default;

    // The selection moved to index (by a click or the arrow keys); -1 when it was cleared.
    virtual void ListSelectionChanged(int id, int index) { (void)id, (void)index; }
    // A row was clicked; clickCount 2 for a double click.
    virtual void ListClicked(int id, int index, int clickCount) { (void)id, (void)index, (void)clickCount; }
};

} // namespace zest
