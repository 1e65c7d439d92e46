#include "platform/ShellOpen.h"

#include "platform/Log.h"

#include <SDL.h>

namespace zest
{

bool OpenUrlInBrowser(const std::string& url)
{
    // Only web and mail addresses: the text reaches a helper program (xdg-open), and a
    // plain file name or option-like text must not be opened or run through it.
    bool web = url.rfind("http://", 0) == 0 || url.rfind("https://", 0) == 0 || url.rfind("mailto:", 0) == 0;
    if (!web)
    {
        Logf(LogLevel::Warning, "not a web address: %s", url.c_str());
        return false;
    }
    if (SDL_OpenURL(url.c_str()) != 0)
    {
        Logf(LogLevel::Warning, "cannot open %s: %s", url.c_str(), SDL_GetError());
        return false;
    }
    return true;
}

} // namespace zest
