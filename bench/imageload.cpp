// Loading a 640 x 480 PNG and JPEG through LoadImageFile (from the disk and from an archive) beside the same
// decode done by the library alone from memory, which is the floor the loader can approach.
#include "files/PakFile.h"
#include "files/PakInterface.h"
#include "files/PakWriter.h"
#include "graphics/MemoryImage.h"
#include "resources/ImageLoader.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

#include <jpeglib.h>
#include <png.h>

namespace
{

constexpr int Width = 640;
constexpr int Height = 480;

using Bytes = std::vector<uint8_t>;

// A picture with smooth areas, edges and some noise, as game art has; RGBA bytes.
Bytes Picture()
{
    Bytes rgba;
    std::mt19937 random(5);
    for (int y = 0; y < Height; y++)
    {
        for (int x = 0; x < Width; x++)
        {
            double d = std::hypot(x - 320.0, y - 240.0);
            uint8_t r = static_cast<uint8_t>(128 + 100 * std::sin(d / 20));
            uint8_t g = static_cast<uint8_t>(x * 255 / Width);
            uint8_t b = static_cast<uint8_t>(((x / 40 + y / 40) & 1) ? 200 : 60);
            uint8_t noise = static_cast<uint8_t>(random() & 7);
            uint8_t a = d < 200 ? 255 : d < 220 ? static_cast<uint8_t>((220 - d) * 12) : 0;
            rgba.insert(rgba.end(), {static_cast<uint8_t>(r + noise), g, b, a});
        }
    }
    return rgba;
}

void AppendPng(png_structp png, png_bytep data, png_size_t length)
{
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void NoFlush(png_structp) {}

Bytes EncodePng(const Bytes& rgba)
{
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, AppendPng, NoFlush);
    png_set_IHDR(png, info, Width, Height, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < Height; y++)
        png_write_row(png, rgba.data() + static_cast<size_t>(y) * Width * 4);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

Bytes EncodeJpeg(const Bytes& rgba)
{
    jpeg_compress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = Width;
    info.image_height = Height;
    info.input_components = 4;
    info.in_color_space = JCS_EXT_RGBX;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 80, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height)
    {
        JSAMPROW row = const_cast<JSAMPROW>(rgba.data() + static_cast<size_t>(info.next_scanline) * Width * 4);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    Bytes out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

// The test files on the disk and in an archive, made once.
struct Files
{
    std::string folder;
    std::string pak;
    Bytes png;
    Bytes jpeg;

    Files()
    {
        Bytes rgba = Picture();
        png = EncodePng(rgba);
        jpeg = EncodeJpeg(rgba);
        folder = (std::filesystem::temp_directory_path() / "zest-bench-imageload").string();
        std::filesystem::create_directories(folder + "/images");
        std::ofstream(folder + "/images/picture.png", std::ios::binary)
            .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
        std::ofstream(folder + "/images/picture.jpg", std::ios::binary)
            .write(reinterpret_cast<const char*>(jpeg.data()), static_cast<std::streamsize>(jpeg.size()));
        zest::PakWriter writer;
        std::string error;
        pak = folder + "/main.pak";
        if (!writer.AddFile("archived\\picture.png", png, 0, error) ||
            !writer.AddFile("archived\\picture.jpg", jpeg, 0, error) || !writer.WriteTo(pak, error))
            std::fprintf(stderr, "archive: %s\n", error.c_str());
    }
};

const Files& TestFiles()
{
    static const Files files;
    return files;
}

void Report(benchmark::State& state, size_t fileBytes)
{
    state.SetItemsProcessed(state.iterations() * Width * Height);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fileBytes));
}

void BM_LoadImageFile_PngDisk(benchmark::State& state)
{
    const Files& files = TestFiles();
    std::string name = files.folder + "/images/picture.png";
    for (auto _ : state)
        benchmark::DoNotOptimize(zest::LoadImageFile(name, false));
    Report(state, files.png.size());
}

void BM_LoadImageFile_JpegDisk(benchmark::State& state)
{
    const Files& files = TestFiles();
    std::string name = files.folder + "/images/picture.jpg";
    for (auto _ : state)
        benchmark::DoNotOptimize(zest::LoadImageFile(name, false));
    Report(state, files.jpeg.size());
}

// Archived files are read from the memory-mapped archive and descrambled byte by byte.
void LoadFromArchive(benchmark::State& state, const char* name, size_t fileBytes)
{
    const Files& files = TestFiles();
    zest::PakInterfaceBase* before = zest::ActivePakInterface();
    zest::PakInterface pak;
    zest::SetActivePakInterface(&pak);
    if (!pak.AddPakFile(files.pak))
        state.SkipWithError("archive not readable");
    for (auto _ : state)
        benchmark::DoNotOptimize(zest::LoadImageFile(name, false));
    zest::SetActivePakInterface(before);
    Report(state, fileBytes);
}

void BM_LoadImageFile_PngArchive(benchmark::State& state)
{
    LoadFromArchive(state, "archived/picture.png", TestFiles().png.size());
}

void BM_LoadImageFile_JpegArchive(benchmark::State& state)
{
    LoadFromArchive(state, "archived/picture.jpg", TestFiles().jpeg.size());
}

struct MemoryReader
{
    const Bytes* bytes;
    size_t position;
};

void ReadMemory(png_structp png, png_bytep data, png_size_t length)
{
    auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    std::memcpy(data, reader->bytes->data() + reader->position, length);
    reader->position += length;
}

// Floor: libpng from memory with the loader's transformations into a ready buffer.
void BM_PngDecode_LibpngAlone(benchmark::State& state)
{
    const Files& files = TestFiles();
    std::vector<uint32_t> pixels(Width * Height);
    for (auto _ : state)
    {
        MemoryReader reader{&files.png, 0};
        png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(png);
        png_set_read_fn(png, &reader, ReadMemory);
        png_read_info(png, info);
        png_set_expand(png);
        png_set_strip_16(png);
        png_set_gray_to_rgb(png);
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
        png_set_bgr(png);
        png_read_update_info(png, info);
        for (int y = 0; y < Height; y++)
            png_read_row(png, reinterpret_cast<png_bytep>(pixels.data() + y * Width), nullptr);
        png_destroy_read_struct(&png, &info, nullptr);
        benchmark::DoNotOptimize(pixels.data());
    }
    Report(state, files.png.size());
}

// Floor: libjpeg from memory straight into 32-bit pixels (its own fastest output form).
void BM_JpegDecode_LibjpegAlone(benchmark::State& state)
{
    const Files& files = TestFiles();
    std::vector<uint32_t> pixels(Width * Height);
    for (auto _ : state)
    {
        jpeg_decompress_struct info;
        jpeg_error_mgr error;
        info.err = jpeg_std_error(&error);
        jpeg_create_decompress(&info);
        jpeg_mem_src(&info, files.jpeg.data(), files.jpeg.size());
        jpeg_read_header(&info, TRUE);
        info.out_color_space = JCS_EXT_BGRA;
        jpeg_start_decompress(&info);
        while (info.output_scanline < info.output_height)
        {
            JSAMPROW row = reinterpret_cast<JSAMPROW>(pixels.data() + info.output_scanline * Width);
            jpeg_read_scanlines(&info, &row, 1);
        }
        jpeg_finish_decompress(&info);
        jpeg_destroy_decompress(&info);
        benchmark::DoNotOptimize(pixels.data());
    }
    Report(state, files.jpeg.size());
}

} // namespace

BENCHMARK(BM_PngDecode_LibpngAlone)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadImageFile_PngDisk)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadImageFile_PngArchive)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegDecode_LibjpegAlone)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadImageFile_JpegDisk)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadImageFile_JpegArchive)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
