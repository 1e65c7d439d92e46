// A one-line text field: a caret, a selection made with the mouse or Shift with the arrow keys, Home and
// End, copy, cut and paste through the system clipboard, a maximum length and a filter. Typed text
// arrives as Unicode and is kept in the framework's encoding (Windows-1252); characters the encoding or
// the font cannot show are refused. Reports Enter and changes to its EditListener by id. Owned by whoever
// created it; owns only its font copy; main thread.
#pragma once

#include "widgets/TextControl.h"

#include <functional>
#include <string>

namespace zest
{

class EditListener;

class EditWidget : public TextControl
{
public:
    // Colour indices.
    static constexpr int ColorBackground = 0;
    static constexpr int ColorText = 1;
    static constexpr int ColorSelection = 2;
    static constexpr int ColorSelectedText = 3;
    static constexpr int ColorFrame = 4;
    static constexpr int ColorFocusFrame = 5;
    static constexpr int ColorCaret = 6;
    // Updates between caret blinks (at 100 updates a second).
    static constexpr int BlinkUpdates = 50;

    // listener is not owned and must outlive the field (none: events go nowhere).
    EditWidget(int id, EditListener* listener);
    ~EditWidget() override;

    // Replaces the text (cut to maxLength), puts the caret at its end and clears the selection. The
    // filter is not asked and the listener not told.
    void SetText(const std::string& newText);
    const std::string& GetText() const { return text; }
    // Caret and selection as byte offsets into the text; the selection runs between the anchor and
    // the caret (equal: nothing selected). Both are clamped to the text.
    void SetSelection(int anchor, int caret);
    int GetCaret() const { return caret; }
    int GetAnchor() const { return anchor; }
    std::string SelectedText() const;

    using Widget::MouseDown;
    using Widget::MouseUp;
    void GotFocus() override;
    void LostFocus() override;
    void Update() override;
    void Draw(Graphics* g) override;
    void MouseDown(int mouseX, int mouseY, int button, int clickCount) override;
    void MouseDrag(int mouseX, int mouseY) override;
    void KeyDown(int key) override;
    void KeyChar(int character) override;

    EditListener* listener;
    // The most characters the text may hold (0: no limit).
    int maxLength = 255;
    // Asked for every character about to be typed or pasted; false refuses it. None: all are taken.
    std::function<bool(char)> filter;

protected:
    void FontChanged() override { ShowCaret(); }

private:
    // Replaces the selection by text (filtered, cut to the room left); answers whether anything changed.
    bool Insert(const std::string& typed);
    bool DeleteSelection();
    // Moves the caret; with extend the anchor stays, else it follows.
    void MoveCaret(int to, bool extend);
    int CharAt(int px);
    int TextX(int offset);
    int WordStart(int from) const;
    int WordEnd(int from) const;
    bool Accepts(char ch);
    void Changed();
    void ShowCaret();

    std::string text;
    int caret = 0;
    int anchor = 0;
    int scrollX = 0; // pixels of text scrolled out on the left
    int blinkCounter = 0;
    bool caretShown = false;
};

} // namespace zest
