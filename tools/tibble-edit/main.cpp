// tibble-edit: the level editor. Opens a level source (.lvl) or a map (.pmp); --new starts a new level that its
// first save creates. Without a file the level has no name until Save As gives it one.
//   tibble-edit [--data DIR] [FILE.lvl | FILE.pmp | --new FILE.lvl]
#include "EditorApp.h"

#include "app/DataFolder.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace
{
constexpr const char* Usage = "usage: tibble-edit [--data DIR] [FILE.lvl | FILE.pmp | --new FILE.lvl]\n";
}

int main(int argc, char** argv)
{
    std::string data;
    std::string file;
    bool create = false;
    for (int i = 1; i < argc; i++)
    {
        const std::string arg = argv[i];
        if (arg == "--data" && i + 1 < argc)
            data = argv[++i];
        else if (arg == "--new" && i + 1 < argc && file.empty())
        {
            file = argv[++i];
            create = true;
        }
        else if (arg == "--help" || arg == "-h")
        {
            std::fputs(Usage, stdout);
            return 0;
        }
        else if ((!arg.empty() && arg[0] == '-') || !file.empty())
        {
            std::fputs(Usage, stderr);
            return 2;
        }
        else
            file = arg;
    }
    // A mistyped name must not quietly become a new level (or a new file on the disk).
    std::error_code code;
    if (!file.empty() && !create && !std::filesystem::exists(file, code))
    {
        std::fprintf(stderr,
                     "tibble-edit: %s: no such file\n"
                     "  to start a new level under that name: tibble-edit --new %s\n",
                     file.c_str(), file.c_str());
        return 2;
    }
    if (create && std::filesystem::exists(file, code))
    {
        std::fprintf(stderr, "tibble-edit: %s exists already; open it without --new\n", file.c_str());
        return 2;
    }
    if (data.empty())
    {
        // Beside the editor in a build folder, or where the install put the game's data.
        const std::string self = zest::ExecutableFolder();
        data = self.empty() ? std::string(".") : zest::FindDataFolder(self, TIBBLE_INSTALLED_DATA);
    }
    auto app = std::make_unique<tibble::edit::EditorApp>(data, file, create);
    app->Initialize();
    app->Run();
    app.reset();
    return 0;
}
