// The input side of ZestAppBase: the window procedure, the deferred message queue,
// focus and muting, the cursor and the window mode.
#include "app/ZestAppBase.h"

#include "app/DemoPlayer.h"
#include "app/DemoRecorder.h"
#include "app/DisplayInterface.h"
#include "audio/MusicInterface.h"
#include "audio/SoundInstance.h"
#include "audio/SoundManager.h"
#include "graphics/DisplayImage.h"
#include "platform/EventPump.h"
#include "platform/Log.h"
#include "platform/ShellOpen.h"
#include "platform/SingleInstance.h"
#include "platform/ZestAssert.h"
#include "platform/SdlWindow.h"
#include "platform/SystemCursor.h"
#include "platform/VirtualKeys.h"
#include "widgets/WidgetManager.h"

namespace zest
{

void ZestAppBase::PumpMessages()
{
    std::vector<WindowMessage> messages;
    eventPump->Poll(messages);
    for (const WindowMessage& message : messages)
    {
        if (shutdown)
            break;
        if (message.message == WM_MOUSEMOVE && IsWarpReport(message))
            continue;
        WindowProc(message);
    }
    if (singleInstance && singleInstance->TakeNotice())
    {
        if (mainWindow && mainWindow->IsOpen())
        {
            mainWindow->Restore();
            mainWindow->Raise();
        }
        OnNotifyMessage();
    }
    // The frame timer: one timer message per frame time while the loop runs.
    uint64_t now = Now();
    if (running && !shutdown && now - lastTimerPost >= static_cast<uint64_t>(frameTime))
    {
        lastTimerPost = now;
        WindowProc({mainWindow ? mainWindow->Id() : 0, WM_TIMER, 1, 0});
    }
}

void ZestAppBase::WindowProc(const WindowMessage& message)
{
    switch (message.message)
    {
    case WM_PAINT:
        if (initialized && !crashCaught && running)
            Present(nullptr);
        return;
    case WM_SYSCHAR:
        // Handled or not, a system character never reaches the widgets.
        IsSystemCharHandled(static_cast<int>(message.wparam));
        return;
    case WM_ACTIVATEAPP:
        // A playing demo brings its own activations.
        if (!demoPlayer)
            active = message.wparam != 0;
        break;
    default:
        break;
    }
    if (!MessageQueue::IsQueuedKind(message.message) || popupShowing)
        return;

    if (message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN || message.message == WM_KEYUP ||
        message.message == WM_SYSKEYUP)
    {
        bool down = message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN;
        if (message.wparam == VK_CONTROL)
            ctrlDown = down;
        else if (message.wparam == VK_MENU)
            altDown = down;
        if (down && DeveloperKeyEx(static_cast<int>(message.wparam), ctrlDown, altDown))
            return;
    }
    messageQueue.Push(message);

    if (message.message == WM_SIZE && message.wparam == SIZE_MINIMIZED && !demoPlayer)
        minimized = true; // updates stop at once, before the queue gets to it
    else if (message.message == WM_CLOSE)
        OnCloseRequest();
}

bool ZestAppBase::HandleQueuedMessage()
{
    std::optional<WindowMessage> next = messageQueue.Pop();
    if (!next)
        return false;
    if (demoRecorder && DemoFile::IsRecordedMessage(next->message))
    {
        DemoRecord record;
        record.kind = DemoRecord::Kind::Message;
        record.message = *next;
        record.message.window = 0;
        // Mouse positions are kept in application pixels, so a replay does not depend on the window's size.
        if (next->message >= WM_MOUSEMOVE && next->message <= WM_MBUTTONDBLCLK)
        {
            int x = PointParamX(next->lparam);
            int y = PointParamY(next->lparam);
            widgetManager->MapMouse(x, y);
            record.message.lparam = MakePointParam(x, y);
        }
        demoRecorder->Add(record);
    }
    // While a demo plays, the player can only close the window.
    if (!demoPlayer || next->message == WM_CLOSE)
        HandleMessage(*next);
    return !messageQueue.IsEmpty();
}

void ZestAppBase::HandleMessage(const WindowMessage& message)
{
    WidgetManager& manager = *widgetManager;
    uint32_t mainId = mainWindow ? mainWindow->Id() : 0;
    bool forMain = message.window == 0 || message.window == mainId;

    switch (message.message)
    {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        HandleKeyDown(message);
        break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        lastUserInputTick = lastTimerTick;
        manager.KeyUp(static_cast<int>(message.wparam));
        break;
    case WM_CHAR:
        lastUserInputTick = lastTimerTick;
        manager.KeyChar(static_cast<int>(message.wparam));
        break;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        if (!crashCaught)
            HandleMouse(message);
        break;
    case WM_MOUSEWHEEL:
        manager.MouseWheel(HighWordSigned(message.wparam) / 120);
        break;
    case WM_GAMEPADADDED:
    case WM_GAMEPADREMOVED:
    case WM_GAMEPADBUTTONDOWN:
    case WM_GAMEPADBUTTONUP:
    case WM_GAMEPADAXIS:
        HandleGamepadMessage(message);
        break;
    case WM_TIMER:
        if (running && !crashCaught)
            HandleTimer();
        break;
    case WM_MOVE:
        if (forMain && isWindowed && mainWindow && !mainWindow->IsMinimized())
        {
            Point position = mainWindow->Position();
            preferredX = position.x;
            preferredY = position.y;
        }
        break;
    case WM_SIZE:
        if (forMain && !shutdown)
            HandleSize(message);
        break;
    case WM_SYSCOLORCHANGE:
    case WM_DISPLAYCHANGE:
        manager.SystemColorsChangedTree();
        manager.MarkAllDirty();
        break;
    case WM_ACTIVATEAPP:
        if (!forMain || crashCaught || shutdown)
            break;
        UpdateFocusState();
        if (active && !isWindowed)
            manager.MarkAllDirty();
        if (openingUrl && !active)
            OnUrlOpened();
        break;
    case WM_CLOSE:
        if (!CanClose())
            break;
        closedByUser = true;
        Shutdown();
        break;
    default:
        break;
    }
}

void ZestAppBase::HandleKeyDown(const WindowMessage& message)
{
    WidgetManager& manager = *widgetManager;
    lastUserInputTick = lastTimerTick;
    int key = static_cast<int>(message.wparam);
    if (message.message == WM_SYSKEYDOWN && key == VK_RETURN)
    {
        // Alt+Enter switches between window and full screen.
        if (!forceFullScreen && !forceWindowed)
        {
            SetScreenMode(!isWindowed);
            manager.keyDown.fill(false);
        }
        return;
    }
    if (key == 'D' && manager.IsKeyDown(VK_CONTROL) && manager.IsKeyDown(VK_MENU))
    {
        debugKeysEnabled = !debugKeysEnabled;
        Logf(LogLevel::Info, "debug keys %s", debugKeysEnabled ? "on" : "off");
    }
    if (!(debugKeysEnabled && DeveloperKey(key)))
        manager.KeyDown(key);
}

void ZestAppBase::HandleMouse(const WindowMessage& message)
{
    WidgetManager& manager = *widgetManager;
    int mouseX = PointParamX(message.lparam);
    int mouseY = PointParamY(message.lparam);
    if (!replayingMessage)
        manager.MapMouse(mouseX, mouseY);
    lastUserInputTick = lastTimerTick;
    manager.MouseMove(mouseX, mouseY);
    if (shownCursorImage && display)
        display->GetScreenImage()->SetCursorPos(mouseX, mouseY);
    if (!mouseIn)
    {
        mouseIn = true;
        ApplyCursor();
    }
    HandleMouseButton(message, mouseX, mouseY);
}

void ZestAppBase::HandleMouseButton(const WindowMessage& message, int mouseX, int mouseY)
{
    WidgetManager& manager = *widgetManager;
    auto capture = [&](bool on) {
        if (mainWindow)
            mainWindow->CaptureMouse(on);
    };
    // Releasing the capture only when no other button stays down.
    auto releaseUnlessHeld = [&](uint64_t others) {
        if ((message.wparam & others) == 0)
            capture(false);
    };
    switch (message.message)
    {
    case WM_LBUTTONDOWN:
        capture(true);
        manager.MouseDown(mouseX, mouseY, 1);
        break;
    case WM_LBUTTONDBLCLK:
        capture(true);
        manager.MouseDown(mouseX, mouseY, 2);
        break;
    case WM_RBUTTONDOWN:
        capture(true);
        manager.MouseDown(mouseX, mouseY, -1);
        break;
    case WM_RBUTTONDBLCLK:
        capture(true);
        manager.MouseDown(mouseX, mouseY, -2);
        break;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
        capture(true);
        manager.MouseDown(mouseX, mouseY, 3);
        break;
    case WM_LBUTTONUP:
        releaseUnlessHeld(MK_RBUTTON | MK_MBUTTON);
        manager.MouseUp(mouseX, mouseY, 1);
        break;
    case WM_RBUTTONUP:
        releaseUnlessHeld(MK_LBUTTON | MK_MBUTTON);
        manager.MouseUp(mouseX, mouseY, -1);
        break;
    case WM_MBUTTONUP:
        releaseUnlessHeld(MK_LBUTTON | MK_RBUTTON);
        manager.MouseUp(mouseX, mouseY, 3);
        break;
    default:
        break;
    }
}

void ZestAppBase::HandleTimer()
{
    uint64_t now = Now();
    if (now - lastTimerTick > 500)
        timerResumeTick = now;
    lastTimerTick = now;
    CheckUrlOpening(now);
    TrackMouseLeaving();
}

void ZestAppBase::CheckUrlOpening(uint64_t now)
{
    // A browser that opened takes the focus from us; one that stays silent failed.
    if (!openingUrl || now - timerResumeTick <= 5000)
        return;
    if (now - urlOpenTick > 8000 && !active)
        OnUrlOpened();
    else if (now - urlOpenTick > 12000 && active)
    {
        openingUrl = false;
        OnUrlFailed();
    }
}

void ZestAppBase::TrackMouseLeaving()
{
    // The mouse leaving the window sends no message of its own: look each frame.
    if (!mainWindow || !mainWindow->IsOpen() || demoPlayer)
        return;
    bool inside = mainWindow->IsMouseInside();
    if (inside == mouseIn)
        return;
    if (!inside)
    {
        WidgetManager& manager = *widgetManager;
        Point position = mainWindow->MousePosition();
        int mouseX = position.x;
        int mouseY = position.y;
        manager.MapMouse(mouseX, mouseY);
        manager.MouseLeftWindow(mouseX, mouseY);
        if (demoRecorder)
        {
            DemoRecord record;
            record.kind = DemoRecord::Kind::MouseLeft;
            record.x = mouseX;
            record.y = mouseY;
            demoRecorder->Add(record);
        }
    }
    mouseIn = inside;
    ApplyCursor();
}

void ZestAppBase::HandleSize(const WindowMessage& message)
{
    bool nowMinimized = message.wparam == SIZE_MINIMIZED;
    minimized = nowMinimized;
    if (nowMinimized != minimizedHandled)
    {
        minimizedHandled = nowMinimized;
        if (nowMinimized)
        {
            if (muteOnLostFocus)
                Mute(true);
        }
        else
        {
            if (muteOnLostFocus)
                Unmute(true);
            widgetManager->MarkAllDirty();
        }
    }
    UpdateFocusState();
    UpdateMouseMapping();
    if (message.wparam == SIZE_MAXIMIZED)
        SetScreenMode(false); // maximise means full screen
}

void ZestAppBase::UpdateFocusState()
{
    bool focus = active && !minimized;
    if (focus == hasFocus)
        return;
    hasFocus = focus;
    if (hasFocus)
    {
        if (muteOnLostFocus)
            Unmute(true);
        widgetManager->GotFocus();
        GotFocus();
    }
    else
    {
        if (muteOnLostFocus)
            Mute(true);
        widgetManager->LostFocus();
        LostFocus();
        if (mainWindow)
            mainWindow->CaptureMouse(false);
        widgetManager->ReleaseButtons();
    }
}

// ---- Volumes (the sound manager and music interface receive them once they exist) --

double ZestAppBase::GetMusicVolume()
{
    return musicVolume;
}

double ZestAppBase::GetSfxVolume()
{
    return sfxVolume;
}

bool ZestAppBase::IsMuted()
{
    return muteCount > 0;
}

void ZestAppBase::SetMusicVolume(double volume)
{
    musicVolume = volume;
    if (musicInterface)
        musicInterface->SetVolume(IsMuted() ? 0.0 : volume);
}

void ZestAppBase::SetSfxVolume(double volume)
{
    sfxVolume = volume;
    if (soundManager)
        soundManager->SetVolume(IsMuted() ? 0.0 : volume);
}

double ZestAppBase::GetMasterVolume()
{
    return soundManager ? soundManager->GetMasterVolume() : 0.0;
}

void ZestAppBase::SetMasterVolume(double volume)
{
    sfxVolume = volume;
    if (soundManager)
        soundManager->SetMasterVolume(volume);
}

void ZestAppBase::PlaySound(int id, int pan)
{
    if (!soundManager)
        return;
    SoundInstance* instance = soundManager->GetSoundInstance(id);
    if (!instance)
        return;
    instance->SetPan(pan);
    // Released by the manager once it has played; released at once when it cannot play.
    if (!instance->Play(false, true))
        instance->Release();
}

void ZestAppBase::PlaySound(int id)
{
    if (!soundManager)
        return;
    SoundInstance* instance = soundManager->GetSoundInstance(id);
    if (instance && !instance->Play(false, true))
        instance->Release();
}

void ZestAppBase::Mute(bool automatic)
{
    muteCount++;
    if (automatic)
        autoMuteCount++;
    SetMusicVolume(musicVolume);
    SetSfxVolume(sfxVolume);
}

void ZestAppBase::Unmute(bool automatic)
{
    if (muteCount <= 0)
        return;
    muteCount--;
    if (automatic && autoMuteCount > 0)
        autoMuteCount--;
    SetMusicVolume(musicVolume);
    SetSfxVolume(sfxVolume);
}

// ---- Cursor and window mode ---------------------------------------------------

void ZestAppBase::SetCursorNumber(int number)
{
    cursorNumber = number;
    ApplyCursor();
}

void ZestAppBase::SetCustomCursors(bool enabled)
{
    customCursorsEnabled = enabled;
    ApplyCursor();
}

void ZestAppBase::SetCursorImage(int number, MemoryImage* image, Point hotSpot)
{
    ZEST_ASSERT_OR_RETURN(number >= 0 && number < CursorCount, );
    cursorImages[static_cast<size_t>(number)] = image;
    cursorHotSpots[static_cast<size_t>(number)] = hotSpot;
    ApplyCursor();
}

// Custom images are drawn by the display as a software cursor that follows the mouse
// messages on the main thread: SDL reports every motion, and the loop never blocks
// for more than a frame, so no polling thread is needed to keep it moving.
void ZestAppBase::ApplyCursor()
{
    if (!display)
        return;
    DisplayImage* screen = display->GetScreenImage();
    MemoryImage* custom = nullptr;
    bool inRange = cursorNumber >= 0 && cursorNumber < CursorCount;
    if (!crashCaught && mouseIn && inRange)
    {
        MemoryImage* image = cursorImages[static_cast<size_t>(cursorNumber)];
        if (image && (customCursorsEnabled || playingDemo || cursorNumber == CursorCustom))
            custom = image;
    }
    if (custom != shownCursorImage)
    {
        Point hot = custom ? cursorHotSpots[static_cast<size_t>(cursorNumber)] : Point();
        if (screen)
            screen->SetCursorImage(custom, hot.x, hot.y);
        shownCursorImage = custom;
        customCursorDirty = true;
    }
    if (!mainWindow || !mainWindow->IsOpen())
        return;
    if (custom)
        SetSystemCursor(CursorNone);
    else if (crashCaught || !mouseIn)
        SetSystemCursor(CursorPointer);
    else
        SetSystemCursor(inRange && cursorNumber != CursorCustom ? cursorNumber : CursorPointer);
}

void ZestAppBase::SetScreenMode(bool wantWindowed)
{
    SetScreenMode(wantWindowed, is3D, false);
}

void ZestAppBase::SetScreenMode(bool wantWindowed, bool want3D)
{
    SetScreenMode(wantWindowed, want3D, false);
}

void ZestAppBase::SetScreenMode(bool wantWindowed, bool want3D, bool force)
{
    if (forceFullScreen)
        wantWindowed = false;
    if (forceWindowed)
        wantWindowed = true;
    if (want3D && !is3D)
        switched3DOnThisRun = true;
    is3D = want3D;
    if (wantWindowed == isWindowed && !force)
        return;
    if (mainWindow && mainWindow->IsOpen() && !mainWindow->SetFullScreen(!wantWindowed))
    {
        Logf(LogLevel::Warning, "cannot switch the window mode: %s", mainWindow->LastError().c_str());
        return;
    }
    isWindowed = wantWindowed;
    physicallyWindowed = wantWindowed;
    if (mainWindow && mainWindow->IsOpen())
    {
        mainWindow->Show();
        // Leave the focus with the browser while a link is being opened.
        if (!openingUrl)
            mainWindow->Raise();
    }
    UpdateMouseMapping();
    if (display)
        display->GetScreenImage()->MarkAllDirty();
    widgetManager->MarkAllDirty();
    ResetFrameTime();
}

bool ZestAppBase::OpenUrl(const std::string& url, bool shutdownAfter)
{
    if (openingUrl && openingUrlText == url)
        return true;
    openingUrlText = url;
    shutdownAfterUrl = shutdownAfter;
    openingUrl = true;
    urlOpenTick = Now();
    if (!OpenUrlInBrowser(url))
    {
        openingUrl = false;
        OnUrlFailed();
        return false;
    }
    return true;
}

void ZestAppBase::OnUrlOpened()
{
    openingUrl = false;
    if (shutdownAfterUrl)
        Shutdown();
}

bool ZestAppBase::DeveloperKeyEx(int key, bool ctrl, bool alt)
{
    (void)key;
    (void)ctrl;
    (void)alt;
    return false;
}

bool ZestAppBase::DeveloperKey(int key)
{
    (void)key;
    return false;
}

} // namespace zest
