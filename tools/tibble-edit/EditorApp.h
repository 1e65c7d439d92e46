// The level editor's application object: a window of its own size on the Zest framework, the game's art and
// fonts from its data folder (main.pak), the editor screen as the one root widget, and the question about
// unsaved work when the window is closed. One per process; main thread.
#pragma once

#include "app/ZestAppBase.h"

#include <string>

namespace tibble::edit
{

class EditorScreen;

class EditorApp : public zest::ZestAppBase
{
public:
    static constexpr int ScreenWidth = 1024;
    static constexpr int ScreenHeight = 720;

    // dataFolder: the game's data (main.pak or loose files); file: the level to open (absolute or relative to the
    // working directory at the call; empty: a new level without a name, which cannot be saved). create: file is
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

private:
    std::string dataFolder;
    std::string file;
    bool create = false;
    EditorScreen* screen = nullptr; // owned; deleted in the destructor
};

} // namespace tibble::edit
