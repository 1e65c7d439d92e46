// The millisecond clock and sleep the main loop runs on. The application holds one
// (the system clock unless a test injects a fake); any thread may read it.
#pragma once

#include <cstdint>

namespace zest
{

class Clock
{
public:
    virtual ~Clock() = default;

    // Milliseconds since an arbitrary start; 64 bits, so it never wraps.
    virtual uint64_t Now() = 0;
    // Blocks the calling thread for about ms milliseconds (a fake clock advances instead).
    virtual void Sleep(uint32_t ms) = 0;
};

} // namespace zest
