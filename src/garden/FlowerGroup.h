// The shared state of the flowers, trumpets and hives that share a group number: a timer opened by
// sunflowers (or cycling for red roses), a kind byte and the count of undrained nectar flowers.
// Twenty per level, owned by the Level; main thread.
#pragma once

#include <cstdint>

namespace tibble
{

struct FlowerGroup
{
    // Low 7 bits of kind: the group's timer behaviour.
    static constexpr uint8_t KindSunflower = 1; // the timer runs out to -1
    static constexpr uint8_t KindRedRose = 2;   // the timer restarts at 500 and the top bit toggles
    static constexpr uint8_t KindTopBit = 0x80;

    int32_t timer = 0; // > 0 counting down each update; 0 idle; -1 expired or set for good
    uint8_t kind = 0;  // see above; in a rose group, the roses drained so far
    uint8_t count = 0; // nectar flowers of the group not yet drained
};

} // namespace tibble
