#include "PlanScript.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace tibble::plan
{

std::string WritePlanScript(const std::string& prefixText, const PrefixHeader& prefix,
                            const std::vector<PlanAction>& actions, int completionUpdate, const ScriptEnding& ending)
{
    std::string out = prefixText;
    if (!out.empty() && out.back() != '\n')
        out += '\n';
    out += "# level " + std::to_string(ending.playNumber) + ": " + std::to_string(completionUpdate) +
           " updates, solution by tibble-plan\n";
    // Level update u (1-based) runs at harness update K + u - 1; an event written for a harness update
    // is applied before that update runs.
    int update = 1;
    for (const PlanAction& action : actions)
    {
        if (action.hose >= 0)
            out += play::FormatScriptPress({update, update + action.duration, action.mouseX, action.mouseY},
                                           prefix.firstLevelUpdate);
        update += ActionLength(action);
    }
    play::PlayAction check;
    check.update = prefix.firstLevelUpdate - 1 + completionUpdate + ending.settleUpdates;
    check.kind = play::PlayAction::Kind::Expect;
    check.field = ending.lastLevel ? "screen" : "level";
    check.value = ending.lastLevel ? "dialog:" + ending.finishDialogHeader : std::to_string(ending.playNumber + 1);
    out += play::FormatPlayAction(check) + '\n';
    play::PlayAction end;
    end.update = check.update + 1;
    out += play::FormatPlayAction(end) + '\n';
    return out;
}

std::vector<ScriptPress> ShiftPresses(const std::vector<ScriptPress>& presses, const PressShift& shift, uint32_t seed)
{
    std::mt19937 random(seed);
    auto uniform = [&random](int spread)
    { return spread > 0 ? std::uniform_int_distribution<int>(-spread, spread)(random) : 0; };
    // Real-time updates as garden updates at the game speed; at 100 % the draw is used as it is.
    auto garden = [&shift](int realUpdates)
    { return static_cast<int>(std::lround(realUpdates * static_cast<double>(shift.speedPercent) / 100.0)); };
    const int shortest = std::max(1, garden(shift.shortestPress));
    std::vector<ScriptPress> out;
    out.reserve(presses.size());
    int free = 1; // first update the hand is free again
    for (const ScriptPress& press : presses)
    {
        ScriptPress shifted = press;
        shifted.down = std::max(press.down + garden(uniform(shift.timeShift)), free);
        shifted.up = std::max(press.up + garden(uniform(shift.timeShift)), shifted.down + shortest);
        shifted.x = press.x + uniform(shift.pixelShift);
        shifted.y = press.y + uniform(shift.pixelShift);
        free = shifted.up + 1;
        out.push_back(shifted);
    }
    return out;
}

} // namespace tibble::plan
