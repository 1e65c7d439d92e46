// libFuzzer harness for the Targa decoder: any bytes, no crash, no leak, no read outside the data.
#include "resources/TargaDecoder.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint32_t> pixels;
    zest::PixelAllocator allocate = [&](int width, int height)
    {
        pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
        return pixels.data();
    };
    (void)zest::DecodeTarga(data, size, allocate);
    return 0;
}
