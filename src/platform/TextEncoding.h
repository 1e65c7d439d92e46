// Conversions between the framework's text encoding (Windows-1252 bytes, what fonts and widgets
// draw) and the system's (Unicode code points and UTF-8: typed text, the clipboard). Stateless; any thread.
#pragma once

#include <optional>
#include <string>

namespace zest
{

// The Windows-1252 byte of a code point; none for a code point the encoding lacks (and for 0).
[[nodiscard]] std::optional<char> Windows1252FromCodePoint(int codePoint);
// The code point of a Windows-1252 byte; 0xFFFD for the five bytes the encoding leaves undefined.
[[nodiscard]] int CodePointFromWindows1252(char byte);
// UTF-8 text in Windows-1252; characters the encoding lacks and malformed sequences are left out.
[[nodiscard]] std::string Utf8ToWindows1252(const std::string& utf8);
[[nodiscard]] std::string Windows1252ToUtf8(const std::string& text);

} // namespace zest
