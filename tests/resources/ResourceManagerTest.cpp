// The resource manifest: reading (schema rules, defaults, animation, error texts with line and file),
// loading images, sounds and fonts by group or one by one, lookups and unloading.
#include "ImageTestSupport.h"

#include "app/ZestAppBase.h"
#include "audio/DSoundManager.h"
#include "graphics/Font.h"
#include "graphics/MemoryImage.h"
#include "platform/Mixer.h"
#include "platform/SystemMessageBox.h"
#include "resources/FontRes.h"
#include "resources/ImageRes.h"
#include "resources/ResourceManager.h"
#include "resources/ResourceManagerException.h"
#include "resources/SoundRes.h"

#include <gtest/gtest.h>
#include <png.h>

#include <unistd.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

using namespace imagetest;
using zest::ResourceManager;

namespace
{

// An application with a sound manager that really decodes (no device needed) and a view of the
// image cache.
class ResourceTestApp : public zest::ZestAppBase
{
public:
    ResourceTestApp() { soundManager = std::make_unique<zest::DSoundManager>(zest::Mixer::Create(), false); }
    int SharedImageCount() const { return sharedImages.GetCount(); }
    void PurgeSharedImages() { sharedImages.Purge(); }
};

// Message boxes (font descriptor errors) are collected instead of shown.
class BoxCatcher
{
public:
    BoxCatcher()
    {
        previous = zest::SetMessageBoxHandler([this](const std::string& text, const std::string&, unsigned) {
            texts.push_back(text);
            return zest::IDOK;
        });
    }
    ~BoxCatcher() { zest::SetMessageBoxHandler(previous); }
    std::vector<std::string> texts;

private:
    zest::MessageBoxHandler previous;
};

// Opaque RGBA PNG of the given colour (0xRRGGBB).
Bytes SolidPng(int width, int height, uint32_t rgb)
{
    PngSpec spec;
    spec.width = width;
    spec.height = height;
    spec.colorType = PNG_COLOR_TYPE_RGBA;
    for (int y = 0; y < height; y++)
    {
        Bytes row;
        for (int x = 0; x < width; x++)
            row.insert(row.end(), {uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb), 0xFF});
        spec.rows.push_back(row);
    }
    return MakePng(spec);
}

// Grey PNG whose samples are given row by row.
Bytes GreyPng(int width, int height, const std::vector<uint8_t>& samples)
{
    PngSpec spec;
    spec.width = width;
    spec.height = height;
    spec.colorType = PNG_COLOR_TYPE_GRAY;
    for (int y = 0; y < height; y++)
        spec.rows.emplace_back(samples.begin() + y * width, samples.begin() + (y + 1) * width);
    return MakePng(spec);
}

// A 16-bit mono PCM wave of a few samples.
Bytes TinyWave()
{
    const int samples = 32;
    Bytes bytes;
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
        u16(uint16_t(i * 500));
    return bytes;
}

Bytes Text(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

// "0,0,...,0" with count entries.
std::string LongList(int count)
{
    std::string list = "0";
    for (int i = 1; i < count; i++)
        list += ",0";
    return list;
}

std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

class ResourceManagerTest : public ::testing::Test
{
protected:
    // Writes the manifest with every "DIR" replaced by the scratch folder and reads it.
    bool Read(const std::string& xml)
    {
        manifestPath = folder.Write("resources.xml", Text(Replace(xml, "DIR", folder.Path(""))));
        return manager().ReadManifest(manifestPath);
    }
    ResourceManager& manager() { return *app.GetResourceManager(); }
    std::string At(int line) const { return " on Line " + std::to_string(line) + " in File '" + manifestPath + "'"; }

    ScratchFolder folder;
    ResourceTestApp app;
    std::string manifestPath;
};

// ---- Reading ------------------------------------------------------------------

TEST_F(ResourceManagerTest, DefaultsGivePathAndIdPrefix)
{
    ASSERT_TRUE(Read("<?xml version=\"1.0\"?>\n"
                     "<!-- a comment before the root -->\n"
                     "<ResourceManifest>\n"
                     "  <Resources id=\"Game\">\n"
                     "    <SetDefaults path=\"gfx\" idprefix=\"IMAGE_\"/>\n"
                     "    <Image path=\"images/bee.png\"/>\n"
                     "    <SetDefaults path=\"art/\" idprefix=\"PIC_/\"/>\n"
                     "    <Image path=\"dir\\x.y.png\" id=\"Named\"/>\n"
                     "    <SetDefaults idprefix=\"\"/>\n"
                     "    <Image path=\"noext\"/>\n"
                     "    <Image path=\"!program\" id=\"Screen\"/>\n"
                     "    <SetDefaults path=\"\"/>\n"
                     "    <Image path=\"top.png\"/>\n"
                     "  </Resources>\n"
                     "</ResourceManifest>\n"))
        << manager().ErrorText();

    struct Case
    {
        const char* id;
        const char* path;
        bool fromProgram;
    };
    const Case cases[] = {
        {"IMAGE_bee", "gfx/images/bee.png", false},
        {"PIC_Named", "art/dir\\x.y.png", false},
        {"noext", "art/noext", false},
        {"Screen", "!program", true},
        // An empty default path means none, not the root folder.
        {"top", "top.png", false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.id);
        const zest::ImageRes* res = manager().GetImageRes(c.id);
        ASSERT_NE(res, nullptr);
        EXPECT_EQ(res->path, c.path);
        EXPECT_EQ(res->group, "Game");
        EXPECT_EQ(res->fromProgram, c.fromProgram);
    }
    EXPECT_EQ(manager().GetImageRes("IMAGE_bee")->attributes.at("path"), "images/bee.png");
}

TEST_F(ResourceManagerTest, BadManifestsReportTheFirstErrorWithLineAndFile)
{
    struct Case
    {
        const char* name;
        std::string xml;
        const char* message;
        int line;
    };
    const Case cases[] = {
        {"empty file", "", "Expecting ResourceManifest tag", 1},
        {"other root", "<Resources id=\"a\"/>", "Expecting ResourceManifest tag", 1},
        {"group without id", "<ResourceManifest>\n<Resources>\n</Resources>", "No id specified.", 2},
        {"group with empty id", "<ResourceManifest>\n<Resources id=\"\">", "No id specified.", 2},
        {"unknown section", "<ResourceManifest>\n<Images id=\"a\"/>", "Invalid Section 'Images'", 2},
        {"text in the manifest", "<ResourceManifest>\nhello there<Resources id=\"a\"/>",
         "Element Not Expected 'hello there'", 2},
        {"unknown element in a group", "<ResourceManifest><Resources id=\"a\">\n<Picture path=\"x\"/>",
         "Invalid Section 'Picture'", 2},
        {"text in a group", "<ResourceManifest><Resources id=\"a\">\nstray<Image path=\"x\"/>",
         "Element Not Expected 'stray'", 2},
        {"element not closed at once",
         "<ResourceManifest><Resources id=\"a\">\n<Image path=\"a.png\"><Sound path=\"s\"/></Image>",
         "Unexpected element found.", 2},
        {"no path", "<ResourceManifest><Resources id=\"a\">\n<Image id=\"a\"/>", "No path specified.", 2},
        {"duplicate id",
         "<ResourceManifest>\n<Resources id=\"a\">\n<Image id=\"A\" path=\"a.png\"/>\n<Image id=\"A\" path=\"b.png\"/>",
         "Resource already defined.", 4},
        {"duplicate id in a later group",
         "<ResourceManifest>\n<Resources id=\"a\"><Font id=\"F\" path=\"f.txt\"/></Resources>\n"
         "<Resources id=\"b\">\n\n<Font id=\"F\" path=\"g.txt\"/>",
         "Resource already defined.", 5},
        {"bad animation type", "<ResourceManifest><Resources id=\"a\">\n<Image path=\"a.png\" anim=\"bounce\"/>",
         "Invalid animation type.", 2},
        // Sizes that would build huge frame tables or overflow the timing.
        {"huge grid", "<ResourceManifest><Resources id=\"a\">\n<Image path=\"a.png\" anim=\"pingpong\" cols=\"1000000000\"/>",
         "Invalid cols '1000000000' (at most 1024).", 2},
        {"huge grid without animation", "<ResourceManifest><Resources id=\"a\">\n<Image path=\"a.png\" rows=\"1025\"/>",
         "Invalid rows '1025' (at most 1024).", 2},
        {"frame delay beyond int", "<ResourceManifest><Resources id=\"a\">\n<Image path=\"a.png\" anim=\"loop\" cols=\"2\" "
         "framedelay=\"3000000000\"/>",
         "Invalid framedelay '3000000000' (at most 100000).", 2},
        {"long begin delay", "<ResourceManifest><Resources id=\"a\">\n<Image path=\"a.png\" anim=\"once\" begindelay=\"100001\"/>",
         "Invalid begindelay '100001' (at most 100000).", 2},
        {"long end delay", "<ResourceManifest><Resources id=\"a\">\n<Image path=\"a.png\" anim=\"once\" enddelay=\"99999999999999\"/>",
         "Invalid enddelay '99999999999999' (at most 100000).", 2},
        {"long frame in the list", "<ResourceManifest><Resources id=\"a\">\n<Image path=\"a.png\" anim=\"loop\" cols=\"3\" "
         "perframedelay=\"5,2147483647,5\"/>",
         "Invalid perframedelay '2147483647' (at most 100000).", 2},
        {"frame map past the sheet", "<ResourceManifest><Resources id=\"a\">\n<Image path=\"a.png\" anim=\"loop\" cols=\"2\" "
         "rows=\"2\" framemap=\"0,3,4\"/>",
         "Invalid framemap '4' (the sheet has 4 cels).", 2},
        {"negative frame map entry", "<ResourceManifest><Resources id=\"a\">\n<Image path=\"a.png\" anim=\"loop\" cols=\"2\" "
         "framemap=\"-1\"/>",
         "Invalid framemap '-1' (the sheet has 2 cels).", 2},
        {"frame map too long", "<ResourceManifest><Resources id=\"a\">\n<Image path=\"a.png\" anim=\"loop\" framemap=\"" +
         LongList(4097) + "\"/>",
         "Invalid framemap: 4097 frames (at most 4096).", 2},
        {"system font without size", "<ResourceManifest><Resources id=\"a\">\n<Font path=\"!sys:Arial\"/>",
         "SysFont needs point size", 2},
        {"system font of size 0", "<ResourceManifest><Resources id=\"a\">\n\n<Font path=\"!sys:Arial\" size=\"0\"/>",
         "SysFont needs point size", 3},
        // Found by the manifest fuzzer: a 775-point face renders a 760 MB glyph sheet.
        {"huge system font", "<ResourceManifest><Resources id=\"a\">\n<Font path=\"!sys:DejaVu Sans\" size=\"775\"/>",
         "Invalid size '775' (at most 144).", 2},
        {"the reader's own error",
         "<ResourceManifest><Resources id=\"a\">\n<Image path=\"a.png\">\n</Resources>",
         "End 'Resources' Doesn't Match Start 'Image'", 3},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        ResourceManager fresh(&app);
        manifestPath = folder.Write("bad.xml", Text(c.xml));
        EXPECT_FALSE(fresh.ReadManifest(manifestPath));
        EXPECT_TRUE(fresh.HadError());
        EXPECT_EQ(fresh.ErrorText(), c.message + At(c.line));
    }
}

TEST_F(ResourceManagerTest, MissingManifestNamesTheFile)
{
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof(previous)), nullptr);
    ASSERT_EQ(chdir(folder.Path("").c_str()), 0);
    bool read = manager().ReadManifest("properties\\resources.xml");
    ASSERT_EQ(chdir(previous), 0);
    EXPECT_FALSE(read);
    EXPECT_EQ(manager().ErrorText(), "Resource file not found: properties\\resources.xml");
}

TEST_F(ResourceManagerTest, CountsGroupsInOrderOfFirstAppearance)
{
    ASSERT_TRUE(Read("<ResourceManifest>\n"
                     "<Resources id=\"Init\">\n"
                     "  <Font id=\"F\" path=\"f.txt\"/><Image id=\"A\" path=\"a.png\"></Image>\n"
                     "  <Image id=\"P\" path=\"!program\"/>\n"
                     "</Resources>\n"
                     "<Resources id=\"Game\"><Sound id=\"A\" path=\"s\"/><Image id=\"B\" path=\"b.png\"/></Resources>\n"
                     "<Resources id=\"Init\"><Image id=\"C\" path=\"c.png\"/></Resources>\n"
                     "<Resources id=\"Empty\"></Resources>\n"
                     "</ResourceManifest>"))
        << manager().ErrorText();
    EXPECT_EQ(manager().GroupNames(), (std::vector<std::string>{"Init", "Game", "Empty"}));
    struct Case
    {
        const char* group;
        int count;
    };
    // A program-supplied image is neither loaded nor counted, except in the count of everything.
    const Case cases[] = {{"Init", 3}, {"Game", 2}, {"Empty", 0}, {"Nowhere", 0}, {"", 6}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.group);
        EXPECT_EQ(manager().CountResources(c.group), c.count);
    }
    EXPECT_EQ(manager().CountImages("Init"), 2);
    EXPECT_EQ(manager().CountFonts("Init"), 1);
    EXPECT_EQ(manager().CountSounds("Game"), 1);
}

TEST_F(ResourceManagerTest, RedefinitionUpdatesTheFirstRecordWhenAllowed)
{
    manager().allowAlreadyDefinedResources = true;
    ASSERT_TRUE(Read("<ResourceManifest><Resources id=\"a\">\n"
                     "<Image id=\"A\" path=\"one.png\" cols=\"2\"/>\n"
                     "<Image id=\"A\" path=\"two.png\" rows=\"3\"/>\n"
                     "</Resources></ResourceManifest>"))
        << manager().ErrorText();
    const zest::ImageRes* res = manager().GetImageRes("A");
    ASSERT_NE(res, nullptr);
    EXPECT_EQ(res->path, "two.png");
    EXPECT_EQ(res->rows, 3);
    EXPECT_EQ(res->cols, 1);
    EXPECT_EQ(manager().CountResources("a"), 1);
}

TEST_F(ResourceManagerTest, ImageAttributes)
{
    ASSERT_TRUE(Read("<ResourceManifest><Resources id=\"a\">\n"
                     "<SetDefaults path=\"p\"/>\n"
                     "<Image id=\"Plain\" path=\"a.png\"/>\n"
                     "<Image id=\"Flags\" path=\"a.png\" nopal=\"\" a4r4g4b4=\"1\" a8r8g8b8=\"0\" ddsurface=\"x\" "
                     "minsubdivide=\"\" noalpha=\"\" nobits2d=\"\" alphacolor=\"ff8000\" variant=\"dark\" "
                     "alphaimage=\"a_.png\" alphagrid=\"g.png\"/>\n"
                     "<Image id=\"Only3D\" path=\"a.png\" nobits3d=\"\"/>\n"
                     "<Image id=\"Zero\" path=\"a.png\" rows=\"0\" cols=\"-2\"/>\n"
                     "</Resources></ResourceManifest>"))
        << manager().ErrorText();
    const zest::ImageRes* plain = manager().GetImageRes("Plain");
    EXPECT_TRUE(plain->palettize);
    EXPECT_TRUE(plain->findAlpha);
    EXPECT_FALSE(plain->noBits);
    EXPECT_EQ(plain->alphaColor, 0xFFFFFFu);
    EXPECT_EQ(plain->rows, 1);
    EXPECT_EQ(plain->cols, 1);

    const zest::ImageRes* flags = manager().GetImageRes("Flags");
    EXPECT_FALSE(flags->palettize);
    EXPECT_TRUE(flags->a4r4g4b4);
    EXPECT_TRUE(flags->a8r8g8b8); // presence counts, not the value
    EXPECT_TRUE(flags->ddSurface);
    EXPECT_TRUE(flags->minSubdivide);
    EXPECT_FALSE(flags->findAlpha);
    EXPECT_TRUE(flags->noBits); // the test display is not 3-D
    EXPECT_EQ(flags->alphaColor, 0xFF8000u);
    EXPECT_EQ(flags->variant, "dark");
    EXPECT_EQ(flags->alphaImagePath, "p/a_.png");
    EXPECT_EQ(flags->alphaGridPath, "p/g.png");
    EXPECT_FALSE(manager().GetImageRes("Only3D")->noBits);

    // A grid of 0 or less would divide by zero in every cel draw: it is one cel.
    const zest::ImageRes* zero = manager().GetImageRes("Zero");
    EXPECT_EQ(zero->rows, 1);
    EXPECT_EQ(zero->cols, 1);
}

TEST_F(ResourceManagerTest, AnimationDescriptions)
{
    struct Case
    {
        const char* attributes;
        int type;
        std::vector<int> frameMap;
        std::vector<int> perFrameDelay;
        int frames;
        int total;
    };
    const Case cases[] = {
        {"anim=\"PingPong\" cols=\"4\"", 2, {0, 1, 2, 3, 2, 1}, {}, 6, 6},
        {"anim=\"loop\" rows=\"3\" cols=\"2\" framedelay=\"50\"", 3, {}, {}, 3, 150},
        {"anim=\"once\" cols=\"4\" framedelay=\"10\" begindelay=\"100\" enddelay=\"200\"", 1, {}, {100, 10, 10, 200}, 4,
         320},
        // Cut to the frame count; an entry below 1 takes the frame delay.
        {"anim=\"LOOP\" cols=\"3\" framedelay=\"20\" perframedelay=\"5,0,7,9\"", 3, {}, {5, 20, 7}, 3, 32},
        {"anim=\"loop\" cols=\"4\" framedelay=\"10\" framemap=\"3,1\"", 3, {3, 1}, {}, 2, 20},
        {"anim=\"loop\" cols=\"2\" framedelay=\"0\"", 3, {}, {}, 2, 2},
        // Not animated: the timing attributes are not read.
        {"anim=\"none\" cols=\"4\" framedelay=\"10\"", 0, {}, {}, 1, 0},
        {"cols=\"4\" framedelay=\"10\"", 0, {}, {}, 1, 0},
        // The largest values accepted, and values below the range raised as before.
        {"anim=\"once\" cols=\"2\" framedelay=\"100000\" enddelay=\"100000\"", 1, {}, {100000, 100000}, 2, 200000},
        {"anim=\"loop\" rows=\"-5\" cols=\"-7\" framedelay=\"-3\" perframedelay=\"-99999999999\"", 3, {}, {1}, 1, 1},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.attributes);
        ResourceManager fresh(&app);
        manifestPath = folder.Write("anim.xml", Text(std::string("<ResourceManifest><Resources id=\"a\">"
                                                                 "<Image id=\"A\" path=\"a.png\" ") +
                                                     c.attributes + "/></Resources></ResourceManifest>"));
        ASSERT_TRUE(fresh.ReadManifest(manifestPath)) << fresh.ErrorText();
        const zest::AnimInfo& anim = fresh.GetImageRes("A")->animInfo;
        EXPECT_EQ(anim.animType, c.type);
        EXPECT_EQ(anim.frameMap, c.frameMap);
        EXPECT_EQ(anim.perFrameDelay, c.perFrameDelay);
        EXPECT_EQ(anim.GetFrameCount(), c.frames);
        EXPECT_EQ(anim.totalAnimTime, c.total);
    }

    // The largest grid: a ping-pong over 1024 cels of the longest frame stays within int.
    ResourceManager fresh(&app);
    manifestPath = folder.Write("anim.xml", Text("<ResourceManifest><Resources id=\"a\"><Image id=\"A\" path=\"a.png\" "
                                                 "anim=\"pingpong\" cols=\"1024\" framedelay=\"100000\"/>"
                                                 "</Resources></ResourceManifest>"));
    ASSERT_TRUE(fresh.ReadManifest(manifestPath)) << fresh.ErrorText();
    EXPECT_EQ(fresh.GetImageRes("A")->animInfo.GetFrameCount(), 2046);
    EXPECT_EQ(fresh.GetImageRes("A")->animInfo.totalAnimTime, 204600000);
}

TEST_F(ResourceManagerTest, SoundAndFontAttributes)
{
    ASSERT_TRUE(Read("<ResourceManifest><Resources id=\"a\">\n"
                     "<Sound id=\"Loud\" path=\"s\" volume=\"0.5\" pan=\"-300\"/>\n"
                     "<Sound id=\"Plain\" path=\"s\" volume=\"-2\" pan=\"0\"/>\n"
                     "<Font id=\"Sys\" path=\"!sys:Arial\" size=\"12\" bold=\"\" shadow=\"no\"/>\n"
                     "<Font id=\"Img\" path=\"f.txt\" image=\"strip.png\" tags=\"a, b\"/>\n"
                     "</Resources></ResourceManifest>"))
        << manager().ErrorText();
    EXPECT_DOUBLE_EQ(manager().GetSoundRes("Loud")->volume, 0.5);
    EXPECT_EQ(manager().GetSoundRes("Loud")->pan, -300);
    EXPECT_DOUBLE_EQ(manager().GetSoundRes("Plain")->volume, -1.0);
    EXPECT_EQ(manager().GetSoundRes("Plain")->soundId, -1);
    const zest::FontRes* sys = manager().GetFontRes("Sys");
    EXPECT_TRUE(sys->sysFont);
    EXPECT_EQ(sys->size, 12);
    EXPECT_TRUE(sys->bold);
    EXPECT_TRUE(sys->shadow);
    EXPECT_FALSE(sys->italic);
    const zest::FontRes* img = manager().GetFontRes("Img");
    EXPECT_FALSE(img->sysFont);
    EXPECT_EQ(img->imagePath, "strip.png");
    EXPECT_EQ(img->tags, "a, b");
}

// ---- Loading ------------------------------------------------------------------

TEST_F(ResourceManagerTest, LoadsImagesWithGridAnimationAndAlphaFiles)
{
    folder.Write("red.png", SolidPng(4, 2, 0xFF0000));
    // The alpha image's blue byte becomes the alpha of the image's pixel.
    folder.Write("red_alpha.png", GreyPng(4, 2, {0, 10, 20, 30, 40, 50, 60, 70}));
    // One cell of a 2 x 1 grid of 2 x 2 cels, repeated over every cel.
    folder.Write("green.png", SolidPng(4, 2, 0x00FF00));
    folder.Write("cel_alpha.png", GreyPng(2, 2, {1, 2, 3, 4}));
    ASSERT_TRUE(Read("<ResourceManifest><Resources id=\"Game\">\n"
                     "<SetDefaults path=\"DIR\"/>\n"
                     "<Image id=\"Red\" path=\"red.png\" alphaimage=\"red_alpha.png\" cols=\"4\" anim=\"loop\"/>\n"
                     "<Image id=\"Green\" path=\"green.png\" alphagrid=\"cel_alpha.png\" cols=\"2\"/>\n"
                     "</Resources></ResourceManifest>"))
        << manager().ErrorText();
    ASSERT_TRUE(manager().LoadGroup("Game")) << manager().ErrorText();
    EXPECT_TRUE(manager().IsGroupLoaded("Game"));

    std::shared_ptr<zest::MemoryImage> red = manager().RequireImage("Red");
    ASSERT_NE(red, nullptr);
    EXPECT_EQ(red->columns, 4);
    EXPECT_EQ(red->rows, 1);
    ASSERT_NE(red->animInfo, nullptr);
    EXPECT_EQ(red->animInfo->animType, zest::AnimInfo::AnimTypeLoop);
    ExpectImage({0x00FF0000, 0x0AFF0000, 0x14FF0000, 0x1EFF0000, 0x28FF0000, 0x32FF0000, 0x3CFF0000, 0x46FF0000}, 4,
                2, red.get(), 0, "alpha image");
    std::shared_ptr<zest::MemoryImage> green = manager().RequireImage("Green");
    ExpectImage({0x0100FF00, 0x0200FF00, 0x0100FF00, 0x0200FF00, 0x0300FF00, 0x0400FF00, 0x0300FF00, 0x0400FF00}, 4,
                2, green.get(), 0, "alpha grid");
}

TEST_F(ResourceManagerTest, ImageLoadFailures)
{
    folder.Write("a.png", SolidPng(4, 2, 0x123456));
    folder.Write("small.png", GreyPng(2, 2, {1, 2, 3, 4}));
    struct Case
    {
        const char* element;
        const char* message;
    };
    const Case cases[] = {
        {"<Image id=\"A\" path=\"missing.png\"/>", "Failed to load image: DIRmissing.png"},
        {"<Image id=\"A\" path=\"a.png\" alphaimage=\"nope.png\"/>", "Failed to load image: DIRnope.png"},
        {"<Image id=\"A\" path=\"a.png\" alphaimage=\"small.png\"/>",
         "AlphaImage size mismatch between DIRa.png and DIRsmall.png"},
        {"<Image id=\"A\" path=\"a.png\" alphagrid=\"small.png\"/>",
         "GridAlphaImage size mismatch between DIRa.png and DIRsmall.png"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.element);
        ResourceManager resources(&app);
        manifestPath = folder.Write("load.xml", Text(Replace(std::string("<ResourceManifest><Resources id=\"G\">"
                                                                         "<SetDefaults path=\"DIR\"/>") +
                                                                 c.element + "</Resources></ResourceManifest>",
                                                             "DIR", folder.Path(""))));
        ASSERT_TRUE(resources.ReadManifest(manifestPath)) << resources.ErrorText();
        EXPECT_FALSE(resources.LoadGroup("G"));
        EXPECT_EQ(resources.ErrorText(), Replace(c.message, "DIR", folder.Path("")));
        EXPECT_FALSE(resources.IsGroupLoaded("G"));
    }
}

TEST_F(ResourceManagerTest, GroupLoadingStopsAtTheFirstFailureAndKeepsWhatLoaded)
{
    folder.Write("a.png", SolidPng(1, 1, 0x111111));
    folder.Write("c.png", SolidPng(1, 1, 0x333333));
    ASSERT_TRUE(Read("<ResourceManifest><Resources id=\"G\"><SetDefaults path=\"DIR\"/>\n"
                     "<Image id=\"A\" path=\"a.png\"/><Image id=\"B\" path=\"b.png\"/><Image id=\"C\" path=\"c.png\"/>\n"
                     "</Resources></ResourceManifest>"));
    EXPECT_FALSE(manager().LoadGroup("G"));
    EXPECT_TRUE(manager().GetImageRes("A")->IsLoaded());
    EXPECT_FALSE(manager().GetImageRes("C")->IsLoaded());
    // After an error LoadNext does nothing until loading begins again.
    EXPECT_FALSE(manager().LoadNext());
    EXPECT_FALSE(manager().GetImageRes("C")->IsLoaded());
}

TEST_F(ResourceManagerTest, LoadNextSkipsWhatWasLoadedOnDemand)
{
    for (const char* name : {"a.png", "b.png", "c.png"})
        folder.Write(name, SolidPng(2, 2, 0x808080));
    ASSERT_TRUE(Read("<ResourceManifest><Resources id=\"G\"><SetDefaults path=\"DIR\"/>\n"
                     "<Image id=\"A\" path=\"a.png\"/><Image id=\"B\" path=\"b.png\"/><Image id=\"C\" path=\"c.png\"/>\n"
                     "<Image id=\"P\" path=\"!program\"/>\n"
                     "</Resources></ResourceManifest>"));
    ASSERT_NE(manager().FindImage("B"), nullptr);
    EXPECT_EQ(manager().FindImage("P"), nullptr); // the program supplies it
    EXPECT_EQ(manager().FindImage("Nope"), nullptr);

    manager().BeginLoading("G");
    int progress = 0;
    while (manager().LoadNext())
        progress++;
    // The progress count stops short of the group's size.
    EXPECT_EQ(manager().CountResources("G"), 3);
    EXPECT_EQ(progress, 2);
    EXPECT_FALSE(manager().HadError());
    for (const char* id : {"A", "B", "C"})
        EXPECT_NE(manager().RequireImage(id), nullptr) << id;
}

TEST_F(ResourceManagerTest, AGroupThatDoesNotExistLoadsWithNothing)
{
    ASSERT_TRUE(Read("<ResourceManifest/>"));
    EXPECT_TRUE(manager().LoadGroup("Nowhere"));
    EXPECT_TRUE(manager().IsGroupLoaded("Nowhere"));
    manager().BeginLoading("Nowhere");
    EXPECT_FALSE(manager().LoadNext());
}

TEST_F(ResourceManagerTest, SharedImagesAreHeldOnceAndFreedAfterUnload)
{
    folder.Write("a.png", SolidPng(2, 2, 0x808080));
    ASSERT_TRUE(Read("<ResourceManifest>\n"
                     "<Resources id=\"G\"><SetDefaults path=\"DIR\"/><Image id=\"A\" path=\"a.png\" cols=\"2\"/>"
                     "<Image id=\"Dark\" path=\"a.png\" variant=\"dark\"/></Resources>\n"
                     "<Resources id=\"H\"><SetDefaults path=\"DIR\"/><Image id=\"Again\" path=\"a.png\"/></Resources>\n"
                     "</ResourceManifest>"));
    ASSERT_TRUE(manager().LoadGroup("G"));
    ASSERT_TRUE(manager().LoadGroup("H"));
    EXPECT_EQ(manager().RequireImage("A"), manager().RequireImage("Again"));
    EXPECT_NE(manager().RequireImage("A"), manager().RequireImage("Dark"));
    EXPECT_EQ(app.SharedImageCount(), 2);

    manager().UnloadGroup("G");
    EXPECT_FALSE(manager().IsGroupLoaded("G"));
    EXPECT_FALSE(manager().GetImageRes("A")->IsLoaded());
    app.PurgeSharedImages();
    EXPECT_EQ(app.SharedImageCount(), 1); // "Again" still holds the plain one
    manager().UnloadGroup("H");
    app.PurgeSharedImages();
    EXPECT_EQ(app.SharedImageCount(), 0);
}

TEST_F(ResourceManagerTest, LoadsAndReleasesSounds)
{
    folder.Write("sounds/burp.wav", TinyWave());
    ASSERT_TRUE(Read("<ResourceManifest><Resources id=\"G\"><SetDefaults path=\"DIRsounds\" idprefix=\"SOUND_\"/>\n"
                     "<Sound id=\"BURP\" path=\"burp\" volume=\"0.5\" pan=\"100\"/>\n"
                     "<Sound id=\"GONE\" path=\"gone\"/>\n"
                     "</Resources></ResourceManifest>"));
    manager().BeginLoading("G");
    ASSERT_TRUE(manager().LoadNext()) << manager().ErrorText();
    int id = manager().RequireSound("SOUND_BURP");
    EXPECT_GE(id, 0);
    EXPECT_LE(id, 255);
    EXPECT_NE(app.GetSoundManager()->GetSoundInstance(id), nullptr);

    EXPECT_FALSE(manager().LoadNext());
    EXPECT_EQ(manager().ErrorText(), "Failed to load sound: " + folder.Path("sounds/gone"));

    manager().UnloadGroup("G");
    EXPECT_EQ(manager().GetSoundRes("SOUND_BURP")->soundId, -1);
    EXPECT_EQ(app.GetSoundManager()->GetSoundInstance(id), nullptr);
}

// A two-glyph descriptor: layer Main always, layer Wide only with the tag "wide".
const char* const Descriptor = "SetDefaultPointSize 10;\n"
                               "CreateLayer Main;\n"
                               "LayerSetImage Main 'glyphs.png';\n"
                               "LayerSetAscent Main 8;\n"
                               "LayerSetImageMap Main ('A', 'B') ((0, 0, 4, 8), (4, 0, 4, 8));\n"
                               "LayerSetCharWidths Main ('A', 'B') (5, 6);\n"
                               "CreateLayerFrom Wide Main;\n"
                               "LayerRequireTags Wide ('WIDE');\n"
                               "LayerSetCharWidths Wide ('A') (9);\n";

TEST_F(ResourceManagerTest, LoadsImageStripReferencedAndSystemFonts)
{
    folder.Write("fonts/glyphs.png", SolidPng(8, 8, 0xFFFFFF));
    folder.Write("fonts/main.txt", Text(Descriptor));
    folder.Write("fonts/strip.png", SolidPng(8, 8, 0xFFFFFF));
    folder.Write("fonts/strip.txt", Text("4 7 A 3 B 5"));
    ASSERT_TRUE(Read("<ResourceManifest><Resources id=\"Init\">\n"
                     "<SetDefaults path=\"DIRfonts\" idprefix=\"FONT_\"/>\n"
                     "<Font id=\"MAIN\" path=\"main.txt\"/>\n"
                     "<Font id=\"WIDE\" path=\"!ref:FONT_MAIN\" tags=\"wide\"/>\n"
                     "<Font id=\"STRIP\" path=\"strip.txt\" image=\"DIRfonts/strip.png\"/>\n"
                     "<Font id=\"SYS\" path=\"!sys:Arial\" size=\"12\" shadow=\"\"/>\n"
                     "</Resources></ResourceManifest>"))
        << manager().ErrorText();
    ASSERT_TRUE(manager().LoadGroup("Init")) << manager().ErrorText();

    zest::Font* main = manager().RequireFont("FONT_MAIN");
    zest::Font* wide = manager().RequireFont("FONT_WIDE");
    EXPECT_EQ(main->StringWidth("A"), 5);
    EXPECT_EQ(wide->StringWidth("A"), 9); // its own tags; the original keeps none
    EXPECT_EQ(main->StringWidth("AB"), 11);
    EXPECT_EQ(manager().FindFont("FONT_STRIP")->StringWidth("AB"), 8);
    EXPECT_EQ(manager().FindFont("FONT_STRIP")->Ascent(), 7);
    EXPECT_GT(manager().FindFont("FONT_SYS")->StringWidth("W"), 0);
    EXPECT_EQ(manager().FindFont("FONT_NONE"), nullptr);

    manager().UnloadGroup("Init");
    EXPECT_EQ(manager().FindFont("FONT_MAIN"), nullptr);
    EXPECT_EQ(manager().GetFontRes("FONT_STRIP")->image, nullptr);
}

TEST_F(ResourceManagerTest, AFontMadeByReferenceKeepsTheStripItDrawsFrom)
{
    folder.Write("fonts/strip.png", SolidPng(8, 8, 0xFFFFFF));
    folder.Write("fonts/strip.txt", Text("4 7 A 3 B 5"));
    ASSERT_TRUE(Read("<ResourceManifest>\n"
                     "<Resources id=\"First\"><SetDefaults path=\"DIRfonts\"/><Font id=\"FONT_STRIP\" "
                     "path=\"strip.txt\" image=\"DIRfonts/strip.png\"/></Resources>\n"
                     "<Resources id=\"Second\"><Font id=\"FONT_COPY\" path=\"!ref:FONT_STRIP\"/></Resources>\n"
                     "</ResourceManifest>"))
        << manager().ErrorText();
    ASSERT_TRUE(manager().LoadGroup("First")) << manager().ErrorText();
    ASSERT_TRUE(manager().LoadGroup("Second")) << manager().ErrorText();
    EXPECT_EQ(manager().GetFontRes("FONT_COPY")->image, manager().GetFontRes("FONT_STRIP")->image);

    // The original goes first; the copy still has the strip it draws from.
    manager().UnloadGroup("First");
    EXPECT_EQ(manager().FindFont("FONT_STRIP"), nullptr);
    ASSERT_NE(manager().FindFont("FONT_COPY"), nullptr);
    EXPECT_NE(manager().GetFontRes("FONT_COPY")->image, nullptr);
    EXPECT_EQ(manager().FindFont("FONT_COPY")->StringWidth("AB"), 8);
}

TEST_F(ResourceManagerTest, FontLoadFailures)
{
    folder.Write("glyphs.png", SolidPng(8, 8, 0xFFFFFF));
    folder.Write("bad.txt", Text("CreateLayer Main;\nNoSuchCommand 1;\n"));
    folder.Write("widths.txt", Text("4 7 A 3"));
    struct Case
    {
        const char* element;
        const char* message;
    };
    const Case cases[] = {
        {"<Font id=\"F\" path=\"bad.txt\"/>", "Failed to load font: DIRbad.txt"},
        {"<Font id=\"F\" path=\"missing.txt\"/>", "Failed to load font: DIRmissing.txt"},
        {"<Font id=\"F\" path=\"!ref:NOPE\"/>", "Ref font not found: NOPE"},
        {"<Font id=\"F\" path=\"widths.txt\" image=\"DIRnone.png\"/>", "Failed to load image: DIRnone.png"},
        {"<Font id=\"F\" path=\"nowidths.txt\" image=\"DIRglyphs.png\"/>", "Failed to load font: DIRnowidths.txt"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.element);
        BoxCatcher boxes;
        ResourceManager resources(&app);
        manifestPath = folder.Write("fonts.xml", Text(Replace(std::string("<ResourceManifest><Resources id=\"G\">"
                                                                          "<SetDefaults path=\"DIR\"/>") +
                                                                  c.element + "</Resources></ResourceManifest>",
                                                              "DIR", folder.Path(""))));
        ASSERT_TRUE(resources.ReadManifest(manifestPath)) << resources.ErrorText();
        EXPECT_FALSE(resources.LoadGroup("G"));
        EXPECT_EQ(resources.ErrorText(), Replace(c.message, "DIR", folder.Path("")));
        EXPECT_EQ(resources.FindFont("F"), nullptr);
    }
    // The descriptor's own error reaches the player first, in a box.
    BoxCatcher boxes;
    ResourceManager resources(&app);
    manifestPath = folder.Write("fonts.xml", Text("<ResourceManifest><Resources id=\"G\"><Font id=\"F\" path=\"" +
                                                  folder.Path("bad.txt") + "\"/></Resources></ResourceManifest>"));
    ASSERT_TRUE(resources.ReadManifest(manifestPath));
    EXPECT_FALSE(resources.LoadGroup("G"));
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_NE(boxes.texts[0].find("Unknown Command"), std::string::npos) << boxes.texts[0];
}

// ---- Lookups ------------------------------------------------------------------

TEST_F(ResourceManagerTest, RequireThrowsWithTheErrorTextForMissingOrUnloadedResources)
{
    ASSERT_TRUE(Read("<ResourceManifest><Resources id=\"G\">\n"
                     "<Image id=\"NOTYET\" path=\"a.png\"/><Image id=\"PROG\" path=\"!program\"/>\n"
                     "</Resources></ResourceManifest>"));
    struct Case
    {
        const char* name;
        void (*require)(ResourceManager&);
        const char* message;
    };
    const Case cases[] = {
        {"absent image", [](ResourceManager& r) { (void)r.RequireImage("IMAGE_X"); }, "Image resource not found: IMAGE_X"},
        {"image not loaded", [](ResourceManager& r) { (void)r.RequireImage("NOTYET"); },
         "Image resource not found: NOTYET"},
        {"program image", [](ResourceManager& r) { (void)r.RequireImage("PROG"); }, "Image resource not found: PROG"},
        {"absent sound", [](ResourceManager& r) { (void)r.RequireSound("SOUND_X"); }, "Sound resource not found: SOUND_X"},
        {"absent font", [](ResourceManager& r) { (void)r.RequireFont("FONT_X"); }, "Font resource not found: FONT_X"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        manager().BeginLoading("G"); // clears the error
        try
        {
            c.require(manager());
            ADD_FAILURE() << "no exception";
        }
        catch (const zest::ResourceManagerException& error)
        {
            EXPECT_STREQ(error.what(), c.message);
        }
        EXPECT_EQ(manager().ErrorText(), c.message);
    }
    manager().allowMissingProgramResources = true;
    EXPECT_EQ(manager().RequireImage("PROG"), nullptr);
}

} // namespace
