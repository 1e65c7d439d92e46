// Any visible element of the widget tree: a container with visibility, enabled
// state, hover/press/focus state, colours and the input handlers the manager calls.
// Owned by whoever created it (never by its container); main thread only.
#pragma once

#include "widgets/WidgetContainer.h"

#include <string>
#include <vector>

namespace zest
{

class Image;

class Widget : public WidgetContainer
{
public:
    Widget() = default;
    // Takes itself out of its container, so no container keeps a dangling child.
    ~Widget() override;

    virtual void OnOrderChanged();
    virtual void SetVisible(bool isVisible);
    // Colours as (r, g, b, a) rows, or (r, g, b) rows with alpha 255.
    virtual void SetColors(const int table[][4], int count);
    virtual void SetColors(const int table[][3], int count);
    virtual void SetColor(int index, const Color& color);
    virtual const Color& GetColor(int index, const Color& defaultColor) const;
    virtual const Color& GetColor(int index) const;
    virtual void SetDisabled(bool isDisabled);
    virtual void ShowHandCursor(bool show);
    virtual void Resize(const Rect& rect);
    virtual void Resize(int newX, int newY, int newWidth, int newHeight);
    virtual void Move(int newX, int newY);
    virtual bool TakesFocus();
    virtual void DrawOverlay(Graphics* g, int overlayPriority);
    virtual void DrawOverlay(Graphics* g);
    virtual void GotFocus();
    virtual void LostFocus();
    virtual void KeyChar(int character);
    virtual void KeyDown(int key);
    virtual void KeyUp(int key);
    // A gamepad's button or axis (GamepadButton, GamepadAxis) while the widget has the focus;
    // pad is the pad's slot, 0 for the first one. Axis values run -32768..32767.
    virtual void GamepadButtonDown(int pad, int button);
    virtual void GamepadButtonUp(int pad, int button);
    virtual void GamepadAxisMoved(int pad, int axis, int value);
    virtual void MouseEnter();
    virtual void MouseLeave();
    virtual void MouseMove(int mouseX, int mouseY);
    // button: 0 left, 1 right, 2 middle; clickCount 1 single, 2 double.
    virtual void MouseDown(int mouseX, int mouseY, int button, int clickCount);
    // clickCount as the manager passes it: 1 left, 2 left double, -1 right, -2 right
    // double, 3 middle.
    virtual void MouseDown(int mouseX, int mouseY, int clickCount);
    virtual void MouseUp(int mouseX, int mouseY, int button, int clickCount);
    virtual void MouseUp(int mouseX, int mouseY, int clickCount);
    virtual void MouseUp(int mouseX, int mouseY);
    virtual void MouseDrag(int mouseX, int mouseY);
    virtual void MouseWheel(int delta);
    // Whether (px, py), in the widget's own coordinates, hits it (transparent parts
    // may answer false).
    virtual bool HitsPoint(int px, int py);
    // A line centred across the widget with its baseline at offset: the shadow in
    // color2 shifted by shadowOffset, then the line in color1. Returns the covered area.
    virtual Rect DrawCenteredLine(Graphics* g, int offset, const std::string& line, const Color& color1,
                                  const Color& color2, const Point& shadowOffset);
    virtual Rect DrawCenteredLine(Graphics* g, int offset, const std::string& line);
    virtual int DrawText(Graphics* g, const std::string& text, int textX, int textY, int textWidth,
                         int justification, bool drawString, int offset, int length);
    virtual int DrawWrappedText(Graphics* g, const Rect& rect, const std::string& text, int lineSpacing,
                                int justification);
    virtual int WrappedTextHeight(Graphics* g, int textWidth, const std::string& text, int lineSpacing);
    // 1 + how many of 10, 100, ... are <= number.
    virtual int DigitCount(int number);
    // Draws number with digits cut from strip (0-9 side by side, strip width / 10 each).
    virtual void DrawNumberFromStrip(Graphics* g, int number, int numberX, int numberY, Image* strip, int spacing);
    // (px, py) in the parent's coordinates lies in [x, x + width) x [y, y + height).
    virtual bool Contains(int px, int py);
    virtual Rect InsetRect();

    bool visible = true;
    bool mouseVisible = true;
    bool disabled = false;
    bool hasFocus = false;
    bool isDown = false;
    bool isOver = false;
    bool hasTransparencies = false;
    std::vector<Color> colors;
    int insetLeft = 0;
    int insetTop = 0;
    int insetRight = 0;
    int insetBottom = 0;
    bool showFinger = false;
    bool wantsFocus = false;
    Widget* tabPrev = nullptr;
    Widget* tabNext = nullptr;
};

} // namespace zest
