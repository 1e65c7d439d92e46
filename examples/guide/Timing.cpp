#include "Samples.h"

#include <zest/app/ZestAppBase.h>
#include <zest/graphics/Graphics.h>
#include <zest/graphics/SysFont.h>
#include <zest/widgets/Widget.h>
#include <zest/widgets/WidgetManager.h>

#include <cstdio>

namespace guide
{
namespace
{

// Game time is counted in updates: frameTime milliseconds each (10, so 100 a second) on every machine. A slow
// frame is caught up with extra updates before the next draw, so the count never drifts from the clock.
class Stopwatch : public zest::Widget
{
public:
    void Update() override
    {
        ticks++;
        if (ticks % 10 == 0)
            MarkDirty(); // drawn ten times a second; nothing is drawn or shown in between
    }
    void Draw(zest::Graphics* g) override
    {
        char text[64];
        std::snprintf(text, sizeof(text), "%d.%d s of game time", ticks / 100, ticks / 10 % 10);
        g->SetColor(zest::Color(20, 24, 40));
        g->FillRect(0, 0, width, height);
        g->SetColor(zest::Color(255, 255, 255));
        g->SetFont(&font);
        g->DrawString(text, 20, 40);
    }

private:
    int ticks = 0;
    zest::SysFont font{"DejaVu Sans", 14, false}; // any face fontconfig knows
};

class StopwatchApp : public zest::ZestAppBase
{
public:
    StopwatchApp()
    {
        productName = "Stopwatch";
        title = "Stopwatch";
        registryKey = "Zest Examples\\Stopwatch";
        frameTime = 10; // milliseconds per update (the default)
        onlyAllowOneCopyToRun = false; // the default, true, sends a second copy's start to the first window
    }
    void Initialize() override
    {
        ZestAppBase::Initialize();
        if (shutdown)
            return;
        stopwatch.Resize(0, 0, width, height);
        widgetManager->AddWidget(&stopwatch);
        startedAt = Now(); // the real clock in milliseconds, for measuring, never for game logic
    }

private:
    Stopwatch stopwatch;
    uint64_t startedAt = 0;
};

} // namespace

int RunStopwatch(int argc, char** argv)
{
    return RunApp<StopwatchApp>(argc, argv);
}

} // namespace guide
