#include "Commands.h"

#include "app/ZestAppBase.h"
#include "audio/DSoundManager.h"
#include "files/PakFile.h"
#include "files/PakInterface.h"
#include "garden/Res.h"
#include "garden/LevelMap.h"
#include "platform/Mixer.h"
#include "platform/SystemMessageBox.h"
#include "resources/ResourceManager.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

namespace zestcheck
{

namespace
{

// The application as far as the resources need it: the image cache, the image loader and a sound
// manager that decodes every sound (no device, no window).
class CheckApp : public zest::ZestAppBase
{
public:
    CheckApp() { soundManager = std::make_unique<zest::DSoundManager>(zest::Mixer::Create(), false); }
};

// The whole file through the archive-aware functions; nothing when it cannot be opened.
std::optional<std::vector<uint8_t>> ReadDataFile(const char* fileName)
{
    zest::PFilePtr file(zest::p_fopen(fileName, "rb"));
    if (!file)
        return std::nullopt;
    std::vector<uint8_t> bytes;
    uint8_t block[4096];
    size_t got = 0;
    while ((got = zest::p_fread(block, 1, sizeof(block), file.get())) > 0)
        bytes.insert(bytes.end(), block, block + got);
    return bytes;
}

// The level maps, once the data has any: each of the thirteen must then be there and playable.
std::optional<std::string> CheckLevelMaps()
{
    std::vector<std::optional<std::vector<uint8_t>>> maps;
    bool any = false;
    for (const char* fileName : tibble::LevelFileNames)
    {
        maps.push_back(ReadDataFile(fileName));
        any = any || maps.back().has_value();
    }
    if (!any)
    {
        std::fprintf(stderr, "zestcheck: no level maps in the data; not checked\n");
        return std::nullopt;
    }
    for (int i = 0; i < tibble::LevelCount; i++)
    {
        const char* fileName = tibble::LevelFileNames[i];
        if (!maps[i])
            return std::string(fileName) + ": cannot be read";
        if (std::optional<std::string> reason = tibble::ValidateLevelFile(*maps[i]))
            return std::string(fileName) + ": " + *reason;
    }
    return std::nullopt;
}

int Failed(const std::string& text)
{
    std::printf("%s\n", text.c_str());
    return 1;
}

} // namespace

int CheckData(const Arguments& arguments)
{
    if (arguments.size() > 1 || (arguments.size() == 1 && (arguments[0].empty() || arguments[0][0] == '-')))
    {
        std::fprintf(stderr, "usage: zestcheck [DATA_DIR]\n");
        return 2;
    }
    if (arguments.size() == 1 && chdir(arguments[0].c_str()) != 0)
    {
        std::fprintf(stderr, "zestcheck: cannot enter %s: %s\n", arguments[0].c_str(), std::strerror(errno));
        return 2;
    }
    // As the game does: the archive when there is one, the folder for everything else.
    zest::PakInterface pak;
    if (access("main.pak", F_OK) == 0 && !pak.AddPakFile("main.pak"))
        std::fprintf(stderr, "zestcheck: main.pak is not a valid archive; reading the folder only\n");

    // Font descriptor errors would pop up in the game before its own message: here they go to stderr.
    zest::SetMessageBoxHandler([](const std::string& text, const std::string& title, unsigned) {
        std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
        return zest::IDOK;
    });

    CheckApp app;
    zest::ResourceManager* resources = app.GetResourceManager();
    if (!resources->ReadManifest("properties\\resources.xml"))
        return Failed(resources->ErrorText());
    if (!resources->LoadGroup("Init") || !tibble::BindInitResources(resources))
        return Failed(resources->ErrorText());
    if (!resources->LoadGroup("TitleScreen") || !tibble::BindTitleScreenResources(resources))
        return Failed(resources->ErrorText());
    if (!resources->LoadGroup("Game") || !tibble::BindGameResources(resources))
        return Failed(resources->ErrorText());
    if (std::optional<std::string> error = CheckLevelMaps())
        return Failed(*error);
    std::printf("OK\n");
    return 0;
}

} // namespace zestcheck
