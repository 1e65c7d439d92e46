#include "resources/ImageWriter.h"

#include "ImageTestSupport.h"
#include "graphics/MemoryImage.h"
#include "resources/ImageLoader.h"

#include <gtest/gtest.h>
#include <png.h>

#include <filesystem>
#include <random>

using namespace imagetest;

namespace
{

// Reads a PNG back with libpng's own simplified reader, as blue, green, red, alpha bytes.
bool ReadPngWithLibpng(const std::string& path, int& width, int& height, Pixels& pixels)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return false;
    image.format = PNG_FORMAT_BGRA;
    width = static_cast<int>(image.width);
    height = static_cast<int>(image.height);
    pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    return png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) != 0;
}

std::unique_ptr<zest::MemoryImage> ImageOf(const Pixels& pixels, int width, int height)
{
    auto image = std::make_unique<zest::MemoryImage>();
    image->SetBits(pixels.data(), width, height);
    return image;
}

} // namespace

TEST(ImageWriter, PngKeepsEveryPixelExactly)
{
    const int width = 37;
    const int height = 19;
    Pixels pixels;
    std::mt19937 random(7);
    for (int i = 0; i < width * height; i++)
        pixels.push_back(static_cast<uint32_t>(random()));
    // The alpha values at the edges of blending.
    pixels[0] = 0x00FFFFFFu;
    pixels[1] = 0x01000000u;
    pixels[2] = 0xFE808080u;
    pixels[3] = 0xFF123456u;
    std::unique_ptr<zest::MemoryImage> image = ImageOf(pixels, width, height);

    ScratchFolder folder;
    std::string path = folder.Path("shot.png");
    ASSERT_TRUE(zest::WritePng(path, *image));

    Bytes file = ReadFileBytes(path);
    ASSERT_GT(file.size(), 33u);
    EXPECT_EQ(file[24], 8); // bit depth
    EXPECT_EQ(file[25], 6); // colour type RGBA
    EXPECT_EQ(file[28], 0); // not interlaced
    int readWidth = 0;
    int readHeight = 0;
    Pixels readBack;
    ASSERT_TRUE(ReadPngWithLibpng(path, readWidth, readHeight, readBack));
    EXPECT_EQ(readWidth, width);
    EXPECT_EQ(readHeight, height);
    EXPECT_EQ(readBack, pixels);
    ExpectImage(pixels, width, height, zest::LoadImageFile(path, false).get());
}

TEST(ImageWriter, JpegReadsBackWithinTolerance)
{
    const int width = 64;
    const int height = 48;
    Pixels pixels;
    for (int y = 0; y < height; y++)
    {
        for (int x = 0; x < width; x++)
            pixels.push_back(0x80000000u | static_cast<uint32_t>(x * 4) << 16 | static_cast<uint32_t>(y * 5) << 8 |
                             static_cast<uint32_t>(128 + x - y));
    }
    std::unique_ptr<zest::MemoryImage> image = ImageOf(pixels, width, height);
    ScratchFolder folder;
    std::string path = folder.Path("shot.jpg");
    ASSERT_TRUE(zest::WriteJpeg(path, *image));

    // JPEG keeps no alpha: the picture comes back opaque, each channel within a few levels at quality 80.
    Pixels expected;
    for (uint32_t p : pixels)
        expected.push_back(p | 0xFF000000u);
    ExpectImage(expected, width, height, zest::LoadImageFile(path, false).get(), 8);
}

TEST(ImageWriter, FailuresAnswerFalseAndLeaveNoFile)
{
    ScratchFolder folder;
    Pixels one = {0xFF000000u};
    std::unique_ptr<zest::MemoryImage> small = ImageOf(one, 1, 1);
    zest::MemoryImage empty;
    // Wider than either format allows (PNG writers stop at a million pixels, JPEG at 65500): the libraries raise
    // their errors in the middle of writing.
    std::unique_ptr<zest::MemoryImage> tooWide = ImageOf(Pixels(1000001, 0xFF00FF00u), 1000001, 1);

    struct Case
    {
        const char* what;
        std::string path;
        zest::MemoryImage* image;
    } cases[] = {
        {"folder does not exist", folder.Path("missing") + "/x/out", small.get()},
        {"empty image", folder.Path("empty"), &empty},
        {"library error", folder.Path("wide"), tooWide.get()},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(zest::WritePng(c.path + ".png", *c.image));
        EXPECT_FALSE(zest::WriteJpeg(c.path + ".jpg", *c.image));
        EXPECT_FALSE(std::filesystem::exists(c.path + ".png"));
        EXPECT_FALSE(std::filesystem::exists(c.path + ".jpg"));
    }
}
