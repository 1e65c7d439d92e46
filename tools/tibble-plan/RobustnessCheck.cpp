#include "RobustnessCheck.h"

#include "Planner.h"

#include "garden/Bee.h"
#include "garden/Level.h"
#include "garden/MapObject.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace tibble::plan
{
namespace
{

// A press counts as aimed at a hose when the hose's grab point lies this close to it.
constexpr int AimRadius = 40;

// Nominal runs that never complete still stop: an hour of play.
constexpr int NominalLimit = 360000;

// A move longer than this in one update is a trumpet's transport, not a flight.
constexpr int TeleportDistance = 64;

// What a run's trail has seen so far: the tiles already listed and where the bee was after the last update.
struct TrailState
{
    std::vector<char> seen;
    bool started = false;
    int lastX = 0;
    int lastY = 0;
};

// Adds the tiles the bee's collision box swept since the last update, widened by the pixel its next move may reach,
// that the run has not touched before: the trail lists tiles in the order the bee first came to them. Sweeping
// from the last position covers the tiles a fast bee (thrown by a trap or a tomato) tests on its way.
void AddTrailTiles(const Level& level, TrailState& state, std::vector<int>& trail)
{
    const Bee& bee = level.GetBee();
    const int reach = Bee::HalfBox + 1;
    const int cx = static_cast<int>(bee.centreX);
    const int cy = static_cast<int>(bee.centreY);
    // A trumpet moves the bee from one place to another at once: nothing between them is swept.
    const bool jumped = std::abs(cx - state.lastX) > TeleportDistance || std::abs(cy - state.lastY) > TeleportDistance;
    if (!state.started || jumped)
    {
        state.lastX = cx;
        state.lastY = cy;
        state.started = true;
    }
    const int width = level.GetWidth();
    const int height = level.GetHeight();
    state.seen.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    const int top = std::max(0, (std::min(cy, state.lastY) - reach) >> 6);
    const int bottom = std::min(height - 1, (std::max(cy, state.lastY) + reach) >> 6);
    const int left = std::max(0, (std::min(cx, state.lastX) - reach) >> 6);
    const int right = std::min(width - 1, (std::max(cx, state.lastX) + reach) >> 6);
    for (int row = top; row <= bottom; row++)
        for (int column = left; column <= right; column++)
        {
            const int tile = row * width + column;
            if (!state.seen[static_cast<size_t>(tile)])
            {
                state.seen[static_cast<size_t>(tile)] = 1;
                trail.push_back(tile);
            }
        }
    state.lastX = cx;
    state.lastY = cy;
}

} // namespace

RobustnessCheck::RobustnessCheck(PlanSimFactory factory, std::vector<ScriptPress> presses, Options options)
    : factory(std::move(factory)), presses(std::move(presses)), options(options)
{
}

std::vector<int> RobustnessCheck::FindTargets(int& completedAt, std::vector<int>* trail,
                                              std::vector<int>& nectarUpdates) const
{
    std::vector<int> targets(presses.size(), -1);
    completedAt = 0;
    std::unique_ptr<PlanSim> sim = factory();
    if (!sim)
        return targets;
    size_t next = 0;
    bool held = false;
    TrailState trailState;
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
        const int nectarBefore = sim->GetLevel().GetNectarCollected();
        const int answer = sim->Step();
        if (sim->GetLevel().GetNectarCollected() > nectarBefore)
            nectarUpdates.push_back(update);
        if (trail)
            AddTrailTiles(sim->GetLevel(), trailState, *trail);
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

int RobustnessCheck::Play(const std::vector<ScriptPress>& run, const std::vector<int>& targets, int limit,
                          std::vector<int>* trail, RobustnessReport::Outcome& outcome) const
{
    std::unique_ptr<PlanSim> sim = factory();
    if (!sim)
        return 0;
    size_t next = 0;
    bool held = false;
    TrailState trailState;
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
        const Level& level = sim->GetLevel();
        if (level.GetNectarCollected() > outcome.nectar)
        {
            outcome.nectar = level.GetNectarCollected();
            outcome.lastNectarUpdate = update;
        }
        outcome.livesLost = sim->LivesLost();
        outcome.beeX = static_cast<int>(level.GetBee().centreX);
        outcome.beeY = static_cast<int>(level.GetBee().centreY);
        if (trail)
            AddTrailTiles(level, trailState, *trail);
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
    std::vector<int> nominalTrail;
    const std::vector<int> targets =
        FindTargets(report.nominalUpdates, options.trails ? &nominalTrail : nullptr, report.nectarUpdates);
    if (options.trails)
        report.trails.push_back(std::move(nominalTrail));
    report.nominalCompleted = report.nominalUpdates > 0;
    const int lastPress = presses.empty() ? 0 : presses.back().up;
    const int limit = std::max(report.nominalUpdates, lastPress) + options.slack;
    for (int i = 0; i < options.runs; i++)
    {
        const std::vector<ScriptPress> run =
            ShiftPresses(presses, options.shift, options.seed + static_cast<uint32_t>(i) * 7919u);
        std::vector<int> trail;
        RobustnessReport::Outcome outcome;
        const int finished = Play(run, targets, limit, options.trails ? &trail : nullptr, outcome);
        report.outcomes.push_back(outcome);
        if (options.trails)
            report.trails.push_back(std::move(trail));
        report.finishUpdates.push_back(finished);
        report.runs++;
        report.completed += finished > 0 ? 1 : 0;
    }
    return report;
}

} // namespace tibble::plan
