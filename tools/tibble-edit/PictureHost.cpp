#include "PictureHost.h"

#include "garden/LevelMap.h"

namespace tibble::edit
{

PictureHost::PictureHost(const LevelState& state, uint32_t seed) : sim::SimHost(seed)
{
    const int width = state.width;
    const int height = state.height;
    if (width <= 0 || height <= 0 || state.tiles.size() != static_cast<size_t>(width) * static_cast<size_t>(height))
        return;
    auto solid = [&](int column, int row) { return state.Contains(column, row) && state.Tile(column, row) >= 2; };
    // The garden asks once per open tile in file order, then once per hedge tile whose look has two variants
    // (Level::BuildTiles); the answers follow the same walk.
    for (int row = 0; row < height; row++)
        for (int column = 0; column < width; column++)
            if (!solid(column, row))
                answers.push_back(TileAnswer(seed, column, row, 0));
    for (int row = 0; row < height; row++)
    {
        for (int column = 0; column < width; column++)
        {
            if (!solid(column, row))
                continue;
            const int mask = (solid(column, row - 1) ? 1 : 0) | (solid(column + 1, row) ? 2 : 0) |
                             (solid(column, row + 1) ? 4 : 0) | (solid(column - 1, row) ? 8 : 0);
            const int variant = AutoTileTable[mask];
            if (variant == 0 || variant == 2)
                answers.push_back(TileAnswer(seed, column, row, 1));
        }
    }
}

uint32_t PictureHost::Random()
{
    if (next < answers.size())
        return answers[next++];
    return sim::SimHost::Random();
}

uint32_t PictureHost::TileAnswer(uint32_t seed, int column, int row, int pass)
{
    // A 32-bit integer hash (the finaliser of MurmurHash3) of the seed and the tile's place: neighbours get
    // unrelated answers.
    uint32_t h = seed * 0x9E3779B9u ^ static_cast<uint32_t>(column) * 0x85EBCA6Bu ^
                 static_cast<uint32_t>(row) * 0xC2B2AE35u ^ static_cast<uint32_t>(pass) * 0x27D4EB2Fu;
    h ^= h >> 16;
    h *= 0x85EBCA6Bu;
    h ^= h >> 13;
    h *= 0xC2B2AE35u;
    h ^= h >> 16;
    return h >> 1;
}

} // namespace tibble::edit
