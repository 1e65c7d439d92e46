#include "game/Board.h"

#include "app/Buffer.h"
#include "app/ZestAppBase.h"
#include "audio/MusicInterface.h"
#include "files/PakFile.h"
#include "game/BestRunPlayer.h"
#include "game/CreditsDialog.h"
#include "game/DemoDialog.h"
#include "game/FinishDialog.h"
#include "game/GameApp.h"
#include "game/GameSpeed.h"
#include "game/GardenPicker.h"
#include "game/GardenThumbnail.h"
#include "game/InstructionsDialog.h"
#include "game/PadPointer.h"
#include "game/PauseDialog.h"
#include "garden/Res.h"
#include "game/RestartDialog.h"
#include "game/TryAgainDialog.h"
#include "garden/Level.h"
#include "garden/LevelMap.h"
#include "graphics/DisplayImage.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "graphics/MemoryImage.h"
#include "platform/Log.h"
#include "widgets/ButtonWidget.h"
#include "widgets/Dialog.h"
#include "widgets/WidgetManager.h"

#include <algorithm>
#include <filesystem>
#include <map>

namespace tibble
{

namespace
{

constexpr int KeyEscape = 27;
constexpr int KeySpace = 32;

// Where every board dialog is asked to go (each game dialog then keeps its own rectangle).
constexpr int DialogX = 120;
constexpr int DialogY = 40;
constexpr int DialogWidth = 400;
constexpr int DialogHeight = 400;

// Music: song 0 under the menu, song 1 in play.
constexpr int MenuSong = 0;
constexpr int PlaySong = 1;
constexpr double SongFadeOutSpeed = 0.04;
constexpr double SongFadeInSpeed = 0.02;

} // namespace

void PlayGameSound(zest::ZestAppBase& app, int soundId)
{
    app.PlaySound(soundId);
}

bool OpenGameUrl(zest::ZestAppBase& app, const std::string& url)
{
    return app.OpenUrl(url, false);
}

bool WriteGameData(zest::ZestAppBase& app, const std::string& name, const std::vector<uint8_t>& bytes)
{
    return app.WriteRegData(name, bytes.data(), bytes.size());
}

bool ReadGameData(zest::ZestAppBase& app, const std::string& name, std::vector<uint8_t>& bytes)
{
    return app.ReadRegData(name, bytes);
}

Board::Board(GameApp* gameApp) : app(gameApp)
{
    ResetProgress();
    app->vsyncUpdates = true;
    BuildThumbnails();
}

Board::~Board()
{
    DeleteMenuButtons();
    DeleteButton(menuButton);
}

void Board::OnDetached(zest::WidgetManager* manager)
{
    Widget::OnDetached(manager);
    if (menuButton)
        manager->RemoveWidget(menuButton);
}

zest::ButtonWidget* Board::MakeButton(int id, const std::string& label, int buttonX, int buttonY)
{
    auto* button = new zest::ButtonWidget(id, this);
    button->label = label;
    button->SetFont(FONT_DEFAULT);
    button->buttonImage = IMAGE_BUTTON_NORMAL;
    button->overImage = IMAGE_BUTTON_OVER;
    button->downImage = IMAGE_BUTTON_DOWN;
    button->showFinger = true;
    int buttonWidth = IMAGE_BUTTON_NORMAL ? IMAGE_BUTTON_NORMAL->GetWidth() : 100;
    int buttonHeight = IMAGE_BUTTON_NORMAL ? IMAGE_BUTTON_NORMAL->GetHeight() : 30;
    button->Resize(buttonX, buttonY, buttonWidth, buttonHeight);
    app->GetWidgetManager()->AddWidget(button);
    return button;
}

void Board::DeleteButton(zest::ButtonWidget*& button)
{
    if (!button)
        return;
    if (button->GetParent())
        button->GetParent()->RemoveWidget(button);
    delete button;
    button = nullptr;
}

void Board::CreateMenuButtons()
{
    // A second set would stay clickable behind the game.
    if (optionsButton)
        return;
    optionsButton = MakeButton(OptionsButtonId, "OPTIONS", 46, 190);
    restartButton = MakeButton(RestartButtonId, "RESTART", 46, 230);
    playButton = MakeButton(PlayButtonId, "PLAY", 46, 270);
    helpButton = MakeButton(HelpButtonId, "HELP", 500, 190);
    creditsButton = MakeButton(CreditsButtonId, "CREDITS", 500, 230);
    quitButton = MakeButton(QuitButtonId, "QUIT", 500, 270);
    // Under PLAY: going back to a garden already reached.
    gardensButton = MakeButton(GardensButtonId, "GARDENS", 46, 310);
}

void Board::DeleteMenuButtons()
{
    DeleteButton(optionsButton);
    DeleteButton(restartButton);
    DeleteButton(playButton);
    DeleteButton(helpButton);
    DeleteButton(creditsButton);
    DeleteButton(quitButton);
    DeleteButton(gardensButton);
}

zest::ButtonWidget* Board::GetButton(int id) const
{
    switch (id)
    {
    case MenuButtonId:
        return menuButton;
    case OptionsButtonId:
        return optionsButton;
    case HelpButtonId:
        return helpButton;
    case QuitButtonId:
        return quitButton;
    case PlayButtonId:
        return playButton;
    case CreditsButtonId:
        return creditsButton;
    case RestartButtonId:
        return restartButton;
    case GardensButtonId:
        return gardensButton;
    default:
        return nullptr;
    }
}

void Board::ResetProgress()
{
    levelIndex = 0;
    lives = StartLives;
    hives = 0;
    stillDrawn = false;
}

std::vector<uint8_t> Board::EncodeProgress(int levelIndexValue, int hivesValue, int livesValue)
{
    return {static_cast<uint8_t>((levelIndexValue & 0xFF) ^ ProgressKey[0]),
            static_cast<uint8_t>((hivesValue & 0xFF) ^ ProgressKey[1]),
            static_cast<uint8_t>((livesValue & 0xFF) ^ ProgressKey[2])};
}

std::optional<Board::Progress> Board::DecodeProgress(const std::vector<uint8_t>& bytes)
{
    if (bytes.size() != 3)
        return std::nullopt;
    Progress progress;
    progress.levelIndex = bytes[0] ^ ProgressKey[0];
    progress.hives = bytes[1] ^ ProgressKey[1];
    progress.lives = bytes[2] ^ ProgressKey[2];
    if (progress.levelIndex >= LevelCount || progress.hives > 4 || progress.lives > 99)
        return std::nullopt;
    return progress;
}

bool Board::SaveProgress()
{
    return WriteGameData(*app, ProgressValueName, EncodeProgress(levelIndex, hives, lives));
}

bool Board::LoadProgress()
{
    std::vector<uint8_t> bytes;
    if (!ReadGameData(*app, ProgressValueName, bytes))
        return false;
    std::optional<Progress> progress = DecodeProgress(bytes);
    if (!progress)
    {
        if (!bytes.empty())
            zest::Log(zest::LogLevel::Warning, "Stored progress is not usable; starting afresh");
        return false;
    }
    levelIndex = progress->levelIndex;
    hives = progress->hives;
    lives = progress->lives;
    stillDrawn = false;
    return true;
}

void Board::ReturnToMenu()
{
    state = EnterMenu;
    StartFadeIn();
    stateAfterFade = Menu;
}

bool Board::LoseLife()
{
    runLivesLost++;
    return LoseLifeFrom(lives);
}

void Board::AddHive()
{
    AddHiveTo(lives, hives);
}

void Board::StartFadeIn()
{
    paused = true;
    fadeDirection = -1;
    fadeAlpha = 255;
    stateAfterFade = Playing;
}

void Board::StartFadeOut()
{
    paused = true;
    fadeDirection = 1;
    fadeAlpha = 0;
    stateAfterFade = Playing;
}

void Board::AdvanceFade()
{
    if (fadeDirection == 0)
        return;
    fadeAlpha += FadeStep * fadeDirection;
    if (fadeAlpha < 0 || fadeAlpha > 255)
    {
        fadeAlpha = fadeAlpha < 0 ? 0 : 255;
        fadeDirection = 0;
        // The pause dialog keeps the game paused when it was opened during the fade.
        paused = app->GetDialog(PauseDialogId) != nullptr;
        state = stateAfterFade;
    }
}

void Board::LoadLevel()
{
    std::string error;
    levelUpdates = 0;
    levelDraws = 0;
    stillDrawn = false;
    runLivesLost = 0;
    // The generator as the level finds it: the run's record replays the level's luck from here.
    const std::mt19937 generator = app->RandomGenerator();
    level = Level::Load(levelIndex, *this, &error);
    if (!level)
    {
        zest::Logf(zest::LogLevel::Warning, "Level %d: %s", levelIndex + 1, error.c_str());
        app->ShowFileError();
        return;
    }
    run.Begin(levelIndex, lives, hives, generator, mapName, mapBytes);
}

bool Board::PictureIsStill() const
{
    if (fadeDirection != 0 || quitRequested)
        return false;
    if (state == Menu)
        return true;
    if (state != Playing)
        return false;
    if (watching)
        return paused;
    // A paused level neither updates nor animates (Agent::Step); only the banner's countdown and
    // the drawn honey bar move in its draws.
    return !level || (paused && level->GetIntroCounter() == 0 && level->GetBarShown() == level->GetBarTarget());
}

void Board::Update()
{
    Widget::Update();
    // A still picture is drawn once, then left: a draw of it would show the same pixels and change
    // no state, so skipping it keeps every demo's replay and saves the level's draw (its whole
    // screen) every update while a dialog waits.
    if (!PictureIsStill() || !stillDrawn)
        MarkDirty();
    if (quitRequested)
    {
        app->Shutdown();
        return;
    }
    zest::MusicInterface* music = app->GetMusicInterface();
    if (state == EnterMenu)
    {
        if (level || watching)
        {
            level.reset();
            watching.reset();
            recordLine.clear();
            DeleteButton(menuButton);
            if (music)
            {
                music->FadeOut(PlaySong, true, SongFadeOutSpeed);
                music->FadeIn(MenuSong, 0, SongFadeInSpeed, false);
            }
        }
        state = Menu;
        CreateMenuButtons();
    }
    if (state == StartGame)
    {
        DeleteMenuButtons();
        ResetProgress();
        (void)LoadProgress();
        pickedRun = pickedGarden >= 0;
        recordLine.clear();
        if (pendingWatch)
        {
            watching = std::move(pendingWatch);
            levelUpdates = 0;
            levelDraws = 0;
        }
        else if (pickedRun)
        {
            levelIndex = pickedGarden;
            lives = StartLives;
            hives = 0;
        }
        pickedGarden = -1;
        if (!watching)
            LoadLevel();
        if (!menuButton)
            menuButton = MakeButton(MenuButtonId, "MENU", 26, 5);
        state = Playing;
        StartFadeIn();
        // The level runs during the fade-in unless the player paused during the fade-out.
        paused = app->GetDialog(PauseDialogId) != nullptr;
        stateAfterFade = Playing;
        if (music)
        {
            music->FadeOut(MenuSong, true, SongFadeOutSpeed);
            music->FadeIn(PlaySong, 0, SongFadeInSpeed, false);
        }
    }
    if (state == Playing && !paused && watching)
    {
        levelUpdates++;
        // The best run ends where it left its garden; the menu fades in over its last picture.
        if (watching->Step() != Level::GoOn && state == Playing)
            ReturnToMenu();
    }
    else if (state == Playing && !paused && level)
    {
        levelUpdates++;
        run.AddUpdate(MouseX(), MouseY(), MouseButtons(), app->updateMultiplier);
        OnLevelResult(level->Update());
    }
}

void Board::OnLevelResult(int result)
{
    if (result == Level::Completed)
    {
        std::string line = FinishGardenRun();
        levelIndex++;
        // A game from the picker stores its progress only where it goes beyond the stored one.
        std::optional<Progress> stored;
        if (pickedRun)
        {
            std::vector<uint8_t> bytes;
            if (ReadGameData(*app, ProgressValueName, bytes))
                stored = DecodeProgress(bytes);
        }
        if (levelIndex >= LevelCount)
        {
            paused = true;
            AddBoardDialog(MessageDialogId, new FinishDialog());
            ResetProgress();
            (void)SaveProgressAndRecords(!pickedRun);
        }
        else
        {
            level.reset();
            LoadLevel();
            recordLine = line;
            (void)SaveProgressAndRecords(!pickedRun || !stored || levelIndex > stored->levelIndex);
        }
    }
    else if (result == Level::GameOver)
    {
        paused = true;
        AddBoardDialog(MessageDialogId, new TryAgainDialog());
        ResetProgress();
        // The stored progress is the player's game, which a garden from the picker never sets back.
        if (!pickedRun)
            (void)SaveProgress();
    }
}

void Board::UpdateFractional(float fraction)
{
    (void)fraction;
}

void Board::Draw(zest::Graphics* g)
{
    stillDrawn = PictureIsStill();
    if (state == Menu)
    {
        if (IMAGE_TITLESCREEN)
            g->DrawImage(IMAGE_TITLESCREEN, 0, 0);
    }
    else if (state == Playing && watching)
    {
        levelDraws++;
        DrawBestRun(g);
    }
    else if (state == Playing && level)
    {
        levelDraws++;
        run.AddDraw(paused);
        level->Draw(*g);
        if (!recordLine.empty())
        {
            if (level->GetIntroCounter() > 0)
            {
                // Under the banner's "LEVEL N", on a dark band so it reads over any garden.
                g->SetFont(FONT_DEFAULT);
                const int width = FONT_DEFAULT ? FONT_DEFAULT->StringWidth(recordLine) : 0;
                const int lineX = 335 - width / 2;
                g->SetColor(zest::Color(0, 0, 0, 120));
                g->FillRect(lineX - 10, 232, width + 20, 20);
                g->SetColor(zest::Color(255, 230, 120));
                g->DrawString(recordLine, lineX, 246);
            }
            else
            {
                recordLine.clear();
            }
        }
    }
    AdvanceFade();
    if (fadeAlpha > 0)
    {
        g->SetColor(zest::Color(0, 0, 0, fadeAlpha));
        g->FillRect(0, 0, 640, 480);
    }
}

void Board::KeyDown(int key)
{
    if (key == KeyEscape || key == KeySpace)
        OpenPauseDialog();
    else if (PadPointer* pointer = app->GetPadPointer())
        pointer->LevelKeyDown(key); // Tab, the arrows and Enter play a level without the mouse
}

void Board::KeyUp(int key)
{
    if (PadPointer* pointer = app->GetPadPointer())
        pointer->LevelKeyUp(key);
}

void Board::AddBoardDialog(int id, zest::Widget* dialog)
{
    dialog->Resize(DialogX, DialogY, DialogWidth, DialogHeight);
    app->AddDialog(id, static_cast<zest::Dialog*>(dialog));
}

void Board::OpenPauseDialog()
{
    AddBoardDialog(PauseDialogId, new PauseDialog("PAUSED", ""));
    paused = true;
}

void Board::ButtonClicked(int id)
{
    if (paused)
        return;
    switch (id)
    {
    case MenuButtonId:
        OpenPauseDialog();
        break;
    case OptionsButtonId:
        AddBoardDialog(PanelDialogId, new DemoDialog("OPTIONS", ""));
        break;
    case HelpButtonId:
        AddBoardDialog(PanelDialogId, new InstructionsDialog());
        break;
    case QuitButtonId:
        quitRequested = true;
        break;
    case PlayButtonId:
        StartFadeOut();
        stateAfterFade = StartGame;
        break;
    case CreditsButtonId:
        AddBoardDialog(MessageDialogId, new CreditsDialog());
        break;
    case RestartButtonId:
        AddBoardDialog(MessageDialogId, new RestartDialog());
        break;
    case GardensButtonId:
        AddBoardDialog(PanelDialogId, new GardenPicker());
        break;
    default:
        break;
    }
}

uint32_t Board::Random()
{
    return static_cast<uint32_t>(app->Rand());
}

void Board::PlaySound(int soundId)
{
    PlayGameSound(*app, soundId);
}

int Board::MouseX() const
{
    return app->GetWidgetManager()->lastMouseX;
}

int Board::MouseY() const
{
    return app->GetWidgetManager()->lastMouseY;
}

int Board::MouseButtons() const
{
    return (app->GetWidgetManager()->downButtons & zest::WidgetManager::LeftButtonBit) ? LeftButton : 0;
}

bool Board::ReadFileIntoBuffer(const std::string& fileName, std::vector<uint8_t>& bytes)
{
    zest::Buffer buffer;
    if (!app->ReadFileIntoBuffer(fileName, buffer))
        return false;
    bytes.assign(buffer.GetData(), buffer.GetData() + buffer.GetDataLen());
    mapName = fileName;
    mapBytes = bytes;
    return true;
}

zest::LiveImageSet* Board::GetLiveImageSet()
{
    return &app->GetLiveImages();
}

void Board::BuildThumbnails()
{
    // Read past the demo machinery: the pictures are not part of any run, and demos made before the picker
    // existed hold no such reads.
    thumbnails.clear();
    for (int garden = 0; garden < LevelCount; garden++)
    {
        std::vector<uint8_t> bytes;
        if (zest::PFilePtr file{zest::p_fopen(LevelFileNames[garden], "rb")})
        {
            uint8_t block[16384];
            size_t got = 0;
            while ((got = zest::p_fread(block, 1, sizeof block, file.get())) > 0)
                bytes.insert(bytes.end(), block, block + got);
        }
        thumbnails.push_back(GardenThumbnail::Draw(bytes, GardenPicker::ThumbnailWidth, GardenPicker::ThumbnailHeight));
    }
}

zest::MemoryImage* Board::Thumbnail(int garden) const
{
    if (garden < 0 || garden >= static_cast<int>(thumbnails.size()))
        return nullptr;
    return thumbnails[static_cast<size_t>(garden)].get();
}

const GardenRecords& Board::Records()
{
    if (!recordsLoaded)
    {
        records.Load(*app);
        recordsLoaded = true;
    }
    return records;
}

int Board::FurthestGarden()
{
    int furthest = Records().Reached();
    std::vector<uint8_t> bytes;
    if (ReadGameData(*app, ProgressValueName, bytes))
        if (std::optional<Progress> stored = DecodeProgress(bytes))
            furthest = std::max(furthest, stored->levelIndex);
    return std::min(furthest, LevelCount - 1);
}

void Board::PlayGarden(int garden)
{
    if (state != Menu || fadeDirection != 0)
        return;
    pickedGarden = std::clamp(garden, 0, LevelCount - 1);
    StartFadeOut();
    stateAfterFade = StartGame;
}

std::string Board::BestRunPath(int garden, bool assist) const
{
    return app->dataFolder + BestRun::FileName(garden, assist);
}

bool Board::HasBestRun(int garden) const
{
    std::error_code error;
    return std::filesystem::is_regular_file(BestRunPath(garden, false), error) ||
           std::filesystem::is_regular_file(BestRunPath(garden, true), error);
}

bool Board::WatchBestRun(int garden, std::string& error)
{
    if (state != Menu || fadeDirection != 0)
    {
        error = "the game is busy";
        return false;
    }
    std::error_code fileError;
    const bool assist = !std::filesystem::is_regular_file(BestRunPath(garden, false), fileError);
    std::optional<BestRun> best = BestRun::Load(BestRunPath(garden, assist), error);
    if (!best)
        return false;
    if (best->garden != garden)
    {
        error = "the file holds another garden's run";
        return false;
    }
    auto player = std::make_unique<BestRunPlayer>(std::move(*best), this);
    std::string why;
    if (!player->Start(&why))
    {
        error = "its garden cannot be built (" + why + ")";
        return false;
    }
    pendingWatch = std::move(player);
    StartFadeOut();
    stateAfterFade = StartGame;
    return true;
}

void Board::DrawBestRun(zest::Graphics* g)
{
    if (zest::DisplayImage* picture = watching->Picture())
        g->DrawImage(picture, 0, 0);
    const BestRun& best = watching->Run();
    std::string caption = "BEST RUN  " + GardenPicker::GardenName(best.garden) + "  " +
                          GardenRecords::FormatUpdates(watching->UpdatesPlayed()) + " / " +
                          GardenRecords::FormatUpdates(best.result.updates);
    if (best.assist)
        caption += "  (assist " + std::to_string(GameSpeed::PercentOf(best.slowestMultiplier)) + " %)";
    g->SetFont(FONT_DEFAULT);
    const int captionX = 320 - (FONT_DEFAULT ? FONT_DEFAULT->StringWidth(caption) : 0) / 2;
    g->SetColor(zest::Color(0, 0, 0, 150));
    g->FillRect(0, 452, 640, 28);
    g->SetColor(zest::Color(255, 230, 120));
    g->DrawString(caption, captionX, 471);
}

std::string Board::FinishGardenRun()
{
    if (!level)
        return {};
    GardenRecords::Record result;
    result.updates = levelUpdates;
    result.livesLost = runLivesLost;
    result.honey = level->GetNectarCollected();
    Records();
    const bool assist = run.assist;
    GardenRecords::Improvement improvement = records.Add(levelIndex, assist, result);
    records.Reach(levelIndex + 1);
    if (improvement.fastest && !app->settingsReadOnly && !app->dataFolder.empty())
    {
        run.Finish(result);
        std::error_code error;
        std::filesystem::create_directories(app->dataFolder, error);
        if (!run.Save(BestRunPath(levelIndex, assist)))
            zest::Logf(zest::LogLevel::Warning, "cannot keep the best run of garden %d", levelIndex + 1);
    }
    if (!improvement.Any())
        return {};
    std::string line = assist ? "NEW ASSIST RECORD:" : "NEW RECORD:";
    if (improvement.fastest)
        line += " " + GardenRecords::FormatUpdates(result.updates);
    if (improvement.fewestLost)
        line += result.livesLost == 0 ? "  no life lost" : "  " + std::to_string(result.livesLost) + " lost";
    if (improvement.mostHoney)
        line += "  honey " + std::to_string(result.honey);
    return line;
}

bool Board::SaveProgressAndRecords(bool withProgress)
{
    std::map<std::string, std::vector<uint8_t>> values = records.TakeChanges();
    if (withProgress)
        values[ProgressValueName] = EncodeProgress(levelIndex, hives, lives);
    if (values.empty())
        return true;
    // The progress alone is written as it always was.
    if (values.size() == 1 && withProgress)
        return SaveProgress();
    return app->WriteRegDataValues(values);
}

} // namespace tibble
