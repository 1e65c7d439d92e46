#include "resources/ImageLoader.h"

#include "files/PakFile.h"
#include "graphics/MemoryImage.h"
#include "resources/GifDecoder.h"
#include "resources/Jpeg2000Decoder.h"
#include "resources/JpegDecoder.h"
#include "resources/PngDecoder.h"
#include "resources/TargaDecoder.h"

#include <cstdio>
#include <new>
#include <strings.h>
#include <vector>

namespace zest
{

namespace
{

thread_local uint32_t loadAlphaColor = 0xFFFFFF;

// The whole file in memory, for the decoders that parse from a buffer.
bool ReadWholeFile(PFILE* file, std::vector<uint8_t>& data)
{
    if (p_fseek(file, 0, SEEK_END) != 0)
        return false;
    long size = p_ftell(file);
    if (size < 0 || p_fseek(file, 0, SEEK_SET) != 0)
        return false;
    data.resize(static_cast<size_t>(size));
    return p_fread(data.data(), 1, data.size(), file) == data.size();
}

bool LoadTarga(PFILE* file, const PixelAllocator& allocate)
{
    std::vector<uint8_t> data;
    return ReadWholeFile(file, data) && DecodeTarga(data.data(), data.size(), allocate);
}

bool LoadGif(PFILE* file, const PixelAllocator& allocate)
{
    std::vector<uint8_t> data;
    return ReadWholeFile(file, data) && DecodeGif(data.data(), data.size(), allocate);
}

bool LoadJpeg(PFILE* file, const PixelAllocator& allocate)
{
    return DecodeJpeg(file, allocate);
}

struct ImageFormat
{
    const char* extension;
    bool (*decode)(PFILE* file, const PixelAllocator& allocate);
};

// The order matters: a name without an extension takes the first format whose file loads.
constexpr ImageFormat Formats[] = {
    {".tga", LoadTarga}, {".jpg", LoadJpeg},       {".png", DecodePng},
    {".gif", LoadGif},   {".j2k", DecodeJpeg2000}, {".jp2", DecodeJpeg2000},
};

// Splits at the last "." that lies after the last "/" or "\": base and extension (empty without such a dot).
void SplitExtension(const std::string& fileName, std::string& base, std::string& extension)
{
    size_t dot = fileName.rfind('.');
    size_t separator = fileName.find_last_of("/\\");
    if (dot == std::string::npos || (separator != std::string::npos && dot < separator))
    {
        base = fileName;
        extension.clear();
        return;
    }
    base = fileName.substr(0, dot);
    extension = fileName.substr(dot);
}

std::unique_ptr<MemoryImage> LoadOneFile(const std::string& fileName, LiveImageSet* liveSet)
{
    std::string base;
    std::string extension;
    SplitExtension(fileName, base, extension);

    std::unique_ptr<MemoryImage> image;
    const PixelAllocator allocate = [&](int width, int height) -> uint32_t*
    {
        try
        {
            image = std::make_unique<MemoryImage>(liveSet);
            image->Create(width, height);
            return image->GetBits();
        }
        catch (const std::bad_alloc&)
        {
            image.reset();
            return nullptr;
        }
    };

    for (const ImageFormat& format : Formats)
    {
        if (!extension.empty() && strcasecmp(extension.c_str(), format.extension) != 0)
            continue;
        PFilePtr file(p_fopen((base + format.extension).c_str(), "rb"));
        if (file == nullptr)
            continue;
        if (format.decode(file.get(), allocate) && image != nullptr)
            return image;
        image.reset();
    }
    return nullptr;
}

} // namespace

void SetLoadAlphaColor(uint32_t rgb)
{
    loadAlphaColor = rgb & 0xFFFFFF;
}

uint32_t GetLoadAlphaColor()
{
    return loadAlphaColor;
}

std::unique_ptr<MemoryImage> LoadImageFile(const std::string& fileName, bool lookForAlpha, LiveImageSet* liveSet)
{
    std::unique_ptr<MemoryImage> image = LoadOneFile(fileName, liveSet);
    if (lookForAlpha)
    {
        // "images/bee" looks for "images/_bee", then "images/bee_".
        size_t separator = fileName.find_last_of("/\\");
        size_t filePart = separator == std::string::npos ? 0 : separator + 1;
        std::string prefixed = fileName.substr(0, filePart) + "_" + fileName.substr(filePart);
        std::unique_ptr<MemoryImage> alpha = LoadOneFile(prefixed, liveSet);
        if (alpha == nullptr)
            alpha = LoadOneFile(fileName + "_", liveSet);

        if (alpha != nullptr && image == nullptr)
        {
            uint32_t colour = loadAlphaColor;
            uint32_t* pixels = alpha->GetBits();
            size_t count = static_cast<size_t>(alpha->GetWidth()) * static_cast<size_t>(alpha->GetHeight());
            for (size_t i = 0; i < count; i++)
                pixels[i] = (pixels[i] << 24) | colour;
            image = std::move(alpha);
        }
        else if (alpha != nullptr && alpha->GetWidth() == image->GetWidth() && alpha->GetHeight() == image->GetHeight())
        {
            uint32_t* pixels = image->GetBits();
            const uint32_t* alphaPixels = alpha->GetBits();
            size_t count = static_cast<size_t>(image->GetWidth()) * static_cast<size_t>(image->GetHeight());
            for (size_t i = 0; i < count; i++)
                pixels[i] = (pixels[i] & 0x00FFFFFFu) | (alphaPixels[i] << 24);
        }
    }
    if (image != nullptr)
        image->BitsChanged();
    return image;
}

} // namespace zest
