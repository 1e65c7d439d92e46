// The game as the play harness runs it: the real GameApp and its main loop on a fake clock, headless, one update
// and then one draw per Step, input handed in as window messages through the application's queue, and read-only
// views of the game's state for a script's expectations. Main thread only.
#pragma once

#include "game/GameApp.h"
#include "platform/FakeClock.h"
#include "platform/VirtualGamepad.h"

#include <optional>
#include <string>

namespace tibble::play
{

struct PlayAction;

// Built before the application and destroyed after it: the loop and the sound manager use the clock.
struct PlayClockHolder
{
    zest::FakeClock fakeClock;
};

class PlayApp : private PlayClockHolder, public GameApp
{
public:
    // dataFolder: the game's data (main.pak or the loose files); options: game command-line options
    // ("-play", "-demofile=...").
    PlayApp(const std::string& dataFolder, const std::vector<std::string>& options);
    ~PlayApp() override;

    // Starts the game and waits for its loading thread; false when the game ended during start-up.
    [[nodiscard]] bool Start(std::optional<uint32_t> seed);
    // Runs the loop until one update and then one draw attempt have happened. False (nothing more runs) once
    // the game has shut down.
    bool Step();
    // Updates run since loading finished (the script's update numbers).
    int HarnessUpdates() const { return harnessUpdates; }

    // Input as the window would send it; handled by the loop before the next update.
    void SendMouse(uint32_t message, int x, int y);
    void SendKey(int key);
    // One half of a key press: held keys stay down until sent up.
    void SendKey(int key, bool down);
    // The virtual gamepad's button (value 1 down, 0 up) or axis; plugged in at the first use, so the
    // game sees it arrive as a real pad. False when no virtual gamepad can be made.
    [[nodiscard]] bool SetPad(bool isAxis, int code, int value);
    // Hands a script's input action (click, down, up, move, key, keydown, keyup, pad) to the game; other kinds
    // only look and are left alone. False only when a pad line finds no virtual gamepad to plug in.
    [[nodiscard]] bool SendAction(const PlayAction& action);

    // A field of the game's state as text: screen, level, lives, hives, paused, levelupdates, leveldraws,
    // update. None for an unknown field.
    std::optional<std::string> Field(const std::string& name);
    // The screen as a PNG; false when it cannot be written.
    [[nodiscard]] bool Shot(const std::string& path);
    // Compares the screen with a PNG pixel by pixel; empty when equal, else what differs.
    std::string CompareScreen(const std::string& path);

    bool DrawDirty() override;
    // Headless: the screen image is drawn as in the game but never handed to the (invisible) window.
    void Present(const zest::Rect* rect) override;

private:
    int harnessUpdates = 0;
    bool drawAttempted = false;
    int mouseButtons = 0;
    zest::VirtualGamepad pad;
};

} // namespace tibble::play
