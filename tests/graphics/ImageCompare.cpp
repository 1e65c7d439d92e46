#include "ImageCompare.h"

#include <png.h>

#include <cstdio>
#include <filesystem>

namespace zest::test
{

bool WritePng(const std::string& path, const uint32_t* pixels, int width, int height)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool ok = false;
    if (png && info && !setjmp(png_jmpbuf(png)))
    {
        png_init_io(png, file);
        png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                     PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                     PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        std::vector<png_byte> row(static_cast<size_t>(width) * 4);
        for (int y = 0; y < height; y++)
        {
            for (int x = 0; x < width; x++)
            {
                uint32_t p = pixels[static_cast<size_t>(y) * width + x];
                row[x * 4 + 0] = static_cast<png_byte>(p >> 16);
                row[x * 4 + 1] = static_cast<png_byte>(p >> 8);
                row[x * 4 + 2] = static_cast<png_byte>(p);
                row[x * 4 + 3] = static_cast<png_byte>(p >> 24);
            }
            png_write_row(png, row.data());
        }
        png_write_end(png, info);
        ok = true;
    }
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return ok;
}

::testing::AssertionResult SamePixels(const std::string& name, const uint32_t* expected, const uint32_t* actual,
                                      int width, int height)
{
    long mismatches = 0;
    int firstX = -1, firstY = -1;
    for (int y = 0; y < height; y++)
    {
        for (int x = 0; x < width; x++)
        {
            size_t i = static_cast<size_t>(y) * width + x;
            if (expected[i] != actual[i] && mismatches++ == 0)
            {
                firstX = x;
                firstY = y;
            }
        }
    }
    if (mismatches == 0)
        return ::testing::AssertionSuccess();
    std::filesystem::path dir = std::filesystem::path(::testing::TempDir()) / "zest-image-failures";
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    std::string base = (dir / name).string();
    WritePng(base + "-expected.png", expected, width, height);
    WritePng(base + "-actual.png", actual, width, height);
    size_t i = static_cast<size_t>(firstY) * width + firstX;
    char text[200];
    std::snprintf(text, sizeof text, "%ld of %d pixels differ; first at (%d, %d): expected 0x%08X, actual 0x%08X",
                  mismatches, width * height, firstX, firstY, expected[i], actual[i]);
    return ::testing::AssertionFailure() << name << ": " << text << " (images written to " << base << "-*.png)";
}

std::vector<uint32_t> RandomPixels(std::mt19937& rng, int width, int height)
{
    static const uint32_t specialAlphas[] = {0, 1, 254, 255, 255, 0};
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    size_t i = 0;
    while (i < pixels.size())
    {
        // A run of one alpha class: lengths up to 300 so some runs pass the 255 cap.
        uint32_t alpha = rng() % 4 == 0 ? rng() & 0xFF : specialAlphas[rng() % 6];
        size_t run = rng() % 8 == 0 ? 1 + rng() % 300 : 1 + rng() % 6;
        for (size_t k = 0; k < run && i < pixels.size(); k++, i++)
        {
            uint32_t a = alpha;
            if (a != 0 && a != 255 && rng() % 2)
                a = 1 + rng() % 254;
            uint32_t rgb = rng() % 10 == 0 ? 0 : (rng() & 0xFFFFFF);
            pixels[i] = (a << 24) | rgb;
        }
    }
    return pixels;
}

std::vector<uint32_t> RandomOpaquePixels(std::mt19937& rng, int width, int height)
{
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    for (uint32_t& p : pixels)
        p = 0xFF000000 | (rng() & 0xFFFFFF);
    return pixels;
}

} // namespace zest::test
