// The application object: configuration, the main window and display, the fixed-rate
// main loop (100 updates a second), the deferred message queue, dialogs, the loading
// thread and shutdown. One per process, created by the game; main thread, except the
// operations marked as callable from any thread.
#pragma once

#include "app/MainThreadQueue.h"
#include "app/MessageQueue.h"
#include "app/SharedImageCache.h"
#include "base/Color.h"
#include "graphics/LiveImageSet.h"
#include "resources/ResourceHost.h"
#include "widgets/ButtonListener.h"
#include "widgets/WidgetHost.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace zest
{

class AudioDevice;
class Buffer;
class Clock;
class DemoPlayer;
class DemoRecorder;
class SingleInstance;
class Dialog;
class DisplayInterface;
class EventPump;
class MemoryImage;
class MusicInterface;
class PakInterface;
class ResourceManager;
class SdlWindow;
class SoundManager;
class Widget;
class WidgetManager;

class ZestAppBase : public ButtonListener, public WidgetHost, public ResourceHost
{
public:
    // Update-state values of the main loop.
    static constexpr int StateMessages = 0;
    static constexpr int StateUpdateDue = 1;
    static constexpr int StateCatchUp = 2;
    static constexpr int StateDone = 3;

    ZestAppBase();
    ZestAppBase(const ZestAppBase&) = delete;
    ZestAppBase& operator=(const ZestAppBase&) = delete;
    ~ZestAppBase() override;

    // The one application object, or none outside its lifetime.
    static ZestAppBase* Instance();

    // Dialog buttons become plain button events: 1000 -> 2000 + dialog id, 1001 ->
    // 3000 + dialog id.
    void DialogButtonPressed(int dialogId, int buttonId) override;
    void DialogButtonClicked(int dialogId, int buttonId) override;

    // One timing step; false only when allowSleep is false and the step would sleep.
    virtual bool Tick(bool allowSleep);
    virtual void UpdateOnce();
    virtual bool RunUpdate();
    virtual void RunFractionalUpdate(float fraction);
    virtual void CreateMainWindow();
    virtual void ApplyCursor();
    virtual void RebuildImages();
    virtual void DropNativeImageData();
    virtual void DropExtraImageData();
    // Called once on the main thread when the loading thread has finished.
    virtual void OnLoadingDone() {}
    virtual void AfterInit() {}
    virtual void OnShutdown() {}
    virtual void BeforeExit() {}
    // Runs on the loading thread; should return soon after shutdown is set. A game
    // whose body uses its own members calls WaitForLoadingThread in its destructor,
    // before those members go. By default: BeginLoading, LoadingStep until it answers
    // false, then EndLoading (skipped once shutdown is set).
    virtual void LoadingThreadBody();
    // Loading in pieces, so a platform without threads (the browser) can run it in
    // slices between frames on the main thread. LoadingStep answers whether more is left.
    virtual void BeginLoading() {}
    virtual bool LoadingStep() { return false; }
    virtual void EndLoading() {}
    // A silent player when no sound is wanted, else the FMOD-style or the BASS-style one.
    virtual std::unique_ptr<MusicInterface> CreateMusicInterface();
    virtual void SaveSettings();
    virtual void LoadSettings();
    // A plain dialog, owned by the caller until AddDialog.
    virtual Dialog* CreateDialog(int id, bool isModal, const std::string& header, const std::string& lines,
                                 const std::string& footer, int buttonMode);
    virtual void BeforeWindow() {}
    virtual void BeginSystemBox();
    virtual void EndSystemBox();
    // A system message box (flags and answers as in platform/SystemMessageBox.h). Any
    // thread: from another thread the box is shown by the main loop while the caller
    // waits.
    virtual int MessageBox(const std::string& text, const std::string& title, unsigned flags);
    // Any thread, as MessageBox.
    virtual void ShowFatalError(const std::string& text);
    // Appends "text time tick" to "ScrError.txt" in the data folder.
    virtual void LogError(const std::string& text);
    // Deletes the widget after the update step that asked for it (see DeleteQueuedWidgets).
    virtual void QueueWidgetDeletion(Widget* widget);
    // Any thread: from another thread the request is carried out by the next Tick.
    virtual void Shutdown();
    virtual void ReadCommandLine();
    virtual void SplitCommandLine(const std::string& text);
    virtual void ApplyOption(const std::string& name, const std::string& value);
    virtual void Run();
    virtual void Initialize();
    virtual void BeforeDisplayInit() {}
    virtual void AfterDisplayInit() {}
    // False lets the framework change the working directory to path itself.
    virtual bool BeforeChangeDir(const std::string& path);
    virtual double GetMusicVolume();
    virtual double GetSfxVolume();
    virtual bool IsMuted();
    virtual void SetMusicVolume(double volume);
    virtual void SetSfxVolume(double volume);
    virtual double GetMasterVolume();
    virtual void SetMasterVolume(double volume);
    // Plays the sound once at the pan (-10000 left .. 10000 right) and releases it when done.
    virtual void PlaySound(int id, int pan);
    virtual void PlaySound(int id);
    virtual void Mute(bool automatic);
    virtual void Unmute(bool automatic);
    // 0 before loading starts, done / total while it runs, 1 once loaded.
    virtual double LoadingProgress();
    // Switches between a framed window and full screen.
    virtual void SetScreenMode(bool wantWindowed);
    virtual void SetScreenMode(bool wantWindowed, bool want3D);
    // force: re-create the window even when the mode stays the same.
    virtual void SetScreenMode(bool wantWindowed, bool want3D, bool force);
    // Opens the address in the system browser; false (after OnUrlFailed) when the
    // browser cannot be started. shutdownAfter ends the program once it opened.
    virtual bool OpenUrl(const std::string& url, bool shutdownAfter);
    virtual void OnUrlOpened();
    virtual void OnUrlFailed() {}
    // A second copy of the program was started (the first copy's window is raised).
    virtual void OnNotifyMessage() {}
    // Swallows the key when true (ctrl/alt as held).
    virtual bool DeveloperKeyEx(int key, bool ctrl, bool alt);
    virtual bool DeveloperKey(int key);
    virtual Dialog* ShowDialog(int id, bool isModal, const std::string& header, const std::string& lines,
                               const std::string& footer, int buttonMode);
    Dialog* GetDialog(int id) override;
    // Takes ownership of the dialog: placed when it has no size, added to the widget
    // manager, made modal when it is.
    virtual void AddDialog(Dialog* dialog);
    virtual void AddDialog(int id, Dialog* dialog);
    virtual bool CloseDialog(Dialog* dialog);
    bool CloseDialog(int id) override;
    // False when no dialog has the id. deleteWidget hands it to the deferred deletion.
    virtual bool CloseDialog(int id, bool removeWidget, bool deleteWidget);
    virtual int GetDialogCount();
    virtual void OnModalOpen() {}
    virtual void OnModalClose() {}
    virtual void GotFocus() {}
    virtual void LostFocus() {}
    virtual bool IsSystemCharHandled(int character);
    // Gamepad input, seen by the application before the focus widget (pad: the pad's slot, 0 first;
    // button and axis: GamepadButton, GamepadAxis). Answering true keeps it from the focus widget;
    // the widget manager's polling state (GetWidgetManager()->Gamepads()) follows either way.
    virtual bool OnGamepadButton(int pad, int button, bool down);
    virtual bool OnGamepadAxis(int pad, int axis, int value);
    virtual void OnGamepadAdded(int pad) { (void)pad; }
    virtual void OnGamepadRemoved(int pad) { (void)pad; }
    // Moves the pointer as the mouse would, for input that steers it (a gamepad's stick, keys): the
    // widget manager's mouse at once, the system pointer through the window (x, y in application pixels).
    void MovePointer(int x, int y);
    // The window's close box; the close itself follows through the message queue.
    virtual void OnCloseRequest() {}
    // Asked when the queued close is handled: false keeps the program running (an editor asking first
    // about unsaved work closes later by calling Shutdown itself).
    virtual bool CanClose() { return true; }
    // Draws the dirty widgets and presents; answers whether a frame was shown.
    virtual bool DrawDirty();
    // Shows the screen (rect none: all of it).
    virtual void Present(const Rect* rect);
    virtual void BeforeInit() {}
    virtual void MainLoop();
    // What Run does once the loop has ended: statistics, BeforeExit, saving the settings.
    void EndRun();
    // One animation frame where the browser drives the loop; false once the game has ended.
    bool BrowserFrame();
    // One step of the loop; false when the loop is to be left.
    bool UpdateStep(bool* updated) override;
    // Steps until an update happened (true) or the loop is to be left (false).
    virtual bool UpdateUntilTick();
    virtual bool CanRestore();

    // The window procedure: immediate handling, then queueing by the queue's rules.
    void WindowProc(const WindowMessage& message);
    // Handles the oldest queued message; answers whether more remain. A demo being recorded gets the message;
    // while one plays, only a close is handled.
    bool HandleQueuedMessage();
    // What a queued message does once it is taken from the queue (or from a demo).
    void HandleMessage(const WindowMessage& message);
    void HandleGamepadMessage(const WindowMessage& message);
    // Whether a mouse motion only reports a MovePointer warp (which it then consumes).
    bool IsWarpReport(const WindowMessage& message);
    void HandleKeyDown(const WindowMessage& message);
    void HandleMouse(const WindowMessage& message);
    void HandleMouseButton(const WindowMessage& message, int mouseX, int mouseY);
    void HandleTimer();
    // Decides, from the focus, whether a browser asked to open a page did so.
    void CheckUrlOpening(uint64_t now);
    void TrackMouseLeaving();
    void HandleSize(const WindowMessage& message);
    void UpdateFocusState();
    void AccumulateFrameTime();
    void ResetFrameTime();
    // Deletes the queued widgets requested at the current update depth or deeper.
    void DeleteQueuedWidgets();
    void StartLoadingThread();
    void WaitForLoadingThread();
    // Runs a part of loading, turning a resource error into the fatal error box; false after one.
    bool RunLoadingPart(const std::function<void()>& part);
    void FinishLoading();
    // Without threads: loading steps until the clock reaches until (at least one step).
    void RunLoadingSlice(uint64_t until);
    // Loading's share of an animation frame, in milliseconds; the rest keeps the title's bar moving.
    static constexpr uint64_t LoadingSliceMilliseconds = 12;
    // How often the browser saves the settings (BrowserFrame), and when it last did.
    static constexpr uint64_t BrowserSaveMilliseconds = 2000;
    uint64_t lastBrowserSave = 0;
    int InitDisplayInterface();
    // The string table's text for id, or defaultText when the id has none.
    std::string GetString(const std::string& id, const std::string& defaultText) const override;
    void SetString(const std::string& id, const std::string& text);
    // Ends the process with the code.
    [[noreturn]] void Exit(int code);
    // Reads the whole file; false (buffer untouched) when it cannot be read whole or is
    // larger than MaxReadFileSize.
    [[nodiscard]] bool ReadFileIntoBuffer(const std::string& fileName, Buffer& buffer);
    // Far above any game file (levels are kilobytes); a larger one is damage or a sparse file.
    static constexpr size_t MaxReadFileSize = size_t(256) << 20;
    void SetCursorNumber(int number) override;
    void SetCustomCursors(bool enabled);
    // A custom image for the cursor number (not owned; null removes it), drawn by
    // the display as a software cursor with its hot spot.
    void SetCursorImage(int number, MemoryImage* image, Point hotSpot = Point());
    // The custom image the display shows as the cursor now; none for a system cursor.
    MemoryImage* ShownCursorImage() const { return shownCursorImage; }

    // Settings store of the application's key (registryKey); each answers success.
    // Reads succeed only for a value of the expected type and leave the target
    // unchanged otherwise; with an empty key every call fails.
    bool WriteRegString(const std::string& name, const std::string& text);
    bool WriteRegInt(const std::string& name, int value);
    bool WriteRegBool(const std::string& name, bool value);
    bool WriteRegData(const std::string& name, const uint8_t* bytes, size_t length);
    bool ReadRegString(const std::string& name, std::string& text);
    bool ReadRegInt(const std::string& name, int& value);
    bool ReadRegBool(const std::string& name, bool& value);
    bool ReadRegData(const std::string& name, std::vector<uint8_t>& bytes);
    // A data value the game began to read after demos of older versions were made: a demo carries it like any
    // other, but one without it plays on as though the value were absent, where ReadRegData would stop it.
    bool ReadRegDataIfRecorded(const std::string& name, std::vector<uint8_t>& bytes);
    bool EraseRegValue(const std::string& name);
    // Several DWORD values in one atomic write of the settings file.
    bool WriteRegInts(const std::map<std::string, int>& values);
    // Several data values in one atomic write of the settings file.
    bool WriteRegDataValues(const std::map<std::string, std::vector<uint8_t>>& values);
    // Called before teardown: the questions about keeping 3-D acceleration.
    void AskExit3DQuestions();
    // A 31-bit non-negative random number from the shared generator.
    int Rand();
    void SeedRandom(uint32_t seed);
    // The shared generator as it stands, for a copy that replays what follows.
    const std::mt19937& RandomGenerator() const { return randomGenerator; }

    // Demo recording and playback (none while neither runs).
    DemoRecorder* GetDemoRecorder() const { return demoRecorder.get(); }
    DemoPlayer* GetDemoPlayer() const { return demoPlayer.get(); }
    // Why playback stopped before the demo's end; empty after a whole demo (or none).
    const std::string& DemoStopReason() const { return demoStopReason; }
    // The numbered demo files "%d.dmo" of folder, oldest (lowest number) first.
    static std::vector<std::pair<int, std::string>> NumberedDemoFiles(const std::string& folder);

    // The clock the loop runs on (not owned; the system clock by default).
    void SetClock(Clock* newClock);
    Clock* GetClock() const { return clock; }
    uint64_t Now() const;

    WidgetManager* GetWidgetManager() const { return widgetManager.get(); }
    DisplayInterface* GetDisplay() const { return display.get(); }
    SdlWindow* GetMainWindow() const { return mainWindow.get(); }
    LiveImageSet& GetLiveImages() { return liveImages; }
    // Creates the display without a window: drawing works and nothing is shown
    // (tools and tests).
    void CreateOffscreenDisplay();
    // Where the screen lies in the window: the widget manager's mouse mapping follows it.
    void UpdateMouseMapping();

    // Resources: the manifest's manager, the image cache and the image loader it uses.
    ResourceManager* GetResourceManager() const { return resourceManager.get(); }
    // None until Initialize made them (or when no sound is wanted, for the sound manager).
    SoundManager* GetSoundManager() const { return soundManager.get(); }
    SoundLoader* GetSoundLoader() const override;
    bool IsDisplay3D() const override;
    MusicInterface* GetMusicInterface() const { return musicInterface.get(); }
    // The shared image of fileName and variant, loaded (alpha files looked for) on first
    // request; isNew tells whether this call loaded it. None when the file cannot be
    // loaded. Any thread.
    std::shared_ptr<MemoryImage> SharedImage(const std::string& fileName, const std::string& variant,
                                             bool& isNew) override;
    // Deletes the shared image of fileName and variant now if nobody holds it any more.
    void ForgetSharedImage(const std::string& fileName, const std::string& variant) override;
    // A font descriptor error, in a message box. Any thread.
    void ShowFontError(const std::string& text) override;
    // A new image of the file (alpha files looked for), named by its path and owned by the
    // caller; none when it cannot be loaded. commitBits: work out its transparency now.
    std::unique_ptr<MemoryImage> LoadImage(const std::string& path, bool commitBits) override;
    // Reads "properties\resources.xml"; on failure shows the error and exits with code 0.
    void LoadResourceManifest();
    // Shows the resource manager's error text as a fatal error, then exits with code 0
    // when doExit.
    void ShowResourceError(bool doExit);

    // Configuration: set by the game's constructor before Initialize.
    std::string companyName;
    std::string fullCompanyName;
    std::string productName = "Product";
    std::string title = "ZestApp";
    std::string productVersion;
    std::string registryKey;
    std::string changeDir;
    int width = 640;
    int height = 480;
    int fullScreenBitDepth = 16;
    int preferredX = -1;
    int preferredY = -1;
    bool isWindowed = true;
    int frameTime = 10;
    double updateMultiplier = 1.0;
    int syncRefreshRate = 100;
    bool vsyncUpdates = false;
    bool waitForVSync = false;
    bool softVSyncWait = true;
    bool autoStartLoadingThread = true;
    bool onlyAllowOneCopyToRun = true;
    // Gamepads are opened and reported (false: the program never sees one).
    bool gamepadsWanted = true;
    bool muteOnLostFocus = true;
    double musicVolume = 0.85;
    double sfxVolume = 0.85;
    bool customCursorsEnabled = false;
    bool noSoundWanted = false;
    bool wantFMod = false;
    bool autoEnable3D = false;

    // Run-time state.
    std::atomic<bool> shutdown{false};
    bool leaveMainLoop = false;
    bool initialized = false;
    bool running = false;
    bool crashCaught = false;
    bool active = true;
    bool minimized = false;
    bool hasFocus = true;
    bool windowDisabled = false;
    bool mouseIn = false;
    bool popupShowing = false;
    bool forceFullScreen = false;
    bool forceWindowed = false;
    bool physicallyWindowed = true;
    bool closedByUser = false;
    bool commandLineParsed = false;
    bool registryRead = false;
    std::atomic<bool> loadingThreadStarted{false};
    std::atomic<bool> loadingThreadCompleted{false};
    bool loaded = false;
    bool yieldMainThread = false;
    // Loading runs in slices between frames on the main thread instead of on a thread of its own:
    // where the platform has no threads (the browser); tests may set it before loading starts.
    bool loadingInSlices = false;
    std::atomic<bool> shutdownRequested{false};
    int cursorNumber = CursorPointer;
    bool customCursorDirty = false;
    int muteCount = 0;
    int autoMuteCount = 0;
    std::thread::id primaryThreadId;
    int updateAppState = StateMessages;
    int updateAppDepth = 0;
    int updateCount = 0;
    int nonDrawCount = 0;
    int sleepCount = 0;
    int drawCount = 0;
    int screenBltCount = 0;
    uint64_t drawTime = 0;
    uint64_t blitTime = 0;
    double updateFTimeAcc = 0;
    std::optional<uint64_t> lastTimeCheck;
    double pendingUpdatesAcc = 0;
    int64_t relaxUpdateBacklogCount = 0;
    bool hasPendingDraw = true;
    bool lastDrawWasEmpty = false;
    uint64_t nextDrawTick = 0;
    uint64_t lastDrawTick = 0;
    uint64_t lastTimerTick = 0;
    uint64_t timerResumeTick = 0;
    uint64_t lastUserInputTick = 0;
    uint64_t loadTime = 0;
    uint64_t startTick = 0;
    bool vsyncBroken = false;
    int vsyncBrokenCount = 0;
    int vsyncBrokenTestUpdates = 0;
    uint64_t vsyncBrokenTestStartTick = 0;
    bool drawing = false;
    bool displayLost = false;
    uint64_t lastRecoverTick = 0;
    // Set by the game's loading code; any thread writes, the main thread reads.
    std::atomic<int> numLoadingThreadTasks{0};
    std::atomic<int> completedLoadingThreadTasks{0};
    // Where the program keeps its own files ($XDG_DATA_HOME/<full company>/<product>/).
    std::string dataFolder;
    // The arguments after the program path, as the shell split them.
    std::vector<std::string> commandLine;
    std::string programPath;

    // Settings and options.
    bool lastShutdownWasGraceful = true;
    bool is3D = false;
    bool is3DRead = false;
    bool switched3DOnThisRun = false;
    bool display3DMayHaveFailed = false;
    bool isScreenSaver = false;
    bool playingDemo = false;
    bool recordingDemo = false;
    int demoNumber = 0;
    int demoKeepCount = 5;
    // "-recnum": record into the next numbered file.
    bool recordNumbered = false;
    // Set once a demo plays: the run never writes the player's settings (the demo's progress is not theirs).
    bool settingsReadOnly = false;
    std::string demoFileName;
    // "-play=N": updates run back to back, muted, until the demo reaches update N.
    int demoFastForwardTo = 0;
    // The seed last given to the shared random generator.
    uint32_t randomSeed = 0;
    bool debugKeysEnabled = false;

    // Opening a web address.
    bool openingUrl = false;
    bool shutdownAfterUrl = false;
    std::string openingUrlText;
    uint64_t urlOpenTick = 0;

protected:
    // Runs fn on the main thread and answers its result: at once on the main thread,
    // otherwise by the main loop while the caller waits; -1 when no main loop is left.
    int RunOnMainThread(const std::function<int()>& fn);
    // Turns waiting system events (and the frame timer) into window messages.
    void PumpMessages();
    int ShowSystemBox(const std::string& text, const std::string& title, unsigned flags);
    bool IsMainThread() const;
    // Opens the demo to play (a file that cannot be played ends the program with exit code 0) or to record.
    void StartDemo();
    // The whole file through the archive-aware file functions; none when it cannot be read whole.
    static std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& fileName);
    // One loop step while a demo plays: the live queue (close only), then the demo's records up to the next update
    // or draw, paced by the clock unless fast-forwarding.
    bool DemoUpdateStep(bool* updated);
    // Playback ends (reason empty at the demo's end); the game goes on with live input.
    void StopDemoPlayback(const std::string& reason);
    // Asks the display for vsync while updates are to be tied to the refresh, and takes
    // the refresh rate from the display's mode when its presents wait for it.
    void SyncDisplayRefresh();
    // Whether the loop paces updates by the display's refresh (see Tick).
    bool UpdatesTiedToRefresh() const;
    // Answers saved after a settings write: the first failure says once that the game plays on without
    // saving; a later save that works says so too.
    bool NoteSettingsSave(bool saved);

    // One timed step of Tick, worked out once at its start.
    struct FramePlan
    {
        double multiplier = 1.0;
        double frameLength = 0; // milliseconds an update is due after the last
        double updatesPerUpdate = 1.0; // updates a tied refresh carries
        bool synced = false; // the step is paced by presents that wait for the refresh
    };
    FramePlan PlanFrame() const;
    // The update, catch-up or draw that is due, then any sleep; false where a sleep was due and not allowed.
    bool RunTimedStep(const FramePlan& plan, bool allowSleep);
    // Runs the update when its time has come; answers whether it ran.
    bool RunDueUpdate(const FramePlan& plan, uint64_t start);
    void CountUpdateForVSyncCheck(uint64_t start);
    // The updates owed after a tied refresh, and the fraction for drawing between them.
    void CatchUp(const FramePlan& plan);
    bool DrawOrWait(const FramePlan& plan, bool allowSleep, int64_t& slept);
    bool YieldToLoading(uint64_t start, int64_t slept, bool allowSleep);

    Clock* clock;
    // The mounted "main.pak"; declared first so it outlives everything that reads through it.
    std::unique_ptr<PakInterface> pakInterface;
    std::unique_ptr<WidgetManager> widgetManager;
    std::unique_ptr<DisplayInterface> display;
    std::unique_ptr<SdlWindow> mainWindow;
    std::unique_ptr<EventPump> eventPump;
    std::map<int, Dialog*> dialogMap;
    std::list<Dialog*> dialogList;
    std::vector<std::pair<Widget*, int>> safeDeleteList;
    MessageQueue messageQueue;
    std::map<std::string, std::string> stringTable;
    LiveImageSet liveImages;
    SharedImageCache sharedImages{liveImages};
    std::unique_ptr<ResourceManager> resourceManager;
    std::unique_ptr<SoundManager> soundManager;
    std::unique_ptr<MusicInterface> musicInterface;
    std::unique_ptr<AudioDevice> audioDevice;
    std::mt19937 randomGenerator;
    std::thread loadingThread;
    bool ctrlDown = false;
    bool altDown = false;
    // The minimised state the queued size messages last acted on (the window
    // procedure sets minimized itself at once).
    bool minimizedHandled = false;
    bool errorLogStarted = false;
    uint64_t lastTimerPost = 0;
    MainThreadQueue mainThreadQueue;
    std::unique_ptr<SingleInstance> singleInstance;
    // Custom cursor images by cursor number (not owned) and their hot spots.
    std::array<MemoryImage*, CursorCount> cursorImages{};
    std::array<Point, CursorCount> cursorHotSpots{};
    MemoryImage* shownCursorImage = nullptr;
    // Window positions MovePointer sent the system pointer to; their motion reports are dropped, so a
    // late report cannot pull the pointer back while a stick keeps moving it.
    std::vector<Point> pendingWarps;
    std::unique_ptr<DemoRecorder> demoRecorder;
    std::unique_ptr<DemoPlayer> demoPlayer;
    std::string demoStopReason;
    bool demoMuted = false;
    // The message being handled comes from a demo (its mouse position is already in application pixels).
    bool replayingMessage = false;
    // The last settings write failed (and that was reported).
    bool settingsSaveFailed = false;
};

} // namespace zest
