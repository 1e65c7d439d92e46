// The timing side of ZestAppBase: the main loop, its update and draw steps, the
// catch-up rules and the deferred deletion of widgets.
#include "app/ZestAppBase.h"

#include "app/DemoPlayer.h"
#include "app/DemoRecorder.h"
#include "app/DisplayInterface.h"
#include "audio/MusicInterface.h"
#include "graphics/DisplayImage.h"
#include "platform/Clock.h"
#include "platform/FrameDriver.h"
#include "platform/Log.h"
#include "platform/SdlWindow.h"
#include "platform/ThreadPriority.h"
#include "widgets/Widget.h"
#include "widgets/WidgetManager.h"

#include <algorithm>
#include <cmath>

namespace zest
{

void ZestAppBase::Run()
{
    if (shutdown)
        return;
    // The cursor thread starts here once software cursors exist.
    if (autoStartLoadingThread)
        StartLoadingThread();
    if (mainWindow)
    {
        mainWindow->Show();
        mainWindow->Raise();
    }
    running = true;
    lastTimerTick = lastUserInputTick = Now();
    if (BrowserDrivesFrames())
    {
        // A page is never closed in an orderly way: the settings are saved whenever it is hidden.
        SetPageHiddenHandler([this] {
            if (registryRead)
                SaveSettings();
        });
        RunBrowserFrames([this] { return BrowserFrame(); }, [this] {
            SetPageHiddenHandler(nullptr);
            EndRun();
        });
        return;
    }
    MainLoop();
    EndRun();
}

void ZestAppBase::EndRun()
{
    DeleteQueuedWidgets();
    running = false;
    WaitForLoadingThread();

    // The run's statistics, for whoever tunes the loop (ZEST_LOG=debug or -log=debug).
    uint64_t runMilliseconds = Now() - startTick;
    Logf(LogLevel::Debug, "Seconds       = %g", static_cast<double>(runMilliseconds) / 1000.0);
    Logf(LogLevel::Debug, "Sleep Count   = %d", sleepCount);
    Logf(LogLevel::Debug, "Update Count  = %d", updateCount);
    Logf(LogLevel::Debug, "Draw Count    = %d", drawCount);
    Logf(LogLevel::Debug, "Draw Time     = %d", static_cast<int>(drawTime));
    Logf(LogLevel::Debug, "Screen Blt    = %d", screenBltCount);
    // Frames shown per second of the run: the time spent drawing alone would give the
    // rate the machine could draw at, not the one the player saw.
    if (runMilliseconds > 0)
        Logf(LogLevel::Debug, "Avg FPS       = %d",
             static_cast<int>(static_cast<uint64_t>(drawCount) * 1000 / runMilliseconds));
    BeforeExit();
    SaveSettings();
}

bool ZestAppBase::BrowserFrame()
{
    // The same steps as the desktop loop, until the loop would sleep: a sleep of the browser's clock
    // only marks the frame as done. That is one catch-up of due updates (at most 200 ms of them) and
    // a draw. Step by step, not UpdateUntilTick: that one steps on through sleeps until an update,
    // which a clock that does not sleep would turn into a spin. The time limit only guards the page
    // against a step that never sleeps.
    uint64_t start = Now();
    RunLoadingSlice(start + LoadingSliceMilliseconds);
    ClearFrameYield();
    while (!shutdown && !FrameYieldRequested() && Now() - start < 250)
    {
        leaveMainLoop = false;
        bool updated = false;
        if (!UpdateStep(&updated))
            break;
    }
    // A page is never closed in an orderly way, and a save started as it goes may not finish: the
    // settings are saved every two seconds (a save that changes nothing writes nothing).
    if (registryRead && !shutdown && Now() - lastBrowserSave >= BrowserSaveMilliseconds)
    {
        lastBrowserSave = Now();
        SaveSettings();
    }
    PublishFrameCounters(updateCount, drawCount, static_cast<int>(LoadingProgress() * 1000));
    return !shutdown;
}

void ZestAppBase::MainLoop()
{
    while (!shutdown)
    {
        leaveMainLoop = false;
        UpdateUntilTick();
    }
}

bool ZestAppBase::UpdateUntilTick()
{
    bool updated = false;
    while (UpdateStep(&updated))
    {
        if (updated)
            return true;
    }
    return false;
}

bool ZestAppBase::UpdateStep(bool* updated)
{
    *updated = false;
    if (leaveMainLoop)
        return false;
    if (demoPlayer)
        return DemoUpdateStep(updated);
    if (updateAppState == StateDone)
        updateAppState = StateMessages;
    updateAppDepth++;
    if (updateAppState == StateMessages)
    {
        PumpMessages();
        mainThreadQueue.Serve();
        if (!HandleQueuedMessage())
            updateAppState = StateUpdateDue;
    }
    else if (updateAppState == StateUpdateDue || updateAppState == StateCatchUp)
    {
        int before = updateCount;
        Tick(true);
        *updated = updateCount != before;
    }
    updateAppDepth--;
    return true;
}

void ZestAppBase::AccumulateFrameTime()
{
    uint64_t now = Now();
    if (lastTimeCheck)
    {
        double elapsed = static_cast<double>(now - *lastTimeCheck);
        // At most 200 ms are ever owed: after a stall the game catches up at most
        // 20 updates instead of racing through the whole gap.
        updateFTimeAcc = std::min(updateFTimeAcc + elapsed, 200.0);
        relaxUpdateBacklogCount = std::max<int64_t>(0, relaxUpdateBacklogCount - static_cast<int64_t>(elapsed));
    }
    lastTimeCheck = now;
}

void ZestAppBase::ResetFrameTime()
{
    updateFTimeAcc = 0;
    lastTimeCheck = Now();
}

bool ZestAppBase::Tick(bool allowSleep)
{
    if (shutdownRequested.exchange(false))
        Shutdown();

    SyncDisplayRefresh();
    if (updateMultiplier > 0)
    {
        if (!RunTimedStep(PlanFrame(), allowSleep))
            return false;
    }
    else if (updateAppState != StateMessages)
    {
        // Stopped: nothing runs, but the loop keeps going back to the messages.
        updateAppState = StateDone;
        ResetFrameTime();
        if (allowSleep)
            clock->Sleep(static_cast<uint32_t>(frameTime));
    }

    DeleteQueuedWidgets();
    return true;
}

ZestAppBase::FramePlan ZestAppBase::PlanFrame() const
{
    FramePlan plan;
    plan.multiplier = updateMultiplier;
    bool tied = UpdatesTiedToRefresh();
    if (tied)
    {
        plan.frameLength = (1000.0 / syncRefreshRate) / plan.multiplier;
        plan.updatesPerUpdate = static_cast<float>(1000.0 / (frameTime * syncRefreshRate));
    }
    else
    {
        plan.frameLength = frameTime / plan.multiplier;
    }
    plan.synced = tied && !lastDrawWasEmpty && !vsyncBroken &&
                  (!physicallyWindowed || (waitForVSync && !softVSyncWait));
    return plan;
}

bool ZestAppBase::RunTimedStep(const FramePlan& plan, bool allowSleep)
{
    uint64_t start = Now();
    int64_t slept = 0;
    if (!plan.synced)
        AccumulateFrameTime();
    bool didUpdate = false;
    if (updateAppState == StateUpdateDue)
    {
        didUpdate = RunDueUpdate(plan, start);
    }
    else if (updateAppState == StateCatchUp)
    {
        CatchUp(plan);
        didUpdate = true;
    }
    if (!didUpdate && !DrawOrWait(plan, allowSleep, slept))
        return false;
    return !yieldMainThread || YieldToLoading(start, slept, allowSleep);
}

bool ZestAppBase::RunDueUpdate(const FramePlan& plan, uint64_t start)
{
    nonDrawCount++;
    // While the loading thread works, updates may run without draws; an application that loads nothing in the
    // background (a tool such as the level editor) is never "loading", and without the cap a machine that
    // cannot keep up would update on without ever drawing.
    const bool loading = !loaded && (loadingThreadStarted || autoStartLoadingThread);
    if (nonDrawCount >= static_cast<int>(std::ceil(10 * plan.multiplier)) && !loading)
        return false;
    bool due = plan.synced ? (!hasPendingDraw || updateFTimeAcc >= static_cast<int>(plan.frameLength * 0.75))
                           : updateFTimeAcc >= plan.frameLength;
    if (!due)
        return false;
    if (plan.multiplier == 1.0)
        CountUpdateForVSyncCheck(start);
    if (RunUpdate())
        updateAppState = StateCatchUp;
    hasPendingDraw = true;
    return true;
}

void ZestAppBase::CountUpdateForVSyncCheck(uint64_t start)
{
    // Counts updates that come faster than the refresh allows: synced updates are then not
    // really tied to the display. A second's worth of updates within 800 ms, three times in a
    // row, marks the vsync as broken.
    if (++vsyncBrokenTestUpdates < (frameTime + 999) / frameTime)
        return;
    if (start - vsyncBrokenTestStartTick > 800)
        vsyncBrokenCount = 0;
    else if (++vsyncBrokenCount >= 3)
        vsyncBroken = true;
    vsyncBrokenTestStartTick = start;
    vsyncBrokenTestUpdates = 0;
}

void ZestAppBase::CatchUp(const FramePlan& plan)
{
    updateAppState = StateDone;
    pendingUpdatesAcc += plan.updatesPerUpdate - 1;
    DeleteQueuedWidgets();
    while (pendingUpdatesAcc >= 1)
    {
        nonDrawCount++;
        if (!RunUpdate())
            break;
        DeleteQueuedWidgets();
        pendingUpdatesAcc -= 1;
    }
    RunFractionalUpdate(static_cast<float>(plan.updatesPerUpdate));
    DeleteQueuedWidgets();
    if (plan.synced)
        updateFTimeAcc = std::max(updateFTimeAcc - plan.frameLength - 0.2, 0.0);
    else
        updateFTimeAcc -= plan.frameLength;
    if (relaxUpdateBacklogCount > 0)
        updateFTimeAcc = 0;
}

bool ZestAppBase::DrawOrWait(const FramePlan& plan, bool allowSleep, int64_t& slept)
{
    updateAppState = StateDone;
    nonDrawCount = 0;
    if (hasPendingDraw)
    {
        DrawDirty();
        return true;
    }
    // Rounded up: a frame length of a fraction of a millisecond (a refresh of
    // 60 Hz) would otherwise leave a wait of 0 and spin until the time moves.
    int wait = static_cast<int>(std::ceil(plan.frameLength - updateFTimeAcc));
    if (wait <= 0)
        return true;
    if (!allowSleep)
        return false;
    sleepCount++;
    clock->Sleep(static_cast<uint32_t>(wait));
    slept = wait;
    return true;
}

bool ZestAppBase::YieldToLoading(uint64_t start, int64_t slept, bool allowSleep)
{
    // While loading, the main thread sleeps twice its own working time so the
    // loading thread gets most of the processor.
    int64_t worked = static_cast<int64_t>(Now() - start) - slept;
    int64_t yieldTime = std::min<int64_t>(250, 2 * worked - slept);
    if (yieldTime < 0)
        return true;
    if (!allowSleep)
        return false;
    clock->Sleep(static_cast<uint32_t>(yieldTime));
    return true;
}

void ZestAppBase::SyncDisplayRefresh()
{
    if (!display)
        return;
    if (display->IsVSyncWanted() != vsyncUpdates)
        display->SetVSync(vsyncUpdates);
    if (display->HasVSync() && display->GetRefreshRate() > 0)
        syncRefreshRate = display->GetRefreshRate();
}

bool ZestAppBase::UpdatesTiedToRefresh() const
{
    // Tied only where each present waits for a refresh, and a refresh comes no more
    // often than an update is due (each draw then carries one or more updates). A
    // display without vsync, or a faster one, gets the plain timed loop: counting such
    // a loop as synchronised would run the game at the drawing speed.
    return vsyncUpdates && display && display->HasVSync() && syncRefreshRate > 0 &&
           syncRefreshRate * frameTime <= 1000;
}

bool ZestAppBase::RunUpdate()
{
    if (crashCaught)
        return false;
    // While a demo plays, loading counts as done where the demo says so (DemoUpdateStep).
    if (loadingThreadCompleted && !loaded && !demoPlayer)
    {
        SetCurrentThreadPriority(ThreadPriority::Normal);
        loaded = true;
        yieldMainThread = false;
        if (demoRecorder)
        {
            DemoRecord record;
            record.kind = DemoRecord::Kind::LoadingDone;
            demoRecorder->Add(record);
        }
        OnLoadingDone();
    }
    if (demoRecorder)
    {
        DemoRecord record;
        record.kind = DemoRecord::Kind::Update;
        demoRecorder->Add(record);
    }
    UpdateOnce();
    return true;
}

void ZestAppBase::UpdateOnce()
{
    updateCount++;
    if (!minimized)
        widgetManager->UpdateWidgets();
    if (musicInterface)
        musicInterface->Update();
    sharedImages.Purge();
}

void ZestAppBase::RunFractionalUpdate(float fraction)
{
    if (vsyncUpdates && !minimized)
        widgetManager->UpdateWidgetsFractional(fraction);
}

bool ZestAppBase::DrawDirty()
{
    if (displayLost)
    {
        Present(nullptr);
        return false;
    }
    if (crashCaught)
        return false;
    if (demoRecorder)
    {
        DemoRecord record;
        record.kind = DemoRecord::Kind::Draw;
        demoRecorder->Add(record);
    }
    uint64_t start = Now();
    drawing = true;
    bool drew = widgetManager->DrawWidgets();
    drawing = false;
    uint64_t now = Now();
    // Fast-forwarding a demo shows a frame once a second.
    bool fastForward = demoPlayer && demoPlayer->UpdatesPlayed() < demoFastForwardTo;
    if ((drew || now - lastDrawTick >= 1000 || customCursorDirty) && now >= nextDrawTick &&
        !(fastForward && now - lastDrawTick < 1000))
    {
        drawCount++;
        lastDrawWasEmpty = false;
        drawTime += now - start;
        if (waitForVSync && physicallyWindowed && softVSyncWait && display)
        {
            uint64_t due = lastDrawTick + static_cast<uint64_t>(display->GetMillisecondsPerFrame());
            if (due > now)
                clock->Sleep(static_cast<uint32_t>(due - now));
        }
        lastDrawTick = Now();
        uint64_t presentStart = Now();
        Present(nullptr);
        AccumulateFrameTime();
        uint64_t end = Now();
        blitTime = end - presentStart;
        if (loadingThreadStarted && !loadingThreadCompleted)
        {
            // While loading, frames keep a cadence of about 50 ms.
            uint64_t spent = end - start;
            nextDrawTick += 35 + std::max<uint64_t>(spent, 15);
            if (end >= nextDrawTick)
                nextDrawTick = end;
        }
        else
        {
            nextDrawTick = end;
        }
        hasPendingDraw = false;
        customCursorDirty = false;
        return true;
    }
    hasPendingDraw = false;
    lastDrawWasEmpty = true;
    return false;
}

void ZestAppBase::Present(const Rect* rect)
{
    if (drawing || shutdown || crashCaught)
        return;
    screenBltCount++;
    if (!display)
        return;
    if (display->Present(rect))
    {
        displayLost = false;
        return;
    }
    // Lost: try to bring the display back, at most once a second (at once when active).
    displayLost = true;
    uint64_t now = Now();
    if (minimized || (!active && now - lastRecoverTick < 1000))
        return;
    lastRecoverTick = now;
    if (InitDisplayInterface() == DisplayInterface::ResultOk)
    {
        RebuildImages();
        widgetManager->SetScreenImage(display->GetScreenImage());
        widgetManager->MarkAllDirty();
        ResetFrameTime();
    }
}


void ZestAppBase::QueueWidgetDeletion(Widget* widget)
{
    if (!widget)
        return;
    // Asking twice must not delete twice.
    for (const auto& entry : safeDeleteList)
    {
        if (entry.first == widget)
            return;
    }
    safeDeleteList.emplace_back(widget, updateAppDepth);
}

void ZestAppBase::DeleteQueuedWidgets()
{
    // Entries asked for in a deeper, still running update step wait for it to end.
    size_t i = 0;
    while (i < safeDeleteList.size())
    {
        if (safeDeleteList[i].second >= updateAppDepth)
        {
            Widget* widget = safeDeleteList[i].first;
            safeDeleteList.erase(safeDeleteList.begin() + static_cast<std::ptrdiff_t>(i));
            // A destructor may queue more; they land at the end and are seen below.
            delete widget;
        }
        else
        {
            i++;
        }
    }
}

} // namespace zest
