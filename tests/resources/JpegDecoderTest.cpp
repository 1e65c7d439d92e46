#include "resources/JpegDecoder.h"

#include "ImageTestSupport.h"
#include "files/PakFile.h"
#include "graphics/MemoryImage.h"
#include "resources/ImageLoader.h"

#include <gtest/gtest.h>

#include <random>

using namespace imagetest;

namespace
{

// A smooth picture that JPEG keeps close: gradients in each channel.
Pixels Gradient(int width, int height, uint32_t alpha = 0xFF)
{
    Pixels pixels;
    for (int y = 0; y < height; y++)
    {
        for (int x = 0; x < width; x++)
        {
            uint32_t r = static_cast<uint32_t>(x * 255 / (width - 1));
            uint32_t g = static_cast<uint32_t>(y * 255 / (height - 1));
            uint32_t b = static_cast<uint32_t>((x + y) * 255 / (width + height - 2));
            pixels.push_back((alpha << 24) | (r << 16) | (g << 8) | b);
        }
    }
    return pixels;
}

int CountAllocations(const std::string& path)
{
    zest::PFilePtr file(zest::p_fopen(path.c_str(), "rb"));
    int allocations = 0;
    Pixels pixels;
    zest::PixelAllocator allocate = [&](int width, int height)
    {
        allocations++;
        pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
        return pixels.data();
    };
    EXPECT_FALSE(zest::DecodeJpeg(file.get(), allocate));
    return allocations;
}

} // namespace

TEST(JpegDecoder, ColourGreyCmykAndProgressiveFilesDecode)
{
    const int width = 40;
    const int height = 24;
    const Pixels colour = Gradient(width, height);
    Pixels grey;
    for (uint32_t p : colour)
        grey.push_back(0xFF000000u | (p & 0xFF) * 0x010101u);
    // CMYK: red, green, blue become inverted cyan, magenta, yellow and the alpha byte the inverted black, so the
    // result is each channel times black / 255.
    Pixels cmykIn = Gradient(width, height, 0x80);
    Pixels cmykOut;
    for (uint32_t p : cmykIn)
    {
        auto scale = [](uint32_t v) { return (v * 0x80 + 127) / 255; };
        cmykOut.push_back(0xFF000000u | scale((p >> 16) & 0xFF) << 16 | scale((p >> 8) & 0xFF) << 8 | scale(p & 0xFF));
    }

    struct Case
    {
        const char* what;
        Bytes file;
        Pixels expected;
    } cases[] = {
        {"colour", MakeJpeg(colour, width, height), colour},
        {"grey", MakeJpeg(colour, width, height, JpegKind::Grey), grey},
        {"progressive", MakeJpeg(colour, width, height, JpegKind::Rgb, 95, true), colour},
        {"CMYK", MakeJpeg(cmykIn, width, height, JpegKind::Cmyk), cmykOut},
    };
    ScratchFolder folder;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        std::unique_ptr<zest::MemoryImage> image = zest::LoadImageFile(folder.Write("case.jpg", c.file), false);
        // Quality 95 on smooth gradients stays within a few levels (a little more where chroma subsampling meets
        // the saturated corners); a swapped or misplaced channel is off by far more. The alpha must be exactly FF.
        ExpectImage(c.expected, width, height, image.get(), 12, c.what);
        for (uint32_t p : PixelsOf(image.get()))
            ASSERT_EQ(p >> 24, 0xFFu);
    }
    // Grey output is exactly grey in all three channels.
    std::unique_ptr<zest::MemoryImage> image =
        zest::LoadImageFile(folder.Write("grey.jpg", MakeJpeg(colour, width, height, JpegKind::Grey)), false);
    ASSERT_NE(image, nullptr);
    for (uint32_t p : PixelsOf(image.get()))
        ASSERT_EQ(p & 0xFFFFFF, (p & 0xFF) * 0x010101u);
}

TEST(JpegDecoder, DirectOutputMatchesTheReferencePath)
{
    // Colour files go straight into the pixel rows; the RGB rows converted by the reference path must agree
    // exactly, including on noise, odd sizes and progressive files.
    std::mt19937 random(11);
    Pixels noise;
    for (int i = 0; i < 37 * 29; i++)
        noise.push_back(static_cast<uint32_t>(random()));
    struct Case
    {
        const char* what;
        Bytes file;
    } cases[] = {
        {"gradient", MakeJpeg(Gradient(40, 24), 40, 24)},
        {"noise", MakeJpeg(noise, 37, 29, JpegKind::Rgb, 75)},
        {"progressive noise", MakeJpeg(noise, 37, 29, JpegKind::Rgb, 75, true)},
        {"grey", MakeJpeg(noise, 37, 29, JpegKind::Grey)},
    };
    ScratchFolder folder;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        std::string path = folder.Write("case.jpg", c.file);
        Pixels results[2];
        for (int reference = 0; reference < 2; reference++)
        {
            zest::PFilePtr file(zest::p_fopen(path.c_str(), "rb"));
            Pixels& pixels = results[reference];
            zest::PixelAllocator allocate = [&](int width, int height)
            {
                pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
                return pixels.data();
            };
            ASSERT_TRUE(zest::DecodeJpeg(file.get(), allocate, reference == 1));
        }
        EXPECT_EQ(results[0], results[1]);
    }
}

TEST(JpegDecoder, FileEndingEarlyLoadsWithTheMissingRowsGrey)
{
    // A noisy picture, so that the scan data fills most of the file, cut a third of the way into its scan.
    const int width = 64;
    const int height = 64;
    Pixels noise;
    std::mt19937 random(3);
    for (int i = 0; i < width * height; i++)
        noise.push_back(0xFF000000u | (static_cast<uint32_t>(random()) & 0xFFFFFF));
    Bytes file = MakeJpeg(noise, width, height, JpegKind::Rgb, 90);
    size_t scan = 2;
    while (scan + 1 < file.size() && !(file[scan] == 0xFF && file[scan + 1] == 0xDA))
        scan++;
    ASSERT_LT(scan, file.size() / 4);
    size_t cut = scan + (file.size() - scan) / 3;

    ScratchFolder folder;
    std::string path = folder.Write("cut.jpg", Bytes(file.begin(), file.begin() + static_cast<long>(cut)));
    std::unique_ptr<zest::MemoryImage> image = zest::LoadImageFile(path, false);
    ASSERT_NE(image, nullptr);
    // Blocks without data decode as mid grey; the file's data lies top to bottom, so the last row has none.
    Pixels pixels = PixelsOf(image.get());
    for (int x = 0; x < width; x++)
    {
        uint32_t p = pixels[static_cast<size_t>((height - 1) * width + x)];
        for (int shift : {0, 8, 16})
            ASSERT_NEAR(static_cast<int>((p >> shift) & 0xFF), 0x80, 2) << x;
    }
}

TEST(JpegDecoder, DamagedFilesFail)
{
    const Bytes valid = MakeJpeg(Gradient(16, 16), 16, 16);
    // The frame header (FF C0): length 2, precision 1, height 2, width 2.
    size_t frame = 2;
    while (frame + 1 < valid.size() && !(valid[frame] == 0xFF && valid[frame + 1] == 0xC0))
        frame++;
    ASSERT_LT(frame + 9, valid.size());
    auto withSize = [&](int width, int height)
    {
        Bytes b = valid;
        b[frame + 5] = static_cast<uint8_t>(height >> 8);
        b[frame + 6] = static_cast<uint8_t>(height);
        b[frame + 7] = static_cast<uint8_t>(width >> 8);
        b[frame + 8] = static_cast<uint8_t>(width);
        return b;
    };
    Bytes noMarker = valid;
    noMarker[0] = 0x00;

    struct Case
    {
        const char* what;
        Bytes bytes;
    } cases[] = {
        {"empty", {}},
        {"not a JPEG", noMarker},
        {"header cut short", Bytes(valid.begin(), valid.begin() + 30)},
        {"more pixels than the file could code", withSize(16000, 16000)},
        {"side over the limit", withSize(20000, 8)},
        {"zero width", withSize(0, 16)},
    };
    ScratchFolder folder;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        std::string path = folder.Write("damaged.jpg", c.bytes);
        EXPECT_EQ(zest::LoadImageFile(path, false), nullptr);
        EXPECT_EQ(CountAllocations(path), 0);
    }
}

TEST(JpegDecoder, EveryTruncationAndCorruptionIsSurvived)
{
    const Bytes valid = MakeJpeg(Gradient(48, 32), 48, 32, JpegKind::Rgb, 80, true);
    ScratchFolder folder;
    for (size_t length = 0; length < valid.size(); length += 5)
    {
        std::string path = folder.Write("cut.jpg", Bytes(valid.begin(), valid.begin() + static_cast<long>(length)));
        std::unique_ptr<zest::MemoryImage> image = zest::LoadImageFile(path, false);
        if (image != nullptr)
        {
            EXPECT_EQ(image->GetWidth() * image->GetHeight(), 48 * 32);
        }
    }
    std::mt19937 random(99);
    for (int round = 0; round < 200; round++)
    {
        Bytes damaged = valid;
        for (int flips = 0; flips < 3; flips++)
            damaged[random() % damaged.size()] ^= static_cast<uint8_t>(1 + random() % 255);
        (void)zest::LoadImageFile(folder.Write("flipped.jpg", damaged), false);
    }
}
