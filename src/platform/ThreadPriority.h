// Best-effort thread priorities for the calling thread (the main thread runs above
// normal while loading). Failure to change a priority is harmless and ignored.
#pragma once

namespace zest
{

enum class ThreadPriority
{
    Low,
    Normal,
    High
};

// Changes the priority of the calling thread; returns whether the system allowed it.
bool SetCurrentThreadPriority(ThreadPriority priority);

} // namespace zest
