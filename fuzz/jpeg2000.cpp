// libFuzzer harness for JPEG 2000 images: any bytes go through the image loader's path (the archive file
// functions, the codec layer, the pixel allocator), then once more through the codec layer straight from
// memory, decoded at a reduced resolution into 24-bit rows as its other callers may ask.
#include "FuzzScratch.h"

#include "files/PakFile.h"
#include "resources/ImageLoader.h"
#include "resources/J2KCodec.h"
#include "resources/Jpeg2000Decoder.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace
{

struct Memory
{
    const uint8_t* data;
    size_t size;
    size_t at = 0;
};

int ReadMemory(void* buffer, int size, void* userData)
{
    auto* memory = static_cast<Memory*>(userData);
    const size_t count = std::min(static_cast<size_t>(size), memory->size - memory->at);
    if (count > 0)
        std::memcpy(buffer, memory->data + memory->at, count);
    memory->at += count;
    return static_cast<int>(count);
}

int64_t SeekMemory(int64_t offset, int origin, void* userData)
{
    auto* memory = static_cast<Memory*>(userData);
    const int64_t base = origin == 0 ? 0 : origin == 1 ? static_cast<int64_t>(memory->at) : static_cast<int64_t>(memory->size);
    const int64_t target = base + offset;
    if (target < 0 || target > static_cast<int64_t>(memory->size))
        return -1;
    memory->at = static_cast<size_t>(target);
    return target;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = fuzz::WriteScratch("input.jp2", data, size);
    if (path.empty())
        return 0;
    std::vector<uint32_t> pixels;
    const zest::PixelAllocator allocate = [&](int width, int height)
    {
        pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
        return pixels.data();
    };
    zest::PFilePtr file(zest::p_fopen(path.c_str(), "rb"));
    if (file && zest::DecodeJpeg2000(file.get(), allocate))
        fuzz::Require(std::all_of(pixels.begin(), pixels.end(), [](uint32_t p) { return (p >> 24) == 0xFF; }));

    Memory memory{data, size};
    const zest::J2K_Callbacks callbacks{ReadMemory, SeekMemory};
    zest::J2K_Handle* handle = zest::J2K_OpenCustom(&callbacks, &memory);
    if (handle == nullptr)
        return 0;
    int width = 0;
    int height = 0;
    int components = 0;
    if (zest::J2K_GetInfo(handle, &width, &height, &components) == zest::J2K_OK &&
        zest::J2K_GetResolutionDimensions(handle, 1, &width, &height) == zest::J2K_OK &&
        zest::ImageSizeAllowed(width, height) && static_cast<int64_t>(width) * height <= (int64_t{1} << 22))
    {
        const int pitch = width * 3 + 1;
        std::vector<uint8_t> rows(static_cast<size_t>(pitch) * static_cast<size_t>(height));
        (void)zest::J2K_Decode(handle, rows.data(), static_cast<int>(rows.size()), "bpp=3,rl=1", pitch);
    }
    (void)zest::J2K_getErrorStr(zest::J2K_getLastError());
    zest::J2K_Close(handle);
    return 0;
}
