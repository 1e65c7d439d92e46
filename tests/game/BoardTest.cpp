// The board driven through the widget manager: menu, PLAY and its fade, the level passage, lives and
// hives, game over and finish, pausing, and the stored progress.
#include "BoardTestSupport.h"

#include "game/FinishDialog.h"
#include "game/PauseDialog.h"
#include "game/TryAgainDialog.h"
#include "graphics/MemoryImage.h"

using boardtest::BoardFixture;
using boardtest::Click;
using boardtest::ClickWidget;
using boardtest::PressKey;
using boardtest::Step;
using tibble::Board;

namespace
{

using BoardTest = BoardFixture;

TEST_F(BoardTest, MenuShowsTheSixButtonsWhereThePlayerExpectsThem)
{
    struct Case
    {
        int id;
        const char* label;
        int x, y;
    };
    const Case cases[] = {{Board::OptionsButtonId, "OPTIONS", 46, 190},  {Board::RestartButtonId, "RESTART", 46, 230},
                          {Board::PlayButtonId, "PLAY", 46, 270},        {Board::HelpButtonId, "HELP", 500, 190},
                          {Board::CreditsButtonId, "CREDITS", 500, 230}, {Board::QuitButtonId, "QUIT", 500, 270}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.label);
        zest::ButtonWidget* button = board->GetButton(c.id);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->label, c.label);
        EXPECT_EQ(button->x, c.x);
        EXPECT_EQ(button->y, c.y);
        EXPECT_EQ(button->width, tibble::IMAGE_BUTTON_NORMAL->GetWidth());
        EXPECT_TRUE(app->GetWidgetManager()->HasWidget(button));
    }
    EXPECT_EQ(board->GetButton(Board::MenuButtonId), nullptr);
}

TEST_F(BoardTest, PlayFadesOutIn32DrawsThenStartsLevelOneWithThreeLives)
{
    ClickWidget(*app, board->GetButton(Board::PlayButtonId));
    EXPECT_TRUE(board->IsPaused());
    EXPECT_EQ(board->GetFadeDirection(), 1);
    Step(*app, 31);
    EXPECT_EQ(board->GetState(), Board::Menu);
    Step(*app, 2); // the fade ends; the next update builds the game
    EXPECT_EQ(board->GetState(), Board::Playing);
    ASSERT_NE(board->GetLevel(), nullptr);
    EXPECT_EQ(board->LevelIndex(), 0);
    EXPECT_EQ(board->Lives(), 3);
    EXPECT_EQ(board->Hives(), 0);
    EXPECT_EQ(board->GetButton(Board::PlayButtonId), nullptr);
    ASSERT_NE(board->GetButton(Board::MenuButtonId), nullptr);
    EXPECT_EQ(board->GetButton(Board::MenuButtonId)->label, "MENU");
    // The game fades in; the level runs meanwhile.
    EXPECT_EQ(board->GetFadeDirection(), -1);
    EXPECT_FALSE(board->IsPaused());
    Step(*app, 33);
    EXPECT_EQ(board->GetFadeDirection(), 0);
    EXPECT_EQ(board->GetFadeAlpha(), 0);
}

TEST_F(BoardTest, ClicksWhilePausedDuringThePlayFadeDoNothing)
{
    zest::ButtonWidget* options = board->GetButton(Board::OptionsButtonId);
    zest::ButtonWidget* credits = board->GetButton(Board::CreditsButtonId);
    ClickWidget(*app, board->GetButton(Board::PlayButtonId));
    ClickWidget(*app, options);
    ClickWidget(*app, credits);
    EXPECT_TRUE(app->Dialogs().empty());
    Step(*app, 40);
    EXPECT_EQ(board->GetState(), Board::Playing);
}

TEST_F(BoardTest, LivesAndHives)
{
    Play();
    // Lives 1: a fall leaves 0 and play goes on; lives 0: the next fall ends the game.
    board->SetLives(1);
    EXPECT_FALSE(board->LoseLife());
    EXPECT_EQ(board->Lives(), 0);
    EXPECT_TRUE(board->LoseLife());
    EXPECT_EQ(board->Lives(), 0);

    // Five hives give a life and start the counter again.
    board->SetLives(3);
    for (int i = 1; i <= 4; i++)
    {
        board->AddHive();
        EXPECT_EQ(board->Hives(), i);
        EXPECT_EQ(board->Lives(), 3);
    }
    board->AddHive();
    EXPECT_EQ(board->Hives(), 0);
    EXPECT_EQ(board->Lives(), 4);
}

TEST_F(BoardTest, AFallWithNoLifeLeftShowsGameOverAndStoresAFreshStart)
{
    Play();
    board->SetLives(0);
    board->SetLevelIndex(4);
    ASSERT_TRUE(board->SaveProgress());
    // The bee sinks out of the open garden by itself.
    for (int i = 0; i < 5000 && !DialogAt(Board::MessageDialogId); i++)
        Step(*app);
    auto* gameOver = dynamic_cast<tibble::TryAgainDialog*>(DialogAt(Board::MessageDialogId));
    ASSERT_NE(gameOver, nullptr);
    EXPECT_EQ(gameOver->header, "GAME OVER");
    EXPECT_TRUE(board->IsPaused());
    ASSERT_TRUE(Stored());
    EXPECT_EQ(Stored()->levelIndex, 0);
    EXPECT_EQ(Stored()->hives, 0);
    EXPECT_EQ(Stored()->lives, 3);

    // OK: back to the menu with a fade; the level goes.
    ClickWidget(*app, gameOver->GetYesButton());
    Step(*app);
    EXPECT_EQ(DialogAt(Board::MessageDialogId), nullptr);
    EXPECT_EQ(board->GetState(), Board::Menu);
    EXPECT_EQ(board->GetLevel(), nullptr);
    EXPECT_EQ(board->GetButton(Board::MenuButtonId), nullptr);
    EXPECT_EQ(board->GetFadeDirection(), -1);
}

TEST_F(BoardTest, AFallWithALifeLeftPlaysOn)
{
    Play();
    board->SetLives(1);
    for (int i = 0; i < 5000 && board->Lives() == 1; i++)
        Step(*app);
    EXPECT_EQ(board->Lives(), 0);
    EXPECT_EQ(DialogAt(Board::MessageDialogId), nullptr);
    EXPECT_FALSE(board->IsPaused());
}

TEST_F(BoardTest, CompletingALevelStoresTheNextOne)
{
    Play();
    board->SetHives(2);
    board->OnLevelResult(tibble::Level::Completed);
    EXPECT_EQ(board->LevelIndex(), 1);
    ASSERT_NE(board->GetLevel(), nullptr);
    EXPECT_EQ(board->GetLevel()->GetLevelIndex(), 1);
    ASSERT_TRUE(Stored());
    EXPECT_EQ(Stored()->levelIndex, 1);
    EXPECT_EQ(Stored()->hives, 2);
    EXPECT_EQ(Stored()->lives, 3);
}

TEST_F(BoardTest, CompletingTheLastLevelShowsTheFinishAndTheNextPlayStartsAtLevelOne)
{
    Play();
    board->SetLevelIndex(12);
    board->SetLives(7);
    board->OnLevelResult(tibble::Level::Completed);
    auto* finish = dynamic_cast<tibble::FinishDialog*>(DialogAt(Board::MessageDialogId));
    ASSERT_NE(finish, nullptr);
    EXPECT_EQ(finish->header, "CONGRATULATIONS");
    EXPECT_TRUE(board->IsPaused());
    ASSERT_TRUE(Stored());
    EXPECT_EQ(Stored()->levelIndex, 0);
    EXPECT_EQ(Stored()->hives, 0);
    EXPECT_EQ(Stored()->lives, 3);
    // The level stands still under the dialog.
    const int counter = board->GetLevel()->GetUpdateCounter();
    Step(*app, 5);
    EXPECT_EQ(board->GetLevel()->GetUpdateCounter(), counter);

    ClickWidget(*app, finish->GetYesButton());
    Step(*app, 40);
    EXPECT_EQ(board->GetState(), Board::Menu);
    Play();
    EXPECT_EQ(board->LevelIndex(), 0);
    EXPECT_EQ(board->Lives(), 3);
}

TEST_F(BoardTest, PlayResumesTheStoredProgress)
{
    ASSERT_TRUE(tibble::WriteGameData(*app, Board::ProgressValueName, Board::EncodeProgress(6, 3, 2)));
    Play();
    EXPECT_EQ(board->LevelIndex(), 6);
    EXPECT_EQ(board->Hives(), 3);
    EXPECT_EQ(board->Lives(), 2);
    EXPECT_EQ(board->GetLevel()->GetLevelIndex(), 6);
}

TEST_F(BoardTest, StoredProgressNoGameCanHaveCountsAsAbsent)
{
    struct Case
    {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {"level 13", Board::EncodeProgress(13, 0, 3)},
        {"level 255", Board::EncodeProgress(255, 0, 3)},
        {"5 hives", Board::EncodeProgress(2, 5, 3)},
        {"100 lives", Board::EncodeProgress(2, 0, 100)},
        {"2 bytes", {Board::ProgressKey[0], Board::ProgressKey[1]}},
        {"4 bytes", {Board::ProgressKey[0], Board::ProgressKey[1], Board::ProgressKey[2], 0}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(Board::DecodeProgress(c.bytes));
        ASSERT_TRUE(tibble::WriteGameData(*app, Board::ProgressValueName, c.bytes));
        board->SetLevelIndex(9);
        EXPECT_FALSE(board->LoadProgress());
        EXPECT_EQ(board->LevelIndex(), 9);
    }
    // The bytes are not stored in the clear.
    std::vector<uint8_t> bytes = Board::EncodeProgress(12, 4, 99);
    EXPECT_NE(bytes, (std::vector<uint8_t>{12, 4, 99}));
    ASSERT_TRUE(Board::DecodeProgress(bytes));
    EXPECT_EQ(Board::DecodeProgress(bytes)->levelIndex, 12);

    // A bad value makes PLAY start afresh.
    ASSERT_TRUE(tibble::WriteGameData(*app, Board::ProgressValueName, Board::EncodeProgress(40, 9, 200)));
    Play();
    EXPECT_EQ(board->LevelIndex(), 0);
    EXPECT_EQ(board->Lives(), 3);
}

TEST_F(BoardTest, EscapeAndSpaceOpenThePauseDialogInAnyState)
{
    for (int key : {27, 32})
    {
        SCOPED_TRACE(key);
        PressKey(*app, key);
        auto* pause = dynamic_cast<tibble::PauseDialog*>(DialogAt(Board::PauseDialogId));
        ASSERT_NE(pause, nullptr);
        EXPECT_EQ(pause->header, "PAUSED");
        EXPECT_TRUE(board->IsPaused());
        ClickWidget(*app, pause->GetYesButton());
        Step(*app);
        EXPECT_EQ(DialogAt(Board::PauseDialogId), nullptr);
        EXPECT_FALSE(board->IsPaused());
    }
    PressKey(*app, 'A');
    EXPECT_EQ(DialogAt(Board::PauseDialogId), nullptr);
}

TEST_F(BoardTest, MenuButtonPausesTheLevel)
{
    Play();
    ClickWidget(*app, board->GetButton(Board::MenuButtonId));
    ASSERT_NE(DialogAt(Board::PauseDialogId), nullptr);
    EXPECT_TRUE(board->IsPaused());
    const int counter = board->GetLevel()->GetUpdateCounter();
    Step(*app, 10);
    EXPECT_EQ(board->GetLevel()->GetUpdateCounter(), counter);
}

// A board whose picture cannot change is drawn once and then left alone, so the game idles: the
// menu, and a paused level once its banner has counted down (the countdown runs in its draws).
// Drawing it again would give the very same pixels.
TEST_F(BoardTest, TheMenuAndAPausedLevelAreDrawnOnceThenLeftAlone)
{
    zest::WidgetManager* manager = app->GetWidgetManager();
    auto* screen = zest::AsMemoryImage(manager->GetScreenImage());
    ASSERT_NE(screen, nullptr);
    auto idleUpdate = [&] {
        app->UpdateOnce();
        return !manager->DrawWidgets();
    };
    auto pixels = [&] {
        const uint32_t* bits = screen->GetBits();
        return std::vector<uint32_t>(bits, bits + screen->GetWidth() * screen->GetHeight());
    };
    Step(*app, 2);
    EXPECT_TRUE(idleUpdate()) << "menu";

    Play();
    PressKey(*app, 27);
    auto* pause = DialogAt(Board::PauseDialogId);
    ASSERT_NE(pause, nullptr);
    tibble::Level* level = board->GetLevel();
    const int left = level->GetIntroCounter();
    ASSERT_GT(left, 0);
    const int draws = board->LevelDraws();
    Step(*app, left);
    EXPECT_EQ(level->GetIntroCounter(), 0);
    EXPECT_EQ(board->LevelDraws(), draws + left);
    Step(*app); // the picture without the banner
    const int settled = board->LevelDraws();
    const auto shown = pixels();
    for (int i = 0; i < 20; i++)
        EXPECT_TRUE(idleUpdate()) << "paused, update " << i;
    EXPECT_EQ(board->LevelDraws(), settled);
    board->MarkDirty();
    manager->DrawWidgets();
    EXPECT_EQ(pixels(), shown);

    // CLOSE: the level runs and is drawn every update again.
    ClickWidget(*app, pause->GetYesButton());
    Step(*app, 3);
    EXPECT_FALSE(board->IsPaused());
    EXPECT_EQ(board->LevelDraws(), settled + 4);
}

TEST_F(BoardTest, EscapeDuringTheFadeKeepsTheGamePausedUnderThePauseDialog)
{
    ClickWidget(*app, board->GetButton(Board::PlayButtonId));
    Step(*app, 34);
    ASSERT_EQ(board->GetState(), Board::Playing);
    PressKey(*app, 27);
    Step(*app, 40); // the fade-in ends meanwhile
    EXPECT_EQ(board->GetFadeDirection(), 0);
    EXPECT_TRUE(board->IsPaused());
    const int counter = board->GetLevel()->GetUpdateCounter();
    Step(*app, 5);
    EXPECT_EQ(board->GetLevel()->GetUpdateCounter(), counter);
}

TEST_F(BoardTest, EscapeDuringThePlayFadeOutKeepsTheNewGamePausedUnderThePauseDialog)
{
    for (int key : {27, 32})
    {
        SCOPED_TRACE(key);
        ClickWidget(*app, board->GetButton(Board::PlayButtonId));
        Step(*app, 10); // the screen is going black
        PressKey(*app, key);
        ASSERT_NE(DialogAt(Board::PauseDialogId), nullptr);
        Step(*app, 24); // the fade-out ends and the game is built
        ASSERT_EQ(board->GetState(), Board::Playing);
        ASSERT_NE(board->GetLevel(), nullptr);
        EXPECT_TRUE(board->IsPaused());
        Step(*app, 40); // through the whole fade-in
        EXPECT_EQ(board->GetFadeDirection(), 0);
        EXPECT_TRUE(board->IsPaused());
        EXPECT_EQ(board->GetLevel()->GetUpdateCounter(), 0);
        // Closing the dialog lets the level run.
        auto* pause = dynamic_cast<tibble::PauseDialog*>(DialogAt(Board::PauseDialogId));
        ASSERT_NE(pause, nullptr);
        ClickWidget(*app, pause->GetYesButton());
        Step(*app, 5);
        EXPECT_FALSE(board->IsPaused());
        EXPECT_GT(board->GetLevel()->GetUpdateCounter(), 0);
        board->ReturnToMenu();
        Step(*app, 40);
        ASSERT_EQ(board->GetState(), Board::Menu);
    }
}

TEST_F(BoardTest, QuitToMainMenuFromThePauseDialogInTheMenuLeavesOneSetOfButtons)
{
    PressKey(*app, 27);
    auto* pause = dynamic_cast<tibble::PauseDialog*>(DialogAt(Board::PauseDialogId));
    ASSERT_NE(pause, nullptr);
    zest::ButtonWidget* oldPlay = board->GetButton(Board::PlayButtonId);
    ClickWidget(*app, pause->GetQuitButton());
    zest::Dialog* quit = DialogAt(Board::MessageDialogId);
    ASSERT_NE(quit, nullptr);
    ClickWidget(*app, quit->GetYesButton());
    Step(*app, 40);
    EXPECT_EQ(board->GetState(), Board::Menu);
    EXPECT_EQ(board->GetButton(Board::PlayButtonId), oldPlay);
    int buttons = 0;
    for (zest::Widget* widget : app->GetWidgetManager()->GetChildren())
        if (auto* button = dynamic_cast<zest::ButtonWidget*>(widget); button && button->label == "PLAY")
            buttons++;
    EXPECT_EQ(buttons, 1);
}

TEST_F(BoardTest, QuitAsksTheApplicationToShutDown)
{
    ClickWidget(*app, board->GetButton(Board::QuitButtonId));
    EXPECT_FALSE(app->shutdown);
    app->UpdateOnce();
    EXPECT_TRUE(app->shutdown || app->shutdownRequested);
}

TEST_F(BoardTest, ProgressAndSettingsSurviveARestartOfTheProgram)
{
    Play();
    board->SetHives(3);
    board->OnLevelResult(tibble::Level::Completed);
    app->SetMusicVolume(0.25);
    app->SetSfxVolume(0.5);
    EndGame();

    StartGame(false);
    EXPECT_NEAR(app->GetMusicVolume(), 0.25, 0.01);
    EXPECT_NEAR(app->GetSfxVolume(), 0.5, 0.01);
    Play();
    EXPECT_EQ(board->LevelIndex(), 1);
    EXPECT_EQ(board->Hives(), 3);
    EXPECT_EQ(board->Lives(), 3);
    // Later runs start from the usual settings again.
    app->SetMusicVolume(0.85);
    app->SetSfxVolume(0.85);
    app->SaveSettings();
}

TEST_F(BoardTest, SoundVolumeReachesTheMixerAndMutingSilencesItUntilUnmuted)
{
    app->SetSfxVolume(0.4);
    EXPECT_DOUBLE_EQ(sounds->volume, 0.4);
    app->Mute(true);
    EXPECT_DOUBLE_EQ(sounds->volume, 0.0);
    EXPECT_DOUBLE_EQ(app->GetSfxVolume(), 0.4); // the setting itself is kept
    app->Unmute(true);
    EXPECT_DOUBLE_EQ(sounds->volume, 0.4);

    app->PlaySound(tibble::SOUND_BURP, -5000);
    app->PlaySound(tibble::SOUND_TOMATO);
    EXPECT_EQ(sounds->played, (std::vector<int>{tibble::SOUND_BURP, tibble::SOUND_TOMATO}));
}

using BoardDeathTest = BoardFixture;

TEST_F(BoardDeathTest, MissingLevelFileIsAFileErrorNotACrash)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    std::filesystem::remove(data->Path("maps/1.pmp"));
    EXPECT_EXIT(
        {
            ClickWidget(*app, board->GetButton(Board::PlayButtonId));
            Step(*app, 40);
        },
        ::testing::ExitedWithCode(1), "A file error has occurred");
}

} // namespace
