// The input script of tibble-sim: per update, mouse moves, presses and releases at screen coordinates,
// and the update after which the run stops. Lines "UPDATE down X Y", "UPDATE up X Y", "UPDATE move X Y",
// "UPDATE end"; "#" starts a comment. Plain data once parsed; one thread.
#pragma once

#include <cstddef>
#include <istream>
#include <optional>
#include <string>
#include <vector>

namespace tibble::sim
{

class SimHost;

class SimScript
{
public:
    struct Action
    {
        enum Kind
        {
            Move,
            Down,
            Up,
        };
        int update = 0;
        Kind kind = Move;
        int x = 0;
        int y = 0;
    };

    // Reads the whole script. False with error "line N: what is wrong" at the first bad line; the
    // script is unchanged then.
    [[nodiscard]] bool Parse(std::istream& in, std::string* error = nullptr);
    [[nodiscard]] bool Parse(const std::string& text, std::string* error = nullptr);

    // The actions in file order (update numbers never go back).
    const std::vector<Action>& Actions() const { return actions; }
    // The first update the script ends with, if any.
    std::optional<int> EndUpdate() const { return endUpdate; }

    // Gives the action to the host's mouse as the widget manager would record it.
    static void Apply(const Action& action, SimHost& host);

    // Walks the actions in update order: the actions of update u, from where the last call stopped.
    // Calls must come with rising u.
    template <class Fn> void ForUpdate(int u, Fn&& fn)
    {
        while (next < actions.size() && actions[next].update < u)
            next++;
        while (next < actions.size() && actions[next].update == u)
            fn(actions[next++]);
    }

private:
    std::vector<Action> actions;
    std::optional<int> endUpdate;
    size_t next = 0;
};

} // namespace tibble::sim
