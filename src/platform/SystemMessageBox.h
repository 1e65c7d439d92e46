// The system message box: an SDL message box over the main window, or a line on
// stderr when there is no display (SDL's dummy driver, a headless server). Flags and
// answers are numbered like the Windows ones the calling code was written against.
// Main thread only (the application hands requests from other threads to it).
#pragma once

#include <functional>
#include <string>

struct SDL_Window;

namespace zest
{

enum MessageBoxFlags : unsigned
{
    MB_OK = 0x0,
    MB_OKCANCEL = 0x1,
    MB_YESNOCANCEL = 0x3,
    MB_YESNO = 0x4,
    MB_ICONERROR = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONWARNING = 0x30,
    MB_ICONINFORMATION = 0x40,
    MB_DEFBUTTON2 = 0x100,
    MB_TYPEMASK = 0xF,
    MB_ICONMASK = 0xF0,
    MB_DEFMASK = 0xF00,
};

enum MessageBoxAnswer : int
{
    IDOK = 1,
    IDCANCEL = 2,
    IDYES = 6,
    IDNO = 7,
};

// Shows the box and answers the button pressed. Without a display the text goes to
// stderr and the answer is the default button (the first, or the second with
// MB_DEFBUTTON2). parent may be null.
int ShowSystemMessageBox(const std::string& text, const std::string& title, unsigned flags, SDL_Window* parent);

// Replaces every box with the handler (tests count and answer them); an empty
// handler restores the real boxes. Returns the previous handler.
using MessageBoxHandler = std::function<int(const std::string& text, const std::string& title, unsigned flags)>;
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

// The answer a box of these flags gives when nobody can press a button.
int DefaultMessageBoxAnswer(unsigned flags);

} // namespace zest
