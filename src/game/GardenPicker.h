// "GARDENS": the thirteen gardens as pictures drawn from their maps, each with its name and the player's fastest
// time; gardens beyond the furthest reached are locked. Choosing one and PLAY (or a double click) plays it with
// 3 lives; WATCH BEST RUN plays back the garden's best run. The selected garden's records, at full speed and
// with assist speed, are shown under the pictures. Opened from the main menu; owned by the application once
// added; owns its three buttons. Main thread only.
#pragma once

#include "game/GameDialog.h"

#include <string>

namespace tibble
{

class GardenPicker : public GameDialog
{
public:
    static constexpr int PlayId = 1;
    static constexpr int WatchId = 2;
    static constexpr int CloseId = 3;
    static constexpr int Columns = 5;
    static constexpr int ThumbnailWidth = 100;
    static constexpr int ThumbnailHeight = 56;

    GardenPicker();
    ~GardenPicker() override;

    // The garden's name as its sign in the game reads.
    static std::string GardenName(int garden);

    void OnAttached(zest::WidgetManager* manager) override;
    void OnDetached(zest::WidgetManager* manager) override;
    void Draw(zest::Graphics* g) override;
    void ButtonClicked(int buttonId) override;
    using GameDialog::MouseDown;
    // A click on an open garden selects it; a double click plays it.
    void MouseDown(int mouseX, int mouseY, int button, int clickCount) override;

    // The garden under a point in dialog coordinates, or -1.
    int GardenAt(int pointX, int pointY) const;
    // Top-left corner of a garden's picture, in dialog coordinates.
    static zest::Point CellOrigin(int garden);
    int GetSelected() const { return selected; }
    // The furthest garden the player may choose (read when the dialog was made).
    int GetFurthest() const { return furthest; }
    void Select(int garden);
    zest::DialogButton* GetButton(int buttonId) const;

protected:
    void LayoutControls() override;

private:
    void DrawCell(zest::Graphics* g, int garden);
    void DrawDetails(zest::Graphics* g);
    void UpdateButtons();

    int furthest = 0;
    int selected = 0;
    std::string message; // why the last WATCH BEST RUN could not play
    std::unique_ptr<zest::DialogButton> playButton;
    std::unique_ptr<zest::DialogButton> watchButton;
    std::unique_ptr<zest::DialogButton> closeButton;
};

} // namespace tibble
