#include "resources/GifDecoder.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <vector>

namespace zest
{

namespace
{

constexpr int MaxCodeBits = 12;
constexpr int MaxCodes = 1 << MaxCodeBits;

// Bounds-checked reader over the file bytes; any read past the end sets failed and answers 0.
struct ByteReader
{
    const uint8_t* data;
    size_t size;
    size_t pos = 0;
    bool failed = false;

    int Byte()
    {
        if (pos >= size)
        {
            failed = true;
            return 0;
        }
        return data[pos++];
    }
    int Word()
    {
        int low = Byte();
        return low | (Byte() << 8);
    }
    void Skip(size_t count)
    {
        if (count > size - pos)
        {
            failed = true;
            pos = size;
            return;
        }
        pos += count;
    }
    // Skips a chain of data sub-blocks up to and including the zero-length terminator.
    void SkipSubBlocks()
    {
        while (!failed)
        {
            int length = Byte();
            if (length == 0)
                break;
            Skip(static_cast<size_t>(length));
        }
    }
};

// Reads a colour table of `entries` RGB triplets into ARGB values with alpha FF.
bool ReadPalette(ByteReader& in, int entries, std::array<uint32_t, 256>& palette)
{
    if (static_cast<size_t>(entries) * 3 > in.size - in.pos)
        return false;
    for (int i = 0; i < entries; i++)
    {
        uint32_t r = static_cast<uint32_t>(in.Byte());
        uint32_t g = static_cast<uint32_t>(in.Byte());
        uint32_t b = static_cast<uint32_t>(in.Byte());
        palette[static_cast<size_t>(i)] = 0xFF000000u | (r << 16) | (g << 8) | b;
    }
    return true;
}

// Walks the destination rows in GIF order: straight down, or the four interlace passes
// (every 8th row from 0, every 8th from 4, every 4th from 2, every 2nd from 1).
class RowWalker
{
public:
    RowWalker(int height, bool interlaced) : height(height), interlaced(interlaced) {}

    int Row() const { return row; }
    // Moves to the next row; answers false when every row has been visited.
    bool Next()
    {
        if (!interlaced)
            return ++row < height;
        static constexpr int PassStart[4] = {0, 4, 2, 1};
        static constexpr int PassStep[4] = {8, 8, 4, 2};
        row += PassStep[pass];
        while (row >= height)
        {
            if (++pass >= 4)
                return false;
            row = PassStart[pass];
        }
        return true;
    }

private:
    int height;
    bool interlaced;
    int pass = 0;
    int row = 0;
};

// LZW decoding by the GIF rules: variable code width from minimum code size + 1 up to 12 bits, clear code
// 2^minimum code size, end code one more; a full table stays full (no new entries) until the next clear code.
class LzwDecoder
{
public:
    LzwDecoder(const uint8_t* data, size_t size, int minCodeSize) : data(data), size(size), minCodeSize(minCodeSize)
    {
        clearCode = 1 << minCodeSize;
        endCode = clearCode + 1;
        for (int i = 0; i < clearCode; i++)
            entryLength[static_cast<size_t>(i)] = 1;
        Reset();
    }

    // Decodes into the rows of `pixels` (width x height indices mapped through `palette`); answers false on a
    // code out of range or when the data ends before every pixel is written. Extra data after the last pixel is
    // ignored, as decoders commonly do.
    bool Decode(uint32_t* pixels, int width, int height, bool interlaced, const uint32_t* palette)
    {
        RowWalker rows(height, interlaced);
        uint32_t* rowStart = pixels;
        int x = 0;
        bool done = false;
        int previous = -1;
        uint8_t firstOfPrevious = 0;

        while (!done)
        {
            int code = ReadCode();
            if (code < 0)
                return false; // data ran out before the image was complete
            if (code == clearCode)
            {
                Reset();
                previous = -1;
                continue;
            }
            if (code == endCode)
                return false; // an end code before the last pixel: the image is incomplete

            int length;
            if (previous < 0)
            {
                if (code >= clearCode)
                    return false; // the first code after a clear must be a literal
                stack[0] = static_cast<uint8_t>(code);
                length = 1;
            }
            else if (code < nextCode)
            {
                length = Expand(code);
                AddEntry(previous, stack[0]);
            }
            else if (code == nextCode && nextCode < MaxCodes)
            {
                // The code being defined right now: previous string plus its own first byte.
                length = Expand(previous);
                stack[static_cast<size_t>(length++)] = firstOfPrevious;
                AddEntry(previous, firstOfPrevious);
            }
            else
            {
                return false; // beyond the table
            }
            previous = code;
            firstOfPrevious = stack[0];

            for (int i = 0; i < length; i++)
            {
                rowStart[x] = palette[stack[static_cast<size_t>(i)]];
                if (++x == width)
                {
                    x = 0;
                    if (!rows.Next())
                    {
                        done = true;
                        break;
                    }
                    rowStart = pixels + static_cast<size_t>(rows.Row()) * static_cast<size_t>(width);
                }
            }
        }
        return true;
    }

private:
    void Reset()
    {
        codeBits = minCodeSize + 1;
        nextCode = clearCode + 2;
    }

    void AddEntry(int prefixCode, uint8_t suffixByte)
    {
        if (nextCode >= MaxCodes)
            return;
        prefix[static_cast<size_t>(nextCode)] = static_cast<uint16_t>(prefixCode);
        suffix[static_cast<size_t>(nextCode)] = suffixByte;
        entryLength[static_cast<size_t>(nextCode)] =
            static_cast<uint16_t>(entryLength[static_cast<size_t>(prefixCode)] + 1);
        nextCode++;
        if (nextCode >= (1 << codeBits) && codeBits < MaxCodeBits)
            codeBits++;
    }

    // Writes the string of `code` into stack[0..length) in output order; answers its length.
    int Expand(int code)
    {
        int length = code < clearCode ? 1 : entryLength[static_cast<size_t>(code)];
        for (int i = length - 1; i > 0; i--)
        {
            stack[static_cast<size_t>(i)] = suffix[static_cast<size_t>(code)];
            code = prefix[static_cast<size_t>(code)];
        }
        stack[0] = static_cast<uint8_t>(code);
        return length;
    }

    // Next code, least significant bit first; -1 when the data is exhausted.
    int ReadCode()
    {
        while (bitCount < codeBits)
        {
            if (bytePos >= size)
                return -1;
            bitBuffer |= static_cast<uint32_t>(data[bytePos++]) << bitCount;
            bitCount += 8;
        }
        int code = static_cast<int>(bitBuffer & ((1u << codeBits) - 1));
        bitBuffer >>= codeBits;
        bitCount -= codeBits;
        return code;
    }

    const uint8_t* data;
    size_t size;
    size_t bytePos = 0;
    uint32_t bitBuffer = 0;
    int bitCount = 0;

    int minCodeSize;
    int clearCode;
    int endCode;
    int codeBits = 0;
    int nextCode = 0;

    // Entry strings as (prefix code, last byte); lengths let Expand write front to back without reversing.
    // Literal codes never have their entry read, so only codes above the end code are filled.
    std::array<uint16_t, MaxCodes> prefix{};
    std::array<uint8_t, MaxCodes> suffix{};
    std::array<uint16_t, MaxCodes> entryLength{};
    std::array<uint8_t, MaxCodes + 1> stack{};
};

} // namespace

bool DecodeGif(const uint8_t* data, size_t size, const PixelAllocator& allocate)
{
    ByteReader in{data, size};
    if (size < 6 || (std::memcmp(data, "GIF87", 5) != 0 && std::memcmp(data, "GIF89", 5) != 0))
        return false;
    in.Skip(6);

    // Logical screen descriptor: only the global colour table matters.
    in.Skip(4);
    int screenFlags = in.Byte();
    in.Skip(2);
    if (in.failed)
        return false;

    // Indices beyond the table read as transparent black, so unset entries stay 0.
    std::array<uint32_t, 256> palette{};
    if (screenFlags & 0x80)
    {
        if (!ReadPalette(in, 2 << (screenFlags & 7), palette))
            return false;
    }

    int transparentIndex = -1;
    for (;;)
    {
        int block = in.Byte();
        if (in.failed || block == 0x3B)
            return false; // end of data or trailer before any image
        if (block == 0x2C)
            break;
        if (block != 0x21)
            return false;
        int label = in.Byte();
        if (label == 0xF9)
        {
            // Graphic control extension: the data bytes are flags, delay (2), transparent index.
            // A shorter block than the format's 4 bytes carries no usable index and is only skipped.
            int length = in.Byte();
            if (length >= 4 && in.size - in.pos >= 4)
            {
                int flags = in.data[in.pos];
                if (flags & 1)
                    transparentIndex = in.data[in.pos + 3];
            }
            in.Skip(static_cast<size_t>(length));
            in.SkipSubBlocks();
        }
        else
        {
            in.SkipSubBlocks(); // comment, application ("NETSCAPE2.0" and others), plain text, unknown
        }
        if (in.failed)
            return false;
    }

    // Image descriptor of the first image.
    in.Skip(4);
    int width = in.Word();
    int height = in.Word();
    int imageFlags = in.Byte();
    if (in.failed || !ImageSizeAllowed(width, height))
        return false;
    if (imageFlags & 0x80)
    {
        palette.fill(0);
        if (!ReadPalette(in, 2 << (imageFlags & 7), palette))
            return false;
    }
    bool interlaced = (imageFlags & 0x40) != 0;
    if (transparentIndex >= 0)
        palette[static_cast<size_t>(transparentIndex)] = 0;

    int minCodeSize = in.Byte();
    if (in.failed || minCodeSize < 1 || minCodeSize > 8)
        return false;

    // Gather the sub-blocks into one run of LZW bytes.
    std::vector<uint8_t> lzw;
    for (;;)
    {
        int length = in.Byte();
        if (in.failed)
            break; // truncated: decode what is there, which fails unless every pixel is present
        if (length == 0)
            break;
        size_t available = std::min(static_cast<size_t>(length), in.size - in.pos);
        lzw.insert(lzw.end(), in.data + in.pos, in.data + in.pos + available);
        in.Skip(static_cast<size_t>(length));
        if (in.failed)
            break;
    }

    // Refuse sizes the data cannot fill before taking memory: every code is at least minCodeSize + 1 bits and
    // stands for at most MaxCodes pixels.
    uint64_t pixelCount = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
    uint64_t maxCodesInData = static_cast<uint64_t>(lzw.size()) * 8 / static_cast<uint64_t>(minCodeSize + 1);
    if (pixelCount > maxCodesInData * MaxCodes)
        return false;

    uint32_t* pixels = allocate(width, height);
    if (pixels == nullptr)
        return false;

    // The decoder's tables are 16 KB; keep them off the stack of loading threads.
    auto decoder = std::make_unique<LzwDecoder>(lzw.data(), lzw.size(), minCodeSize);
    return decoder->Decode(pixels, width, height, interlaced, palette.data());
}

} // namespace zest
