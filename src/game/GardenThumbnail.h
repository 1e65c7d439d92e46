// A small picture of a whole garden drawn from its map: hedge and open ground, and a dot for each flower, hose,
// trumpet and hazard in the colours the game gives them. The garden picker shows one per garden; they are drawn
// when the game has loaded. Stateless; main thread.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

namespace zest
{
class MemoryImage;
}

namespace tibble
{

class GardenThumbnail
{
public:
    // The picture of the map, width x height pixels, the garden centred in it at the largest scale that fits;
    // none when the bytes are not a map.
    static std::unique_ptr<zest::MemoryImage> Draw(std::span<const uint8_t> mapBytes, int width, int height);
};

} // namespace tibble
