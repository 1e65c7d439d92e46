// The system clipboard's text, in UTF-8. Without a video system (tests, tools) the text is kept
// inside the process, so copy and paste still pair up. Main thread only.
#pragma once

#include <string>

namespace zest
{

// False when the system refused the text (it is then kept inside the process anyway).
bool SetClipboardText(const std::string& utf8);
// Empty when the clipboard holds no text.
std::string GetClipboardText();

} // namespace zest
