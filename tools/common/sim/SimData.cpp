#include "sim/SimData.h"

#include "app/ZestAppBase.h"
#include "audio/DSoundManager.h"
#include "files/PakInterface.h"
#include "garden/Res.h"
#include "platform/Mixer.h"
#include "platform/SystemMessageBox.h"
#include "resources/ResourceManager.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace tibble::sim
{

namespace
{

// The application as far as the resource manager needs one: image cache, image loader and a sound
// manager over a mixer without a device. Never initialised, so it opens no window.
class HeadlessApp : public zest::ZestAppBase
{
public:
    HeadlessApp() { soundManager = std::make_unique<zest::DSoundManager>(zest::Mixer::Create(), false); }
};

bool Failed(std::string* error, const std::string& text)
{
    if (error)
        *error = text;
    return false;
}

} // namespace

SimData::SimData() = default;

SimData::~SimData() = default;

zest::ZestAppBase* SimData::GetApp() const
{
    return app.get();
}

bool SimData::Load(const std::string& dataFolder, std::string* error)
{
    if (app)
        return Failed(error, loaded ? "the data is loaded already" : "an earlier load failed");

    std::error_code code;
    std::filesystem::path absolute = std::filesystem::absolute(dataFolder.empty() ? "." : dataFolder, code);
    if (code || !std::filesystem::is_directory(absolute, code))
        return Failed(error, "cannot enter " + dataFolder + ": not a folder");
    // The game runs in its data folder: the manifest and the files it names are relative to it.
    std::filesystem::current_path(absolute, code);
    if (code)
        return Failed(error, "cannot enter " + dataFolder + ": " + code.message());
    folder = absolute.string();

    pak = std::make_unique<zest::PakInterface>();
    if (std::filesystem::exists("main.pak", code) && !pak->AddPakFile("main.pak"))
        return Failed(error, "main.pak is not a valid archive");

    // Font and resource errors would pop up a message box in the game; here they go to stderr.
    zest::SetMessageBoxHandler(
        [](const std::string& text, const std::string& title, unsigned)
        {
            std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
            return zest::IDOK;
        });

    app = std::make_unique<HeadlessApp>();
    zest::ResourceManager* resources = app->GetResourceManager();
    if (!resources->ReadManifest("properties\\resources.xml"))
        return Failed(error, resources->ErrorText());
    if (!resources->LoadGroup("Init") || !BindInitResources(resources))
        return Failed(error, resources->ErrorText());
    if (!resources->LoadGroup("Game") || !BindGameResources(resources))
        return Failed(error, resources->ErrorText());
    loaded = true;
    return true;
}

void SimData::PlaySound(int soundId)
{
    if (app)
        app->PlaySound(soundId);
}

} // namespace tibble::sim
