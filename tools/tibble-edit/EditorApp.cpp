#include "EditorApp.h"

#include "ClosePrompt.h"
#include "EditorDocument.h"
#include "EditorScreen.h"

#include "garden/Res.h"
#include "resources/ResourceManager.h"
#include "widgets/Dialog.h"
#include "graphics/SysFont.h"
#include "widgets/DialogButton.h"
#include "widgets/WidgetManager.h"

#include <filesystem>

namespace tibble::edit
{

namespace
{
constexpr int CloseDialogId = 40;
} // namespace

EditorApp::EditorApp(const std::string& folder, const std::string& fileName, bool createFile) : create(createFile)
{
    productName = "Tibble Level Editor";
    productVersion = "1.0";
    title = "Tibble the Bee level editor";
    registryKey = "Mossbank Games\\Tibble Level Editor";
    width = ScreenWidth;
    height = ScreenHeight;
    isWindowed = true;
    onlyAllowOneCopyToRun = false;
    autoStartLoadingThread = false;
    muteOnLostFocus = false;
    std::error_code code;
    dataFolder = std::filesystem::absolute(folder, code).lexically_normal().string();
    changeDir = dataFolder;
    // The data folder becomes the working directory: keep the level's own path as the user meant it.
    file = fileName.empty() ? fileName : std::filesystem::absolute(fileName, code).lexically_normal().string();
}

EditorApp::~EditorApp()
{
    if (screen)
    {
        if (widgetManager)
            widgetManager->RemoveWidget(screen);
        delete screen;
        screen = nullptr;
    }
    if (resourceManager)
    {
        resourceManager->UnloadGroup("Init");
        resourceManager->UnloadGroup("Game");
    }
}

void EditorApp::Initialize()
{
    ZestAppBase::Initialize();
    if (shutdown)
        return;
    LoadResourceManifest();
    if (!resourceManager->LoadGroup("Init") || !BindInitResources(resourceManager.get()) ||
        !resourceManager->LoadGroup("Game") || !BindGameResources(resourceManager.get()))
    {
        ShowFatalError(resourceManager->ErrorText());
        Shutdown();
        return;
    }

    auto document = std::make_unique<EditorDocument>();
    std::string status = EditorScreen::UnnamedNotice;
    std::string newFile;
    if (!file.empty())
    {
        std::error_code code;
        if (create)
        {
            // Nothing is written before the first save: leaving without one leaves no file behind.
            newFile = file;
            status = "new level: the first save creates " + file;
        }
        else if (!std::filesystem::exists(file, code))
            status = "no such file: " + file + "; this unnamed level cannot be saved";
        else
        {
            std::string error;
            if (!document->Open(file, error))
            {
                MessageBox("The level could not be opened:\n" + error, "Tibble level editor", 0);
                status = "could not open " + file + ": " + error + "; this unnamed level cannot be saved";
            }
            else
                status = "opened " + file;
        }
    }
    screen = new EditorScreen(std::move(document), dataFolder);
    screen->SetNewFile(newFile);
    screen->Resize(0, 0, width, height);
    widgetManager->AddWidget(screen);
    screen->Layout();
    widgetManager->SetFocus(screen);
    screen->SetStatus(status);
}

bool EditorApp::CanClose()
{
    if (!screen || !screen->HasUnsavedChanges())
        return true;
    if (GetDialog(CloseDialogId))
        return false;
    zest::SysFont font("Arial Unicode MS", 11);
    auto* dialog = new ClosePrompt(CloseDialogId, &font, [this]() { CloseDialog(CloseDialogId); });
    dialog->dialogListener = this;
    dialog->Resize((width - 390) / 2, (height - 170) / 2, 390, 170);
    AddDialog(CloseDialogId, dialog);
    return false;
}

void EditorApp::ButtonClicked(int id)
{
    if (id == 2000 + CloseDialogId)
    {
        CloseDialog(CloseDialogId);
        // Unsaved work stays open when the save fails; the status line says why.
        if (screen && screen->Save())
            Shutdown();
    }
    else if (id == 3000 + CloseDialogId)
    {
        CloseDialog(CloseDialogId);
        Shutdown();
    }
}

} // namespace tibble::edit
