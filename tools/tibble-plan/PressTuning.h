// Edits a solution script's presses so that a person's hand can follow it: runs of taps on one point joined into
// holds, and presses moved a little at a time while the robustness replay says more shifted runs complete. Lines
// other than the level's presses are kept; the closing lines follow the level's completion. Planner thread only.
#pragma once

#include "PlanScript.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tibble::plan
{

// Every run of presses on the same point, each starting within gap updates of the last one's release, joined into
// one press from the first start to the last release. One entry per press given: the joined press at the first of
// each run, none for the others.
std::vector<std::optional<ScriptPress>> HoldPresses(const std::vector<ScriptPress>& presses, int gap);

// The script with each of its level presses (those from the prefix's first level update on, in order) written as
// its replacement where its down line stood, or dropped when the replacement is none; every other line stays where
// it is, and the lines after the last press have their updates moved by tailShift. False when the script does not
// read or has another number of presses.
[[nodiscard]] bool ReplacePresses(const std::string& scriptText, const PrefixHeader& prefix,
                                  const std::vector<std::optional<ScriptPress>>& replacements, int tailShift,
                                  std::string& out, std::string& error);

struct PolishOptions
{
    std::vector<uint32_t> seeds{1, 2, 3};
    int rounds = 1;
    bool wide = false;  // bolder moves as well
    int windowFrom = 0; // only presses that start between these script (harness) updates
    int windowTo = 1 << 30;
    int shortest = 20;           // updates: no press is made shorter than this
    double budgetSeconds = 2400; // stops trying after this long
};

// Shifted runs that complete, summed over the seeds, and the update the script as written completes at; the sum is
// -1 when the script as written does not complete.
struct PolishScore
{
    int completed = -1;
    int completesAt = 0;
};

using PolishJudge = std::function<PolishScore(const std::vector<ScriptPress>& presses, uint32_t seed)>;

class PressPolish
{
public:
    // judge replays presses for one seed (a RobustnessCheck in the tool, a stand-in in tests).
    PressPolish(PolishJudge judge, PolishOptions options);

    // Tries, press by press, each move (the end later or earlier, the start earlier or later) and keeps each that
    // raises the summed score while the script as written still completes. kept is called after every kept move
    // with the presses and the completion shift so far. Presses stay in order, never overlap and stay at least
    // options.shortest long. Answers the final score; completed -1 when the script as given does not complete.
    PolishScore Run(std::vector<ScriptPress>& presses, int firstLevelUpdate,
                    const std::function<void(const std::vector<ScriptPress>&, int completionShift)>& kept);

private:
    PolishScore Score(const std::vector<ScriptPress>& presses) const;

    PolishJudge judge;
    PolishOptions options;
};

} // namespace tibble::plan
