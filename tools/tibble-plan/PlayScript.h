// Turns a level plan into a tibble-play script: the harness's level-start prefix, the presses and releases
// at harness updates, and the expectation that the level was completed. Plain functions; any thread.
#pragma once

#include "PlanAction.h"

#include <optional>
#include <string>
#include <vector>

namespace tibble::plan
{

struct PrefixInfo
{
    int firstLevelUpdate = 1; // harness update that runs the level's first update
    int drawsBefore = 0;      // level draws before that update
};

// Reads "# first-level-update K draws-before D" from the prefix's first line; none when it is not there.
std::optional<PrefixInfo> ParsePrefixHeader(const std::string& prefixText);

struct ScriptEnding
{
    int playNumber = 1;      // 1..13, the level solved
    bool lastLevel = false;  // the thirteenth: the finish dialog follows instead of the next level
    std::string finishDialogHeader = "CONGRATULATIONS";
    int settleUpdates = 20;  // updates between the completion and the expectation
};

// The whole script: the prefix text, then one line per press and release, then the expectation and the end.
std::string WritePlayScript(const std::string& prefixText, const PrefixInfo& prefix,
                            const std::vector<PlanAction>& actions, int completionUpdate, const ScriptEnding& ending);

} // namespace tibble::plan
