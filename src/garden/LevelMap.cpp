#include "garden/LevelMap.h"

#include <cstdio>

namespace tibble
{

const char* const LevelFileNames[LevelCount] = {
    "maps//1.pmp", "maps//2.pmp",  "maps//4.pmp",  "maps//5.pmp",  "maps//6.pmp",  "maps//7.pmp",  "maps//8.pmp",
    "maps//9.pmp", "maps//10.pmp", "maps//11.pmp", "maps//12.pmp", "maps//13.pmp", "maps//14.pmp",
};

const int LevelNeedPercent[LevelCount] = {60, 65, 70, 70, 75, 75, 80, 80, 85, 85, 85, 90, 90};

const int AutoTileTable[16] = {4, 6, 4, 8, 5, 2, 7, 16, 13, 14, 0, 11, 15, 10, 9, 12};

namespace
{

// Little-endian int16 reader over the file bytes; past the end every byte is 0.
class Int16Reader
{
public:
    explicit Int16Reader(std::span<const uint8_t> data) : bytes(data) {}

    int16_t Next()
    {
        uint8_t low = Byte();
        uint8_t high = Byte();
        return static_cast<int16_t>(static_cast<uint16_t>(low | (high << 8)));
    }

private:
    uint8_t Byte() { return pos < bytes.size() ? bytes[pos++] : (pos++, uint8_t{0}); }

    std::span<const uint8_t> bytes;
    size_t pos = 0;
};

std::string Format(const char* format, auto... args)
{
    char text[200];
    std::snprintf(text, sizeof text, format, args...);
    return text;
}

// Types whose param is a group index.
bool ParamIsGroup(int type)
{
    switch (type)
    {
    case TypeSunflower:
    case TypeMiniFlower:
    case TypeTrumpet:
    case TypeRose:
    case TypeRedRose:
    case TypePurpleRose:
    case TypeLinkTrumpet:
    case TypePansy:
    case TypePansy2:
        return true;
    default:
        return false;
    }
}

} // namespace

std::optional<LevelMap> LevelMap::Parse(std::span<const uint8_t> bytes, std::string* error)
{
    auto fail = [error](std::string why) -> std::optional<LevelMap>
    {
        if (error)
            *error = std::move(why);
        return std::nullopt;
    };

    Int16Reader in(bytes);
    LevelMap map;
    map.width = in.Next();
    map.height = in.Next();
    if (map.width < MinLevelWidth || map.height < MinLevelHeight)
        return fail(Format("level is %d x %d tiles, smaller than the %d x %d tiles of the screen", map.width,
                           map.height, MinLevelWidth, MinLevelHeight));
    const int64_t tileCount = int64_t{map.width} * map.height;
    if (tileCount > MaxLevelTiles)
        return fail(Format("level of %d x %d tiles is larger than %d tiles", map.width, map.height, MaxLevelTiles));
    if (4 + 2 * tileCount > static_cast<int64_t>(bytes.size()))
        return fail(Format("level of %d x %d tiles needs %lld bytes of tiles but the file holds %zu bytes", map.width,
                           map.height, static_cast<long long>(4 + 2 * tileCount), bytes.size()));

    map.tileValues.resize(static_cast<size_t>(tileCount));
    for (int16_t& value : map.tileValues)
        value = in.Next();

    const int objectCount = in.Next();
    if (objectCount < 0)
        return fail(Format("negative object count %d", objectCount));
    map.objects.resize(static_cast<size_t>(objectCount));
    const int widthPx = map.width * TileSize;
    const int heightPx = map.height * TileSize;
    for (int i = 0; i < objectCount; i++)
    {
        MapObject& object = map.objects[static_cast<size_t>(i)];
        object.type = in.Next();
        object.x = in.Next();
        object.y = in.Next();
        object.param = in.Next();
        if (object.type == TypeRose)
            object.state = in.Next();

        // Every record goes into the list of its tile column and row, so it must lie on the grid.
        if (object.x < 0 || object.y < 0 || object.x >= widthPx || object.y >= heightPx)
            return fail(Format("object %d (type %d) at (%d, %d) lies outside the %d x %d pixel level", i, object.type,
                               object.x, object.y, widthPx, heightPx));
        if (ParamIsGroup(object.type) && (object.param < 0 || object.param >= GroupCount))
            return fail(Format("object %d (type %d) names group %d, outside 0..%d", i, object.type, object.param,
                               GroupCount - 1));

        FlowerGroup* group = ParamIsGroup(object.type) ? &map.groups[static_cast<size_t>(object.param)] : nullptr;
        switch (object.type)
        {
        case TypeHose:
            // The map's diagonal hoses are turned 10 degrees towards the vertical.
            if (object.param == 315)
                object.param = 325;
            else if (object.param == 45)
                object.param = 35;
            break;
        case TypeSunflower:
            group->timer = 0;
            group->kind = FlowerGroup::KindSunflower;
            break;
        case TypeMiniFlower:
        case TypePurpleRose:
        case TypePansy:
            group->count++;
            map.nectarTotal += 10;
            break;
        case TypeTrumpet:
            group->timer = 0;
            break;
        case TypeRose:
            group->kind = 0;
            group->count++;
            map.nectarTotal += 10;
            break;
        case TypeRedRose:
            group->timer = 500;
            group->kind = FlowerGroup::KindRedRose;
            group->count++;
            map.nectarTotal += 10;
            break;
        case TypeStartTrumpet:
            map.startIndex = i;
            break;
        case TypeHive:
            object.state = 0;
            break;
        case TypePansy2:
            group->timer = 0;
            group->count++;
            map.nectarTotal += 10;
            break;
        default:
            break;
        }
    }
    if (map.startIndex < 0)
        return fail("no start trumpet (no type-10 record)");
    // The honey bar divides by the nectar total.
    if (map.nectarTotal == 0)
        return fail("no nectar flower");
    return map;
}

bool LevelMap::IsSolidTile(int column, int row) const
{
    if (column < 0 || row < 0 || column >= width || row >= height)
        return false;
    return tileValues[static_cast<size_t>(row * width + column)] >= 2;
}

std::string LevelMap::SolidMaskText() const
{
    std::string text;
    text.reserve(static_cast<size_t>((width + 1) * height));
    for (int row = 0; row < height; row++)
    {
        for (int column = 0; column < width; column++)
            text += IsSolidTile(column, row) ? '#' : '.';
        text += '\n';
    }
    return text;
}

std::optional<std::string> ValidateLevelFile(std::span<const uint8_t> bytes)
{
    std::string error;
    if (LevelMap::Parse(bytes, &error))
        return std::nullopt;
    return error;
}

} // namespace tibble
