// A horizontal (or vertical) slider: a track drawn from three parts of one image and
// a thumb that can be dragged, or moved by clicking the track. Reports its value
// (0..1) to its SliderListener by id. Owned by whoever made it; owns nothing; main thread.
#pragma once

#include "widgets/Widget.h"

namespace zest
{

class SliderListener;

class Slider : public Widget
{
public:
    // Images are not owned and may be none; listener is not owned and must outlive the slider.
    Slider(Image* trackImage, Image* thumbImage, int id, SliderListener* listener);

    // Clamped to [0, 1] (NaN counts as 0); the listener is not told.
    virtual void SetValue(double newValue);

    using Widget::MouseDown;
    using Widget::MouseUp;
    void Draw(Graphics* g) override;
    // On the thumb: starts a drag. On the track: jumps there; the listener hears the
    // new value on release.
    void MouseDown(int mouseX, int mouseY, int clickCount) override;
    void MouseMove(int mouseX, int mouseY) override;
    void MouseUp(int mouseX, int mouseY) override;
    void MouseDrag(int mouseX, int mouseY) override;
    void MouseLeave() override;

    // Where the thumb starts along the slider, in pixels from its left (top) edge.
    int ThumbPosition() const;

    Image* trackImage;
    Image* thumbImage;
    int id;
    SliderListener* sliderListener;
    double value = 0;
    bool dragging = false;
    // Where the thumb was grabbed, relative to the thumb.
    int relX = 0;
    int relY = 0;
    bool horizontal = true;

private:
    // Length of the slider and of the thumb along the axis.
    int Length() const { return horizontal ? width : height; }
    int ThumbLength() const;
    bool OnThumb(int mouseX, int mouseY) const;
    void SetCursor(int number);
};

} // namespace zest
