// A tibble-play script: timed actions, one per line ("UPDATE verb args"), '#' starts a comment. The one reader and
// writer of the format (tibble-play, tibble-plan and the editor use it), the level-start prefix's header, and the
// hose presses of a solution. Reading checks every line and names the first bad one. Plain data; any thread.
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
    int padCode = 0;  // GamepadButton or GamepadAxis
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

// One action as a script line, without the newline ("40 down 79 436", "41 expect level 2"); ParsePlayScript reads it
// back to the same action.
std::string FormatPlayAction(const PlayAction& action);

// The header a level-start prefix opens with: "# first-level-update K draws-before D". Harness update K runs the
// level's first update, after D level draws.
struct PrefixHeader
{
    int firstLevelUpdate = 1;
    int drawsBefore = 0;
};

// The header from the text's first line, which is where the prefix and every script written from it carry it (a
// header further down could be a quoted line of another script); none when the first line is not exactly the header
// with K >= 1 and D >= 0.
std::optional<PrefixHeader> ParsePrefixHeader(const std::string& text);
std::string FormatPrefixHeader(const PrefixHeader& header);

// One hose press of a script, in level updates (1-based): the button goes down before update down and up before
// update up, at screen point (x, y).
struct ScriptPress
{
    int down = 0;
    int up = 0;
    int x = 0;
    int y = 0;

    bool operator==(const ScriptPress&) const = default;
};

// The presses of a script that fall in the level (from the prefix's first level update on), in order. False with
// error naming the line when a down has no up or an up no down; moves, clicks and keys are not presses.
[[nodiscard]] bool ReadScriptPresses(const PlayScript& script, const PrefixHeader& prefix,
                                     std::vector<ScriptPress>& presses, std::string& error);
// The same from a script's text; a line the reader refuses is named as ParsePlayScript names it.
[[nodiscard]] bool ReadScriptPresses(const std::string& text, const PrefixHeader& prefix,
                                     std::vector<ScriptPress>& presses, std::string& error);

// A press's two lines ("U down X Y", "U up X Y") at harness updates, for a prefix whose first level update is
// firstLevelUpdate.
std::string FormatScriptPress(const ScriptPress& press, int firstLevelUpdate);

} // namespace tibble::play
