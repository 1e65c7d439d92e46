// The deferred message queue: window messages wait here in arrival order and the
// main loop hands them on one per update step. Push applies the coalescing rules.
// Owned by the application; main thread only.
#pragma once

#include "platform/WindowMessage.h"

#include <deque>
#include <optional>

namespace zest
{

class MessageQueue
{
public:
    // Appends the message unless a rule drops it: nothing follows a close; a timer
    // right behind another timer is dropped; a colour or display change is dropped
    // while one of either kind waits. Answers whether it was queued.
    bool Push(const WindowMessage& message);
    // Whether the window procedure queues messages of this kind (input, window changes, the timer,
    // close); the rest are handled at once or ignored.
    static bool IsQueuedKind(uint32_t kind);
    // The oldest message, taken out; none when empty.
    std::optional<WindowMessage> Pop();
    bool IsEmpty() const { return messages.empty(); }
    size_t Size() const { return messages.size(); }
    void Clear() { messages.clear(); }

private:
    std::deque<WindowMessage> messages;
};

} // namespace zest
