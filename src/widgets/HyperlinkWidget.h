// An underlined text link: a button drawn as its label in one colour, another while
// the mouse is over it, with the hand cursor. Owned by whoever made it; owns only its
// font copy; main thread.
#pragma once

#include "widgets/ButtonWidget.h"

namespace zest
{

class HyperlinkWidget : public ButtonWidget
{
public:
    // listener is not owned and must outlive the link.
    HyperlinkWidget(int id, ButtonListener* listener);

    void Draw(Graphics* g) override;
    void MouseEnter() override;
    void MouseLeave() override;

    Color color = Color::White;
    Color overColor = Color::White;
    // Lines of underline, and their distance below the baseline in pixels.
    int underlineSize = 1;
    int underlineOffset = 3;
};

} // namespace zest
