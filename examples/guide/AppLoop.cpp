#include "Samples.h"

#include <zest/app/ZestAppBase.h>
#include <zest/graphics/Graphics.h>
#include <zest/widgets/Widget.h>
#include <zest/widgets/WidgetManager.h>

#include <memory>

namespace guide
{
namespace
{

// Update runs 100 times a second; Draw only after MarkDirty.
class Bouncer : public zest::Widget
{
public:
    void Update() override
    {
        x += speed;
        if (x < 0 || x > width - 40)
            speed = -speed;
        MarkDirty();
    }
    void Draw(zest::Graphics* g) override
    {
        g->SetColor(zest::Color(255, 246, 220));
        g->FillRect(0, 0, width, height);
        g->SetColor(zest::Color(244, 165, 44));
        g->FillRect(x, height / 2 - 20, 40, 40);
    }

private:
    int x = 0;
    int speed = 3;
};

class BouncerApp : public zest::ZestAppBase
{
public:
    BouncerApp()
    {
        productName = "Bouncer";
        title = "Bouncer";
        registryKey = "Zest Examples\\Bouncer"; // settings: ~/.config/Zest Examples/Bouncer/
        width = 640;
        height = 480;
    }
    void Initialize() override
    {
        ZestAppBase::Initialize(); // window, display, sound, settings, command line
        if (shutdown)
            return;
        bouncer.Resize(0, 0, width, height);
        widgetManager->AddWidget(&bouncer);
    }

private:
    Bouncer bouncer; // widgets belong to their creator, not to the manager
};

} // namespace

int RunBouncer(int argc, char** argv)
{
    auto app = std::make_unique<BouncerApp>();
    app->commandLine.assign(argv + 1, argv + argc);
    app->Initialize();
    app->Run(); // the loop: messages, updates at 100 a second, drawing of what is dirty
    return 0;
}

} // namespace guide
