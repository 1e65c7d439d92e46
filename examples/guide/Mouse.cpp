#include "Samples.h"

#include <zest/app/ZestAppBase.h>
#include <zest/graphics/Graphics.h>
#include <zest/widgets/Widget.h>
#include <zest/widgets/WidgetManager.h>

#include <algorithm>
#include <vector>

namespace guide
{
namespace
{

// The mouse goes to the widget under it, in the widget's own coordinates of the application's area
// (640 x 480 here, however the window is scaled). The widget pressed keeps the drags and the release.
class Painter : public zest::Widget
{
public:
    // button: 0 left, 1 right, 2 middle; clickCount 2 for a double click.
    void MouseDown(int mouseX, int mouseY, int button, int clickCount) override
    {
        if (button == 1 || clickCount == 2)
            dots.clear();
        else
            dots.push_back(zest::Point(mouseX, mouseY));
        MarkDirty();
    }
    void MouseDrag(int mouseX, int mouseY) override
    {
        dots.push_back(zest::Point(mouseX, mouseY));
        MarkDirty();
    }
    // One notch of the wheel is 1 (towards the user: -1).
    void MouseWheel(int delta) override
    {
        size = std::clamp(size + delta, 2, 30);
        MarkDirty();
    }
    void MouseEnter() override { ShowHandCursor(true); }
    void Draw(zest::Graphics* g) override
    {
        g->SetColor(zest::Color(255, 255, 255));
        g->FillRect(0, 0, width, height);
        g->SetColor(zest::Color(51, 102, 204));
        for (const zest::Point& dot : dots)
            g->FillRect(dot.x - size / 2, dot.y - size / 2, size, size);
    }

private:
    std::vector<zest::Point> dots;
    int size = 6;
};

class MouseApp : public zest::ZestAppBase
{
public:
    MouseApp()
    {
        productName = "Mouse";
        title = "Drag to paint, wheel for size, right click clears";
        registryKey = "Zest Examples\\Mouse";
    }
    void Initialize() override
    {
        ZestAppBase::Initialize();
        if (shutdown)
            return;
        painter.Resize(0, 0, width, height);
        widgetManager->AddWidget(&painter);
    }

private:
    Painter painter;
};

} // namespace

int RunMouse(int argc, char** argv)
{
    return RunApp<MouseApp>(argc, argv);
}

} // namespace guide
