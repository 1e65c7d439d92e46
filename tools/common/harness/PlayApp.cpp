#include "harness/PlayApp.h"

#include "app/DemoPlayer.h"
#include "app/DisplayInterface.h"
#include "game/TitleScreen.h"
#include "game/Board.h"
#include "garden/Level.h"
#include "graphics/DisplayImage.h"
#include "graphics/MemoryImage.h"
#include "platform/SdlWindow.h"
#include "platform/WindowMessage.h"
#include "playscript/PlayScript.h"
#include "resources/ImageWriter.h"
#include "widgets/Dialog.h"

#include <chrono>
#include <thread>

namespace tibble::play
{

namespace
{
// A stuck loop (no update for this many steps) is a harness fault, not a slow game.
constexpr int MaxStepsPerUpdate = 100000;
} // namespace

PlayApp::PlayApp(const std::string& dataFolder, const std::vector<std::string>& options)
{
    SetClock(&fakeClock);
    changeDir = dataFolder;
    onlyAllowOneCopyToRun = false;
    autoStartLoadingThread = false;
    isWindowed = true;
    commandLine = options;
}

PlayApp::~PlayApp()
{
    WaitForLoadingThread();
}

bool PlayApp::Start(std::optional<uint32_t> seed)
{
    Initialize();
    if (shutdown)
        return false;
    // Nothing is shown, so no present waits for a display refresh: the loop keeps its
    // plain pace of one update per step.
    CreateOffscreenDisplay();
    if (seed)
        SeedRandom(*seed);
    StartLoadingThread();
    // The script's update numbers count from the first update after loading, so the wait is real time.
    while (!loadingThreadCompleted)
    {
        mainThreadQueue.Serve();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    mainThreadQueue.Serve();
    return !shutdown && !shutdownRequested;
}

bool PlayApp::Step()
{
    if (shutdown)
        return false;
    bool updated = false;
    int before = updateCount;
    bool playing = GetDemoPlayer() != nullptr;
    for (int i = 0; updateCount == before; i++)
    {
        // The end of a demo ends the run: nothing plays on without input.
        if (shutdown || leaveMainLoop || i >= MaxStepsPerUpdate || (playing && !GetDemoPlayer()))
            return false;
        UpdateStep(&updated);
    }
    harnessUpdates++;
    drawAttempted = false;
    for (int i = 0; !drawAttempted && updateCount == before + 1; i++)
    {
        if (shutdown || leaveMainLoop || i >= MaxStepsPerUpdate)
            break;
        // A demo may hold updates without a draw between them.
        const zest::DemoRecord* next = GetDemoPlayer() ? GetDemoPlayer()->Peek() : nullptr;
        if (next && next->kind == zest::DemoRecord::Kind::Update)
            break;
        UpdateStep(&updated);
    }
    DeleteQueuedWidgets();
    return !shutdown;
}

bool PlayApp::DrawDirty()
{
    drawAttempted = true;
    return GameApp::DrawDirty();
}

void PlayApp::Present(const zest::Rect* rect)
{
    (void)rect;
    if (!drawing && !shutdown)
        screenBltCount++;
}

void PlayApp::SendMouse(uint32_t message, int x, int y)
{
    uint32_t window = mainWindow ? mainWindow->Id() : 0;
    uint64_t keys = 0;
    if (message == zest::WM_LBUTTONDOWN)
        mouseButtons |= zest::MK_LBUTTON;
    else if (message == zest::WM_LBUTTONUP)
        mouseButtons &= ~zest::MK_LBUTTON;
    keys = static_cast<uint64_t>(mouseButtons);
    WindowProc({window, message, keys, zest::MakePointParam(x, y)});
}

void PlayApp::SendKey(int key)
{
    uint32_t window = mainWindow ? mainWindow->Id() : 0;
    WindowProc({window, zest::WM_KEYDOWN, static_cast<uint64_t>(key), 1});
    if (key >= 0x20 && key < 0x7F)
        WindowProc({window, zest::WM_CHAR, static_cast<uint64_t>(key >= 'A' && key <= 'Z' ? key + 32 : key), 1});
    WindowProc({window, zest::WM_KEYUP, static_cast<uint64_t>(key), 1});
}

void PlayApp::SendKey(int key, bool down)
{
    uint32_t window = mainWindow ? mainWindow->Id() : 0;
    WindowProc({window, down ? zest::WM_KEYDOWN : zest::WM_KEYUP, static_cast<uint64_t>(key), 1});
}

bool PlayApp::SendAction(const PlayAction& action)
{
    switch (action.kind)
    {
    case PlayAction::Kind::Click:
        SendMouse(zest::WM_MOUSEMOVE, action.x, action.y);
        SendMouse(zest::WM_LBUTTONDOWN, action.x, action.y);
        SendMouse(zest::WM_LBUTTONUP, action.x, action.y);
        break;
    case PlayAction::Kind::Down:
        SendMouse(zest::WM_MOUSEMOVE, action.x, action.y);
        SendMouse(zest::WM_LBUTTONDOWN, action.x, action.y);
        break;
    case PlayAction::Kind::Up:
        SendMouse(zest::WM_MOUSEMOVE, action.x, action.y);
        SendMouse(zest::WM_LBUTTONUP, action.x, action.y);
        break;
    case PlayAction::Kind::Move:
        SendMouse(zest::WM_MOUSEMOVE, action.x, action.y);
        break;
    case PlayAction::Kind::Key:
        SendKey(action.key);
        break;
    case PlayAction::Kind::KeyDown:
    case PlayAction::Kind::KeyUp:
        SendKey(action.key, action.kind == PlayAction::Kind::KeyDown);
        break;
    case PlayAction::Kind::PadButton:
    case PlayAction::Kind::PadAxis:
        return SetPad(action.kind == PlayAction::Kind::PadAxis, action.padCode, action.padValue);
    default:
        break;
    }
    return true;
}

bool PlayApp::SetPad(bool isAxis, int code, int value)
{
    if (!pad.IsAttached())
    {
        if (!pad.Attach())
            return false;
        // The game opens the pad when it hears of it; a change made before that would never be reported.
        PumpMessages();
    }
    if (isAxis)
        pad.SetAxis(code, value);
    else
        pad.SetButton(code, value != 0);
    return true;
}

std::optional<std::string> PlayApp::Field(const std::string& name)
{
    auto* board = dynamic_cast<Board*>(GetBoard());
    Level* level = board ? board->GetLevel() : nullptr;
    if (name == "screen")
    {
        if (shutdown)
            return std::string("quit");
        if (!dialogList.empty())
            return "dialog:" + dialogList.back()->header;
        if (GetTitleScreen() || !board)
            return std::string("title");
        int state = board->GetState();
        return std::string(state == Board::Playing || state == Board::StartGame ? "playing" : "menu");
    }
    if (name == "level")
        return std::to_string(level ? level->GetLevelIndex() + 1 : 0);
    if (name == "lives")
        return std::to_string(board ? board->Lives() : 0);
    if (name == "hives")
        return std::to_string(board ? board->Hives() : 0);
    if (name == "paused")
        return std::to_string(board && board->IsPaused() ? 1 : 0);
    if (name == "levelupdates")
        return std::to_string(board ? board->LevelUpdates() : 0);
    if (name == "leveldraws")
        return std::to_string(board ? board->LevelDraws() : 0);
    if (name == "update")
        return std::to_string(harnessUpdates);
    return std::nullopt;
}

bool PlayApp::Shot(const std::string& path)
{
    zest::DisplayImage* screen = display ? display->GetScreenImage() : nullptr;
    return screen && zest::WritePng(path, *screen);
}

std::string PlayApp::CompareScreen(const std::string& path)
{
    zest::DisplayImage* screen = display ? display->GetScreenImage() : nullptr;
    if (!screen)
        return "no screen";
    std::unique_ptr<zest::MemoryImage> wanted = LoadImage(path, false);
    if (!wanted)
        return "cannot read " + path;
    if (wanted->GetWidth() != screen->GetWidth() || wanted->GetHeight() != screen->GetHeight())
        return "size " + std::to_string(screen->GetWidth()) + "x" + std::to_string(screen->GetHeight()) + " vs " +
               std::to_string(wanted->GetWidth()) + "x" + std::to_string(wanted->GetHeight());
    const uint32_t* a = screen->GetBits();
    const uint32_t* b = wanted->GetBits();
    if (!a || !b)
        return "no pixels";
    int width = screen->GetWidth();
    int count = width * screen->GetHeight();
    int differ = 0;
    int first = -1;
    for (int i = 0; i < count; i++)
    {
        // The PNG keeps alpha; the screen's alpha byte carries no picture.
        if ((a[i] & 0xFFFFFF) != (b[i] & 0xFFFFFF))
        {
            if (first < 0)
                first = i;
            differ++;
        }
    }
    if (differ == 0)
        return std::string();
    return std::to_string(differ) + " pixels differ, first at (" + std::to_string(first % width) + ", " +
           std::to_string(first / width) + ")";
}

} // namespace tibble::play
