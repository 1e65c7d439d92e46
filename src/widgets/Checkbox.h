// A two-state box toggled by a click, drawn from two images, from two rectangles of
// one image, or as a drawn box with a cross. Reports to its CheckboxListener by id.
// Owned by whoever made it; owns nothing; main thread.
#pragma once

#include "widgets/Widget.h"

namespace zest
{

class CheckboxListener;

class Checkbox : public Widget
{
public:
    // Images are not owned and may be none; listener is not owned and must outlive the box.
    Checkbox(Image* uncheckedImage, Image* checkedImage, int id, CheckboxListener* listener);

    // Stores the state; tells the listener only when tellListener.
    virtual void SetChecked(bool isChecked, bool tellListener = true);
    virtual bool IsChecked();

    using Widget::MouseDown;
    void MouseDown(int mouseX, int mouseY, int button, int clickCount) override;
    void Draw(Graphics* g) override;

    CheckboxListener* checkboxListener;
    int id;
    bool checked = false;
    Image* uncheckedImage;
    Image* checkedImage;
    // With checkedRect set, both states are drawn from uncheckedImage.
    Rect checkedRect;
    Rect uncheckedRect;
    Color outlineColor = Color::White;
    Color insideColor{80, 80, 80};
    Color checkColor{255, 255, 0};
};

} // namespace zest
