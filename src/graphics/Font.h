// The abstract font all text is drawn and measured with (bitmap image fonts and system fonts derive
// from it). Owned by the resource manager or by a control holding a Duplicate; main thread.
#pragma once

#include "base/Color.h"

#include <memory>
#include <string>

namespace zest
{

class Graphics;

class Font
{
public:
    Font() = default;
    Font(const Font&) = default;
    Font& operator=(const Font&) = delete;
    virtual ~Font() = default;

    // Pixels from the top of a line to its baseline.
    virtual int Ascent() { return ascent; }
    virtual int AscentPadding() { return ascentPadding; }
    // Pixels below the baseline.
    virtual int Descent() { return height - ascent; }
    virtual int Height() { return height; }
    virtual int LineSpacingOffset() { return lineSpacingOffset; }
    // Baseline to baseline.
    virtual int LineSpacing() { return lineSpacingOffset + height; }
    virtual int StringWidth(const std::string& text)
    {
        (void)text;
        return 0;
    }
    virtual int CharWidth(char ch) { return StringWidth(std::string(1, ch)); }
    // Advance of ch when it follows previous ('\0' = no previous character).
    virtual int CharWidthKern(char ch, char previous)
    {
        (void)previous;
        return CharWidth(ch);
    }
    // Draws text with its baseline at y, inside clipRect (destination coordinates). Draws nothing here.
    virtual void DrawString(Graphics* graphics, int x, int y, const std::string& text, const Color& color,
                            const Rect& clipRect)
    {
        (void)graphics, (void)x, (void)y, (void)text, (void)color, (void)clipRect;
    }
    // A new font of the same kind and settings, owned by the caller.
    virtual std::unique_ptr<Font> Duplicate() = 0;

    int ascent = 0;
    int ascentPadding = 0;
    int height = 0;
    int lineSpacingOffset = 0;

protected:
    // For fonts whose own measure is CharWidthKern: a character alone, and a string as its kerned
    // advances summed.
    int UnkernedCharWidth(char ch) { return CharWidthKern(ch, '\0'); }
    int KernedStringWidth(const std::string& text)
    {
        int width = 0;
        char previous = '\0';
        for (char ch : text)
        {
            width += CharWidthKern(ch, previous);
            previous = ch;
        }
        return width;
    }
};

} // namespace zest
