// The demo side of ZestAppBase: choosing and opening the demo file, and the loop step that plays one back.
#include "app/ZestAppBase.h"

#include "app/DemoFile.h"
#include "app/DemoPlayer.h"
#include "app/DemoRecorder.h"
#include "platform/Clock.h"
#include "platform/FrameDriver.h"
#include "platform/Log.h"
#include "platform/SystemMessageBox.h"
#include "platform/ThreadPriority.h"
#include "widgets/WidgetManager.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>

namespace zest
{

namespace
{

// Relative names live in the data folder.
std::string InDataFolder(const std::string& folder, const std::string& name)
{
    return !name.empty() && name[0] == '/' ? name : folder + name;
}

} // namespace

std::vector<std::pair<int, std::string>> ZestAppBase::NumberedDemoFiles(const std::string& folder)
{
    std::vector<std::pair<int, std::string>> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder.empty() ? "." : folder, error))
    {
        std::string name = entry.path().filename().string();
        if (name.size() < 5 || name.size() > 13 || name.substr(name.size() - 4) != ".dmo")
            continue;
        std::string digits = name.substr(0, name.size() - 4);
        if (!std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c); }))
            continue;
        files.emplace_back(std::stoi(digits), entry.path().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

void ZestAppBase::StartDemo()
{
    std::string defaultName = InDataFolder(dataFolder, demoFileName.empty() ? "zestapp.dmo" : demoFileName);
    if (playingDemo)
    {
        std::string path = defaultName;
        std::string error;
        if (demoNumber > 0)
        {
            // 1 is the newest.
            std::vector<std::pair<int, std::string>> files = NumberedDemoFiles(dataFolder);
            if (demoNumber <= static_cast<int>(files.size()))
                path = files[files.size() - static_cast<size_t>(demoNumber)].second;
            else
            {
                path = dataFolder;
                error = "there are only " + std::to_string(files.size()) + " numbered demos";
            }
        }
        auto player = std::make_unique<DemoPlayer>();
        if (!error.empty() || !player->Open(path, error))
        {
            playingDemo = false;
            ShowFatalError(GetString("DEMO_CANNOT_PLAY", "The demo cannot be played: ") + path + ": " + error + ".");
            Exit(0);
        }
        const DemoHeader& header = player->Header();
        if (header.width != width || header.height != height)
        {
            playingDemo = false;
            ShowFatalError(GetString("DEMO_CANNOT_PLAY", "The demo cannot be played: ") + path +
                           ": it was recorded at another screen size.");
            Exit(0);
        }
        if (player->CutShort())
        {
            // Worth playing (that is how a crash is replayed), but not as if it were whole.
            std::string note = GetString("DEMO_CUT_SHORT", "The demo was cut short: ") + path +
                               ": the recording run did not finish, so it plays up to update " +
                               std::to_string(player->TotalUpdates()) + ".";
            MessageBox(note, title.empty() ? productName : title, MB_OK | MB_ICONWARNING);
        }
        demoPlayer = std::move(player);
        recordingDemo = false;
        settingsReadOnly = true;
        isWindowed = header.windowed;
        syncRefreshRate = header.refreshRate;
        frameTime = header.frameTime;
        vsyncUpdates = header.vsyncUpdates;
        // A run slowed for the player replays at its own pace (the updates themselves are the same).
        updateMultiplier = header.updateMultiplier;
        randomSeed = header.seed;
        randomGenerator.seed(header.seed);
        if (demoFastForwardTo > 0)
        {
            demoMuted = true;
            Mute(false);
        }
        Logf(LogLevel::Info, "playing demo %s (%d updates)", path.c_str(), demoPlayer->TotalUpdates());
        return;
    }
    if (!recordingDemo)
        return;
    std::string path = defaultName;
    if (recordNumbered)
    {
        // The next number; the oldest files go first so that at most the kept count remain.
        std::vector<std::pair<int, std::string>> files = NumberedDemoFiles(dataFolder);
        int keep = std::max(1, demoKeepCount);
        while (static_cast<int>(files.size()) >= keep)
        {
            std::error_code error;
            std::filesystem::remove(files.front().second, error);
            files.erase(files.begin());
        }
        int next = files.empty() ? 1 : files.back().first + 1;
        path = dataFolder + std::to_string(next) + ".dmo";
    }
    DemoHeader header;
    header.seed = randomSeed;
    header.windowed = isWindowed;
    header.refreshRate = syncRefreshRate;
    header.frameTime = frameTime;
    header.vsyncUpdates = vsyncUpdates;
    header.width = width;
    header.height = height;
    header.productName = productName;
    header.updateMultiplier = updateMultiplier;
    auto recorder = std::make_unique<DemoRecorder>();
    if (!recorder->Open(path, header))
    {
        Logf(LogLevel::Warning, "cannot record the demo %s (%s); playing on without recording", path.c_str(),
             std::strerror(errno));
        recordingDemo = false;
        return;
    }
    demoRecorder = std::move(recorder);
    Logf(LogLevel::Info, "recording demo %s", path.c_str());
}

void ZestAppBase::StopDemoPlayback(const std::string& reason)
{
    if (!demoPlayer)
        return;
    if (reason.empty())
        Logf(LogLevel::Info, "demo finished after %d updates and %d draws", demoPlayer->UpdatesPlayed(), drawCount);
    else
        Logf(LogLevel::Warning, "demo stopped after %d updates: %s", demoPlayer->UpdatesPlayed(), reason.c_str());
    PublishDemoEnd(demoPlayer->UpdatesPlayed(), drawCount, reason);
    demoStopReason = reason;
    demoPlayer.reset();
    playingDemo = false;
    if (demoMuted)
    {
        demoMuted = false;
        Unmute(false);
    }
    ResetFrameTime();
    hasPendingDraw = true;
    updateAppState = StateMessages;
}

bool ZestAppBase::DemoUpdateStep(bool* updated)
{
    updateAppDepth++;
    PumpMessages();
    mainThreadQueue.Serve();
    while (HandleQueuedMessage())
    {
    }
    if (shutdownRequested.exchange(false))
        Shutdown();
    WidgetManager& manager = *widgetManager;
    while (demoPlayer && !shutdown)
    {
        const DemoRecord* record = demoPlayer->Peek();
        if (!record)
        {
            StopDemoPlayback(std::string());
            break;
        }
        bool done = false;
        switch (record->kind)
        {
        case DemoRecord::Kind::Message:
        {
            WindowMessage message = record->message;
            demoPlayer->Advance();
            if (message.message == WM_ACTIVATEAPP)
                active = message.wparam != 0;
            replayingMessage = true;
            HandleMessage(message);
            replayingMessage = false;
            break;
        }
        case DemoRecord::Kind::Seed:
            randomSeed = record->seed;
            randomGenerator.seed(record->seed);
            demoPlayer->Advance();
            break;
        case DemoRecord::Kind::MouseLeft:
            manager.MouseLeftWindow(record->x, record->y);
            mouseIn = false;
            demoPlayer->Advance();
            ApplyCursor();
            break;
        case DemoRecord::Kind::LoadingDone:
            if (!loadingThreadCompleted)
            {
                // The recorded run had finished loading here; this one waits for its own loading.
                clock->Sleep(1);
                done = true;
                break;
            }
            demoPlayer->Advance();
            SetCurrentThreadPriority(ThreadPriority::Normal);
            loaded = true;
            yieldMainThread = false;
            OnLoadingDone();
            break;
        case DemoRecord::Kind::Update:
        {
            bool fastForward = demoPlayer->UpdatesPlayed() < demoFastForwardTo;
            if (!fastForward)
            {
                // The game may change its speed while the demo plays (the recorded player did); a stopped
                // loop still plays the demo at full speed.
                const double frameLength = updateMultiplier > 0 ? frameTime / updateMultiplier : frameTime;
                AccumulateFrameTime();
                if (updateFTimeAcc < frameLength)
                {
                    sleepCount++;
                    clock->Sleep(static_cast<uint32_t>(std::max(1.0, frameLength - updateFTimeAcc)));
                    done = true;
                    break;
                }
                updateFTimeAcc -= frameLength;
            }
            demoPlayer->Advance();
            if (RunUpdate())
                *updated = true;
            hasPendingDraw = true;
            DeleteQueuedWidgets();
            // The update may have stopped playback (a file the demo does not hold).
            if (demoPlayer && demoMuted && demoPlayer->UpdatesPlayed() >= demoFastForwardTo)
            {
                demoMuted = false;
                Unmute(false);
                ResetFrameTime();
            }
            done = true;
            break;
        }
        case DemoRecord::Kind::Draw:
            demoPlayer->Advance();
            DrawDirty();
            done = true;
            break;
        case DemoRecord::Kind::File:
        case DemoRecord::Kind::Setting:
            StopDemoPlayback("the recorded run read " + record->fileName + " where this one did not");
            done = true;
            break;
        }
        if (done)
            break;
    }
    DeleteQueuedWidgets();
    updateAppDepth--;
    return true;
}

} // namespace zest
