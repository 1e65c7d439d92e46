#include "platform/EventTranslator.h"

#include "platform/VirtualKeys.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstring>

namespace zest::test
{
namespace
{

SDL_Event Key(bool down, SDL_Keycode sym, SDL_Scancode scancode, uint16_t mods = KMOD_NONE, bool repeat = false)
{
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.windowID = 7;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat ? 1 : 0;
    event.key.keysym.sym = sym;
    event.key.keysym.scancode = scancode;
    event.key.keysym.mod = mods;
    return event;
}

SDL_Event Button(bool down, uint8_t button, int x, int y, uint8_t clicks = 1)
{
    SDL_Event event{};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.windowID = 7;
    event.button.button = button;
    event.button.clicks = clicks;
    event.button.x = x;
    event.button.y = y;
    return event;
}

SDL_Event Text(const char* utf8)
{
    SDL_Event event{};
    event.type = SDL_TEXTINPUT;
    event.text.windowID = 7;
    std::strncpy(event.text.text, utf8, sizeof(event.text.text) - 1);
    return event;
}

SDL_Event WindowEvent(uint8_t kind, int data1 = 0, int data2 = 0)
{
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = 7;
    event.window.event = kind;
    event.window.data1 = data1;
    event.window.data2 = data2;
    return event;
}

struct Expected
{
    uint32_t message;
    uint64_t wparam;
};

TEST(EventTranslator, TranslatesEventsIntoMessageRecords)
{
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_Event wheel{};
    wheel.type = SDL_MOUSEWHEEL;
    wheel.wheel.y = -2;
    wheel.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
    SDL_Event sideways{};
    sideways.type = SDL_MOUSEWHEEL;
    sideways.wheel.x = 1;

    struct Case
    {
        const char* name;
        SDL_Event event;
        std::vector<Expected> expect;
    };
    const Case cases[] = {
        {"letter", Key(true, SDLK_a, SDL_SCANCODE_A), {{WM_KEYDOWN, 'A'}}},
        {"letter up", Key(false, SDLK_q, SDL_SCANCODE_Q), {{WM_KEYUP, 'Q'}}},
        {"escape types a character", Key(true, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE), {{WM_KEYDOWN, 27}, {WM_CHAR, 27}}},
        {"return types a character", Key(true, SDLK_RETURN, SDL_SCANCODE_RETURN), {{WM_KEYDOWN, 13}, {WM_CHAR, 13}}},
        {"Alt+Enter is a system key", Key(true, SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_LALT),
         {{WM_SYSKEYDOWN, VK_RETURN}}},
        {"Alt+F4 is a system key", Key(true, SDLK_F4, SDL_SCANCODE_F4, KMOD_LALT), {{WM_SYSKEYDOWN, VK_F4}}},
        {"Ctrl+C types control character 3", Key(true, SDLK_c, SDL_SCANCODE_C, KMOD_LCTRL),
         {{WM_KEYDOWN, 'C'}, {WM_CHAR, 3}}},
        {"space", Key(true, SDLK_SPACE, SDL_SCANCODE_SPACE), {{WM_KEYDOWN, VK_SPACE}}},
        {"left shift is shift", Key(true, SDLK_LSHIFT, SDL_SCANCODE_LSHIFT, KMOD_LSHIFT), {{WM_KEYDOWN, VK_SHIFT}}},
        {"an unknown key sends nothing", Key(true, SDLK_AUDIONEXT, SDL_SCANCODE_AUDIONEXT), {}},
        {"left press", Button(true, SDL_BUTTON_LEFT, 3, 4), {{WM_LBUTTONDOWN, MK_LBUTTON}}},
        {"second quick press is a double click", Button(true, SDL_BUTTON_LEFT, 3, 4, 2),
         {{WM_LBUTTONDBLCLK, MK_LBUTTON}}},
        {"third quick press is a plain press", Button(true, SDL_BUTTON_RIGHT, 3, 4, 3),
         {{WM_RBUTTONDOWN, MK_RBUTTON}}},
        {"middle release", Button(false, SDL_BUTTON_MIDDLE, 3, 4), {{WM_MBUTTONUP, 0}}},
        {"extra buttons have no message", Button(true, SDL_BUTTON_X1, 3, 4), {}},
        {"wheel towards the user", wheel, {{WM_MOUSEWHEEL, static_cast<uint64_t>(static_cast<uint16_t>(-240)) << 16}}},
        {"sideways wheel", sideways, {}},
        {"text", Text("h\xC3\xA9\xE2\x82\xAC"), {{WM_CHAR, 'h'}, {WM_CHAR, 0xE9}, {WM_CHAR, 0x20AC}}},
        {"broken UTF-8 is skipped", Text("a\xC3(\xFF" "b"), {{WM_CHAR, 'a'}, {WM_CHAR, '('}, {WM_CHAR, 'b'}}},
        {"close box", WindowEvent(SDL_WINDOWEVENT_CLOSE), {{WM_CLOSE, 0}}},
        {"quit request", quit, {{WM_CLOSE, 0}}},
        {"minimised", WindowEvent(SDL_WINDOWEVENT_MINIMIZED), {{WM_SIZE, SIZE_MINIMIZED}}},
        {"maximised", WindowEvent(SDL_WINDOWEVENT_MAXIMIZED), {{WM_SIZE, SIZE_MAXIMIZED}}},
        {"focus lost", WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST), {{WM_ACTIVATEAPP, 0}}},
        {"focus gained", WindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED), {{WM_ACTIVATEAPP, 1}}},
        {"exposed", WindowEvent(SDL_WINDOWEVENT_EXPOSED), {{WM_PAINT, 0}}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        EventTranslator translator;
        std::vector<WindowMessage> out;
        EXPECT_EQ(translator.Translate(c.event, out), static_cast<int>(c.expect.size()));
        ASSERT_EQ(out.size(), c.expect.size());
        for (size_t i = 0; i < out.size(); i++)
        {
            EXPECT_EQ(out[i].message, c.expect[i].message) << i;
            EXPECT_EQ(out[i].wparam, c.expect[i].wparam) << i;
        }
    }
}

TEST(EventTranslator, MousePositionsTravelAsSignedHalvesOfLparam)
{
    EventTranslator translator;
    std::vector<WindowMessage> out;
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.x = -5;
    motion.motion.y = 1234;
    motion.motion.state = SDL_BUTTON_LMASK | SDL_BUTTON_RMASK;
    translator.Translate(motion, out);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(PointParamX(out[0].lparam), -5);
    EXPECT_EQ(PointParamY(out[0].lparam), 1234);
    EXPECT_EQ(out[0].wparam, static_cast<uint64_t>(MK_LBUTTON | MK_RBUTTON));
    EXPECT_EQ(out[0].window, 0u);
}

TEST(EventTranslator, KeyLparamCarriesRepeatAndRelease)
{
    EventTranslator translator;
    std::vector<WindowMessage> out;
    translator.Translate(Key(true, SDLK_x, SDL_SCANCODE_X), out);
    translator.Translate(Key(true, SDLK_x, SDL_SCANCODE_X, KMOD_NONE, true), out);
    translator.Translate(Key(false, SDLK_x, SDL_SCANCODE_X), out);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0].lparam & (1ll << 30), 0);
    EXPECT_NE(out[1].lparam & (1ll << 30), 0);
    EXPECT_NE(out[2].lparam & (1ll << 31), 0);
    EXPECT_EQ(out[0].lparam & 0xFFFF, 1);
}

TEST(EventTranslator, TextTypedWithAltIsAShortcutNotText)
{
    EventTranslator translator;
    std::vector<WindowMessage> out;
    translator.Translate(Key(true, SDLK_r, SDL_SCANCODE_R, KMOD_LALT), out);
    translator.Translate(Text("r"), out);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].message, static_cast<uint32_t>(WM_SYSKEYDOWN));
    EXPECT_EQ(out[1].message, static_cast<uint32_t>(WM_SYSCHAR));
}

TEST(EventTranslator, VirtualKeyTable)
{
    struct Case
    {
        SDL_Keycode sym;
        SDL_Scancode scancode;
        int expect;
    };
    const Case cases[] = {
        {SDLK_z, SDL_SCANCODE_Z, 'Z'},         {SDLK_0, SDL_SCANCODE_0, '0'},
        {SDLK_9, SDL_SCANCODE_9, '9'},         {SDLK_F1, SDL_SCANCODE_F1, 112},
        {SDLK_F4, SDL_SCANCODE_F4, 115},       {SDLK_F12, SDL_SCANCODE_F12, 123},
        {SDLK_TAB, SDL_SCANCODE_TAB, 9},       {SDLK_LEFT, SDL_SCANCODE_LEFT, 37},
        {SDLK_DOWN, SDL_SCANCODE_DOWN, 40},    {SDLK_KP_5, SDL_SCANCODE_KP_5, 101},
        {SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER, 13},
        {SDLK_RALT, SDL_SCANCODE_RALT, 18},    {SDLK_RCTRL, SDL_SCANCODE_RCTRL, 17},
        {SDLK_MINUS, SDL_SCANCODE_MINUS, 189}, {SDLK_DELETE, SDL_SCANCODE_DELETE, 46},
        // A Cyrillic layout: the key still answers with its Latin position.
        {0x0444, SDL_SCANCODE_A, 'A'},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EventTranslator::VirtualKeyFor(c.sym, c.scancode), c.expect) << c.sym;
}

} // namespace
} // namespace zest::test
