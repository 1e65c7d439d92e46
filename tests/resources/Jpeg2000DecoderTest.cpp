#include "resources/J2KCodec.h"

#include "ImageTestSupport.h"
#include "graphics/MemoryImage.h"
#include "resources/ImageLoader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

using namespace imagetest;

namespace
{

struct MemoryStream
{
    Bytes bytes;
    size_t position = 0;
};

int ReadMemory(void* buffer, int size, void* userData)
{
    auto* stream = static_cast<MemoryStream*>(userData);
    size_t count = std::min(static_cast<size_t>(size), stream->bytes.size() - stream->position);
    if (count > 0)
        std::memcpy(buffer, stream->bytes.data() + stream->position, count);
    stream->position += count;
    return static_cast<int>(count);
}

int64_t SeekMemory(int64_t offset, int origin, void* userData)
{
    auto* stream = static_cast<MemoryStream*>(userData);
    int64_t base = origin == 0   ? 0
                   : origin == 1 ? static_cast<int64_t>(stream->position)
                                 : static_cast<int64_t>(stream->bytes.size());
    int64_t target = base + offset;
    if (target < 0 || target > static_cast<int64_t>(stream->bytes.size()))
        return -1;
    stream->position = static_cast<size_t>(target);
    return target;
}

const zest::J2K_Callbacks MemoryCallbacks{ReadMemory, SeekMemory};

} // namespace

TEST(J2KCodec, OpensDecodesAndReportsSizes)
{
    MemoryStream stream{ReadFileBytes(ZEST_TEST_DIR "/fixtures/noise.jp2")};
    zest::J2K_Handle* handle = zest::J2K_OpenCustom(&MemoryCallbacks, &stream);
    ASSERT_NE(handle, nullptr) << zest::J2K_getErrorStr(zest::J2K_getLastError());
    int width = 0, height = 0, components = 0;
    EXPECT_EQ(zest::J2K_GetInfo(handle, &width, &height, &components), zest::J2K_OK);
    EXPECT_EQ(width, 96);
    EXPECT_EQ(height, 64);
    EXPECT_EQ(components, 3);
    EXPECT_EQ(zest::J2K_GetResolutionDimensions(handle, 1, &width, &height), zest::J2K_OK);
    EXPECT_EQ(width, 48);
    EXPECT_EQ(height, 32);
    EXPECT_EQ(zest::J2K_GetResolutionDimensions(handle, 0, &width, &height), zest::J2K_OK);

    // A pitch wider than the row leaves the padding alone.
    const int pitch = width * 4 + 8;
    Bytes buffer(static_cast<size_t>(pitch * height), 0xEE);
    EXPECT_EQ(zest::J2K_Decode(handle, buffer.data(), static_cast<int>(buffer.size()), "bpp=4,rl=0", pitch),
              zest::J2K_OK);
    EXPECT_EQ(buffer[static_cast<size_t>(width * 4)], 0xEE);
    // Decoding twice is refused.
    EXPECT_EQ(zest::J2K_Decode(handle, buffer.data(), static_cast<int>(buffer.size()), "bpp=4", pitch),
              zest::J2K_ERR_ARGUMENT);
    zest::J2K_Close(handle);

    std::unique_ptr<zest::MemoryImage> reference = zest::LoadImageFile(ZEST_TEST_DIR "/fixtures/noise.png", false);
    ASSERT_NE(reference, nullptr);
    const uint32_t* expected = reference->GetBits();
    for (int y = 0; y < height; y++)
    {
        for (int x = 0; x < width; x++)
        {
            uint32_t got;
            std::memcpy(&got, buffer.data() + y * pitch + x * 4, 4);
            ASSERT_EQ(got, expected[y * width + x]) << x << "," << y;
        }
    }
}

// The codestream's SIZ marker with one-pixel tiles: 96 x 64 x 3 components asks the decoder for 18432 tile records.
Bytes WithOnePixelTiles(Bytes file)
{
    static constexpr uint8_t Siz[4] = {0xFF, 0x4F, 0xFF, 0x51};
    auto siz = std::search(file.begin(), file.end(), Siz, Siz + 4);
    EXPECT_NE(siz, file.end());
    for (int field : {24, 28}) // XTsiz, YTsiz
    {
        std::fill(siz + field, siz + field + 3, 0);
        siz[field + 3] = 1;
    }
    return file;
}

TEST(J2KCodec, BadInputFailsWithAnErrorText)
{
    const Bytes valid = ReadFileBytes(ZEST_TEST_DIR "/fixtures/noise.j2k");
    const Bytes validJp2 = ReadFileBytes(ZEST_TEST_DIR "/fixtures/noise.jp2");
    struct Case
    {
        const char* what;
        Bytes bytes;
        int error;
        const char* text; // in the error string, when given
    } cases[] = {
        {"empty", {}, zest::J2K_ERR_FORMAT, nullptr},
        {"not JPEG 2000", Bytes(100, 0x42), zest::J2K_ERR_FORMAT, nullptr},
        {"header cut short", Bytes(valid.begin(), valid.begin() + 20), zest::J2K_ERR_HEADER, nullptr},
        {"tile grid too large, codestream", WithOnePixelTiles(valid), zest::J2K_ERR_HEADER, "too many tiles: 6144"},
        {"tile grid too large, JP2", WithOnePixelTiles(validJp2), zest::J2K_ERR_HEADER, "too many tiles: 6144"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        MemoryStream stream{c.bytes};
        EXPECT_EQ(zest::J2K_OpenCustom(&MemoryCallbacks, &stream), nullptr);
        EXPECT_EQ(zest::J2K_getLastError(), c.error);
        EXPECT_GT(std::strlen(zest::J2K_getErrorStr(c.error)), 0u);
        if (c.text != nullptr)
        {
            EXPECT_NE(std::string(zest::J2K_getErrorStr(c.error)).find(c.text), std::string::npos)
                << zest::J2K_getErrorStr(c.error);
        }
    }
    EXPECT_EQ(zest::J2K_OpenFile("/nonexistent/file.jp2"), nullptr);
    EXPECT_EQ(zest::J2K_getLastError(), zest::J2K_ERR_IO);

    MemoryStream stream{valid};
    zest::J2K_Handle* handle = zest::J2K_OpenCustom(&MemoryCallbacks, &stream);
    ASSERT_NE(handle, nullptr);
    Bytes small(16);
    EXPECT_EQ(zest::J2K_Decode(handle, small.data(), 16, "bpp=4,rl=0", 96 * 4), zest::J2K_ERR_ARGUMENT);
    EXPECT_EQ(zest::J2K_Decode(handle, small.data(), 16, "bpp=7", 96 * 4), zest::J2K_ERR_ARGUMENT);
    zest::J2K_Close(handle);
    EXPECT_GE(zest::J2K_getVersion(), 20000);
}

TEST(J2KCodec, DamagedFilesNeverCrashTheLoader)
{
    const Bytes valid = ReadFileBytes(ZEST_TEST_DIR "/fixtures/noise.jp2");
    ScratchFolder folder;
    for (size_t length = 0; length < valid.size(); length += 97)
    {
        std::string path = folder.Write("cut.jp2", Bytes(valid.begin(), valid.begin() + static_cast<long>(length)));
        std::unique_ptr<zest::MemoryImage> image = zest::LoadImageFile(path, false);
        if (image != nullptr)
        {
            EXPECT_EQ(image->GetWidth() * image->GetHeight(), 96 * 64);
        }
    }
}
