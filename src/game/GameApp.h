// The game's application object: its identity and window, the three stages of resource loading
// (groups "Init" and "TitleScreen" at start-up, "Game" on the loading thread behind the title
// screen's bar), the music, the title screen and then the board, and the look of the framework's
// dialogs. One per process; main thread except the loading steps (on the loading thread where there is one).
#pragma once

#include "app/ZestAppBase.h"

#include <memory>

namespace zest
{
class Widget;
}

namespace tibble
{

class PadPointer;
class TitleScreen;

class GameApp : public zest::ZestAppBase
{
public:
    GameApp();
    // Takes the board or the title screen off the screen, deletes it and unloads the groups.
    ~GameApp() override;

    // Closes the "No Windowed Mode" notice as soon as its button goes down.
    void ButtonPressed(int id) override;
    // Shows the continue link, unless loading failed.
    void OnLoadingDone() override;
    // Loads and binds group "Game", counting the progress; on failure tells the player and
    // shuts the program down.
    void BeginLoading() override;
    bool LoadingStep() override;
    void EndLoading() override;
    // A dialog in the game's look: the dialog frame images and the default font, black text.
    zest::Dialog* CreateDialog(int id, bool isModal, const std::string& header, const std::string& lines,
                               const std::string& footer, int buttonMode) override;
    // The base start-up, then the manifest, groups "Init" and "TitleScreen", the title screen and
    // the music. A resource that cannot be loaded or bound ends the program with exit code 0.
    void Initialize() override;
    // The base's settings, then the game speed.
    void LoadSettings() override;

    // Replaces the title screen (which has already taken itself off the screen) by the board.
    void ShowBoard();
    // Gives the keyboard focus back to the board; dialogs call it when they close.
    void FocusBoard();
    // "A file error has occurred", then exit code 1.
    [[noreturn]] void ShowFileError();

    // Gamepad buttons steer the pointer (A, B, Start and the d-pad); the rest go to the focus widget.
    bool OnGamepadButton(int pad, int button, bool down) override;

    TitleScreen* GetTitleScreen() const { return titleScreen; }
    PadPointer* GetPadPointer() const { return padPointer.get(); }
    zest::Widget* GetBoard() const { return board; }

private:
    // Start-up failure: the resource manager's error text, then exit code 0.
    [[noreturn]] void FailStartup();

    // Both owned; the title screen is handed to the deletion queue by its own click.
    zest::Widget* board = nullptr;
    TitleScreen* titleScreen = nullptr;
    std::unique_ptr<PadPointer> padPointer;
};

} // namespace tibble
