// hello: one window, a button, a picture with a line of text, and a chime when the button is clicked.
// Its data (properties/resources.xml, images/, sounds/) sits beside the program.
// "hello -quitafter=N" ends after N updates (100 a second), for automated runs.

#include <zest/app/ZestAppBase.h>
#include <zest/graphics/Font.h>
#include <zest/graphics/Graphics.h>
#include <zest/graphics/MemoryImage.h>
#include <zest/resources/ResourceManager.h>
#include <zest/widgets/ButtonWidget.h>
#include <zest/widgets/Widget.h>
#include <zest/widgets/WidgetManager.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>

namespace
{

constexpr int ChimeButtonId = 1;

// The picture and a line that counts the clicks; it draws only when marked dirty.
class HelloPanel : public zest::Widget
{
public:
    void Draw(zest::Graphics* g) override
    {
        g->SetColor(zest::Color(189, 231, 248));
        g->FillRect(0, 0, width, height);
        g->DrawImage(picture, (width - picture->GetWidth()) / 2, 120);
        g->SetFont(font);
        g->SetColor(zest::Color(46, 42, 54));
        const std::string text = clicks == 0   ? std::string("Hello, Zest!")
                                 : clicks == 1 ? std::string("Chimed once")
                                               : "Chimed " + std::to_string(clicks) + " times";
        g->DrawString(text, (width - font->StringWidth(text)) / 2, 260);
    }

    zest::Image* picture = nullptr; // owned by the resource manager
    zest::Font* font = nullptr;     // owned by the resource manager
    int clicks = 0;
};

class HelloApp : public zest::ZestAppBase
{
public:
    HelloApp()
    {
        productName = "Zest Hello";
        title = "Hello, Zest";
        registryKey = "Zest Examples\\Hello";
        onlyAllowOneCopyToRun = false;
    }

    void Initialize() override
    {
        ZestAppBase::Initialize();
        if (shutdown)
            return;
        // A missing or damaged file shows the manager's error in a message box and ends the program.
        LoadResourceManifest();
        if (!resourceManager->LoadGroup("Hello"))
            ShowResourceError(true);
        picture = resourceManager->RequireImage("IMAGE_HONEY");
        chime = resourceManager->RequireSound("SOUND_CHIME");
        zest::Font* font = resourceManager->RequireFont("FONT_LABEL");

        panel.picture = picture.get();
        panel.font = font;
        panel.Resize(0, 0, width, height);
        widgetManager->AddWidget(&panel);

        button.label = "CHIME";
        button.SetFont(font);
        button.Resize(width / 2 - 60, 320, 120, 36);
        widgetManager->AddWidget(&button);
    }

    void ButtonPressed(int id) override
    {
        if (id != ChimeButtonId)
            return;
        PlaySound(chime);
        panel.clicks++;
        panel.MarkDirty();
    }

    void ApplyOption(const std::string& name, const std::string& value) override
    {
        if (name == "-quitafter")
            quitAfter = std::max(1, std::atoi(value.c_str()));
        else
            ZestAppBase::ApplyOption(name, value);
    }

    bool RunUpdate() override
    {
        const bool result = ZestAppBase::RunUpdate();
        if (quitAfter > 0 && --quitAfter == 0)
            Shutdown();
        return result;
    }

private:
    std::shared_ptr<zest::MemoryImage> picture;
    int chime = -1;
    int quitAfter = 0;
    // Widgets are owned by their creator; declared last, they leave the widget manager first.
    HelloPanel panel;
    zest::ButtonWidget button{ChimeButtonId, this};
};

} // namespace

int main(int argc, char** argv)
{
    auto app = std::make_unique<HelloApp>();
    app->commandLine.assign(argv + 1, argv + argc);
    app->Initialize();
    app->Run();
    return 0;
}
