// The level editor's application object: a window of its own size on the Zest framework, the game's art and
// fonts from its data folder (main.pak), the editor screen as the one root widget, and the question about
// unsaved work when the window is closed. One per process; main thread.
#pragma once

#include "app/ZestAppBase.h"

#include <memory>
#include <string>

namespace tibble::edit
{

class EditorDocument;
class EditorScreen;
class FileDialog;

class EditorApp : public zest::ZestAppBase
{
public:
    static constexpr int ScreenWidth = 1024;
    static constexpr int ScreenHeight = 720;

    // Dialog ids.
    static constexpr int CloseDialogId = 40;
    static constexpr int OpenDialogId = 41;
    static constexpr int SaveAsDialogId = 42;
    static constexpr int ReplaceDialogId = 43;
    static constexpr int OpenPromptId = 44;

    // dataFolder: the game's data (main.pak or loose files); file: the level to open (absolute or relative to the
    // working directory at the call; empty: a new level without a name, which Save As names). create: file is
    // the name of a new level, created by its first save.
    EditorApp(const std::string& dataFolder, const std::string& file, bool create = false);
    ~EditorApp() override;

    // Opens the window, loads the game's art and shows the editor; false when the data could not be loaded.
    void Initialize() override;
    bool CanClose() override;
    void ButtonClicked(int id) override;
    void ButtonPressed(int id) override { (void)id; }

    EditorScreen* GetScreen() const { return screen; }
    // The folder the game's data and tools were found in.
    const std::string& DataFolder() const { return dataFolder; }

    // Open...: asks first when there are unsaved changes (save, don't save, cancel), then shows the Open dialog.
    void ShowOpen();
    // Save As...: the dialog, then (asked first when the file exists) the save under the new name.
    void ShowSaveAs();
    // The level at path in place of the current one (a new screen); false with error leaves everything as it was.
    [[nodiscard]] bool OpenLevel(const std::string& path, std::string& error);
    // The dialog shown under the id, if it is a file dialog.
    FileDialog* GetFileDialog(int id);
    // The folder the Open and Save As dialogs start in: the level's own, else the one the editor was started in.
    std::string DialogFolder() const;

private:
    // What comes after a save that a question asked for.
    enum class After
    {
        Nothing,
        Open,
        Quit,
    };
    // Saves under the level's name (Save As first when it has none), then goes on with after; a failed save stops
    // there (the status line says why).
    void SaveThen(After after);
    void ShowSaveAs(After after);
    void ShowOpenDialog();
    void FinishSaveAs(const std::string& path);
    void Continue(After after);
    // A question about unsaved changes under the id: SAVE, DON'T SAVE or CANCEL.
    void AskAboutChanges(int id, const std::string& question);
    // Puts the document on a new screen in place of the old one (queued for deletion).
    void ShowLevel(std::unique_ptr<EditorDocument> document, const std::string& newFile, const std::string& status);
    void FocusScreen();

    std::string dataFolder;
    std::string file;
    std::string startFolder; // the working directory when the editor started
    bool create = false;
    EditorScreen* screen = nullptr; // owned; deleted in the destructor
    After afterSave = After::Nothing;
    std::string replacePath; // the file the replace question is about
};

} // namespace tibble::edit
