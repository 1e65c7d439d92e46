#include "GameTestData.h"

#include "garden/Res.h"
#include "graphics/MemoryImage.h"
#include "resources/ImageWriter.h"

#include <unistd.h>

#include <atomic>
#include <cctype>
#include <fstream>
#include <stdexcept>
#include <vector>

namespace gametest
{

namespace
{

struct Entry
{
    const char* group;
    const char* kind; // "Image", "Sound", "Font"
    const char* id;   // without the kind prefix
    int width;
    int height;
    uint32_t color;
};

// The manifest's entries in its order.
const Entry Entries[] = {
    {"Init", "Font", "DEFAULT", 0, 0, 0},
    {"Init", "Font", "TITLE", 0, 0, 0},
    {"Init", "Image", "CUSTOM_POINTER", 8, 8, 0xFFFFFF},
    {"Init", "Image", "CUSTOM_HAND", 8, 8, 0xFFFFFF},
    {"Init", "Image", "CUSTOM_DRAGGING", 8, 8, 0xFFFFFF},
    {"Init", "Image", "CUSTOM_TEXT", 8, 8, 0xFFFFFF},
    {"Init", "Image", "TITLESCREEN", 640, 480, TitleColor},
    {"TitleScreen", "Image", "LOADER_BAR", LoaderBarWidth, LoaderBarHeight, LoaderBarColor},
    {"Game", "Sound", "TIMER", 0, 0, 0},
    {"Game", "Sound", "TOMATO", 0, 0, 0},
    {"Game", "Sound", "BURP", 0, 0, 0},
    {"Game", "Image", "CHECKBOX", 8, 8, 0x808080},
    {"Game", "Image", "BGBLOCKS", 8, 8, 0x808080},
    {"Game", "Image", "BUTTON_DOWN", 8, 8, 0x808080},
    {"Game", "Image", "BUTTON_OVER", 8, 8, 0x808080},
    {"Game", "Image", "BUTTON_NORMAL", 8, 8, 0x808080},
    {"Game", "Image", "DIALOG_BOX", 30, 30, 0xC0C0C0},
    {"Game", "Image", "DIALOG_BUTTON", 30, 30, 0xA0A0A0},
    {"Game", "Image", "SLIDER_TRACK", 8, 8, 0x808080},
    {"Game", "Image", "SLIDER_THUMB", 8, 8, 0x808080},
    {"Game", "Image", "BEE", 8, 8, 0x808080},
    {"Game", "Image", "FLOWER", 8, 8, 0x808080},
    {"Game", "Image", "MINIFLOWER", 8, 8, 0x808080},
    {"Game", "Image", "HOSE", 8, 8, 0x808080},
    {"Game", "Image", "SPRAY", 8, 8, 0x808080},
    {"Game", "Image", "FLYTRAP", 8, 8, 0x808080},
    {"Game", "Image", "TRUMPET", 8, 8, 0x808080},
    {"Game", "Image", "ROSE", 8, 8, 0x808080},
    {"Game", "Image", "WINGS", 8, 8, 0x808080},
    {"Game", "Image", "DROPS", 8, 8, 0x808080},
    {"Game", "Image", "TOMATO", 8, 8, 0x808080},
    {"Game", "Image", "HIVE", 8, 8, 0x808080},
    {"Game", "Image", "HIVECOUNTER", 8, 8, 0x808080},
    {"Game", "Image", "BEECOUNTER", 8, 8, 0x808080},
    {"Game", "Image", "PANSY", 8, 8, 0x808080},
    {"Game", "Image", "PANSY2", 8, 8, 0x808080},
    {"Game", "Image", "SPARKLE", 8, 8, 0x808080},
    {"Game", "Image", "HONEYDROP", 8, 8, 0x808080},
    {"Game", "Image", "HONEYBAR", 8, 8, 0x808080},
    {"Game", "Image", "HONEYBARFULL", 8, 8, 0x808080},
    {"Game", "Image", "HONEYSLIDER", 8, 8, 0x808080},
    {"Game", "Image", "ITEM", 8, 8, 0x808080},
};

std::string Prefix(const std::string& kind)
{
    return kind == "Image" ? "IMAGE_" : kind == "Sound" ? "SOUND_" : "FONT_";
}

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

void WriteText(const std::filesystem::path& path, const std::string& text)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

void WriteSolidPng(const std::filesystem::path& path, int width, int height, uint32_t rgb)
{
    std::filesystem::create_directories(path.parent_path());
    zest::MemoryImage image;
    image.Create(width, height);
    uint32_t* bits = image.GetBits();
    for (int i = 0; i < width * height; i++)
        bits[i] = 0xFF000000 | rgb;
    image.BitsChanged();
    if (!zest::WritePng(path.string(), image))
        throw std::runtime_error("cannot write " + path.string());
}

// A short 16-bit mono wave.
void WriteWave(const std::filesystem::path& path)
{
    std::vector<uint8_t> bytes;
    auto u32 = [&](uint32_t v) {
        for (int i = 0; i < 4; i++)
            bytes.push_back(uint8_t(v >> (8 * i)));
    };
    auto u16 = [&](uint16_t v) {
        bytes.push_back(uint8_t(v));
        bytes.push_back(uint8_t(v >> 8));
    };
    auto tag = [&](const char* t) {
        for (int i = 0; i < 4; i++)
            bytes.push_back(uint8_t(t[i]));
    };
    const int samples = 64;
    tag("RIFF");
    u32(36 + samples * 2);
    tag("WAVE");
    tag("fmt ");
    u32(16);
    u16(1);
    u16(1);
    u32(22050);
    u32(44100);
    u16(2);
    u16(16);
    tag("data");
    u32(samples * 2);
    for (int i = 0; i < samples; i++)
        u16(uint16_t((i % 8) * 2000));
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

// Block glyphs for the blank, digits and capitals, 8 x 12 each, side by side; 9 pixels apart.
void WriteFont(const std::filesystem::path& folder, const std::string& name)
{
    const std::string characters = " 0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    const int glyphWidth = 8;
    const int glyphHeight = 12;
    WriteSolidPng(folder / (name + ".png"), glyphWidth * static_cast<int>(characters.size()), glyphHeight, 0xFFFFFF);
    std::string chars;
    std::string rects;
    std::string widths;
    for (size_t i = 0; i < characters.size(); i++)
    {
        std::string sep = i == 0 ? "" : ", ";
        chars += sep + "'" + characters[i] + "'";
        rects += sep + "(" + std::to_string(i * glyphWidth) + ", 0, " + std::to_string(glyphWidth) + ", " +
                 std::to_string(glyphHeight) + ")";
        widths += sep + "9";
    }
    WriteText(folder / (name + ".txt"), "SetDefaultPointSize 12;\n"
                                        "CreateLayer Main;\n"
                                        "LayerSetImage Main '" +
                                            name + ".png';\n"
                                                   "LayerSetAscent Main 10;\n"
                                                   "LayerSetImageMap Main (" +
                                            chars + ") (" + rects + ");\nLayerSetCharWidths Main (" + chars + ") (" +
                                            widths + ");\n");
}

} // namespace

DataFolder::DataFolder(const DataOptions& options)
{
    static std::atomic<int> counter{0};
    root = std::filesystem::temp_directory_path() /
           ("tibble-données-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root);

    std::string manifest = "<?xml version=\"1.0\"?>\n<ResourceManifest>\n";
    std::string group;
    std::string kind;
    for (const Entry& entry : Entries)
    {
        const std::string id = Prefix(entry.kind) + entry.id;
        const std::string file = Lower(entry.id);
        if (std::string(entry.kind) == "Image")
            WriteSolidPng(root / "images" / (file + ".png"), entry.width, entry.height, entry.color);
        else if (std::string(entry.kind) == "Sound")
            WriteWave(root / "sounds" / (file + ".wav"));
        else
            WriteFont(root / "fonts", file);
        if (options.leaveOut.count(id) != 0)
            continue;
        if (entry.group != group)
        {
            if (!group.empty())
                manifest += "  </Resources>\n";
            group = entry.group;
            kind.clear();
            manifest += "  <Resources id=\"" + group + "\">\n";
        }
        if (entry.kind != kind)
        {
            kind = entry.kind;
            std::string folder = kind == "Image" ? "images" : kind == "Sound" ? "sounds" : "fonts";
            manifest += "    <SetDefaults path=\"" + folder + "\" idprefix=\"" + Prefix(kind) + "\"/>\n";
        }
        std::string path = kind == "Image" ? file + ".png" : kind == "Sound" ? file : file + ".txt";
        manifest += "    <" + kind + " id=\"" + entry.id + "\" path=\"" + path + "\"/>\n";
        if (group == "Game")
            gameCount++;
    }
    manifest += "  </Resources>\n</ResourceManifest>\n";
    if (!options.noManifest)
        WriteText(root / "properties" / "resources.xml", manifest);
}

DataFolder::~DataFolder()
{
    std::error_code error;
    std::filesystem::remove_all(root, error);
}

std::string DataFolder::Path(const std::string& name) const
{
    return (root / name).string();
}

void ClearIdentifiers()
{
    using namespace tibble;
    for (zest::Font** font : {&FONT_DEFAULT, &FONT_TITLE})
        *font = nullptr;
    for (zest::Image** image :
         {&IMAGE_CUSTOM_POINTER, &IMAGE_CUSTOM_HAND, &IMAGE_CUSTOM_DRAGGING, &IMAGE_CUSTOM_TEXT, &IMAGE_TITLESCREEN,
          &IMAGE_LOADER_BAR,    &IMAGE_CHECKBOX,    &IMAGE_BGBLOCKS,        &IMAGE_BUTTON_DOWN, &IMAGE_BUTTON_OVER,
          &IMAGE_BUTTON_NORMAL, &IMAGE_DIALOG_BOX,  &IMAGE_DIALOG_BUTTON,   &IMAGE_SLIDER_TRACK, &IMAGE_SLIDER_THUMB,
          &IMAGE_BEE,           &IMAGE_FLOWER,      &IMAGE_MINIFLOWER,      &IMAGE_HOSE,        &IMAGE_SPRAY,
          &IMAGE_FLYTRAP,       &IMAGE_TRUMPET,     &IMAGE_ROSE,            &IMAGE_WINGS,       &IMAGE_DROPS,
          &IMAGE_TOMATO,        &IMAGE_HIVE,        &IMAGE_HIVECOUNTER,     &IMAGE_BEECOUNTER,  &IMAGE_PANSY,
          &IMAGE_PANSY2,        &IMAGE_SPARKLE,     &IMAGE_HONEYDROP,       &IMAGE_HONEYBAR,    &IMAGE_HONEYBARFULL,
          &IMAGE_HONEYSLIDER,   &IMAGE_ITEM})
        *image = nullptr;
    for (int* sound : {&SOUND_TIMER, &SOUND_TOMATO, &SOUND_BURP})
        *sound = 0;
}

} // namespace gametest
