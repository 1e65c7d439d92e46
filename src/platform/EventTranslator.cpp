#include "platform/EventTranslator.h"

#include "platform/VirtualKeys.h"

#include <SDL.h>

namespace zest
{

namespace
{

struct KeyPair
{
    SDL_Keycode keycode;
    int virtualKey;
};

// Keys whose virtual-key number is not their own ASCII code.
constexpr KeyPair KeyTable[] = {
    {SDLK_BACKSPACE, VK_BACK},
    {SDLK_TAB, VK_TAB},
    {SDLK_CLEAR, VK_CLEAR},
    {SDLK_RETURN, VK_RETURN},
    {SDLK_RETURN2, VK_RETURN},
    {SDLK_KP_ENTER, VK_RETURN},
    {SDLK_LSHIFT, VK_SHIFT},
    {SDLK_RSHIFT, VK_SHIFT},
    {SDLK_LCTRL, VK_CONTROL},
    {SDLK_RCTRL, VK_CONTROL},
    {SDLK_LALT, VK_MENU},
    {SDLK_RALT, VK_MENU},
    {SDLK_PAUSE, VK_PAUSE},
    {SDLK_CAPSLOCK, VK_CAPITAL},
    {SDLK_ESCAPE, VK_ESCAPE},
    {SDLK_SPACE, VK_SPACE},
    {SDLK_PAGEUP, VK_PRIOR},
    {SDLK_PAGEDOWN, VK_NEXT},
    {SDLK_END, VK_END},
    {SDLK_HOME, VK_HOME},
    {SDLK_LEFT, VK_LEFT},
    {SDLK_UP, VK_UP},
    {SDLK_RIGHT, VK_RIGHT},
    {SDLK_DOWN, VK_DOWN},
    {SDLK_SELECT, VK_SELECT},
    {SDLK_PRINTSCREEN, VK_SNAPSHOT},
    {SDLK_INSERT, VK_INSERT},
    {SDLK_DELETE, VK_DELETE},
    {SDLK_HELP, VK_HELP},
    {SDLK_LGUI, VK_LWIN},
    {SDLK_RGUI, VK_RWIN},
    {SDLK_APPLICATION, VK_APPS},
    {SDLK_KP_0, VK_NUMPAD0 + 0},
    {SDLK_KP_1, VK_NUMPAD0 + 1},
    {SDLK_KP_2, VK_NUMPAD0 + 2},
    {SDLK_KP_3, VK_NUMPAD0 + 3},
    {SDLK_KP_4, VK_NUMPAD0 + 4},
    {SDLK_KP_5, VK_NUMPAD0 + 5},
    {SDLK_KP_6, VK_NUMPAD0 + 6},
    {SDLK_KP_7, VK_NUMPAD0 + 7},
    {SDLK_KP_8, VK_NUMPAD0 + 8},
    {SDLK_KP_9, VK_NUMPAD0 + 9},
    {SDLK_KP_MULTIPLY, VK_MULTIPLY},
    {SDLK_KP_PLUS, VK_ADD},
    {SDLK_KP_COMMA, VK_SEPARATOR},
    {SDLK_KP_MINUS, VK_SUBTRACT},
    {SDLK_KP_PERIOD, VK_DECIMAL},
    {SDLK_KP_DIVIDE, VK_DIVIDE},
    {SDLK_NUMLOCKCLEAR, VK_NUMLOCK},
    {SDLK_SCROLLLOCK, VK_SCROLL},
    {SDLK_SEMICOLON, VK_OEM_1},
    {SDLK_EQUALS, VK_OEM_PLUS},
    {SDLK_PLUS, VK_OEM_PLUS},
    {SDLK_COMMA, VK_OEM_COMMA},
    {SDLK_MINUS, VK_OEM_MINUS},
    {SDLK_PERIOD, VK_OEM_PERIOD},
    {SDLK_SLASH, VK_OEM_2},
    {SDLK_BACKQUOTE, VK_OEM_3},
    {SDLK_LEFTBRACKET, VK_OEM_4},
    {SDLK_BACKSLASH, VK_OEM_5},
    {SDLK_RIGHTBRACKET, VK_OEM_6},
    {SDLK_QUOTE, VK_OEM_7},
    {SDLK_LESS, VK_OEM_102},
};

// Decodes one UTF-8 sequence at text[i]; answers the code point and advances i, or
// answers -1 (and skips one byte) for a malformed or cut sequence.
int32_t DecodeUtf8(const char* text, size_t size, size_t& i)
{
    auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    unsigned char lead = byte(i);
    int length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    if (length == 0)
    {
        i++;
        return -1;
    }
    int32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (int k = 1; k < length; k++)
    {
        size_t at = i + static_cast<size_t>(k);
        if (at >= size || (byte(at) & 0xC0) != 0x80) // also stops at the terminating zero
        {
            i++;
            return -1;
        }
        code = (code << 6) | (byte(at) & 0x3F);
    }
    i += static_cast<size_t>(length);
    return code;
}

} // namespace

int EventTranslator::VirtualKeyFor(int sdlKeycode, int sdlScancode)
{
    if (sdlKeycode >= SDLK_a && sdlKeycode <= SDLK_z)
        return 'A' + (sdlKeycode - SDLK_a);
    if (sdlKeycode >= SDLK_0 && sdlKeycode <= SDLK_9)
        return '0' + (sdlKeycode - SDLK_0);
    if (sdlKeycode >= SDLK_F1 && sdlKeycode <= SDLK_F12)
        return VK_F1 + (sdlKeycode - SDLK_F1);
    if (sdlKeycode >= SDLK_F13 && sdlKeycode <= SDLK_F24)
        return VK_F1 + 12 + (sdlKeycode - SDLK_F13);
    for (const KeyPair& pair : KeyTable)
    {
        if (pair.keycode == sdlKeycode)
            return pair.virtualKey;
    }
    // A letter key on a layout whose keycodes are not Latin letters still gets the
    // letter of its position, as Windows gives it one.
    if (sdlScancode >= SDL_SCANCODE_A && sdlScancode <= SDL_SCANCODE_Z)
        return 'A' + (sdlScancode - SDL_SCANCODE_A);
    if (sdlScancode >= SDL_SCANCODE_1 && sdlScancode <= SDL_SCANCODE_9)
        return '1' + (sdlScancode - SDL_SCANCODE_1);
    if (sdlScancode == SDL_SCANCODE_0)
        return '0';
    return 0;
}

uint64_t EventTranslator::MouseKeyState() const
{
    uint64_t state = buttonsHeld;
    if (shiftDown)
        state |= MK_SHIFT;
    if (ctrlDown)
        state |= MK_CONTROL;
    return state;
}

int EventTranslator::Translate(const SDL_Event& event, std::vector<WindowMessage>& out)
{
    size_t before = out.size();
    switch (event.type)
    {
    case SDL_QUIT:
        // A quit request (SIGINT, SIGTERM, the session ending) closes the application.
        out.push_back({0, WM_CLOSE, 0, 0});
        break;
    case SDL_WINDOWEVENT:
        TranslateWindowEvent(event, out);
        break;
    case SDL_DISPLAYEVENT:
    case SDL_RENDER_TARGETS_RESET:
    case SDL_RENDER_DEVICE_RESET:
        // A lost device or a changed display: everything is drawn and shown afresh.
        out.push_back({0, WM_DISPLAYCHANGE, 0, 0});
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        TranslateKey(event, out);
        break;
    case SDL_TEXTINPUT:
        TranslateText(event, out);
        break;
    case SDL_MOUSEMOTION:
    {
        const SDL_MouseMotionEvent& m = event.motion;
        uint32_t held = 0;
        if (m.state & SDL_BUTTON_LMASK)
            held |= MK_LBUTTON;
        if (m.state & SDL_BUTTON_RMASK)
            held |= MK_RBUTTON;
        if (m.state & SDL_BUTTON_MMASK)
            held |= MK_MBUTTON;
        buttonsHeld = held;
        out.push_back({m.windowID, WM_MOUSEMOVE, MouseKeyState(), MakePointParam(m.x, m.y)});
        break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
    {
        const SDL_MouseButtonEvent& b = event.button;
        bool down = event.type == SDL_MOUSEBUTTONDOWN;
        // Windows reports every second press of a quick series as a double click.
        bool doubleClick = down && b.clicks >= 2 && b.clicks % 2 == 0;
        uint32_t message = 0;
        uint32_t bit = 0;
        if (b.button == SDL_BUTTON_LEFT)
        {
            message = down ? (doubleClick ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN) : WM_LBUTTONUP;
            bit = MK_LBUTTON;
        }
        else if (b.button == SDL_BUTTON_RIGHT)
        {
            message = down ? (doubleClick ? WM_RBUTTONDBLCLK : WM_RBUTTONDOWN) : WM_RBUTTONUP;
            bit = MK_RBUTTON;
        }
        else if (b.button == SDL_BUTTON_MIDDLE)
        {
            message = down ? (doubleClick ? WM_MBUTTONDBLCLK : WM_MBUTTONDOWN) : WM_MBUTTONUP;
            bit = MK_MBUTTON;
        }
        else
        {
            break; // extra buttons have no message
        }
        if (down)
            buttonsHeld |= bit;
        else
            buttonsHeld &= ~bit;
        out.push_back({b.windowID, message, MouseKeyState(), MakePointParam(b.x, b.y)});
        break;
    }
    case SDL_MOUSEWHEEL:
    {
        const SDL_MouseWheelEvent& w = event.wheel;
        int notches = w.direction == SDL_MOUSEWHEEL_FLIPPED ? -w.y : w.y;
        if (notches == 0)
            break; // horizontal scrolling has no message here
        // One notch is 120 in the high word, as Windows counts wheel movement.
        int delta = notches * 120;
        uint64_t wparam = (static_cast<uint64_t>(static_cast<uint16_t>(delta)) << 16) | MouseKeyState();
        out.push_back({w.windowID, WM_MOUSEWHEEL, wparam, MakePointParam(w.mouseX, w.mouseY)});
        break;
    }
    default:
        break;
    }
    return static_cast<int>(out.size() - before);
}

void EventTranslator::TranslateWindowEvent(const SDL_Event& event, std::vector<WindowMessage>& out)
{
    const SDL_WindowEvent& w = event.window;
    switch (w.event)
    {
    case SDL_WINDOWEVENT_CLOSE:
        out.push_back({w.windowID, WM_CLOSE, 0, 0});
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        out.push_back({w.windowID, WM_ACTIVATEAPP, 1, 0});
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        // Modifier keys released while another window had the focus never reach us.
        shiftDown = ctrlDown = altDown = false;
        out.push_back({w.windowID, WM_ACTIVATEAPP, 0, 0});
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        out.push_back({w.windowID, WM_SIZE, SIZE_MINIMIZED, 0});
        break;
    case SDL_WINDOWEVENT_MAXIMIZED:
        out.push_back({w.windowID, WM_SIZE, SIZE_MAXIMIZED, 0});
        break;
    case SDL_WINDOWEVENT_RESTORED:
        out.push_back({w.windowID, WM_SIZE, SIZE_RESTORED, 0});
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        out.push_back({w.windowID, WM_SIZE, SIZE_RESTORED, MakePointParam(w.data1, w.data2)});
        break;
    case SDL_WINDOWEVENT_MOVED:
        out.push_back({w.windowID, WM_MOVE, 0, MakePointParam(w.data1, w.data2)});
        break;
    case SDL_WINDOWEVENT_EXPOSED:
        out.push_back({w.windowID, WM_PAINT, 0, 0});
        break;
    default:
        break;
    }
}

void EventTranslator::TranslateKey(const SDL_Event& event, std::vector<WindowMessage>& out)
{
    const SDL_KeyboardEvent& k = event.key;
    bool down = event.type == SDL_KEYDOWN;
    uint16_t mods = k.keysym.mod;
    shiftDown = (mods & KMOD_SHIFT) != 0;
    ctrlDown = (mods & KMOD_CTRL) != 0;
    altDown = (mods & KMOD_ALT) != 0;
    int key = VirtualKeyFor(k.keysym.sym, k.keysym.scancode);
    if (key == 0)
        return;

    // A key with Alt (and without Ctrl: AltGr types characters) is a system key, and
    // so is F10; releasing Alt itself is one as well.
    bool system = (altDown && !ctrlDown) || key == VK_F1 + 9 || (!down && key == VK_MENU);
    uint32_t message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);

    // lparam as Windows fills it: repeat count 1, scan code in bits 16-23, bit 29 with
    // Alt held, bit 30 when the key was already down, bit 31 on release.
    uint64_t lparam = 1 | ((static_cast<uint64_t>(k.keysym.scancode) & 0xFF) << 16);
    if (altDown)
        lparam |= 1ull << 29;
    if (!down || k.repeat)
        lparam |= 1ull << 30;
    if (!down)
        lparam |= 1ull << 31;
    out.push_back({k.windowID, message, static_cast<uint64_t>(key), static_cast<int64_t>(lparam)});

    // Keys that type a control character, which SDL's text events leave out.
    if (down && !(altDown && !ctrlDown))
    {
        int character = 0;
        if (key == VK_RETURN || key == VK_BACK || key == VK_TAB || key == VK_ESCAPE)
            character = key;
        else if (ctrlDown && key >= 'A' && key <= 'Z')
            character = key - 'A' + 1;
        if (character != 0)
            out.push_back({k.windowID, WM_CHAR, static_cast<uint64_t>(character), static_cast<int64_t>(lparam)});
    }
}

void EventTranslator::TranslateText(const SDL_Event& event, std::vector<WindowMessage>& out)
{
    const SDL_TextInputEvent& t = event.text;
    // With Alt held a typed letter is a menu shortcut, not text.
    uint32_t message = altDown && !ctrlDown ? WM_SYSCHAR : WM_CHAR;
    size_t i = 0;
    while (i < sizeof(t.text) && t.text[i] != '\0')
    {
        int32_t code = DecodeUtf8(t.text, sizeof(t.text), i);
        if (code > 0)
            out.push_back({t.windowID, message, static_cast<uint64_t>(code), 1});
    }
}

} // namespace zest
