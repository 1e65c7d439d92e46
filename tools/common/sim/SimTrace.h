// The values of one trace line, as a plain struct so that callers can judge a state without parsing
// text, and the line formatter the tool prints. Plain data; any thread.
#pragma once

#include <string>

namespace tibble::sim
{

struct SimTrace
{
    int update = 0; // update number, from 1
    int x = 0;      // the bee's integer top-left, level pixels
    int y = 0;
    float vx = 0; // the bee's velocity
    float vy = 0;
    int state = 0;    // Bee::FreeFlight ... Bee::Tumbling
    int nectar = 0;   // nectar collected
    int barShown = 0; // honey bar as drawn, pixels
    int cameraX = 0;
    int cameraY = 0;

    // "U X Y VX VY STATE NECTAR BARSHOWN CAMX CAMY", velocity with 5 decimals, no newline.
    std::string Format() const;
};

} // namespace tibble::sim
