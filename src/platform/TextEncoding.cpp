#include "platform/TextEncoding.h"

#include <array>
#include <cstdint>

namespace zest
{

namespace
{
// Code points of bytes 0x80..0x9F; the rest of the encoding is Latin-1, byte = code point.
constexpr std::array<uint16_t, 32> HighControls = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

// One code point from text at i (advancing i), or -1 for a malformed or cut sequence
// (advancing one byte). Overlong forms and surrogates are malformed too.
int32_t NextCodePoint(const std::string& text, size_t& i)
{
    auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    unsigned char lead = byte(i);
    int length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || i + static_cast<size_t>(length) > text.size())
    {
        i++;
        return -1;
    }
    int32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (int k = 1; k < length; k++)
    {
        unsigned char next = byte(i + static_cast<size_t>(k));
        if ((next & 0xC0) != 0x80)
        {
            i++;
            return -1;
        }
        code = (code << 6) | (next & 0x3F);
    }
    static constexpr int32_t Smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < Smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
    {
        i++;
        return -1;
    }
    i += static_cast<size_t>(length);
    return code;
}

void AppendUtf8(std::string& out, int code)
{
    if (code < 0x80)
        out += static_cast<char>(code);
    else if (code < 0x800)
    {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
    else
    {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}
} // namespace

std::optional<char> Windows1252FromCodePoint(int codePoint)
{
    if (codePoint <= 0)
        return std::nullopt;
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF))
        return static_cast<char>(codePoint);
    for (size_t i = 0; i < HighControls.size(); i++)
    {
        if (HighControls[i] == codePoint && codePoint != 0xFFFD)
            return static_cast<char>(0x80 + i);
    }
    return std::nullopt;
}

int CodePointFromWindows1252(char byte)
{
    unsigned char value = static_cast<unsigned char>(byte);
    return value >= 0x80 && value <= 0x9F ? HighControls[value - 0x80] : value;
}

std::string Utf8ToWindows1252(const std::string& utf8)
{
    std::string out;
    size_t i = 0;
    while (i < utf8.size())
    {
        std::optional<char> byte = Windows1252FromCodePoint(NextCodePoint(utf8, i));
        if (byte)
            out += *byte;
    }
    return out;
}

std::string Windows1252ToUtf8(const std::string& text)
{
    std::string out;
    for (char byte : text)
    {
        int code = CodePointFromWindows1252(byte);
        if (code != 0xFFFD)
            AppendUtf8(out, code);
    }
    return out;
}

} // namespace zest
