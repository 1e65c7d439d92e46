// An application for the loop tests: a fake clock, an off-screen display, and
// counters for what the loop does.
#pragma once

#include "app/DisplayInterface.h"
#include "app/ZestAppBase.h"
#include "graphics/Graphics.h"
#include "platform/FakeClock.h"
#include "widgets/Widget.h"
#include "widgets/WidgetManager.h"

#include <functional>

namespace zest::test
{

class TestApp : public ZestAppBase
{
public:
    TestApp()
    {
        SetClock(&fakeClock);
        autoStartLoadingThread = false;
        CreateOffscreenDisplay();
    }
    // The loading thread reads the clock: it must end before the clock goes.
    ~TestApp() override { WaitForLoadingThread(); }

    bool DrawDirty() override
    {
        bool shown = ZestAppBase::DrawDirty();
        if (shown)
            framesShown++;
        return shown;
    }
    void OnLoadingDone() override
    {
        loadingDoneCalls++;
        loadingDoneOnMainThread = std::this_thread::get_id() == primaryThreadId;
    }
    void LoadingThreadBody() override
    {
        if (loadingBody)
            loadingBody();
    }
    int MessageBox(const std::string& text, const std::string& boxTitle, unsigned flags) override
    {
        messageBoxes.push_back(text);
        return ZestAppBase::MessageBox(text, boxTitle, flags);
    }
    void ButtonPressed(int id) override { pressed.push_back(id); }
    void ButtonClicked(int id) override { clicked.push_back(id); }

    // Marks the loading as finished without a thread (the forced-draw rule needs it).
    void MarkLoaded() { loaded = true; }

    FakeClock fakeClock;
    int framesShown = 0;
    int loadingDoneCalls = 0;
    bool loadingDoneOnMainThread = false;
    std::function<void()> loadingBody;
    std::vector<int> pressed;
    std::vector<int> clicked;
    std::vector<std::string> messageBoxes;
};

// A widget that is dirty after every update, so every draw shows something.
class BusyWidget : public Widget
{
public:
    void Update() override
    {
        Widget::Update();
        updates++;
        if (onUpdate)
            onUpdate();
        MarkDirty();
    }
    void Draw(Graphics* g) override
    {
        draws++;
        g->SetColor(Color(0, 128, 0));
        g->FillRect(0, 0, width, height);
    }
    void KeyDown(int key) override { keys.push_back(key); }

    int updates = 0;
    int draws = 0;
    std::vector<int> keys;
    std::function<void()> onUpdate;
};

} // namespace zest::test
