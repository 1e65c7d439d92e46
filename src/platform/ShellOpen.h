// Opening a web address in the user's browser (SDL_OpenURL). Main thread.
#pragma once

#include <string>

namespace zest
{

// False when the system could not hand the address to a browser.
[[nodiscard]] bool OpenUrlInBrowser(const std::string& url);

} // namespace zest
