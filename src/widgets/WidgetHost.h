// What widgets ask of the application they run in: the mouse cursor, the string table for dialog labels,
// the open dialogs, and one step of the main loop for a modal dialog waiting for its answer. The
// application implements it and is the default listener of every dialog; the widget manager keeps a
// non-owning pointer. Main thread only.
#pragma once

#include "widgets/DialogListener.h"

#include <string>

namespace zest
{

class Dialog;

// Cursor numbers.
inline constexpr int CursorPointer = 0;
inline constexpr int CursorHand = 1;
inline constexpr int CursorDragging = 2;
inline constexpr int CursorText = 3;
inline constexpr int CursorNo = 4;
inline constexpr int CursorSizeAll = 5;
inline constexpr int CursorSizeNeSw = 6;
inline constexpr int CursorSizeNS = 7;
inline constexpr int CursorSizeNwSe = 8;
inline constexpr int CursorSizeWE = 9;
inline constexpr int CursorWait = 10;
inline constexpr int CursorNone = 11;
inline constexpr int CursorCustom = 12;
inline constexpr int CursorCount = 13;

class WidgetHost : public DialogListener
{
public:
    // The process-wide host (the application object), or none outside its lifetime: a dialog made before
    // it is attached takes its labels and listener from here.
    static WidgetHost* Current();

    virtual void SetCursorNumber(int number) = 0;
    // The string table's text for id, or defaultText when the id has none.
    virtual std::string GetString(const std::string& id, const std::string& defaultText) const = 0;
    // One step of the main loop; false when the loop is to be left.
    virtual bool UpdateStep(bool* updated) = 0;
    virtual Dialog* GetDialog(int id) = 0;
    virtual bool CloseDialog(int id) = 0;

protected:
    // The application registers itself for its lifetime (none again when it ends).
    static void SetCurrent(WidgetHost* host);
};

} // namespace zest
