#include "RobustnessCheck.h"

#include "Planner.h"

#include "garden/Level.h"
#include "garden/MapObject.h"

#include <algorithm>
#include <climits>

namespace tibble::plan
{
namespace
{

// A press counts as aimed at a hose when the hose's grab point lies this close to it.
constexpr int AimRadius = 40;

// Nominal runs that never complete still stop: an hour of play.
constexpr int NominalLimit = 360000;

} // namespace

RobustnessCheck::RobustnessCheck(PlanSimFactory factory, std::vector<ScriptPress> presses, Options options)
    : factory(std::move(factory)), presses(std::move(presses)), options(options)
{
}

std::vector<int> RobustnessCheck::FindTargets(int& completedAt) const
{
    std::vector<int> targets(presses.size(), -1);
    completedAt = 0;
    std::unique_ptr<PlanSim> sim = factory();
    if (!sim)
        return targets;
    size_t next = 0;
    bool held = false;
    for (int update = 1; update <= NominalLimit; update++)
    {
        if (held && presses[next].up == update)
        {
            sim->SetMouse(presses[next].x, presses[next].y, false);
            held = false;
            next++;
        }
        if (!held && next < presses.size() && presses[next].down == update)
        {
            const ScriptPress& press = presses[next];
            Level& level = sim->GetLevel();
            int best = INT_MAX;
            std::span<MapObject> objects = level.GetObjects();
            for (size_t i = 0; i < objects.size(); i++)
            {
                int x = 0;
                int y = 0;
                if (!Planner::PressPoint(level, static_cast<int>(i), x, y))
                    continue;
                const int distance = (x - press.x) * (x - press.x) + (y - press.y) * (y - press.y);
                if (distance < best && distance <= AimRadius * AimRadius)
                {
                    best = distance;
                    targets[next] = static_cast<int>(i);
                }
            }
            sim->SetMouse(press.x, press.y, true);
            held = true;
        }
        const int answer = sim->Step();
        if (answer == Level::Completed)
        {
            completedAt = update;
            break;
        }
        if (answer == Level::GameOver)
            break;
    }
    return targets;
}

int RobustnessCheck::Play(const std::vector<ScriptPress>& run, const std::vector<int>& targets, int limit) const
{
    std::unique_ptr<PlanSim> sim = factory();
    if (!sim)
        return 0;
    size_t next = 0;
    bool held = false;
    int heldX = 0;
    int heldY = 0;
    for (int update = 1; update <= limit; update++)
    {
        if (held && run[next].up == update)
        {
            sim->SetMouse(heldX, heldY, false);
            held = false;
            next++;
        }
        if (!held && next < run.size() && run[next].down == update)
        {
            const ScriptPress& press = run[next];
            heldX = press.x;
            heldY = press.y;
            int x = 0;
            int y = 0;
            // The player looks for the hose where it is now; the pixel error stays the same.
            const ScriptPress& written = presses[next];
            if (targets[next] >= 0 && Planner::PressPoint(sim->GetLevel(), targets[next], x, y))
            {
                heldX = x + (press.x - written.x);
                heldY = y + (press.y - written.y);
            }
            sim->SetMouse(heldX, heldY, true);
            held = true;
        }
        const int answer = sim->Step();
        if (answer == Level::Completed)
            return update;
        if (answer == Level::GameOver)
            return 0;
    }
    return 0;
}

RobustnessReport RobustnessCheck::Run()
{
    RobustnessReport report;
    const std::vector<int> targets = FindTargets(report.nominalUpdates);
    report.nominalCompleted = report.nominalUpdates > 0;
    const int lastPress = presses.empty() ? 0 : presses.back().up;
    const int limit = std::max(report.nominalUpdates, lastPress) + options.slack;
    for (int i = 0; i < options.runs; i++)
    {
        const std::vector<ScriptPress> run =
            ShiftPresses(presses, options.shift, options.seed + static_cast<uint32_t>(i) * 7919u);
        const int finished = Play(run, targets, limit);
        report.finishUpdates.push_back(finished);
        report.runs++;
        report.completed += finished > 0 ? 1 : 0;
    }
    return report;
}

} // namespace tibble::plan
