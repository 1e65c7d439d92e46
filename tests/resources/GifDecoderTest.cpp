#include "resources/GifDecoder.h"

#include "ImageTestSupport.h"

#include <gtest/gtest.h>

#include <random>

using namespace imagetest;

namespace
{

Decoded Decode(const Bytes& bytes)
{
    return DecodeWith(zest::DecodeGif, bytes);
}

// A greyscale ramp: index i is 0x111111 * i, so the expected pixel of an index is easy to write down.
std::vector<uint32_t> Ramp(int entries)
{
    std::vector<uint32_t> palette;
    for (int i = 0; i < entries; i++)
        palette.push_back(0x111111u * static_cast<uint32_t>(i));
    return palette;
}

} // namespace

TEST(GifDecoder, InterlacedRowsLandInPassOrder)
{
    // Stream row k carries index k; expected[y] is the stream row that fills image row y.
    struct Case
    {
        int height;
        std::vector<int> streamRowOfImageRow;
    } cases[] = {
        // Stream order 0, 8, 4, 2, 6, 1, 3, 5, 7, 9.
        {10, {0, 5, 3, 6, 2, 7, 4, 8, 1, 9}},
        // Stream order 0, 2, 1, 3.
        {4, {0, 2, 1, 3}},
        {1, {0}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.height);
        GifSpec spec;
        spec.width = 3;
        spec.height = c.height;
        spec.globalPalette = Ramp(16);
        spec.interlaced = true;
        for (int row = 0; row < c.height; row++)
            spec.indices.insert(spec.indices.end(), 3, static_cast<uint8_t>(row));
        Decoded d = Decode(MakeGif(spec));
        ASSERT_TRUE(d.ok);
        for (int y = 0; y < c.height; y++)
        {
            for (int x = 0; x < 3; x++)
                EXPECT_EQ(d.pixels[static_cast<size_t>(y * 3 + x)],
                          0xFF000000u |
                              (0x111111u * static_cast<uint32_t>(c.streamRowOfImageRow[static_cast<size_t>(y)])))
                    << "row " << y;
        }
    }
}

TEST(GifDecoder, TransparentAndOutOfPaletteIndicesAreTransparentBlack)
{
    GifSpec spec;
    spec.width = 4;
    spec.height = 1;
    spec.globalPalette = Ramp(4);
    spec.transparentIndex = 2;
    spec.indices = {1, 2, 3, 200}; // 200 lies beyond the 4-entry palette
    Decoded d = Decode(MakeGif(spec));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.pixels, (Pixels{0xFF111111u, 0x00000000u, 0xFF333333u, 0x00000000u}));

    // No colour table at all: every index reads as transparent black.
    spec.globalPalette.clear();
    spec.transparentIndex = -1;
    d = Decode(MakeGif(spec));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.pixels, Pixels(4, 0u));
}

TEST(GifDecoder, LocalPaletteReplacesGlobalAndExtensionsAreSkipped)
{
    GifSpec spec;
    spec.width = 2;
    spec.height = 1;
    spec.minCodeSize = 2;
    spec.globalPalette = Ramp(4);
    spec.localPalette = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    spec.indices = {0, 2};
    // A comment and a looping application block before the image.
    spec.blocksBeforeImage = {0x21, 0xFE, 3,   'h', 'i', '!', 0,   0x21, 0xFF, 11, 'N', 'E', 'T',
                              'S',  'C',  'A', 'P', 'E', '2', '.', '0',  3,    1,  0,   0,   0};
    Decoded d = Decode(MakeGif(spec));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.pixels, (Pixels{0xFFFF0000u, 0xFF0000FFu}));
}

TEST(GifDecoder, LongImagesCrossClearCodes)
{
    // 1000 literals at 9 bits need several clear codes; code size 2 needs a clear every 2 literals.
    for (int minCodeSize : {2, 8})
    {
        SCOPED_TRACE(minCodeSize);
        GifSpec spec;
        spec.width = 40;
        spec.height = 25;
        spec.minCodeSize = minCodeSize;
        int entries = 1 << minCodeSize;
        spec.globalPalette = Ramp(std::min(entries, 16));
        Pixels expected;
        for (int i = 0; i < spec.width * spec.height; i++)
        {
            int index = (i * 7) % std::min(entries, 16);
            spec.indices.push_back(static_cast<uint8_t>(index));
            expected.push_back(0xFF000000u | (0x111111u * static_cast<uint32_t>(index)));
        }
        Decoded d = Decode(MakeGif(spec));
        ASSERT_TRUE(d.ok);
        EXPECT_EQ(d.pixels, expected);
    }
}

TEST(GifDecoder, CodeBeingDefinedRepeatsThePreviousString)
{
    // After literal 1, code 258 is the entry being defined: "1" + its own first byte, so 1 1 1 in all.
    GifSpec spec;
    spec.width = 3;
    spec.height = 1;
    spec.globalPalette = Ramp(4);
    spec.rawCodes = {256, 1, 258, 257};
    Decoded d = Decode(MakeGif(spec));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.pixels, Pixels(3, 0xFF111111u));
}

TEST(GifDecoder, DamagedFilesFail)
{
    GifSpec good;
    good.width = 4;
    good.height = 2;
    good.globalPalette = Ramp(4);
    good.indices = {0, 1, 2, 3, 3, 2, 1, 0};
    const Bytes valid = MakeGif(good);
    ASSERT_TRUE(Decode(valid).ok);

    // Offsets in `valid`: header 6, screen 7, palette 12 (ends at 25), image descriptor 25..34, code size 35.
    auto with = [&](size_t offset, std::initializer_list<uint8_t> bytes)
    {
        Bytes b = valid;
        std::copy(bytes.begin(), bytes.end(), b.begin() + static_cast<long>(offset));
        return b;
    };
    GifSpec noEnd = good;
    noEnd.indices.resize(5); // data ends (with its end code) three pixels short
    GifSpec onlyClear = good;
    onlyClear.indices.clear();
    onlyClear.writeEndCode = false;
    GifSpec tooMany = good;
    tooMany.width = 20000;
    auto codes = [&](std::vector<int> raw)
    {
        GifSpec spec = good;
        spec.rawCodes = std::move(raw);
        return MakeGif(spec);
    };

    struct Case
    {
        const char* what;
        Bytes bytes;
    } cases[] = {
        {"empty", {}},
        {"bad signature", with(0, {'G', 'I', 'F', '9', '0'})},
        {"trailer before the image", with(25, {0x3B})},
        {"unknown block", with(25, {0x99})},
        {"zero width", with(30, {0, 0})},
        {"zero height", with(32, {0, 0})},
        {"minimum code size 0", with(35, {0})},
        {"minimum code size 12", with(35, {12})},
        {"missing pixels", MakeGif(noEnd)},
        {"side over the limit", MakeGif(tooMany)},
        {"code beyond the table", codes({256, 1, 300, 1, 1, 1, 1, 1, 1, 257})},
        {"first code after a clear not a literal", codes({256, 258, 1, 1, 1, 1, 1, 1, 1, 257})},
        {"end code before the last pixel", codes({256, 1, 2, 257})},
        {"only a clear code", MakeGif(onlyClear)},
        {"truncated in the header", Bytes(valid.begin(), valid.begin() + 10)},
        {"truncated in the palette", Bytes(valid.begin(), valid.begin() + 20)},
        {"truncated in the data", Bytes(valid.begin(), valid.begin() + 38)},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(Decode(c.bytes).ok);
    }
}

TEST(GifDecoder, SizeBeyondWhatTheDataCanCodeIsRefusedBeforeAllocating)
{
    GifSpec spec;
    spec.width = 16000;
    spec.height = 16000;
    spec.globalPalette = Ramp(4);
    spec.indices = {1, 2, 3};
    Decoded d = Decode(MakeGif(spec));
    EXPECT_FALSE(d.ok);
    EXPECT_EQ(d.allocations, 0);
}

TEST(GifDecoder, EveryTruncationAndCorruptionOfARealFileIsSurvived)
{
    // A file from an independent encoder, with real LZW compression whose table fills up.
    const Bytes file = ReadFileBytes(ZEST_TEST_DIR "/fixtures/noise.gif");
    ASSERT_GT(file.size(), 1000u);
    ASSERT_TRUE(Decode(file).ok);
    for (size_t length = 0; length < file.size(); length += 7)
        (void)Decode(Bytes(file.begin(), file.begin() + static_cast<long>(length)));
    std::mt19937 random(1234);
    for (int round = 0; round < 300; round++)
    {
        Bytes damaged = file;
        for (int flips = 0; flips < 4; flips++)
            damaged[random() % damaged.size()] ^= static_cast<uint8_t>(1 + random() % 255);
        Decoded d = Decode(damaged);
        if (d.ok)
        {
            EXPECT_EQ(d.pixels.size(), static_cast<size_t>(d.width) * static_cast<size_t>(d.height));
        }
    }
}
