// Checks the generated game data in the program folder against what the game's code draws and plays:
// the manifest's groups and order, every sheet's cel grid, seamless open tiles, opaque tiles for the
// background ring buffer, fonts that load and fit their places, and sounds and tunes that decode with the
// right lengths and loop without a jump.

#include "graphics/FontData.h"
#include "graphics/FontHost.h"
#include "graphics/ImageFont.h"
#include "graphics/MemoryImage.h"
#include "resources/ImageLoader.h"

#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace
{

std::string DataDir()
{
    const char* bin = std::getenv("ZEST_BIN_DIR");
    if (bin && *bin)
    {
        return bin;
    }
#ifdef ZEST_BUILD_BIN_DIR
    return ZEST_BUILD_BIN_DIR;
#else
    return "";
#endif
}

bool HaveData()
{
    return std::filesystem::exists(DataDir() + "/properties/resources.xml");
}

#define REQUIRE_DATA()                                                                                                 \
    if (!HaveData())                                                                                                   \
    GTEST_SKIP() << "no generated data in ZEST_BIN_DIR (configure with -DZEST_DATA=ON and build)"

struct ManifestItem
{
    std::string group;
    std::string element; // Image, Sound, Font
    std::string id;      // with its prefix
    std::string path;    // with the default path
    int cols = 1;
    int rows = 1;
};

std::string Attribute(const std::string& tag, const std::string& name)
{
    std::string key = " " + name + "=\"";
    size_t at = tag.find(key);
    if (at == std::string::npos)
    {
        return "";
    }
    at += key.size();
    return tag.substr(at, tag.find('"', at) - at);
}

// A reading of the manifest that is just enough for these checks (the real reader has its own tests).
std::vector<ManifestItem> ReadManifest()
{
    std::ifstream in(DataDir() + "/properties/resources.xml");
    std::stringstream text;
    text << in.rdbuf();
    std::string all = text.str();
    std::vector<ManifestItem> items;
    std::string group;
    std::string path;
    std::string prefix;
    for (size_t at = all.find('<'); at != std::string::npos; at = all.find('<', at + 1))
    {
        std::string tag = all.substr(at, all.find('>', at) - at);
        if (tag.rfind("<Resources ", 0) == 0)
        {
            group = Attribute(tag, "id");
        }
        else if (tag.rfind("<SetDefaults ", 0) == 0)
        {
            path = Attribute(tag, "path") + "/";
            prefix = Attribute(tag, "idprefix");
        }
        else
        {
            for (const char* element : {"Image", "Sound", "Font"})
            {
                if (tag.rfind(std::string("<") + element + " ", 0) == 0)
                {
                    ManifestItem item{group, element, prefix + Attribute(tag, "id"), path + Attribute(tag, "path")};
                    std::string cols = Attribute(tag, "cols");
                    std::string rows = Attribute(tag, "rows");
                    item.cols = cols.empty() ? 1 : std::stoi(cols);
                    item.rows = rows.empty() ? 1 : std::stoi(rows);
                    items.push_back(item);
                }
            }
        }
    }
    return items;
}

const ManifestItem* Find(const std::vector<ManifestItem>& items, const std::string& id)
{
    for (const ManifestItem& item : items)
    {
        if (item.id == id)
        {
            return &item;
        }
    }
    return nullptr;
}

std::unique_ptr<zest::MemoryImage> Load(const std::string& relative)
{
    return zest::LoadImageFile(DataDir() + "/" + relative, false);
}

class DiskFontHost : public zest::FontHost
{
public:
    std::shared_ptr<zest::MemoryImage> SharedImage(const std::string& fileName, const std::string&,
                                                   bool& isNew) override
    {
        isNew = true;
        return std::shared_ptr<zest::MemoryImage>(zest::LoadImageFile(fileName, true).release());
    }
    void ShowFontError(const std::string& text) override { errors += text; }
    std::string errors;
};

} // namespace

TEST(GameData, ManifestHasTheGroupsInTheOrderTheGameBindsThem)
{
    REQUIRE_DATA();
    std::vector<ManifestItem> items = ReadManifest();
    std::map<std::string, int> sizes;
    for (const ManifestItem& item : items)
    {
        ++sizes[item.group];
    }
    EXPECT_EQ(sizes["Init"], 7);
    EXPECT_EQ(sizes["TitleScreen"], 1);
    EXPECT_EQ(sizes["Game"], 34); // 31 images and 3 sounds
    ASSERT_EQ(items.size(), 42u);
    const char* const expected[42] = {"FONT_DEFAULT",
                                      "FONT_TITLE",
                                      "IMAGE_CUSTOM_POINTER",
                                      "IMAGE_CUSTOM_HAND",
                                      "IMAGE_CUSTOM_DRAGGING",
                                      "IMAGE_CUSTOM_TEXT",
                                      "IMAGE_TITLESCREEN",
                                      "IMAGE_LOADER_BAR",
                                      "SOUND_TIMER",
                                      "SOUND_TOMATO",
                                      "SOUND_BURP",
                                      "IMAGE_CHECKBOX",
                                      "IMAGE_BGBLOCKS",
                                      "IMAGE_BUTTON_DOWN",
                                      "IMAGE_BUTTON_OVER",
                                      "IMAGE_BUTTON_NORMAL",
                                      "IMAGE_DIALOG_BOX",
                                      "IMAGE_DIALOG_BUTTON",
                                      "IMAGE_SLIDER_TRACK",
                                      "IMAGE_SLIDER_THUMB",
                                      "IMAGE_BEE",
                                      "IMAGE_FLOWER",
                                      "IMAGE_MINIFLOWER",
                                      "IMAGE_HOSE",
                                      "IMAGE_SPRAY",
                                      "IMAGE_FLYTRAP",
                                      "IMAGE_TRUMPET",
                                      "IMAGE_ROSE",
                                      "IMAGE_WINGS",
                                      "IMAGE_DROPS",
                                      "IMAGE_TOMATO",
                                      "IMAGE_HIVE",
                                      "IMAGE_HIVECOUNTER",
                                      "IMAGE_BEECOUNTER",
                                      "IMAGE_PANSY",
                                      "IMAGE_PANSY2",
                                      "IMAGE_SPARKLE",
                                      "IMAGE_HONEYDROP",
                                      "IMAGE_HONEYBAR",
                                      "IMAGE_HONEYBARFULL",
                                      "IMAGE_HONEYSLIDER",
                                      "IMAGE_ITEM"};
    for (size_t i = 0; i < items.size(); ++i)
    {
        SCOPED_TRACE(items[i].id);
        EXPECT_EQ(items[i].id, expected[i]);
        EXPECT_EQ(items[i].path,
                  [&]
                  {
                      std::string lower = items[i].path;
                      for (char& c : lower)
                          c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
                      return lower;
                  }())
            << "data file names are lower case";
    }
}

TEST(GameData, SheetsHaveTheCelGridsTheGameDraws)
{
    REQUIRE_DATA();
    std::vector<ManifestItem> items = ReadManifest();
    // Cel size and the least number of cels the game's code asks for.
    struct Sheet
    {
        const char* id;
        int celWidth, celHeight, cels;
    };
    const Sheet sheets[] = {
        {"IMAGE_BEE", 48, 48, 21},         {"IMAGE_WINGS", 41, 23, 2},     {"IMAGE_HOSE", 36, 60, 3},
        {"IMAGE_SPRAY", 96, 128, 8},       {"IMAGE_FLOWER", 64, 64, 1},    {"IMAGE_ROSE", 64, 64, 6},
        {"IMAGE_TRUMPET", 64, 64, 6},      {"IMAGE_FLYTRAP", 64, 64, 5},   {"IMAGE_TOMATO", 64, 64, 8},
        {"IMAGE_MINIFLOWER", 48, 48, 6},   {"IMAGE_PANSY", 48, 48, 6},     {"IMAGE_PANSY2", 48, 48, 6},
        {"IMAGE_HIVE", 48, 48, 1},         {"IMAGE_BGBLOCKS", 64, 64, 25}, {"IMAGE_DROPS", 0, 0, 4},
        {"IMAGE_HONEYDROP", 0, 0, 4},      {"IMAGE_SPARKLE", 0, 0, 6},     {"IMAGE_HONEYSLIDER", 0, 0, 2},
        {"IMAGE_TITLESCREEN", 640, 480, 1}};
    for (const Sheet& sheet : sheets)
    {
        SCOPED_TRACE(sheet.id);
        const ManifestItem* item = Find(items, sheet.id);
        ASSERT_NE(item, nullptr);
        auto image = Load(item->path);
        ASSERT_NE(image, nullptr) << item->path;
        EXPECT_EQ(image->GetWidth() % item->cols, 0);
        EXPECT_EQ(image->GetHeight() % item->rows, 0);
        EXPECT_GE(item->cols * item->rows, sheet.cels);
        if (sheet.celWidth > 0)
        {
            EXPECT_EQ(image->GetWidth() / item->cols, sheet.celWidth);
            EXPECT_EQ(image->GetHeight() / item->rows, sheet.celHeight);
        }
    }
    // Single pictures the game cuts itself.
    auto bar = Load(Find(items, "IMAGE_HONEYBARFULL")->path);
    ASSERT_NE(bar, nullptr);
    EXPECT_GE(bar->GetWidth(), 281); // the bar shows up to 270 + 11 pixels of it
    EXPECT_GE(bar->GetHeight(), 17);
    auto box = Load(Find(items, "IMAGE_CHECKBOX")->path);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->GetWidth() % 2, 0);
    auto track = Load(Find(items, "IMAGE_SLIDER_TRACK")->path);
    ASSERT_NE(track, nullptr);
    EXPECT_EQ(track->GetWidth() % 3, 0);
}

// The menu's large dialogs (options and credits at (120, 40), 400 wide; help at (70, 30)) cover the title
// picture's logo whole: no dark outline pixel lies above y 40 across x 120 to 520, where only the tips of
// the letters would show along a dialog's top edge.
TEST(GameData, TitleLogoLiesWhollyUnderTheMenuDialogs)
{
    REQUIRE_DATA();
    auto title = Load(Find(ReadManifest(), "IMAGE_TITLESCREEN")->path);
    ASSERT_NE(title, nullptr);
    int dark = 0;
    int firstX = -1, firstY = -1;
    for (int y = 0; y < 40; y++)
        for (int x = 120; x < 520; x++)
        {
            const uint32_t pixel = title->GetPixel(x, y);
            const uint32_t brightest = std::max({(pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF});
            if (brightest < 90 && dark++ == 0)
            {
                firstX = x;
                firstY = y;
            }
        }
    EXPECT_EQ(dark, 0) << "first dark pixel at (" << firstX << ", " << firstY << ")";
}

// A drained mini flower or pansy (cel 5) closes up in its own colours, a little darker: not a grey, dead flower,
// and still apart from the bright bud (cel 0) of one with nectar to give. Counted over the cel's coloured pixels
// that are not leaf green (saturation at least a quarter, green not the largest channel).
TEST(GameData, DrainedFlowersCloseUpInTheirOwnColours)
{
    REQUIRE_DATA();
    std::vector<ManifestItem> items = ReadManifest();
    struct Tally
    {
        int coloured = 0;
        long brightness = 0;
    };
    auto tally = [](zest::MemoryImage& sheet, int cel)
    {
        Tally t;
        for (int y = 0; y < 48; y++)
            for (int x = cel * 48; x < cel * 48 + 48; x++)
            {
                const uint32_t pixel = sheet.GetPixel(x, y);
                const int a = static_cast<int>(pixel >> 24), r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF,
                          b = pixel & 0xFF;
                const int high = std::max({r, g, b}), low = std::min({r, g, b});
                if (a < 200 || high < 40 || (high - low) * 4 < high || g == high)
                    continue;
                t.coloured++;
                t.brightness += high;
            }
        return t;
    };
    for (const char* id : {"IMAGE_MINIFLOWER", "IMAGE_PANSY", "IMAGE_PANSY2"})
    {
        SCOPED_TRACE(id);
        auto sheet = Load(Find(items, id)->path);
        ASSERT_NE(sheet, nullptr);
        const Tally bud = tally(*sheet, 0);
        const Tally drained = tally(*sheet, 5);
        ASSERT_GT(bud.coloured, 20);
        EXPECT_GE(drained.coloured * 2, bud.coloured) << "the drained cel has lost its colour";
        if (drained.coloured > 0)
        {
            EXPECT_LT(drained.brightness * bud.coloured, bud.brightness * drained.coloured)
                << "the drained cel is as bright as a bud with nectar";
        }
    }
}

TEST(GameData, TilesAreOpaqueAndOpenTilesShareTheirEdges)
{
    REQUIRE_DATA();
    auto tiles = Load(Find(ReadManifest(), "IMAGE_BGBLOCKS")->path);
    ASSERT_NE(tiles, nullptr);
    const uint32_t* bits = tiles->GetBits();
    int width = tiles->GetWidth();
    // The background ring buffer is repainted tile by tile over old tiles: any transparency would show them.
    int transparent = 0;
    for (int i = 0; i < width * tiles->GetHeight(); ++i)
    {
        transparent += (bits[i] >> 24) != 255;
    }
    EXPECT_EQ(transparent, 0);
    // Open tiles are placed at random next to each other and to the sky corners of hedge tiles: every
    // border pixel of every open variant is the same colour.
    uint32_t sky = bits[0];
    int mismatches = 0;
    for (int cel = 0; cel < 8; ++cel)
    {
        int x0 = (cel % 5) * 64;
        int y0 = (cel / 5) * 64;
        for (int i = 0; i < 64; ++i)
        {
            for (auto [x, y] : {std::pair{i, 0}, std::pair{i, 63}, std::pair{0, i}, std::pair{63, i}})
            {
                mismatches += bits[(y0 + y) * width + x0 + x] != sky;
            }
        }
    }
    EXPECT_EQ(mismatches, 0);

    // Hedge tiles: each side with a solid neighbour runs right up to the tile edge (no sky along its middle),
    // so joined tiles meet without a gap. Masks per cel from the auto-tiler: 1 above, 2 right, 4 below, 8 left.
    // Cel 12 serves lone blocks and the left end of a run (solid neighbour on the right only) alike, so it joins
    // on the right: otherwise every hedge that starts in open sky shows a gap after its first tile.
    const int masks[17] = {10, 10, 5, 5, 2, 4, 1, 6, 3, 14, 13, 11, 15, 8, 9, 12, 7};
    for (int cel = 8; cel < 25; ++cel)
    {
        SCOPED_TRACE(cel);
        int mask = masks[cel - 8];
        int x0 = (cel % 5) * 64;
        int y0 = (cel / 5) * 64;
        int gaps = 0;
        for (int i = 16; i < 48; ++i)
        {
            gaps += (mask & 1) && bits[y0 * width + x0 + i] == sky;
            gaps += (mask & 4) && bits[(y0 + 63) * width + x0 + i] == sky;
            gaps += (mask & 8) && bits[(y0 + i) * width + x0] == sky;
            gaps += (mask & 2) && bits[(y0 + i) * width + x0 + 63] == sky;
        }
        EXPECT_EQ(gaps, 0);
    }
}

TEST(GameData, FontsLoadAndFitWhereTheGameUsesThem)
{
    REQUIRE_DATA();
    for (const char* name : {"default", "title"})
    {
        SCOPED_TRACE(name);
        DiskFontHost host;
        zest::ImageFont font(&host, DataDir() + "/fonts/" + name + ".txt");
        ASSERT_TRUE(font.GetFontData()->initialized) << host.errors;
        EXPECT_GT(font.Height(), 10);
        EXPECT_GT(font.Ascent(), 8);
        // Kerning pulls "AT" together.
        EXPECT_LT(font.StringWidth("AT"), font.StringWidth("A") + font.StringWidth("T"));
    }
    DiskFontHost host;
    zest::ImageFont text(&host, DataDir() + "/fonts/default.txt");
    zest::ImageFont title(&host, DataDir() + "/fonts/title.txt");
    // Menu labels fit the 100-pixel buttons, the widest header fits a 400-pixel dialog less its insets.
    for (const char* label : {"OPTIONS", "RESTART", "CREDITS", "PLAY", "HELP", "QUIT", "MENU"})
    {
        EXPECT_LT(text.StringWidth(label), 92) << label;
    }
    EXPECT_LT(title.StringWidth("CONGRATULATIONS"), 400 - 66);
    EXPECT_LT(text.StringWidth("CLICK HERE TO CONTINUE"), 640);
}

namespace
{

struct Decoded
{
    int channels = 0;
    long rate = 0;
    std::vector<float> first; // the first frames of channel 0
    std::vector<float> last;  // the last frames of channel 0
    double seconds = 0;
};

bool Decode(const std::string& path, Decoded& out)
{
    OggVorbis_File file;
    if (ov_fopen(path.c_str(), &file) != 0)
    {
        return false;
    }
    vorbis_info* info = ov_info(&file, -1);
    out.channels = info->channels;
    out.rate = info->rate;
    ogg_int64_t total = ov_pcm_total(&file, -1);
    out.seconds = double(total) / out.rate;
    std::vector<float> all;
    float** pcm = nullptr;
    int section = 0;
    long got;
    while ((got = ov_read_float(&file, &pcm, 4096, &section)) > 0)
    {
        all.insert(all.end(), pcm[0], pcm[0] + got);
    }
    ov_clear(&file);
    size_t n = std::min<size_t>(all.size(), 32);
    out.first.assign(all.begin(), all.begin() + static_cast<long>(n));
    out.last.assign(all.end() - static_cast<long>(n), all.end());
    return static_cast<ogg_int64_t>(all.size()) == total;
}

} // namespace

TEST(GameData, SoundsAndTunesDecodeWithTheirLengths)
{
    REQUIRE_DATA();
    struct Case
    {
        const char* file;
        double minSeconds, maxSeconds;
    };
    const Case cases[] = {{"sounds/timer.ogg", 0.02, 0.5},
                          {"sounds/tomato.ogg", 0.2, 2.0},
                          {"sounds/burp.ogg", 0.2, 2.0},
                          {"music/beetune1.ogg", 60, 120},
                          {"music/beetune2.ogg", 60, 120}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.file);
        Decoded d;
        ASSERT_TRUE(Decode(DataDir() + "/" + c.file, d));
        EXPECT_EQ(d.rate, 44100);
        EXPECT_GE(d.seconds, c.minSeconds);
        EXPECT_LE(d.seconds, c.maxSeconds);
        if (c.minSeconds >= 60)
        {
            EXPECT_EQ(d.channels, 2);
            // The tune loops: its end runs into its start without a jump.
            EXPECT_LT(std::fabs(d.last.back() - d.first.front()), 0.05);
        }
    }
}
