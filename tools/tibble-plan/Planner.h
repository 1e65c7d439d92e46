// Beam search for an input script that completes a level: macro actions hold one hose for a while or
// wait; each state is reached by replaying its action list from a fresh run, and the candidates of a
// state are tried in forked copies of the replayed process (so nothing has to copy a Level). The result
// depends only on the level, the seed and the options. Planner thread only.
#pragma once

#include "Heuristic.h"
#include "PlanAction.h"
#include "PlanSim.h"

#include <string>
#include <vector>

namespace tibble::plan
{

struct PlanResult
{
    bool solved = false;
    std::vector<PlanAction> actions; // the last one is the wait that ends with the completion
    int updates = 0;                 // level updates up to and including the completing one
    int presses = 0;
    int expansions = 0; // states whose candidates were tried
    int depth = 0;
    double seconds = 0;
    StateScore best; // best state reached when not solved
    std::vector<PlanAction> bestActions; // and the actions that reach it
};

class Planner
{
public:
    struct Options
    {
        int beamWidth = 10;
        double budgetSeconds = 240;
        int lookahead = 800;
        int jobs = 1; // candidates tried at the same time
        bool useFork = true;
        bool verbose = false;
        std::vector<int> pressDurations{8, 20, 45, 90, 180};
        std::vector<int> waits{30, 120, 400};
    };

    Planner(PlanSimFactory factory, Options options);

    PlanResult Solve();

    // Plays one action on a run: presses the hose's grab point (filling in the screen point) or waits.
    // Answers the update count played; completed is set when the level was completed on the last of
    // them (the action stops there). False in ok when the hose is not live and on screen.
    static int PlayAction(PlanSim& sim, PlanAction& action, bool& completed, bool& gameOver, bool& ok);
    // Where the player can press a live hose now, or false.
    static bool PressPoint(Level& level, int hoseRecord, int& x, int& y);

private:
    struct Node
    {
        std::vector<PlanAction> actions;
        int updates = 0;
        double value = 0;
    };
    struct Outcome
    {
        int valid = 0;
        int completedAfter = 0; // updates after the node's end when completed, else 0
        int candidateUpdates = 0;
        int mouseX = 0;
        int mouseY = 0;
        int livesLost = 0;
        int nectar = 0;
        int distance = 0;
        int exitOpen = 0;
        int beeColumn = 0;
        int beeRow = 0;
        int beeState = 0;
        double value = 0;
    };

    std::vector<PlanAction> Candidates(Level& level) const;
    Outcome Evaluate(PlanSim& sim, PlanAction candidate) const;
    std::vector<Outcome> EvaluateAll(PlanSim& sim, const std::vector<PlanAction>& candidates) const;
    std::unique_ptr<PlanSim> Replay(const Node& node, bool& ok) const;

    PlanSimFactory factory;
    Options options;
};

} // namespace tibble::plan
