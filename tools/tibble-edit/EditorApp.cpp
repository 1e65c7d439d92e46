#include "EditorApp.h"

#include "ClosePrompt.h"
#include "EditorDocument.h"
#include "EditorScreen.h"
#include "FileDialog.h"

#include "garden/Res.h"
#include "graphics/SysFont.h"
#include "platform/TextEncoding.h"
#include "resources/ResourceManager.h"
#include "widgets/Dialog.h"
#include "widgets/DialogButton.h"
#include "widgets/EditWidget.h"
#include "widgets/WidgetManager.h"

#include <filesystem>
#include <utility>

namespace tibble::edit
{

namespace
{
// The dialogs' text.
zest::SysFont DialogFont()
{
    return zest::SysFont("Arial Unicode MS", 11);
}
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
    startFolder = std::filesystem::current_path(code).string();
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
            status = "no such file: " + file + "; " + EditorScreen::UnnamedNotice;
        else
        {
            std::string error;
            if (!document->Open(file, error))
            {
                MessageBox("The level could not be opened:\n" + error, "Tibble level editor", 0);
                status = "could not open " + file + ": " + error + "; " + EditorScreen::UnnamedNotice;
            }
            else
                status = "opened " + file;
        }
    }
    ShowLevel(std::move(document), newFile, status);
}

void EditorApp::ShowLevel(std::unique_ptr<EditorDocument> document, const std::string& newFile,
                          const std::string& status)
{
    if (screen)
    {
        // The old screen may be in the middle of the event that got here: it goes after this update.
        widgetManager->RemoveWidget(screen);
        QueueWidgetDeletion(screen);
        screen = nullptr;
    }
    screen = new EditorScreen(std::move(document), dataFolder);
    screen->openRequested = [this]() { ShowOpen(); };
    screen->saveAsRequested = [this]() { ShowSaveAs(); };
    screen->SetNewFile(newFile);
    screen->Resize(0, 0, width, height);
    widgetManager->AddWidget(screen);
    screen->Layout();
    widgetManager->SetFocus(screen);
    screen->SetStatus(status);
}

void EditorApp::FocusScreen()
{
    if (screen && widgetManager)
        widgetManager->SetFocus(screen);
}

bool EditorApp::CanClose()
{
    if (!screen || !screen->HasUnsavedChanges())
        return true;
    if (!GetDialog(CloseDialogId))
        AskAboutChanges(CloseDialogId, "Save them before closing?");
    return false;
}

void EditorApp::AskAboutChanges(int id, const std::string& question)
{
    zest::SysFont font = DialogFont();
    auto* dialog = new ClosePrompt(id, &font, question,
                                   [this, id]()
                                   {
                                       CloseDialog(id);
                                       FocusScreen();
                                   });
    dialog->dialogListener = this;
    dialog->Resize((width - 390) / 2, (height - 170) / 2, 390, 170);
    AddDialog(id, dialog);
}

void EditorApp::ButtonClicked(int id)
{
    if (id == 2000 + CloseDialogId || id == 2000 + OpenPromptId)
    {
        CloseDialog(id - 2000);
        SaveThen(id == 2000 + CloseDialogId ? After::Quit : After::Open);
    }
    else if (id == 3000 + CloseDialogId)
    {
        CloseDialog(CloseDialogId);
        Shutdown();
    }
    else if (id == 3000 + OpenPromptId)
    {
        CloseDialog(OpenPromptId);
        ShowOpenDialog();
    }
    else if (id == 2000 + ReplaceDialogId)
    {
        CloseDialog(ReplaceDialogId);
        FinishSaveAs(std::exchange(replacePath, std::string()));
    }
    else if (id == 3000 + ReplaceDialogId)
    {
        // Back to the Save As dialog to pick another name.
        CloseDialog(ReplaceDialogId);
        replacePath.clear();
        if (FileDialog* dialog = GetFileDialog(SaveAsDialogId))
            widgetManager->SetFocus(&dialog->GetNameField());
    }
}

FileDialog* EditorApp::GetFileDialog(int id)
{
    return dynamic_cast<FileDialog*>(GetDialog(id));
}

std::string EditorApp::DialogFolder() const
{
    if (screen && !screen->SavePath().empty())
        return std::filesystem::path(screen->SavePath()).parent_path().string();
    return startFolder;
}

void EditorApp::ShowOpen()
{
    if (!screen || GetDialog(OpenDialogId) || GetDialog(OpenPromptId))
        return;
    if (screen->HasUnsavedChanges())
        AskAboutChanges(OpenPromptId, "Save them before opening another level?");
    else
        ShowOpenDialog();
}

void EditorApp::ShowOpenDialog()
{
    zest::SysFont font = DialogFont();
    auto* dialog = new FileDialog(OpenDialogId, FileChooser::Mode::Open, DialogFolder(), "", &font);
    dialog->chosen = [this, dialog](const std::string& path, bool exists)
    {
        (void)exists;
        std::string error;
        if (!OpenLevel(path, error))
        {
            dialog->SetMessage(error);
            return;
        }
        CloseDialog(OpenDialogId);
        FocusScreen();
    };
    dialog->cancelled = [this]()
    {
        CloseDialog(OpenDialogId);
        FocusScreen();
    };
    dialog->Resize((width - FileDialog::Width) / 2, (height - FileDialog::Height) / 2, FileDialog::Width,
                   FileDialog::Height);
    AddDialog(OpenDialogId, dialog);
    dialog->FocusFirst();
}

bool EditorApp::OpenLevel(const std::string& path, std::string& error)
{
    auto document = std::make_unique<EditorDocument>();
    if (!document->Open(path, error))
        return false;
    std::string status = "opened " + path;
    if (document->Path() != path)
        status += "; it is saved as " + document->Path();
    ShowLevel(std::move(document), "", status);
    return true;
}

void EditorApp::ShowSaveAs()
{
    ShowSaveAs(After::Nothing);
}

void EditorApp::ShowSaveAs(After after)
{
    if (!screen || GetDialog(SaveAsDialogId))
        return;
    afterSave = after;
    const std::string name =
        screen->SavePath().empty() ? std::string() : std::filesystem::path(screen->SavePath()).filename().string();
    zest::SysFont font = DialogFont();
    auto* dialog = new FileDialog(SaveAsDialogId, FileChooser::Mode::SaveAs, DialogFolder(), name, &font);
    dialog->chosen = [this](const std::string& path, bool exists)
    {
        if (!exists)
        {
            FinishSaveAs(path);
            return;
        }
        replacePath = path;
        const std::string shown = std::filesystem::path(path).filename().string();
        zest::Dialog* question =
            CreateDialog(ReplaceDialogId, true, "REPLACE LEVEL?",
                         zest::Utf8ToWindows1252(shown) + " exists already.\nReplace it with this level?", "",
                         zest::Dialog::ButtonsYesNo);
        zest::SysFont questionFont = DialogFont();
        question->SetHeaderFont(&questionFont);
        question->SetLinesFont(&questionFont);
        question->SetButtonFont(&questionFont);
        question->yesButton->label = "REPLACE";
        question->noButton->label = "CANCEL";
        question->dialogListener = this;
        question->Resize((width - 390) / 2, (height - 160) / 2, 390, 160);
        AddDialog(ReplaceDialogId, question);
    };
    dialog->cancelled = [this]()
    {
        afterSave = After::Nothing;
        CloseDialog(SaveAsDialogId);
        FocusScreen();
    };
    dialog->Resize((width - FileDialog::Width) / 2, (height - FileDialog::Height) / 2, FileDialog::Width,
                   FileDialog::Height);
    AddDialog(SaveAsDialogId, dialog);
    dialog->FocusFirst();
}

void EditorApp::FinishSaveAs(const std::string& path)
{
    std::string error;
    if (!screen->SaveAs(path, error))
    {
        // The dialog stays for another name or folder.
        if (FileDialog* dialog = GetFileDialog(SaveAsDialogId))
        {
            dialog->SetMessage("not saved: " + error);
            widgetManager->SetFocus(&dialog->GetNameField());
        }
        return;
    }
    CloseDialog(SaveAsDialogId);
    FocusScreen();
    Continue(std::exchange(afterSave, After::Nothing));
}

void EditorApp::SaveThen(After after)
{
    if (!screen)
        return;
    if (screen->SavePath().empty())
        ShowSaveAs(after);
    else if (screen->Save())
        Continue(after);
}

void EditorApp::Continue(After after)
{
    if (after == After::Open)
        ShowOpenDialog();
    else if (after == After::Quit)
        Shutdown();
}

} // namespace tibble::edit
