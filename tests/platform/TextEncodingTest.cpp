#include "platform/TextEncoding.h"

#include <gtest/gtest.h>

namespace zest
{
namespace
{

TEST(TextEncoding, CodePointsMapOntoWindows1252)
{
    struct Case
    {
        int codePoint;
        std::optional<char> byte;
    };
    const Case cases[] = {
        {'A', 'A'},           {0xE9, '\xe9'},        {0xFF, '\xff'},       {0x20AC, '\x80'},
        {0x2019, '\x92'},     {0x0178, '\x9f'},      {0x81, std::nullopt}, {0x9D, std::nullopt},
        {0x4E2D, std::nullopt}, {0x1F41D, std::nullopt}, {0, std::nullopt}, {-5, std::nullopt},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.codePoint);
        EXPECT_EQ(Windows1252FromCodePoint(c.codePoint), c.byte);
        if (c.byte)
        {
            EXPECT_EQ(CodePointFromWindows1252(*c.byte), c.codePoint);
        }
    }
}

TEST(TextEncoding, Utf8ConvertsBothWaysAndDropsWhatCannotBeShown)
{
    struct Case
    {
        const char* utf8;
        const char* text;
    };
    const Case cases[] = {
        {"plain", "plain"},
        {"caf\xc3\xa9 \xe2\x82\xac", "caf\xe9 \x80"},
        {"a\xe4\xb8\xad" "b", "ab"},            // a character the encoding lacks
        {"x\xc3", "x"},                         // cut short
        {"\xc0\xaf" "y", "y"},                  // overlong form of '/'
        {"\xed\xa0\x80z", "z"},                 // a surrogate
        {"\xf0\x9f\x90\x9d!", "!"},             // four bytes, outside the encoding
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.utf8);
        EXPECT_EQ(Utf8ToWindows1252(c.utf8), c.text);
    }
    EXPECT_EQ(Windows1252ToUtf8("caf\xe9 \x80\x92"), "caf\xc3\xa9 \xe2\x82\xac\xe2\x80\x99");
    EXPECT_EQ(Windows1252ToUtf8("a\x81" "b"), "ab"); // an undefined byte
}

} // namespace
} // namespace zest
