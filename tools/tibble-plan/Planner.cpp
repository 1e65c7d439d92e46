#include "Planner.h"

#include "garden/Agent.h"
#include "garden/Bee.h"
#include "garden/Hose.h"
#include "garden/Level.h"
#include "garden/MapObject.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <tuple>

namespace tibble::plan
{
namespace
{

// The board's MENU button (26, 5, 100 x 30) with a margin: pressing there would pause the game.
bool UnderMenuButton(int x, int y)
{
    return x >= 22 && x < 130 && y >= 1 && y < 39;
}

constexpr int CaptiveLimit = 600; // updates a landing approach may take

double Elapsed(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

bool ReadAll(int fd, void* data, size_t size)
{
    auto* bytes = static_cast<char*>(data);
    size_t done = 0;
    while (done < size)
    {
        const ssize_t n = read(fd, bytes + done, size - done);
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

void WriteAll(int fd, const void* data, size_t size)
{
    const auto* bytes = static_cast<const char*>(data);
    size_t done = 0;
    while (done < size)
    {
        const ssize_t n = write(fd, bytes + done, size - done);
        if (n <= 0)
            return;
        done += static_cast<size_t>(n);
    }
}

} // namespace

std::string DescribeAction(const PlanAction& action)
{
    char text[96];
    if (action.hose < 0)
        std::snprintf(text, sizeof text, "wait %d", action.duration);
    else
        std::snprintf(text, sizeof text, "hose #%d for %d at (%d, %d)", action.hose, action.duration, action.mouseX,
                      action.mouseY);
    return text;
}

Planner::Planner(PlanSimFactory factory, Options options) : factory(std::move(factory)), options(std::move(options))
{
}

bool Planner::PressPoint(Level& level, int hoseRecord, int& x, int& y)
{
    std::span<MapObject> objects = level.GetObjects();
    if (hoseRecord < 0 || hoseRecord >= static_cast<int>(objects.size()))
        return false;
    const MapObject& record = objects[static_cast<size_t>(hoseRecord)];
    if (record.type != TypeHose || record.agentSlot < 0)
        return false;
    auto* hose = dynamic_cast<Hose*>(level.GetAgent(record.agentSlot));
    if (!hose)
        return false;
    x = hose->grabX - level.GetCameraX();
    y = hose->grabY - level.GetCameraY();
    if (x < 0 || x >= Level::ScreenWidth || y < 0 || y >= Level::ScreenHeight || UnderMenuButton(x, y))
        return false;
    return true;
}

int Planner::PlayAction(PlanSim& sim, PlanAction& action, bool& completed, bool& gameOver, bool& ok)
{
    completed = false;
    gameOver = false;
    ok = true;
    int played = 0;
    auto step = [&]()
    {
        const int result = sim.Step();
        played++;
        if (result == Level::Completed)
            completed = true;
        if (result == Level::GameOver)
            gameOver = true;
        return !completed && !gameOver;
    };
    if (action.hose < 0)
    {
        for (int i = 0; i < action.duration; i++)
        {
            if (!step())
                return played;
        }
        return played;
    }
    int x = 0;
    int y = 0;
    if (!PressPoint(sim.GetLevel(), action.hose, x, y))
    {
        ok = false;
        return 0;
    }
    action.mouseX = x;
    action.mouseY = y;
    sim.SetMouse(x, y, true);
    for (int i = 0; i < action.duration; i++)
    {
        if (!step())
        {
            sim.SetMouse(x, y, false);
            return played;
        }
    }
    sim.SetMouse(x, y, false);
    for (int i = 0; i < ReleaseGap; i++)
    {
        if (!step())
            return played;
    }
    return played;
}

std::vector<PlanAction> Planner::Candidates(Level& level) const
{
    std::vector<PlanAction> candidates;
    std::span<MapObject> objects = level.GetObjects();
    for (size_t i = 0; i < objects.size(); i++)
    {
        int x = 0;
        int y = 0;
        if (objects[i].type != TypeHose || !PressPoint(level, static_cast<int>(i), x, y))
            continue;
        for (int duration : options.pressDurations)
            candidates.push_back({static_cast<int>(i), duration, x, y});
    }
    for (int wait : options.waits)
        candidates.push_back({-1, wait, 0, 0});
    return candidates;
}

Planner::Outcome Planner::Evaluate(PlanSim& sim, PlanAction candidate) const
{
    Outcome outcome;
    bool completed = false;
    bool gameOver = false;
    bool ok = true;
    const int played = PlayAction(sim, candidate, completed, gameOver, ok);
    if (!ok || gameOver)
        return outcome;
    outcome.valid = 1;
    outcome.candidateUpdates = played;
    outcome.mouseX = candidate.mouseX;
    outcome.mouseY = candidate.mouseY;
    Level& level = sim.GetLevel();
    const Bee& bee = level.GetBee();
    outcome.beeColumn = static_cast<int>(bee.centreX) / TileSize;
    outcome.beeRow = static_cast<int>(bee.centreY) / TileSize;
    outcome.beeState = bee.state;
    if (completed)
    {
        outcome.completedAfter = played;
        outcome.value = 1e12;
        return outcome;
    }
    // The state's worth is the best it leads to when left alone for a while.
    StateScore score = Heuristic::Score(level, sim.LivesLost());
    double best = score.value;
    StateScore bestScore = score;
    // A flower that took the bee (no longer steerable nor pushable, no gravity) but was deleted with the view,
    // or that keeps it circling, holds it for ever: no hose can help any more.
    int captive = 0;
    for (int i = 1; i <= options.lookahead; i++)
    {
        if (bee.state == Bee::FreeFlight && !bee.steerable)
        {
            if (++captive > CaptiveLimit)
            {
                outcome.value = -1e9;
                outcome.livesLost = sim.LivesLost();
                return outcome;
            }
        }
        else
        {
            captive = 0;
        }
        const int result = sim.Step();
        if (result == Level::Completed)
        {
            outcome.completedAfter = played + i;
            outcome.value = 1e12 - i;
            return outcome;
        }
        if (result == Level::GameOver)
        {
            outcome.valid = 0;
            return outcome;
        }
        if (i % 25 == 0 || i == options.lookahead)
        {
            score = Heuristic::Score(level, sim.LivesLost());
            if (score.value > best)
            {
                best = score.value;
                bestScore = score;
            }
        }
    }
    outcome.value = best;
    outcome.livesLost = sim.LivesLost();
    outcome.nectar = bestScore.nectar;
    outcome.distance = bestScore.distance;
    outcome.exitOpen = bestScore.exitOpen ? 1 : 0;
    return outcome;
}

std::vector<Planner::Outcome> Planner::EvaluateAll(PlanSim& sim, const std::vector<PlanAction>& candidates) const
{
    std::vector<Outcome> outcomes(candidates.size());
    if (!options.useFork)
        return outcomes; // filled by the caller through replays
    size_t next = 0;
    while (next < candidates.size())
    {
        struct Child
        {
            pid_t pid;
            int fd;
            size_t index;
        };
        std::vector<Child> children;
        for (int j = 0; j < std::max(1, options.jobs) && next < candidates.size(); j++, next++)
        {
            int fds[2];
            if (pipe(fds) != 0)
                break;
            std::fflush(nullptr);
            const pid_t pid = fork();
            if (pid == 0)
            {
                close(fds[0]);
                const Outcome outcome = Evaluate(sim, candidates[next]);
                WriteAll(fds[1], &outcome, sizeof outcome);
                close(fds[1]);
                _exit(0);
            }
            close(fds[1]);
            if (pid < 0)
            {
                close(fds[0]);
                break;
            }
            children.push_back({pid, fds[0], next});
        }
        if (children.empty())
            break;
        for (const Child& child : children)
        {
            Outcome outcome;
            if (ReadAll(child.fd, &outcome, sizeof outcome))
                outcomes[child.index] = outcome;
            close(child.fd);
            int status = 0;
            waitpid(child.pid, &status, 0);
        }
    }
    return outcomes;
}

std::unique_ptr<PlanSim> Planner::Replay(const Node& node, bool& ok) const
{
    ok = false;
    std::unique_ptr<PlanSim> sim = factory();
    if (!sim)
        return nullptr;
    for (PlanAction action : node.actions)
    {
        bool completed = false;
        bool gameOver = false;
        bool played = true;
        PlayAction(*sim, action, completed, gameOver, played);
        if (!played || completed || gameOver)
            return sim;
    }
    ok = true;
    return sim;
}

PlanResult Planner::Solve()
{
    const auto started = std::chrono::steady_clock::now();
    PlanResult result;
    std::vector<Node> beam(1);
    double bestValue = -1e300;

    while (Elapsed(started) < options.budgetSeconds)
    {
        result.depth++;
        struct Child
        {
            Node node;
            Outcome outcome;
            size_t order;
        };
        std::vector<Child> children;
        std::optional<Child> solution;
        for (size_t n = 0; n < beam.size(); n++)
        {
            bool ok = false;
            std::unique_ptr<PlanSim> sim = Replay(beam[n], ok);
            if (!sim || !ok)
                continue; // cannot happen when the runs are deterministic
            const std::vector<PlanAction> candidates = Candidates(sim->GetLevel());
            std::vector<Outcome> outcomes;
            if (options.useFork)
            {
                outcomes = EvaluateAll(*sim, candidates);
            }
            else
            {
                for (const PlanAction& candidate : candidates)
                {
                    std::unique_ptr<PlanSim> copy = Replay(beam[n], ok);
                    outcomes.push_back(copy && ok ? Evaluate(*copy, candidate) : Outcome{});
                }
            }
            result.expansions++;
            for (size_t c = 0; c < candidates.size(); c++)
            {
                const Outcome& outcome = outcomes[c];
                if (!outcome.valid)
                    continue;
                Child child;
                child.node = beam[n];
                PlanAction action = candidates[c];
                action.mouseX = outcome.mouseX;
                action.mouseY = outcome.mouseY;
                child.node.actions.push_back(action);
                child.node.updates += outcome.candidateUpdates;
                child.node.value = outcome.value;
                child.outcome = outcome;
                child.order = n * 1000 + c;
                if (outcome.completedAfter > 0)
                {
                    // Cut the plan at the completing update.
                    if (outcome.completedAfter <= outcome.candidateUpdates && action.hose >= 0)
                        child.node.actions.back().duration = std::min(action.duration, outcome.completedAfter);
                    child.node.updates = beam[n].updates + outcome.completedAfter;
                    if (outcome.completedAfter > outcome.candidateUpdates)
                        child.node.actions.push_back({-1, outcome.completedAfter - outcome.candidateUpdates, 0, 0});
                    if (!solution || child.node.updates < solution->node.updates)
                        solution = child;
                    continue;
                }
                children.push_back(std::move(child));
            }
        }
        if (solution)
        {
            result.solved = true;
            result.actions = solution->node.actions;
            result.updates = solution->node.updates;
            break;
        }
        if (children.empty())
            break;
        std::stable_sort(children.begin(), children.end(), [](const Child& a, const Child& b)
                         { return a.outcome.value != b.outcome.value ? a.outcome.value > b.outcome.value
                                                                     : a.order < b.order; });
        if (options.verbose)
        {
            const Child& top = children.front();
            std::fprintf(stderr, "depth %d  %.1fs  best %.0f  nectar %d  distance %d  exit %d  updates %d  %s\n",
                         result.depth, Elapsed(started), top.outcome.value, top.outcome.nectar, top.outcome.distance,
                         top.outcome.exitOpen, top.node.updates, DescribeAction(top.node.actions.back()).c_str());
        }
        if (children.front().outcome.value > bestValue)
        {
            bestValue = children.front().outcome.value;
            result.best.value = bestValue;
            result.best.nectar = children.front().outcome.nectar;
            result.best.distance = children.front().outcome.distance;
            result.best.exitOpen = children.front().outcome.exitOpen != 0;
            result.bestActions = children.front().node.actions;
        }
        // Keep the best state of each kind: same tile, nectar, exit and bee state count as the same.
        std::vector<Node> next;
        std::map<std::tuple<int, int, int, int, int>, int> seen;
        for (Child& child : children)
        {
            const auto key = std::make_tuple(child.outcome.beeColumn, child.outcome.beeRow, child.outcome.nectar,
                                             child.outcome.exitOpen, child.outcome.beeState);
            if (seen[key]++ > 0)
                continue;
            next.push_back(std::move(child.node));
            if (static_cast<int>(next.size()) >= options.beamWidth)
                break;
        }
        beam = std::move(next);
    }
    for (const PlanAction& action : result.actions)
        result.presses += action.hose >= 0 ? 1 : 0;
    result.seconds = Elapsed(started);
    return result;
}

} // namespace tibble::plan
