#include "resources/PngDecoder.h"

#include "files/PakFile.h"

#include <bit>
#include <csetjmp>
#include <cstdio>

#include <png.h>

namespace zest
{

namespace
{

// The rows are written as blue, green, red, alpha bytes, which is a 0xAARRGGBB word on this byte order only.
static_assert(std::endian::native == std::endian::little, "image rows assume a little-endian machine");

// Deflate codes at most 1032 bytes per compressed byte; allow a little for headers of very small files.
constexpr uint64_t MaxDeflateRatio = 1032;
constexpr uint64_t SmallFileAllowance = 4096;

// Kept outside the frame that calls setjmp, so what the error path reads was never held in a register.
struct PngContext
{
    png_structp png;
    png_infop info;
    long fileSize;
};

void ReadData(png_structp png, png_bytep data, png_size_t length)
{
    auto* file = static_cast<PFILE*>(png_get_io_ptr(png));
    if (p_fread(data, 1, length, file) != length)
        png_error(png, "Read Error");
}

[[noreturn]] void OnError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

// Failures are reported by the load's result; library warnings are not printed.
void OnWarning(png_structp, png_const_charp) {}

// Whether the file's bytes could hold this image's filtered rows.
bool FileCanHold(png_uint_32 width, png_uint_32 height, int bitDepth, int colorType, long fileSize)
{
    int channels = colorType == PNG_COLOR_TYPE_RGB_ALPHA ? 4
                   : colorType == PNG_COLOR_TYPE_RGB     ? 3
                   : colorType == PNG_COLOR_TYPE_GA      ? 2
                                                         : 1;
    uint64_t rowBytes = (static_cast<uint64_t>(width) * static_cast<uint64_t>(channels * bitDepth) + 7) / 8;
    uint64_t rawBytes = static_cast<uint64_t>(height) * (rowBytes + 1);
    return rawBytes <= static_cast<uint64_t>(fileSize) * MaxDeflateRatio + SmallFileAllowance;
}

// The frame that owns the setjmp: plain data only, everything else through context.
bool Decode(PngContext* context, PFILE* file, const PixelAllocator* allocate)
{
    context->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
    if (context->png == nullptr)
        return false;
    context->info = png_create_info_struct(context->png);
    if (context->info == nullptr)
    {
        png_destroy_read_struct(&context->png, nullptr, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(context->png)))
    {
        png_destroy_read_struct(&context->png, &context->info, nullptr);
        return false;
    }
    png_structp png = context->png;
    png_infop info = context->info;
    png_set_read_fn(png, file, ReadData);
    png_set_user_limits(png, MaxImageSide, MaxImageSide);
    png_read_info(png, info);

    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int colorType = 0;
    png_get_IHDR(png, info, &width, &height, &bitDepth, &colorType, nullptr, nullptr, nullptr);
    if (!ImageSizeAllowed(width, height) || !FileCanHold(width, height, bitDepth, colorType, context->fileSize))
        png_error(png, "Image too large");

    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_bgr(png);
    int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != static_cast<size_t>(width) * 4)
        png_error(png, "Unexpected row size");

    uint32_t* pixels = (*allocate)(static_cast<int>(width), static_cast<int>(height));
    if (pixels == nullptr)
        png_error(png, "No memory");
    // Each pass of an interlaced file fills in more pixels of the same rows.
    for (int pass = 0; pass < passes; pass++)
    {
        for (png_uint_32 y = 0; y < height; y++)
            png_read_row(png, reinterpret_cast<png_bytep>(pixels + static_cast<size_t>(y) * width), nullptr);
    }
    png_destroy_read_struct(&context->png, &context->info, nullptr);
    return true;
}

} // namespace

bool DecodePng(PFILE* file, const PixelAllocator& allocate)
{
    if (file == nullptr)
        return false;
    long start = p_ftell(file);
    if (start < 0 || p_fseek(file, 0, SEEK_END) != 0)
        return false;
    long end = p_ftell(file);
    if (end < start || p_fseek(file, start, SEEK_SET) != 0)
        return false;

    PngContext context{};
    context.fileSize = end - start;
    return Decode(&context, file, &allocate);
}

} // namespace zest
