#include "PlayScript.h"

#include <cstdio>
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

} // namespace tibble::plan
