#include "ImageTestSupport.h"

#include "graphics/MemoryImage.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <unistd.h>

#include <jpeglib.h>
#include <png.h>

namespace imagetest
{

ScratchFolder::ScratchFolder()
{
    static std::atomic<int> counter{0};
    // Non-ASCII on purpose: names reach the file functions as UTF-8 bytes.
    root = std::filesystem::path(testing::TempDir()) /
           ("zest-bilder-\xC3\xA9t\xC3\xA9-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root);
}

ScratchFolder::~ScratchFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
}

std::string ScratchFolder::Path(const std::string& name) const
{
    std::filesystem::path path = root / name;
    std::filesystem::create_directories(path.parent_path());
    return path.string();
}

std::string ScratchFolder::Write(const std::string& name, const Bytes& bytes) const
{
    std::string path = Path(name);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    EXPECT_TRUE(out.good()) << path;
    return path;
}

Decoded DecodeWith(DecoderFunction decode, const Bytes& bytes)
{
    Decoded result;
    zest::PixelAllocator allocate = [&](int width, int height)
    {
        result.allocations++;
        result.width = width;
        result.height = height;
        result.pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0xDEADBEEF);
        return result.pixels.data();
    };
    result.ok = decode(bytes.data(), bytes.size(), allocate);
    return result;
}

Bytes ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

namespace
{

void AppendPng(png_structp png, png_bytep data, png_size_t length)
{
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void NoFlush(png_structp) {}

// Saves 0xAARRGGBB pixels as an RGBA PNG with libpng (for failure reports).
void SavePng(const std::string& path, const Pixels& pixels, int width, int height)
{
    PngSpec spec;
    spec.width = width;
    spec.height = height;
    spec.colorType = PNG_COLOR_TYPE_RGB_ALPHA;
    for (int y = 0; y < height; y++)
    {
        Bytes row;
        for (int x = 0; x < width; x++)
        {
            uint32_t p = pixels[static_cast<size_t>(y * width + x)];
            row.insert(row.end(), {static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8), static_cast<uint8_t>(p),
                                   static_cast<uint8_t>(p >> 24)});
        }
        spec.rows.push_back(row);
    }
    Bytes bytes = MakePng(spec);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

} // namespace

Bytes MakePng(const PngSpec& spec)
{
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, AppendPng, NoFlush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(spec.width), static_cast<png_uint_32>(spec.height), spec.bitDepth,
                 spec.colorType, spec.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> palette;
    for (uint32_t c : spec.palette)
        palette.push_back(
            png_color{static_cast<png_byte>(c >> 16), static_cast<png_byte>(c >> 8), static_cast<png_byte>(c)});
    if (!palette.empty())
        png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
    if (!spec.paletteAlpha.empty())
        png_set_tRNS(png, info, spec.paletteAlpha.data(), static_cast<int>(spec.paletteAlpha.size()), nullptr);
    if (spec.transparentGrey >= 0)
    {
        png_color_16 grey{};
        grey.gray = static_cast<png_uint_16>(spec.transparentGrey);
        png_set_tRNS(png, info, nullptr, 0, &grey);
    }
    png_write_info(png, info);
    int passes = png_set_interlace_handling(png);
    for (int pass = 0; pass < passes; pass++)
    {
        for (const Bytes& row : spec.rows)
            png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

Bytes MakeJpeg(const Pixels& pixels, int width, int height, JpegKind kind, int quality, bool progressive)
{
    jpeg_compress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    int components = kind == JpegKind::Grey ? 1 : kind == JpegKind::Rgb ? 3 : 4;
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = components;
    info.in_color_space = kind == JpegKind::Grey ? JCS_GRAYSCALE : kind == JpegKind::Rgb ? JCS_RGB : JCS_CMYK;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    if (progressive)
        jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    Bytes row(static_cast<size_t>(width) * static_cast<size_t>(components));
    while (info.next_scanline < info.image_height)
    {
        const uint32_t* in = pixels.data() + static_cast<size_t>(info.next_scanline) * width;
        for (int x = 0; x < width; x++)
        {
            // Channels from the top byte down: alpha, red, green, blue; grey takes blue only.
            uint8_t* out = row.data() + static_cast<size_t>(x) * static_cast<size_t>(components);
            if (kind == JpegKind::Grey)
                out[0] = static_cast<uint8_t>(in[x]);
            else
            {
                out[0] = static_cast<uint8_t>(in[x] >> 16);
                out[1] = static_cast<uint8_t>(in[x] >> 8);
                out[2] = static_cast<uint8_t>(in[x]);
                if (kind == JpegKind::Cmyk)
                    out[3] = static_cast<uint8_t>(in[x] >> 24);
            }
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    Bytes out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

namespace
{

void PutWord(Bytes& out, int value)
{
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

int TableSizeBits(size_t entries)
{
    int bits = 0;
    while ((2u << bits) < entries)
        bits++;
    return bits;
}

void PutPalette(Bytes& out, const std::vector<uint32_t>& palette)
{
    for (uint32_t c : palette)
        out.insert(out.end(), {static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c)});
}

} // namespace

Bytes MakeGif(const GifSpec& spec)
{
    Bytes out = {'G', 'I', 'F', '8', '9', 'a'};
    PutWord(out, spec.width);
    PutWord(out, spec.height);
    out.push_back(spec.globalPalette.empty() ? 0
                                             : static_cast<uint8_t>(0x80 | TableSizeBits(spec.globalPalette.size())));
    out.push_back(0); // background
    out.push_back(0); // aspect
    PutPalette(out, spec.globalPalette);
    out.insert(out.end(), spec.blocksBeforeImage.begin(), spec.blocksBeforeImage.end());
    if (spec.transparentIndex >= 0)
        out.insert(out.end(), {0x21, 0xF9, 4, 1, 0, 0, static_cast<uint8_t>(spec.transparentIndex), 0});

    out.push_back(0x2C);
    PutWord(out, 0);
    PutWord(out, 0);
    PutWord(out, spec.width);
    PutWord(out, spec.height);
    uint8_t flags = spec.interlaced ? 0x40 : 0;
    if (!spec.localPalette.empty())
        flags |= static_cast<uint8_t>(0x80 | TableSizeBits(spec.localPalette.size()));
    out.push_back(flags);
    PutPalette(out, spec.localPalette);

    // Literal codes only: after a clear the decoder adds one entry per code from the second on, and widens its
    // codes once the table reaches twice the clear code; a clear every (clear - 2) literals keeps the width fixed.
    int clear = 1 << spec.minCodeSize;
    int bits = spec.minCodeSize + 1;
    Bytes data;
    uint32_t buffer = 0;
    int count = 0;
    auto put = [&](int code)
    {
        buffer |= static_cast<uint32_t>(code) << count;
        count += bits;
        while (count >= 8)
        {
            data.push_back(static_cast<uint8_t>(buffer));
            buffer >>= 8;
            count -= 8;
        }
    };
    int sinceClear = 0;
    for (int code : spec.rawCodes)
        put(code);
    if (spec.rawCodes.empty())
        put(clear);
    for (uint8_t index : spec.rawCodes.empty() ? spec.indices : Bytes())
    {
        if (sinceClear == clear - 2)
        {
            put(clear);
            sinceClear = 0;
        }
        put(index);
        sinceClear++;
    }
    if (spec.writeEndCode && spec.rawCodes.empty())
        put(clear + 1);
    if (count > 0)
        data.push_back(static_cast<uint8_t>(buffer));

    out.push_back(static_cast<uint8_t>(spec.minCodeSize));
    for (size_t pos = 0; pos < data.size(); pos += 255)
    {
        size_t length = std::min<size_t>(255, data.size() - pos);
        out.push_back(static_cast<uint8_t>(length));
        out.insert(out.end(), data.begin() + static_cast<long>(pos), data.begin() + static_cast<long>(pos + length));
    }
    out.push_back(0);
    out.push_back(0x3B);
    return out;
}

Bytes MakeTarga(const TargaSpec& spec)
{
    Bytes out;
    out.push_back(static_cast<uint8_t>(spec.id.size()));
    out.push_back(0); // no colour map
    out.push_back(static_cast<uint8_t>(spec.imageType));
    out.insert(out.end(), 5, 0); // colour map origin, length, depth
    PutWord(out, 0);
    PutWord(out, 0);
    PutWord(out, spec.width);
    PutWord(out, spec.height);
    out.push_back(static_cast<uint8_t>(spec.bitsPerPixel));
    out.push_back(static_cast<uint8_t>(spec.descriptor));
    out.insert(out.end(), spec.id.begin(), spec.id.end());
    int bytesPerPixel = spec.bitsPerPixel / 8;
    for (uint32_t p : spec.pixels)
    {
        for (int i = 0; i < bytesPerPixel; i++)
            out.push_back(static_cast<uint8_t>(p >> (8 * i)));
    }
    return out;
}

Pixels PixelsOf(zest::MemoryImage* image)
{
    if (image == nullptr)
        return {};
    const uint32_t* bits = image->GetBits();
    return Pixels(bits, bits + static_cast<size_t>(image->GetWidth()) * static_cast<size_t>(image->GetHeight()));
}

void ExpectImage(const Pixels& expected, int width, int height, zest::MemoryImage* actual, int tolerance,
                 const std::string& label)
{
    ASSERT_NE(actual, nullptr) << label << ": no image";
    ASSERT_EQ(actual->GetWidth(), width) << label;
    ASSERT_EQ(actual->GetHeight(), height) << label;
    Pixels got = PixelsOf(actual);
    size_t mismatches = 0;
    size_t first = 0;
    for (size_t i = 0; i < got.size(); i++)
    {
        bool same = true;
        for (int shift = 0; shift < 32; shift += 8)
        {
            int a = static_cast<int>((expected[i] >> shift) & 0xFF);
            int b = static_cast<int>((got[i] >> shift) & 0xFF);
            if (std::abs(a - b) > tolerance)
                same = false;
        }
        if (!same && mismatches++ == 0)
            first = i;
    }
    if (mismatches == 0)
        return;
    std::string folder = testing::TempDir() + "image-failures/";
    std::filesystem::create_directories(folder);
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    std::string stem = folder + test->test_suite_name() + "." + test->name() + "." + label;
    SavePng(stem + ".expected.png", expected, width, height);
    SavePng(stem + ".actual.png", got, width, height);
    char text[160];
    std::snprintf(text, sizeof(text), "first at (%d, %d): expected %08X, got %08X", static_cast<int>(first) % width,
                  static_cast<int>(first) / width, expected[first], got[first]);
    ADD_FAILURE() << label << ": " << mismatches << " pixels differ (tolerance " << tolerance << "), " << text
                  << "; images saved as " << stem << ".*.png";
}

} // namespace imagetest
