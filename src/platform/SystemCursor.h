// The system's mouse cursor shapes, chosen by cursor number (0 pointer, 1 hand,
// 2 dragging hand, 3 text, 4 no, 5-9 sizing arrows, 10 wait, 11 none). The two hands are
// built from masks of our own. Main thread.
#pragma once

namespace zest
{

// Shows the shape for the number (numbers outside 0-11 give the pointer); 11 hides
// the cursor. Answers false when the system has no such cursor (the pointer stays).
bool SetSystemCursor(int number);

// Frees the cursors made so far (before the video subsystem stops).
void FreeSystemCursors();

} // namespace zest
