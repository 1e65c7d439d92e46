#include "widgets/EditWidget.h"

#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "platform/Clipboard.h"
#include "platform/TextEncoding.h"
#include "platform/VirtualKeys.h"
#include "widgets/EditListener.h"
#include "widgets/WidgetManager.h"

#include <algorithm>
#include <cctype>

namespace zest
{

namespace
{

bool IsWordChar(char ch)
{
    const unsigned char c = static_cast<unsigned char>(ch);
    return std::isalnum(c) || c >= 0xC0 || ch == '_';
}

} // namespace

EditWidget::EditWidget(int editId, EditListener* editListener)
    : TextControl(editId,
                  {
                      Color(255, 255, 255), // background
                      Color(0, 0, 0),       // text
                      Color(51, 102, 204),  // selection
                      Color(255, 255, 255), // selected text
                      Color(128, 128, 128), // frame
                      Color(51, 102, 204),  // frame with the focus
                      Color(0, 0, 0),       // caret
                  },
                  4),
      listener(editListener)
{
}

EditWidget::~EditWidget() = default;

void EditWidget::SetText(const std::string& newText)
{
    text = maxLength > 0 ? newText.substr(0, static_cast<size_t>(maxLength)) : newText;
    caret = anchor = static_cast<int>(text.size());
    scrollX = 0;
    ShowCaret();
}

void EditWidget::SetSelection(int newAnchor, int newCaret)
{
    const int size = static_cast<int>(text.size());
    anchor = std::clamp(newAnchor, 0, size);
    caret = std::clamp(newCaret, 0, size);
    ShowCaret();
}

std::string EditWidget::SelectedText() const
{
    const int from = std::min(anchor, caret);
    return text.substr(static_cast<size_t>(from), static_cast<size_t>(std::max(anchor, caret) - from));
}

bool EditWidget::Accepts(char ch)
{
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c < 32 || c == 127)
        return false;
    // A character the font has no picture for would be typed invisibly.
    if (ch != ' ' && GetFont()->CharWidth(ch) <= 0)
        return false;
    return !filter || filter(ch);
}

bool EditWidget::DeleteSelection()
{
    if (anchor == caret)
        return false;
    const int from = std::min(anchor, caret);
    text.erase(static_cast<size_t>(from), static_cast<size_t>(std::max(anchor, caret) - from));
    caret = anchor = from;
    return true;
}

bool EditWidget::Insert(const std::string& typed)
{
    std::string accepted;
    for (char ch : typed)
    {
        if (Accepts(ch))
            accepted += ch;
    }
    const int selected = std::abs(anchor - caret);
    if (maxLength > 0)
    {
        // Room after the selection is replaced; a paste that does not fit is cut, not refused.
        const int room = maxLength - (static_cast<int>(text.size()) - selected);
        if (room < static_cast<int>(accepted.size()))
            accepted.resize(static_cast<size_t>(std::max(0, room)));
    }
    if (accepted.empty())
        return false; // typing a refused character keeps the selection
    DeleteSelection();
    text.insert(static_cast<size_t>(caret), accepted);
    caret = anchor = caret + static_cast<int>(accepted.size());
    return true;
}

void EditWidget::Changed()
{
    ShowCaret();
    if (listener)
        listener->EditTextChanged(id);
}

void EditWidget::MoveCaret(int to, bool extend)
{
    caret = std::clamp(to, 0, static_cast<int>(text.size()));
    if (!extend)
        anchor = caret;
    ShowCaret();
}

int EditWidget::WordStart(int from) const
{
    int at = from;
    while (at > 0 && !IsWordChar(text[static_cast<size_t>(at - 1)]))
        at--;
    while (at > 0 && IsWordChar(text[static_cast<size_t>(at - 1)]))
        at--;
    return at;
}

int EditWidget::WordEnd(int from) const
{
    const int size = static_cast<int>(text.size());
    int at = from;
    while (at < size && !IsWordChar(text[static_cast<size_t>(at)]))
        at++;
    while (at < size && IsWordChar(text[static_cast<size_t>(at)]))
        at++;
    return at;
}

int EditWidget::TextX(int offset)
{
    return padding - scrollX + GetFont()->StringWidth(text.substr(0, static_cast<size_t>(offset)));
}

int EditWidget::CharAt(int px)
{
    // The nearest gap between two characters.
    int best = 0;
    int bestDistance = std::abs(px - TextX(0));
    for (int i = 1; i <= static_cast<int>(text.size()); i++)
    {
        const int distance = std::abs(px - TextX(i));
        if (distance < bestDistance)
        {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

// Scrolls so the caret is inside the field and restarts its blink, shown.
void EditWidget::ShowCaret()
{
    const int inner = std::max(1, width - 2 * padding);
    const int caretX = GetFont()->StringWidth(text.substr(0, static_cast<size_t>(caret)));
    if (caretX - scrollX > inner)
        scrollX = caretX - inner;
    if (caretX < scrollX)
        scrollX = caretX;
    const int textWidth = GetFont()->StringWidth(text);
    scrollX = std::clamp(scrollX, 0, std::max(0, textWidth - inner));
    blinkCounter = 0;
    caretShown = true;
    MarkDirty();
}

void EditWidget::GotFocus()
{
    Widget::GotFocus();
    ShowCaret();
}

void EditWidget::LostFocus()
{
    Widget::LostFocus();
    caretShown = false;
    MarkDirty();
}

void EditWidget::Update()
{
    Widget::Update();
    if (!hasFocus)
        return;
    if (++blinkCounter >= BlinkUpdates)
    {
        blinkCounter = 0;
        caretShown = !caretShown;
        MarkDirty();
    }
}

void EditWidget::Draw(Graphics* g)
{
    Font* f = GetFont();
    g->SetColor(GetColor(ColorBackground));
    g->FillRect(0, 0, width, height);
    g->SaveState();
    g->ClipRect(1, 1, width - 2, height - 2);
    g->SetFont(f);
    const int baseline = (height - f->Height()) / 2 + f->Ascent();
    const int from = std::min(anchor, caret);
    const int to = std::max(anchor, caret);
    if (from != to && hasFocus)
    {
        const int left = TextX(from);
        g->SetColor(GetColor(ColorSelection));
        g->FillRect(left, baseline - f->Ascent(), TextX(to) - left, f->Height());
    }
    // Three runs so the selected one can take its own colour.
    const std::string before = text.substr(0, static_cast<size_t>(from));
    const std::string selected = text.substr(static_cast<size_t>(from), static_cast<size_t>(to - from));
    const std::string after = text.substr(static_cast<size_t>(to));
    g->SetColor(GetColor(ColorText));
    g->DrawString(before, TextX(0), baseline);
    g->SetColor(GetColor(hasFocus ? ColorSelectedText : ColorText));
    g->DrawString(selected, TextX(from), baseline);
    g->SetColor(GetColor(ColorText));
    g->DrawString(after, TextX(to), baseline);
    if (hasFocus && caretShown)
    {
        g->SetColor(GetColor(ColorCaret));
        g->FillRect(TextX(caret), baseline - f->Ascent(), 1, f->Height());
    }
    g->RestoreState();
    g->SetColor(GetColor(hasFocus ? ColorFocusFrame : ColorFrame));
    g->DrawRect(0, 0, width - 1, height - 1);
}

void EditWidget::MouseDown(int mouseX, int mouseY, int button, int clickCount)
{
    (void)mouseY;
    if (button != 0)
        return;
    const int at = CharAt(mouseX);
    if (clickCount >= 2)
    {
        // A double click selects the word under the mouse.
        anchor = at > 0 && at <= static_cast<int>(text.size()) && IsWordChar(text[static_cast<size_t>(at - 1)])
                     ? WordStart(at)
                     : at;
        MoveCaret(WordEnd(anchor), true);
        return;
    }
    const bool shift = widgetManager && widgetManager->IsKeyDown(VK_SHIFT);
    MoveCaret(at, shift);
}

void EditWidget::MouseDrag(int mouseX, int mouseY)
{
    (void)mouseY;
    MoveCaret(CharAt(mouseX), true);
}

void EditWidget::KeyDown(int key)
{
    const bool shift = widgetManager && widgetManager->IsKeyDown(VK_SHIFT);
    const bool ctrl = widgetManager && widgetManager->IsKeyDown(VK_CONTROL);
    const int size = static_cast<int>(text.size());
    switch (key)
    {
    case VK_LEFT:
        if (anchor != caret && !shift)
            MoveCaret(std::min(anchor, caret), false);
        else
            MoveCaret(ctrl ? WordStart(caret) : caret - 1, shift);
        break;
    case VK_RIGHT:
        if (anchor != caret && !shift)
            MoveCaret(std::max(anchor, caret), false);
        else
            MoveCaret(ctrl ? WordEnd(caret) : caret + 1, shift);
        break;
    case VK_HOME:
        MoveCaret(0, shift);
        break;
    case VK_END:
        MoveCaret(size, shift);
        break;
    case VK_BACK:
        if (anchor == caret)
            anchor = ctrl ? WordStart(caret) : std::max(0, caret - 1);
        if (DeleteSelection())
            Changed();
        break;
    case VK_DELETE:
        if (anchor == caret)
            anchor = ctrl ? WordEnd(caret) : std::min(size, caret + 1);
        if (DeleteSelection())
            Changed();
        break;
    case VK_RETURN:
        if (listener)
            listener->EditWidgetText(id, text);
        break;
    case 'A':
        if (ctrl)
            SetSelection(0, size);
        break;
    case 'C':
    case 'X':
        if (ctrl && anchor != caret)
        {
            SetClipboardText(Windows1252ToUtf8(SelectedText()));
            if (key == 'X' && DeleteSelection())
                Changed();
        }
        break;
    case 'V':
        if (ctrl && Insert(Utf8ToWindows1252(GetClipboardText())))
            Changed();
        break;
    default:
        Widget::KeyDown(key); // Tab and Shift+Tab move the focus
        break;
    }
}

void EditWidget::KeyChar(int character)
{
    // Control characters (Enter, Backspace, Tab, the Ctrl+letter codes) are keys, handled by KeyDown.
    if (character < 32 || character == 127)
        return;
    if (widgetManager && widgetManager->IsKeyDown(VK_CONTROL) && !widgetManager->IsKeyDown(VK_MENU))
        return;
    const std::optional<char> byte = Windows1252FromCodePoint(character);
    if (byte && Insert(std::string(1, *byte)))
        Changed();
}

} // namespace zest
