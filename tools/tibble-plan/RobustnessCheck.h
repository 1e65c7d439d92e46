// Replays a solution script many times with a person's inaccuracy: every press starts and ends a random number of
// updates early or late and lands a few pixels off. A press aims at the hose the script pressed, wherever that hose
// is on the screen at the shifted moment, as a player's eye follows it. Answers how many of the runs still complete
// the level. Seeded, so the same options give the same answer. Planner thread only.
#pragma once

#include "PlanSim.h"
#include "PlayScript.h"

#include <cstdint>
#include <vector>

namespace tibble::plan
{

struct RobustnessReport
{
    bool nominalCompleted = false; // the script as written
    int nominalUpdates = 0;
    int runs = 0;
    int completed = 0;
    std::vector<int> finishUpdates; // per run: the completing update, or 0
};

class RobustnessCheck
{
public:
    struct Options
    {
        int runs = 40;
        PressShift shift;
        int slack = 3000; // updates a shifted run may take beyond the script's own completion
        uint32_t seed = 1;
    };

    RobustnessCheck(PlanSimFactory factory, std::vector<ScriptPress> presses, Options options);

    RobustnessReport Run();

private:
    // Plays the presses of run on a fresh run until the level completes, the game ends or limit updates passed; answers
    // the completing update or 0. targets gives each press's hose record (-1: press the written point).
    int Play(const std::vector<ScriptPress>& run, const std::vector<int>& targets, int limit) const;
    // The hose record under each press of the script as written, found on a nominal replay.
    std::vector<int> FindTargets(int& completedAt) const;

    PlanSimFactory factory;
    std::vector<ScriptPress> presses;
    Options options;
};

} // namespace tibble::plan
