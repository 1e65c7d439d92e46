// A scrolling list of text rows with one selected row: click or arrow keys to select, the mouse wheel,
// Page Up/Down or the scroll bar at its right edge to scroll. Rows may carry a colour of their own. Reports
// to its ListListener by id. Owned by whoever created it; owns only its font copy; main thread.
#pragma once

#include "base/Color.h"
#include "widgets/TextControl.h"

#include <string>
#include <vector>

namespace zest
{

class ListListener;

class ListWidget : public TextControl
{
public:
    // Colour indices.
    static constexpr int ColorBackground = 0;
    static constexpr int ColorText = 1;
    static constexpr int ColorSelection = 2;
    static constexpr int ColorSelectedText = 3;
    static constexpr int ColorFrame = 4;
    static constexpr int ColorScrollBar = 5;
    // Width of the scroll bar, shown only when the rows do not all fit.
    static constexpr int ScrollBarWidth = 8;

    // listener is not owned and must outlive the list (none: events go nowhere).
    ListWidget(int id, ListListener* listener);
    ~ListWidget() override;

    // Replaces the rows; the selection stays on the same index when it still exists, else none.
    void SetRows(std::vector<std::string> rows);
    void AddRow(const std::string& text, const Color& color = Color());
    // The colour of one row's text (Color() with alpha 0: the list's text colour).
    void SetRowColor(int index, const Color& color);
    int RowCount() const { return static_cast<int>(rows.size()); }
    const std::string& RowText(int index) const;

    // -1 clears the selection; an index outside the rows is ignored. The row is scrolled into view. Does not
    // tell the listener.
    void SetSelection(int index);
    int GetSelection() const { return selection; }

    // First row shown; clamped to the rows there are.
    void SetScrollRow(int row);
    int GetScrollRow() const { return scrollRow; }
    // Rows that fit in the widget's height.
    int VisibleRows();
    int RowHeight();
    // The row under (px, py) in the widget's coordinates, or -1.
    int RowAt(int px, int py);

    using Widget::MouseDown;
    using Widget::MouseUp;
    void Draw(Graphics* g) override;
    void MouseDown(int mouseX, int mouseY, int button, int clickCount) override;
    void MouseDrag(int mouseX, int mouseY) override;
    void MouseUp(int mouseX, int mouseY, int button, int clickCount) override;
    void MouseWheel(int delta) override;
    void KeyDown(int key) override;

    ListListener* listener;

protected:
    void FontChanged() override;

private:
    struct Row
    {
        std::string text;
        Color color;
    };
    bool HasScrollBar();
    Rect ThumbRect();
    void ScrollToThumb(int mouseY);
    void Select(int index);

    std::vector<Row> rows;
    int selection = -1;
    int scrollRow = 0;
    bool draggingThumb = false;
    int thumbGrabY = 0;
};

} // namespace zest
