#include "app/MainThreadQueue.h"

namespace zest
{

std::optional<int> MainThreadQueue::Submit(const std::function<int()>& fn)
{
    Request request;
    request.fn = fn;
    std::unique_lock<std::mutex> lock(mutex);
    if (!open)
        return std::nullopt;
    waiting.push_back(&request);
    signal.notify_all();
    // The request lives on this stack frame: this thread must not leave before the
    // main thread has finished with it.
    signal.wait(lock, [&request] { return request.done; });
    return request.result;
}

int MainThreadQueue::Serve()
{
    std::vector<Request*> batch;
    {
        std::lock_guard<std::mutex> lock(mutex);
        batch.swap(waiting);
    }
    for (Request* request : batch)
    {
        int result = request->fn();
        std::lock_guard<std::mutex> lock(mutex);
        request->result = result;
        request->done = true;
        signal.notify_all();
    }
    return static_cast<int>(batch.size());
}

void MainThreadQueue::Wait(std::chrono::milliseconds timeout, const std::function<bool()>& done)
{
    std::unique_lock<std::mutex> lock(mutex);
    signal.wait_for(lock, timeout, [&] { return !waiting.empty() || done(); });
}

void MainThreadQueue::Notify()
{
    // Taking the lock orders the waker's state change before a waiter's check.
    std::lock_guard<std::mutex> lock(mutex);
    signal.notify_all();
}

void MainThreadQueue::Close()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        open = false;
    }
    Serve();
}

} // namespace zest
