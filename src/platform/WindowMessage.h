// The application's queued message record and the message numbers it uses. SDL
// events are translated into these so the queueing and input rules keep the shape
// of a Windows message loop. Plain values; any thread.
#pragma once

#include <cstdint>

namespace zest
{

// Message kinds, numbered as the Windows messages they stand for.
enum WindowMessageKind : uint32_t
{
    WM_NULL = 0x0000,
    WM_MOVE = 0x0003,
    WM_SIZE = 0x0005,
    WM_PAINT = 0x000F,
    WM_CLOSE = 0x0010,
    WM_SYSCOLORCHANGE = 0x0015,
    WM_ACTIVATEAPP = 0x001C,
    WM_DISPLAYCHANGE = 0x007E,
    WM_KEYDOWN = 0x0100,
    WM_KEYUP = 0x0101,
    WM_CHAR = 0x0102,
    WM_SYSKEYDOWN = 0x0104,
    WM_SYSKEYUP = 0x0105,
    WM_SYSCHAR = 0x0106,
    WM_TIMER = 0x0113,
    WM_MOUSEMOVE = 0x0200,
    WM_LBUTTONDOWN = 0x0201,
    WM_LBUTTONUP = 0x0202,
    WM_LBUTTONDBLCLK = 0x0203,
    WM_RBUTTONDOWN = 0x0204,
    WM_RBUTTONUP = 0x0205,
    WM_RBUTTONDBLCLK = 0x0206,
    WM_MBUTTONDOWN = 0x0207,
    WM_MBUTTONUP = 0x0208,
    WM_MBUTTONDBLCLK = 0x0209,
    WM_MOUSEWHEEL = 0x020A,
    // Game controllers have no Windows message; they take numbers from the application range.
    // wparam: the pad's slot (GamepadSlot) and, for buttons and axes, the button or axis
    // (GamepadCode); lparam: an axis's value.
    WM_GAMEPADADDED = 0x8010,
    WM_GAMEPADREMOVED = 0x8011,
    WM_GAMEPADBUTTONDOWN = 0x8012,
    WM_GAMEPADBUTTONUP = 0x8013,
    WM_GAMEPADAXIS = 0x8014,
};

// WM_SIZE wparam values.
enum SizeType : uint32_t
{
    SIZE_RESTORED = 0,
    SIZE_MINIMIZED = 1,
    SIZE_MAXIMIZED = 2,
};

// Mouse-message wparam bits: the buttons held.
enum MouseKeyBits : uint32_t
{
    MK_LBUTTON = 0x0001,
    MK_RBUTTON = 0x0002,
    MK_SHIFT = 0x0004,
    MK_CONTROL = 0x0008,
    MK_MBUTTON = 0x0010,
};

// One queued message: the window it is for (the platform window id; 0 = none),
// the kind and its two parameters.
struct WindowMessage
{
    uint32_t window = 0;
    uint32_t message = WM_NULL;
    uint64_t wparam = 0;
    int64_t lparam = 0;
};

// Two signed 16-bit coordinates packed as a mouse message's lparam (x low, y high).
constexpr int64_t MakePointParam(int x, int y)
{
    return static_cast<int64_t>(static_cast<uint32_t>(static_cast<uint16_t>(x)) |
                                (static_cast<uint32_t>(static_cast<uint16_t>(y)) << 16));
}
constexpr int PointParamX(int64_t lparam)
{
    return static_cast<int16_t>(static_cast<uint16_t>(lparam & 0xFFFF));
}
constexpr int PointParamY(int64_t lparam)
{
    return static_cast<int16_t>(static_cast<uint16_t>((lparam >> 16) & 0xFFFF));
}
// The signed high 16 bits of a wparam (the wheel delta).
constexpr int HighWordSigned(uint64_t wparam)
{
    return static_cast<int16_t>(static_cast<uint16_t>((wparam >> 16) & 0xFFFF));
}

// A gamepad message's wparam: the pad's slot in the low byte, the button or axis in the next.
constexpr uint64_t MakeGamepadParam(int slot, int code)
{
    return static_cast<uint64_t>(static_cast<uint8_t>(slot)) | (static_cast<uint64_t>(static_cast<uint8_t>(code)) << 8);
}
constexpr int GamepadSlot(uint64_t wparam)
{
    return static_cast<int>(wparam & 0xFF);
}
constexpr int GamepadCode(uint64_t wparam)
{
    return static_cast<int>((wparam >> 8) & 0xFF);
}

} // namespace zest
