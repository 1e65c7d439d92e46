// The byte scripts that drive every agent's animation (and the bee's wing flag). A constant table;
// any thread.
#pragma once

#include <cstdint>

namespace tibble
{

inline constexpr int AnimScriptCount = 26;
inline constexpr int AnimScriptLength = 9;

// A byte >= 0 shows that cel; negative bytes are steps.
enum AnimStep : int8_t
{
    StepWingsOff = -8,
    StepWingsOn = -7,
    StepBackToBase = -6, // scriptPos 0, script := baseScript, delay := wait := 8
    StepFinished = -5,   // finished := true
    StepHold = -4,       // wait := -1, the current cel stays
    StepGoto = -3,       // followed by N: continue with script N from its first byte
    StepDelay = -2,      // followed by N: delay := wait := N
    StepRepeat = -1,     // back to the first byte, wait := delay
};

extern const int8_t AnimScript[AnimScriptCount][AnimScriptLength];

} // namespace tibble
