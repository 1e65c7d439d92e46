// "CONGRATULATIONS": shown by the board when the last level is completed, with the prize item code
// and its picture; CLOSE sends the board back to its menu. Owned by the application once added;
// main thread only.
#pragma once

#include "game/GameDialog.h"

namespace tibble
{

class FinishDialog : public GameDialog
{
public:
    static constexpr const char* PrizeCode = "Teal Bucket   ZMRW";

    FinishDialog();

    void Draw(zest::Graphics* g) override;
    void ButtonClicked(int buttonId) override;
};

} // namespace tibble
