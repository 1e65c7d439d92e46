#include "EditorApp.h"

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

EditorApp::EditorApp(const std::string& folder, const std::string& fileName)
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
    std::string status;
    if (!file.empty())
    {
        std::error_code code;
        if (std::filesystem::exists(file, code))
        {
            std::string error;
            if (!document->Open(file, error))
            {
                MessageBox("The level could not be opened:\n" + error, "Tibble level editor", 0);
                status = "could not open " + file + "; a new level instead";
            }
            else
                status = "opened " + file;
        }
        else
        {
            // A name that does not exist yet is the file of a new level.
            std::string error;
            if (!document->Save(file, error))
                status = "new level; cannot write " + file + ": " + error;
            else
                status = "new level " + file;
        }
    }
    screen = new EditorScreen(std::move(document), dataFolder);
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
    zest::Dialog* dialog = ShowDialog(CloseDialogId, true, "UNSAVED CHANGES",
                                      "The level has changes that are not saved.\nSave them before closing?", "",
                                      zest::Dialog::ButtonsYesNo);
    zest::SysFont font("Arial Unicode MS", 11);
    dialog->SetHeaderFont(&font);
    dialog->SetLinesFont(&font);
    dialog->SetButtonFont(&font);
    if (dialog->GetYesButton())
        dialog->GetYesButton()->label = "SAVE";
    if (dialog->GetNoButton())
        dialog->GetNoButton()->label = "DON'T SAVE";
    dialog->Resize((width - 360) / 2, (height - 170) / 2, 360, 170);
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
