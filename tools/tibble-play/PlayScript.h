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

// Reads a script; on failure answers none and sets error to "line N: why".
std::optional<PlayScript> ParsePlayScript(const std::string& text, std::string& error);
std::optional<PlayScript> LoadPlayScript(const std::string& path, std::string& error);

} // namespace tibble::play
