#include "widgets/WidgetContainer.h"

#include "graphics/Graphics.h"
#include "widgets/Widget.h"
#include "widgets/WidgetManager.h"

#include <algorithm>

namespace zest
{

WidgetContainer::~WidgetContainer()
{
    for (Widget* child : children)
        child->parent = nullptr;
    children.clear();
}

Rect WidgetContainer::GetRect() const
{
    return Rect(x, y, width, height);
}

bool WidgetContainer::Intersects(const WidgetContainer* other) const
{
    return other && GetRect().Intersects(other->GetRect());
}

std::list<Widget*>::iterator WidgetContainer::Find(const Widget* widget)
{
    return std::find(children.begin(), children.end(), widget);
}

void WidgetContainer::Unlink(std::list<Widget*>::iterator position)
{
    for (WalkCursor* cursor : walkCursors)
    {
        if (cursor->position == position)
        {
            ++cursor->position;
            cursor->modified = true;
        }
    }
    children.erase(position);
}

void WidgetContainer::InsertWidgetHelper(std::list<Widget*>::iterator position, Widget* widget)
{
    // Forward to the first child whose z-order is >= the widget's ...
    auto it = position;
    while (it != children.end() && (*it)->zOrder < widget->zOrder)
        ++it;
    // ... unless the child before it sorts after the widget: then back to just after
    // the last child whose z-order is <= the widget's.
    if (it != children.begin())
    {
        auto before = std::prev(it);
        if ((*before)->zOrder > widget->zOrder)
        {
            it = before;
            while (it != children.begin())
            {
                auto previous = std::prev(it);
                if ((*previous)->zOrder <= widget->zOrder)
                    break;
                it = previous;
            }
        }
    }
    children.insert(it, widget);
}

void WidgetContainer::AddWidget(Widget* widget)
{
    if (!widget || widget == this || Find(widget) != children.end())
        return;
    // A widget lives in one container at a time.
    if (widget->parent)
        widget->parent->RemoveWidget(widget);
    InsertWidgetHelper(children.end(), widget);
    widget->widgetManager = widgetManager;
    widget->parent = this;
    if (widgetManager)
    {
        widget->OnAttached(widgetManager);
        widget->MarkDirtyWithBehind();
        widgetManager->RefreshHover();
    }
    MarkDirty();
}

void WidgetContainer::RemoveWidget(Widget* widget)
{
    auto position = Find(widget);
    if (position == children.end())
        return;
    if (widgetManager)
    {
        WidgetManager* manager = widgetManager;
        manager->ForgetWidget(widget);
        for (WidgetManager::PreModalInfo& info : manager->preModalInfoList)
        {
            if (info.prevBaseModalWidget == widget)
                info.prevBaseModalWidget = nullptr;
            if (info.prevFocusWidget == widget)
                info.prevFocusWidget = nullptr;
        }
        widget->OnDetached(manager);
        // What the widget covered must be drawn again without it.
        if (widget->visible)
            MarkDirtyWithBehind(widget);
        widget->widgetManager = nullptr;
    }
    widget->parent = nullptr;
    // The marks above may have added to the list; find the widget again.
    position = Find(widget);
    if (position != children.end())
        Unlink(position);
    widget->dirty = false;
}

bool WidgetContainer::HasWidget(const Widget* widget) const
{
    return std::find(children.begin(), children.end(), widget) != children.end();
}

void WidgetContainer::ForgetWidget(Widget* widget)
{
    (void)widget;
}

void WidgetContainer::RemoveChildren(bool doDelete, bool recursive)
{
    while (!children.empty())
    {
        Widget* child = children.front();
        if (recursive)
            child->RemoveChildren(doDelete, recursive);
        RemoveWidget(child);
        if (doDelete)
            delete child;
    }
}

void WidgetContainer::SetFocus(Widget* widget)
{
    (void)widget;
}

namespace
{
// Depth-first in list order: answers 1 when widget1 comes first, 2 when widget2
// does, 0 when neither was met.
int FirstMet(const WidgetContainer* container, const Widget* widget1, const Widget* widget2)
{
    for (const Widget* child : container->children)
    {
        if (child == widget1)
            return 1;
        if (child == widget2)
            return 2;
        int inside = FirstMet(child, widget1, widget2);
        if (inside != 0)
            return inside;
    }
    return 0;
}
} // namespace

bool WidgetContainer::IsBelow(const Widget* widget1, const Widget* widget2) const
{
    return FirstMet(this, widget1, widget2) == 1;
}

void WidgetContainer::MarkAllDirty()
{
    MarkDirty();
    for (Widget* child : children)
    {
        child->dirty = true;
        child->MarkAllDirty();
    }
}

void WidgetContainer::BringToFront(Widget* widget)
{
    auto position = Find(widget);
    if (position == children.end())
        return;
    Unlink(position);
    InsertWidgetHelper(children.end(), widget);
    Reordered(widget);
}

void WidgetContainer::SendToBack(Widget* widget)
{
    auto position = Find(widget);
    if (position == children.end())
        return;
    Unlink(position);
    InsertWidgetHelper(children.begin(), widget);
    Reordered(widget);
}

void WidgetContainer::PlaceBehind(Widget* widget, Widget* other)
{
    if (widget == other || Find(other) == children.end())
        return;
    auto position = Find(widget);
    if (position == children.end())
        return;
    Unlink(position);
    InsertWidgetHelper(Find(other), widget);
    Reordered(widget);
}

void WidgetContainer::PlaceInFront(Widget* widget, Widget* other)
{
    if (widget == other || Find(other) == children.end())
        return;
    auto position = Find(widget);
    if (position == children.end())
        return;
    Unlink(position);
    InsertWidgetHelper(std::next(Find(other)), widget);
    Reordered(widget);
}

void WidgetContainer::Reordered(Widget* widget)
{
    // Nothing else marks a move in the list: a widget brought in front of one that is not drawn
    // again (an idle picture under a dialog) would otherwise stay hidden behind its old pixels.
    if (widgetManager && widget->visible)
        MarkDirtyWithBehind(widget);
    widget->OnOrderChanged();
}

Point WidgetContainer::AbsolutePosition() const
{
    if (!parent)
        return Point(x, y);
    Point parentPosition = parent->AbsolutePosition();
    return Point(parentPosition.x + x, parentPosition.y + y);
}

void WidgetContainer::MarkDirty(WidgetContainer* child)
{
    if (!child || child->dirty)
        return;
    MarkDirty();
    child->dirty = true;
    if (parent)
        return;
    // At the root: a see-through child shows what lies behind it; anything in front
    // that overlaps it has to be drawn over it again.
    if (child->hasAlpha)
    {
        MarkDirtyWithBehind(child);
        return;
    }
    auto position = std::find(children.begin(), children.end(), child);
    if (position != children.end())
        MarkDirtyInFront(position);
}

void WidgetContainer::MarkDirtyInFront(std::list<Widget*>::iterator position)
{
    WidgetContainer* child = *position;
    for (++position; position != children.end(); ++position)
    {
        Widget* front = *position;
        if (front->visible && front->Intersects(child))
            MarkDirty(front);
    }
}

void WidgetContainer::MarkDirty()
{
    if (parent)
        parent->MarkDirty(this);
    else
        dirty = true;
}

void WidgetContainer::MarkDirtyWithBehind(WidgetContainer* child)
{
    if (!child)
        return;
    MarkDirtyWithBehind();
    child->dirty = true;
    if (parent)
        return;
    auto position = std::find(children.begin(), children.end(), child);
    if (position == children.end())
        return;
    // Backwards through what lies behind, stopping at the first opaque widget that
    // covers the whole changed area (on the screen).
    Rect area = child->GetRect().Intersection(GetRect().width > 0 ? Rect(0, 0, width, height) : child->GetRect());
    Point topLeft(area.x, area.y);
    Point bottomRight(area.x + area.width - 1, area.y + area.height - 1);
    for (auto it = position; it != children.begin();)
    {
        --it;
        Widget* behind = *it;
        if (!behind->visible)
            continue;
        Rect behindRect = behind->GetRect();
        if (!behind->hasTransparencies && !behind->hasAlpha && !area.IsEmpty() && behindRect.Contains(topLeft) &&
            behindRect.Contains(bottomRight))
        {
            MarkDirty(behind);
            break;
        }
        if (behind->Intersects(child))
            MarkDirty(behind);
    }
    MarkDirtyInFront(position);
}

void WidgetContainer::MarkDirtyWithBehind()
{
    if (parent)
        parent->MarkDirtyWithBehind(this);
    else
        dirty = true;
}

void WidgetContainer::OnAttached(WidgetManager* manager)
{
    for (Widget* child : children)
    {
        child->widgetManager = manager;
        child->OnAttached(manager);
    }
    MarkDirty();
}

void WidgetContainer::OnDetached(WidgetManager* manager)
{
    for (Widget* child : children)
    {
        manager->ForgetWidget(child);
        child->OnDetached(manager);
        child->widgetManager = nullptr;
    }
    if (manager->popupCommandWidget == this)
        manager->popupCommandWidget = nullptr;
}

void WidgetContainer::Update()
{
    updateCount++;
}

void WidgetContainer::UpdateTree(ModalFlags* modalFlags)
{
    AutoModalFlags autoFlags(modalFlags, widgetFlagsMod);
    int flags = modalFlags->GetFlags();
    if (flags & WidgetFlagMarkDirty)
        MarkDirty();
    WidgetManager* manager = widgetManager;
    if (manager && (flags & WidgetFlagUpdate) && lastUpdateCount != manager->updateCount)
    {
        lastUpdateCount = manager->updateCount;
        Update();
    }
    WalkChildren([&](Widget* child) {
        if (manager && child == manager->baseModalWidget)
            modalFlags->isOver = true;
        child->UpdateTree(modalFlags);
    });
}

void WidgetContainer::UpdateFractional(float fraction)
{
    (void)fraction;
}

void WidgetContainer::UpdateTreeFractional(ModalFlags* modalFlags, float fraction)
{
    AutoModalFlags autoFlags(modalFlags, widgetFlagsMod);
    int flags = modalFlags->GetFlags();
    if (flags & WidgetFlagMarkDirty)
        MarkDirty();
    WidgetManager* manager = widgetManager;
    if (manager && (flags & WidgetFlagUpdate))
        UpdateFractional(fraction);
    WalkChildren([&](Widget* child) {
        if (manager && child == manager->baseModalWidget)
            modalFlags->isOver = true;
        child->UpdateTreeFractional(modalFlags, fraction);
    });
}

void WidgetContainer::Draw(Graphics* g)
{
    (void)g;
}

void WidgetContainer::DrawTree(ModalFlags* modalFlags, Graphics* g)
{
    WidgetManager* manager = widgetManager;
    if (manager && manager->minDeferredOverlayPriority < priority)
        manager->DrawDeferredOverlays(priority);
    AutoModalFlags autoFlags(modalFlags, widgetFlagsMod);
    if (clip && (modalFlags->GetFlags() & WidgetFlagClip))
        g->ClipRect(0, 0, width, height);
    if (children.empty())
    {
        if (modalFlags->GetFlags() & WidgetFlagDraw)
            Draw(g);
        return;
    }
    if (modalFlags->GetFlags() & WidgetFlagDraw)
    {
        g->SaveState();
        Draw(g);
        g->RestoreState();
    }
    WalkChildren([&](Widget* child) {
        if (manager && child == manager->baseModalWidget)
            modalFlags->isOver = true;
        if (child->visible)
        {
            Graphics childGraphics(*g);
            childGraphics.Translate(child->x, child->y);
            child->DrawTree(modalFlags, &childGraphics);
        }
        // A hidden child is drawn as nothing, so it is clean too; leaving it dirty
        // would swallow the mark that shows it again.
        child->dirty = false;
    });
}

void WidgetContainer::SystemColorsChangedTree()
{
    SystemColorsChanged();
    WalkChildren([](Widget* child) { child->SystemColorsChangedTree(); });
}

void WidgetContainer::SystemColorsChanged()
{
}

} // namespace zest
