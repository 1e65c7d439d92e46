#include "widgets/ListWidget.h"

#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "platform/VirtualKeys.h"
#include "widgets/ListListener.h"
#include "widgets/WidgetManager.h"

#include <algorithm>

namespace zest
{

namespace
{

const std::string NoText;

} // namespace

ListWidget::ListWidget(int listId, ListListener* listListener)
    : TextControl(listId,
                  {
                      Color(255, 255, 255), // background
                      Color(0, 0, 0),       // text
                      Color(51, 102, 204),  // selection
                      Color(255, 255, 255), // selected text
                      Color(128, 128, 128), // frame
                      Color(170, 170, 170), // scroll bar
                  },
                  3),
      listener(listListener)
{
}

ListWidget::~ListWidget() = default;

void ListWidget::SetRows(std::vector<std::string> texts)
{
    rows.clear();
    for (std::string& text : texts)
        rows.push_back({std::move(text), Color(0, 0, 0, 0)});
    if (selection >= RowCount())
        selection = -1;
    SetScrollRow(scrollRow);
    MarkDirty();
}

void ListWidget::AddRow(const std::string& text, const Color& color)
{
    rows.push_back({text, color});
    MarkDirty();
}

void ListWidget::SetRowColor(int index, const Color& color)
{
    if (index < 0 || index >= RowCount())
        return;
    rows[static_cast<size_t>(index)].color = color;
    MarkDirty();
}

const std::string& ListWidget::RowText(int index) const
{
    if (index < 0 || index >= RowCount())
        return NoText;
    return rows[static_cast<size_t>(index)].text;
}

void ListWidget::SetSelection(int index)
{
    if (index < -1 || index >= RowCount())
        return;
    selection = index;
    if (index >= 0)
    {
        if (index < scrollRow)
            SetScrollRow(index);
        else if (index >= scrollRow + VisibleRows())
            SetScrollRow(index - VisibleRows() + 1);
    }
    MarkDirty();
}

void ListWidget::SetScrollRow(int row)
{
    const int last = std::max(0, RowCount() - VisibleRows());
    const int clamped = std::clamp(row, 0, last);
    if (clamped != scrollRow)
    {
        scrollRow = clamped;
        MarkDirty();
    }
}

int ListWidget::RowHeight()
{
    Font* f = GetFont();
    return std::max(1, f ? f->Height() + 2 : 14);
}

int ListWidget::VisibleRows()
{
    return std::max(1, (height - 2 * padding) / RowHeight());
}

int ListWidget::RowAt(int px, int py)
{
    if (px < 0 || px >= width || py < padding || py >= height - padding)
        return -1;
    const int row = scrollRow + (py - padding) / RowHeight();
    return row < RowCount() ? row : -1;
}

void ListWidget::FontChanged()
{
    // Rows are as high as the font: the same first row may no longer be a valid one.
    SetScrollRow(scrollRow);
    MarkDirty();
}

bool ListWidget::HasScrollBar()
{
    return RowCount() > VisibleRows();
}

Rect ListWidget::ThumbRect()
{
    const int track = height - 2;
    const int visible = VisibleRows();
    const int count = std::max(1, RowCount());
    const int thumbHeight = std::max(12, track * visible / count);
    const int last = std::max(1, count - visible);
    const int top = 1 + (track - thumbHeight) * scrollRow / last;
    return Rect(width - ScrollBarWidth - 1, top, ScrollBarWidth, thumbHeight);
}

void ListWidget::ScrollToThumb(int mouseY)
{
    const Rect thumb = ThumbRect();
    const int track = height - 2 - thumb.height;
    if (track <= 0)
        return;
    const int last = std::max(0, RowCount() - VisibleRows());
    SetScrollRow(((mouseY - thumbGrabY - 1) * last + track / 2) / track);
}

void ListWidget::Select(int index)
{
    if (index == selection)
        return;
    SetSelection(index);
    if (listener)
        listener->ListSelectionChanged(id, selection);
}

void ListWidget::Draw(Graphics* g)
{
    g->SetColor(GetColor(ColorBackground));
    g->FillRect(0, 0, width, height);
    Font* f = GetFont();
    g->SetFont(f);
    const int rowHeight = RowHeight();
    const int textWidth = width - (HasScrollBar() ? ScrollBarWidth + 2 : 0);
    for (int i = 0; i < VisibleRows() + 1 && scrollRow + i < RowCount(); i++)
    {
        const int index = scrollRow + i;
        const int top = padding + i * rowHeight;
        if (top >= height - padding)
            break;
        const Row& row = rows[static_cast<size_t>(index)];
        Color textColor = row.color.alpha ? row.color : GetColor(ColorText);
        if (index == selection)
        {
            g->SetColor(GetColor(ColorSelection));
            g->FillRect(1, top, textWidth - 2, rowHeight);
            textColor = GetColor(ColorSelectedText);
        }
        g->SaveState();
        g->ClipRect(padding, top, textWidth - 2 * padding, rowHeight);
        g->SetColor(textColor);
        g->DrawString(row.text, padding, top + 1 + (f ? f->Ascent() : 10));
        g->RestoreState();
    }
    if (HasScrollBar())
    {
        g->SetColor(GetColor(ColorScrollBar));
        g->FillRect(ThumbRect());
    }
    g->SetColor(GetColor(hasFocus ? ColorSelection : ColorFrame));
    g->DrawRect(0, 0, width - 1, height - 1);
}

void ListWidget::MouseDown(int mouseX, int mouseY, int button, int clickCount)
{
    if (button != 0)
        return;
    if (HasScrollBar() && mouseX >= width - ScrollBarWidth - 2)
    {
        const Rect thumb = ThumbRect();
        if (mouseY >= thumb.y && mouseY < thumb.y + thumb.height)
        {
            draggingThumb = true;
            thumbGrabY = mouseY - thumb.y;
        }
        else
            SetScrollRow(scrollRow + (mouseY < thumb.y ? -VisibleRows() : VisibleRows()));
        return;
    }
    const int row = RowAt(mouseX, mouseY);
    if (row < 0)
        return;
    Select(row);
    if (listener)
        listener->ListClicked(id, row, clickCount);
}

void ListWidget::MouseDrag(int mouseX, int mouseY)
{
    (void)mouseX;
    if (draggingThumb)
        ScrollToThumb(mouseY);
}

void ListWidget::MouseUp(int mouseX, int mouseY, int button, int clickCount)
{
    (void)mouseX, (void)mouseY, (void)button, (void)clickCount;
    draggingThumb = false;
}

void ListWidget::MouseWheel(int delta)
{
    SetScrollRow(scrollRow - 3 * delta);
}

void ListWidget::KeyDown(int key)
{
    // Tab and Shift+Tab move the focus on, rows or none.
    if (RowCount() == 0 || key == VK_TAB)
    {
        Widget::KeyDown(key);
        return;
    }
    switch (key)
    {
    case VK_UP:
        Select(std::max(0, selection - 1));
        break;
    case VK_DOWN:
        Select(std::min(RowCount() - 1, selection + 1));
        break;
    case VK_PRIOR:
        Select(std::max(0, selection - VisibleRows()));
        break;
    case VK_NEXT:
        Select(std::min(RowCount() - 1, std::max(0, selection) + VisibleRows()));
        break;
    case VK_HOME:
        Select(0);
        break;
    case VK_END:
        Select(RowCount() - 1);
        break;
    default:
        break;
    }
}

} // namespace zest
