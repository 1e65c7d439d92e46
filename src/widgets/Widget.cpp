#include "widgets/Widget.h"

#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "platform/VirtualKeys.h"
#include "widgets/WidgetHost.h"
#include "widgets/WidgetManager.h"

#include <cstdlib>

namespace zest
{

Widget::~Widget()
{
    if (parent)
        parent->RemoveWidget(this);
}

void Widget::OnOrderChanged()
{
}

void Widget::SetVisible(bool isVisible)
{
    if (visible == isVisible)
        return;
    visible = isVisible;
    if (visible)
        MarkDirty();
    else
        MarkDirtyWithBehind();
    if (widgetManager)
        widgetManager->RefreshHover();
}

void Widget::SetColors(const int table[][4], int count)
{
    colors.clear();
    for (int i = 0; i < count; i++)
        SetColor(i, Color(table[i][0], table[i][1], table[i][2], table[i][3]));
    MarkDirty();
}

void Widget::SetColors(const int table[][3], int count)
{
    colors.clear();
    for (int i = 0; i < count; i++)
        SetColor(i, Color(table[i][0], table[i][1], table[i][2]));
    MarkDirty();
}

void Widget::SetColor(int index, const Color& color)
{
    if (index < 0)
        return;
    if (static_cast<size_t>(index) >= colors.size())
        colors.resize(static_cast<size_t>(index) + 1);
    colors[static_cast<size_t>(index)] = color;
    MarkDirty();
}

const Color& Widget::GetColor(int index, const Color& defaultColor) const
{
    if (index < 0 || static_cast<size_t>(index) >= colors.size())
        return defaultColor;
    return colors[static_cast<size_t>(index)];
}

const Color& Widget::GetColor(int index) const
{
    static const Color defaultColor;
    return GetColor(index, defaultColor);
}

void Widget::SetDisabled(bool isDisabled)
{
    if (disabled == isDisabled)
        return;
    disabled = isDisabled;
    if (disabled && widgetManager)
        widgetManager->ForgetWidget(this);
    MarkDirty();
    // Enabled under a resting mouse: hover starts at once, not at the next move.
    if (!disabled && widgetManager && widgetManager->mouseIn)
    {
        Point position = AbsolutePosition();
        Rect area(position.x, position.y, width, height);
        if (area.Contains(widgetManager->lastMouseX, widgetManager->lastMouseY))
            widgetManager->TrackMouse(widgetManager->lastMouseX, widgetManager->lastMouseY);
    }
}

void Widget::ShowHandCursor(bool show)
{
    if (widgetManager && widgetManager->host)
        widgetManager->host->SetCursorNumber(show ? CursorHand : CursorPointer);
}

void Widget::Resize(const Rect& rect)
{
    Resize(rect.x, rect.y, rect.width, rect.height);
}

void Widget::Resize(int newX, int newY, int newWidth, int newHeight)
{
    if (x == newX && y == newY && width == newWidth && height == newHeight)
        return;
    MarkDirtyWithBehind();
    x = newX;
    y = newY;
    width = newWidth;
    height = newHeight;
    MarkDirty();
    if (widgetManager)
        widgetManager->RefreshHover();
}

void Widget::Move(int newX, int newY)
{
    Resize(newX, newY, width, height);
}

bool Widget::TakesFocus()
{
    return wantsFocus;
}

void Widget::DrawOverlay(Graphics* g, int overlayPriority)
{
    (void)overlayPriority;
    DrawOverlay(g);
}

void Widget::DrawOverlay(Graphics* g)
{
    (void)g;
}

void Widget::GotFocus()
{
    hasFocus = true;
}

void Widget::LostFocus()
{
    hasFocus = false;
}

void Widget::KeyChar(int character)
{
    (void)character;
}

void Widget::GamepadButtonDown(int pad, int button)
{
    (void)pad;
    (void)button;
}

void Widget::GamepadButtonUp(int pad, int button)
{
    (void)pad;
    (void)button;
}

void Widget::GamepadAxisMoved(int pad, int axis, int value)
{
    (void)pad;
    (void)axis;
    (void)value;
}

void Widget::KeyDown(int key)
{
    if (key != VK_TAB || !widgetManager)
        return;
    Widget* target = widgetManager->IsKeyDown(VK_SHIFT) ? tabPrev : tabNext;
    if (target)
        widgetManager->SetFocus(target);
}

void Widget::KeyUp(int key)
{
    (void)key;
}

void Widget::MouseEnter()
{
}

void Widget::MouseLeave()
{
}

void Widget::MouseMove(int mouseX, int mouseY)
{
    (void)mouseX, (void)mouseY;
}

void Widget::MouseDown(int mouseX, int mouseY, int button, int clickCount)
{
    (void)mouseX, (void)mouseY, (void)button, (void)clickCount;
}

void Widget::MouseDown(int mouseX, int mouseY, int clickCount)
{
    if (clickCount == 3)
        MouseDown(mouseX, mouseY, 2, 1);
    else
        MouseDown(mouseX, mouseY, clickCount < 0 ? 1 : 0, std::abs(clickCount));
}

void Widget::MouseUp(int mouseX, int mouseY, int button, int clickCount)
{
    (void)mouseX, (void)mouseY, (void)button, (void)clickCount;
}

void Widget::MouseUp(int mouseX, int mouseY, int clickCount)
{
    MouseUp(mouseX, mouseY);
    if (clickCount == 3)
        MouseUp(mouseX, mouseY, 2, 1);
    else
        MouseUp(mouseX, mouseY, clickCount < 0 ? 1 : 0, std::abs(clickCount));
}

void Widget::MouseUp(int mouseX, int mouseY)
{
    (void)mouseX, (void)mouseY;
}

void Widget::MouseDrag(int mouseX, int mouseY)
{
    (void)mouseX, (void)mouseY;
}

void Widget::MouseWheel(int delta)
{
    (void)delta;
}

bool Widget::HitsPoint(int px, int py)
{
    (void)px, (void)py;
    return true;
}

Rect Widget::DrawCenteredLine(Graphics* g, int offset, const std::string& line, const Color& color1,
                              const Color& color2, const Point& shadowOffset)
{
    Font* font = g->GetFont();
    if (!font)
        return Rect();
    int lineWidth = font->StringWidth(line);
    int lineX = (width - lineWidth) / 2;
    g->SetColor(color2);
    g->DrawString(line, lineX + shadowOffset.x, offset + shadowOffset.y);
    g->SetColor(color1);
    g->DrawString(line, lineX, offset);
    Rect text(lineX, offset - font->Ascent(), lineWidth, font->Height());
    Rect shadow(text.x + shadowOffset.x, text.y + shadowOffset.y, text.width, text.height);
    return text.Union(shadow);
}

Rect Widget::DrawCenteredLine(Graphics* g, int offset, const std::string& line)
{
    Font* font = g->GetFont();
    if (!font)
        return Rect();
    int lineWidth = font->StringWidth(line);
    int lineX = (width - lineWidth) / 2;
    g->DrawString(line, lineX, offset);
    return Rect(lineX, offset - font->Ascent(), lineWidth, font->Height());
}

int Widget::DrawText(Graphics* g, const std::string& text, int textX, int textY, int textWidth, int justification,
                     bool drawString, int offset, int length)
{
    bool previous = g->writeColoredString;
    g->writeColoredString = true;
    int result = g->DrawText(text, textX, textY, textWidth, justification, drawString, offset, length);
    g->writeColoredString = previous;
    return result;
}

int Widget::DrawWrappedText(Graphics* g, const Rect& rect, const std::string& text, int lineSpacing,
                            int justification)
{
    bool previous = g->writeColoredString;
    g->writeColoredString = true;
    int result = g->DrawWrappedText(rect, text, lineSpacing, justification);
    g->writeColoredString = previous;
    return result;
}

int Widget::WrappedTextHeight(Graphics* g, int textWidth, const std::string& text, int lineSpacing)
{
    return g->WrappedTextHeight(textWidth, text, lineSpacing);
}

int Widget::DigitCount(int number)
{
    int count = 1;
    // 64-bit powers: 10^10 does not fit an int.
    for (long long power = 10; power <= number; power *= 10)
        count++;
    return count;
}

void Widget::DrawNumberFromStrip(Graphics* g, int number, int numberX, int numberY, Image* strip, int spacing)
{
    if (!g || !strip || number < 0)
        return;
    int digitWidth = strip->GetWidth() / 10;
    if (digitWidth <= 0)
        return;
    int digits = DigitCount(number);
    long long divisor = 1;
    for (int i = 1; i < digits; i++)
        divisor *= 10;
    int offset = 0;
    for (int i = 0; i < digits; i++)
    {
        int digit = static_cast<int>((number / divisor) % 10);
        Graphics digitGraphics(*g);
        digitGraphics.ClipRect(numberX + offset, numberY, digitWidth, strip->GetHeight());
        digitGraphics.DrawImage(strip, numberX + offset - digitWidth * digit, numberY);
        offset += digitWidth + spacing;
        divisor /= 10;
    }
}

bool Widget::Contains(int px, int py)
{
    return px >= x && px < x + width && py >= y && py < y + height;
}

Rect Widget::InsetRect()
{
    return Rect(x + insetLeft, y + insetTop, width - insetLeft - insetRight, height - insetTop - insetBottom);
}

} // namespace zest
