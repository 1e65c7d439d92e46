#include "widgets/ButtonWidget.h"

#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "graphics/SysFont.h"
#include "widgets/ButtonListener.h"
#include "widgets/WidgetManager.h"

#include <algorithm>

namespace zest
{

namespace
{
constexpr int DefaultButtonColors[][3] = {{0, 0, 0},       {0, 0, 0},       {0, 0, 0},
                                          {255, 255, 255}, {132, 132, 132}, {212, 212, 212}};

// Repeated steps of 0.1 do not add up to exactly 1 in binary floating point (ten
// steps down from 1 leave about 2e-16). Values this close to an end count as the end,
// so a speed of 1/n finishes in exactly n updates.
constexpr double FadeSnap = 1e-9;
} // namespace

ButtonWidget::ButtonWidget(int buttonId, ButtonListener* listener) : id(buttonId), buttonListener(listener)
{
    hasAlpha = true;
    for (const auto& rgb : DefaultButtonColors)
        colors.emplace_back(rgb[0], rgb[1], rgb[2]);
}

ButtonWidget::~ButtonWidget() = default;

void ButtonWidget::DrawStateImage(Graphics* g, Image* image, const Rect& sourceRect, int drawX, int drawY)
{
    if (!sourceRect.IsEmpty())
    {
        if (buttonImage)
            g->DrawImage(buttonImage, drawX, drawY, sourceRect);
    }
    else if (image)
    {
        g->DrawImage(image, drawX, drawY);
    }
}

void ButtonWidget::SetFont(Font* newFont)
{
    font = newFont ? newFont->Duplicate() : nullptr;
    MarkDirty();
}

std::unique_ptr<Font> ButtonWidget::MakeDefaultFont()
{
    return std::make_unique<SysFont>("Arial Unicode MS", 10);
}

Font* ButtonWidget::GetFont()
{
    if (!font)
        font = MakeDefaultFont();
    return font.get();
}

bool ButtonWidget::IsPressedLook()
{
    return isDown && isOver && !disabled;
}

void ButtonWidget::SetDisabled(bool isDisabled)
{
    Widget::SetDisabled(isDisabled);
    if (HasDisabledState())
        MarkDirty();
}

void ButtonWidget::RedrawForHover()
{
    if (isDown || HasOverState() || GetColor(ColorLabel) != GetColor(ColorLabelHilite))
        MarkDirty();
}

void ButtonWidget::MouseEnter()
{
    if (overAlphaFadeInSpeed == 0 && overAlpha > 0)
        overAlpha = 0;
    RedrawForHover();
    if (buttonListener)
        buttonListener->ButtonHoverStart(id);
}

void ButtonWidget::MouseLeave()
{
    if (overAlphaFadeOutSpeed == 0 && overAlpha > 0)
        overAlpha = 0;
    else if (overAlphaFadeOutSpeed > 0 && overAlpha == 0)
        overAlpha = 1; // the highlight fades out from full strength
    RedrawForHover();
    if (buttonListener)
        buttonListener->ButtonHoverEnd(id);
}

void ButtonWidget::MouseMove(int mouseX, int mouseY)
{
    if (buttonListener)
        buttonListener->ButtonHoverMove(id, mouseX, mouseY);
}

void ButtonWidget::MouseDown(int mouseX, int mouseY, int button, int clickCount)
{
    (void)mouseX, (void)mouseY, (void)button;
    if (buttonListener)
        buttonListener->ButtonPressed(id, clickCount);
    MarkDirty();
}

void ButtonWidget::MouseUp(int mouseX, int mouseY, int button, int clickCount)
{
    (void)mouseX, (void)mouseY, (void)button, (void)clickCount;
    // A release off the button, or while another program has the focus, is no click.
    bool appHasFocus = widgetManager && widgetManager->hasFocus;
    if (isOver && appHasFocus && buttonListener)
        buttonListener->ButtonClicked(id);
    MarkDirty();
}

void ButtonWidget::Update()
{
    Widget::Update();
    if (isDown && isOver && buttonListener)
        buttonListener->ButtonHeld(id);

    if (isOver && overAlphaFadeInSpeed > 0 && overAlpha < 1)
    {
        overAlpha = std::min(overAlpha + overAlphaFadeInSpeed, 1.0);
        if (overAlpha > 1 - FadeSnap)
            overAlpha = 1;
        MarkDirty();
    }
    else if (!isOver && !isDown && overAlpha > 0)
    {
        if (overAlphaFadeOutSpeed > 0)
        {
            overAlpha = std::max(overAlpha - overAlphaFadeOutSpeed, 0.0);
            if (overAlpha < FadeSnap)
                overAlpha = 0;
        }
        else
        {
            overAlpha = 0;
        }
        MarkDirty();
    }
}

void ButtonWidget::DrawFrame(Graphics* g, bool pressed)
{
    g->SetColor(GetColor(ColorBody));
    g->FillRect(0, 0, width, height);
    // Outer edges: top, left, bottom, right.
    const Rect top(0, 0, width - 1, 1);
    const Rect left(0, 0, 1, height - 1);
    const Rect bottom(0, height - 1, width, 1);
    const Rect right(width - 1, 0, 1, height);
    const Color& topLeft = GetColor(pressed ? ColorDarkOutline : ColorLightOutline);
    const Color& bottomRight = GetColor(pressed ? ColorLightOutline : ColorDarkOutline);
    g->SetColor(topLeft);
    g->FillRect(top);
    g->FillRect(left);
    g->SetColor(bottomRight);
    g->FillRect(bottom);
    g->FillRect(right);
    g->SetColor(GetColor(ColorMediumOutline));
    if (pressed)
    {
        g->FillRect(1, 1, width - 3, 1);
        g->FillRect(1, 1, 1, height - 3);
    }
    else
    {
        g->FillRect(1, height - 2, width - 2, 1);
        g->FillRect(width - 2, 1, 1, height - 2);
    }
}

void ButtonWidget::Draw(Graphics* g)
{
    if (noDraw)
        return;
    const bool pressed = IsPressedLook() != inverted;
    int textColor = isOver ? ColorLabelHilite : ColorLabel;
    int shift = 0;

    if (buttonImage || downImage)
    {
        if (pressed)
        {
            if (HasDownState())
                DrawStateImage(g, downImage, downRect, 0, 0);
            else if (HasOverState())
                DrawStateImage(g, overImage, overRect, 1, 1);
            else
                DrawStateImage(g, buttonImage, normalRect, 1, 1);
            textColor = ColorLabelHilite;
            shift = 1;
        }
        else if (disabled && HasDisabledState())
        {
            DrawStateImage(g, disabledImage, disabledRect, 0, 0);
        }
        else if (overAlpha > 0 && HasOverState())
        {
            if (overAlpha < 1)
                DrawStateImage(g, buttonImage, normalRect, 0, 0);
            Graphics faded(*g);
            faded.SetColorize(true);
            faded.SetColor(Color(255, 255, 255, static_cast<int>(overAlpha * 255)));
            DrawStateImage(&faded, overImage, overRect, 0, 0);
        }
        else if ((isOver || isDown) && HasOverState())
        {
            DrawStateImage(g, overImage, overRect, 0, 0);
        }
        else
        {
            DrawStateImage(g, buttonImage, normalRect, 0, 0);
        }
    }
    else
    {
        if (!frameNoDraw)
            DrawFrame(g, pressed);
        if (pressed)
            shift = 1;
    }

    if (label.empty())
        return;
    Font* labelFont = GetFont();
    const int labelWidth = labelFont->StringWidth(label);
    int labelX = 0;
    if (labelJustification == 0)
        labelX = (width - labelWidth) / 2;
    else if (labelJustification > 0)
        labelX = width - labelWidth;
    const int ascent = labelFont->Ascent();
    const int labelY = (ascent + height - ascent / 6 - 1) / 2;
    g->SetFont(labelFont);
    g->SetColor(GetColor(textColor));
    g->DrawString(label, labelX + shift, labelY + shift);
}

} // namespace zest
