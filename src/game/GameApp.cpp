#include "game/GameApp.h"

#include "audio/MusicInterface.h"
#include "garden/Res.h"
#include "game/TitleScreen.h"
#include "game/Board.h"
#include "game/GameSpeed.h"
#include "game/PadPointer.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "resources/ResourceManager.h"
#include "widgets/Dialog.h"
#include "widgets/WidgetManager.h"

namespace tibble
{

namespace
{

// Dialog ids and the button the application hears from them.
constexpr int NoWindowedModeDialogId = 6;
constexpr int NoWindowedModeOkButton = 2000 + NoWindowedModeDialogId;

} // namespace

GameApp::GameApp()
{
    productName = "Tibble the Bee";
    productVersion = "1.1";
    title = "Mossbank Games: " + productName + " - " + productVersion;
    registryKey = "Mossbank Games\\Tibble The Bee";
    width = 640;
    height = 480;
    isWindowed = false;
    autoEnable3D = true;
}

GameApp::~GameApp()
{
    // The loading thread uses the title screen's application and the resource groups below.
    WaitForLoadingThread();
    if (board)
    {
        widgetManager->RemoveWidget(board);
        delete board;
        board = nullptr;
    }
    if (titleScreen)
    {
        widgetManager->RemoveWidget(titleScreen);
        delete titleScreen;
        titleScreen = nullptr;
    }
    if (padPointer)
        widgetManager->RemoveWidget(padPointer.get());
    resourceManager->UnloadGroup("Init");
    resourceManager->UnloadGroup("TitleScreen");
    resourceManager->UnloadGroup("Game");
}

void GameApp::FailStartup()
{
    shutdownRequested = true;
    ShowFatalError(resourceManager->ErrorText());
    Exit(0);
}

void GameApp::LoadSettings()
{
    ZestAppBase::LoadSettings();
    GameSpeed::Load(*this);
}

void GameApp::Initialize()
{
    ZestAppBase::Initialize();
    if (shutdown)
        return;
    LoadResourceManifest();
    if (!resourceManager->LoadGroup("Init") || !BindInitResources(resourceManager.get()))
        FailStartup();
    if (!resourceManager->LoadGroup("TitleScreen") || !BindTitleScreenResources(resourceManager.get()))
        FailStartup();

    titleScreen = new TitleScreen(this);
    titleScreen->Resize(0, 0, width, height);
    titleScreen->CreateContinueLink();
    widgetManager->AddWidget(titleScreen);
    padPointer = std::make_unique<PadPointer>(this);
    widgetManager->AddWidget(padPointer.get());

    if (musicInterface)
    {
        (void)musicInterface->LoadMusic(0, "music/beetune1.ogg");
        (void)musicInterface->LoadMusic(1, "music/beetune2.ogg");
        // A slow fade in (the board fades ten times faster), looping.
        musicInterface->FadeIn(0, 0, 0.002, false);
    }

    numLoadingThreadTasks = resourceManager->CountResources("Game");
}

bool GameApp::OnGamepadButton(int pad, int button, bool down)
{
    (void)pad;
    return padPointer && padPointer->GamepadButton(button, down);
}

void GameApp::BeginLoading()
{
    resourceManager->BeginLoading("Game");
}

bool GameApp::LoadingStep()
{
    if (!resourceManager->LoadNext())
        return false;
    // The title screen notices the count on the main thread and redraws its bar.
    completedLoadingThreadTasks++;
    return true;
}

void GameApp::EndLoading()
{
    if (!resourceManager->HadError() && BindGameResources(resourceManager.get()))
        return;
    // The box is shown by the main thread; this thread waits for it, then asks the main loop to end.
    ShowFatalError(resourceManager->ErrorText());
    shutdownRequested = true;
    Shutdown();
}

void GameApp::OnLoadingDone()
{
    ZestAppBase::OnLoadingDone();
    if (shutdownRequested || shutdown)
        return;
    if (titleScreen)
    {
        titleScreen->ShowContinueLink();
        titleScreen->MarkDirty();
    }
}

void GameApp::ShowBoard()
{
    // The title screen has queued its own deletion.
    titleScreen = nullptr;
    board = new Board(this);
    // The loader bar goes; the title picture stays, being in group "Init".
    resourceManager->UnloadGroup("TitleScreen");
    board->Resize(0, 0, width, height);
    widgetManager->AddWidget(board);
    widgetManager->SetFocus(board);
}

void GameApp::FocusBoard()
{
    if (board)
        widgetManager->SetFocus(board);
}

void GameApp::ShowFileError()
{
    ShowFatalError("A file error has occurred");
    Exit(1);
}

zest::Dialog* GameApp::CreateDialog(int id, bool isModal, const std::string& header, const std::string& lines,
                                    const std::string& footer, int buttonMode)
{
    auto* dialog = new zest::Dialog(IMAGE_DIALOG_BOX, IMAGE_DIALOG_BUTTON, id, isModal, header, lines, footer,
                                    buttonMode);
    dialog->dialogListener = this;
    dialog->SetButtonFont(FONT_DEFAULT);
    dialog->SetLinesFont(FONT_DEFAULT);
    dialog->SetHeaderFont(FONT_DEFAULT);
    dialog->SetColor(zest::Dialog::ColorHeader, zest::Color(0, 0, 0));
    dialog->SetColor(zest::Dialog::ColorLines, zest::Color(0, 0, 0));
    dialog->spaceAfterHeader = 30;
    dialog->Resize(100, 100, 300, 250);
    return dialog;
}

void GameApp::ButtonPressed(int id)
{
    if (id == NoWindowedModeOkButton)
        CloseDialog(NoWindowedModeDialogId);
}

} // namespace tibble
