#include "widgets/DialogButton.h"

#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "graphics/SysFont.h"

namespace zest
{

DialogButton::DialogButton(Image* frame, int buttonId, ButtonListener* listener)
    : ButtonWidget(buttonId, listener), frameImage(frame)
{
    showFinger = true;
    colors[ColorLabel] = Color::White;
    colors[ColorLabelHilite] = Color::White;
}

std::unique_ptr<Font> DialogButton::MakeDefaultFont()
{
    // Without a frame image the button draws, and sizes its label, as a plain button.
    if (!frameImage)
        return ButtonWidget::MakeDefaultFont();
    return std::make_unique<SysFont>("Arial Unicode MS", 12, true);
}

void DialogButton::Draw(Graphics* g)
{
    if (!frameImage)
    {
        ButtonWidget::Draw(g);
        return;
    }
    if (noDraw)
        return;
    const bool pressed = IsPressedLook() != inverted;
    const Rect area(0, 0, width, height);

    if (disabled && !disabledRect.IsEmpty())
    {
        g->DrawImageFrame(disabledRect, area, frameImage);
    }
    else if (pressed && !downRect.IsEmpty())
    {
        g->DrawImageFrame(downRect, area, frameImage);
    }
    else if (overAlpha > 0 && !overRect.IsEmpty())
    {
        // Cross-fade from the normal look to the hover look.
        if (overAlpha < 1 && !normalRect.IsEmpty())
            g->DrawImageFrame(normalRect, area, frameImage);
        Graphics faded(*g);
        faded.SetColorize(true);
        faded.SetColor(Color(255, 255, 255, static_cast<int>(overAlpha * 255)));
        faded.DrawImageFrame(overRect, area, frameImage);
    }
    else if (isOver && !overRect.IsEmpty())
    {
        g->DrawImageFrame(overRect, area, frameImage);
    }
    else if (!normalRect.IsEmpty())
    {
        g->DrawImageFrame(normalRect, area, frameImage);
    }
    else
    {
        // One picture for every state: pressing shows by moving it.
        Graphics frame(*g);
        if (pressed)
            frame.Translate(translateX, translateY);
        frame.DrawImageFrame(area, frameImage);
    }

    if (label.empty())
        return;
    Font* labelFont = GetFont();
    Graphics text(*g);
    if (pressed)
        text.Translate(translateX, translateY);
    const int ascent = labelFont->Ascent();
    const int labelX = (width - labelFont->StringWidth(label)) / 2 + textOffsetX;
    const int labelY = textOffsetY + (ascent + height - ascent / 6 - labelFont->AscentPadding() - 1) / 2;
    text.SetFont(labelFont);
    text.SetColor(GetColor(isOver ? ColorLabelHilite : ColorLabel));
    text.DrawString(label, labelX, labelY);
}

} // namespace zest
