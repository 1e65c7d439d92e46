// The game's dialogs driven as a player would: pause and what it opens, quitting to the menu, help
// pages, options with live volumes and the full-screen box, restart, credits, and fixed rectangles.
#include "BoardTestSupport.h"

#include "game/CreditsDialog.h"
#include "game/DemoDialog.h"
#include "game/FinishDialog.h"
#include "game/InstructionsDialog.h"
#include "game/PauseDialog.h"
#include "game/QuitDialog.h"
#include "game/RestartDialog.h"
#include "game/TryAgainDialog.h"
#include "graphics/MemoryImage.h"
#include "widgets/Checkbox.h"
#include "widgets/DialogButton.h"
#include "widgets/Slider.h"

using boardtest::BoardFixture;
using boardtest::Click;
using boardtest::ClickWidget;
using boardtest::PressKey;
using boardtest::Step;
using tibble::Board;

namespace
{

using GameDialogsTest = BoardFixture;

bool IsInFront(zest::WidgetManager* manager, const zest::Widget* front, const zest::Widget* back)
{
    return manager->IsBelow(back, front);
}

TEST_F(GameDialogsTest, PauseHelpCloseReturnsToThePauseDialogStillPaused)
{
    Play();
    ClickWidget(*app, board->GetButton(Board::MenuButtonId));
    auto* pause = dynamic_cast<tibble::PauseDialog*>(DialogAt(Board::PauseDialogId));
    ASSERT_NE(pause, nullptr);
    ClickWidget(*app, pause->GetHelpButton());
    auto* help = dynamic_cast<tibble::InstructionsDialog*>(DialogAt(Board::PanelDialogId));
    ASSERT_NE(help, nullptr);
    ClickWidget(*app, help->GetYesButton());
    Step(*app);
    EXPECT_EQ(DialogAt(Board::PanelDialogId), nullptr);
    EXPECT_EQ(DialogAt(Board::PauseDialogId), pause);
    EXPECT_EQ(app->GetWidgetManager()->focusWidget, board);
    EXPECT_TRUE(board->IsPaused());

    // The pause dialog still answers: CLOSE lets the level run again.
    ClickWidget(*app, pause->GetYesButton());
    Step(*app);
    EXPECT_EQ(DialogAt(Board::PauseDialogId), nullptr);
    EXPECT_FALSE(board->IsPaused());
}

TEST_F(GameDialogsTest, QuitToMainMenuNoShowsThePauseDialogAgain)
{
    Play();
    PressKey(*app, 27);
    auto* pause = dynamic_cast<tibble::PauseDialog*>(DialogAt(Board::PauseDialogId));
    ASSERT_NE(pause, nullptr);
    zest::WidgetManager* manager = app->GetWidgetManager();
    ClickWidget(*app, pause->GetQuitButton());
    auto* quit = dynamic_cast<tibble::QuitDialog*>(DialogAt(Board::MessageDialogId));
    ASSERT_NE(quit, nullptr);
    EXPECT_EQ(quit->lines, "Are you sure?\n\nYour progress to the start of this level will be saved");
    // The pause dialog hides behind the board while the question is asked.
    EXPECT_TRUE(IsInFront(manager, board, pause));

    ClickWidget(*app, quit->GetNoButton());
    Step(*app);
    EXPECT_EQ(DialogAt(Board::MessageDialogId), nullptr);
    EXPECT_EQ(DialogAt(Board::PauseDialogId), pause);
    EXPECT_TRUE(IsInFront(manager, pause, board));
    EXPECT_TRUE(IsInFront(manager, pause->GetYesButton(), pause));
    EXPECT_TRUE(board->IsPaused());
    EXPECT_EQ(board->GetState(), Board::Playing);
}

// Over an idle game (banner gone, honey bar settled) the board is no longer drawn, so the pause
// panel brought back in front of it after NO must be drawn by the move itself.
TEST_F(GameDialogsTest, QuitNoOverAnIdleGameShowsThePausePanelAgain)
{
    Play();
    PressKey(*app, 27);
    auto* pause = dynamic_cast<tibble::PauseDialog*>(DialogAt(Board::PauseDialogId));
    ASSERT_NE(pause, nullptr);
    Step(*app, board->GetLevel()->GetIntroCounter() + 2);
    ASSERT_TRUE(board->PictureIsStill());
    zest::WidgetManager* manager = app->GetWidgetManager();
    auto* screen = zest::AsMemoryImage(manager->GetScreenImage());
    ASSERT_NE(screen, nullptr);
    // The panel's header, above its buttons (whose hover look follows the pointer).
    const zest::Rect header(pause->x, pause->y, pause->width, 90);
    auto pixels = [&] {
        std::vector<uint32_t> out;
        for (int y = header.y; y < header.y + header.height; y++)
            for (int x = header.x; x < header.x + header.width; x++)
                out.push_back(screen->GetPixel(x, y));
        return out;
    };
    const auto shown = pixels();

    ClickWidget(*app, pause->GetQuitButton());
    Step(*app, 3);
    auto* quit = dynamic_cast<tibble::QuitDialog*>(DialogAt(Board::MessageDialogId));
    ASSERT_NE(quit, nullptr);
    ASSERT_NE(pixels(), shown);
    ClickWidget(*app, quit->GetNoButton());
    Step(*app, 3);
    EXPECT_EQ(pixels(), shown);
}

TEST_F(GameDialogsTest, QuitToMainMenuYesClosesBothAndFadesIntoTheMenu)
{
    Play();
    PressKey(*app, 27);
    auto* pause = dynamic_cast<tibble::PauseDialog*>(DialogAt(Board::PauseDialogId));
    ASSERT_NE(pause, nullptr);
    ClickWidget(*app, pause->GetQuitButton());
    zest::Dialog* quit = DialogAt(Board::MessageDialogId);
    ASSERT_NE(quit, nullptr);
    ClickWidget(*app, quit->GetYesButton());
    Step(*app);
    EXPECT_TRUE(app->Dialogs().empty());
    EXPECT_EQ(board->GetState(), Board::Menu);
    EXPECT_EQ(board->GetLevel(), nullptr);
    EXPECT_EQ(board->GetFadeDirection(), -1);
    Step(*app, 40);
    EXPECT_EQ(board->GetFadeAlpha(), 0);
    EXPECT_FALSE(board->IsPaused());
    EXPECT_NE(board->GetButton(Board::PlayButtonId), nullptr);
}

TEST_F(GameDialogsTest, NextReachesTheLastPageAndHidesNext)
{
    ClickWidget(*app, board->GetButton(Board::HelpButtonId));
    auto* help = dynamic_cast<tibble::InstructionsDialog*>(DialogAt(Board::PanelDialogId));
    ASSERT_NE(help, nullptr);
    zest::DialogButton* next = help->GetNextButton();
    const int nextX = next->x + next->width / 2;
    const int nextY = next->y + next->height / 2;
    for (int page = 1; page <= tibble::InstructionsDialog::LastPage; page++)
    {
        Click(*app, nextX, nextY);
        Step(*app);
        EXPECT_EQ(help->GetPage(), page);
    }
    zest::WidgetManager* manager = app->GetWidgetManager();
    EXPECT_TRUE(IsInFront(manager, help, next));
    EXPECT_NE(manager->WidgetAt(nextX, nextY, nullptr, nullptr), next);
    Click(*app, nextX, nextY);
    EXPECT_EQ(help->GetPage(), tibble::InstructionsDialog::LastPage);

    ClickWidget(*app, help->GetYesButton());
    Step(*app);
    ClickWidget(*app, board->GetButton(Board::HelpButtonId));
    auto* again = dynamic_cast<tibble::InstructionsDialog*>(DialogAt(Board::PanelDialogId));
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->GetPage(), 0);
}

TEST_F(GameDialogsTest, RestartYesStoresAFreshStartAndNoChangesNothing)
{
    const std::vector<uint8_t> saved = Board::EncodeProgress(7, 2, 5);
    ASSERT_TRUE(tibble::WriteGameData(*app, Board::ProgressValueName, saved));
    ClickWidget(*app, board->GetButton(Board::RestartButtonId));
    auto* restart = dynamic_cast<tibble::RestartDialog*>(DialogAt(Board::MessageDialogId));
    ASSERT_NE(restart, nullptr);
    EXPECT_EQ(restart->lines, "Are you sure?\n\nAll progress will be lost");
    ClickWidget(*app, restart->GetNoButton());
    Step(*app);
    EXPECT_EQ(DialogAt(Board::MessageDialogId), nullptr);
    ASSERT_TRUE(Stored());
    EXPECT_EQ(Stored()->levelIndex, 7);

    ClickWidget(*app, board->GetButton(Board::RestartButtonId));
    restart = dynamic_cast<tibble::RestartDialog*>(DialogAt(Board::MessageDialogId));
    ASSERT_NE(restart, nullptr);
    ClickWidget(*app, restart->GetYesButton());
    Step(*app);
    ASSERT_TRUE(Stored());
    EXPECT_EQ(Stored()->levelIndex, 0);
    EXPECT_EQ(Stored()->hives, 0);
    EXPECT_EQ(Stored()->lives, 3);
    EXPECT_EQ(board->GetState(), Board::Menu);
    EXPECT_EQ(app->GetWidgetManager()->focusWidget, board);
}

TEST_F(GameDialogsTest, OptionsSlidersChangeTheVolumesLiveAndTheSampleSoundsOnceOnRelease)
{
    ClickWidget(*app, board->GetButton(Board::OptionsButtonId));
    auto* options = dynamic_cast<tibble::DemoDialog*>(DialogAt(Board::PanelDialogId));
    ASSERT_NE(options, nullptr);
    zest::Slider* music = options->GetMusicSlider();
    zest::Slider* sound = options->GetSoundSlider();
    EXPECT_EQ(music->x, 153);
    EXPECT_EQ(music->y, 180);
    EXPECT_EQ(music->width, 334);
    EXPECT_DOUBLE_EQ(music->value, app->GetMusicVolume());
    EXPECT_DOUBLE_EQ(sound->value, app->GetSfxVolume());

    zest::WidgetManager* manager = app->GetWidgetManager();
    auto dragThumb = [&](zest::Slider* slider, double toValue, bool release)
    {
        const int thumbX = slider->x + slider->ThumbPosition() + 2;
        const int midY = slider->y + slider->height / 2;
        manager->MouseMove(thumbX, midY);
        manager->MouseDown(thumbX, midY, 1);
        const int target = slider->x + static_cast<int>(toValue * slider->width);
        for (int step = 1; step <= 4; step++)
        {
            const int dragX = thumbX + (target - thumbX) * step / 4;
            manager->MouseDrag(dragX, midY);
        }
        if (release)
            manager->MouseUp(target, midY, 1);
    };

    const double musicBefore = app->GetMusicVolume();
    dragThumb(music, 0.1, true);
    EXPECT_LT(app->GetMusicVolume(), musicBefore);
    EXPECT_DOUBLE_EQ(app->GetMusicVolume(), music->value);
    EXPECT_TRUE(sounds->played.empty());

    const double soundBefore = app->GetSfxVolume();
    dragThumb(sound, 0.2, false);
    EXPECT_LT(app->GetSfxVolume(), soundBefore);
    EXPECT_TRUE(sounds->played.empty()); // silent while dragging
    manager->MouseUp(sound->x + sound->ThumbPosition(), sound->y + 2, 1);
    EXPECT_EQ(sounds->played, std::vector<int>{tibble::SOUND_TIMER});
}

TEST_F(GameDialogsTest, UncheckingFullScreenWhenWindowedIsImpossibleShowsTheNoticeAndRechecks)
{
    app->forceFullScreen = true;
    app->isWindowed = false;
    ClickWidget(*app, board->GetButton(Board::OptionsButtonId));
    auto* options = dynamic_cast<tibble::DemoDialog*>(DialogAt(Board::PanelDialogId));
    ASSERT_NE(options, nullptr);
    zest::Checkbox* box = options->GetFullScreenCheckbox();
    EXPECT_TRUE(box->IsChecked());
    ClickWidget(*app, box);
    zest::Dialog* notice = DialogAt(tibble::DemoDialog::NoWindowedModeDialogId);
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(notice->header, "No Windowed Mode");
    EXPECT_EQ(notice->lines, "Windowed mode is only available if your desktop is running in\n\t\t\teither 16 bit or 32 "
                             "bit color mode, which it is not.");
    EXPECT_TRUE(box->IsChecked());
}

TEST_F(GameDialogsTest, TheFullScreenBoxShowsTheModeAndCloseAppliesIt)
{
    const bool windowed = app->isWindowed;
    ClickWidget(*app, board->GetButton(Board::OptionsButtonId));
    auto* options = dynamic_cast<tibble::DemoDialog*>(DialogAt(Board::PanelDialogId));
    ASSERT_NE(options, nullptr);
    zest::Checkbox* box = options->GetFullScreenCheckbox();
    EXPECT_EQ(box->IsChecked(), !windowed);
    // Toggled and toggled back before CLOSE: nothing changes.
    ClickWidget(*app, box);
    ClickWidget(*app, box);
    EXPECT_EQ(DialogAt(tibble::DemoDialog::NoWindowedModeDialogId), nullptr);
    ClickWidget(*app, options->GetYesButton());
    Step(*app);
    EXPECT_EQ(DialogAt(Board::PanelDialogId), nullptr);
    EXPECT_EQ(app->isWindowed, windowed);
    EXPECT_EQ(app->GetWidgetManager()->focusWidget, board);
}

TEST_F(GameDialogsTest, DialogsKeepTheirOwnRectangleWhenDragged)
{
    struct Case
    {
        const char* name;
        std::function<zest::Dialog*()> make;
        zest::Rect rect;
    };
    const Case cases[] = {
        {"pause", [] { return new tibble::PauseDialog("PAUSED", ""); }, {120, 40, 400, 400}},
        {"options", [] { return new tibble::DemoDialog("OPTIONS", ""); }, {120, 40, 400, 400}},
        {"help", [] { return new tibble::InstructionsDialog(); }, {70, 30, 500, 420}},
        {"quit", [] { return new tibble::QuitDialog(Board::PauseDialogId); }, {120, 125, 400, 230}},
        {"game over", [] { return new tibble::TryAgainDialog(); }, {120, 125, 400, 230}},
        {"credits", [] { return new tibble::CreditsDialog(); }, {120, 40, 400, 400}},
        {"finish", [] { return new tibble::FinishDialog(); }, {120, 40, 400, 400}},
        {"restart", [] { return new tibble::RestartDialog(); }, {120, 125, 400, 230}},
    };
    zest::WidgetManager* manager = app->GetWidgetManager();
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        zest::Dialog* dialog = c.make();
        dialog->Resize(0, 0, 10, 10);
        const int id = 50;
        app->AddDialog(id, dialog);
        EXPECT_EQ(dialog->GetRect(), c.rect);
        // A drag on the panel, clear of any button.
        const int grabX = c.rect.x + 10;
        const int grabY = c.rect.y + 10;
        manager->MouseMove(grabX, grabY);
        manager->MouseDown(grabX, grabY, 1);
        manager->MouseDrag(grabX + 60, grabY + 45);
        manager->MouseUp(grabX + 60, grabY + 45, 1);
        EXPECT_EQ(dialog->GetRect(), c.rect);
        app->CloseDialog(id);
        Step(*app);
    }
}

TEST_F(GameDialogsTest, CreditsLinkLeavesTheDialogOpen)
{
    ClickWidget(*app, board->GetButton(Board::CreditsButtonId));
    auto* credits = dynamic_cast<tibble::CreditsDialog*>(DialogAt(Board::MessageDialogId));
    ASSERT_NE(credits, nullptr);
    zest::HyperlinkWidget* link = credits->GetLink();
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->y, 140);
    EXPECT_EQ(link->x + link->width / 2, 320);
    EXPECT_TRUE(app->GetWidgetManager()->HasWidget(link));
    // The test font may measure the address as nothing; give the link room to be clicked.
    if (link->width == 0)
        link->Resize(link->x - 50, link->y, 100, link->height);
    ClickWidget(*app, link);
    Step(*app);
    EXPECT_EQ(DialogAt(Board::MessageDialogId), credits);
    EXPECT_EQ(app->openedUrls, std::vector<std::string>{std::string("http://") + tibble::CreditsDialog::WebSite});
    EXPECT_FALSE(app->shutdown);
    ClickWidget(*app, credits->GetYesButton());
    Step(*app);
    EXPECT_EQ(DialogAt(Board::MessageDialogId), nullptr);
}

} // namespace
