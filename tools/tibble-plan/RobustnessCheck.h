// Replays a solution script many times with a person's inaccuracy: every press starts and ends a random number of
// updates early or late and lands a few pixels off. A press aims at the hose the script pressed, wherever that hose
// is on the screen at the shifted moment, as a player's eye follows it. Answers how many of the runs still complete
// the level. Seeded, so the same options give the same answer. Planner thread only.
#pragma once

#include "PlanSim.h"
#include "PlanScript.h"

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
    // Per run, where it stood when it stopped: the nectar collected, the update of its last nectar, lives lost and
    // the bee's centre. For a failing run the last nectar names the hop that went wrong; the nominal run's
    // nectarUpdates list every hop's update to compare with.
    struct Outcome
    {
        int nectar = 0;
        int lastNectarUpdate = 0;
        int livesLost = 0;
        int beeX = 0;
        int beeY = 0;
    };
    std::vector<Outcome> outcomes;
    std::vector<int> nectarUpdates; // the script as written: the update of each nectar gained
    // With Options::trails: per run, the script as written first, every tile (row * width + column) the bee's
    // collision box came within a pixel of, in the order it first came to them. Hedges placed outside a completing
    // run's trail leave that run exactly as it was, which is how a designer wraps architecture round a route
    // without breaking it; where a failing run first leaves the completing runs' tiles is where it went astray.
    std::vector<std::vector<int>> trails;
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
        bool trails = false;
    };

    RobustnessCheck(PlanSimFactory factory, std::vector<ScriptPress> presses, Options options);

    RobustnessReport Run();

private:
    // Plays the presses of run on a fresh run until the level completes, the game ends or limit updates passed; answers
    // the completing update or 0. targets gives each press's hose record (-1: press the written point).
    // With a trail, adds the tiles the bee's box touches after every update.
    int Play(const std::vector<ScriptPress>& run, const std::vector<int>& targets, int limit, std::vector<int>* trail,
             RobustnessReport::Outcome& outcome) const;
    // The hose record under each press of the script as written, found on a nominal replay, and the update of
    // each nectar it gains.
    std::vector<int> FindTargets(int& completedAt, std::vector<int>* trail, std::vector<int>& nectarUpdates) const;

    PlanSimFactory factory;
    std::vector<ScriptPress> presses;
    Options options;
};

} // namespace tibble::plan
