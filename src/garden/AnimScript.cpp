#include "garden/AnimScript.h"

namespace tibble
{

// Unused bytes after a script's last step are 0; every script ends in a step that never reads on.
const int8_t AnimScript[AnimScriptCount][AnimScriptLength] = {
    {0, -4},                         // 0: cel 0, hold
    {1, -4},                         // 1: cel 1, hold
    {1, 2, 3, 4, -5, -4},            // 2: opening, finished, hold
    {5, -4},                         // 3: cel 5 (wilted), hold
    {4, 3, 2, 1, 0, -5, -4},         // 4: closing, finished, hold
    {0, 1, 2, 3, 4, -5, -4},         // 5: cels 0 to 4, finished, hold
    {2, -6},                         // 6: cel 2, back to base
    {3, 4, -1},                      // 7: cels 3, 4, repeat
    {-7, 2, 3, 4, 3, -6},            // 8: bee flying
    {-7, 0, 18, 0, 18, 1, 0, 1, -6}, // 9: bee rising
    {-7, 9, 19, 9, 19, 8, 9, 8, -6}, // 10: bee sinking
    {-8, 5, 6, 7, 6, 7, 6, 7, -1},   // 11: bee feeding
    {-8, 7, -4},                     // 12: bee landing
    {-8, -2, 5, 10, 11, 12, -3, 14}, // 13: bee tumbling, first part
    {13, 14, 15, 16, 17, -6},        // 14: bee tumbling, second part
    {5, -4},                         // 15: cel 5 (wilted rose), hold
    {1, 2, 3, 4, -5, -4},            // 16: opening, finished, hold
    {3, 2, 1, 0, -5, -4},            // 17: closing, finished, hold
    {-2, 10, 1, 2, 1, 0, -6},        // 18: tomato idle
    {-2, 4, 4, 5, 6, 7, -1},         // 19: tomato bursting
    {0, -1},                         // 20: cel 0, repeat
    {-8, 20, -4},                    // 21: bee in a trumpet
    {0, 1, -1},                      // 22: fly trap idle
    {4, -4},                         // 23: cel 4 (open), hold
    {3, 2, 1, 0, -4},                // 24: closing, hold
    {4, -4},                         // 25: cel 4 (open), hold
};

} // namespace tibble
