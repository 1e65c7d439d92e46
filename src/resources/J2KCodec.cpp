#include "resources/J2KCodec.h"

// Left out with JPEG 2000 (-DZEST_JPEG2000=OFF); nothing else calls it.
#ifndef ZEST_NO_JPEG2000

#include <openjpeg.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace zest
{

struct J2K_Handle
{
    J2K_Callbacks callbacks{};
    void* userData = nullptr;
    std::FILE* file = nullptr; // set by J2K_OpenFile, read through the stdio callbacks below
    opj_stream_t* stream = nullptr;
    opj_codec_t* codec = nullptr;
    opj_image_t* image = nullptr;
    std::string message; // the decoder's last error text
    bool decoded = false;
};

namespace
{

thread_local int lastError = J2K_OK;
thread_local std::string lastMessage;
thread_local std::string errorText;

int Fail(int code, const J2K_Handle* handle = nullptr)
{
    lastError = code;
    lastMessage = handle != nullptr ? handle->message : std::string();
    return code;
}

int Succeed()
{
    lastError = J2K_OK;
    lastMessage.clear();
    return J2K_OK;
}

void OnDecoderError(const char* text, void* clientData)
{
    auto* handle = static_cast<J2K_Handle*>(clientData);
    handle->message = text != nullptr ? text : "";
    while (!handle->message.empty() && (handle->message.back() == '\n' || handle->message.back() == '\r'))
        handle->message.pop_back();
}

void IgnoreMessage(const char*, void*) {}

// OpenJPEG's stream functions over the handle's callbacks. Reads larger than an int go in pieces.
OPJ_SIZE_T StreamRead(void* buffer, OPJ_SIZE_T bytes, void* userData)
{
    auto* handle = static_cast<J2K_Handle*>(userData);
    OPJ_SIZE_T done = 0;
    while (done < bytes)
    {
        int piece = static_cast<int>(std::min<OPJ_SIZE_T>(bytes - done, 1 << 30));
        int got = handle->callbacks.read(static_cast<uint8_t*>(buffer) + done, piece, handle->userData);
        if (got <= 0)
            break;
        done += static_cast<OPJ_SIZE_T>(got);
        if (got < piece)
            break;
    }
    return done == 0 ? static_cast<OPJ_SIZE_T>(-1) : done;
}

OPJ_OFF_T StreamSkip(OPJ_OFF_T bytes, void* userData)
{
    auto* handle = static_cast<J2K_Handle*>(userData);
    int64_t before = handle->callbacks.seek(0, 1, handle->userData);
    if (before < 0 || handle->callbacks.seek(bytes, 1, handle->userData) < 0)
        return -1;
    return bytes;
}

OPJ_BOOL StreamSeek(OPJ_OFF_T position, void* userData)
{
    auto* handle = static_cast<J2K_Handle*>(userData);
    return handle->callbacks.seek(position, 0, handle->userData) == position ? OPJ_TRUE : OPJ_FALSE;
}

// The stdio callbacks behind J2K_OpenFile.
int FileRead(void* buffer, int size, void* userData)
{
    return static_cast<int>(std::fread(buffer, 1, static_cast<size_t>(size), static_cast<std::FILE*>(userData)));
}

int64_t FileSeek(int64_t offset, int origin, void* userData)
{
    auto* file = static_cast<std::FILE*>(userData);
    int whence = origin == 0 ? SEEK_SET : origin == 1 ? SEEK_CUR : SEEK_END;
    if (fseeko(file, static_cast<off_t>(offset), whence) != 0)
        return -1;
    return static_cast<int64_t>(ftello(file));
}

void Destroy(J2K_Handle* handle)
{
    if (handle->image != nullptr)
        opj_image_destroy(handle->image);
    if (handle->codec != nullptr)
        opj_destroy_codec(handle->codec);
    if (handle->stream != nullptr)
        opj_stream_destroy(handle->stream);
    if (handle->file != nullptr)
        std::fclose(handle->file);
    delete handle;
}

// OpenJPEG sets aside a tile record per tile and component while it reads the header, before any image data:
// a header of a few dozen bytes can ask for hundreds of megabytes that way. Tile grids past this many
// tile-components (a 4096 x 4096 RGBA image in 128 x 128 tiles is 4096) are refused before it sees them.
constexpr uint64_t MaxTileComponents = 16384;

uint32_t BigEndian32(const uint8_t* bytes)
{
    return (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) | (uint32_t{bytes[2]} << 8) | bytes[3];
}

// Where the codestream starts: 0 for a bare codestream, the payload of the 'jp2c' box in a JP2 file; -1 if the
// boxes end first.
int64_t CodestreamOffset(J2K_Handle* handle, OPJ_CODEC_FORMAT format, int64_t length)
{
    if (format == OPJ_CODEC_J2K)
        return 0;
    int64_t position = 0;
    for (int box = 0; box < 256 && position + 8 <= length; ++box)
    {
        uint8_t header[16];
        if (handle->callbacks.seek(position, 0, handle->userData) != position ||
            handle->callbacks.read(header, 8, handle->userData) != 8)
            return -1;
        uint64_t size = BigEndian32(header);
        int64_t payload = position + 8;
        if (size == 1) // a 64-bit length follows the type
        {
            if (handle->callbacks.read(header + 8, 8, handle->userData) != 8)
                return -1;
            size = (uint64_t{BigEndian32(header + 8)} << 32) | BigEndian32(header + 12);
            payload += 8;
        }
        if (std::memcmp(header + 4, "jp2c", 4) == 0)
            return payload;
        if (size == 0 || size < static_cast<uint64_t>(payload - position) ||
            size > static_cast<uint64_t>(length - position))
            return -1;
        position += static_cast<int64_t>(size);
    }
    return -1;
}

// False (with the handle's message set) when the codestream's SIZ marker asks for more tile-components than
// MaxTileComponents. A SIZ that cannot be read here is left to OpenJPEG to refuse.
bool TileGridWithinLimit(J2K_Handle* handle, OPJ_CODEC_FORMAT format, int64_t length)
{
    int64_t start = CodestreamOffset(handle, format, length);
    uint8_t siz[42];
    if (start < 0 || handle->callbacks.seek(start, 0, handle->userData) != start ||
        handle->callbacks.read(siz, sizeof(siz), handle->userData) != static_cast<int>(sizeof(siz)) ||
        siz[0] != 0xFF || siz[1] != 0x4F || siz[2] != 0xFF || siz[3] != 0x51)
        return true;
    uint64_t width = BigEndian32(siz + 8), height = BigEndian32(siz + 12);
    uint64_t tileWidth = BigEndian32(siz + 24), tileHeight = BigEndian32(siz + 28);
    uint64_t tileLeft = BigEndian32(siz + 32), tileTop = BigEndian32(siz + 36);
    uint64_t components = (uint64_t{siz[40]} << 8) | siz[41];
    if (tileWidth == 0 || tileHeight == 0 || tileLeft >= width || tileTop >= height)
        return true;
    uint64_t across = (width - tileLeft + tileWidth - 1) / tileWidth;
    uint64_t down = (height - tileTop + tileHeight - 1) / tileHeight;
    if (across * down * std::max<uint64_t>(components, 1) <= MaxTileComponents)
        return true;
    handle->message = "too many tiles: " + std::to_string(across * down) + " tiles of " +
                      std::to_string(components) + " components (at most " + std::to_string(MaxTileComponents) +
                      " tile-components)";
    return false;
}

// Opens the stream and reads the header; takes ownership of handle and destroys it on failure.
J2K_Handle* Open(J2K_Handle* handle)
{
    // The first bytes tell a JP2 file (a signature box) from a bare codestream (SOC then SIZ markers).
    static constexpr uint8_t Jp2Signature[12] = {0, 0, 0, 0x0C, 'j', 'P', ' ', ' ', 0x0D, 0x0A, 0x87, 0x0A};
    static constexpr uint8_t CodestreamStart[4] = {0xFF, 0x4F, 0xFF, 0x51};
    uint8_t head[12] = {};
    int got = handle->callbacks.read(head, sizeof(head), handle->userData);
    OPJ_CODEC_FORMAT format;
    if (got == 12 && std::memcmp(head, Jp2Signature, 12) == 0)
        format = OPJ_CODEC_JP2;
    else if (got >= 4 && std::memcmp(head, CodestreamStart, 4) == 0)
        format = OPJ_CODEC_J2K;
    else
    {
        Fail(J2K_ERR_FORMAT);
        Destroy(handle);
        return nullptr;
    }
    int64_t length = handle->callbacks.seek(0, 2, handle->userData);
    if (length < 0)
    {
        Fail(J2K_ERR_IO);
        Destroy(handle);
        return nullptr;
    }
    if (!TileGridWithinLimit(handle, format, length))
    {
        Fail(J2K_ERR_HEADER, handle);
        Destroy(handle);
        return nullptr;
    }
    if (handle->callbacks.seek(0, 0, handle->userData) != 0)
    {
        Fail(J2K_ERR_IO);
        Destroy(handle);
        return nullptr;
    }

    handle->stream = opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_TRUE);
    handle->codec = opj_create_decompress(format);
    if (handle->stream == nullptr || handle->codec == nullptr)
    {
        Fail(J2K_ERR_IO);
        Destroy(handle);
        return nullptr;
    }
    opj_stream_set_user_data(handle->stream, handle, nullptr);
    opj_stream_set_user_data_length(handle->stream, static_cast<OPJ_UINT64>(length));
    opj_stream_set_read_function(handle->stream, StreamRead);
    opj_stream_set_skip_function(handle->stream, StreamSkip);
    opj_stream_set_seek_function(handle->stream, StreamSeek);
    opj_set_error_handler(handle->codec, OnDecoderError, handle);
    opj_set_warning_handler(handle->codec, IgnoreMessage, nullptr);
    opj_set_info_handler(handle->codec, IgnoreMessage, nullptr);

    opj_dparameters_t parameters;
    opj_set_default_decoder_parameters(&parameters);
    if (!opj_setup_decoder(handle->codec, &parameters) ||
        !opj_read_header(handle->stream, handle->codec, &handle->image) || handle->image == nullptr ||
        handle->image->numcomps == 0 || handle->image->x1 <= handle->image->x0 ||
        handle->image->y1 <= handle->image->y0)
    {
        Fail(J2K_ERR_HEADER, handle);
        Destroy(handle);
        return nullptr;
    }
    Succeed();
    return handle;
}

// One component sample scaled to 0..255.
int Sample8(const opj_image_comp_t& comp, int32_t sample)
{
    int precision = static_cast<int>(comp.prec);
    int64_t value = sample;
    if (comp.sgnd)
        value += int64_t{1} << (precision - 1);
    if (precision > 8)
        value >>= precision - 8;
    else if (precision < 8)
        value = value * 255 / ((int64_t{1} << precision) - 1);
    return static_cast<int>(std::clamp<int64_t>(value, 0, 255));
}

bool ParseOptions(const char* options, int& bytesPerPixel, int& resolution)
{
    bytesPerPixel = 4;
    resolution = 0;
    if (options == nullptr)
        return true;
    std::string text(options);
    size_t start = 0;
    while (start <= text.size())
    {
        size_t end = text.find(',', start);
        if (end == std::string::npos)
            end = text.size();
        std::string item = text.substr(start, end - start);
        if (!item.empty())
        {
            size_t equals = item.find('=');
            if (equals == std::string::npos)
                return false;
            std::string key = item.substr(0, equals);
            char* after = nullptr;
            long value = std::strtol(item.c_str() + equals + 1, &after, 10);
            if (after == item.c_str() + equals + 1 || *after != '\0')
                return false;
            if (key == "bpp" && (value == 3 || value == 4))
                bytesPerPixel = static_cast<int>(value);
            else if (key == "rl" && value >= 0 && value < 32)
                resolution = static_cast<int>(value);
            else
                return false;
        }
        start = end + 1;
    }
    return true;
}

} // namespace

int J2K_getVersion()
{
    int major = 0, minor = 0, patch = 0;
    std::sscanf(opj_version(), "%d.%d.%d", &major, &minor, &patch);
    return major * 10000 + minor * 100 + patch;
}

J2K_Handle* J2K_OpenCustom(const J2K_Callbacks* callbacks, void* userData)
{
    if (callbacks == nullptr || callbacks->read == nullptr || callbacks->seek == nullptr)
    {
        Fail(J2K_ERR_ARGUMENT);
        return nullptr;
    }
    auto* handle = new J2K_Handle;
    handle->callbacks = *callbacks;
    handle->userData = userData;
    return Open(handle);
}

J2K_Handle* J2K_OpenFile(const char* fileName)
{
    std::FILE* file = fileName != nullptr ? std::fopen(fileName, "rb") : nullptr;
    if (file == nullptr)
    {
        Fail(J2K_ERR_IO);
        return nullptr;
    }
    auto* handle = new J2K_Handle;
    handle->file = file;
    handle->callbacks = J2K_Callbacks{FileRead, FileSeek};
    handle->userData = file;
    return Open(handle);
}

void J2K_Close(J2K_Handle* handle)
{
    if (handle != nullptr)
        Destroy(handle);
}

int J2K_GetInfo(J2K_Handle* handle, int* width, int* height, int* components)
{
    if (handle == nullptr)
        return Fail(J2K_ERR_ARGUMENT);
    const opj_image_t* image = handle->image;
    if (width != nullptr)
        *width = static_cast<int>(image->x1 - image->x0);
    if (height != nullptr)
        *height = static_cast<int>(image->y1 - image->y0);
    if (components != nullptr)
        *components = static_cast<int>(image->numcomps);
    return Succeed();
}

int J2K_GetResolutionDimensions(J2K_Handle* handle, int resolution, int* width, int* height)
{
    if (handle == nullptr || resolution < 0 || resolution > 31)
        return Fail(J2K_ERR_ARGUMENT);
    const opj_image_t* image = handle->image;
    // Each level halves the reference grid, rounding the edges up as the codestream does.
    uint64_t scale = uint64_t{1} << resolution;
    auto reduce = [&](uint32_t from, uint32_t to)
    { return static_cast<int>((to + scale - 1) / scale - (from + scale - 1) / scale); };
    if (width != nullptr)
        *width = reduce(image->x0, image->x1);
    if (height != nullptr)
        *height = reduce(image->y0, image->y1);
    return Succeed();
}

int J2K_Decode(J2K_Handle* handle, uint8_t* buffer, int bufferSize, const char* options, int pitch)
{
    int bytesPerPixel = 4;
    int resolution = 0;
    if (handle == nullptr || buffer == nullptr || handle->decoded || !ParseOptions(options, bytesPerPixel, resolution))
        return Fail(J2K_ERR_ARGUMENT);
    int width = 0, height = 0;
    (void)J2K_GetResolutionDimensions(handle, resolution, &width, &height);
    if (width <= 0 || height <= 0 || pitch < width * bytesPerPixel ||
        static_cast<int64_t>(bufferSize) < static_cast<int64_t>(pitch) * (height - 1) + width * bytesPerPixel)
        return Fail(J2K_ERR_ARGUMENT);

    handle->decoded = true;
    opj_image_t* image = handle->image;
    if ((resolution > 0 && !opj_set_decoded_resolution_factor(handle->codec, static_cast<OPJ_UINT32>(resolution))) ||
        !opj_decode(handle->codec, handle->stream, image) || !opj_end_decompress(handle->codec, handle->stream))
        return Fail(J2K_ERR_DECODE, handle);

    int count = static_cast<int>(image->numcomps);
    for (int c = 0; c < count; c++)
    {
        const opj_image_comp_t& comp = image->comps[c];
        if (comp.data == nullptr || comp.w == 0 || comp.h == 0 || comp.prec < 1 || comp.prec > 31)
            return Fail(J2K_ERR_UNSUPPORTED);
    }
    // Grey, grey + alpha, colour, colour + alpha; further components are ignored.
    bool colour = count >= 3;
    int alphaComponent = count == 2 ? 1 : count >= 4 ? 3 : -1;
    bool ycc = colour && image->color_space == OPJ_CLRSPC_SYCC;

    auto sampleAt = [&](int c, int x, int y)
    {
        // Components may be subsampled; pick the nearest sample of each one.
        const opj_image_comp_t& comp = image->comps[c];
        int cx = static_cast<int>(static_cast<int64_t>(x) * comp.w / width);
        int cy = static_cast<int>(static_cast<int64_t>(y) * comp.h / height);
        return Sample8(comp, comp.data[static_cast<size_t>(cy) * comp.w + static_cast<size_t>(cx)]);
    };

    for (int y = 0; y < height; y++)
    {
        uint8_t* row = buffer + static_cast<size_t>(y) * static_cast<size_t>(pitch);
        for (int x = 0; x < width; x++)
        {
            int r = sampleAt(0, x, y);
            int g = r;
            int b = r;
            if (colour)
            {
                g = sampleAt(1, x, y);
                b = sampleAt(2, x, y);
                if (ycc)
                {
                    // Y'CbCr to R'G'B' (ITU-R BT.601 full range).
                    double luma = r, cb = g - 128.0, cr = b - 128.0;
                    r = std::clamp(static_cast<int>(std::lround(luma + 1.402 * cr)), 0, 255);
                    g = std::clamp(static_cast<int>(std::lround(luma - 0.344136 * cb - 0.714136 * cr)), 0, 255);
                    b = std::clamp(static_cast<int>(std::lround(luma + 1.772 * cb)), 0, 255);
                }
            }
            int a = alphaComponent >= 0 ? sampleAt(alphaComponent, x, y) : 255;
            uint8_t* out = row + static_cast<size_t>(x) * static_cast<size_t>(bytesPerPixel);
            out[0] = static_cast<uint8_t>(b);
            out[1] = static_cast<uint8_t>(g);
            out[2] = static_cast<uint8_t>(r);
            if (bytesPerPixel == 4)
                out[3] = static_cast<uint8_t>(a);
        }
    }
    return Succeed();
}

int J2K_getLastError()
{
    return lastError;
}

const char* J2K_getErrorStr(int code)
{
    switch (code)
    {
    case J2K_OK:
        errorText = "No error";
        break;
    case J2K_ERR_ARGUMENT:
        errorText = "Invalid argument";
        break;
    case J2K_ERR_FORMAT:
        errorText = "Not a JPEG 2000 file";
        break;
    case J2K_ERR_HEADER:
        errorText = "Cannot read the JPEG 2000 header";
        break;
    case J2K_ERR_DECODE:
        errorText = "Cannot decode the JPEG 2000 data";
        break;
    case J2K_ERR_UNSUPPORTED:
        errorText = "Unsupported JPEG 2000 component layout";
        break;
    case J2K_ERR_IO:
        errorText = "Cannot open or read the file";
        break;
    default:
        errorText = "Unknown error";
        break;
    }
    if (code == lastError && code != J2K_OK && !lastMessage.empty())
        errorText += ": " + lastMessage;
    return errorText.c_str();
}

} // namespace zest

#endif
