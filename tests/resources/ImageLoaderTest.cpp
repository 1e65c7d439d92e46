#include "resources/ImageLoader.h"

#include "ImageTestSupport.h"
#include "files/PakFile.h"
#include "files/PakInterface.h"
#include "files/PakWriter.h"
#include "graphics/LiveImageSet.h"
#include "graphics/MemoryImage.h"

#include <gtest/gtest.h>
#include <png.h>

#include <array>

using namespace imagetest;

namespace
{

const int Width = 4;
const int Height = 3;

Bytes SolidPng(uint32_t rgb, int width = Width, int height = Height)
{
    PngSpec spec;
    spec.width = width;
    spec.height = height;
    spec.colorType = PNG_COLOR_TYPE_RGB;
    Bytes row;
    for (int x = 0; x < width; x++)
        row.insert(row.end(),
                   {static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8), static_cast<uint8_t>(rgb)});
    spec.rows.assign(static_cast<size_t>(height), row);
    return MakePng(spec);
}

// A GIF whose pixels take palette entries 0..n-1 in turn; entry i is 0x000100 * i + blue[i].
Bytes GifWithBlues(const std::vector<uint8_t>& blues, int width = Width, int height = Height)
{
    GifSpec spec;
    spec.width = width;
    spec.height = height;
    spec.minCodeSize = 8;
    spec.globalPalette.assign(16, 0);
    for (size_t i = 0; i < blues.size(); i++)
        spec.globalPalette[i] = 0x000100u * static_cast<uint32_t>(i) + blues[i];
    for (int i = 0; i < width * height; i++)
        spec.indices.push_back(static_cast<uint8_t>(i % static_cast<int>(blues.size())));
    return MakeGif(spec);
}

Bytes SolidTarga(uint32_t argb)
{
    TargaSpec spec;
    spec.width = Width;
    spec.height = Height;
    spec.pixels.assign(Width * Height, argb);
    return MakeTarga(spec);
}

uint32_t FirstPixel(const std::unique_ptr<zest::MemoryImage>& image)
{
    return image != nullptr ? image->GetBits()[0] : 0x12345678u;
}

} // namespace

TEST(ImageLoader, FormatsAreTriedInOrderAndTheFirstThatLoadsWins)
{
    // Each format holds its own colour: red Targa, green JPEG, blue PNG, grey GIF.
    const Bytes tga = SolidTarga(0xFFFF0000u);
    const Bytes jpg = MakeJpeg(Pixels(Width * Height, 0xFF00FF00u), Width, Height, JpegKind::Rgb, 100);
    const Bytes png = SolidPng(0x0000FF);
    const Bytes gif = GifWithBlues({0x80});

    struct Case
    {
        const char* what;
        std::vector<std::pair<const char*, Bytes>> files;
        const char* load;
        uint32_t expected; // 0 for no image
        int tolerance;
    } cases[] = {
        {"jpg before png", {{"bee.png", png}, {"bee.jpg", jpg}}, "bee", 0xFF00FF00u, 2},
        {"tga before everything", {{"bee.gif", gif}, {"bee.tga", tga}, {"bee.jpg", jpg}}, "bee", 0xFFFF0000u, 0},
        {"png before gif", {{"bee.gif", gif}, {"bee.png", png}}, "bee", 0xFF0000FFu, 0},
        {"a damaged jpg falls through to the png",
         {{"bee.jpg", Bytes(20, 0xFF)}, {"bee.png", png}},
         "bee",
         0xFF0000FFu,
         0},
        {"extension in any case opens the lower-case file",
         {{"bee.PNG", jpg}, {"bee.png", png}},
         "bee.PNG",
         0xFF0000FFu,
         0},
        {"an extension tries only its format", {{"bee.jpg", jpg}}, "bee.png", 0, 0},
        {"an unknown extension loads nothing", {{"bee.bmp", png}, {"bee.png", png}}, "bee.bmp", 0, 0},
        {"a dot in a folder name is no extension", {{"my.images/bee.gif", gif}}, "my.images/bee", 0xFF000080u, 0},
        {"nothing there", {}, "bee", 0, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        ScratchFolder folder;
        for (const auto& [name, bytes] : c.files)
            folder.Write(name, bytes);
        std::unique_ptr<zest::MemoryImage> image = zest::LoadImageFile(folder.Path(c.load), false);
        if (c.expected == 0)
        {
            EXPECT_EQ(image, nullptr);
            continue;
        }
        ASSERT_NE(image, nullptr);
        ExpectImage(Pixels(Width * Height, c.expected), Width, Height, image.get(), c.tolerance, c.what);
    }
}

TEST(ImageLoader, AlphaFilesGiveTheirBlueAsAlpha)
{
    const Bytes colour = SolidPng(0x336699);
    const Bytes alpha = GifWithBlues({0x00, 0x40, 0xFF});
    const Bytes otherAlpha = GifWithBlues({0x11});
    const Bytes smallAlpha = GifWithBlues({0x22}, Width - 1, Height);
    // Pixel i of the alpha file has blue {00, 40, FF}[i % 3].
    auto withAlpha = [](uint32_t rgb)
    {
        Pixels p;
        for (int i = 0; i < Width * Height; i++)
            p.push_back(rgb | (uint32_t{std::array<uint8_t, 3>{0x00, 0x40, 0xFF}[static_cast<size_t>(i % 3)]} << 24));
        return p;
    };

    struct Case
    {
        const char* what;
        std::vector<std::pair<const char*, Bytes>> files;
        bool lookForAlpha;
        Pixels expected; // empty for no image
    } cases[] = {
        {"only _bee.gif gives white with its blue as alpha", {{"images/_bee.gif", alpha}}, true, withAlpha(0xFFFFFF)},
        {"_bee beside bee", {{"images/bee.png", colour}, {"images/_bee.gif", alpha}}, true, withAlpha(0x336699)},
        {"bee_ when there is no _bee",
         {{"images/bee.png", colour}, {"images/bee_.gif", alpha}},
         true,
         withAlpha(0x336699)},
        {"_bee wins over bee_",
         {{"images/bee.png", colour}, {"images/_bee.gif", alpha}, {"images/bee_.gif", otherAlpha}},
         true,
         withAlpha(0x336699)},
        {"an alpha file of another size is ignored",
         {{"images/bee.png", colour}, {"images/_bee.gif", smallAlpha}},
         true,
         Pixels(Width * Height, 0xFF336699u)},
        {"alpha files are not looked for unless asked",
         {{"images/bee.png", colour}, {"images/_bee.gif", alpha}},
         false,
         Pixels(Width * Height, 0xFF336699u)},
        {"no alpha file leaves the colour image",
         {{"images/bee.png", colour}},
         true,
         Pixels(Width * Height, 0xFF336699u)},
        {"an alpha file alone is nothing unless asked", {{"images/_bee.gif", alpha}}, false, {}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        ScratchFolder folder;
        for (const auto& [name, bytes] : c.files)
            folder.Write(name, bytes);
        std::unique_ptr<zest::MemoryImage> image = zest::LoadImageFile(folder.Path("images/bee"), c.lookForAlpha);
        if (c.expected.empty())
        {
            EXPECT_EQ(image, nullptr);
        }
        else
            ExpectImage(c.expected, Width, Height, image.get(), 0, c.what);
    }
}

TEST(ImageLoader, AlphaOnlyImagesTakeTheCurrentAlphaColour)
{
    ScratchFolder folder;
    folder.Write("_bee.gif", GifWithBlues({0x7F}));
    EXPECT_EQ(zest::GetLoadAlphaColor(), 0xFFFFFFu);
    zest::SetLoadAlphaColor(0x00123456);
    std::unique_ptr<zest::MemoryImage> image = zest::LoadImageFile(folder.Path("bee"), true);
    zest::SetLoadAlphaColor(0xFFFFFF);
    EXPECT_EQ(FirstPixel(image), 0x7F123456u);
    EXPECT_EQ(FirstPixel(zest::LoadImageFile(folder.Path("bee"), true)), 0x7FFFFFFFu);
}

TEST(ImageLoader, FilesFromAnotherEncoderMatch)
{
    // The fixtures were made from one 200-colour picture by an independent encoder; every format must give the
    // PNG's pixels exactly (the JPEG 2000 files are lossless).
    const std::string dir = ZEST_TEST_DIR "/fixtures/";
    std::unique_ptr<zest::MemoryImage> reference = zest::LoadImageFile(dir + "noise.png", false);
    ASSERT_NE(reference, nullptr);
    ASSERT_EQ(reference->GetWidth(), 96);
    ASSERT_EQ(reference->GetHeight(), 64);
    const Pixels expected = PixelsOf(reference.get());
    for (const char* name : {"noise.gif", "noise-interlaced.gif", "noise.jp2", "noise.j2k"})
    {
        SCOPED_TRACE(name);
        std::unique_ptr<zest::MemoryImage> image = zest::LoadImageFile(dir + name, false);
        ExpectImage(expected, 96, 64, image.get(), 0, name);
    }
}

TEST(ImageLoader, ImagesAreReadFromTheArchiveFirst)
{
    ScratchFolder folder;
    // The disk holds a blue bee; the archive a red one with an alpha file.
    folder.Write("images/bee.png", SolidPng(0x0000FF));
    zest::PakWriter writer;
    std::string error;
    ASSERT_TRUE(writer.AddFile("images\\bee.png", SolidPng(0xFF0000), 0, error)) << error;
    ASSERT_TRUE(writer.AddFile("images\\_bee.gif", GifWithBlues({0x40}), 0, error)) << error;
    std::string pakPath = folder.Path("main.pak");
    ASSERT_TRUE(writer.WriteTo(pakPath, error)) << error;

    zest::PakInterfaceBase* before = zest::ActivePakInterface();
    {
        zest::PakInterface pak;
        zest::SetActivePakInterface(&pak);
        ASSERT_TRUE(pak.AddPakFile(pakPath));
        std::unique_ptr<zest::MemoryImage> image = zest::LoadImageFile("images/bee", true);
        zest::SetActivePakInterface(before);
        ExpectImage(Pixels(Width * Height, 0x40FF0000u), Width, Height, image.get());
    }
}

TEST(ImageLoader, LoadedImagesJoinTheGivenLiveSet)
{
    ScratchFolder folder;
    folder.Write("bee.png", SolidPng(0x010203));
    zest::LiveImageSet liveSet;
    std::unique_ptr<zest::MemoryImage> image = zest::LoadImageFile(folder.Path("bee"), true, &liveSet);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(liveSet.GetCount(), 1);
    EXPECT_TRUE(liveSet.Contains(image.get()));
    EXPECT_EQ(zest::LoadImageFile(folder.Path("nothing"), true, &liveSet), nullptr);
    EXPECT_EQ(liveSet.GetCount(), 1);
}
