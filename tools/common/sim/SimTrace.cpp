#include "sim/SimTrace.h"

#include <cstdio>

namespace tibble::sim
{

std::string SimTrace::Format() const
{
    char line[160];
    std::snprintf(line, sizeof(line), "%d %d %d %.5f %.5f %d %d %d %d %d", update, x, y, static_cast<double>(vx),
                  static_cast<double>(vy), state, nectar, barShown, cameraX, cameraY);
    return line;
}

} // namespace tibble::sim
