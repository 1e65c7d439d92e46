// The tibble program: makes the game's application object, starts it up, runs it until it ends,
// and destroys it.
#include "game/GameApp.h"

#include <memory>

int main(int argc, char** argv)
{
    auto app = std::make_unique<tibble::GameApp>();
    app->commandLine.assign(argv + 1, argv + argc);
    app->Initialize();
    app->Run();
    app.reset();
    return 0;
}
