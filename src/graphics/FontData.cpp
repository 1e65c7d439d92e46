#include "graphics/FontData.h"

#include "graphics/FontHost.h"
#include "graphics/MemoryImage.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <strings.h>

namespace zest
{

namespace
{

// Whole number read as 0xAARRGGBB: like ParseInt, but the full unsigned 32-bit range is allowed so
// colours with the top alpha bit set can be written in hexadecimal.
bool ParseColorNumber(const std::string& text, uint32_t& value)
{
    bool negative = false;
    uint64_t magnitude = 0;
    if (!DescParser::ParseWholeNumber(text, negative, magnitude))
        return false;
    value = static_cast<uint32_t>(negative ? 0 - magnitude : magnitude);
    return true;
}

// The directory part of a descriptor path, separator included ("" when there is none).
std::string DirectoryOf(const std::string& path)
{
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool IsAbsolutePath(const std::string& name)
{
    bool driveLetter = name.size() >= 2 && name[1] == ':' &&
                       ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z'));
    return driveLetter || (!name.empty() && name[0] == '/');
}

} // namespace

const FontData::Command FontData::commands[] = {
    {"Define", 3, &FontData::CmdDefine},
    {"CreateHorzSpanRectList", 4, &FontData::CmdCreateHorzSpanRectList},
    {"SetDefaultPointSize", 2, &FontData::CmdSetDefaultPointSize},
    {"SetCharMap", 3, &FontData::CmdSetCharMap},
    {"CreateLayer", 2, &FontData::CmdCreateLayer},
    {"CreateLayerFrom", 3, &FontData::CmdCreateLayerFrom},
    {"LayerRequireTags", 3, &FontData::CmdLayerRequireTags},
    {"LayerExcludeTags", 3, &FontData::CmdLayerExcludeTags},
    {"LayerPointRange", 4, &FontData::CmdLayerPointRange},
    {"LayerSetPointSize", 3, &FontData::CmdLayerSetPointSize},
    {"LayerSetHeight", 3, &FontData::CmdLayerSetHeight},
    {"LayerSetImage", 3, &FontData::CmdLayerSetImage},
    {"LayerSetDrawMode", 3, &FontData::CmdLayerSetDrawMode},
    {"LayerSetColorMult", 3, &FontData::CmdLayerSetColorMult},
    {"LayerSetColorAdd", 3, &FontData::CmdLayerSetColorAdd},
    {"LayerSetAscent", 3, &FontData::CmdLayerSetAscent},
    {"LayerSetAscentPadding", 3, &FontData::CmdLayerSetAscentPadding},
    {"LayerSetLineSpacingOffset", 3, &FontData::CmdLayerSetLineSpacingOffset},
    {"LayerSetOffset", 3, &FontData::CmdLayerSetOffset},
    {"LayerSetCharWidths", 4, &FontData::CmdLayerSetCharWidths},
    {"LayerSetSpacing", 3, &FontData::CmdLayerSetSpacing},
    {"LayerSetImageMap", 4, &FontData::CmdLayerSetImageMap},
    {"LayerSetCharOffsets", 4, &FontData::CmdLayerSetCharOffsets},
    {"LayerSetKerningPairs", 4, &FontData::CmdLayerSetKerningPairs},
    {"LayerSetBaseOrder", 3, &FontData::CmdLayerSetBaseOrder},
    {"LayerSetCharOrders", 4, &FontData::CmdLayerSetCharOrders},
};

FontData::FontData()
{
    for (int i = 0; i < 256; ++i)
        charMap[i] = static_cast<uint8_t>(i);
}

FontData::~FontData() = default;

bool FontData::Error(const std::string& message)
{
    // One mistake can be reported twice (an undefined layer is also a wrong parameter type); the first
    // message is the one that names the cause, and the user sees one pop-up.
    if (!error.empty())
        return false;
    std::string text = fontErrorHeader + message;
    if (!currentLine.empty())
        text += " on Line " + std::to_string(currentLineNum) + ":\r\n\r\n" + currentLine;
    error = text;
    if (host)
        host->ShowFontError(text);
    return false;
}

void FontData::Begin(const std::string& path, FontHost* newHost)
{
    host = newHost;
    sourceFile = path;
    fontErrorHeader = "Font Descriptor Error in " + path + "\r\n";
}

bool FontData::Load(const std::string& path, FontHost* newHost)
{
    if (initialized)
        return false;
    Begin(path, newHost);
    initialized = LoadDescriptor(path);
    return initialized;
}

bool FontData::LoadText(const std::string& text, const std::string& path, FontHost* newHost)
{
    if (initialized)
        return false;
    Begin(path, newHost);
    initialized = LoadDescriptorText(text);
    return initialized;
}

GlyphLayer* FontData::FindLayer(const std::string& name) const
{
    auto it = fontLayerMap.find(UpperCase(name));
    return it == fontLayerMap.end() ? nullptr : it->second;
}

bool FontData::HandleCommand(const ListDataElement& params)
{
    const std::string& name = static_cast<const SingleDataElement&>(*params.elements.front()).value;
    for (const Command& command : commands)
    {
        if (strcasecmp(command.name, name.c_str()) != 0)
            continue;
        if (static_cast<int>(params.elements.size()) != command.paramCount)
            return Error("Invalid Number of Parameters");
        return (this->*command.handler)(params.elements);
    }
    return Error("Unknown Command");
}

bool FontData::TypeError()
{
    return Error("Invalid Paramater Type");
}

bool FontData::GetLayer(const DataElement& element, GlyphLayer*& layer)
{
    std::string name;
    if (!ToText(element, name))
        return TypeError();
    layer = FindLayer(name);
    if (!layer)
    {
        Error("Undefined Layer");
        return TypeError();
    }
    return true;
}

bool FontData::GetInt(const DataElement& element, int& value)
{
    if (element.isList || !ParseInt(static_cast<const SingleDataElement&>(element).value, value))
        return TypeError();
    return true;
}

bool FontData::GetColor(const DataElement& element, Color& color)
{
    bool isList = element.isList;
    if (!isList)
    {
        const std::string& token = static_cast<const SingleDataElement&>(element).value;
        const DataElement* define = IsImmediate(token) ? nullptr : FindDefine(token);
        isList = define && define->isList;
    }
    if (isList)
    {
        std::vector<double> values;
        if (!ToRealList(element, values) || values.size() != 4)
            return TypeError();
        // 0..1 per channel; values outside are held to the range rather than wrapping.
        auto channel = [](double v) { return static_cast<int>(std::clamp(v, 0.0, 1.0) * 255); };
        color = Color(channel(values[0]), channel(values[1]), channel(values[2]), channel(values[3]));
        return true;
    }
    std::string text;
    uint32_t argb = 0;
    if (!ToText(element, text) || !ParseColorNumber(text, argb))
        return TypeError();
    if ((argb & 0xFF000000u) == 0)
        argb |= 0xFF000000u;
    color = Color::FromARGB(argb);
    return true;
}

bool FontData::GetChars(const DataElement& element, std::vector<uint8_t>& chars)
{
    std::vector<std::string> texts;
    if (!ToTextList(element, texts))
        return TypeError();
    std::vector<uint8_t> result;
    result.reserve(texts.size());
    for (const std::string& text : texts)
    {
        if (text.size() != 1)
            return TypeError();
        result.push_back(static_cast<uint8_t>(text[0]));
    }
    chars = std::move(result);
    return true;
}

bool FontData::GetDefineName(const DataElement& element, std::string& name)
{
    if (element.isList)
        return TypeError();
    name = static_cast<const SingleDataElement&>(element).value;
    if (IsImmediate(name))
        return TypeError();
    return true;
}

bool FontData::CmdDefine(const Params& p)
{
    std::string name;
    if (!GetDefineName(*p[1], name))
        return false;
    const DataElement& value = *p[2];
    if (value.isList)
    {
        auto expanded = std::make_unique<ListDataElement>();
        if (!Expand(static_cast<const ListDataElement&>(value), *expanded))
            return false;
        return StoreDefine(name, std::move(expanded));
    }
    const std::string& token = static_cast<const SingleDataElement&>(value).value;
    const DataElement* define = IsImmediate(token) ? nullptr : FindDefine(token);
    return StoreDefine(name, define ? define->Duplicate() : value.Duplicate());
}

bool FontData::CmdCreateHorzSpanRectList(const Params& p)
{
    std::string name;
    if (!GetDefineName(*p[1], name))
        return false;
    std::vector<int> rect;
    std::vector<int> widths;
    if (!ToIntList(*p[2], rect) || rect.size() != 4 || !ToIntList(*p[3], widths))
        return TypeError();
    auto list = std::make_unique<ListDataElement>();
    int64_t x = rect[0];
    for (int width : widths)
    {
        if (x > INT_MAX || x < INT_MIN)
            return TypeError();
        auto item = std::make_unique<ListDataElement>();
        for (int64_t v : {x, static_cast<int64_t>(rect[1]), static_cast<int64_t>(width), static_cast<int64_t>(rect[3])})
            item->elements.push_back(std::make_unique<SingleDataElement>(std::to_string(v)));
        list->elements.push_back(std::move(item));
        x += width;
    }
    return StoreDefine(name, std::move(list));
}

bool FontData::CmdSetDefaultPointSize(const Params& p)
{
    return GetInt(*p[1], defaultPointSize);
}

bool FontData::CmdSetCharMap(const Params& p)
{
    std::vector<uint8_t> from;
    std::vector<uint8_t> to;
    if (!GetChars(*p[1], from) || !GetChars(*p[2], to))
        return false;
    if (from.size() != to.size())
        return Error("List Size Mismatch");
    for (size_t i = 0; i < from.size(); ++i)
        charMap[from[i]] = to[i];
    return true;
}

bool FontData::CmdCreateLayer(const Params& p)
{
    std::string name;
    if (!ToText(*p[1], name))
        return TypeError();
    if (FindLayer(name))
        return Error("Layer Already Exists");
    fontLayerList.push_back(std::make_unique<GlyphLayer>());
    fontLayerMap[UpperCase(name)] = fontLayerList.back().get();
    return true;
}

bool FontData::CmdCreateLayerFrom(const Params& p)
{
    std::string name;
    if (!ToText(*p[1], name))
        return TypeError();
    GlyphLayer* source = nullptr;
    if (!GetLayer(*p[2], source))
        return false;
    if (FindLayer(name))
        return Error("Layer Already Exists");
    fontLayerList.push_back(std::make_unique<GlyphLayer>(*source));
    fontLayerMap[UpperCase(name)] = fontLayerList.back().get();
    return true;
}

bool FontData::AddLayerTags(const Params& p, std::vector<std::string> GlyphLayer::*list)
{
    GlyphLayer* layer = nullptr;
    std::vector<std::string> tags;
    if (!GetLayer(*p[1], layer))
        return false;
    if (!ToTextList(*p[2], tags))
        return TypeError();
    for (const std::string& tag : tags)
        (layer->*list).push_back(UpperCase(tag));
    return true;
}

bool FontData::CmdLayerRequireTags(const Params& p)
{
    return AddLayerTags(p, &GlyphLayer::requiredTags);
}

bool FontData::CmdLayerExcludeTags(const Params& p)
{
    return AddLayerTags(p, &GlyphLayer::excludedTags);
}

bool FontData::CmdLayerPointRange(const Params& p)
{
    GlyphLayer* layer = nullptr;
    int minSize = 0;
    int maxSize = 0;
    if (!GetLayer(*p[1], layer) || !GetInt(*p[2], minSize) || !GetInt(*p[3], maxSize))
        return false;
    layer->minPointSize = minSize;
    layer->maxPointSize = maxSize;
    return true;
}

bool FontData::SetLayerInt(const Params& p, int GlyphLayer::*field)
{
    GlyphLayer* layer = nullptr;
    int value = 0;
    if (!GetLayer(*p[1], layer) || !GetInt(*p[2], value))
        return false;
    layer->*field = value;
    return true;
}

bool FontData::CmdLayerSetPointSize(const Params& p)
{
    return SetLayerInt(p, &GlyphLayer::pointSize);
}

bool FontData::CmdLayerSetHeight(const Params& p)
{
    return SetLayerInt(p, &GlyphLayer::height);
}

std::shared_ptr<MemoryImage> FontData::LoadLayerImage(const std::string& fileName)
{
    // Image files are read by the layer above (resources); without a host no layer image loads.
    if (!host)
        return nullptr;
    bool isNew = false;
    std::shared_ptr<MemoryImage> image = host->SharedImage(fileName, "", isNew);
    if (image && isNew)
        (void)image->ConvertToPalette(); // an image with too many colours simply stays 32-bit
    return image;
}

bool FontData::CmdLayerSetImage(const Params& p)
{
    GlyphLayer* layer = nullptr;
    std::string fileName;
    if (!GetLayer(*p[1], layer))
        return false;
    if (!ToText(*p[2], fileName))
        return TypeError();
    std::string path = IsAbsolutePath(fileName) ? fileName : DirectoryOf(sourceFile) + fileName;
    std::shared_ptr<MemoryImage> image = LoadLayerImage(path);
    if (!image)
        return Error("Failed to Load Image");
    layer->image = std::move(image);
    return true;
}

bool FontData::CmdLayerSetDrawMode(const Params& p)
{
    GlyphLayer* layer = nullptr;
    int mode = 0;
    if (!GetLayer(*p[1], layer) || !GetInt(*p[2], mode))
        return false;
    if (mode != 0 && mode != 1)
        return TypeError();
    layer->drawMode = mode;
    return true;
}

bool FontData::CmdLayerSetColorMult(const Params& p)
{
    GlyphLayer* layer = nullptr;
    return GetLayer(*p[1], layer) && GetColor(*p[2], layer->colorMult);
}

bool FontData::CmdLayerSetColorAdd(const Params& p)
{
    GlyphLayer* layer = nullptr;
    return GetLayer(*p[1], layer) && GetColor(*p[2], layer->colorAdd);
}

bool FontData::CmdLayerSetAscent(const Params& p)
{
    return SetLayerInt(p, &GlyphLayer::ascent);
}

bool FontData::CmdLayerSetAscentPadding(const Params& p)
{
    return SetLayerInt(p, &GlyphLayer::ascentPadding);
}

bool FontData::CmdLayerSetLineSpacingOffset(const Params& p)
{
    return SetLayerInt(p, &GlyphLayer::lineSpacingOffset);
}

bool FontData::CmdLayerSetOffset(const Params& p)
{
    GlyphLayer* layer = nullptr;
    std::vector<int> offset;
    if (!GetLayer(*p[1], layer))
        return false;
    if (!ToIntList(*p[2], offset) || offset.size() != 2)
        return TypeError();
    layer->offsetX = offset[0];
    layer->offsetY = offset[1];
    return true;
}

bool FontData::CmdLayerSetCharWidths(const Params& p)
{
    GlyphLayer* layer = nullptr;
    std::vector<uint8_t> chars;
    std::vector<int> widths;
    if (!GetLayer(*p[1], layer) || !GetChars(*p[2], chars))
        return false;
    if (!ToIntList(*p[3], widths))
        return TypeError();
    if (chars.size() != widths.size())
        return Error("List Size Mismatch");
    for (size_t i = 0; i < chars.size(); ++i)
        layer->glyphs[chars[i]].width = widths[i];
    return true;
}

bool FontData::CmdLayerSetSpacing(const Params& p)
{
    return SetLayerInt(p, &GlyphLayer::spacing);
}

bool FontData::CmdLayerSetImageMap(const Params& p)
{
    GlyphLayer* layer = nullptr;
    std::vector<uint8_t> chars;
    std::vector<std::vector<int>> rects;
    if (!GetLayer(*p[1], layer) || !GetChars(*p[2], chars))
        return false;
    if (!ToIntTupleList(*p[3], 4, rects))
        return TypeError();
    if (chars.size() != rects.size())
        return Error("List Size Mismatch");
    if (!layer->image)
        return Error("Layer image not set");
    // Every rectangle is checked before any is stored, so a bad one leaves the layer as it was.
    const int64_t imageWidth = layer->image->GetWidth();
    const int64_t imageHeight = layer->image->GetHeight();
    for (const auto& r : rects)
    {
        int64_t x = r[0], y = r[1], w = r[2], h = r[3];
        if (x < 0 || y < 0 || w < 0 || h < 0 || x + w > imageWidth || y + h > imageHeight)
            return Error("Image rectangle out of bounds");
    }
    for (size_t i = 0; i < chars.size(); ++i)
        layer->glyphs[chars[i]].imageRect = Rect(rects[i][0], rects[i][1], rects[i][2], rects[i][3]);
    int64_t tallest = INT64_MIN;
    for (const GlyphData& glyph : layer->glyphs)
        tallest = std::max(tallest, int64_t(glyph.imageRect.height) + glyph.offset.y);
    layer->defaultHeight = static_cast<int>(std::clamp<int64_t>(tallest, INT_MIN, INT_MAX));
    return true;
}

bool FontData::CmdLayerSetCharOffsets(const Params& p)
{
    GlyphLayer* layer = nullptr;
    std::vector<uint8_t> chars;
    std::vector<std::vector<int>> offsets;
    if (!GetLayer(*p[1], layer) || !GetChars(*p[2], chars))
        return false;
    if (!ToIntTupleList(*p[3], 2, offsets))
        return TypeError();
    if (chars.size() != offsets.size())
        return Error("List Size Mismatch");
    for (size_t i = 0; i < chars.size(); ++i)
        layer->glyphs[chars[i]].offset = Point(offsets[i][0], offsets[i][1]);
    return true;
}

bool FontData::CmdLayerSetKerningPairs(const Params& p)
{
    GlyphLayer* layer = nullptr;
    std::vector<std::string> pairs;
    std::vector<int> offsets;
    if (!GetLayer(*p[1], layer))
        return false;
    if (!ToTextList(*p[2], pairs) || !ToIntList(*p[3], offsets))
        return TypeError();
    for (const std::string& pair : pairs)
    {
        if (pair.size() != 2)
            return TypeError();
    }
    if (pairs.size() != offsets.size())
        return Error("List Size Mismatch");
    for (size_t i = 0; i < pairs.size(); ++i)
    {
        uint8_t first = static_cast<uint8_t>(pairs[i][0]);
        uint8_t second = static_cast<uint8_t>(pairs[i][1]);
        // Held to the signed byte range instead of wrapping (200 would otherwise become -56).
        layer->glyphs[first].kerningOffsets[second] = static_cast<int8_t>(std::clamp(offsets[i], -128, 127));
    }
    return true;
}

bool FontData::CmdLayerSetBaseOrder(const Params& p)
{
    return SetLayerInt(p, &GlyphLayer::baseOrder);
}

bool FontData::CmdLayerSetCharOrders(const Params& p)
{
    GlyphLayer* layer = nullptr;
    std::vector<uint8_t> chars;
    std::vector<int> orders;
    if (!GetLayer(*p[1], layer) || !GetChars(*p[2], chars))
        return false;
    if (!ToIntList(*p[3], orders))
        return TypeError();
    if (chars.size() != orders.size())
        return Error("List Size Mismatch");
    for (size_t i = 0; i < chars.size(); ++i)
        layer->glyphs[chars[i]].order = orders[i];
    return true;
}

} // namespace zest
