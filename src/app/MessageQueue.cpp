#include "app/MessageQueue.h"

namespace zest
{

bool MessageQueue::IsQueuedKind(uint32_t kind)
{
    switch (kind)
    {
    case WM_MOVE:
    case WM_SIZE:
    case WM_CLOSE:
    case WM_ACTIVATEAPP:
    case WM_SYSCOLORCHANGE:
    case WM_DISPLAYCHANGE:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_GAMEPADADDED:
    case WM_GAMEPADREMOVED:
    case WM_GAMEPADBUTTONDOWN:
    case WM_GAMEPADBUTTONUP:
    case WM_GAMEPADAXIS:
    case WM_TIMER:
    case WM_MOUSEWHEEL:
        return true;
    default:
        return kind >= WM_MOUSEMOVE && kind <= WM_MBUTTONDBLCLK;
    }
}

bool MessageQueue::Push(const WindowMessage& message)
{
    if (!messages.empty())
    {
        uint32_t last = messages.back().message;
        // The application is closing: later input would act on a dying program.
        if (last == WM_CLOSE)
            return false;
        // Timers only say "time passed"; one waiting is as good as many.
        if (message.message == WM_TIMER && last == WM_TIMER)
            return false;
    }
    if (message.message == WM_SYSCOLORCHANGE || message.message == WM_DISPLAYCHANGE)
    {
        // Both lead to the same full redraw.
        for (const WindowMessage& waiting : messages)
        {
            if (waiting.message == WM_SYSCOLORCHANGE || waiting.message == WM_DISPLAYCHANGE)
                return false;
        }
    }
    messages.push_back(message);
    return true;
}

std::optional<WindowMessage> MessageQueue::Pop()
{
    if (messages.empty())
        return std::nullopt;
    WindowMessage message = messages.front();
    messages.pop_front();
    return message;
}

} // namespace zest
