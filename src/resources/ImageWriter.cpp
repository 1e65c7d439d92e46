#include "resources/ImageWriter.h"

#include "files/DiskFile.h"
#include "graphics/MemoryImage.h"
#include "platform/Log.h"

#include <bit>
#include <csetjmp>
#include <cstdio>
#include <filesystem>

#ifndef ZEST_NO_JPEG
#include <jpeglib.h>
#endif
#include <png.h>

namespace zest
{

namespace
{

// PNG rows are handed over as the pixels' own bytes: blue, green, red, alpha on this byte order.
static_assert(std::endian::native == std::endian::little, "image rows assume a little-endian machine");

#ifndef ZEST_NO_JPEG
constexpr int JpegQuality = 80;
#endif

// Closes the file and keeps it only when everything before succeeded and the close did too. A half-written
// regular file is removed; anything else (a device, a pipe) is left alone.
bool Finish(std::FILE* file, bool written, const std::string& name)
{
    bool flushed = std::fflush(file) == 0 && !std::ferror(file);
    bool closed = std::fclose(file) == 0;
    if (written && flushed && closed)
        return true;
    std::error_code ignored;
    if (std::filesystem::is_regular_file(name, ignored))
        std::filesystem::remove(name, ignored);
    return false;
}

// State kept outside the frames that call setjmp, so nothing with a destructor is skipped by the libraries'
// longjmp and nothing read after it was held in a register.
struct PngWriteContext
{
    png_structp png;
    png_infop info;
};

[[noreturn]] void OnPngError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

bool WritePngRows(PngWriteContext* context, std::FILE* file, const uint32_t* pixels, int width, int height)
{
    context->png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning);
    if (context->png == nullptr)
        return false;
    context->info = png_create_info_struct(context->png);
    if (context->info == nullptr)
    {
        png_destroy_write_struct(&context->png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(context->png)))
    {
        png_destroy_write_struct(&context->png, &context->info);
        return false;
    }
    png_structp png = context->png;
    png_infop info = context->info;
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_color_8 significant{};
    significant.red = 8;
    significant.green = 8;
    significant.blue = 8;
    significant.alpha = 8;
    png_set_sBIT(png, info, &significant);
    png_write_info(png, info);
    png_set_bgr(png);
    for (int y = 0; y < height; y++)
        png_write_row(png, reinterpret_cast<png_const_bytep>(pixels + static_cast<size_t>(y) * width));
    png_write_end(png, info);
    png_destroy_write_struct(&context->png, &context->info);
    return true;
}

#ifndef ZEST_NO_JPEG
struct JpegErrorManager
{
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

struct JpegWriteContext
{
    jpeg_compress_struct info;
    JpegErrorManager error;
};

[[noreturn]] void OnJpegError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<JpegErrorManager*>(info->err)->jump, 1);
}

void IgnoreJpegMessage(j_common_ptr) {}

bool WriteJpegRows(JpegWriteContext* context, std::FILE* file, const uint32_t* pixels, int width, int height)
{
    jpeg_compress_struct* info = &context->info;
    info->err = jpeg_std_error(&context->error.pub);
    context->error.pub.error_exit = OnJpegError;
    context->error.pub.output_message = IgnoreJpegMessage;
    if (setjmp(context->error.jump))
    {
        jpeg_destroy_compress(info);
        return false;
    }
    jpeg_create_compress(info);
    jpeg_stdio_dest(info, file);
    info->image_width = static_cast<JDIMENSION>(width);
    info->image_height = static_cast<JDIMENSION>(height);
    info->input_components = 3;
    info->in_color_space = JCS_RGB;
    jpeg_set_defaults(info);
    jpeg_set_quality(info, JpegQuality, TRUE);
    jpeg_start_compress(info, TRUE);
    // The row buffer comes from the library's pool, which jpeg_destroy_compress frees on every path.
    JSAMPARRAY row = (*info->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(info), JPOOL_IMAGE,
                                                static_cast<JDIMENSION>(width * 3), 1);
    while (info->next_scanline < info->image_height)
    {
        const uint32_t* in = pixels + static_cast<size_t>(info->next_scanline) * width;
        JSAMPLE* out = row[0];
        for (int x = 0; x < width; x++, out += 3)
        {
            out[0] = static_cast<JSAMPLE>(in[x] >> 16);
            out[1] = static_cast<JSAMPLE>(in[x] >> 8);
            out[2] = static_cast<JSAMPLE>(in[x]);
        }
        jpeg_write_scanlines(info, row, 1);
    }
    jpeg_finish_compress(info);
    jpeg_destroy_compress(info);
    return true;
}
#endif

// Opens the disk file, lets writeRows fill it and finishes it (see Finish); false for an image
// without pixels or a file that cannot be written.
template <class WriteRows> bool WriteImageFile(const std::string& fileName, MemoryImage& image, WriteRows writeRows)
{
    int width = image.GetWidth();
    int height = image.GetHeight();
    const uint32_t* pixels = width > 0 && height > 0 ? image.GetBits() : nullptr;
    if (pixels == nullptr)
        return false;
    std::string name = DiskPath(fileName);
    std::FILE* file = std::fopen(name.c_str(), "wb");
    if (file == nullptr)
        return false;
    bool written = writeRows(file, pixels, width, height);
    return Finish(file, written, name);
}

} // namespace

bool WritePng(const std::string& fileName, MemoryImage& image)
{
    return WriteImageFile(fileName, image, [](std::FILE* file, const uint32_t* pixels, int width, int height) {
        PngWriteContext context{};
        return WritePngRows(&context, file, pixels, width, height);
    });
}

bool WriteJpeg(const std::string& fileName, MemoryImage& image)
{
#ifdef ZEST_NO_JPEG
    // Left out of this build (-DZEST_JPEG=OFF).
    (void)fileName;
    (void)image;
    Log(LogLevel::Error, "JPEG images are not supported in this build");
    return false;
#else
    return WriteImageFile(fileName, image, [](std::FILE* file, const uint32_t* pixels, int width, int height) {
        JpegWriteContext context{};
        return WriteJpegRows(&context, file, pixels, width, height);
    });
#endif
}

} // namespace zest
