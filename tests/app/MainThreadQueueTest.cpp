#include "app/MainThreadQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace zest::test
{
namespace
{

TEST(MainThreadQueue, RequestsRunOnTheServingThread)
{
    MainThreadQueue queue;
    std::thread::id ranOn;
    std::optional<int> answer;
    std::atomic<bool> finished{false};
    std::thread worker([&] {
        answer = queue.Submit([&] {
            ranOn = std::this_thread::get_id();
            return 42;
        });
        finished = true;
        queue.Notify();
    });
    while (!finished)
    {
        queue.Serve();
        queue.Wait(std::chrono::milliseconds(20), [&] { return finished.load(); });
    }
    worker.join();
    EXPECT_EQ(answer, 42);
    EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST(MainThreadQueue, ClosedQueueRefusesInsteadOfWaitingForever)
{
    MainThreadQueue queue;
    queue.Close();
    std::optional<int> answer = 7;
    std::thread worker([&] { answer = queue.Submit([] { return 1; }); });
    worker.join();
    EXPECT_FALSE(answer.has_value());
    EXPECT_EQ(queue.Serve(), 0);
}

} // namespace
} // namespace zest::test
