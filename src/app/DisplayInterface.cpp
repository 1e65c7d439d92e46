#include "app/DisplayInterface.h"

#include "graphics/DisplayImage.h"
#include "graphics/LiveImageSet.h"
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
    int refresh = window->DisplayRefreshRate();
    millisecondsPerFrame = refresh > 0 ? (1000 + refresh / 2) / refresh : 16;
    auto made = std::make_unique<Presenter>(*window);
    if (!made->Init(width, height, is3D, false))
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
        return true;
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
