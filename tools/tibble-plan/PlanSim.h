// The planner's view of one headless run of a level: the level, a scripted mouse and one step (one level
// update, then one level draw). Made fresh at the level's start for every replay. Planner thread only.
#pragma once

#include <functional>
#include <memory>

namespace tibble
{
class Level;
}

namespace tibble::plan
{

class PlanSim
{
public:
    virtual ~PlanSim() = default;

    virtual Level& GetLevel() = 0;
    // The mouse as the widget manager records it: screen position and whether the left button is down.
    virtual void SetMouse(int x, int y, bool down) = 0;
    // One level update, then one draw: the update's answer (Level::GoOn, Completed or GameOver).
    virtual int Step() = 0;
    // Lives lost since the level began.
    virtual int LivesLost() const = 0;
};

// Makes a fresh run at the level's start (its draws before the first update already done), or none.
using PlanSimFactory = std::function<std::unique_ptr<PlanSim>()>;

} // namespace tibble::plan
