#include "platform/Clipboard.h"

#include <SDL.h>

namespace zest
{

namespace
{
std::string& LocalClipboard()
{
    static std::string text;
    return text;
}
} // namespace

bool SetClipboardText(const std::string& utf8)
{
    LocalClipboard() = utf8;
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        return true;
    return SDL_SetClipboardText(utf8.c_str()) == 0;
}

std::string GetClipboardText()
{
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        return LocalClipboard();
    char* text = SDL_GetClipboardText();
    std::string result = text ? text : "";
    SDL_free(text);
    return result;
}

} // namespace zest
