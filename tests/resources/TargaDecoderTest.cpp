#include "resources/TargaDecoder.h"

#include "ImageTestSupport.h"

#include <gtest/gtest.h>

using namespace imagetest;

namespace
{

Decoded Decode(const Bytes& bytes)
{
    return DecodeWith(zest::DecodeTarga, bytes);
}

const Pixels SamplePixels = {0xFF102030u, 0x80405060u, 0x00000000u, 0x01FFFFFFu, 0xFEABCDEFu, 0x7F000001u};

TargaSpec Sample()
{
    TargaSpec spec;
    spec.width = 3;
    spec.height = 2;
    spec.pixels = SamplePixels;
    return spec;
}

} // namespace

TEST(TargaDecoder, ThirtyTwoBitTopLeftLoadsEveryPixel)
{
    Decoded d = Decode(MakeTarga(Sample()));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.width, 3);
    EXPECT_EQ(d.height, 2);
    EXPECT_EQ(d.pixels, SamplePixels);
}

TEST(TargaDecoder, ImageIdFieldIsSkipped)
{
    TargaSpec spec = Sample();
    spec.id = "made by a paint program";
    Decoded d = Decode(MakeTarga(spec));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.pixels, SamplePixels);
}

TEST(TargaDecoder, ColourMapBeforeThePixelsIsSkipped)
{
    Bytes bytes = MakeTarga(Sample());
    bytes[1] = 1;  // colour map present
    bytes[5] = 2;  // two entries
    bytes[7] = 24; // of three bytes each
    bytes.insert(bytes.begin() + 18, 6, 0xAA);
    Decoded d = Decode(bytes);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.pixels, SamplePixels);
}

TEST(TargaDecoder, RunLengthDataIsExpanded)
{
    TargaSpec spec;
    spec.width = 4;
    spec.height = 2;
    spec.imageType = 10;
    Bytes bytes = MakeTarga(spec);
    // A run of 5 copies of 0x80112233, then 3 literal pixels.
    bytes.insert(bytes.end(), {0x84, 0x33, 0x22, 0x11, 0x80, 0x02, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
    Decoded d = Decode(bytes);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.pixels, (Pixels{0x80112233u, 0x80112233u, 0x80112233u, 0x80112233u, 0x80112233u, 0x04030201u,
                                0x08070605u, 0x0C0B0A09u}));

    // The same data cut short, and a run claiming more pixels than a tiny file could code.
    EXPECT_FALSE(Decode(Bytes(bytes.begin(), bytes.end() - 1)).ok);
    spec.width = 16000;
    spec.height = 16000;
    Bytes huge = MakeTarga(spec);
    huge.insert(huge.end(), {0xFF, 0, 0, 0, 0});
    Decoded refused = Decode(huge);
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.allocations, 0);
}

TEST(TargaDecoder, OtherFormatsAndDamagedFilesFail)
{
    TargaSpec rgb = Sample();
    rgb.bitsPerPixel = 24;
    rgb.descriptor = 0x20;
    TargaSpec bottomUp = Sample();
    bottomUp.descriptor = 0x08;
    TargaSpec noAlphaBits = Sample();
    noAlphaBits.descriptor = 0x20;
    TargaSpec zeroWidth = Sample();
    zeroWidth.width = 0;
    TargaSpec hugeClaim = Sample();
    hugeClaim.width = 16000;
    hugeClaim.height = 16000;
    TargaSpec tooWide = Sample();
    tooWide.width = 20000;
    Bytes valid = MakeTarga(Sample());
    Bytes longId = MakeTarga(Sample());
    longId[0] = 255; // an ID field longer than the rest of the file

    struct Case
    {
        const char* what;
        Bytes bytes;
    } cases[] = {
        {"24 bits per pixel", MakeTarga(rgb)},
        {"bottom-left origin", MakeTarga(bottomUp)},
        {"no alpha bits", MakeTarga(noAlphaBits)},
        {"zero width", MakeTarga(zeroWidth)},
        {"more pixels than the file holds", MakeTarga(hugeClaim)},
        {"side over the limit", MakeTarga(tooWide)},
        {"ID field past the end", longId},
        {"empty", {}},
        {"header only", Bytes(valid.begin(), valid.begin() + 18)},
        {"one byte short", Bytes(valid.begin(), valid.end() - 1)},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        Decoded d = Decode(c.bytes);
        EXPECT_FALSE(d.ok);
        EXPECT_EQ(d.allocations, 0);
    }
}
