// Work that only the main thread may do (system message boxes, anything touching
// the window), handed over by other threads: the caller waits until the main loop
// has run it. Owned by the application; Submit and Notify from any thread, Serve,
// Wait and Close from the main thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

namespace zest
{

class MainThreadQueue
{
public:
    MainThreadQueue() = default;
    MainThreadQueue(const MainThreadQueue&) = delete;
    MainThreadQueue& operator=(const MainThreadQueue&) = delete;

    // Waits until the main thread has run fn and answers its result; none when the
    // queue is closed (nobody is left to run it).
    std::optional<int> Submit(const std::function<int()>& fn);
    // Runs every waiting request; answers how many ran.
    int Serve();
    // Blocks until a request waits, done() holds or the timeout passes.
    void Wait(std::chrono::milliseconds timeout, const std::function<bool()>& done);
    // Wakes Wait (after the state done() looks at has changed).
    void Notify();
    // Runs what waits and refuses everything after.
    void Close();

private:
    struct Request
    {
        std::function<int()> fn;
        int result = 0;
        bool done = false;
    };

    std::mutex mutex;
    std::condition_variable signal;
    std::vector<Request*> waiting;
    bool open = true;
};

} // namespace zest
