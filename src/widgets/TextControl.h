// What the framework's text controls (ListWidget, EditWidget) share: the id their listener knows them by, their
// default colours, the keyboard focus on a click, the padding inside the frame and a copy of their font. Owned by
// whoever created it; owns only its font copy; main thread.
#pragma once

#include "widgets/Widget.h"

#include <initializer_list>
#include <memory>

namespace zest
{

class Font;

class TextControl : public Widget
{
public:
    ~TextControl() override;

    // Keeps a duplicate of font (none: back to the default font).
    void SetFont(Font* newFont);
    // The copy, or the default system font, made when first asked for.
    Font* GetFont();
    bool TakesFocus() override { return true; }

    int id;
    // Pixels between the frame and the text.
    int padding;

protected:
    // defaultColors: the control's colour table, by its own colour indices.
    TextControl(int id, std::initializer_list<Color> defaultColors, int padding);
    // After SetFont: what depends on the font's size is worked out again.
    virtual void FontChanged() = 0;

private:
    std::unique_ptr<Font> font;
};

} // namespace zest
