#include "app/DisplayInterface.h"

#include "graphics/DisplayImage.h"
#include "graphics/LiveImageSet.h"
#include "platform/Clock.h"
#include "platform/Log.h"
#include "platform/Presenter.h"
#include "platform/SdlWindow.h"

namespace zest
{

DisplayInterface::DisplayInterface(LiveImageSet* images, int w, int h)
    : liveImages(images), width(w), height(h), screenImage(std::make_unique<DisplayImage>(w, h, images))
{
}

DisplayInterface::~DisplayInterface() = default;

int DisplayInterface::Init(SdlWindow* newWindow, bool windowed)
{
    (void)windowed; // the window itself knows its mode; the picture is fitted either way
    presenter.reset();
    window = newWindow;
    errorName.clear();
    errorText.clear();
    screenImage->is3D = false;
    if (!window || !window->IsOpen())
        return ResultOk;
    refreshRate = window->DisplayRefreshRate();
    millisecondsPerFrame = refreshRate > 0 ? (1000 + refreshRate / 2) / refreshRate : 16;
    auto made = std::make_unique<Presenter>(*window);
    if (!made->Init(width, height, is3D, vsyncWanted))
    {
        // Headless servers and broken drivers still run the game, unseen.
        Logf(LogLevel::Warning, "no renderer for the window (%s); running without showing the screen",
             made->LastError().c_str());
        return ResultOk;
    }
    screenImage->is3D = made->IsAccelerated() && is3D;
    presenter = std::move(made);
    screenImage->MarkAllDirty();
    return ResultOk;
}

bool DisplayInterface::Present(const Rect* rect)
{
    Rect area = screenImage->TakeDirtyRect();
    if (!presenter)
    {
        if (paceClock && vsyncWanted && refreshRate > 0)
        {
            // Wait for the next refresh boundary, as a vsynced present would.
            uint64_t now = paceClock->Now();
            uint64_t hz = static_cast<uint64_t>(refreshRate);
            uint64_t next = now * hz / 1000 + 1;
            uint64_t due = (next * 1000 + hz - 1) / hz;
            if (due > now)
                paceClock->Sleep(static_cast<uint32_t>(due - now));
        }
        return true;
    }
    if (rect)
        area = area.Union(*rect);
    int pitch = 0;
    Rect clipped;
    if (uint32_t* pixels = presenter->LockArea(area, pitch, clipped))
    {
        screenImage->ComposeTo(pixels, pitch, clipped);
        presenter->UnlockArea();
    }
    return presenter->Present();
}

void DisplayInterface::SetVSync(bool wanted)
{
    vsyncWanted = wanted;
    if (presenter)
        presenter->SetVSync(wanted);
}

bool DisplayInterface::HasVSync() const
{
    if (!vsyncWanted)
        return false;
    return presenter ? presenter->HasVSync() : paceClock != nullptr && refreshRate > 0;
}

void DisplayInterface::PaceOffscreen(Clock* clock, int hz)
{
    paceClock = hz > 0 ? clock : nullptr;
    if (hz > 0)
    {
        refreshRate = hz;
        millisecondsPerFrame = (1000 + hz / 2) / hz;
    }
}

Rect DisplayInterface::GetPresentationRect() const
{
    if (presenter)
    {
        Rect shown = presenter->PresentationRect();
        if (!shown.IsEmpty())
            return shown;
    }
    return Rect(0, 0, width, height);
}

bool DisplayInterface::IsShowing() const
{
    return presenter != nullptr;
}

std::string DisplayInterface::GetRendererName() const
{
    return presenter ? presenter->RendererName() : std::string();
}

std::recursive_mutex& DisplayInterface::GetLock() const
{
    return liveImages ? liveImages->GetLock() : ownLock;
}

void DisplayInterface::LetSystemWindowsShow()
{
    if (window && window->IsFullScreen() && window->SetFullScreen(false))
        leftFullScreen = true;
}

void DisplayInterface::RestoreAfterSystemWindows()
{
    if (leftFullScreen && window)
    {
        if (!window->SetFullScreen(true))
            Logf(LogLevel::Warning, "could not return to full screen: %s", window->LastError().c_str());
        leftFullScreen = false;
        screenImage->MarkAllDirty();
    }
}

} // namespace zest
