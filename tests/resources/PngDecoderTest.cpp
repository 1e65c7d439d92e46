#include "resources/PngDecoder.h"

#include "ImageTestSupport.h"
#include "files/PakFile.h"
#include "graphics/MemoryImage.h"
#include "resources/ImageLoader.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <random>

using namespace imagetest;

namespace
{

struct Case
{
    const char* what;
    PngSpec spec;
    Pixels expected;
};

PngSpec Spec(int width, int height, int bitDepth, int colorType, std::vector<Bytes> rows)
{
    PngSpec spec;
    spec.width = width;
    spec.height = height;
    spec.bitDepth = bitDepth;
    spec.colorType = colorType;
    spec.rows = std::move(rows);
    return spec;
}

// Decodes with DecodePng over the file functions, counting allocations.
bool DecodeFile(const std::string& path, int& allocations)
{
    zest::PFilePtr file(zest::p_fopen(path.c_str(), "rb"));
    if (file == nullptr)
        return false;
    Pixels pixels;
    zest::PixelAllocator allocate = [&](int width, int height)
    {
        allocations++;
        pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
        return pixels.data();
    };
    return zest::DecodePng(file.get(), allocate);
}

} // namespace

TEST(PngDecoder, EveryColourTypeLandsAsARGB)
{
    PngSpec palette = Spec(3, 1, 8, PNG_COLOR_TYPE_PALETTE, {{0, 1, 2}});
    palette.palette = {0x102030, 0xA0B0C0, 0xFFFFFF};
    PngSpec paletteAlpha = Spec(4, 1, 2, PNG_COLOR_TYPE_PALETTE, {{0b00011011}});
    paletteAlpha.palette = {0x112233, 0x445566, 0x778899, 0xAABBCC};
    paletteAlpha.paletteAlpha = {0x00, 0x80}; // entries 2 and 3 stay opaque
    PngSpec greyKey = Spec(2, 1, 8, PNG_COLOR_TYPE_GRAY, {{0x40, 0x41}});
    greyKey.transparentGrey = 0x41;

    Case cases[] = {
        {"palette", palette, {0xFF102030u, 0xFFA0B0C0u, 0xFFFFFFFFu}},
        {"2-bit palette with transparency", paletteAlpha, {0x00112233u, 0x80445566u, 0xFF778899u, 0xFFAABBCCu}},
        {"grey", Spec(2, 1, 8, PNG_COLOR_TYPE_GRAY, {{0x00, 0x7F}}), {0xFF000000u, 0xFF7F7F7Fu}},
        {"1-bit grey", Spec(3, 1, 1, PNG_COLOR_TYPE_GRAY, {{0b10100000}}), {0xFFFFFFFFu, 0xFF000000u, 0xFFFFFFFFu}},
        {"grey with a transparent value", greyKey, {0xFF404040u, 0x00414141u}},
        {"grey and alpha", Spec(2, 1, 8, PNG_COLOR_TYPE_GA, {{0x20, 0x80, 0xE0, 0xFF}}), {0x80202020u, 0xFFE0E0E0u}},
        {"RGB", Spec(2, 1, 8, PNG_COLOR_TYPE_RGB, {{1, 2, 3, 250, 251, 252}}), {0xFF010203u, 0xFFFAFBFCu}},
        {"RGBA", Spec(2, 1, 8, PNG_COLOR_TYPE_RGBA, {{1, 2, 3, 0, 9, 8, 7, 0x81}}), {0x00010203u, 0x81090807u}},
        // 16-bit channels keep their high bytes.
        {"16-bit RGB", Spec(1, 1, 16, PNG_COLOR_TYPE_RGB, {{0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC}}), {0xFF12569Au}},
        {"16-bit RGBA",
         Spec(1, 1, 16, PNG_COLOR_TYPE_RGBA, {{0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0x40, 0xFF}}),
         {0x4012569Au}},
        {"16-bit grey", Spec(1, 1, 16, PNG_COLOR_TYPE_GRAY, {{0xC3, 0x01}}), {0xFFC3C3C3u}},
    };
    ScratchFolder folder;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        std::string path = folder.Write("case.png", MakePng(c.spec));
        std::unique_ptr<zest::MemoryImage> image = zest::LoadImageFile(path, false);
        ExpectImage(c.expected, c.spec.width, c.spec.height, image.get(), 0, c.what);
    }
}

TEST(PngDecoder, InterlacedFilesAreDeinterlaced)
{
    // 13 x 11 covers every Adam7 pass with partial blocks at the right and bottom edges.
    const int width = 13;
    const int height = 11;
    PngSpec spec = Spec(width, height, 8, PNG_COLOR_TYPE_RGBA, {});
    spec.interlaced = true;
    Pixels expected;
    std::mt19937 random(42);
    for (int y = 0; y < height; y++)
    {
        Bytes row;
        for (int x = 0; x < width; x++)
        {
            uint32_t p = static_cast<uint32_t>(random());
            row.insert(row.end(), {static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8), static_cast<uint8_t>(p),
                                   static_cast<uint8_t>(p >> 24)});
            expected.push_back(p);
        }
        spec.rows.push_back(row);
    }
    ScratchFolder folder;
    std::unique_ptr<zest::MemoryImage> image = zest::LoadImageFile(folder.Write("adam7.png", MakePng(spec)), false);
    ExpectImage(expected, width, height, image.get());
}

TEST(PngDecoder, DamagedFilesFailWithoutImage)
{
    PngSpec spec = Spec(8, 8, 8, PNG_COLOR_TYPE_RGB, std::vector<Bytes>(8, Bytes(24, 0x5A)));
    const Bytes valid = MakePng(spec);
    Bytes badCrc = valid;
    badCrc[29] ^= 0xFF; // the IHDR chunk's CRC
    Bytes notPng = valid;
    notPng[1] = 'Q';
    // A 16000 x 16000 claim in a file of a hundred bytes: refused before any pixel memory is taken.
    Bytes huge = MakePng(Spec(1, 1, 8, PNG_COLOR_TYPE_RGB, {{0, 0, 0}}));
    huge[16] = 0, huge[17] = 0, huge[18] = 0x3E, huge[19] = 0x80; // width 16000
    huge[20] = 0, huge[21] = 0, huge[22] = 0x3E, huge[23] = 0x80; // height 16000
    uint32_t crc = crc32(0, huge.data() + 12, 17);
    huge[29] = static_cast<uint8_t>(crc >> 24), huge[30] = static_cast<uint8_t>(crc >> 16);
    huge[31] = static_cast<uint8_t>(crc >> 8), huge[32] = static_cast<uint8_t>(crc);
    Bytes tooWide = huge;
    tooWide[18] = 0x4E, tooWide[19] = 0x20; // width 20000
    crc = crc32(0, tooWide.data() + 12, 17);
    tooWide[29] = static_cast<uint8_t>(crc >> 24), tooWide[30] = static_cast<uint8_t>(crc >> 16);
    tooWide[31] = static_cast<uint8_t>(crc >> 8), tooWide[32] = static_cast<uint8_t>(crc);

    struct Damaged
    {
        const char* what;
        Bytes bytes;
        bool refusedBeforeAllocating;
    } cases[] = {
        {"empty", {}, true},
        {"signature only", Bytes(valid.begin(), valid.begin() + 8), true},
        {"cut in the image data", Bytes(valid.begin(), valid.begin() + 50), false},
        {"bad header checksum", badCrc, true},
        {"not a PNG signature", notPng, true},
        {"more pixels than the file could hold", huge, true},
        {"side over the limit", tooWide, true},
    };
    ScratchFolder folder;
    for (const Damaged& c : cases)
    {
        SCOPED_TRACE(c.what);
        std::string path = folder.Write("damaged.png", c.bytes);
        int allocations = 0;
        EXPECT_FALSE(DecodeFile(path, allocations));
        EXPECT_EQ(zest::LoadImageFile(path, false), nullptr);
        if (c.refusedBeforeAllocating)
        {
            EXPECT_EQ(allocations, 0);
        }
    }
    // Every truncation of a valid file fails cleanly (the sanitizer build checks for leaks and bad reads).
    for (size_t length = 0; length + 12 < valid.size(); length++)
    {
        std::string path = folder.Write("cut.png", Bytes(valid.begin(), valid.begin() + static_cast<long>(length)));
        EXPECT_EQ(zest::LoadImageFile(path, false), nullptr) << length;
    }
}
