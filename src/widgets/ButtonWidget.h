// A push button drawn from images (one sheet with a rectangle per state, or one image
// per state) or as a bevelled frame, with a label and hover fading. Reports to its
// ButtonListener by id. Owned by whoever created it; owns only its font copy; main thread.
#pragma once

#include "widgets/Widget.h"

#include <memory>
#include <string>

namespace zest
{

class ButtonListener;
class Font;

class ButtonWidget : public Widget
{
public:
    // Default colour indices.
    static constexpr int ColorLabel = 0;
    static constexpr int ColorLabelHilite = 1;
    static constexpr int ColorDarkOutline = 2;
    static constexpr int ColorLightOutline = 3;
    static constexpr int ColorMediumOutline = 4;
    static constexpr int ColorBody = 5;

    // listener is not owned and must outlive the button (none: events go nowhere).
    ButtonWidget(int id, ButtonListener* listener);
    ~ButtonWidget() override;

    // Draws sourceRect of the button image when it is non-empty, else the whole image.
    virtual void DrawStateImage(Graphics* g, Image* image, const Rect& sourceRect, int drawX, int drawY);
    // Keeps a duplicate of font (none: back to the default font, made when needed).
    virtual void SetFont(Font* newFont);
    // Down with the mouse over it and enabled (the inverted flag is applied by Draw).
    virtual bool IsPressedLook();

    using Widget::MouseDown;
    using Widget::MouseUp;
    void SetDisabled(bool isDisabled) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void MouseMove(int mouseX, int mouseY) override;
    void MouseDown(int mouseX, int mouseY, int button, int clickCount) override;
    void MouseUp(int mouseX, int mouseY, int button, int clickCount) override;
    void Update() override;
    void Draw(Graphics* g) override;

    // The font labels are drawn with: the button's copy, made on first use.
    Font* GetFont();

    int id;
    std::string label;
    // -1 left, 0 centre, 1 right.
    int labelJustification = 0;
    std::unique_ptr<Font> font;
    // Not owned.
    Image* buttonImage = nullptr;
    Image* overImage = nullptr;
    Image* downImage = nullptr;
    Image* disabledImage = nullptr;
    // A non-empty rectangle draws its state from that part of buttonImage.
    Rect normalRect;
    Rect overRect;
    Rect downRect;
    Rect disabledRect;
    ButtonListener* buttonListener;
    // Strength of the hover highlight, 0..1.
    double overAlpha = 0;
    // Change of overAlpha per update; 0 switches at once.
    double overAlphaFadeOutSpeed = 0;
    double overAlphaFadeInSpeed = 0;
    // Draws pressed when up and up when pressed.
    bool inverted = false;
    bool noDraw = false;
    // Skips the drawn frame (image-less buttons then show only the label).
    bool frameNoDraw = false;

protected:
    // Makes the default font when the button has none.
    virtual std::unique_ptr<Font> MakeDefaultFont();
    bool HasOverState() const { return overImage != nullptr || !overRect.IsEmpty(); }
    bool HasDownState() const { return downImage != nullptr || !downRect.IsEmpty(); }
    bool HasDisabledState() const { return disabledImage != nullptr || !disabledRect.IsEmpty(); }

private:
    // Redraws on hover changes only when the look changes.
    void RedrawForHover();
    void DrawFrame(Graphics* g, bool pressed);
};

} // namespace zest
