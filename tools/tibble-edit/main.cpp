// tibble-edit: the level editor. Opens a level source (.lvl) or a map (.pmp); a name that does not exist yet
// starts a new level saved under it.
//   tibble-edit [--data DIR] [FILE.lvl | FILE.pmp]
#include "EditorApp.h"

#include "app/DataFolder.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

int main(int argc, char** argv)
{
    std::string data;
    std::string file;
    for (int i = 1; i < argc; i++)
    {
        const std::string arg = argv[i];
        if (arg == "--data" && i + 1 < argc)
            data = argv[++i];
        else if (arg == "--help" || arg == "-h" || (!arg.empty() && arg[0] == '-'))
        {
            std::fputs("usage: tibble-edit [--data DIR] [FILE.lvl | FILE.pmp]\n", stderr);
            return 2;
        }
        else if (file.empty())
            file = arg;
    }
    if (data.empty())
    {
        // Beside the editor in a build folder, or where the install put the game's data.
        const std::string self = zest::ExecutableFolder();
        data = self.empty() ? std::string(".") : zest::FindDataFolder(self, TIBBLE_INSTALLED_DATA);
    }
    auto app = std::make_unique<tibble::edit::EditorApp>(data, file);
    app->Initialize();
    app->Run();
    app.reset();
    return 0;
}
