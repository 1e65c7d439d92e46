// The tibble program: makes the game's application object, starts it up, runs it until it ends,
// and destroys it.
#include "app/DataFolder.h"
#include "game/GameApp.h"

#include <memory>

int main(int argc, char** argv)
{
    auto app = std::make_unique<tibble::GameApp>();
    // Data beside the program (the build folder) or, installed, where the install put it relative to
    // the program (TIBBLE_INSTALLED_DATA, set by the build); -changedir, read later, still wins.
    app->changeDir = zest::FindDataFolder(zest::ExecutableFolder(), TIBBLE_INSTALLED_DATA);
    app->commandLine.assign(argv + 1, argv + argc);
    app->Initialize();
    app->Run();
    app.reset();
    return 0;
}
