// A clock that only moves when told to: tests drive the main loop with it without
// sleeping. Sleep advances the time instead of blocking. Any thread (atomics).
#pragma once

#include "platform/Clock.h"

#include <atomic>

namespace zest
{

class FakeClock : public Clock
{
public:
    explicit FakeClock(uint64_t start = 1000) : now(start) {}

    uint64_t Now() override { return now.load(); }
    // Records the request and advances the time by ms.
    void Sleep(uint32_t ms) override;

    void Advance(uint64_t ms) { now += ms; }
    void Set(uint64_t ms) { now = ms; }

    int SleepCount() const { return sleepCount.load(); }
    uint64_t TotalSlept() const { return totalSlept.load(); }

private:
    std::atomic<uint64_t> now;
    std::atomic<int> sleepCount{0};
    std::atomic<uint64_t> totalSlept{0};
};

} // namespace zest
