#include "level/MapFile.h"

#include "level/Diagnostics.h"

namespace levelc
{

namespace
{

constexpr int RoseType = 6; // the one record with a fifth field

void Put(std::vector<uint8_t>& out, int value)
{
    out.push_back(static_cast<uint8_t>(value & 0xFF));
    out.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
}

// Reads int16 values and says whether they were there.
class Reader
{
public:
    explicit Reader(std::span<const uint8_t> data) : bytes(data) {}

    bool Next(int16_t& value)
    {
        if (bytes.size() - pos < 2)
            return false;
        value = static_cast<int16_t>(static_cast<uint16_t>(bytes[pos] | (bytes[pos + 1] << 8)));
        pos += 2;
        return true;
    }
    size_t Left() const { return bytes.size() - pos; }

private:
    std::span<const uint8_t> bytes;
    size_t pos = 0;
};

} // namespace

std::vector<uint8_t> MapFile::Encode(const LevelSource& level)
{
    std::vector<uint8_t> out;
    out.reserve(6 + 2 * level.tiles.size() + 10 * level.objects.size());
    Put(out, level.width);
    Put(out, level.height);
    for (int16_t tile : level.tiles)
        Put(out, tile);
    Put(out, static_cast<int>(level.objects.size()));
    for (const SourceObject& object : level.objects)
    {
        Put(out, object.type);
        Put(out, object.x);
        Put(out, object.y);
        Put(out, object.param);
        if (object.type == RoseType)
            Put(out, object.order);
    }
    return out;
}

std::optional<LevelSource> MapFile::Decode(std::span<const uint8_t> bytes, std::string& error)
{
    Reader in(bytes);
    int16_t width = 0;
    int16_t height = 0;
    if (!in.Next(width) || !in.Next(height))
    {
        error = Printf("file of %zu bytes is too short for the level size", bytes.size());
        return std::nullopt;
    }
    if (width < 0 || height < 0)
    {
        error = Printf("negative level size %d x %d", width, height);
        return std::nullopt;
    }
    LevelSource level;
    level.width = width;
    level.height = height;
    const size_t tileCount = static_cast<size_t>(width) * static_cast<size_t>(height);
    if (in.Left() < 2 * tileCount)
    {
        error = Printf("file ends inside the tile grid (%d x %d tiles need %zu bytes, %zu are left)", width, height,
                       2 * tileCount, in.Left());
        return std::nullopt;
    }
    level.tiles.resize(tileCount);
    for (int16_t& tile : level.tiles)
        (void)in.Next(tile);

    int16_t count = 0;
    if (!in.Next(count))
    {
        error = "file ends before the object count";
        return std::nullopt;
    }
    if (count < 0)
    {
        error = Printf("negative object count %d", count);
        return std::nullopt;
    }
    level.objects.resize(static_cast<size_t>(count));
    for (int i = 0; i < count; i++)
    {
        SourceObject& object = level.objects[static_cast<size_t>(i)];
        const bool whole = in.Next(object.type) && in.Next(object.x) && in.Next(object.y) && in.Next(object.param) &&
                           (object.type != RoseType || in.Next(object.order));
        if (!whole)
        {
            error = Printf("file ends inside object record %d of %d", i + 1, count);
            return std::nullopt;
        }
    }
    if (in.Left() > 0)
    {
        error = Printf("%zu byte%s after the last object record", in.Left(), in.Left() == 1 ? "" : "s");
        return std::nullopt;
    }
    return level;
}

} // namespace levelc
