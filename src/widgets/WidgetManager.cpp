#include "widgets/WidgetManager.h"

#include "graphics/DisplayImage.h"
#include "graphics/Graphics.h"
#include "platform/VirtualKeys.h"
#include "widgets/Widget.h"

#include <algorithm>

namespace zest
{

WidgetManager::WidgetManager(WidgetHost* widgetHost) : host(widgetHost)
{
    widgetManager = this;
}

WidgetManager::~WidgetManager()
{
    // Unlink every remaining widget so none keeps a pointer to this manager.
    RemoveChildren(false, false);
}

void WidgetManager::SetScreenImage(Image* image)
{
    screenImage = image;
    auto* display = dynamic_cast<DisplayImage*>(image);
    is3D = display && display->is3D;
    if (image)
    {
        width = image->GetWidth();
        height = image->GetHeight();
    }
}

void WidgetManager::LeaveOver()
{
    Widget* widget = overWidget;
    if (!widget)
        return;
    overWidget = nullptr;
    widget->isOver = false;
    widget->MouseLeave();
    if (widget->showFinger)
        widget->ShowHandCursor(false);
}

void WidgetManager::EnterOver(Widget* widget)
{
    overWidget = widget;
    if (!widget)
        return;
    widget->isOver = true;
    widget->MouseEnter();
    if (widget->showFinger)
        widget->ShowHandCursor(true);
}

void WidgetManager::ForgetWidget(Widget* widget)
{
    if (!widget)
        return;
    if (widget == overWidget)
        LeaveOver();
    if (widget == lastDownWidget)
    {
        ReleaseButtons();
        lastDownWidget = nullptr;
    }
    if (widget == focusWidget)
    {
        focusWidget = nullptr;
        widget->LostFocus();
    }
    if (widget == baseModalWidget)
        baseModalWidget = nullptr;
    if (widget == defaultTab)
        defaultTab = nullptr;
    // A widget that goes away during a draw must not be drawn as an overlay later.
    for (auto& overlay : deferredOverlays)
    {
        if (overlay.first == widget)
            overlay.first = nullptr;
    }
}

void WidgetManager::SetFocus(Widget* widget)
{
    if (widget == focusWidget)
        return;
    Widget* old = focusWidget;
    focusWidget = nullptr;
    if (old)
        old->LostFocus();
    if (widget && widget->widgetManager == this)
    {
        focusWidget = widget;
        if (hasFocus)
            widget->GotFocus();
    }
}

void WidgetManager::StartModalFlags(ModalFlags* modalFlags)
{
    modalFlags->isOver = baseModalWidget == nullptr;
    modalFlags->overFlags = CurrentWidgetFlags();
    modalFlags->underFlags = belowModalFlagsMod.Apply(modalFlags->overFlags);
}

int WidgetManager::CurrentWidgetFlags() const
{
    return hasFocus ? widgetFlags : lostFocusFlagsMod.Apply(widgetFlags);
}

bool WidgetManager::UpdateWidgets()
{
    ModalFlags modalFlags;
    StartModalFlags(&modalFlags);
    updateCount++;
    lastUpdateCount = updateCount;
    UpdateTree(&modalFlags);
    return dirty;
}

bool WidgetManager::UpdateWidgetsFractional(float fraction)
{
    ModalFlags modalFlags;
    StartModalFlags(&modalFlags);
    UpdateTreeFractional(&modalFlags, fraction);
    return dirty;
}

bool WidgetManager::DrawWidgets()
{
    ModalFlags modalFlags;
    StartModalFlags(&modalFlags);
    deferredOverlays.clear();
    minDeferredOverlayPriority = INT_MAX;
    bool drew = false;
    if (!screenImage)
        return false;

    int dirtyCount = 0;
    for (Widget* child : children)
    {
        if (child->dirty)
            dirtyCount++;
    }
    // The screen image is exactly the application area, so root-level widgets draw
    // at their own positions.
    Graphics g(screenImage);
    currentGraphics = &g;
    if (dirtyCount > 0)
    {
        WalkChildren([&](Widget* child) {
            if (child == baseModalWidget)
                modalFlags.isOver = true;
            if (child->dirty && child->visible)
            {
                Graphics childGraphics(g);
                childGraphics.Translate(child->x, child->y);
                childGraphics.SetFastStretch(!is3D);
                childGraphics.SetLinearBlend(is3D);
                child->DrawTree(&modalFlags, &childGraphics);
                drew = true;
            }
            child->dirty = false;
        });
    }
    DrawDeferredOverlays(INT_MAX);
    currentGraphics = nullptr;
    dirty = false;
    return drew;
}

void WidgetManager::DeferOverlay(Widget* widget, int overlayPriority)
{
    if (!widget)
        return;
    deferredOverlays.emplace_back(widget, overlayPriority);
    minDeferredOverlayPriority = std::min(minDeferredOverlayPriority, overlayPriority);
}

void WidgetManager::DrawDeferredOverlays(int maxPriority)
{
    if (!currentGraphics)
    {
        deferredOverlays.clear();
        minDeferredOverlayPriority = INT_MAX;
        return;
    }
    while (!deferredOverlays.empty() && minDeferredOverlayPriority < maxPriority)
    {
        int current = minDeferredOverlayPriority;
        // Index loop: an overlay may defer further overlays while it draws.
        for (size_t i = 0; i < deferredOverlays.size(); i++)
        {
            if (deferredOverlays[i].second != current || !deferredOverlays[i].first)
                continue;
            Widget* widget = deferredOverlays[i].first;
            deferredOverlays[i].first = nullptr;
            Graphics overlayGraphics(*currentGraphics);
            // Nested widgets draw their overlay at their place on the screen.
            Point position = widget->AbsolutePosition();
            overlayGraphics.Translate(position.x, position.y);
            overlayGraphics.SetFastStretch(!is3D);
            overlayGraphics.SetLinearBlend(is3D);
            widget->DrawOverlay(&overlayGraphics, current);
        }
        minDeferredOverlayPriority = INT_MAX;
        for (const auto& overlay : deferredOverlays)
        {
            if (overlay.first)
                minDeferredOverlayPriority = std::min(minDeferredOverlayPriority, overlay.second);
        }
    }
    deferredOverlays.erase(std::remove_if(deferredOverlays.begin(), deferredOverlays.end(),
                                          [](const auto& overlay) { return overlay.first == nullptr; }),
                           deferredOverlays.end());
}

void WidgetManager::SetMouseMapping(const Rect& source, const Rect& destination)
{
    mouseSourceRect = source;
    mouseDestRect = destination;
}

void WidgetManager::MapMouse(int& mouseX, int& mouseY) const
{
    if (mouseSourceRect.IsEmpty() || mouseDestRect.IsEmpty())
        return;
    // Multiply first so a scaled picture maps every window pixel exactly.
    mouseX = static_cast<int>(static_cast<long long>(mouseX - mouseSourceRect.x) * mouseDestRect.width /
                              mouseSourceRect.width) +
             mouseDestRect.x;
    mouseY = static_cast<int>(static_cast<long long>(mouseY - mouseSourceRect.y) * mouseDestRect.height /
                              mouseSourceRect.height) +
             mouseDestRect.y;
}

Widget* WidgetManager::FindWidgetAt(int findX, int findY, int flags, bool* found, int* widgetX, int* widgetY)
{
    // A free helper would need the manager's fields; a recursive lambda keeps it here.
    struct Finder
    {
        WidgetManager* manager;
        Widget* Find(WidgetContainer* container, int px, int py, int inFlags, bool* isFound, int* wx, int* wy)
        {
            int containerFlags = container->widgetFlagsMod.Apply(inFlags);
            bool belowModal = false;
            for (auto it = container->children.rbegin(); it != container->children.rend(); ++it)
            {
                Widget* child = *it;
                int childFlags = child->widgetFlagsMod.Apply(containerFlags);
                if (belowModal)
                    childFlags = manager->belowModalFlagsMod.Apply(childFlags);
                if ((childFlags & WidgetFlagAllowMouse) && child->visible)
                {
                    bool childFound = false;
                    Widget* result = Find(child, px - child->x, py - child->y, childFlags, &childFound, wx, wy);
                    if (result || childFound)
                    {
                        *isFound = true;
                        return result;
                    }
                    if (child->mouseVisible && child->InsetRect().Contains(px, py))
                    {
                        *isFound = true;
                        if (child->HitsPoint(px - child->x, py - child->y))
                        {
                            *wx = px - child->x;
                            *wy = py - child->y;
                            return child;
                        }
                    }
                }
                if (child == manager->baseModalWidget)
                    belowModal = true;
            }
            return nullptr;
        }
    };
    bool localFound = false;
    int localX = 0;
    int localY = 0;
    Finder finder{this};
    Widget* result = finder.Find(this, findX, findY, flags, &localFound, &localX, &localY);
    if (found)
        *found = localFound;
    if (widgetX)
        *widgetX = localX;
    if (widgetY)
        *widgetY = localY;
    return result;
}

Widget* WidgetManager::WidgetAt(int mouseX, int mouseY, int* widgetX, int* widgetY)
{
    bool found = false;
    Widget* widget = FindWidgetAt(mouseX, mouseY, CurrentWidgetFlags(), &found, widgetX, widgetY);
    if (widget && widget->disabled)
        return nullptr;
    return widget;
}

void WidgetManager::TrackMouse(int mouseX, int mouseY)
{
    bool moved = mouseX != lastMouseX || mouseY != lastMouseY;
    lastMouseX = mouseX;
    lastMouseY = mouseY;
    int widgetX = 0;
    int widgetY = 0;
    Widget* widget = WidgetAt(mouseX, mouseY, &widgetX, &widgetY);
    if (widget == overWidget && (!moved || !widget))
        return;
    if (widget != overWidget)
    {
        LeaveOver();
        EnterOver(widget);
    }
    if (widget)
        widget->MouseMove(widgetX, widgetY);
}

void WidgetManager::RefreshHover()
{
    if (lastDownWidget)
    {
        if (overWidget)
        {
            int widgetX = 0;
            int widgetY = 0;
            if (WidgetAt(lastMouseX, lastMouseY, &widgetX, &widgetY) != lastDownWidget)
                LeaveOver();
        }
    }
    else if (mouseIn)
    {
        TrackMouse(lastMouseX, lastMouseY);
    }
}

void WidgetManager::MouseMove(int mouseX, int mouseY)
{
    lastInputUpdateCount = updateCount;
    if (downButtons != 0 || actualDownButtons != 0)
    {
        MouseDrag(mouseX, mouseY);
        return;
    }
    mouseIn = true;
    TrackMouse(mouseX, mouseY);
}

void WidgetManager::MouseDrag(int mouseX, int mouseY)
{
    mouseIn = true;
    lastMouseX = mouseX;
    lastMouseY = mouseY;
    if (overWidget && overWidget != lastDownWidget)
        LeaveOver();
    if (lastDownWidget)
    {
        Point position = lastDownWidget->AbsolutePosition();
        lastDownWidget->MouseDrag(mouseX - position.x, mouseY - position.y);
    }
    // The dragging widget may have been removed by its own drag handler.
    if (!lastDownWidget)
        return;
    int widgetX = 0;
    int widgetY = 0;
    Widget* under = WidgetAt(mouseX, mouseY, &widgetX, &widgetY);
    if (under != lastDownWidget)
    {
        if (overWidget)
            LeaveOver();
    }
    else if (!overWidget)
    {
        EnterOver(lastDownWidget);
    }
}

void WidgetManager::MouseDown(int mouseX, int mouseY, int clickCount)
{
    lastInputUpdateCount = updateCount;
    int bit = clickCount == 3 ? MiddleButtonBit : clickCount < 0 ? RightButtonBit : LeftButtonBit;
    actualDownButtons |= bit;
    TrackMouse(mouseX, mouseY);
    if (popupCommandWidget)
    {
        Point position = popupCommandWidget->AbsolutePosition();
        Rect area(position.x, position.y, popupCommandWidget->width, popupCommandWidget->height);
        if (!area.Contains(mouseX, mouseY))
            RemovePopupWidget();
    }
    int widgetX = 0;
    int widgetY = 0;
    Widget* widget = WidgetAt(mouseX, mouseY, &widgetX, &widgetY);
    // A second button pressed while one is held goes to the widget already pressed, in
    // that widget's own coordinates.
    if (downButtons != 0 && lastDownWidget)
    {
        widget = lastDownWidget;
        Point position = widget->AbsolutePosition();
        widgetX = mouseX - position.x;
        widgetY = mouseY - position.y;
    }
    downButtons |= bit;
    lastDownButtonId = clickCount == 3 ? 2 : clickCount < 0 ? -1 : 1;
    lastDownWidget = widget;
    if (!widget)
        return;
    if (widget->TakesFocus())
        SetFocus(widget);
    widget->isDown = true;
    widget->MouseDown(widgetX, widgetY, clickCount);
}

void WidgetManager::MouseUp(int mouseX, int mouseY, int clickCount)
{
    lastInputUpdateCount = updateCount;
    int bit = clickCount == 3 ? MiddleButtonBit : clickCount < 0 ? RightButtonBit : LeftButtonBit;
    actualDownButtons &= ~bit;
    if (lastDownWidget && (downButtons & bit))
    {
        Widget* widget = lastDownWidget;
        downButtons &= ~bit;
        if (downButtons == 0)
            lastDownWidget = nullptr;
        widget->isDown = false;
        widget->MouseUp(mouseX - widget->x, mouseY - widget->y, clickCount);
    }
    downButtons &= ~bit;
    TrackMouse(mouseX, mouseY);
}

void WidgetManager::MouseLeftWindow(int mouseX, int mouseY)
{
    (void)mouseX, (void)mouseY;
    lastInputUpdateCount = updateCount;
    mouseIn = false;
    LeaveOver();
}

void WidgetManager::MouseWheel(int delta)
{
    lastInputUpdateCount = updateCount;
    if (focusWidget)
        focusWidget->MouseWheel(delta);
}

void WidgetManager::ReleaseButtons()
{
    Widget* widget = lastDownWidget;
    if (widget && downButtons != 0)
    {
        Point position = widget->AbsolutePosition();
        int upX = lastMouseX - position.x;
        int upY = lastMouseY - position.y;
        // Clear the state first: a handler that presses again or removes itself must
        // see the buttons already released.
        int held = downButtons;
        downButtons = 0;
        lastDownWidget = nullptr;
        const int buttons[][2] = {{LeftButtonBit, 1}, {RightButtonBit, -1}, {MiddleButtonBit, 3}};
        for (const auto& button : buttons)
        {
            if (held & button[0])
            {
                widget->isDown = false;
                widget->MouseUp(upX, upY, button[1]);
            }
        }
    }
    downButtons = 0;
    lastDownWidget = nullptr;
}

void WidgetManager::KeyChar(int character)
{
    lastInputUpdateCount = updateCount;
    if (character == VK_TAB && IsKeyDown(VK_CONTROL))
    {
        if (defaultTab)
            defaultTab->KeyChar(character);
        return;
    }
    if (focusWidget)
        focusWidget->KeyChar(character);
}

void WidgetManager::KeyDown(int key)
{
    lastInputUpdateCount = updateCount;
    if (key >= 0 && key < static_cast<int>(keyDown.size()))
        keyDown[static_cast<size_t>(key)] = true;
    if (focusWidget)
        focusWidget->KeyDown(key);
}

void WidgetManager::KeyUp(int key)
{
    lastInputUpdateCount = updateCount;
    if (key >= 0 && key < static_cast<int>(keyDown.size()))
        keyDown[static_cast<size_t>(key)] = false;
    if (key == VK_TAB && IsKeyDown(VK_CONTROL))
        return;
    if (focusWidget)
        focusWidget->KeyUp(key);
}

bool WidgetManager::IsKeyDown(int key) const
{
    return key >= 0 && key < static_cast<int>(keyDown.size()) && keyDown[static_cast<size_t>(key)];
}

void WidgetManager::GamepadAdded(int pad)
{
    gamepads.SetConnected(pad, true);
}

void WidgetManager::GamepadRemoved(int pad)
{
    gamepads.SetConnected(pad, false);
}

void WidgetManager::GamepadButtonDown(int pad, int button)
{
    lastInputUpdateCount = updateCount;
    gamepads.SetButton(pad, button, true);
    if (focusWidget)
        focusWidget->GamepadButtonDown(pad, button);
}

void WidgetManager::GamepadButtonUp(int pad, int button)
{
    lastInputUpdateCount = updateCount;
    gamepads.SetButton(pad, button, false);
    if (focusWidget)
        focusWidget->GamepadButtonUp(pad, button);
}

void WidgetManager::GamepadAxisMoved(int pad, int axis, int value)
{
    lastInputUpdateCount = updateCount;
    gamepads.SetAxis(pad, axis, value);
    if (focusWidget)
        focusWidget->GamepadAxisMoved(pad, axis, value);
}

void WidgetManager::GotFocus()
{
    if (hasFocus)
        return;
    hasFocus = true;
    if (focusWidget)
        focusWidget->GotFocus();
}

void WidgetManager::LostFocus()
{
    if (!hasFocus)
        return;
    actualDownButtons = 0;
    for (int key = 0; key < static_cast<int>(keyDown.size()); key++)
    {
        if (keyDown[static_cast<size_t>(key)])
            KeyUp(key);
    }
    hasFocus = false;
    if (focusWidget)
        focusWidget->LostFocus();
}

void WidgetManager::SetBaseModal(Widget* widget, const FlagsMod& belowModalModifier)
{
    baseModalWidget = widget;
    belowModalFlagsMod = belowModalModifier;
    if (belowModalModifier.removeFlags & WidgetFlagAllowMouse)
    {
        if (overWidget && widget && IsBelow(overWidget, widget))
            LeaveOver();
        if (lastDownWidget && widget && IsBelow(lastDownWidget, widget))
            ReleaseButtons();
    }
    if ((belowModalModifier.removeFlags & WidgetFlagAllowFocus) && focusWidget && widget &&
        IsBelow(focusWidget, widget))
    {
        Widget* old = focusWidget;
        focusWidget = nullptr;
        old->LostFocus();
    }
}

void WidgetManager::PushModal(Widget* widget)
{
    PushModal(widget, defaultBelowModalFlagsMod);
}

void WidgetManager::PushModal(Widget* widget, const FlagsMod& belowModalModifier)
{
    if (!widget)
        return;
    preModalInfoList.push_back({widget, baseModalWidget, focusWidget, belowModalFlagsMod});
    SetBaseModal(widget, belowModalModifier);
}

void WidgetManager::PopModal(Widget* widget)
{
    if (preModalInfoList.empty() || preModalInfoList.back().baseModalWidget != widget)
        return;
    while (!preModalInfoList.empty())
    {
        PreModalInfo info = preModalInfoList.back();
        preModalInfoList.pop_back();
        SetBaseModal(info.prevBaseModalWidget, info.prevBelowModalFlagsMod);
        if (!focusWidget && info.prevFocusWidget)
            SetFocus(info.prevFocusWidget);
        // Records whose modal widget went away without being popped are dropped too.
        if (baseModalWidget || preModalInfoList.empty())
            break;
    }
    // The widgets behind can be hovered again at once.
    RefreshHover();
}

void WidgetManager::SetPopupWidget(Widget* widget)
{
    if (popupCommandWidget && popupCommandWidget != widget)
        RemovePopupWidget();
    popupCommandWidget = widget;
    if (widget)
        AddWidget(widget);
}

void WidgetManager::RemovePopupWidget()
{
    Widget* widget = popupCommandWidget;
    if (!widget)
        return;
    popupCommandWidget = nullptr;
    RemoveWidget(widget);
}

} // namespace zest
