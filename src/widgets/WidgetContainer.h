// The common base of every widget and of the widget manager: a rectangle holding an
// ordered list of child widgets (back to front, sorted by z-order). Containers never
// own or delete their children. Main thread only.
#pragma once

#include "base/Color.h"
#include "widgets/WidgetFlags.h"

#include <list>
#include <vector>

namespace zest
{

class Graphics;
class Widget;
class WidgetManager;

class WidgetContainer
{
public:
    WidgetContainer() = default;
    WidgetContainer(const WidgetContainer&) = delete;
    WidgetContainer& operator=(const WidgetContainer&) = delete;
    // Leaves the children in place but unlinked (their parent becomes none).
    virtual ~WidgetContainer();

    virtual Rect GetRect() const;
    // Rectangles overlap (edges exclusive).
    virtual bool Intersects(const WidgetContainer* other) const;
    // Inserts in front of the children of the same z-order; nothing if already a child.
    virtual void AddWidget(Widget* widget);
    // Takes the child out (detaching it from the manager); never deletes it.
    virtual void RemoveWidget(Widget* widget);
    virtual bool HasWidget(const Widget* widget) const;
    virtual void ForgetWidget(Widget* widget);
    // Removes every child (and, when recursive, their children first); deletes them
    // when doDelete.
    virtual void RemoveChildren(bool doDelete, bool recursive);
    virtual void SetFocus(Widget* widget);
    // True when a depth-first walk in list order meets widget1 before widget2.
    virtual bool IsBelow(const Widget* widget1, const Widget* widget2) const;
    virtual void MarkAllDirty();
    virtual void BringToFront(Widget* widget);
    virtual void SendToBack(Widget* widget);
    virtual void PlaceBehind(Widget* widget, Widget* other);
    virtual void PlaceInFront(Widget* widget, Widget* other);
    virtual Point AbsolutePosition() const;
    virtual void MarkDirty(WidgetContainer* child);
    virtual void MarkDirty();
    virtual void MarkDirtyWithBehind(WidgetContainer* child);
    virtual void MarkDirtyWithBehind();
    virtual void OnAttached(WidgetManager* manager);
    virtual void OnDetached(WidgetManager* manager);
    virtual void Update();
    virtual void UpdateTree(ModalFlags* modalFlags);
    virtual void UpdateFractional(float fraction);
    virtual void UpdateTreeFractional(ModalFlags* modalFlags, float fraction);
    virtual void Draw(Graphics* g);
    virtual void DrawTree(ModalFlags* modalFlags, Graphics* g);
    virtual void SystemColorsChangedTree();
    virtual void SystemColorsChanged();

    const std::list<Widget*>& GetChildren() const { return children; }
    WidgetManager* GetWidgetManager() const { return widgetManager; }
    WidgetContainer* GetParent() const { return parent; }

    std::list<Widget*> children;
    WidgetManager* widgetManager = nullptr;
    WidgetContainer* parent = nullptr;
    int lastUpdateCount = 0;
    int updateCount = 0;
    bool dirty = false;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool hasAlpha = false;
    bool clip = true;
    FlagsMod widgetFlagsMod;
    int priority = 0;
    int zOrder = 0;

protected:
    // One walk over the children in progress. Every walk registers its position so a
    // removal or reorder during a child's call moves it on instead of leaving it on a
    // removed element; a stack of them keeps nested walks (a modal wait inside an
    // update) safe as well.
    struct WalkCursor
    {
        std::list<Widget*>::iterator position;
        bool modified = false;
    };

    // Takes the widget out of the list, moving any walk that stands on it to the next child.
    void Unlink(std::list<Widget*>::iterator position);
    // Inserts following the z-order rule, searching from position.
    void InsertWidgetHelper(std::list<Widget*>::iterator position, Widget* widget);
    std::list<Widget*>::iterator Find(const Widget* widget);
    // Marks dirty every visible child in front of the one at position that overlaps it.
    void MarkDirtyInFront(std::list<Widget*>::iterator position);
    // After a move in the list: the widget, what it now covers or uncovers and what lies in front
    // of it are drawn again; then the widget hears of its new place.
    void Reordered(Widget* widget);
    // Walks the children in list order, calling fn for each; survives changes to the
    // list made by fn.
    template <class Fn>
    void WalkChildren(Fn fn);

    std::vector<WalkCursor*> walkCursors;
};

template <class Fn>
void WidgetContainer::WalkChildren(Fn fn)
{
    struct Registration
    {
        std::vector<WalkCursor*>& cursors;
        ~Registration() { cursors.pop_back(); }
    };
    WalkCursor cursor;
    cursor.position = children.begin();
    walkCursors.push_back(&cursor);
    Registration registration{walkCursors};
    while (cursor.position != children.end())
    {
        Widget* child = *cursor.position;
        cursor.modified = false;
        fn(child);
        if (!cursor.modified && cursor.position != children.end())
            ++cursor.position;
    }
}

} // namespace zest
