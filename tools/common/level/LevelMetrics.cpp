#include "level/LevelMetrics.h"

#include "level/ObjectKind.h"

#include <vector>

namespace levelc
{

namespace
{

constexpr int TileSize = 64;

// Open regions by flood fill; answers the region number of every tile (-1 for solid ones) and the region count.
int LabelRegions(const LevelSource& level, std::vector<int>& region)
{
    region.assign(static_cast<size_t>(level.width * level.height), -1);
    int regions = 0;
    std::vector<int> stack;
    for (int start = 0; start < level.width * level.height; start++)
    {
        if (region[static_cast<size_t>(start)] >= 0 || level.IsSolid(start % level.width, start / level.width))
            continue;
        region[static_cast<size_t>(start)] = regions;
        stack.push_back(start);
        while (!stack.empty())
        {
            const int at = stack.back();
            stack.pop_back();
            const int c = at % level.width;
            const int r = at / level.width;
            const int steps[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
            for (const auto& step : steps)
            {
                const int nc = c + step[0];
                const int nr = r + step[1];
                if (nc < 0 || nr < 0 || nc >= level.width || nr >= level.height || level.IsSolid(nc, nr))
                    continue;
                const int next = nr * level.width + nc;
                if (region[static_cast<size_t>(next)] < 0)
                {
                    region[static_cast<size_t>(next)] = regions;
                    stack.push_back(next);
                }
            }
        }
        regions++;
    }
    return regions;
}

} // namespace

LevelMetrics LevelMetrics::Measure(const LevelSource& level)
{
    LevelMetrics metrics;
    metrics.tiles = level.width * level.height;
    // Walls for the shapes: the sides and the top, not the bottom.
    auto wall = [&](int c, int r)
    { return r < level.height && (c < 0 || r < 0 || c >= level.width || level.IsSolid(c, r)); };
    for (int r = 0; r < level.height; r++)
    {
        for (int c = 0; c < level.width; c++)
        {
            if (!level.IsSolid(c, r))
                continue;
            metrics.solidTiles++;
            const int shape = (wall(c, r - 1) ? Above : 0) | (wall(c + 1, r) ? Right : 0) |
                              (wall(c, r + 1) ? Below : 0) | (wall(c - 1, r) ? Left : 0);
            metrics.shapeTiles[static_cast<size_t>(shape)]++;
            if (level.IsSolid(c + 1, r) && !level.IsSolid(c, r - 1) && !level.IsSolid(c, r + 1) &&
                !level.IsSolid(c - 1, r))
                metrics.seams++;
        }
    }

    std::vector<int> region;
    const int regions = LabelRegions(level, region);
    std::vector<bool> occupied(static_cast<size_t>(regions), false);
    for (const SourceObject& object : level.objects)
    {
        const ObjectKind* kind = KindOfType(object.type);
        const int offset = kind ? kind->centreOffset : 0;
        const int c = (object.x + offset) / TileSize;
        const int r = (object.y + offset) / TileSize;
        if (c < 0 || r < 0 || c >= level.width || r >= level.height)
            continue;
        const int at = region[static_cast<size_t>(r * level.width + c)];
        if (at >= 0)
            occupied[static_cast<size_t>(at)] = true;
    }
    for (bool used : occupied)
        (used ? metrics.chambers : metrics.sealedPockets)++;
    return metrics;
}

int LevelMetrics::ShapesUsed() const
{
    int used = 0;
    for (int count : shapeTiles)
        used += count ? 1 : 0;
    return used;
}

} // namespace levelc
