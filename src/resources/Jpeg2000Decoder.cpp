#include "resources/Jpeg2000Decoder.h"

#ifdef ZEST_NO_JPEG2000

#include "platform/Log.h"

namespace zest
{

// Left out of this build (-DZEST_JPEG2000=OFF).
bool DecodeJpeg2000(PFILE*, const PixelAllocator&)
{
    Log(LogLevel::Error, "JPEG 2000 images are not supported in this build");
    return false;
}

} // namespace zest

#else

#include "files/PakFile.h"
#include "platform/Log.h"
#include "resources/J2KCodec.h"

#include <climits>
#include <cstdio>

namespace zest
{

namespace
{

int ReadFile(void* buffer, int size, void* userData)
{
    return static_cast<int>(p_fread(buffer, 1, static_cast<size_t>(size), static_cast<PFILE*>(userData)));
}

int64_t SeekFile(int64_t offset, int origin, void* userData)
{
    auto* file = static_cast<PFILE*>(userData);
    if (offset < LONG_MIN || offset > LONG_MAX || p_fseek(file, static_cast<long>(offset), origin) != 0)
        return -1;
    return p_ftell(file);
}

// The codec keeps each component as 32-bit samples besides our pixels; a codestream can claim a huge image in a
// few bytes, so the samples are capped well below the side limit's worst case (4 components of 16384 x 16384).
constexpr int64_t MaxSamples = int64_t{1} << 27;

} // namespace

bool DecodeJpeg2000(PFILE* file, const PixelAllocator& allocate)
{
    if (file == nullptr)
        return false;
    const J2K_Callbacks callbacks{ReadFile, SeekFile};
    J2K_Handle* handle = J2K_OpenCustom(&callbacks, file);
    if (handle == nullptr)
    {
        Logf(LogLevel::Info, "JPEG 2000: %s", J2K_getErrorStr(J2K_getLastError()));
        return false;
    }

    bool loaded = false;
    int width = 0;
    int height = 0;
    int components = 0;
    if (J2K_GetInfo(handle, &width, &height, &components) == J2K_OK &&
        J2K_GetResolutionDimensions(handle, 0, &width, &height) == J2K_OK && ImageSizeAllowed(width, height) &&
        static_cast<int64_t>(width) * height * components <= MaxSamples)
    {
        if (uint32_t* pixels = allocate(width, height))
        {
            int64_t bytes = static_cast<int64_t>(width) * height * 4;
            if (bytes <= INT_MAX && J2K_Decode(handle, reinterpret_cast<uint8_t*>(pixels), static_cast<int>(bytes),
                                               "bpp=4,rl=0", width * 4) == J2K_OK)
            {
                size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
                for (size_t i = 0; i < count; i++)
                    pixels[i] |= 0xFF000000u;
                loaded = true;
            }
        }
    }
    if (!loaded && J2K_getLastError() != J2K_OK)
        Logf(LogLevel::Info, "JPEG 2000: %s", J2K_getErrorStr(J2K_getLastError()));
    J2K_Close(handle);
    return loaded;
}

} // namespace zest
#endif
