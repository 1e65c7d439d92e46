// The message box inside the game window: a framed panel with a header, word-wrapped
// lines, an optional footer and up to two buttons; draggable, optionally modal.
// Owned by the application once added (AddDialog); owns its buttons and font copies;
// main thread only.
#pragma once

#include "widgets/ButtonListener.h"
#include "widgets/Widget.h"

#include <climits>
#include <memory>
#include <string>

namespace zest
{

class DialogButton;
class DialogListener;
class Font;

class Dialog : public Widget, public ButtonListener
{
public:
    // The result of a dialog no button has answered.
    static constexpr int NoResult = INT_MAX;
    // Button ids: yes, ok or the footer button; no or cancel.
    static constexpr int YesButtonId = 1000;
    static constexpr int NoButtonId = 1001;
    // Button modes.
    static constexpr int ButtonsNone = 0;
    static constexpr int ButtonsYesNo = 1;
    static constexpr int ButtonsOkCancel = 2;
    static constexpr int ButtonsFooter = 3;
    // Colour indices.
    static constexpr int ColorHeader = 0;
    static constexpr int ColorLines = 1;
    static constexpr int ColorFooter = 2;
    static constexpr int ColorButtonText = 3;
    static constexpr int ColorButtonTextHilite = 4;
    static constexpr int ColorPanel = 5;
    static constexpr int ColorOutline = 6;
    static constexpr int ColorCount = 7;

    struct Insets
    {
        int left = 0;
        int top = 0;
        int right = 0;
        int bottom = 0;
    };

    // buttonMode: 0 no buttons, 1 yes/no, 2 ok/cancel, 3 one footer button labelled
    // with the footer text. The images are not owned and may be none. The listener is
    // the application until changed.
    Dialog(Image* frameImage, Image* buttonFrameImage, int id, bool isModal, const std::string& header,
           const std::string& lines, const std::string& footer, int buttonMode);
    // Leaves the widget tree first, taking its buttons along, then deletes them.
    ~Dialog() override;

    // Both buttons keep a duplicate of font.
    virtual void SetButtonFont(Font* font);
    // The dialog keeps a duplicate (none: back to the default, made when needed).
    virtual void SetHeaderFont(Font* font);
    virtual void SetLinesFont(Font* font);
    // The height that fits the texts and buttons at the given width.
    virtual int GetPreferredHeight(int forWidth);
    virtual bool IsModal();
    // Runs the application's update steps until a button answers, the dialog leaves
    // the tree (or is deleted) or the loop ends; then, when autoClose, closes the
    // dialog if it is still registered. Answers the result (NoResult without one).
    virtual int WaitForResult(bool autoClose);

    void OnAttached(WidgetManager* manager) override;
    void OnDetached(WidgetManager* manager) override;
    void OnOrderChanged() override;
    void SetColor(int index, const Color& color) override;
    using Widget::Resize;
    void Resize(int newX, int newY, int newWidth, int newHeight) override;
    void Draw(Graphics* g) override;
    using Widget::MouseDown;
    using Widget::MouseUp;
    void MouseDown(int mouseX, int mouseY, int button, int clickCount) override;
    void MouseUp(int mouseX, int mouseY, int button, int clickCount) override;
    void MouseDrag(int mouseX, int mouseY) override;

    using ButtonListener::ButtonPressed;
    void ButtonPressed(int buttonId) override;
    void ButtonClicked(int buttonId) override;

    Font* GetHeaderFont();
    Font* GetLinesFont();
    DialogButton* GetYesButton() const { return yesButton.get(); }
    DialogButton* GetNoButton() const { return noButton.get(); }

    // Not owned.
    DialogListener* dialogListener = nullptr;
    Image* frameImage;
    std::unique_ptr<DialogButton> yesButton;
    std::unique_ptr<DialogButton> noButton;
    std::string header;
    std::string lines;
    std::string footer;
    int buttonMode;
    std::unique_ptr<Font> headerFont;
    std::unique_ptr<Font> linesFont;
    // -1 left, 0 centred, 1 right.
    int linesJustification = 0;
    // Added to the lines font's line spacing.
    int extraLineSpacing = 0;
    int buttonHeight = 24;
    // Where the panel lies inside the widget rectangle.
    Insets backgroundInsets;
    // Margins of the texts and buttons inside the panel.
    Insets contentInsets{24, 24, 24, 24};
    int spaceAfterHeader = 10;
    int buttonGap = 8;
    int buttonMargin = 0;
    int id;
    bool isModal;
    int result = NoResult;
    bool dragging = false;
    int grabX = 0;
    int grabY = 0;

private:
    // Places the buttons along the bottom of the panel (screen coordinates: they are
    // siblings of the dialog).
    void LayoutButtons();
    void SetCursor(int number);
    // The line spacing of the body text.
    int LinesSpacing();

    // Set while WaitForResult runs, so a deletion during the wait is noticed.
    struct WaitState
    {
        bool deleted = false;
        int result = NoResult;
        WaitState* outer = nullptr;
    };
    WaitState* waitState = nullptr;
};

} // namespace zest
