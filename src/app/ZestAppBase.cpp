#include "app/ZestAppBase.h"

#include "app/Buffer.h"
#include "app/AppSettings.h"
#include "app/CommandLine.h"
#include "app/DataFolder.h"
#include "app/DemoFile.h"
#include "app/DemoPlayer.h"
#include "app/DemoRecorder.h"
#include "app/DisplayInterface.h"
#include "audio/DSoundManager.h"
#include "audio/MusicInterface.h"
#include "audio/SoundCache.h"
#include "files/PakFile.h"
#include "files/PakInterface.h"
#include "graphics/DisplayImage.h"
#include "graphics/MemoryImage.h"
#include "platform/AudioDevice.h"
#include "platform/EventPump.h"
#include "platform/Log.h"
#include "platform/Registry.h"
#include "platform/SingleInstance.h"
#include "platform/SdlWindow.h"
#include "platform/PlatformTraits.h"
#include "platform/SystemClock.h"
#include "platform/SystemMessageBox.h"
#include "platform/ThreadPriority.h"
#include "resources/ResourceManager.h"
#include "widgets/Dialog.h"
#include "widgets/WidgetManager.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <new>
#include <optional>
#include <stdexcept>

namespace zest
{

namespace
{
ZestAppBase* applicationInstance = nullptr;

// The folder that holds the running program.
std::string ProgramFolder()
{
    std::error_code error;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return std::string();
    return exe.parent_path().string();
}

// $XDG_DATA_HOME (default ~/.local/share) / full company / product /.
std::string DataFolderFor(const std::string& company, const std::string& product)
{
    std::filesystem::path base;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
        base = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        base = std::filesystem::path(home) / ".local" / "share";
    else
        base = std::filesystem::temp_directory_path();
    if (!company.empty())
        base /= company;
    if (!product.empty())
        base /= product;
    return base.string() + "/";
}

// A seed that differs between runs, even two started in the same millisecond: the
// system's entropy source mixed with the wall clock and the process id (any one of
// them may be weak or missing on some system).
uint32_t FreshSeed()
{
    uint64_t mix = static_cast<uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
    mix ^= static_cast<uint64_t>(getpid()) << 40;
    try
    {
        std::random_device device;
        mix ^= (static_cast<uint64_t>(device()) << 32) | device();
    }
    catch (const std::exception&)
    {
        // No entropy source: the clock and the process id still differ between runs.
    }
    // The splitmix64 finaliser spreads every input bit over the whole seed.
    mix += 0x9E3779B97F4A7C15ULL;
    mix = (mix ^ (mix >> 30)) * 0xBF58476D1CE4E5B9ULL;
    mix = (mix ^ (mix >> 27)) * 0x94D049BB133111EBULL;
    mix ^= mix >> 31;
    return static_cast<uint32_t>(mix ^ (mix >> 32));
}
} // namespace

ZestAppBase::ZestAppBase() : clock(&SystemClock::Instance())
{
    if (applicationInstance)
        Log(LogLevel::Error, "a second application object was made; the first stays the process-wide one");
    else
    {
        applicationInstance = this;
        WidgetHost::SetCurrent(this);
    }
    primaryThreadId = std::this_thread::get_id();

    stringTable["DIALOG_BUTTON_OK"] = "OK";
    stringTable["DIALOG_BUTTON_CANCEL"] = "CANCEL";
    stringTable["UPDATE_CHECK_TITLE"] = "Update Check";
    stringTable["UPDATE_CHECK_BODY"] = "Checking if there are any updates available for this product ...";
    stringTable["UP_TO_DATE_TITLE"] = "Up to Date";
    stringTable["UP_TO_DATE_BODY"] = "There are no updates available for this product at this time.";
    stringTable["NEW_VERSION_TITLE"] = "New Version";
    stringTable["NEW_VERSION_BODY"] =
        "There is an update available for this product.  Would you like to visit the web site to download it?";

    // The graphics and sound libraries are linked in, so there is nothing to look up
    // at run time, and Linux programs carry no version resource: the game sets
    // productVersion itself.
    changeDir = ProgramFolder();
    loadTime = Now();
    loadingInSlices = !PlatformHasThreads();
    widgetManager = std::make_unique<WidgetManager>(this);
    eventPump = std::make_unique<EventPump>();
    resourceManager = std::make_unique<ResourceManager>(this);
}

ZestAppBase::~ZestAppBase()
{
    // The loading thread may be using anything below: it must finish before any of it
    // goes away.
    WaitForLoadingThread();
    AskExit3DQuestions();

    for (Dialog* dialog : dialogList)
    {
        widgetManager->RemoveWidget(dialog);
        safeDeleteList.erase(std::remove_if(safeDeleteList.begin(), safeDeleteList.end(),
                                            [dialog](const auto& entry) { return entry.first == dialog; }),
                             safeDeleteList.end());
        delete dialog;
    }
    dialogMap.clear();
    dialogList.clear();
    // Widgets still waiting for deletion go while the manager can detach them.
    updateAppDepth = 0;
    DeleteQueuedWidgets();
    widgetManager.reset();
    resourceManager.reset();
    sharedImages.Clear();
    display.reset();
    musicInterface.reset();
    soundManager.reset();
    eventPump->SetAudioDevice(nullptr);
    audioDevice.reset();
    mainWindow.reset();

    mainThreadQueue.Close();
    if (applicationInstance == this)
    {
        applicationInstance = nullptr;
        WidgetHost::SetCurrent(nullptr);
    }
}

ZestAppBase* ZestAppBase::Instance()
{
    return applicationInstance;
}

void ZestAppBase::SetClock(Clock* newClock)
{
    clock = newClock ? newClock : &SystemClock::Instance();
    lastTimeCheck.reset();
}

uint64_t ZestAppBase::Now() const
{
    return clock->Now();
}

bool ZestAppBase::IsMainThread() const
{
    return std::this_thread::get_id() == primaryThreadId;
}

void ZestAppBase::DialogButtonPressed(int dialogId, int buttonId)
{
    if (buttonId == Dialog::YesButtonId)
        ButtonPressed(2000 + dialogId);
    else if (buttonId == Dialog::NoButtonId)
        ButtonPressed(3000 + dialogId);
}

void ZestAppBase::DialogButtonClicked(int dialogId, int buttonId)
{
    if (buttonId == Dialog::YesButtonId)
        ButtonClicked(2000 + dialogId);
    else if (buttonId == Dialog::NoButtonId)
        ButtonClicked(3000 + dialogId);
}


void ZestAppBase::Initialize()
{
    primaryThreadId = std::this_thread::get_id();
    if (shutdown)
        return;
    BeforeInit();
    LoadSettings();

    dataFolder = DataFolderFor(fullCompanyName, productName);
    std::error_code error;
    std::filesystem::create_directories(dataFolder, error);
    if (error)
        Logf(LogLevel::Warning, "cannot create the data folder %s: %s", dataFolder.c_str(), error.message().c_str());

    if (!commandLineParsed)
        ReadCommandLine();

    // Data files are found beside the program.
    if (!BeforeChangeDir(changeDir) && !changeDir.empty() && chdir(changeDir.c_str()) != 0)
        Logf(LogLevel::Warning, "cannot change to %s: %s", changeDir.c_str(), std::strerror(errno));

    // Data comes from "main.pak" when it is there; a missing archive is not an error,
    // the files are then read from the folder.
    pakInterface = std::make_unique<PakInterface>();
    SetActivePakInterface(pakInterface.get());
    if (!pakInterface->AddPakFile("main.pak"))
    {
        if (DataOnlyFromArchive())
        {
            ShowFatalError("The game's data (main.pak) is damaged or incomplete, so the game cannot start. "
                           "Reloading the page fetches it again.");
            Shutdown();
            return;
        }
        Logf(LogLevel::Info, "no usable main.pak; reading data from the folder");
        // Say where the data was looked for: the resource error that follows names only the manifest.
        std::error_code where;
        const std::string folder = std::filesystem::current_path(where).string();
        if (!HoldsGameData(folder))
            Logf(LogLevel::Warning, "no game data in %s: neither main.pak nor properties/resources.xml is there",
                 folder.c_str());
    }

    // A second copy raises the first one's window and leaves. Headless runs (tests, CI,
    // the play harness) have no window to raise and may rightly run side by side.
    const char* videoDriver = std::getenv("SDL_VIDEODRIVER");
    bool headless = videoDriver && std::strcmp(videoDriver, "dummy") == 0;
    if (onlyAllowOneCopyToRun && !isScreenSaver && !headless)
    {
        std::string lockName = registryKey.empty() ? productName : registryKey;
        singleInstance = std::make_unique<SingleInstance>(lockName);
        if (!singleInstance->Acquire())
        {
            singleInstance->NotifyFirstCopy();
            Exit(0);
        }
    }

    startTick = Now();
    SeedRandom(FreshSeed());
    StartDemo();

    BeforeWindow();

    mainWindow = std::make_unique<SdlWindow>();
    if (!mainWindow->HasVideo())
    {
        ShowFatalError(GetString("FAILED_INIT_DIRECTDRAW", "Failed to initialize DirectDraw: ") + "video " +
                       mainWindow->LastError());
        Exit(1);
    }
    // A desktop no larger than the application cannot hold a framed window.
    Rect desktop = mainWindow->DesktopBounds();
    if (isWindowed && (desktop.width <= width || desktop.height <= height))
    {
        isWindowed = false;
        forceFullScreen = true;
    }
    // The browser grants full screen only after a click or key: the page starts in its window.
    if (!CanStartFullScreen())
    {
        isWindowed = true;
        forceFullScreen = false;
    }
    CreateMainWindow();
    // Pads already plugged in are reported by the first messages, like ones plugged in later.
    if (gamepadsWanted && !eventPump->StartGamepads())
        gamepadsWanted = false;

    // Sound effects and music, with the saved volumes; a run that starts muted is silent from its
    // first sound. Decoded sounds are cached in a folder of the product's own, so two programs never
    // take each other's cache files for theirs.
    SoundCache::SetProductName(productName);
    if (!noSoundWanted)
    {
        audioDevice = std::make_unique<AudioDevice>(Mixer::Create());
        // Output devices unplugged and plugged in during play reach it through the event pump.
        eventPump->SetAudioDevice(audioDevice.get());
        soundManager = std::make_unique<DSoundManager>(audioDevice->GetMixer(), wantFMod, *clock);
    }
    musicInterface = CreateMusicInterface();
    SetSfxVolume(sfxVolume);
    SetMusicVolume(musicVolume);

    AfterInit();
    initialized = true;
}

void ZestAppBase::CreateMainWindow()
{
    if (!mainWindow)
        mainWindow = std::make_unique<SdlWindow>();
    if (mainWindow->IsOpen())
    {
        widgetManager->SetScreenImage(nullptr);
        if (display)
            display->Init(nullptr, isWindowed);
        mainWindow->Destroy();
    }

    int clientWidth = width;
    int clientHeight = height;
    int windowX = 0;
    int windowY = 0;
    // A demo plays in a framed window whatever mode it was recorded in.
    bool framed = isWindowed || demoPlayer;
    if (framed)
    {
        Rect work = mainWindow->DesktopWorkArea();
        int scale = SdlWindow::IntegerScaleFor(work, width, height);
        clientWidth = width * scale;
        clientHeight = height * scale;
        if (preferredX != -1 || preferredY != -1)
        {
            // Kept inside the work area with a 4-pixel margin.
            windowX = std::clamp(preferredX, work.x + 4, std::max(work.x + 4, work.x + work.width - clientWidth - 4));
            windowY = std::clamp(preferredY, work.y + 4, std::max(work.y + 4, work.y + work.height - clientHeight - 4));
        }
        else
        {
            windowX = work.x + (work.width - clientWidth) / 2;
            windowY = work.y + static_cast<int>((work.height - clientHeight) * 0.382);
        }
    }
    if (!mainWindow->Create(title, windowX, windowY, clientWidth, clientHeight, !framed))
    {
        ShowFatalError(GetString("FAILED_INIT_DIRECTDRAW", "Failed to initialize DirectDraw: ") + "window " +
                       mainWindow->LastError());
        Exit(1);
    }
    physicallyWindowed = framed;

    if (!display)
        display = std::make_unique<DisplayInterface>(&liveImages, width, height);
    int result = InitDisplayInterface();
    if (result != DisplayInterface::ResultOk)
    {
        ShowFatalError(GetString("FAILED_INIT_DIRECTDRAW", "Failed to initialize DirectDraw: ") + display->errorName +
                       " " + display->errorText);
        Exit(1);
    }
    if (minimized)
    {
        minimized = false;
        if (muteOnLostFocus)
            Unmute(true);
    }
    UpdateFocusState();
    RebuildImages();
    widgetManager->SetScreenImage(display->GetScreenImage());
    widgetManager->MarkAllDirty();
    // The frame timer is the loop's own (PumpMessages).
    lastTimerPost = Now();
}

int ZestAppBase::InitDisplayInterface()
{
    BeforeDisplayInit();
    DropNativeImageData();
    display->SetVSync(vsyncUpdates);
    int result = display->Init(mainWindow.get(), physicallyWindowed);
    if (result == DisplayInterface::ResultOk)
    {
        UpdateMouseMapping();
        AfterDisplayInit();
    }
    return result;
}

void ZestAppBase::CreateOffscreenDisplay()
{
    if (!display)
        display = std::make_unique<DisplayInterface>(&liveImages, width, height);
    display->Init(nullptr, isWindowed);
    widgetManager->SetScreenImage(display->GetScreenImage());
    UpdateMouseMapping();
    widgetManager->MarkAllDirty();
}

void ZestAppBase::UpdateMouseMapping()
{
    if (display)
        widgetManager->SetMouseMapping(display->GetPresentationRect(), Rect(0, 0, width, height));
}


void ZestAppBase::Shutdown()
{
    if (!IsMainThread())
    {
        shutdownRequested = true;
        return;
    }
    if (shutdown)
        return;
    leaveMainLoop = true;
    shutdown = true;
    OnShutdown();
    if (demoRecorder)
    {
        if (demoRecorder->Finish())
            Logf(LogLevel::Info, "demo recorded: %s", demoRecorder->Path().c_str());
        demoRecorder.reset();
    }
    if (demoMuted)
    {
        demoMuted = false;
        Unmute(false);
    }
    if (musicInterface)
        musicInterface->StopAllMusic();
    if (mainWindow)
        mainWindow->Hide();
    if (registryRead)
        SaveSettings();
}

void ZestAppBase::Exit(int code)
{
    // Immediate: the loading thread may still run, so static destructors must not.
    if (demoRecorder && IsMainThread())
        (void)demoRecorder->Finish();
    std::fflush(nullptr);
    std::_Exit(code);
}


void ZestAppBase::StartLoadingThread()
{
    if (loadingThreadStarted)
        return;
    loadingThreadStarted = true;
    if (loadingInSlices)
    {
        // Loaded in slices between frames (RunLoadingSlice) on the main thread.
        if (!RunLoadingPart([this] { BeginLoading(); }))
            FinishLoading();
        return;
    }
    yieldMainThread = true;
    SetCurrentThreadPriority(ThreadPriority::High);
    loadingThread = std::thread([this] {
        RunLoadingPart([this] { LoadingThreadBody(); });
        FinishLoading();
    });
}

bool ZestAppBase::RunLoadingPart(const std::function<void()>& part)
{
    try
    {
        part();
        return true;
    }
    catch (const std::exception& error)
    {
        // Resource errors end loading; the player is told on the main thread.
        ShowFatalError(error.what());
        return false;
    }
}

void ZestAppBase::FinishLoading()
{
    Logf(LogLevel::Info, "Resource Loading Time: %d", static_cast<int>(Now() - loadTime));
    loadingThreadCompleted = true;
    mainThreadQueue.Notify();
}

void ZestAppBase::LoadingThreadBody()
{
    BeginLoading();
    while (!shutdown && LoadingStep())
    {
    }
    if (!shutdown)
        EndLoading();
}

void ZestAppBase::RunLoadingSlice(uint64_t until)
{
    if (!loadingInSlices || !loadingThreadStarted || loadingThreadCompleted)
        return;
    bool more = true;
    bool ok = RunLoadingPart([&] {
        do
            more = !shutdown && LoadingStep();
        while (more && Now() < until);
        if (!more && !shutdown)
            EndLoading();
    });
    if (!ok || !more)
        FinishLoading();
}

void ZestAppBase::WaitForLoadingThread()
{
    if (!loadingThread.joinable())
        return;
    while (!loadingThreadCompleted)
    {
        // The loading thread may be waiting for a message box only this thread can show.
        mainThreadQueue.Serve();
        mainThreadQueue.Wait(std::chrono::milliseconds(20), [this] { return loadingThreadCompleted.load(); });
    }
    loadingThread.join();
}

double ZestAppBase::LoadingProgress()
{
    if (loaded)
        return 1.0;
    if (!loadingThreadStarted)
        return 0.0;
    int total = numLoadingThreadTasks;
    if (total <= 0)
        return 0.0;
    return std::min(static_cast<double>(completedLoadingThreadTasks) / total, 1.0);
}

int ZestAppBase::RunOnMainThread(const std::function<int()>& fn)
{
    if (IsMainThread())
        return fn();
    return mainThreadQueue.Submit(fn).value_or(-1);
}

int ZestAppBase::ShowSystemBox(const std::string& text, const std::string& boxTitle, unsigned flags)
{
    return ShowSystemMessageBox(text, boxTitle, flags, mainWindow ? mainWindow->Handle() : nullptr);
}

int ZestAppBase::MessageBox(const std::string& text, const std::string& boxTitle, unsigned flags)
{
    int answer = RunOnMainThread([&] {
        BeginSystemBox();
        int pressed = ShowSystemBox(text, boxTitle, flags);
        EndSystemBox();
        return pressed;
    });
    if (answer < 0)
    {
        // Nobody is left to show it.
        std::fprintf(stderr, "%s: %s\n", boxTitle.c_str(), text.c_str());
        return DefaultMessageBoxAnswer(flags);
    }
    return answer;
}

void ZestAppBase::ShowFatalError(const std::string& text)
{
    int shown = RunOnMainThread([&] {
        BeginSystemBox();
        if (!shutdown)
            ShowSystemBox(text, GetString("FATAL_ERROR", "FATAL ERROR"), MB_ICONERROR | MB_OK);
        EndSystemBox();
        return 0;
    });
    if (shown < 0)
        std::fprintf(stderr, "%s: %s\n", GetString("FATAL_ERROR", "FATAL ERROR").c_str(), text.c_str());
}

void ZestAppBase::BeginSystemBox()
{
    if (!physicallyWindowed || (mainWindow && mainWindow->IsFullScreen()))
    {
        // A box behind a full-screen window would wait unseen.
        if (display)
            display->LetSystemWindowsShow();
        popupShowing = true;
    }
}

void ZestAppBase::EndSystemBox()
{
    if (popupShowing)
    {
        popupShowing = false;
        if (display)
            display->RestoreAfterSystemWindows();
    }
    // The time the box was up is not caught up, and keys and buttons released while
    // it had the input never reached the game.
    ResetFrameTime();
    widgetManager->keyDown.fill(false);
    ctrlDown = altDown = false;
    if (widgetManager->downButtons != 0)
    {
        widgetManager->ReleaseButtons();
        if (mainWindow)
            mainWindow->CaptureMouse(false);
    }
}

void ZestAppBase::LogError(const std::string& text)
{
    std::string path = dataFolder + "ScrError.txt";
    // The first write of a run starts the file afresh.
    FILE* file = std::fopen(path.c_str(), errorLogStarted ? "a" : "w");
    if (!file)
        return;
    errorLogStarted = true;
    std::time_t now = std::time(nullptr);
    char when[64] = "";
    std::strftime(when, sizeof(when), "%Y-%m-%d %H:%M:%S", std::localtime(&now));
    std::fprintf(file, "%s %s %u\n", text.c_str(), when, static_cast<unsigned>(Now()));
    std::fclose(file);
}


Dialog* ZestAppBase::CreateDialog(int id, bool isModal, const std::string& header, const std::string& lines,
                                  const std::string& footer, int buttonMode)
{
    auto* dialog = new Dialog(nullptr, nullptr, id, isModal, header, lines, footer, buttonMode);
    dialog->dialogListener = this;
    return dialog;
}

Dialog* ZestAppBase::ShowDialog(int id, bool isModal, const std::string& header, const std::string& lines,
                                const std::string& footer, int buttonMode)
{
    CloseDialog(id);
    Dialog* dialog = CreateDialog(id, isModal, header, lines, footer, buttonMode);
    AddDialog(id, dialog);
    return dialog;
}

Dialog* ZestAppBase::GetDialog(int id)
{
    auto it = dialogMap.find(id);
    return it == dialogMap.end() ? nullptr : it->second;
}

void ZestAppBase::AddDialog(Dialog* dialog)
{
    if (dialog)
        AddDialog(dialog->id, dialog);
}

void ZestAppBase::AddDialog(int id, Dialog* dialog)
{
    if (!dialog)
        return;
    // Adding the dialog already registered under the id must not queue it for deletion.
    auto existing = dialogMap.find(id);
    CloseDialog(id, true, existing == dialogMap.end() || existing->second != dialog);
    if (dialog->width == 0)
    {
        int dialogWidth = width / 2;
        int dialogHeight = dialog->GetPreferredHeight(dialogWidth);
        dialog->Resize((width - dialogWidth) / 2, height / 5, dialogWidth, dialogHeight);
    }
    dialogMap[id] = dialog;
    dialogList.push_back(dialog);
    widgetManager->AddWidget(dialog);
    if (dialog->IsModal())
    {
        widgetManager->PushModal(dialog);
        OnModalOpen();
    }
}

bool ZestAppBase::CloseDialog(Dialog* dialog)
{
    return dialog && CloseDialog(dialog->id);
}

bool ZestAppBase::CloseDialog(int id)
{
    return CloseDialog(id, true, true);
}

bool ZestAppBase::CloseDialog(int id, bool removeWidget, bool deleteWidget)
{
    auto it = dialogMap.find(id);
    if (it == dialogMap.end())
        return false;
    Dialog* dialog = it->second;
    dialogMap.erase(it);
    dialogList.remove(dialog);
    if (removeWidget || deleteWidget)
        widgetManager->RemoveWidget(dialog);
    if (dialog->IsModal())
    {
        OnModalClose();
        widgetManager->PopModal(dialog);
    }
    if (deleteWidget)
        QueueWidgetDeletion(dialog);
    return true;
}

int ZestAppBase::GetDialogCount()
{
    return static_cast<int>(dialogMap.size());
}


bool ZestAppBase::ReadFileIntoBuffer(const std::string& fileName, Buffer& buffer)
{
    // A demo holds the bytes the recorded run read, so a replay does not depend on the files of this machine.
    if (demoPlayer && IsMainThread())
    {
        const DemoRecord* record = demoPlayer->Peek();
        if (record && record->kind == DemoRecord::Kind::File && record->fileName == fileName)
        {
            bool found = record->found;
            if (found)
                buffer.SetData(record->bytes);
            demoPlayer->Advance();
            return found;
        }
        // A demo cut short ends wherever its recording stopped, even inside an update.
        if (!record && demoPlayer->CutShort())
            StopDemoPlayback(std::string());
        else
            StopDemoPlayback("the game read " + fileName + " where the recorded run did not");
    }
    std::optional<std::vector<uint8_t>> bytes = ReadWholeFile(fileName);
    if (demoRecorder && IsMainThread())
    {
        DemoRecord record;
        record.kind = DemoRecord::Kind::File;
        record.fileName = fileName;
        record.found = bytes.has_value();
        if (bytes)
            record.bytes = *bytes;
        demoRecorder->Add(record);
    }
    if (!bytes)
        return false;
    buffer.SetData(std::move(*bytes));
    return true;
}

std::optional<std::vector<uint8_t>> ZestAppBase::ReadWholeFile(const std::string& fileName)
{
    PFilePtr file(p_fopen(fileName.c_str(), "rb"));
    if (!file)
        return std::nullopt;
    if (p_fseek(file.get(), 0, SEEK_END) != 0)
        return std::nullopt;
    long size = p_ftell(file.get());
    if (size < 0 || p_fseek(file.get(), 0, SEEK_SET) != 0)
        return std::nullopt;
    // The size comes from the file: a huge or sparse one must not take the memory.
    if (static_cast<unsigned long>(size) > MaxReadFileSize)
    {
        Logf(LogLevel::Warning, "%s is too large to read (%ld bytes)", fileName.c_str(), size);
        return std::nullopt;
    }
    std::vector<uint8_t> bytes;
    try
    {
        bytes.resize(static_cast<size_t>(size));
    }
    catch (const std::bad_alloc&)
    {
        Logf(LogLevel::Warning, "no memory to read %s (%ld bytes)", fileName.c_str(), size);
        return std::nullopt;
    }
    size_t got = bytes.empty() ? 0 : p_fread(bytes.data(), 1, bytes.size(), file.get());
    // A short read is a failure, never a half-filled buffer.
    if (got != bytes.size())
        return std::nullopt;
    return bytes;
}

std::string ZestAppBase::GetString(const std::string& id, const std::string& defaultText) const
{
    auto it = stringTable.find(id);
    return it == stringTable.end() ? defaultText : it->second;
}

void ZestAppBase::SetString(const std::string& id, const std::string& text)
{
    stringTable[id] = text;
}

int ZestAppBase::Rand()
{
    return static_cast<int>(randomGenerator() & 0x7FFFFFFF);
}

void ZestAppBase::SeedRandom(uint32_t seed)
{
    randomSeed = seed;
    randomGenerator.seed(seed);
    if (demoRecorder)
    {
        DemoRecord record;
        record.kind = DemoRecord::Kind::Seed;
        record.seed = seed;
        demoRecorder->Add(record);
    }
}


void ZestAppBase::RebuildImages()
{
    // The software display keeps no display-side copies, so every live image is
    // already what the display shows; a 3-D display rebuilds its textures here.
    liveImages.ForEach([](MemoryImage* image) { image->Reinitialize(); });
}

void ZestAppBase::DropNativeImageData()
{
    liveImages.ForEach([](MemoryImage* image) { image->DropNativeData(); });
}

void ZestAppBase::DropExtraImageData()
{
    std::lock_guard<std::recursive_mutex> lock(liveImages.GetLock());
    liveImages.ForEach([](MemoryImage* image) { image->DropExtraBuffers(); });
}


bool ZestAppBase::WriteRegString(const std::string& name, const std::string& text)
{
    if (settingsReadOnly)
        return true;
    return !registryKey.empty() && NoteSettingsSave(Registry(registryKey).WriteString(name, text));
}

bool ZestAppBase::WriteRegInt(const std::string& name, int value)
{
    if (settingsReadOnly)
        return true;
    return !registryKey.empty() &&
           NoteSettingsSave(Registry(registryKey).WriteDword(name, static_cast<uint32_t>(value)));
}

bool ZestAppBase::WriteRegInts(const std::map<std::string, int>& values)
{
    if (settingsReadOnly)
        return true;
    std::map<std::string, Registry::Value> changes;
    for (const auto& [name, value] : values)
    {
        Registry::Value& stored = changes[name];
        stored.type = Registry::ValueType::Dword;
        stored.dword = static_cast<uint32_t>(value);
    }
    return !registryKey.empty() && NoteSettingsSave(Registry(registryKey).WriteValues(changes));
}

bool ZestAppBase::WriteRegDataValues(const std::map<std::string, std::vector<uint8_t>>& values)
{
    if (settingsReadOnly)
        return true;
    std::map<std::string, Registry::Value> changes;
    for (const auto& [name, bytes] : values)
    {
        Registry::Value& stored = changes[name];
        stored.type = Registry::ValueType::Data;
        stored.bytes = bytes;
    }
    return !registryKey.empty() && Registry(registryKey).WriteValues(changes);
}

bool ZestAppBase::WriteRegBool(const std::string& name, bool value)
{
    return WriteRegInt(name, value ? 1 : 0);
}

bool ZestAppBase::WriteRegData(const std::string& name, const uint8_t* bytes, size_t length)
{
    if (settingsReadOnly)
        return true;
    return !registryKey.empty() && NoteSettingsSave(Registry(registryKey).WriteData(name, bytes, length));
}

bool ZestAppBase::NoteSettingsSave(bool saved)
{
    // A read-only or full settings folder must not stop play, nor fill the log with one line per save.
    if (!saved && !settingsSaveFailed)
        Logf(LogLevel::Warning, "Settings and progress cannot be saved to %s; the game plays on without saving them",
             Registry::FilePathForKey(registryKey).c_str());
    else if (saved && settingsSaveFailed)
        Logf(LogLevel::Info, "Settings and progress are saved again");
    settingsSaveFailed = !saved;
    return saved;
}

bool ZestAppBase::ReadRegString(const std::string& name, std::string& text)
{
    return !registryKey.empty() && Registry(registryKey).ReadString(name, text);
}

bool ZestAppBase::ReadRegInt(const std::string& name, int& value)
{
    uint32_t stored = 0;
    if (registryKey.empty() || !Registry(registryKey).ReadDword(name, stored))
        return false;
    value = static_cast<int>(stored);
    return true;
}

bool ZestAppBase::ReadRegBool(const std::string& name, bool& value)
{
    int stored = 0;
    if (!ReadRegInt(name, stored))
        return false;
    value = stored != 0;
    return true;
}

bool ZestAppBase::ReadRegData(const std::string& name, std::vector<uint8_t>& bytes)
{
    // Data values hold the game's state (its progress): a demo carries the ones its run read.
    if (demoPlayer && IsMainThread())
    {
        const DemoRecord* record = demoPlayer->Peek();
        if (record && record->kind == DemoRecord::Kind::Setting && record->fileName == name)
        {
            bool found = record->found;
            if (found)
                bytes = record->bytes;
            demoPlayer->Advance();
            return found;
        }
        // A demo cut short ends wherever its recording stopped, even inside an update.
        if (!record && demoPlayer->CutShort())
            StopDemoPlayback(std::string());
        else
            StopDemoPlayback("the game read the setting " + name + " where the recorded run did not");
    }
    std::vector<uint8_t> read;
    bool found = !registryKey.empty() && Registry(registryKey).ReadData(name, read);
    if (demoRecorder && IsMainThread())
    {
        DemoRecord record;
        record.kind = DemoRecord::Kind::Setting;
        record.fileName = name;
        record.found = found;
        if (found)
            record.bytes = read;
        demoRecorder->Add(record);
    }
    if (found)
        bytes = std::move(read);
    return found;
}

bool ZestAppBase::ReadRegDataIfRecorded(const std::string& name, std::vector<uint8_t>& bytes)
{
    if (demoPlayer && IsMainThread())
    {
        const DemoRecord* record = demoPlayer->Peek();
        if (!record || record->kind != DemoRecord::Kind::Setting || record->fileName != name)
            return false;
    }
    return ReadRegData(name, bytes);
}

bool ZestAppBase::EraseRegValue(const std::string& name)
{
    if (settingsReadOnly)
        return true;
    return !registryKey.empty() && Registry(registryKey).Erase(name);
}

void ZestAppBase::LoadSettings()
{
    AppSettings::Load(*this);
}

void ZestAppBase::SaveSettings()
{
    AppSettings::Save(*this);
}

void ZestAppBase::AskExit3DQuestions()
{
    if (registryKey.empty())
        return;
    std::string caption = companyName + " " + GetString("HARDWARE_ACCEL_CONFIRMATION", "Hardware Acceleration Confirmation");
    if (switched3DOnThisRun && !is3DRead)
    {
        int answer = MessageBox(
            GetString("HARDWARE_ACCEL_SWITCHED_ON",
                      "Hardware Acceleration was switched on during this session.\r\n"
                      "If this resulted in slower performance, it should be switched off.\r\n"
                      "Would you like to keep Hardware Acceleration switched on?"),
            caption, MB_YESNO | MB_ICONQUESTION);
        WriteRegBool("Is3D", answer == IDYES);
    }
    if (display3DMayHaveFailed && !isScreenSaver)
    {
        int answer = MessageBox(
            GetString("HARDWARE_ACCEL_NOT_WORKING",
                      "Hardware Acceleration may not have been working correctly during this session.\r\n"
                      "If you noticed graphics problems, you may want to turn off Hardware Acceleration.\r\n"
                      "Would you like to keep Hardware Acceleration switched on?"),
            caption, MB_YESNO | MB_ICONQUESTION);
        if (answer == IDNO)
            WriteRegBool("Is3D", false);
    }
}

void ZestAppBase::ReadCommandLine()
{
    commandLineParsed = true;
    std::string program = programPath.empty() ? productName : programPath;
    SplitCommandLine(CommandLine::OptionsText(CommandLine::Join(program, commandLine)));
}

void ZestAppBase::SplitCommandLine(const std::string& text)
{
    for (const CommandLine::Option& option : CommandLine::Split(text))
        ApplyOption(option.name, option.value);
}

void ZestAppBase::ApplyOption(const std::string& name, const std::string& value)
{
    auto number = [&value](int fallback) {
        char* end = nullptr;
        long parsed = std::strtol(value.c_str(), &end, 10);
        return value.empty() || *end != '\0' ? fallback : static_cast<int>(std::clamp(parsed, 0L, 100000L));
    };
    // The demo files are opened by StartDemo once every option is known.
    if (name == "-play")
    {
        playingDemo = true;
        demoFastForwardTo = number(0);
    }
    else if (name == "-recnum")
    {
        recordingDemo = true;
        recordNumbered = true;
        demoKeepCount = number(5);
    }
    else if (name == "-playnum")
    {
        playingDemo = true;
        demoNumber = number(1);
    }
    else if (name == "-record")
        recordingDemo = true;
    else if (name == "-demofile")
        demoFileName = !value.empty() && value[0] != '/' ? dataFolder + value : value;
    else if (name == "-crash")
        Log(LogLevel::Info, "-crash: no crash handler to test");
    else if (name == "-screensaver")
    {
        isScreenSaver = true;
        onlyAllowOneCopyToRun = false;
    }
    else if (name == "-changedir")
        changeDir = value;
    else if (name == "-log")
    {
        // -log=debug|info|warning|error; -log alone shows what the framework chose (info).
        std::optional<LogLevel> level = value.empty() ? LogLevel::Info : ParseLogLevel(value);
        if (level)
            SetLogThreshold(*level);
        else
            Logf(LogLevel::Warning, "-log=%s is not a log level (debug, info, warning, error)", value.c_str());
    }
    else
    {
        ShowFatalError(GetString("INVALID_COMMANDLINE_PARAM", "Invalid command line parameter: ") + name);
        Exit(0);
    }
}


bool ZestAppBase::BeforeChangeDir(const std::string& path)
{
    (void)path;
    return false;
}

bool ZestAppBase::CanRestore()
{
    return !windowDisabled;
}

bool ZestAppBase::IsSystemCharHandled(int character)
{
    return character == '\r' || character == 'r' || character == 'R';
}

} // namespace zest
