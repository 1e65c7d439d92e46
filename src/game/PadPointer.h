// Plays the game without a mouse. A gamepad's left stick (and, in a level, its d-pad) moves the pointer,
// faster the longer it is held; A holds the left button at the pointer (a spray on a hose, a click on a
// button); in menus and dialogs the d-pad jumps between the buttons, B presses the dialog's cancel or
// close button and Start its first one; in a level Start pauses. The shoulder buttons jump to the next or
// previous hose (in a level) or button, left to right. In a level the keyboard jumps the pointer
// between the hoses on screen (Tab, Shift+Tab, the arrow keys) and Enter holds the spray. Everything it
// does reaches the game as the mouse would, from handled input and updates, so a demo replays it. An
// invisible widget that only updates; owned by the GameApp; main thread.
#pragma once

#include "widgets/Widget.h"

#include <optional>
#include <vector>

namespace tibble
{

class GameApp;
class Board;

class PadPointer : public zest::Widget
{
public:
    // Stick positions within this of the centre count as centred.
    static constexpr int DeadZone = 8000;
    // Pixels per update at full deflection: the start speed and the most it accelerates to.
    static constexpr float StartSpeed = 2.0f;
    static constexpr float MaxSpeed = 12.0f;
    // Speed gained per update of steady movement.
    static constexpr float Acceleration = 0.25f;

    explicit PadPointer(GameApp* app);

    void Update() override;
    // The application's gamepad input; true when it was used.
    bool GamepadButton(int button, bool down);
    // Keys the board does not use itself, in a level; true when used.
    bool LevelKeyDown(int key);
    bool LevelKeyUp(int key);

    // The screen points the pointer jumps between: the grab points of the hoses on screen while a level
    // is played, else the centres of the buttons that take the mouse now. Left to right, top to bottom.
    std::vector<zest::Point> Targets() const;
    // The target nearest to from in a direction (dx, dy one of -1, 0, 1), or none.
    static std::optional<zest::Point> TargetToward(const std::vector<zest::Point>& targets, zest::Point from,
                                                   int dx, int dy);

private:
    // A level is on screen, running, with no dialog over it.
    bool InLevel() const;
    Board* GetBoard() const;
    zest::Point Pointer() const;
    void MoveTo(zest::Point point);
    void Press(bool down);
    // A click on the top dialog's no or cancel button (cancel) or its yes, OK or footer button.
    bool PressDialogButton(bool cancel);
    void Jump(int dx, int dy);
    void JumpInOrder(int step);

    GameApp* app;
    float pointerX = 0;
    float pointerY = 0;
    float speed = StartSpeed;
    bool padPressing = false;
    bool keyPressing = false;
};

} // namespace tibble
