// The playfield widget and the whole game flow: main menu, start of a game, the level in play and the
// passage between levels, lives and golden hives, saved progress, pausing and the black fades. Owned by
// the GameApp; owns its Level and its buttons (which live in the widget manager). Main thread only.
#pragma once

#include "garden/LevelHost.h"
#include "garden/LevelMap.h"
#include "widgets/ButtonListener.h"
#include "widgets/Widget.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zest
{
class ButtonWidget;
class ZestAppBase;
} // namespace zest

namespace tibble
{

class GameApp;
class Level;

class Board : public zest::Widget, public zest::ButtonListener, public LevelHost
{
public:
    // States.
    static constexpr int EnterMenu = 0;
    static constexpr int Menu = 1;
    static constexpr int StartGame = 2;
    static constexpr int Playing = 3;

    // Button ids.
    static constexpr int MenuButtonId = 0;
    static constexpr int OptionsButtonId = 1;
    static constexpr int HelpButtonId = 2;
    static constexpr int QuitButtonId = 3;
    static constexpr int PlayButtonId = 4;
    static constexpr int CreditsButtonId = 5;
    static constexpr int RestartButtonId = 6;

    // Dialog ids the board uses.
    static constexpr int PauseDialogId = 1;
    static constexpr int MessageDialogId = 99;
    static constexpr int PanelDialogId = 100;

    static constexpr int LevelCount = tibble::LevelCount;
    static constexpr int StartLives = 3;
    static constexpr int FadeStep = 8;
    // The progress value in the registry and the key bytes its three bytes are XORed with.
    static constexpr const char* ProgressValueName = "rTRe";
    static constexpr std::array<uint8_t, 3> ProgressKey{0x5A, 0xC3, 0x71};

    explicit Board(GameApp* app);
    // Removes and deletes the menu buttons and the MENU button; deletes the level.
    ~Board() override;

    void OnDetached(zest::WidgetManager* manager) override;
    void Update() override;
    // The board moves only in whole updates.
    void UpdateFractional(float fraction) override;
    void Draw(zest::Graphics* g) override;
    // Escape and space open the pause dialog, in any state.
    void KeyDown(int key) override;
    void KeyUp(int key) override;
    // The click of one of the board's buttons; ignored while paused.
    void ButtonClicked(int id) override;

    // Progress (levelIndex, hives, lives) back to (0, 0, 3).
    void ResetProgress();
    // Writes the progress to the registry; false when it could not be written.
    bool SaveProgress();
    // Reads the stored progress; false (nothing changed) when there is none or it is not a game's.
    bool LoadProgress();
    // The menu fades in again; called by the dialogs that leave a game.
    void ReturnToMenu();
    // What the board does with the level's answer: the next level, the finish or game over.
    void OnLevelResult(int result);

    // Encoding of the stored progress, shared by save and load.
    static std::vector<uint8_t> EncodeProgress(int levelIndex, int hives, int lives);
    struct Progress
    {
        int levelIndex = 0;
        int hives = 0;
        int lives = StartLives;
    };
    // None when the bytes are not 3 long or decode to values no game can have.
    static std::optional<Progress> DecodeProgress(const std::vector<uint8_t>& bytes);

    // LevelHost, over the application and its widget manager.
    uint32_t Random() override;
    void PlaySound(int soundId) override;
    int MouseX() const override;
    int MouseY() const override;
    int MouseButtons() const override;
    bool IsPaused() const override { return paused; }
    bool LoseLife() override;
    void AddHive() override;
    int Lives() const override { return lives; }
    int Hives() const override { return hives; }
    bool ReadFileIntoBuffer(const std::string& fileName, std::vector<uint8_t>& bytes) override;
    zest::LiveImageSet* GetLiveImageSet() override;

    int LevelIndex() const { return levelIndex; }
    int GetState() const { return state; }
    Level* GetLevel() const { return level.get(); }
    GameApp* GetApp() const { return app; }
    zest::ButtonWidget* GetButton(int id) const;
    int GetFadeDirection() const { return fadeDirection; }
    int GetFadeAlpha() const { return fadeAlpha; }
    // Updates and draws of the level in play since it was built (the play harness checks its timing).
    int LevelUpdates() const { return levelUpdates; }
    int LevelDraws() const { return levelDraws; }
    void SetPaused(bool isPaused) { paused = isPaused; }
    void SetLives(int value)
    {
        lives = value;
        stillDrawn = false;
    }
    void SetHives(int value)
    {
        hives = value;
        stillDrawn = false;
    }
    void SetLevelIndex(int value) { levelIndex = value; }
    // True while the board's picture cannot change until something happens: no fade runs and the
    // board shows the menu, or a level that does not run and whose draws change nothing (its
    // banner gone, its honey bar settled). Such a board is drawn once, then left alone, so the
    // game idles under the pause dialog and the other dialogs of a game.
    bool PictureIsStill() const;

private:
    zest::ButtonWidget* MakeButton(int id, const std::string& label, int buttonX, int buttonY);
    void DeleteButton(zest::ButtonWidget*& button);
    void CreateMenuButtons();
    void DeleteMenuButtons();
    void LoadLevel();
    void StartFadeIn();
    void StartFadeOut();
    void AdvanceFade();
    void OpenPauseDialog();
    // Adds a dialog laid out at the board's usual dialog rectangle.
    void AddBoardDialog(int id, zest::Widget* dialog);

    GameApp* app;
    zest::ButtonWidget* menuButton = nullptr;
    zest::ButtonWidget* optionsButton = nullptr;
    zest::ButtonWidget* helpButton = nullptr;
    zest::ButtonWidget* quitButton = nullptr;
    zest::ButtonWidget* playButton = nullptr;
    zest::ButtonWidget* creditsButton = nullptr;
    zest::ButtonWidget* restartButton = nullptr;
    int levelIndex = 0;
    int state = EnterMenu;
    int lives = StartLives;
    int hives = 0;
    std::unique_ptr<Level> level;
    int fadeDirection = 0;
    int fadeAlpha = 0;
    int stateAfterFade = Menu;
    bool quitRequested = false;
    bool paused = false;
    int levelUpdates = 0;
    int levelDraws = 0;
    bool stillDrawn = false; // the last draw showed the still picture, and nothing changed since
};

// The application services the game reaches in one place: sound effects, the web browser and the
// registry's raw data values. Main thread.
void PlayGameSound(zest::ZestAppBase& app, int soundId);
bool OpenGameUrl(zest::ZestAppBase& app, const std::string& url);
bool WriteGameData(zest::ZestAppBase& app, const std::string& name, const std::vector<uint8_t>& bytes);
bool ReadGameData(zest::ZestAppBase& app, const std::string& name, std::vector<uint8_t>& bytes);

} // namespace tibble
