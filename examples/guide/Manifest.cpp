#include "Samples.h"

#include <zest/app/ZestAppBase.h>
#include <zest/graphics/Font.h>
#include <zest/graphics/Graphics.h>
#include <zest/graphics/MemoryImage.h>
#include <zest/resources/ResourceManager.h>
#include <zest/widgets/Widget.h>
#include <zest/widgets/WidgetManager.h>

#include <memory>

namespace guide
{
namespace
{

class Viewer : public zest::Widget
{
public:
    void Draw(zest::Graphics* g) override
    {
        g->DrawImage(picture, 20, 20);
        g->SetFont(font);
        g->DrawString("Loaded from the manifest", 20, 200);
    }
    zest::Image* picture = nullptr;
    zest::Font* font = nullptr;
};

class ViewerApp : public zest::ZestAppBase
{
public:
    ViewerApp()
    {
        productName = "Manifest Viewer";
        registryKey = "Zest Examples\\Manifest Viewer";
    }
    void Initialize() override
    {
        ZestAppBase::Initialize(); // mounts main.pak beside the program when there is one
        if (shutdown)
            return;
        LoadResourceManifest(); // properties/resources.xml; an error ends the program with a message
        if (!resourceManager->LoadGroup("Hello"))
            ShowResourceError(true);
        // Require* throw zest::ResourceManagerException for an identifier the manifest lacks.
        picture = resourceManager->RequireImage("IMAGE_HONEY");
        viewer.picture = picture.get();
        viewer.font = resourceManager->RequireFont("FONT_LABEL");
        viewer.Resize(0, 0, width, height);
        widgetManager->AddWidget(&viewer);
    }
    ~ViewerApp() override { resourceManager->UnloadGroup("Hello"); }

private:
    std::shared_ptr<zest::MemoryImage> picture;
    Viewer viewer;
};

} // namespace

int RunManifestViewer(int argc, char** argv)
{
    return RunApp<ViewerApp>(argc, argv);
}

} // namespace guide
