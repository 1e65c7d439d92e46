// libFuzzer harness for tibble-play scripts: any text is read as a script; a script that reads keeps its
// actions in update order.
#include "playscript/PlayScript.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string error;
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::optional<tibble::play::PlayScript> script = tibble::play::ParsePlayScript(text, error);
    if (!script)
        return 0;
    for (size_t i = 1; i < script->actions.size(); ++i)
        if (script->actions[i].update < script->actions[i - 1].update)
            __builtin_trap();
    return 0;
}
