// A widget that records what the manager does to it, for the widget tests.
#pragma once

#include "graphics/Graphics.h"
#include "widgets/Widget.h"
#include "widgets/WidgetManager.h"

#include <functional>
#include <string>
#include <vector>

namespace zest::test
{

class RecordingWidget : public Widget
{
public:
    explicit RecordingWidget(std::string widgetName, std::vector<std::string>* sharedLog = nullptr)
        : name(std::move(widgetName)), log(sharedLog)
    {
    }

    using Widget::MouseDown;
    using Widget::MouseUp;

    void Update() override
    {
        Widget::Update();
        updates++;
        Note("update");
        if (onUpdate)
            onUpdate(this);
    }
    void Draw(Graphics* g) override
    {
        draws++;
        Note("draw");
        if (fill.alpha > 0)
        {
            g->SetColor(fill);
            g->FillRect(0, 0, width, height);
        }
    }
    void DrawOverlay(Graphics* g) override
    {
        (void)g;
        Note("overlay");
    }
    void MouseEnter() override
    {
        enters++;
        Note("enter");
    }
    void MouseLeave() override
    {
        leaves++;
        Note("leave");
    }
    void MouseMove(int mouseX, int mouseY) override
    {
        moves++;
        lastX = mouseX;
        lastY = mouseY;
    }
    void MouseDown(int mouseX, int mouseY, int clickCount) override
    {
        downs.push_back(clickCount);
        lastX = mouseX;
        lastY = mouseY;
        Note("down" + std::to_string(clickCount));
        Widget::MouseDown(mouseX, mouseY, clickCount);
    }
    void MouseUp(int mouseX, int mouseY, int clickCount) override
    {
        ups.push_back(clickCount);
        lastX = mouseX;
        lastY = mouseY;
        Note("up" + std::to_string(clickCount));
        Widget::MouseUp(mouseX, mouseY, clickCount);
    }
    void MouseDrag(int mouseX, int mouseY) override
    {
        drags++;
        lastX = mouseX;
        lastY = mouseY;
    }
    void GotFocus() override
    {
        Widget::GotFocus();
        Note("gotfocus");
    }
    void LostFocus() override
    {
        Widget::LostFocus();
        Note("lostfocus");
    }
    void KeyDown(int key) override
    {
        keysDown.push_back(key);
        Widget::KeyDown(key);
    }
    void KeyUp(int key) override { keysUp.push_back(key); }
    bool HitsPoint(int px, int py) override { return !hitTest || hitTest(px, py); }

    void Note(const std::string& what)
    {
        if (log)
            log->push_back(name + ":" + what);
    }

    std::string name;
    std::vector<std::string>* log;
    std::function<void(RecordingWidget*)> onUpdate;
    std::function<bool(int, int)> hitTest;
    Color fill{0, 0, 0, 0};
    int updates = 0;
    int draws = 0;
    int enters = 0;
    int leaves = 0;
    int moves = 0;
    int drags = 0;
    int lastX = 0;
    int lastY = 0;
    std::vector<int> downs;
    std::vector<int> ups;
    std::vector<int> keysDown;
    std::vector<int> keysUp;
};

} // namespace zest::test
