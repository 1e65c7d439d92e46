// The samples of the framework guide (docs/guide.md), one file per section.
#pragma once

#include <memory>
#include <string>

namespace guide
{

// Runs a windowed sample's application object with the program's command line until it ends, as RunBouncer
// (AppLoop.cpp) spells out.
template <class App>
int RunApp(int argc, char** argv)
{
    auto app = std::make_unique<App>();
    app->commandLine.assign(argv + 1, argv + argc);
    app->Initialize();
    app->Run();
    return 0;
}

// Application object and loop: runs a window with a bouncing square until it is closed.
int RunBouncer(int argc, char** argv);
// Widgets and dialogs: a window with a QUIT button that asks first.
int RunQuitAsker(int argc, char** argv);
// Drawing and fonts: draws a card into an image and saves it as PNG; false when it could not.
bool DrawCard(const std::string& pngPath);
// Resource manifest: a window that shows the picture and text named in a manifest.
int RunManifestViewer(int argc, char** argv);
// Archive: packs two files, mounts the archive and reads one back; false when anything failed.
bool PackAndRead(const std::string& pakPath);
// Keyboard: a box moved with the arrow keys (polling), centred with space (an event).
int RunKeyboard(int argc, char** argv);
// Mouse: paint by dragging, the wheel sets the size, a right or double click clears.
int RunMouse(int argc, char** argv);
// Text input: two text fields with a length limit, a filter and a tab order.
int RunForm(int argc, char** argv);
// Gamepads: a ball moved by the left stick, A lights it, Back quits.
int RunGamepad(int argc, char** argv);
// Sound effects and music: the chime panned by where you click, M for music (run in hello's data folder).
int RunSound(int argc, char** argv);
// Sprite sheets and animation: eight frames of an animated sheet drawn into a PNG strip; false on failure.
bool DrawSpriteStrip(const std::string& pngPath);
// The fixed loop and timing: a stopwatch of game time.
int RunStopwatch(int argc, char** argv);
// Settings: counts this sample's runs in its settings; answers the new count.
int CountRuns();
// Logging: writes through the logger and through a sink of its own; answers the lines the sink caught.
int LogToList();

} // namespace guide
