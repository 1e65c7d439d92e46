// Turns a level plan into a tibble-play script: the harness's level-start prefix, the presses and releases
// at harness updates, and the expectation that the level was completed. Plain functions; any thread.
#pragma once

#include "PlanAction.h"

#include <cstdint>
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
    int playNumber = 1;     // 1..13, the level solved
    bool lastLevel = false; // the thirteenth: the finish dialog follows instead of the next level
    std::string finishDialogHeader = "CONGRATULATIONS";
    int settleUpdates = 20; // updates between the completion and the expectation
};

// The whole script: the prefix text, then one line per press and release, then the expectation and the end.
std::string WritePlayScript(const std::string& prefixText, const PrefixInfo& prefix,
                            const std::vector<PlanAction>& actions, int completionUpdate, const ScriptEnding& ending);

// One hose press of a script, in level updates (1-based): the button goes down before update down and up
// before update up, at screen point (x, y).
struct ScriptPress
{
    int down = 0;
    int up = 0;
    int x = 0;
    int y = 0;
};

// The presses of a tibble-play script that fall in the level (from the prefix's first level update on), in order.
// False with error naming the line when a down has no up, an up no down, or a line cannot be read.
bool ReadScriptPresses(const std::string& scriptText, const PrefixInfo& prefix, std::vector<ScriptPress>& presses,
                       std::string& error);

// How far a person's presses stray from a script's: each press's start and end move on their own by up to
// timeShift updates either way, its point by up to pixelShift pixels per axis.
struct PressShift
{
    int timeShift = 15;
    int pixelShift = 4;
    int shortestPress = 3; // updates: the quickest click a person makes
};

// The presses shifted at random (seeded): still in order, apart (one hand holds one hose at a time) and each at
// least shortestPress long, never before the level's first update.
std::vector<ScriptPress> ShiftPresses(const std::vector<ScriptPress>& presses, const PressShift& shift, uint32_t seed);

} // namespace tibble::plan
