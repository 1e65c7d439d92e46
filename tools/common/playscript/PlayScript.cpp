#include "playscript/PlayScript.h"

#include "platform/Gamepad.h"
#include "platform/VirtualKeys.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <fstream>
#include <span>
#include <sstream>

namespace tibble::play
{

namespace
{

std::optional<int> ParseInt(const std::string& text)
{
    int value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

const char* const KnownFields[] = {"screen", "level",        "lives",      "hives",
                                   "paused", "levelupdates", "leveldraws", "update"};

} // namespace

std::optional<int> KeyFromName(const std::string& name)
{
    if (std::optional<int> number = ParseInt(name))
        return *number >= 1 && *number <= 254 ? number : std::nullopt;
    std::string upper = name;
    std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
    if (upper.size() == 1 && std::isalnum(static_cast<unsigned char>(upper[0])))
        return upper[0];
    if (upper.size() >= 2 && upper[0] == 'F')
    {
        std::optional<int> n = ParseInt(upper.substr(1));
        if (n && *n >= 1 && *n <= 24)
            return zest::VK_F1 + *n - 1;
    }
    static const std::pair<const char*, int> names[] = {
        {"ESCAPE", zest::VK_ESCAPE}, {"ESC", zest::VK_ESCAPE}, {"SPACE", zest::VK_SPACE}, {"RETURN", zest::VK_RETURN},
        {"ENTER", zest::VK_RETURN},  {"TAB", zest::VK_TAB},    {"BACK", zest::VK_BACK},   {"LEFT", zest::VK_LEFT},
        {"RIGHT", zest::VK_RIGHT},   {"UP", zest::VK_UP},      {"DOWN", zest::VK_DOWN},   {"PAUSE", zest::VK_PAUSE},
    };
    for (const auto& [keyName, key] : names)
    {
        if (upper == keyName)
            return key;
    }
    return std::nullopt;
}

namespace
{
std::optional<int> FromTable(const std::string& name, std::span<const std::pair<const char*, int>> table)
{
    std::string upper = name;
    std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
    for (const auto& [entry, value] : table)
    {
        if (upper == entry)
            return value;
    }
    return std::nullopt;
}
} // namespace

namespace
{
const std::pair<const char*, int> PadButtonNames[] = {
    {"A", zest::GamepadA},
    {"B", zest::GamepadB},
    {"X", zest::GamepadX},
    {"Y", zest::GamepadY},
    {"BACK", zest::GamepadBack},
    {"GUIDE", zest::GamepadGuide},
    {"START", zest::GamepadStart},
    {"LSTICK", zest::GamepadLeftStick},
    {"RSTICK", zest::GamepadRightStick},
    {"LB", zest::GamepadLeftShoulder},
    {"RB", zest::GamepadRightShoulder},
    {"UP", zest::GamepadDPadUp},
    {"DOWN", zest::GamepadDPadDown},
    {"LEFT", zest::GamepadDPadLeft},
    {"RIGHT", zest::GamepadDPadRight},
};
const std::pair<const char*, int> PadAxisNames[] = {
    {"LEFTX", zest::GamepadLeftX},   {"LEFTY", zest::GamepadLeftY},    {"RIGHTX", zest::GamepadRightX},
    {"RIGHTY", zest::GamepadRightY}, {"LT", zest::GamepadLeftTrigger}, {"RT", zest::GamepadRightTrigger},
};

std::string NameFromTable(int value, std::span<const std::pair<const char*, int>> table)
{
    for (const auto& [entry, code] : table)
    {
        if (code == value)
            return entry;
    }
    return std::to_string(value);
}
} // namespace

std::optional<int> PadButtonFromName(const std::string& name)
{
    return FromTable(name, PadButtonNames);
}

std::optional<int> PadAxisFromName(const std::string& name)
{
    return FromTable(name, PadAxisNames);
}

std::optional<PlayScript> ParsePlayScript(const std::string& text, std::string& error)
{
    PlayScript script;
    std::istringstream lines(text);
    std::string line;
    int lineNumber = 0;
    auto fail = [&](const std::string& why)
    {
        error = "line " + std::to_string(lineNumber) + ": " + why;
        return std::nullopt;
    };
    while (std::getline(lines, line))
    {
        lineNumber++;
        if (size_t hash = line.find('#'); hash != std::string::npos)
            line.erase(hash);
        std::istringstream words(line);
        std::vector<std::string> parts;
        for (std::string word; words >> word;)
            parts.push_back(word);
        if (parts.empty())
            continue;
        if (parts.size() < 2)
            return fail("expected UPDATE ACTION ...");
        std::optional<int> update = ParseInt(parts[0]);
        if (!update || *update < 1)
            return fail("bad update number '" + parts[0] + "' (1 or more)");
        PlayAction action;
        action.update = *update;
        action.line = lineNumber;
        const std::string& verb = parts[1];
        auto wantArgs = [&](size_t count) { return parts.size() == count + 2; };
        if (verb == "click" || verb == "down" || verb == "up" || verb == "move")
        {
            if (!wantArgs(2))
                return fail(verb + " takes X Y");
            std::optional<int> x = ParseInt(parts[2]);
            std::optional<int> y = ParseInt(parts[3]);
            if (!x || !y || *x < -32768 || *x > 32767 || *y < -32768 || *y > 32767)
                return fail("bad coordinates");
            action.x = *x;
            action.y = *y;
            action.kind = verb == "click"  ? PlayAction::Kind::Click
                          : verb == "down" ? PlayAction::Kind::Down
                          : verb == "up"   ? PlayAction::Kind::Up
                                           : PlayAction::Kind::Move;
        }
        else if (verb == "key")
        {
            if (!wantArgs(1))
                return fail("key takes one virtual key");
            std::optional<int> key = KeyFromName(parts[2]);
            if (!key)
                return fail("unknown key '" + parts[2] + "'");
            action.kind = PlayAction::Kind::Key;
            action.key = *key;
        }
        else if (verb == "keydown" || verb == "keyup")
        {
            if (!wantArgs(1))
                return fail(verb + " takes one virtual key");
            std::optional<int> key = KeyFromName(parts[2]);
            if (!key)
                return fail("unknown key '" + parts[2] + "'");
            action.kind = verb == "keydown" ? PlayAction::Kind::KeyDown : PlayAction::Kind::KeyUp;
            action.key = *key;
        }
        else if (verb == "pad")
        {
            if (!wantArgs(2))
                return fail("pad takes BUTTON down|up or AXIS VALUE");
            if (std::optional<int> button = PadButtonFromName(parts[2]))
            {
                if (parts[3] != "down" && parts[3] != "up")
                    return fail("pad " + parts[2] + " takes down or up");
                action.kind = PlayAction::Kind::PadButton;
                action.padCode = *button;
                action.padValue = parts[3] == "down" ? 1 : 0;
            }
            else if (std::optional<int> axis = PadAxisFromName(parts[2]))
            {
                std::optional<int> value = ParseInt(parts[3]);
                if (!value || *value < -32768 || *value > 32767)
                    return fail("bad axis value '" + parts[3] + "' (-32768 to 32767)");
                action.kind = PlayAction::Kind::PadAxis;
                action.padCode = *axis;
                action.padValue = *value;
            }
            else
                return fail("unknown gamepad button or axis '" + parts[2] + "'");
        }
        else if (verb == "shot" || verb == "same")
        {
            if (!wantArgs(1))
                return fail(verb + " takes one file name");
            action.kind = verb == "shot" ? PlayAction::Kind::Shot : PlayAction::Kind::Same;
            action.file = parts[2];
        }
        else if (verb == "expect")
        {
            if (parts.size() < 4)
                return fail("expect takes FIELD VALUE");
            action.kind = PlayAction::Kind::Expect;
            action.field = parts[2];
            if (std::find(std::begin(KnownFields), std::end(KnownFields), action.field) == std::end(KnownFields))
                return fail("unknown field '" + action.field + "'");
            // A dialog header may hold blanks: the value is the rest of the line.
            for (size_t i = 3; i < parts.size(); i++)
                action.value += (i > 3 ? " " : "") + parts[i];
        }
        else if (verb == "end")
        {
            if (!wantArgs(0))
                return fail("end takes nothing");
            action.kind = PlayAction::Kind::End;
        }
        else
        {
            return fail("unknown action '" + verb + "'");
        }
        script.actions.push_back(std::move(action));
    }
    std::stable_sort(script.actions.begin(), script.actions.end(),
                     [](const PlayAction& a, const PlayAction& b) { return a.update < b.update; });
    return script;
}

std::optional<PlayScript> LoadPlayScript(const std::string& path, std::string& error)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
    {
        error = "cannot open " + path;
        return std::nullopt;
    }
    std::ostringstream text;
    text << file.rdbuf();
    return ParsePlayScript(text.str(), error);
}

std::string FormatPlayAction(const PlayAction& action)
{
    std::string line = std::to_string(action.update) + ' ';
    auto point = [&](const char* verb)
    { return line + verb + ' ' + std::to_string(action.x) + ' ' + std::to_string(action.y); };
    switch (action.kind)
    {
    case PlayAction::Kind::Click:
        return point("click");
    case PlayAction::Kind::Down:
        return point("down");
    case PlayAction::Kind::Up:
        return point("up");
    case PlayAction::Kind::Move:
        return point("move");
    case PlayAction::Kind::Key:
        return line + "key " + std::to_string(action.key);
    case PlayAction::Kind::KeyDown:
        return line + "keydown " + std::to_string(action.key);
    case PlayAction::Kind::KeyUp:
        return line + "keyup " + std::to_string(action.key);
    case PlayAction::Kind::PadButton:
        return line + "pad " + NameFromTable(action.padCode, PadButtonNames) + (action.padValue ? " down" : " up");
    case PlayAction::Kind::PadAxis:
        return line + "pad " + NameFromTable(action.padCode, PadAxisNames) + ' ' + std::to_string(action.padValue);
    case PlayAction::Kind::Shot:
        return line + "shot " + action.file;
    case PlayAction::Kind::Same:
        return line + "same " + action.file;
    case PlayAction::Kind::Expect:
        return line + "expect " + action.field + ' ' + action.value;
    case PlayAction::Kind::End:
        break;
    }
    return line + "end";
}

std::optional<PrefixHeader> ParsePrefixHeader(const std::string& text)
{
    std::string first = text.substr(0, text.find('\n'));
    if (!first.empty() && first.back() == '\r')
        first.pop_back();
    std::istringstream words(first);
    std::string hash, firstWord, drawsWord, firstValue, drawsValue, extra;
    words >> hash >> firstWord >> firstValue >> drawsWord >> drawsValue;
    if (hash != "#" || firstWord != "first-level-update" || drawsWord != "draws-before" || (words >> extra))
        return std::nullopt;
    const std::optional<int> firstUpdate = ParseInt(firstValue);
    const std::optional<int> draws = ParseInt(drawsValue);
    if (!firstUpdate || !draws || *firstUpdate < 1 || *draws < 0)
        return std::nullopt;
    return PrefixHeader{*firstUpdate, *draws};
}

std::string FormatPrefixHeader(const PrefixHeader& header)
{
    return "# first-level-update " + std::to_string(header.firstLevelUpdate) + " draws-before " +
           std::to_string(header.drawsBefore);
}

bool ReadScriptPresses(const PlayScript& script, const PrefixHeader& prefix, std::vector<ScriptPress>& presses,
                       std::string& error)
{
    std::vector<ScriptPress> found;
    bool held = false;
    ScriptPress press;
    for (const PlayAction& action : script.actions)
    {
        const bool down = action.kind == PlayAction::Kind::Down;
        if (!down && action.kind != PlayAction::Kind::Up)
            continue;
        // Events before the level's first update belong to the menus.
        const int levelUpdate = action.update - prefix.firstLevelUpdate + 1;
        if (levelUpdate < 1)
            continue;
        if (down == held)
        {
            error = "line " + std::to_string(action.line) +
                    (held ? ": a second down before the up" : ": an up without a down");
            return false;
        }
        if (down)
            press = {levelUpdate, 0, action.x, action.y};
        else
        {
            press.up = levelUpdate;
            found.push_back(press);
        }
        held = down;
    }
    if (held)
    {
        error = "the last press is never released";
        return false;
    }
    presses = std::move(found);
    return true;
}

bool ReadScriptPresses(const std::string& text, const PrefixHeader& prefix, std::vector<ScriptPress>& presses,
                       std::string& error)
{
    std::optional<PlayScript> script = ParsePlayScript(text, error);
    return script && ReadScriptPresses(*script, prefix, presses, error);
}

std::string FormatScriptPress(const ScriptPress& press, int firstLevelUpdate)
{
    // Level update u (1-based) runs at harness update K + u - 1.
    const int base = firstLevelUpdate - 1;
    PlayAction action;
    action.kind = PlayAction::Kind::Down;
    action.update = base + press.down;
    action.x = press.x;
    action.y = press.y;
    std::string lines = FormatPlayAction(action) + '\n';
    action.kind = PlayAction::Kind::Up;
    action.update = base + press.up;
    return lines + FormatPlayAction(action) + '\n';
}

} // namespace tibble::play
