// "GAME OVER": shown by the board when the last life is lost; OK sends the board back to its menu.
// Owned by the application once added; main thread only.
#pragma once

#include "game/GameDialog.h"

namespace tibble
{

class TryAgainDialog : public GameDialog
{
public:
    TryAgainDialog();

    void ButtonClicked(int buttonId) override;
};

} // namespace tibble
