// Turns a level plan into a tibble-play script (the harness's level-start prefix, the presses and releases at
// harness updates, the expectation that the level was completed), and shifts a script's presses as a person's
// timing would. Reading and formatting script lines is the shared play-script module's. Plain functions; any thread.
#pragma once

#include "PlanAction.h"

#include "playscript/PlayScript.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tibble::plan
{

using play::PrefixHeader;
using play::ScriptPress;

struct ScriptEnding
{
    int playNumber = 1;     // 1..LevelCount, the level solved
    bool lastLevel = false; // the last level: the finish dialog follows instead of the next level
    std::string finishDialogHeader = "CONGRATULATIONS";
    int settleUpdates = 20; // updates between the completion and the expectation
};

// The whole script: the prefix text, then one line per press and release, then the expectation and the end.
std::string WritePlanScript(const std::string& prefixText, const PrefixHeader& prefix,
                            const std::vector<PlanAction>& actions, int completionUpdate, const ScriptEnding& ending);

// How far a person's presses stray from a script's: each press's start and end move on their own by up to
// timeShift updates either way, its point by up to pixelShift pixels per axis. The person's errors are in real
// time: at a game speed below 100 % the garden runs fewer updates in the same real time, so a shift of timeShift
// real-time updates lands as timeShift * speedPercent / 100 garden updates (rounded), and so does the quickest
// click.
struct PressShift
{
    int timeShift = 15;
    int pixelShift = 4;
    int shortestPress = 3;   // real-time updates: the quickest click a person makes
    int speedPercent = 100; // the game speed the person plays at
};

// The presses shifted at random (seeded): still in order, apart (one hand holds one hose at a time) and each at
// least shortestPress long, never before the level's first update.
std::vector<ScriptPress> ShiftPresses(const std::vector<ScriptPress>& presses, const PressShift& shift, uint32_t seed);

} // namespace tibble::plan
