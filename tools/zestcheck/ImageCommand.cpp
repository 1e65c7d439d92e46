#include "Commands.h"

#include "graphics/MemoryImage.h"
#include "resources/ImageLoader.h"

#include <cstdio>
#include <zlib.h>

namespace zestcheck
{

namespace
{

// crc32 of the pixels as little-endian 32-bit words, independent of the machine's byte order.
uint32_t PixelCrc(const uint32_t* pixels, size_t count)
{
    uLong crc = crc32(0L, Z_NULL, 0);
    unsigned char chunk[4096];
    size_t used = 0;
    for (size_t i = 0; i < count; i++)
    {
        uint32_t p = pixels[i];
        chunk[used++] = static_cast<unsigned char>(p);
        chunk[used++] = static_cast<unsigned char>(p >> 8);
        chunk[used++] = static_cast<unsigned char>(p >> 16);
        chunk[used++] = static_cast<unsigned char>(p >> 24);
        if (used == sizeof(chunk))
        {
            crc = crc32(crc, chunk, static_cast<uInt>(used));
            used = 0;
        }
    }
    crc = crc32(crc, chunk, static_cast<uInt>(used));
    return static_cast<uint32_t>(crc);
}

} // namespace

int CheckImage(const Arguments& arguments)
{
    std::string fileName;
    bool lookForAlpha = false;
    for (const std::string& argument : arguments)
    {
        if (argument == "--alpha")
            lookForAlpha = true;
        else if (fileName.empty() && !argument.empty() && argument[0] != '-')
            fileName = argument;
        else
        {
            std::fprintf(stderr, "zestcheck --image: unexpected argument %s\n", argument.c_str());
            return 2;
        }
    }
    if (fileName.empty())
    {
        std::fprintf(stderr, "usage: zestcheck --image FILE [--alpha]\n");
        return 2;
    }

    std::unique_ptr<zest::MemoryImage> image = zest::LoadImageFile(fileName, lookForAlpha);
    if (image == nullptr)
    {
        std::printf("FAILED\n");
        return 1;
    }
    size_t count = static_cast<size_t>(image->GetWidth()) * static_cast<size_t>(image->GetHeight());
    std::printf("%d %d %08x\n", image->GetWidth(), image->GetHeight(), PixelCrc(image->GetBits(), count));
    return 0;
}

} // namespace zestcheck
