#include "platform/SystemMessageBox.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

#ifdef __EMSCRIPTEN__
extern "C" void zest_show_message_box(const char* title, const char* text, int error);
#endif

namespace zest
{

namespace
{
std::mutex handlerMutex;
MessageBoxHandler currentHandler;

struct ButtonSpec
{
    int answer;
    const char* label;
};

std::vector<ButtonSpec> ButtonsFor(unsigned flags)
{
    switch (flags & MB_TYPEMASK)
    {
    case MB_OKCANCEL:
        return {{IDOK, "OK"}, {IDCANCEL, "Cancel"}};
    case MB_YESNOCANCEL:
        return {{IDYES, "Yes"}, {IDNO, "No"}, {IDCANCEL, "Cancel"}};
    case MB_YESNO:
        return {{IDYES, "Yes"}, {IDNO, "No"}};
    default:
        return {{IDOK, "OK"}};
    }
}

bool DisplayAvailable()
{
    // A dummy or off-screen driver has nothing to show a box on; an unset display
    // makes SDL fail anyway, so say so on stderr at once.
    const char* driver = SDL_WasInit(SDL_INIT_VIDEO) ? SDL_GetCurrentVideoDriver() : std::getenv("SDL_VIDEODRIVER");
    if (driver && (std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0))
        return false;
    return std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr;
}
} // namespace

int DefaultMessageBoxAnswer(unsigned flags)
{
    std::vector<ButtonSpec> buttons = ButtonsFor(flags);
    size_t index = (flags & MB_DEFMASK) == MB_DEFBUTTON2 && buttons.size() > 1 ? 1 : 0;
    return buttons[index].answer;
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler)
{
    std::lock_guard<std::mutex> lock(handlerMutex);
    MessageBoxHandler previous = std::move(currentHandler);
    currentHandler = std::move(handler);
    return previous;
}

int ShowSystemMessageBox(const std::string& text, const std::string& title, unsigned flags, SDL_Window* parent)
{
    MessageBoxHandler handler;
    {
        std::lock_guard<std::mutex> lock(handlerMutex);
        handler = currentHandler;
    }
    if (handler)
        return handler(text, title, flags);

#ifdef __EMSCRIPTEN__
    // A page cannot wait for an answer inside a frame: the box is an in-page dialog (the page's
    // side, src/platform/web/ZestLibrary.js) and the answer is the default button's.
    zest_show_message_box(title.c_str(), text.c_str(), (flags & MB_ICONMASK) == MB_ICONERROR ? 1 : 0);
    return DefaultMessageBoxAnswer(flags);
#endif
    if (DisplayAvailable())
    {
        std::vector<ButtonSpec> specs = ButtonsFor(flags);
        std::vector<SDL_MessageBoxButtonData> buttons;
        int defaultAnswer = DefaultMessageBoxAnswer(flags);
        for (const ButtonSpec& spec : specs)
        {
            Uint32 buttonFlags = 0;
            if (spec.answer == defaultAnswer)
                buttonFlags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
            if (spec.answer == IDCANCEL || (spec.answer == IDNO && specs.size() == 2) ||
                (spec.answer == IDOK && specs.size() == 1))
                buttonFlags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
            buttons.push_back({buttonFlags, spec.answer, spec.label});
        }
        Uint32 boxFlags = SDL_MESSAGEBOX_INFORMATION;
        unsigned icon = flags & MB_ICONMASK;
        if (icon == MB_ICONERROR)
            boxFlags = SDL_MESSAGEBOX_ERROR;
        else if (icon == MB_ICONWARNING)
            boxFlags = SDL_MESSAGEBOX_WARNING;
        boxFlags |= SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
        SDL_MessageBoxData data{boxFlags,
                                parent,
                                title.c_str(),
                                text.c_str(),
                                static_cast<int>(buttons.size()),
                                buttons.data(),
                                nullptr};
        int pressed = -1;
        if (SDL_ShowMessageBox(&data, &pressed) == 0)
            return pressed >= 0 ? pressed : (specs.size() > 1 ? specs.back().answer : IDOK);
        // Fall through to stderr when the box cannot be shown.
    }
    std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
    std::fflush(stderr);
    return DefaultMessageBoxAnswer(flags);
}

} // namespace zest
