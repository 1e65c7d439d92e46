// A writer of small level maps for tests: width x height open tiles, solid blocks and object records,
// in the game's binary map format. Header-only; shared by the garden and simulator tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tibble::test
{

// Builds a level map file in memory: width x height tiles (all open), solid blocks and object records.
class MapBuilder
{
public:
    MapBuilder(int width, int height) : w(width), h(height), tiles(static_cast<size_t>(width * height), 1) {}

    MapBuilder& Solid(int column, int row, int16_t value = 2)
    {
        tiles[static_cast<size_t>(row * w + column)] = value;
        return *this;
    }
    // A record; order is the fifth field, written for type 6 only.
    MapBuilder& Add(int type, int x, int y, int param = 0, int order = 0)
    {
        objects.push_back({type, x, y, param, order});
        return *this;
    }
    // Tile-aligned record at (column, row).
    MapBuilder& AddAt(int type, int column, int row, int param = 0, int order = 0)
    {
        return Add(type, column * 64, row * 64, param, order);
    }

    std::vector<uint8_t> Bytes() const
    {
        std::vector<uint8_t> out;
        auto put = [&out](int value)
        {
            out.push_back(static_cast<uint8_t>(value & 0xFF));
            out.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
        };
        put(w);
        put(h);
        for (int16_t tile : tiles)
            put(tile);
        put(static_cast<int>(objects.size()));
        for (const Record& r : objects)
        {
            put(r.type);
            put(r.x);
            put(r.y);
            put(r.param);
            if (r.type == 6)
                put(r.order);
        }
        return out;
    }

private:
    struct Record
    {
        int type, x, y, param, order;
    };
    int w;
    int h;
    std::vector<int16_t> tiles;
    std::vector<Record> objects;
};

} // namespace tibble::test
