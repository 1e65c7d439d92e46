#include "app/MessageQueue.h"

#include <gtest/gtest.h>

#include <vector>

namespace zest::test
{
namespace
{

std::vector<uint32_t> Kinds(MessageQueue& queue)
{
    std::vector<uint32_t> kinds;
    while (auto message = queue.Pop())
        kinds.push_back(message->message);
    return kinds;
}

TEST(MessageQueue, CoalescesAndDropsByItsRules)
{
    struct Case
    {
        const char* name;
        std::vector<uint32_t> pushed;
        std::vector<uint32_t> kept;
    };
    const Case cases[] = {
        {"two timers in a row are queued once", {WM_TIMER, WM_TIMER, WM_KEYDOWN, WM_TIMER},
         {WM_TIMER, WM_KEYDOWN, WM_TIMER}},
        {"nothing after a close", {WM_KEYDOWN, WM_CLOSE, WM_TIMER, WM_CLOSE, WM_LBUTTONDOWN}, {WM_KEYDOWN, WM_CLOSE}},
        {"one colour or display change waits at a time",
         {WM_SYSCOLORCHANGE, WM_KEYDOWN, WM_DISPLAYCHANGE, WM_SYSCOLORCHANGE}, {WM_SYSCOLORCHANGE, WM_KEYDOWN}},
        {"input is kept in order", {WM_MOUSEMOVE, WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP},
         {WM_MOUSEMOVE, WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        MessageQueue queue;
        for (uint32_t kind : c.pushed)
            queue.Push({0, kind, 0, 0});
        EXPECT_EQ(Kinds(queue), c.kept);
        EXPECT_TRUE(queue.IsEmpty());
    }
}

} // namespace
} // namespace zest::test
