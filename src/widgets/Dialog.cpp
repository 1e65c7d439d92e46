#include "widgets/Dialog.h"

#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "graphics/SysFont.h"
#include "widgets/DialogButton.h"
#include "widgets/DialogListener.h"
#include "widgets/WidgetHost.h"
#include "widgets/WidgetManager.h"

#include <algorithm>

namespace zest
{

namespace
{
// The colours every new dialog starts with. One table for the whole program: a dialog
// made without a button frame image turns the button text entries black here, for
// itself and every dialog made after it (drawn buttons are light grey).
Color* SharedDialogColors()
{
    static Color table[Dialog::ColorCount] = {{255, 255, 255}, {255, 255, 0}, {255, 255, 255}, {255, 255, 255},
                                              {255, 255, 255}, {80, 80, 80},  {255, 255, 255}};
    return table;
}

// How far a dialog may be dragged past the edges of the screen.
constexpr int DragSlack = 8;
// Space between the text blocks and above the buttons.
constexpr int BlockGap = 8;
} // namespace

Dialog::Dialog(Image* frame, Image* buttonFrame, int dialogId, bool modal, const std::string& headerText,
               const std::string& linesText, const std::string& footerText, int mode)
    : frameImage(frame), header(headerText), lines(linesText), footer(footerText), buttonMode(mode), id(dialogId),
      isModal(modal)
{
    hasTransparencies = true;
    hasAlpha = true;
    priority = 1;
    WidgetHost* host = WidgetHost::Current();
    dialogListener = host;
    if (buttonFrame && buttonFrame->GetHeight() > 0)
        buttonHeight = buttonFrame->GetHeight();

    auto label = [host](const char* key, const char* text)
    { return host ? host->GetString(key, text) : std::string(text); };
    switch (buttonMode)
    {
    case ButtonsYesNo:
        yesButton = std::make_unique<DialogButton>(buttonFrame, YesButtonId, this);
        yesButton->label = "YES";
        noButton = std::make_unique<DialogButton>(buttonFrame, NoButtonId, this);
        noButton->label = "NO";
        break;
    case ButtonsOkCancel:
        yesButton = std::make_unique<DialogButton>(buttonFrame, YesButtonId, this);
        yesButton->label = label("DIALOG_BUTTON_OK", "OK");
        noButton = std::make_unique<DialogButton>(buttonFrame, NoButtonId, this);
        noButton->label = label("DIALOG_BUTTON_CANCEL", "CANCEL");
        break;
    case ButtonsFooter:
        yesButton = std::make_unique<DialogButton>(buttonFrame, YesButtonId, this);
        yesButton->label = footer;
        break;
    default:
        break;
    }

    Color* shared = SharedDialogColors();
    if (!buttonFrame)
    {
        shared[ColorButtonText] = Color::Black;
        shared[ColorButtonTextHilite] = Color::Black;
    }
    // Stored directly: a widget not yet in a tree has nothing to mark dirty.
    colors.assign(shared, shared + ColorCount);
    for (DialogButton* button : {yesButton.get(), noButton.get()})
    {
        if (!button)
            continue;
        button->colors[ButtonWidget::ColorLabel] = colors[ColorButtonText];
        button->colors[ButtonWidget::ColorLabelHilite] = colors[ColorButtonTextHilite];
    }
}

Dialog::~Dialog()
{
    for (WaitState* state = waitState; state; state = state->outer)
    {
        state->deleted = true;
        state->result = result;
    }
    // Leave the tree while still a Dialog, so OnDetached takes the buttons out too.
    if (parent)
        parent->RemoveWidget(this);
    yesButton.reset();
    noButton.reset();
}

void Dialog::SetButtonFont(Font* font)
{
    if (yesButton)
        yesButton->SetFont(font);
    if (noButton)
        noButton->SetFont(font);
}

void Dialog::SetHeaderFont(Font* font)
{
    headerFont = font ? font->Duplicate() : nullptr;
    MarkDirty();
}

void Dialog::SetLinesFont(Font* font)
{
    linesFont = font ? font->Duplicate() : nullptr;
    MarkDirty();
}

Font* Dialog::GetHeaderFont()
{
    if (!headerFont)
        headerFont = std::make_unique<SysFont>("Arial Unicode MS", 14);
    return headerFont.get();
}

Font* Dialog::GetLinesFont()
{
    if (!linesFont)
        linesFont = std::make_unique<SysFont>("Arial Unicode MS", 12);
    return linesFont.get();
}

int Dialog::LinesSpacing()
{
    return GetLinesFont()->LineSpacing() + extraLineSpacing;
}

int Dialog::GetPreferredHeight(int forWidth)
{
    const Insets& bg = backgroundInsets;
    const Insets& content = contentInsets;
    int total = bg.top + content.top + content.bottom + bg.bottom;
    bool anything = false;
    if (!header.empty())
    {
        Font* font = GetHeaderFont();
        total += font->Height() - font->AscentPadding();
        anything = true;
    }
    if (!lines.empty())
    {
        if (!header.empty())
            total += spaceAfterHeader;
        Graphics measure;
        measure.SetFont(GetLinesFont());
        const int textWidth = forWidth - bg.left - content.left - content.right - bg.right - 4;
        total += WrappedTextHeight(&measure, textWidth, lines, LinesSpacing());
        anything = true;
    }
    if (!footer.empty() && buttonMode != ButtonsFooter)
    {
        total += (anything ? BlockGap : 0) + GetHeaderFont()->LineSpacing();
        anything = true;
    }
    if (yesButton)
        total += (anything ? BlockGap : 0) + buttonHeight + BlockGap;
    return total;
}

bool Dialog::IsModal()
{
    return isModal;
}

int Dialog::WaitForResult(bool autoClose)
{
    WidgetHost* host = widgetManager && widgetManager->host ? widgetManager->host : WidgetHost::Current();
    WaitState state;
    state.outer = waitState;
    waitState = &state;
    bool updated = false;
    while (host && widgetManager && result == NoResult && host->UpdateStep(&updated))
    {
        // An update may close and delete this dialog: then nothing of it may be touched.
        if (state.deleted)
            return state.result;
    }
    waitState = state.outer;
    const int answer = result;
    // Only this dialog: the id may meanwhile belong to another one.
    if (autoClose && host && host->GetDialog(id) == this)
        host->CloseDialog(id);
    return answer;
}

void Dialog::OnAttached(WidgetManager* manager)
{
    Widget::OnAttached(manager);
    LayoutButtons();
    for (DialogButton* button : {yesButton.get(), noButton.get()})
    {
        if (!button)
            continue;
        button->zOrder = zOrder;
        manager->AddWidget(button);
    }
}

void Dialog::OnDetached(WidgetManager* manager)
{
    Widget::OnDetached(manager);
    for (DialogButton* button : {yesButton.get(), noButton.get()})
    {
        if (button)
            manager->RemoveWidget(button);
    }
}

void Dialog::OnOrderChanged()
{
    if (!widgetManager || parent != widgetManager)
        return;
    // The buttons belong just in front of the dialog; placing the second first keeps
    // the first in front of the dialog and the second in front of the first.
    for (DialogButton* button : {noButton.get(), yesButton.get()})
    {
        if (button)
            widgetManager->PlaceInFront(button, this);
    }
}

void Dialog::SetColor(int index, const Color& color)
{
    Widget::SetColor(index, color);
    for (DialogButton* button : {yesButton.get(), noButton.get()})
    {
        if (!button)
            continue;
        if (index == ColorButtonText)
            button->SetColor(ButtonWidget::ColorLabel, color);
        else if (index == ColorButtonTextHilite)
            button->SetColor(ButtonWidget::ColorLabelHilite, color);
    }
}

void Dialog::Resize(int newX, int newY, int newWidth, int newHeight)
{
    Widget::Resize(newX, newY, newWidth, newHeight);
    LayoutButtons();
}

void Dialog::LayoutButtons()
{
    if (!yesButton)
        return;
    const Insets& bg = backgroundInsets;
    const Insets& content = contentInsets;
    // The buttons live beside the dialog in the manager: screen coordinates.
    const Point origin = AbsolutePosition();
    const int buttonY = origin.y + height - content.bottom - bg.bottom - buttonHeight;
    if (noButton)
    {
        const int buttonWidth =
            (width - 2 * buttonMargin - content.left - content.right - bg.left - bg.right - buttonGap) / 2;
        const int firstX = origin.x + bg.left + content.left + buttonMargin;
        yesButton->Resize(firstX, buttonY, buttonWidth, buttonHeight);
        noButton->Resize(firstX + buttonWidth + buttonGap, buttonY, buttonWidth, buttonHeight);
    }
    else
    {
        yesButton->Resize(origin.x + bg.left + content.left, buttonY,
                          width - bg.left - bg.right - content.left - content.right, buttonHeight);
    }
}

void Dialog::Draw(Graphics* g)
{
    const Insets& bg = backgroundInsets;
    const Insets& content = contentInsets;
    const Rect panel(bg.left, bg.top, width - bg.left - bg.right, height - bg.top - bg.bottom);
    if (frameImage)
    {
        g->DrawImageFrame(panel, frameImage);
    }
    else
    {
        g->SetColor(GetColor(ColorOutline));
        g->DrawRect(panel.x + 12, panel.y + 12, panel.width - 25, panel.height - 25);
        g->SetColor(GetColor(ColorPanel));
        g->FillRect(panel.x + 13, panel.y + 13, panel.width - 26, panel.height - 26);
        g->SetColor(Color(0, 0, 0, 128));
        g->FillRect(panel.x + panel.width - 12, panel.y + 24, 12, panel.height - 36);
        g->FillRect(panel.x + 24, panel.y + panel.height - 12, panel.width - 24, 12);
    }

    int textY = bg.top + content.top;
    Font* titleFont = GetHeaderFont();
    if (!header.empty())
    {
        g->SetFont(titleFont);
        g->SetColor(GetColor(ColorHeader));
        const int baseline = textY - titleFont->AscentPadding() + titleFont->Ascent();
        DrawCenteredLine(g, baseline, header);
        textY = baseline - titleFont->Ascent() + titleFont->Height() + spaceAfterHeader;
    }

    // The lines font and colour stay set after drawing: dialogs that draw more text
    // after this rely on it.
    g->SetFont(GetLinesFont());
    g->SetColor(GetColor(ColorLines));
    int linesHeight = 0;
    if (!lines.empty())
    {
        const Rect textRect(bg.left + content.left + 2, textY,
                            width - content.left - content.right - bg.left - bg.right - 4, height - textY);
        DrawWrappedText(g, textRect, lines, LinesSpacing(), linesJustification);
        linesHeight = WrappedTextHeight(g, textRect.width, lines, LinesSpacing());
    }

    if (!footer.empty() && buttonMode != ButtonsFooter)
    {
        g->SetFont(titleFont);
        g->SetColor(GetColor(ColorFooter));
        DrawCenteredLine(g, textY + linesHeight + titleFont->LineSpacing() + BlockGap, footer);
    }
}

void Dialog::SetCursor(int number)
{
    if (widgetManager && widgetManager->host)
        widgetManager->host->SetCursorNumber(number);
}

void Dialog::MouseDown(int mouseX, int mouseY, int button, int clickCount)
{
    (void)button;
    if (clickCount != 1)
        return;
    SetCursor(CursorDragging);
    dragging = true;
    grabX = mouseX;
    grabY = mouseY;
}

void Dialog::MouseUp(int mouseX, int mouseY, int button, int clickCount)
{
    (void)mouseX, (void)mouseY, (void)button, (void)clickCount;
    if (!dragging)
        return;
    SetCursor(CursorPointer);
    dragging = false;
}

void Dialog::MouseDrag(int mouseX, int mouseY)
{
    if (!dragging || !parent)
        return;
    // mouseX, mouseY are relative to the dialog: the pointer moved by (mouse - grab).
    const int maxX = parent->width - width + DragSlack;
    const int maxY = parent->height - height + DragSlack;
    const int newX = std::max(-DragSlack, std::min(x + mouseX - grabX, maxX));
    const int newY = std::max(-DragSlack, std::min(y + mouseY - grabY, maxY));
    // Movement the edge blocked slides the grab point instead (keeping it 8 pixels
    // inside the dialog), so the dialog follows again as soon as the pointer is back
    // over it rather than only where it was first grabbed.
    grabX = std::max(DragSlack, std::min(mouseX - (newX - x), width - DragSlack - 1));
    grabY = std::max(DragSlack, std::min(mouseY - (newY - y), height - DragSlack - 1));
    Move(newX, newY);
}

void Dialog::ButtonPressed(int buttonId)
{
    if ((buttonId == YesButtonId || buttonId == NoButtonId) && dialogListener)
        dialogListener->DialogButtonPressed(id, buttonId);
}

void Dialog::ButtonClicked(int buttonId)
{
    if (buttonId != YesButtonId && buttonId != NoButtonId)
        return;
    result = buttonId;
    if (dialogListener)
        dialogListener->DialogButtonClicked(id, buttonId);
}

} // namespace zest
