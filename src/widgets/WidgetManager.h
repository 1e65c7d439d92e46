// The root of the widget tree: feeds updates, draws and all mouse and keyboard
// input to the widgets, decides which widget gets each mouse event, keeps the
// keyboard focus and the modal layers. Owned by the application; main thread only.
#pragma once

#include "widgets/GamepadState.h"
#include "widgets/WidgetContainer.h"

#include <array>
#include <climits>
#include <utility>
#include <vector>

namespace zest
{

class Image;
class WidgetHost;

class WidgetManager : public WidgetContainer
{
public:
    // host may be none (tests): then the cursor is never changed.
    explicit WidgetManager(WidgetHost* host);
    // Detaches every remaining child; deletes none.
    ~WidgetManager() override;

    void ForgetWidget(Widget* widget) override;
    void SetFocus(Widget* widget) override;

    // The picture the widgets draw on (not owned; none draws nothing). The manager
    // takes its size.
    void SetScreenImage(Image* image);
    Image* GetScreenImage() const { return screenImage; }
    // The context of the draw in progress; none outside DrawWidgets.
    Graphics* GetCurrentGraphics() const { return currentGraphics; }

    // One update of every widget; answers whether anything is waiting to be drawn.
    bool UpdateWidgets();
    bool UpdateWidgetsFractional(float fraction);
    // Draws the dirty root-level widgets (each with its subtree) and the deferred
    // overlays; answers whether anything was drawn.
    bool DrawWidgets();

    // Window coordinates in source (where the picture lies in the window) map onto
    // destination (the application area).
    void SetMouseMapping(const Rect& source, const Rect& destination);
    void MapMouse(int& mouseX, int& mouseY) const;
    void TrackMouse(int mouseX, int mouseY);
    void RefreshHover();
    // clickCount: 1 left, 2 left double, -1 right, -2 right double, 3 middle.
    void MouseDown(int mouseX, int mouseY, int clickCount);
    void MouseUp(int mouseX, int mouseY, int clickCount);
    void MouseMove(int mouseX, int mouseY);
    void MouseDrag(int mouseX, int mouseY);
    void MouseLeftWindow(int mouseX, int mouseY);
    void MouseWheel(int delta);
    void KeyChar(int character);
    void KeyDown(int key);
    void KeyUp(int key);
    // The application gained or lost the keyboard focus.
    void GotFocus();
    void LostFocus();
    // Sends the pressed widget a mouse-up for every button still held.
    void ReleaseButtons();
    // Everything behind widget follows modifier (by default it loses mouse and focus).
    void PushModal(Widget* widget);
    void PushModal(Widget* widget, const FlagsMod& belowModalModifier);
    // Only the top modal layer can be popped; others wait for those above them.
    void PopModal(Widget* widget);
    // The enabled widget at (mouseX, mouseY), with the point in its coordinates.
    Widget* WidgetAt(int mouseX, int mouseY, int* widgetX, int* widgetY);
    Widget* FindWidgetAt(int findX, int findY, int flags, bool* found, int* widgetX, int* widgetY);
    // Draws widget's overlay after the widgets of lower priority (only during a draw).
    void DeferOverlay(Widget* widget, int overlayPriority);
    void DrawDeferredOverlays(int maxPriority);
    // A widget added to the tree that goes away when the mouse is pressed outside it.
    void SetPopupWidget(Widget* widget);
    void RemovePopupWidget();
    void StartModalFlags(ModalFlags* modalFlags);
    int CurrentWidgetFlags() const;
    bool IsKeyDown(int key) const;
    // Gamepad input: kept for polling (gamepads), then handed to the focus widget.
    void GamepadAdded(int pad);
    void GamepadRemoved(int pad);
    void GamepadButtonDown(int pad, int button);
    void GamepadButtonUp(int pad, int button);
    void GamepadAxisMoved(int pad, int axis, int value);
    const GamepadState& Gamepads() const { return gamepads; }

    struct PreModalInfo
    {
        Widget* baseModalWidget = nullptr;
        Widget* prevBaseModalWidget = nullptr;
        Widget* prevFocusWidget = nullptr;
        FlagsMod prevBelowModalFlagsMod;
    };

    // Mouse button bits of downButtons / actualDownButtons.
    static constexpr int LeftButtonBit = 1;
    static constexpr int RightButtonBit = 2;
    static constexpr int MiddleButtonBit = 4;

    WidgetHost* host = nullptr;
    Image* screenImage = nullptr;
    Graphics* currentGraphics = nullptr;
    Widget* defaultTab = nullptr;
    std::vector<std::pair<Widget*, int>> deferredOverlays;
    int minDeferredOverlayPriority = INT_MAX;
    Widget* popupCommandWidget = nullptr;
    Widget* focusWidget = nullptr;
    Widget* lastDownWidget = nullptr;
    Widget* overWidget = nullptr;
    Widget* baseModalWidget = nullptr;
    FlagsMod lostFocusFlagsMod;
    FlagsMod belowModalFlagsMod;
    FlagsMod defaultBelowModalFlagsMod{0, WidgetFlagAllowMouse | WidgetFlagAllowFocus};
    std::vector<PreModalInfo> preModalInfoList;
    Rect mouseDestRect;
    Rect mouseSourceRect;
    int lastMouseX = 0;
    int lastMouseY = 0;
    bool mouseIn = false;
    int downButtons = 0;
    int actualDownButtons = 0;
    int lastDownButtonId = 0;
    int lastInputUpdateCount = 0;
    std::array<bool, 255> keyDown{};
    GamepadState gamepads;
    bool hasFocus = true;
    int widgetFlags = WidgetFlagUpdate | WidgetFlagDraw | WidgetFlagClip | WidgetFlagAllowMouse | WidgetFlagAllowFocus;

private:
    void SetBaseModal(Widget* widget, const FlagsMod& belowModalModifier);
    void LeaveOver();
    void EnterOver(Widget* widget);
    bool is3D = false;
};

} // namespace zest
