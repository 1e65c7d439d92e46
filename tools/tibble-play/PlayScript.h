// A tibble-play script: timed actions, one per line ("UPDATE verb args"), '#' starts a comment. Reading checks
// every line and names the first bad one. Plain data; any thread.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tibble::play
{

struct PlayAction
{
    enum class Kind
    {
        Click, // move, left button down and up at (x, y)
        Down,  // move and left button down
        Up,    // move and left button up
        Move,
        Key,    // key down and key up of a virtual key
        KeyDown, // a virtual key pressed (held until its KeyUp)
        KeyUp,
        PadButton, // a button of the virtual gamepad pressed (down) or let go
        PadAxis,   // an axis of the virtual gamepad set to value
        Shot,   // the screen as a PNG file
        Same,   // the screen compared pixel by pixel with a PNG file
        Expect, // a field of the game's state
        End,
    };

    int update = 0;
    Kind kind = Kind::End;
    int x = 0;
    int y = 0;
    int key = 0;
    int padCode = 0; // GamepadButton or GamepadAxis
    int padValue = 0; // 1 down, 0 up; an axis's value
    std::string file;
    std::string field;
    std::string value;
    int line = 0;
};

struct PlayScript
{
    // In update order; actions of the same update keep their order in the file.
    std::vector<PlayAction> actions;
};

// The virtual key of a name ("ESCAPE", "SPACE", "RETURN", "LEFT", "A", "F1", ...) or a number; none when unknown.
std::optional<int> KeyFromName(const std::string& name);

// The GamepadButton of a name (A, B, X, Y, BACK, GUIDE, START, LSTICK, RSTICK, LB, RB, UP, DOWN, LEFT, RIGHT)
// or the GamepadAxis of one (LEFTX, LEFTY, RIGHTX, RIGHTY, LT, RT); none when unknown.
std::optional<int> PadButtonFromName(const std::string& name);
std::optional<int> PadAxisFromName(const std::string& name);

// Reads a script; on failure answers none and sets error to "line N: why".
std::optional<PlayScript> ParsePlayScript(const std::string& text, std::string& error);
std::optional<PlayScript> LoadPlayScript(const std::string& path, std::string& error);

} // namespace tibble::play
