#include "resources/TargaDecoder.h"

#include <algorithm>

namespace zest
{

namespace
{

constexpr size_t HeaderSize = 18;
constexpr int RunLengthTrueColour = 10;

uint32_t ReadPixel(const uint8_t* p)
{
    // Blue, green, red, alpha bytes: exactly the little-endian form of 0xAARRGGBB.
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

int Word(const uint8_t* p)
{
    return p[0] | (p[1] << 8);
}

} // namespace

bool DecodeTarga(const uint8_t* data, size_t size, const PixelAllocator& allocate)
{
    if (size < HeaderSize)
        return false;
    int idLength = data[0];
    int colourMapType = data[1];
    int imageType = data[2];
    int colourMapLength = Word(data + 5);
    int colourMapDepth = data[7];
    int width = Word(data + 12);
    int height = Word(data + 14);
    int bitsPerPixel = data[16];
    int descriptor = data[17];
    if (bitsPerPixel != 32 || descriptor != 0x28 || !ImageSizeAllowed(width, height))
        return false;

    // Files with an ID field or a colour map still have their pixels after them.
    size_t skip = static_cast<size_t>(idLength);
    if (colourMapType != 0)
        skip += static_cast<size_t>(colourMapLength) * static_cast<size_t>((colourMapDepth + 7) / 8);
    if (skip > size - HeaderSize)
        return false;
    const uint8_t* in = data + HeaderSize + skip;
    const uint8_t* end = data + size;
    size_t pixelCount = static_cast<size_t>(width) * static_cast<size_t>(height);
    size_t available = static_cast<size_t>(end - in);

    if (imageType != RunLengthTrueColour)
    {
        if (pixelCount * 4 > available)
            return false;
        uint32_t* pixels = allocate(width, height);
        if (pixels == nullptr)
            return false;
        for (size_t i = 0; i < pixelCount; i++, in += 4)
            pixels[i] = ReadPixel(in);
        return true;
    }

    // Run-length packets: a count byte (bit 7 set: one pixel repeated, else literal pixels) for 1..128 pixels.
    // The densest packet is 5 bytes for 128 pixels; refuse sizes the data cannot reach before taking memory.
    if (pixelCount > available / 5 * 128 + 128)
        return false;
    uint32_t* pixels = allocate(width, height);
    if (pixels == nullptr)
        return false;
    size_t written = 0;
    while (written < pixelCount)
    {
        if (in >= end)
            return false;
        int packet = *in++;
        size_t count = std::min(static_cast<size_t>((packet & 0x7F) + 1), pixelCount - written);
        if (packet & 0x80)
        {
            if (end - in < 4)
                return false;
            uint32_t pixel = ReadPixel(in);
            in += 4;
            for (size_t i = 0; i < count; i++)
                pixels[written++] = pixel;
        }
        else
        {
            if (static_cast<size_t>(end - in) < count * 4)
                return false;
            for (size_t i = 0; i < count; i++, in += 4)
                pixels[written++] = ReadPixel(in);
        }
    }
    return true;
}

} // namespace zest
