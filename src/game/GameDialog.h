// The look and behaviour all the game's dialogs share: frame images, fonts, colours and insets, a
// rectangle of their own that neither the creator nor a mouse drag can change, extra buttons in the
// same look, and closing with the focus handed back to the board. Owned by the application once
// added; main thread only.
#pragma once

#include "base/Color.h"
#include "widgets/Dialog.h"

#include <memory>
#include <string>

namespace zest
{
class DialogButton;
}

namespace tibble
{

class Board;
class GameApp;

class GameDialog : public zest::Dialog
{
public:
    GameDialog(int id, const std::string& header, const std::string& lines, const std::string& footer, int buttonMode,
               const zest::Rect& fixedRect, int headerSpace = 40);

    using zest::Dialog::Resize;
    // The arguments are ignored: the dialog always takes its own rectangle, then lays out its controls.
    void Resize(int newX, int newY, int newWidth, int newHeight) override;

    // The dialog's own rectangle.
    const zest::Rect& FixedRect() const { return fixedRect; }

    // Text on the dialogs' orange panel: dark, so it reads (white and light colours on orange did not).
    static constexpr zest::Color TextColor{46, 42, 54};
    static constexpr zest::Color WarningColor{128, 0, 0};
    static constexpr zest::Color LinkColor{16, 40, 150};
    static constexpr zest::Color LinkOverColor{120, 0, 130};
    // A button's label under the pointer: warm and strong, as the lit menu buttons; grey would read as disabled.
    static constexpr zest::Color ButtonOverColor{190, 60, 0};

protected:
    // Places the dialog's extra controls (screen coordinates); called by every Resize.
    virtual void LayoutControls() {}
    // A button in the dialogs' look, reporting to this dialog.
    std::unique_ptr<zest::DialogButton> MakeButton(int buttonId, const std::string& label);
    // Removes the dialog (deletion follows later) and gives the keyboard focus to the board.
    void CloseAndFocusBoard();
    GameApp* App() const;
    // None when the game shows no board (tests of a dialog on its own).
    Board* GetBoard() const;

    zest::Rect fixedRect;
};

} // namespace tibble
