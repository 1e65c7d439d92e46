#include "Heuristic.h"

#include "garden/Bee.h"
#include "garden/Level.h"
#include "garden/MapObject.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <queue>

namespace tibble::plan
{
namespace
{

constexpr int NectarWeight = 1000;    // per nectar point: a drained flower (10) outweighs any distance
constexpr int ExitOpenBonus = 3000;
constexpr int LifeLostPenalty = 50000;

int CentreOffset(int type)
{
    switch (type)
    {
    case TypeMiniFlower:
    case TypeHive:
    case TypePansy:
    case TypePansy2:
        return 24;
    default:
        return 32;
    }
}

bool IsNectar(int type)
{
    return type == TypeMiniFlower || type == TypeRose || type == TypeRedRose || type == TypePurpleRose ||
           type == TypePansy || type == TypePansy2;
}

bool IsLinkTrumpet(const MapObject& record)
{
    return (record.type == TypeTrumpet || record.type == TypeLinkTrumpet) && record.param >= 2;
}

bool ExitDue(Level& level)
{
    if (level.GetNectarTotal() <= 0)
        return true;
    return level.GetNectarCollected() * Level::BarLength / level.GetNectarTotal() >= level.GetBarThreshold();
}

struct Target
{
    int x;
    int y;
};

// The centres of the records the bee should head for. Answers false when there are none.
bool MarkTargets(Level& level, std::vector<Target>& targets, bool sunflowersOnly)
{
    const int width = level.GetWidth();
    bool any = false;
    auto mark = [&](const MapObject& record)
    {
        const int offset = CentreOffset(record.type);
        const int column = (record.x + offset) / TileSize;
        const int row = (record.y + offset) / TileSize;
        if (column >= 0 && column < width && row >= 0 && row < level.GetHeight())
        {
            targets.push_back({record.x + offset, record.y + offset});
            any = true;
        }
    };
    std::span<MapObject> objects = level.GetObjects();
    if (!sunflowersOnly && ExitDue(level))
    {
        for (const MapObject& record : objects)
        {
            if (record.type == TypeTrumpet && record.param == 1)
                mark(record);
        }
        return any;
    }
    // Groups whose sunflower would open something the bee still needs.
    bool groupWanted[GroupCount] = {};
    for (const MapObject& record : objects)
    {
        if (record.param < 0 || record.param >= GroupCount)
            continue;
        const FlowerGroup& group = level.Group(record.param);
        if (record.type == TypeMiniFlower && record.state >= 0 && group.timer <= 0)
            groupWanted[record.param] = true;
        if (record.type == TypePansy2 && record.state >= 0 && group.timer == 0)
            groupWanted[record.param] = true;
        if (sunflowersOnly && IsLinkTrumpet(record) && group.timer == 0)
            groupWanted[record.param] = true;
    }
    for (const MapObject& record : objects)
    {
        if (record.type == TypeSunflower && record.param >= 0 && record.param < GroupCount &&
            groupWanted[record.param])
            mark(record);
        if (sunflowersOnly || !IsNectar(record.type) || record.state < 0)
            continue;
        if (record.param < 0 || record.param >= GroupCount)
            continue;
        const FlowerGroup& group = level.Group(record.param);
        switch (record.type)
        {
        case TypeMiniFlower:
            if (group.timer > 0)
                mark(record);
            break;
        case TypePansy2:
            if (group.timer != 0)
                mark(record);
            break;
        case TypeRose:
            if (record.state == group.kind)
                mark(record);
            break;
        default:
            mark(record);
            break;
        }
    }
    return any;
}

// Pixels from the bee to the nearest target: the path over open tiles (diagonal steps allowed) and open
// trumpet links, but never less than the straight distance, so that the last tile still shows progress.
// -1 when no target can be reached.
int Search(Level& level, const std::vector<Target>& targets)
{
    const int width = level.GetWidth();
    const int height = level.GetHeight();
    const Bee& bee = level.GetBee();
    const int startColumn = std::clamp(static_cast<int>(bee.centreX) / TileSize, 0, width - 1);
    const int startRow = std::clamp(static_cast<int>(bee.centreY) / TileSize, 0, height - 1);

    // Open trumpet links: from the trumpet's tile to its partner's tile.
    std::vector<std::pair<int, int>> links;
    std::span<MapObject> objects = level.GetObjects();
    for (MapObject& record : objects)
    {
        if (!IsLinkTrumpet(record) || record.param >= GroupCount || level.Group(record.param).timer == 0)
            continue;
        const MapObject* partner = level.FindPartner(record);
        if (!partner)
            continue;
        const int from = ((record.y + 32) / TileSize) * width + (record.x + 32) / TileSize;
        const int to = ((partner->y + 32) / TileSize) * width + (partner->x + 32) / TileSize;
        if (from >= 0 && from < width * height && to >= 0 && to < width * height)
            links.emplace_back(from, to);
    }

    constexpr int Straight = TileSize;
    constexpr int Diagonal = 90;
    std::vector<int> cost(static_cast<size_t>(width * height), -1);
    using Entry = std::pair<int, int>; // cost, cell
    std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> queue;
    const int start = startRow * width + startColumn;
    cost[static_cast<size_t>(start)] = 0;
    queue.push({0, start});
    auto open = [&](int c, int r) { return c >= 0 && c < width && r >= 0 && r < height && !level.IsSolid(c, r); };
    while (!queue.empty())
    {
        const auto [here, cell] = queue.top();
        queue.pop();
        if (here > cost[static_cast<size_t>(cell)])
            continue;
        const int column = cell % width;
        const int row = cell / width;
        auto visit = [&](int next, int step)
        {
            const int total = here + step;
            int& known = cost[static_cast<size_t>(next)];
            if (known < 0 || total < known)
            {
                known = total;
                queue.push({total, next});
            }
        };
        for (int dr = -1; dr <= 1; dr++)
        {
            for (int dc = -1; dc <= 1; dc++)
            {
                if ((dc == 0 && dr == 0) || !open(column + dc, row + dr))
                    continue;
                if (dc != 0 && dr != 0 && (!open(column + dc, row) || !open(column, row + dr)))
                    continue;
                visit((row + dr) * width + column + dc, dc != 0 && dr != 0 ? Diagonal : Straight);
            }
        }
        for (const auto& [from, to] : links)
        {
            if (from == cell)
                visit(to, Straight);
        }
    }
    int best = -1;
    for (const Target& target : targets)
    {
        const int column = std::clamp(target.x / TileSize, 0, width - 1);
        const int row = std::clamp(target.y / TileSize, 0, height - 1);
        const int path = cost[static_cast<size_t>(row * width + column)];
        if (path < 0)
            continue;
        const double straight = std::hypot(bee.centreX - static_cast<float>(target.x),
                                           bee.centreY - static_cast<float>(target.y));
        const int distance = std::max(static_cast<int>(straight), path - Straight);
        if (best < 0 || distance < best)
            best = distance;
    }
    return best;
}

} // namespace

int Heuristic::DistanceToTarget(Level& level)
{
    std::vector<Target> targets;
    if (MarkTargets(level, targets, false))
    {
        const int distance = Search(level, targets);
        if (distance >= 0)
            return distance;
    }
    // Nothing needed is reachable: a sunflower that opens more of the garden is the next best thing.
    targets.clear();
    if (MarkTargets(level, targets, true))
    {
        const int distance = Search(level, targets);
        if (distance >= 0)
            return distance + TileSize * 4;
    }
    return Unreachable;
}

StateScore Heuristic::Score(Level& level, int livesLost)
{
    StateScore score;
    score.nectar = level.GetNectarCollected();
    score.exitOpen = level.GetBarShown() >= level.GetBarThreshold();
    score.distance = DistanceToTarget(level);
    score.value = static_cast<double>(score.nectar) * NectarWeight + (ExitDue(level) ? ExitOpenBonus : 0) -
                  score.distance - static_cast<double>(livesLost) * LifeLostPenalty;
    return score;
}

} // namespace tibble::plan
