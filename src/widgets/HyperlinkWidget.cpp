#include "widgets/HyperlinkWidget.h"

#include "graphics/Font.h"
#include "graphics/Graphics.h"

namespace zest
{

HyperlinkWidget::HyperlinkWidget(int linkId, ButtonListener* listener) : ButtonWidget(linkId, listener)
{
    showFinger = true;
}

void HyperlinkWidget::Draw(Graphics* g)
{
    if (noDraw || label.empty())
        return;
    Font* labelFont = GetFont();
    const int labelWidth = labelFont->StringWidth(label);
    const int labelX = (width - labelWidth) / 2;
    const int baseline = (labelFont->Ascent() + height) / 2 - 1;
    g->SetFont(labelFont);
    g->SetColor(isOver ? overColor : color);
    g->DrawString(label, labelX, baseline);
    for (int i = 0; i < underlineSize; i++)
        g->FillRect(labelX, baseline + underlineOffset + i, labelWidth, 1);
}

// The link has alpha: the area behind it must be redrawn when its colour changes.
void HyperlinkWidget::MouseEnter()
{
    ButtonWidget::MouseEnter();
    MarkDirtyWithBehind();
}

void HyperlinkWidget::MouseLeave()
{
    ButtonWidget::MouseLeave();
    MarkDirtyWithBehind();
}

} // namespace zest
