// The real clock: SDL's millisecond tick counter and a sleeping delay. Stateless;
// one process-wide instance, any thread.
#pragma once

#include "platform/Clock.h"

namespace zest
{

class SystemClock : public Clock
{
public:
    uint64_t Now() override;
    void Sleep(uint32_t ms) override;

    // The process-wide instance.
    static SystemClock& Instance();
};

} // namespace zest
