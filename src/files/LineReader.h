// The line reading shared by archive and disk files: bytes up to and including a newline,
// at most size - 1 of them, then a zero. Header-only; any thread.
#pragma once

namespace zest
{

// getc answers the next byte (carriage returns already dropped) or -1 at the end.
// Null when the end came before any byte, as fgets does.
template <typename GetC> char* ReadLineInto(char* buffer, int size, GetC getc)
{
    if (buffer == nullptr || size <= 0)
        return nullptr;
    int count = 0;
    bool sawEnd = false;
    while (count < size - 1)
    {
        int c = getc();
        if (c < 0)
        {
            sawEnd = true;
            break;
        }
        buffer[count++] = static_cast<char>(c);
        if (c == '\n')
            break;
    }
    buffer[count] = '\0';
    return (count == 0 && sawEnd) ? nullptr : buffer;
}

} // namespace zest
