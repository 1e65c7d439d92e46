#include "widgets/Slider.h"

#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "widgets/SliderListener.h"
#include "widgets/WidgetHost.h"
#include "widgets/WidgetManager.h"

#include <algorithm>

namespace zest
{

Slider::Slider(Image* track, Image* thumb, int sliderId, SliderListener* listener)
    : trackImage(track), thumbImage(thumb), id(sliderId), sliderListener(listener)
{
}

void Slider::SetValue(double newValue)
{
    // Written so that NaN lands on 0 as well.
    value = newValue > 0 ? std::min(newValue, 1.0) : 0.0;
    MarkDirtyWithBehind();
}

int Slider::ThumbLength() const
{
    if (!thumbImage)
        return 0;
    return horizontal ? thumbImage->GetWidth() : thumbImage->GetHeight();
}

int Slider::ThumbPosition() const
{
    return static_cast<int>((Length() - ThumbLength()) * value);
}

bool Slider::OnThumb(int mouseX, int mouseY) const
{
    const int along = horizontal ? mouseX : mouseY;
    const int thumbStart = ThumbPosition();
    return along >= thumbStart && along < thumbStart + ThumbLength();
}

void Slider::SetCursor(int number)
{
    if (widgetManager && widgetManager->host)
        widgetManager->host->SetCursorNumber(number);
}

void Slider::MouseDown(int mouseX, int mouseY, int clickCount)
{
    (void)clickCount;
    if (OnThumb(mouseX, mouseY))
    {
        SetCursor(CursorDragging);
        dragging = true;
        const int thumbStart = ThumbPosition();
        relX = horizontal ? mouseX - thumbStart : mouseX;
        relY = horizontal ? mouseY : mouseY - thumbStart;
        return;
    }
    // A click on the track jumps to the clicked fraction (in floating point: integer
    // division would only ever give 0 or 1).
    const int length = Length();
    if (length > 0)
        SetValue(static_cast<double>(horizontal ? mouseX : mouseY) / length);
}

void Slider::MouseMove(int mouseX, int mouseY)
{
    SetCursor(OnThumb(mouseX, mouseY) ? CursorDragging : CursorPointer);
}

void Slider::MouseDrag(int mouseX, int mouseY)
{
    if (!dragging)
        return;
    // A slider no longer than its thumb has nowhere to move it.
    const int travel = Length() - ThumbLength();
    if (travel <= 0)
        return;
    const int along = horizontal ? mouseX - relX : mouseY - relY;
    const double old = value;
    value = std::clamp(static_cast<double>(along) / travel, 0.0, 1.0);
    if (value != old)
    {
        if (sliderListener)
            sliderListener->SliderChanged(id, value);
        MarkDirtyWithBehind();
    }
}

void Slider::MouseUp(int mouseX, int mouseY)
{
    (void)mouseX, (void)mouseY;
    dragging = false;
    SetCursor(CursorPointer);
    if (sliderListener)
        sliderListener->SliderChanged(id, value);
}

void Slider::MouseLeave()
{
    if (!dragging)
        SetCursor(CursorPointer);
}

void Slider::Draw(Graphics* g)
{
    if (trackImage)
    {
        const int trackWidth = trackImage->GetWidth();
        const int trackHeight = trackImage->GetHeight();
        // The track's picture is three equal parts: a start cap, a middle that is
        // repeated, an end cap.
        const int cap = (horizontal ? trackWidth : trackHeight) / 3;
        if (cap > 0)
        {
            const int length = Length();
            const int copies = (length - cap - 1) / cap;
            if (horizontal)
            {
                const int trackY = (height - trackHeight) / 2;
                g->DrawImage(trackImage, 0, trackY, Rect(0, 0, cap, trackHeight));
                Graphics middle(*g);
                middle.ClipRect(cap, trackY, width - 2 * cap, trackHeight);
                for (int i = 0; i < copies; i++)
                    middle.DrawImage(trackImage, cap + i * cap, trackY, Rect(cap, 0, cap, trackHeight));
                g->DrawImage(trackImage, width - cap, trackY, Rect(2 * cap, 0, cap, trackHeight));
            }
            else
            {
                const int trackX = (width - trackWidth) / 2;
                g->DrawImage(trackImage, trackX, 0, Rect(0, 0, trackWidth, cap));
                Graphics middle(*g);
                middle.ClipRect(trackX, cap, trackWidth, height - 2 * cap);
                for (int i = 0; i < copies; i++)
                    middle.DrawImage(trackImage, trackX, cap + i * cap, Rect(0, cap, trackWidth, cap));
                g->DrawImage(trackImage, trackX, height - cap, Rect(0, 2 * cap, trackWidth, cap));
            }
        }
    }
    if (thumbImage)
    {
        const int thumbStart = ThumbPosition();
        if (horizontal)
            g->DrawImage(thumbImage, thumbStart, (height - thumbImage->GetHeight()) / 2);
        else
            g->DrawImage(thumbImage, (width - thumbImage->GetWidth()) / 2, thumbStart);
    }
}

} // namespace zest
