// The button of dialogs: drawn from one frame image as a nine-part frame (one
// rectangle of it per state), or as a plain button without one. Owned by the dialog
// or screen that made it; owns only its font copy; main thread.
#pragma once

#include "widgets/ButtonWidget.h"

namespace zest
{

class DialogButton : public ButtonWidget
{
public:
    // frameImage is not owned and may be none; listener as for ButtonWidget.
    DialogButton(Image* frameImage, int id, ButtonListener* listener);

    void Draw(Graphics* g) override;

    Image* frameImage;
    // How far the frame (when drawn from the whole image) and the label move while pressed.
    int translateX = 1;
    int translateY = 1;
    // Moves the label from its centred place.
    int textOffsetX = 0;
    int textOffsetY = 0;

protected:
    std::unique_ptr<Font> MakeDefaultFont() override;
};

} // namespace zest
