// libFuzzer harness for the resource manifest: any bytes are read as the manifest, then every group is
// counted, loaded and unloaded by a real application with a sound manager, from a small tree of images,
// sounds and fonts made at start (in the scratch folder, which becomes the working folder, as the game
// runs from its own). So sizes that come from the manifest reach the loaders and the allocator.
#include "FuzzScratch.h"

#include "app/ZestAppBase.h"
#include "audio/DSoundManager.h"
#include "graphics/MemoryImage.h"
#include "platform/Mixer.h"
#include "platform/SystemMessageBox.h"
#include "resources/ImageWriter.h"
#include "resources/ResourceManager.h"
#include "resources/ResourceManagerException.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace
{

class FuzzApp : public zest::ZestAppBase
{
public:
    FuzzApp() { soundManager = std::make_unique<zest::DSoundManager>(zest::Mixer::Create(), false); }
};

void WriteText(const std::string& path, const std::string& text)
{
    fuzz::Require(!fuzz::WriteScratch(path, reinterpret_cast<const uint8_t*>(text.data()), text.size()).empty());
}

// A Sun sound file: 8-bit linear mono at 8000 Hz, a few samples (the header is big-endian words).
std::vector<uint8_t> TinyAu()
{
    std::vector<uint8_t> bytes = {'.', 's', 'n', 'd'};
    for (uint32_t word : {24u, 32u, 2u, 8000u, 1u})
        for (int shift = 24; shift >= 0; shift -= 8)
            bytes.push_back(uint8_t(word >> shift));
    for (int i = 0; i < 32; i++)
        bytes.push_back(uint8_t(i * 8));
    return bytes;
}

// images/ (a 32 x 16 sheet, its alpha, an 8 x 8 cel alpha), sounds/, fonts/ (a strip font's widths, a
// descriptor and its glyph sheet), named as a manifest would name them.
void MakeTree()
{
    const std::string& top = fuzz::ScratchFolder();
    std::filesystem::create_directories(top + "/images");
    std::filesystem::create_directories(top + "/sounds");
    std::filesystem::create_directories(top + "/fonts");
    auto writeImage = [&](const std::string& name, int width, int height) {
        zest::MemoryImage image;
        image.Create(width, height);
        uint32_t* bits = image.GetBits();
        for (int i = 0; i < width * height; ++i)
            bits[i] = 0xFF000000u | static_cast<uint32_t>(i * 0x010203);
        image.BitsChanged();
        fuzz::Require(zest::WritePng(top + "/" + name, image));
    };
    writeImage("images/sheet.png", 32, 16);
    writeImage("images/_sheet.png", 32, 16);
    writeImage("images/cel.png", 8, 8);
    writeImage("fonts/sheet.png", 16, 16);
    const std::vector<uint8_t> sound = TinyAu();
    fuzz::Require(!fuzz::WriteScratch("sounds/buzz.au", sound.data(), sound.size()).empty());
    WriteText("fonts/widths.txt", "3 12 A 4 B 5 C 6 a 4 b 5");
    WriteText("fonts/font.txt", "SetDefaultPointSize 10;\n"
                                "Define Chars ('A', 'B');\n"
                                "CreateLayer Main;\n"
                                "LayerSetImage Main 'sheet.png';\n"
                                "LayerSetImageMap Main Chars ((0, 0, 4, 16), (4, 0, 5, 16));\n"
                                "LayerSetCharWidths Main Chars (4, 5);\n"
                                "LayerSetAscent Main 12;\n");
    fuzz::Require(chdir(top.c_str()) == 0);
}

FuzzApp& App()
{
    static FuzzApp* app = []
    {
        // Decoded sounds are cached: in the scratch folder, not the user's cache.
        setenv("XDG_CACHE_HOME", (fuzz::ScratchFolder() + "/cache").c_str(), 1);
        MakeTree();
        // A font descriptor's errors would open message boxes.
        zest::SetMessageBoxHandler([](const std::string&, const std::string&, unsigned) { return zest::IDOK; });
        return new FuzzApp();
    }();
    return *app;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzApp& app = App();
    const std::string path = fuzz::WriteScratch("resources.xml", data, size);
    if (path.empty())
        return 0;

    zest::ResourceManager manager(&app);
    (void)manager.ReadManifest(path);
    const int total = manager.CountResources("");
    for (const std::string& group : manager.GroupNames())
    {
        fuzz::Require(manager.CountResources(group) <= total);
        const bool loaded = manager.LoadGroup(group);
        // For whoever writes seed inputs: what loaded and why the rest did not.
        if (std::getenv("ZEST_FUZZ_VERBOSE") != nullptr)
            std::fprintf(stderr, "group %s: %s %s\n", group.c_str(), loaded ? "loaded" : "failed",
                         manager.ErrorText().c_str());
        manager.BeginLoading(group);
        while (manager.LoadNext())
        {
        }
        manager.UnloadGroup(group);
    }
    try
    {
        (void)manager.RequireImage("IMAGE_SHEET");
    }
    catch (const zest::ResourceManagerException&)
    {
        // Expected whenever the manifest holds no such image.
    }
    manager.UnloadGroup("");
    return 0;
}
