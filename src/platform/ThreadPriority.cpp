#include "platform/ThreadPriority.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace zest
{

bool SetCurrentThreadPriority(ThreadPriority priority)
{
#ifdef __EMSCRIPTEN__
    // The browser runs the one thread as it sees fit.
    (void)priority;
    return false;
#else
    // On Linux each thread has its own nice value, addressed by its thread id.
    // Raising the priority (a negative nice value) needs privileges; without them the
    // call fails and the thread keeps its priority. SDL's variant was rejected because
    // it may fall back to a D-Bus round trip to rtkit on every call.
    int nice = 0;
    if (priority == ThreadPriority::Low)
        nice = 5;
    else if (priority == ThreadPriority::High)
        nice = -5;
    auto tid = static_cast<id_t>(syscall(SYS_gettid));
    return setpriority(PRIO_PROCESS, tid, nice) == 0;
#endif
}

} // namespace zest
