#include "platform/FakeClock.h"

namespace zest
{

void FakeClock::Sleep(uint32_t ms)
{
    sleepCount++;
    totalSlept += ms;
    now += ms;
}

} // namespace zest
