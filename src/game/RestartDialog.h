// "Are you sure?" before the stored progress is erased; YES starts the player again at level 1 with
// three lives. Opened from the main menu; owned by the application once added; main thread only.
#pragma once

#include "game/GameDialog.h"

namespace tibble
{

class RestartDialog : public GameDialog
{
public:
    RestartDialog();

    void ButtonClicked(int buttonId) override;
};

} // namespace tibble
