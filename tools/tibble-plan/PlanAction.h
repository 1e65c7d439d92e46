// One macro action of a level plan (hold a hose for a while, or wait) and a whole plan as a list of them.
// Plain values, copied freely by the planner; any thread.
#pragma once

#include <string>
#include <vector>

namespace tibble::plan
{

struct PlanAction
{
    // Map record index of the hose to hold, or -1 to wait without touching anything.
    int hose = -1;
    // Updates the button stays down (hose) or updates of waiting.
    int duration = 0;
    // Screen point pressed, filled in when the action is played (the hose's grab point minus the camera).
    int mouseX = 0;
    int mouseY = 0;
};

// Updates the button stays up after a press, so that a release and the next press never share an update.
constexpr int ReleaseGap = 2;

// Updates an action takes in play.
inline int ActionLength(const PlanAction& action)
{
    return action.hose >= 0 ? action.duration + ReleaseGap : action.duration;
}

std::string DescribeAction(const PlanAction& action);

} // namespace tibble::plan
