#include "resources/JpegDecoder.h"

#ifdef ZEST_NO_JPEG

#include "platform/Log.h"

namespace zest
{

// Left out of this build (-DZEST_JPEG=OFF).
bool DecodeJpeg(PFILE*, const PixelAllocator&, bool)
{
    Log(LogLevel::Error, "JPEG images are not supported in this build");
    return false;
}

} // namespace zest

#else

#include "files/PakFile.h"

#include <bit>
#include <csetjmp>
#include <cstdio>

#include <jerror.h>
#include <jpeglib.h>

namespace zest
{

namespace
{

// The library's blue, green, red, alpha output is a 0xAARRGGBB word on this byte order only.
static_assert(std::endian::native == std::endian::little, "image rows assume a little-endian machine");

constexpr size_t SourceBufferSize = 4096;
// A progressive file may repeat scans without end; real files use a dozen or so.
constexpr int MaxScans = 500;
// libjpeg keeps whole coefficient planes for progressive files; this is far above any game image.
constexpr long MaxDecoderMemory = 512L * 1024 * 1024;

struct JpegErrorManager
{
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

// Reads the file 4096 bytes at a time through the archive functions.
struct JpegSource
{
    jpeg_source_mgr pub;
    PFILE* file;
    bool startOfFile;
    JOCTET buffer[SourceBufferSize];
};

// Everything the decode needs lives here, outside the frame that calls setjmp, so nothing with a destructor is
// skipped by the library's longjmp and nothing read after it was held in a register.
struct JpegContext
{
    jpeg_decompress_struct info;
    JpegErrorManager error;
    JpegSource source;
    jpeg_progress_mgr progress;
    long fileSize;
    bool referencePath;
};

[[noreturn]] void OnError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<JpegErrorManager*>(info->err)->jump, 1);
}

// Failures are reported by the load's result; library messages are not printed.
void IgnoreMessage(j_common_ptr) {}

void OnProgress(j_common_ptr common)
{
    auto* info = reinterpret_cast<j_decompress_ptr>(common);
    if (info->input_scan_number > MaxScans)
        ERREXIT(info, JERR_NOTIMPL);
}

void InitSource(j_decompress_ptr info)
{
    reinterpret_cast<JpegSource*>(info->src)->startOfFile = true;
}

boolean FillInputBuffer(j_decompress_ptr info)
{
    auto* source = reinterpret_cast<JpegSource*>(info->src);
    size_t count = p_fread(source->buffer, 1, SourceBufferSize, source->file);
    if (count == 0)
    {
        if (source->startOfFile)
            ERREXIT(info, JERR_INPUT_EMPTY);
        // The file ended early: hand the library an end-of-image marker so it finishes with what it has.
        WARNMS(info, JWRN_JPEG_EOF);
        source->buffer[0] = 0xFF;
        source->buffer[1] = JPEG_EOI;
        count = 2;
    }
    source->pub.next_input_byte = source->buffer;
    source->pub.bytes_in_buffer = count;
    source->startOfFile = false;
    return TRUE;
}

void SkipInputData(j_decompress_ptr info, long count)
{
    auto* source = reinterpret_cast<JpegSource*>(info->src);
    if (count <= 0)
        return;
    while (count > static_cast<long>(source->pub.bytes_in_buffer))
    {
        count -= static_cast<long>(source->pub.bytes_in_buffer);
        FillInputBuffer(info);
    }
    source->pub.next_input_byte += count;
    source->pub.bytes_in_buffer -= static_cast<size_t>(count);
}

void TermSource(j_decompress_ptr) {}

// Whether the file's bytes can code this many pixels. With Huffman coding every 8 x 8 block of the
// fullest-sampled component costs at least one bit in its DC scan, so a file codes at most 512 pixels a byte.
// Arithmetic coding has no such floor; only the side limit applies to it.
bool FileCanHold(const jpeg_decompress_struct& info, long fileSize)
{
    if (info.arith_code)
        return true;
    uint64_t pixels = static_cast<uint64_t>(info.image_width) * info.image_height;
    return pixels <= static_cast<uint64_t>(fileSize) * 512;
}

void StoreRow(const JSAMPLE* in, int components, uint32_t* out, int width)
{
    switch (components)
    {
    case 1:
        for (int x = 0; x < width; x++)
            out[x] = 0xFF000000u + static_cast<uint32_t>(in[x]) * 0x010101u;
        break;
    case 3:
        for (int x = 0; x < width; x++, in += 3)
            out[x] = 0xFF000000u | (static_cast<uint32_t>(in[0]) << 16) | (static_cast<uint32_t>(in[1]) << 8) | in[2];
        break;
    default:
        // Adobe writes CMYK inverted (255 means no ink), so each channel is simply the product with K / 255.
        for (int x = 0; x < width; x++, in += 4)
        {
            uint32_t k = in[3];
            uint32_t r = (in[0] * k + 127) / 255;
            uint32_t g = (in[1] * k + 127) / 255;
            uint32_t b = (in[2] * k + 127) / 255;
            out[x] = 0xFF000000u | (r << 16) | (g << 8) | b;
        }
        break;
    }
}

// The frame that owns the setjmp: plain data only, everything else through context.
bool Decode(JpegContext* context, PFILE* file, const PixelAllocator* allocate)
{
    jpeg_decompress_struct* info = &context->info;
    info->err = jpeg_std_error(&context->error.pub);
    context->error.pub.error_exit = OnError;
    context->error.pub.output_message = IgnoreMessage;
    if (setjmp(context->error.jump))
    {
        jpeg_destroy_decompress(info);
        return false;
    }
    jpeg_create_decompress(info);
    info->mem->max_memory_to_use = MaxDecoderMemory;
    context->progress.progress_monitor = OnProgress;
    info->progress = &context->progress;

    JpegSource* source = &context->source;
    source->file = file;
    source->pub.init_source = InitSource;
    source->pub.fill_input_buffer = FillInputBuffer;
    source->pub.skip_input_data = SkipInputData;
    source->pub.resync_to_restart = jpeg_resync_to_restart;
    source->pub.term_source = TermSource;
    source->pub.bytes_in_buffer = 0;
    source->pub.next_input_byte = nullptr;
    info->src = &source->pub;

    jpeg_read_header(info, TRUE);
    if (!ImageSizeAllowed(info->image_width, info->image_height) || !FileCanHold(*info, context->fileSize))
    {
        jpeg_destroy_decompress(info);
        return false;
    }
    if (info->jpeg_color_space == JCS_GRAYSCALE)
        info->out_color_space = JCS_GRAYSCALE;
    else if (info->jpeg_color_space == JCS_CMYK || info->jpeg_color_space == JCS_YCCK)
        info->out_color_space = JCS_CMYK;
    else
        info->out_color_space = JCS_RGB;
#ifdef JCS_EXTENSIONS
    // libjpeg-turbo writes 32-bit pixels itself (alpha FF), so colour rows need no pass of ours.
    bool direct = info->out_color_space == JCS_RGB && !context->referencePath;
    if (direct)
        info->out_color_space = JCS_EXT_BGRA;
#else
    bool direct = false;
#endif
    jpeg_start_decompress(info);

    int width = static_cast<int>(info->output_width);
    int height = static_cast<int>(info->output_height);
    int components = info->output_components;
    uint32_t* pixels = nullptr;
    if (components == 1 || components == 3 || components == 4)
        pixels = (*allocate)(width, height);
    if (pixels == nullptr)
    {
        jpeg_destroy_decompress(info);
        return false;
    }
    if (direct)
    {
        while (info->output_scanline < info->output_height)
        {
            JSAMPROW row = reinterpret_cast<JSAMPROW>(pixels + static_cast<size_t>(info->output_scanline) * width);
            if (jpeg_read_scanlines(info, &row, 1) != 1)
                break;
        }
        jpeg_finish_decompress(info);
        jpeg_destroy_decompress(info);
        return true;
    }
    JSAMPARRAY row = (*info->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(info), JPOOL_IMAGE,
                                                static_cast<JDIMENSION>(width * components), 1);
    while (info->output_scanline < info->output_height)
    {
        size_t y = info->output_scanline;
        if (jpeg_read_scanlines(info, row, 1) != 1)
            break; // the source never suspends, so this does not happen
        StoreRow(row[0], components, pixels + y * static_cast<size_t>(width), width);
    }
    jpeg_finish_decompress(info);
    jpeg_destroy_decompress(info);
    return true;
}

} // namespace

bool DecodeJpeg(PFILE* file, const PixelAllocator& allocate, bool referencePath)
{
    if (file == nullptr)
        return false;
    // The size bound needs the file's length; the decode then starts where the caller left the file.
    long start = p_ftell(file);
    if (start < 0 || p_fseek(file, 0, SEEK_END) != 0)
        return false;
    long end = p_ftell(file);
    if (end < start || p_fseek(file, start, SEEK_SET) != 0)
        return false;

    JpegContext context{};
    context.fileSize = end - start;
    context.referencePath = referencePath;
    return Decode(&context, file, &allocate);
}

} // namespace zest
#endif
