#include "PlayScript.h"

#include <algorithm>
#include <cstdio>
#include <random>
#include <sstream>

namespace tibble::plan
{

std::optional<PrefixInfo> ParsePrefixHeader(const std::string& prefixText)
{
    std::istringstream in(prefixText);
    std::string line;
    while (std::getline(in, line))
    {
        PrefixInfo info;
        if (std::sscanf(line.c_str(), " # first-level-update %d draws-before %d", &info.firstLevelUpdate,
                        &info.drawsBefore) == 2)
            return info;
        if (!line.empty() && line[0] != '#')
            break;
    }
    return std::nullopt;
}

std::string WritePlayScript(const std::string& prefixText, const PrefixInfo& prefix,
                            const std::vector<PlanAction>& actions, int completionUpdate, const ScriptEnding& ending)
{
    std::string out = prefixText;
    if (!out.empty() && out.back() != '\n')
        out += '\n';
    char line[160];
    std::snprintf(line, sizeof line, "# level %d: %d updates, solution by tibble-plan\n", ending.playNumber,
                  completionUpdate);
    out += line;
    // Level update u (1-based) runs at harness update K + u - 1; an event written for a harness update
    // is applied before that update runs.
    const int base = prefix.firstLevelUpdate - 1;
    int update = 1;
    for (const PlanAction& action : actions)
    {
        if (action.hose >= 0)
        {
            std::snprintf(line, sizeof line, "%d down %d %d\n", base + update, action.mouseX, action.mouseY);
            out += line;
            std::snprintf(line, sizeof line, "%d up %d %d\n", base + update + action.duration, action.mouseX,
                          action.mouseY);
            out += line;
        }
        update += ActionLength(action);
    }
    const int check = base + completionUpdate + ending.settleUpdates;
    if (ending.lastLevel)
        std::snprintf(line, sizeof line, "%d expect screen dialog:%s\n", check, ending.finishDialogHeader.c_str());
    else
        std::snprintf(line, sizeof line, "%d expect level %d\n", check, ending.playNumber + 1);
    out += line;
    std::snprintf(line, sizeof line, "%d end\n", check + 1);
    out += line;
    return out;
}

bool ReadScriptPresses(const std::string& scriptText, const PrefixInfo& prefix, std::vector<ScriptPress>& presses,
                       std::string& error)
{
    presses.clear();
    std::istringstream in(scriptText);
    std::string line;
    int number = 0;
    bool held = false;
    ScriptPress press;
    while (std::getline(in, line))
    {
        number++;
        const size_t comment = line.find('#');
        if (comment != std::string::npos)
            line.erase(comment);
        int update = 0;
        char verb[16] = {};
        int x = 0;
        int y = 0;
        const int fields = std::sscanf(line.c_str(), " %d %15s %d %d", &update, verb, &x, &y);
        if (fields <= 0)
            continue;
        const std::string action = fields >= 2 ? verb : "";
        if (action != "down" && action != "up")
            continue; // clicks, expectations and the end are not presses
        if (fields != 4)
        {
            error = "line " + std::to_string(number) + ": a press needs an update and a point";
            return false;
        }
        // Events before the level's first update belong to the menus.
        const int levelUpdate = update - prefix.firstLevelUpdate + 1;
        if (levelUpdate < 1)
            continue;
        if ((action == "down") == held)
        {
            error =
                "line " + std::to_string(number) + (held ? ": a second down before the up" : ": an up without a down");
            return false;
        }
        if (action == "down")
            press = {levelUpdate, 0, x, y};
        else
        {
            press.up = levelUpdate;
            presses.push_back(press);
        }
        held = action == "down";
    }
    if (held)
    {
        error = "the last press is never released";
        return false;
    }
    return true;
}

std::vector<ScriptPress> ShiftPresses(const std::vector<ScriptPress>& presses, const PressShift& shift, uint32_t seed)
{
    std::mt19937 random(seed);
    auto uniform = [&random](int spread)
    { return spread > 0 ? std::uniform_int_distribution<int>(-spread, spread)(random) : 0; };
    std::vector<ScriptPress> out;
    out.reserve(presses.size());
    int free = 1; // first update the hand is free again
    for (const ScriptPress& press : presses)
    {
        ScriptPress shifted = press;
        shifted.down = std::max(press.down + uniform(shift.timeShift), free);
        shifted.up = std::max(press.up + uniform(shift.timeShift), shifted.down + std::max(1, shift.shortestPress));
        shifted.x = press.x + uniform(shift.pixelShift);
        shifted.y = press.y + uniform(shift.pixelShift);
        free = shifted.up + 1;
        out.push_back(shifted);
    }
    return out;
}

} // namespace tibble::plan
