// libFuzzer harness for the XML reader: any bytes, read item by item to the end or the
// first error, with comments handed out or skipped by the first byte.

#include "resources/XMLParser.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    zest::XMLParser parser;
    parser.SetAllowComments(size > 0 && (data[0] & 1) != 0);
    parser.OpenBuffer(std::string(reinterpret_cast<const char*>(data), size), "fuzz.xml");
    zest::XMLItem item;
    size_t items = 0;
    while (parser.ReadItem(item))
    {
        // Every item consumes at least one byte, except the end tag of a self-closing tag.
        if (++items > 2 * size + 2)
            __builtin_trap();
    }
    return 0;
}
