// Runs the level planner (tibble-plan, beside the editor) on a background thread: the level's map goes to a
// temporary file, the planner's progress lines are read as they come, Cancel stops it. When it finds a
// solution, the tibble-play script is kept and the bee's route is worked out from it by replaying it in the
// garden, a slice at a time on the main thread (the garden shares the game's images). Owned by the editor
// screen; Start, Cancel and the getters from the main thread.
#pragma once

#include "playscript/PlayScript.h"

#include "base/Color.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <sys/types.h>
#include <thread>
#include <vector>

namespace tibble::sim
{
class SimRun;
}

namespace tibble::edit
{

class PlanRunner
{
public:
    enum class State
    {
        Idle,
        Running,
        Solved,
        Failed,
        Cancelled,
    };

    struct Request
    {
        std::string planner;    // the tibble-plan program
        std::string dataFolder; // the game's data
        std::string prefixFile; // the level-start prefix of the play scripts
        std::vector<uint8_t> map;
        int levelIndex = 0;
        int budgetSeconds = 120;
    };

    PlanRunner();
    ~PlanRunner();
    PlanRunner(const PlanRunner&) = delete;
    PlanRunner& operator=(const PlanRunner&) = delete;

    // False with error when a search runs already or the planner cannot be started.
    bool Start(const Request& request, std::string& error);
    // Stops a running search (the state becomes Cancelled).
    void Cancel();

    State GetState() const;
    // 0..1: the search time used of the budget.
    double Progress() const;
    // The planner's last progress line, or why it failed.
    std::string Message() const;
    // The tibble-play script of the solution (Solved only).
    std::string Script() const;

    // Replays up to maxUpdates more of the solution to extend the route; answers whether the route is complete.
    bool TraceRoute(int maxUpdates = 2000);
    const std::vector<zest::Point>& Route() const { return route; }

private:
    void Run(std::vector<std::string> arguments);
    void Finish(State state, const std::string& message);

    mutable std::mutex mutex;
    State state = State::Idle;
    std::string message;
    std::string script;
    std::thread thread;
    std::atomic<pid_t> child{0};
    std::atomic<bool> cancelled{false};
    int64_t startedMs = 0;
    int budgetSeconds = 1;
    std::string mapFile;
    std::string outFile;

    // Route replay.
    std::vector<uint8_t> map;
    int levelIndex = 0;
    play::PrefixHeader prefix;
    struct Press
    {
        int update; // level update before which it happens
        bool down;
        int x;
        int y;
    };
    std::vector<Press> presses;
    size_t nextPress = 0;
    std::unique_ptr<sim::SimRun> replay;
    bool routeDone = false;
    std::vector<zest::Point> route;
};

} // namespace tibble::edit
