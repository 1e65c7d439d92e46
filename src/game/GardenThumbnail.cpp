#include "game/GardenThumbnail.h"

#include "garden/LevelMap.h"
#include "garden/MapObject.h"
#include "graphics/MemoryImage.h"

#include <algorithm>

namespace tibble
{

namespace
{

constexpr uint32_t Margin = 0xFF2E4A2A;  // around a garden narrower than the picture
constexpr uint32_t Ground = 0xFFB9DDF2;  // the open air of the garden
constexpr uint32_t Hedge = 0xFF3F8A3A;   // solid hedge
constexpr uint32_t HedgeTop = 0xFF67B24F; // hedge with open air above it, so floors read as floors

uint32_t ObjectColor(int type)
{
    switch (type)
    {
    case TypeHose:
        return 0xFF2F6FD8;
    case TypeSunflower:
        return 0xFFFFD21F;
    case TypeMiniFlower:
        return 0xFFFF8FC8;
    case TypeRose:
    case TypeRedRose:
        return 0xFFE0303A;
    case TypePurpleRose:
    case TypePansy:
    case TypePansy2:
        return 0xFFA64FE0;
    case TypeTrumpet:
        return 0xFFFF6A3A; // the exit
    case TypeStartTrumpet:
    case TypeLinkTrumpet:
        return 0xFF8A8AFF;
    case TypeHive:
        return 0xFFFFB000;
    case TypeFlyTrap:
    case TypeTomato:
        return 0xFF9A1010;
    default:
        return 0;
    }
}

} // namespace

std::unique_ptr<zest::MemoryImage> GardenThumbnail::Draw(std::span<const uint8_t> mapBytes, int width, int height)
{
    std::optional<LevelMap> map = LevelMap::Parse(mapBytes);
    if (!map || map->width < 1 || map->height < 1 || width < 1 || height < 1)
        return nullptr;
    auto image = std::make_unique<zest::MemoryImage>();
    image->Create(width, height);
    uint32_t* bits = image->GetBits();
    std::fill(bits, bits + width * height, Margin);

    // Whole tiles of the largest size that fits, or fractions of a pixel per tile for a garden too big for that.
    const double scale = std::min(static_cast<double>(width) / map->width, static_cast<double>(height) / map->height);
    const int drawnWidth = std::max(1, static_cast<int>(map->width * scale));
    const int drawnHeight = std::max(1, static_cast<int>(map->height * scale));
    const int left = (width - drawnWidth) / 2;
    const int top = (height - drawnHeight) / 2;
    for (int py = 0; py < drawnHeight; py++)
    {
        const int row = std::min(map->height - 1, static_cast<int>(py / scale));
        for (int px = 0; px < drawnWidth; px++)
        {
            const int column = std::min(map->width - 1, static_cast<int>(px / scale));
            uint32_t color = Ground;
            if (map->IsSolidTile(column, row))
            {
                // The top band of a hedge tile under open air is the grass on the floor.
                const bool floor = row == 0 || !map->IsSolidTile(column, row - 1);
                const bool topBand = py - static_cast<int>(row * scale) < std::max(1, static_cast<int>(scale / 4));
                color = floor && topBand ? HedgeTop : Hedge;
            }
            bits[(top + py) * width + left + px] = color;
        }
    }

    // Objects as dots a little larger than a tile allows at small scales, so each one can be seen.
    const int dot = std::clamp(static_cast<int>(scale / 2), 2, 5);
    for (const MapObject& object : map->objects)
    {
        const uint32_t color = ObjectColor(object.type);
        if (!color)
            continue;
        // The middle of the object's tile-sized picture.
        const int cx = left + static_cast<int>((object.x + TileSize / 2) * scale / TileSize);
        const int cy = top + static_cast<int>((object.y + TileSize / 2) * scale / TileSize);
        for (int y = cy - dot / 2; y < cy - dot / 2 + dot; y++)
            for (int x = cx - dot / 2; x < cx - dot / 2 + dot; x++)
                if (x >= left && x < left + drawnWidth && y >= top && y < top + drawnHeight)
                    bits[y * width + x] = color;
    }
    image->BitsChanged();
    return image;
}

} // namespace tibble
