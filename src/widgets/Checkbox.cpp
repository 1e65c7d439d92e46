#include "widgets/Checkbox.h"

#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "widgets/CheckboxListener.h"

namespace zest
{

Checkbox::Checkbox(Image* unchecked, Image* checkedPicture, int boxId, CheckboxListener* listener)
    : checkboxListener(listener), id(boxId), uncheckedImage(unchecked), checkedImage(checkedPicture)
{
    showFinger = true;
}

void Checkbox::SetChecked(bool isChecked, bool tellListener)
{
    checked = isChecked;
    if (tellListener && checkboxListener)
        checkboxListener->CheckboxToggled(id, checked);
    MarkDirty();
}

bool Checkbox::IsChecked()
{
    return checked;
}

void Checkbox::MouseDown(int mouseX, int mouseY, int button, int clickCount)
{
    (void)mouseX, (void)mouseY, (void)button, (void)clickCount;
    SetChecked(!checked, true);
}

void Checkbox::Draw(Graphics* g)
{
    if (checkedRect.IsEmpty() && uncheckedImage && checkedImage)
    {
        g->DrawImage(checked ? checkedImage : uncheckedImage, 0, 0);
        return;
    }
    if (!checkedRect.IsEmpty() && uncheckedImage)
    {
        g->DrawImage(uncheckedImage, 0, 0, checked ? checkedRect : uncheckedRect);
        return;
    }
    // Any other mix of images is incomplete: showing half of it would mislead.
    if (uncheckedImage || checkedImage)
        return;

    g->SetColor(outlineColor);
    g->FillRect(0, 0, width, height);
    g->SetColor(insideColor);
    g->FillRect(1, 1, width - 2, height - 2);
    if (checked)
    {
        g->SetColor(checkColor);
        g->DrawLine(1, 1, width - 2, height - 2);
        // The second stroke starts on the outline column, one further out than the
        // first stroke ends; kept so the box looks as it always has.
        g->DrawLine(width - 1, 1, 1, height - 2);
    }
}

} // namespace zest
