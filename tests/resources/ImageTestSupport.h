// Helpers for the image tests: a scratch folder with a non-ASCII name, small image files written with the
// libraries directly (never through the code under test), a minimal GIF writer, and an image comparison that
// reports the first bad pixel and saves both images.
#pragma once

#include "resources/PixelAllocator.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zest
{
class MemoryImage;
}

namespace imagetest
{

using Bytes = std::vector<uint8_t>;
using Pixels = std::vector<uint32_t>;

// A fresh folder under the test temp dir, removed with everything in it at the end of the test.
class ScratchFolder
{
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // The path of name inside the folder (name may hold "/" for subfolders, which are created).
    std::string Path(const std::string& name) const;
    // Writes the bytes to name and answers its path.
    std::string Write(const std::string& name, const Bytes& bytes) const;

private:
    std::filesystem::path root;
};

// What a decoder gave: its answer, the size it asked for, how often it asked, and the pixels (0xDEADBEEF where
// it wrote nothing).
struct Decoded
{
    bool ok = false;
    int width = 0;
    int height = 0;
    int allocations = 0;
    Pixels pixels;
};

using DecoderFunction = bool (*)(const uint8_t* data, size_t size, const zest::PixelAllocator& allocate);
Decoded DecodeWith(DecoderFunction decode, const Bytes& bytes);

Bytes ReadFileBytes(const std::string& path);

// A PNG made with libpng: rows are the raw sample bytes of each row (without filter byte).
struct PngSpec
{
    int width = 1;
    int height = 1;
    int bitDepth = 8;
    int colorType = 0; // PNG_COLOR_TYPE_*
    bool interlaced = false;
    std::vector<uint32_t> palette;     // 0xRRGGBB entries for palette images
    std::vector<uint8_t> paletteAlpha; // tRNS for palette images
    int transparentGrey = -1;          // tRNS for grey images
    std::vector<Bytes> rows;
};
Bytes MakePng(const PngSpec& spec);

// A JPEG made with libjpeg from 0xAARRGGBB pixels. Grey uses the blue channel; CMYK is written as Adobe does
// (inverted: 255 means no ink) with cyan, magenta, yellow from red, green, blue and black from alpha.
enum class JpegKind
{
    Rgb,
    Grey,
    Cmyk
};
Bytes MakeJpeg(const Pixels& pixels, int width, int height, JpegKind kind = JpegKind::Rgb, int quality = 95,
               bool progressive = false);

// A GIF whose image data is coded with literal codes only (a clear code before the table would widen the codes),
// which any conforming decoder reads. indices are in stream order (for interlaced images the pass order).
struct GifSpec
{
    int width = 1;
    int height = 1;
    std::vector<uint32_t> globalPalette; // 0xRRGGBB; size a power of two from 2 to 256, or empty for none
    std::vector<uint32_t> localPalette;  // the same rules
    int transparentIndex = -1;
    bool interlaced = false;
    int minCodeSize = 8;
    Bytes blocksBeforeImage; // raw extension blocks written before the graphic control extension
    Bytes indices;
    bool writeEndCode = true;
    // When not empty, written as they are (all minCodeSize + 1 bits wide) instead of the coded indices.
    std::vector<int> rawCodes;
};
Bytes MakeGif(const GifSpec& spec);

// A 32-bit Targa: 18-byte header, optional ID field, 0xAARRGGBB pixels stored as blue, green, red, alpha.
struct TargaSpec
{
    int width = 1;
    int height = 1;
    int bitsPerPixel = 32;
    int descriptor = 0x28;
    int imageType = 2;
    std::string id;
    Pixels pixels;
};
Bytes MakeTarga(const TargaSpec& spec);

// The image's pixels as a vector (empty for null).
Pixels PixelsOf(zest::MemoryImage* image);

// Compares exactly, or within tolerance per channel. On a mismatch: a failure naming the count and the first bad
// pixel, and both images saved as PNG under the test's output folder.
void ExpectImage(const Pixels& expected, int width, int height, zest::MemoryImage* actual, int tolerance = 0,
                 const std::string& label = "image");

} // namespace imagetest
