// libFuzzer harness for tibble-sim scripts: any text is read as a script; one that reads hands out each
// of its actions exactly once when walked update by update, and a failed read leaves the script as it was.
#include "sim/SimScript.h"

#include "FuzzScratch.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    tibble::sim::SimScript script;
    std::string error;
    if (!script.Parse(text, &error))
    {
        fuzz::Require(script.Actions().empty() && !script.EndUpdate() && !error.empty());
        return 0;
    }
    const auto& actions = script.Actions();
    size_t seen = 0;
    const int last = actions.empty() ? 0 : actions.back().update;
    // Walk the updates that have actions (they can be far apart), as the run does in rising order.
    for (size_t i = 0; i < actions.size(); ++i)
    {
        if (i > 0 && actions[i].update == actions[i - 1].update)
            continue;
        fuzz::Require(i == 0 || actions[i].update > actions[i - 1].update);
        script.ForUpdate(actions[i].update, [&](const tibble::sim::SimScript::Action& action) {
            fuzz::Require(action.update == actions[i].update);
            ++seen;
        });
    }
    if (last < INT_MAX)
        script.ForUpdate(last + 1, [&](const tibble::sim::SimScript::Action&) { fuzz::Require(false); });
    fuzz::Require(seen == actions.size());
    return 0;
}
