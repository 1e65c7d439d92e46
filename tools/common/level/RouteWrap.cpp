#include "level/RouteWrap.h"

#include "level/ObjectKind.h"

#include "garden/LevelMap.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <deque>
#include <random>
#include <set>
#include <sstream>

namespace levelc
{

namespace
{

using Tile = std::pair<int, int>; // column, row

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));
    return lines;
}

std::string Trimmed(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::vector<std::string> Words(const std::string& text)
{
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

int FloorDiv(int value, int by)
{
    return value >= 0 ? value / by : -((-value + by - 1) / by);
}

// The shuffle of a designer's seed: the order the free tiles are tried in. Mersenne Twister seeded from the seed's
// 32-bit words and the unbiased draw below n by rejection, so a seed names the same order wherever it runs.
class SeededOrder
{
public:
    explicit SeededOrder(uint32_t seed)
    {
        // The reference generator's seeding from a key of words (here the one word of the seed).
        constexpr int N = 624;
        uint32_t mt[N];
        mt[0] = 19650218u;
        for (int i = 1; i < N; i++)
            mt[i] = 1812433253u * (mt[i - 1] ^ (mt[i - 1] >> 30)) + static_cast<uint32_t>(i);
        int i = 1;
        for (int k = N; k > 0; k--)
        {
            mt[i] = (mt[i] ^ ((mt[i - 1] ^ (mt[i - 1] >> 30)) * 1664525u)) + seed;
            if (++i >= N)
            {
                mt[0] = mt[N - 1];
                i = 1;
            }
        }
        for (int k = N - 1; k > 0; k--)
        {
            mt[i] = (mt[i] ^ ((mt[i - 1] ^ (mt[i - 1] >> 30)) * 1566083941u)) - static_cast<uint32_t>(i);
            if (++i >= N)
            {
                mt[0] = mt[N - 1];
                i = 1;
            }
        }
        mt[0] = 0x80000000u;
        std::stringstream state;
        for (uint32_t word : mt)
            state << word << ' ';
        state >> engine;
    }

    template <class T> void Shuffle(std::vector<T>& items)
    {
        for (size_t i = items.size(); i-- > 1;)
            std::swap(items[i], items[Below(static_cast<uint32_t>(i + 1))]);
    }

private:
    uint32_t Below(uint32_t n)
    {
        const int bits = 32 - std::countl_zero(n);
        uint32_t r;
        do
            r = static_cast<uint32_t>(engine()) >> (32 - bits);
        while (r >= n);
        return r;
    }

    std::mt19937 engine;
};

class Garden
{
public:
    explicit Garden(std::vector<std::string> rows) : rows(std::move(rows))
    {
        width = static_cast<int>(this->rows[0].size());
        height = static_cast<int>(this->rows.size());
    }

    bool In(int c, int r) const { return c >= 0 && r >= 0 && c < width && r < height; }
    char& At(int c, int r) { return rows[r][c]; }
    char At(int c, int r) const { return rows[r][c]; }
    // The grid's sides and top count as hedge, its bottom as open.
    bool Solid(int c, int r) const
    {
        if (r < 0 || c < 0 || c >= width)
            return true;
        return r < height && rows[r][c] == '#';
    }
    int Shape(int c, int r) const
    {
        return (Solid(c, r - 1) ? 8 : 0) | (Solid(c + 1, r) ? 4 : 0) | (Solid(c, r + 1) ? 2 : 0) |
               (Solid(c - 1, r) ? 1 : 0);
    }
    // Bit per hedge piece used.
    uint32_t Shapes() const
    {
        uint32_t used = 0;
        for (int r = 0; r < height; r++)
            for (int c = 0; c < width; c++)
                if (rows[r][c] == '#')
                    used |= 1u << Shape(c, r);
        return used;
    }
    // Blocks whose only solid neighbour is on their right: the auto-tiler draws them as lone blocks.
    std::vector<Tile> Seams() const
    {
        std::vector<Tile> seams;
        for (int r = 0; r < height; r++)
            for (int c = 0; c < width; c++)
                if (rows[r][c] == '#' && Shape(c, r) == 4)
                    seams.emplace_back(c, r);
        return seams;
    }
    int SolidCount() const
    {
        int count = 0;
        for (const std::string& row : rows)
            count += static_cast<int>(std::count(row.begin(), row.end(), '#'));
        return count;
    }
    double Share() const { return static_cast<double>(SolidCount()) / (width * height); }

    std::vector<std::string> rows;
    int width = 0;
    int height = 0;
};

// The tiles the objects' pictures cover (a hose: its nozzle and the tiles next to it), which stay open.
std::set<Tile> ObjectTiles(const std::vector<std::string>& lines, int width, int height)
{
    std::set<Tile> keep;
    for (const std::string& line : lines)
    {
        const std::vector<std::string> words = Words(line.substr(0, line.find('#')));
        if (words.size() < 4 || (words[1] != "at" && words[1] != "tile"))
            continue;
        double x = std::strtod(words[2].c_str(), nullptr);
        double y = std::strtod(words[3].c_str(), nullptr);
        if (words[1] == "tile")
        {
            x *= tibble::TileSize;
            y *= tibble::TileSize;
        }
        double box[4];
        const ObjectKind* kind = KindOfName(words[0]);
        if (kind && kind->param == ParamKind::Angle)
            box[0] = x - 40, box[1] = y - 40, box[2] = x + 40, box[3] = y + 40;
        else
        {
            // The sprite's size is twice its centre offset; the exit and unknown names are 64-pixel trumpets.
            const int size = kind && kind->centreOffset > 0 ? 2 * kind->centreOffset : tibble::TileSize;
            box[0] = x, box[1] = y, box[2] = x + size - 1, box[3] = y + size - 1;
        }
        auto tileOf = [](double v) { return FloorDiv(static_cast<int>(std::trunc(v)), tibble::TileSize); };
        for (int r = std::max(0, tileOf(box[1])); r <= std::min(height - 1, tileOf(box[3])); r++)
            for (int c = std::max(0, tileOf(box[0])); c <= std::min(width - 1, tileOf(box[2])); c++)
                keep.emplace(c, r);
    }
    return keep;
}

bool ReadTrails(const std::vector<std::string>& texts, std::set<Tile>& frozen, WrapReport& report, std::string& error)
{
    for (const std::string& text : texts)
    {
        for (const std::string& line : SplitLines(text))
        {
            const std::vector<std::string> words = Words(line);
            if (words.size() < 3 || words[0] != "run")
                continue;
            report.runs++;
            if (words[2] != "completed")
                continue;
            report.completedRuns++;
            for (size_t i = 4; i < words.size(); i++)
            {
                const std::string& pair = words[i];
                const size_t comma = pair.find(',');
                int c = 0;
                int r = 0;
                const char* end = pair.data() + pair.size();
                if (comma == std::string::npos ||
                    std::from_chars(pair.data(), pair.data() + comma, c).ptr != pair.data() + comma ||
                    std::from_chars(pair.data() + comma + 1, end, r).ptr != end)
                {
                    error = "a trail tile is not COLUMN,ROW: '" + pair + "'";
                    return false;
                }
                frozen.emplace(c, r);
            }
        }
    }
    return true;
}

// 8-connected steps from the nearest source; tiles no source reaches are absent (read as 99).
std::vector<int> Distances(const Garden& garden, const std::set<Tile>& sources)
{
    const int width = garden.width;
    std::vector<int> dist(static_cast<size_t>(width * garden.height), -1);
    std::deque<std::pair<Tile, int>> queue;
    for (const Tile& s : sources)
    {
        if (garden.In(s.first, s.second))
            dist[s.second * width + s.first] = 0;
        queue.emplace_back(s, 0);
    }
    while (!queue.empty())
    {
        const auto [t, d] = queue.front();
        queue.pop_front();
        for (int dc = -1; dc <= 1; dc++)
            for (int dr = -1; dr <= 1; dr++)
            {
                const int c = t.first + dc;
                const int r = t.second + dr;
                if (garden.In(c, r) && dist[r * width + c] < 0)
                {
                    dist[r * width + c] = d + 1;
                    queue.emplace_back(Tile{c, r}, d + 1);
                }
            }
    }
    return dist;
}

// Fills open regions of free tiles that no route or object reaches.
void FillPockets(Garden& garden, const std::set<Tile>& free, const std::set<Tile>& reached)
{
    std::vector<bool> seen(static_cast<size_t>(garden.width * garden.height), false);
    for (int r = 0; r < garden.height; r++)
        for (int c = 0; c < garden.width; c++)
        {
            if (garden.At(c, r) != '.' || seen[r * garden.width + c])
                continue;
            std::vector<Tile> region;
            std::deque<Tile> queue{{c, r}};
            seen[r * garden.width + c] = true;
            bool useful = false;
            while (!queue.empty())
            {
                const Tile t = queue.front();
                queue.pop_front();
                region.push_back(t);
                useful = useful || reached.count(t);
                const Tile next[] = {
                    {t.first + 1, t.second}, {t.first - 1, t.second}, {t.first, t.second + 1}, {t.first, t.second - 1}};
                for (const Tile& n : next)
                    if (garden.In(n.first, n.second) && !seen[n.second * garden.width + n.first] &&
                        garden.At(n.first, n.second) == '.')
                    {
                        seen[n.second * garden.width + n.first] = true;
                        queue.push_back(n);
                    }
            }
            if (!useful && std::all_of(region.begin(), region.end(), [&](const Tile& t) { return free.count(t); }))
                for (const Tile& t : region)
                    garden.At(t.first, t.second) = '#';
        }
}

bool FixSeams(Garden& garden, const std::set<Tile>& free)
{
    const int cells = garden.width * garden.height;
    for (int attempt = 0; attempt < 4 * cells; attempt++)
    {
        const std::vector<Tile> bad = garden.Seams();
        if (bad.empty())
            return true;
        const auto [c, r] = bad[0];
        if (free.count({c - 1, r}))
            garden.At(c - 1, r) = '#';
        else if (free.count({c, r}))
            garden.At(c, r) = '.';
        else if (free.count({c, r - 1}) && garden.At(c, r - 1) == '.')
            garden.At(c, r - 1) = '#';
        else if (free.count({c, r + 1}) && r + 1 < garden.height && garden.At(c, r + 1) == '.')
            garden.At(c, r + 1) = '#';
        else
            return false;
    }
    return false;
}

// The grid rows between "grid" and "end" (their line indexes in start and end); none with error when there is no
// such block or a row is not '.' and '#' of the first row's width.
std::optional<Garden> ReadGarden(const std::vector<std::string>& lines, size_t& start, size_t& end, std::string& error)
{
    start = 0;
    while (start < lines.size() && Trimmed(lines[start]) != "grid")
        start++;
    end = start + 1;
    while (end < lines.size() && Trimmed(lines[end]) != "end")
        end++;
    if (end >= lines.size() || end == start + 1)
    {
        error = "no \"grid\" ... \"end\" block";
        return std::nullopt;
    }
    std::vector<std::string> rows;
    for (size_t i = start + 1; i < end; i++)
    {
        rows.push_back(Trimmed(lines[i]));
        if (rows.back().find_first_not_of(".#") != std::string::npos || rows.back().size() != rows[0].size() ||
            rows.back().empty())
        {
            error = "line " + std::to_string(i + 1) + ": only rows of '.' and '#' of one width can be wrapped";
            return std::nullopt;
        }
    }
    return Garden(std::move(rows));
}

// The open tiles that are neither fixed nor in a pit, row by row. Hedge the level was drawn with stays (opening it
// could cut a pit into a floor), and so do pits: a gap in the bottom row and the open shaft above it, up to the
// first hedge.
std::vector<Tile> FreeTiles(const Garden& garden, const std::set<Tile>& fixed)
{
    std::set<Tile> pits;
    for (int c = 0; c < garden.width; c++)
        for (int r = garden.height - 1; r >= 0 && garden.At(c, garden.height - 1) == '.' && garden.At(c, r) == '.'; r--)
            pits.emplace(c, r);
    std::vector<Tile> free;
    for (int r = 0; r < garden.height; r++)
        for (int c = 0; c < garden.width; c++)
            if (!fixed.count({c, r}) && !pits.count({c, r}) && garden.At(c, r) == '.')
                free.emplace_back(c, r);
    return free;
}

// Corridors and chambers round the routes: the free tiles gap or more from a fixed tile filled, then the nearest
// opened or the farthest filled to bring the solid share to solid.
void FillRoundRoutes(Garden& garden, const std::vector<Tile>& free, const std::set<Tile>& fixed, int gap, double solid)
{
    const std::vector<int> dist = Distances(garden, fixed);
    auto distance = [&](const Tile& t)
    {
        const int d = dist[t.second * garden.width + t.first];
        return d < 0 ? 99 : d;
    };
    for (const Tile& t : free)
        if (distance(t) >= gap)
            garden.At(t.first, t.second) = '#';
    std::vector<Tile> order = free;
    std::stable_sort(order.begin(), order.end(),
                     [&](const Tile& a, const Tile& b) { return distance(a) < distance(b); });
    const int cells = garden.width * garden.height;
    int count = garden.SolidCount();
    for (const Tile& t : order) // nearest first: widen the corridors
    {
        if (count <= solid * cells)
            break;
        if (garden.At(t.first, t.second) == '#')
        {
            garden.At(t.first, t.second) = '.';
            count--;
        }
    }
    for (auto t = order.rbegin(); t != order.rend(); ++t) // farthest first: fill the open sky
    {
        if (count >= solid * cells)
            break;
        if (garden.At(t->first, t->second) == '.')
        {
            garden.At(t->first, t->second) = '#';
            count++;
        }
    }
}

// The whole set of pieces: free tiles toggled one at a time in the seed's order, each toggle kept that adds a piece
// (or, with as many pieces, removes a seam) and keeps the solid share within 20-55 %; six rounds at the most.
void ShapeHedge(Garden& garden, const std::vector<Tile>& free, uint32_t seed)
{
    SeededOrder random(seed);
    auto score = [&garden]()
    { return std::pair<int, int>(std::popcount(garden.Shapes()), -static_cast<int>(garden.Seams().size())); };
    std::pair<int, int> best = score();
    for (int round = 0; round < 6; round++)
    {
        bool improved = false;
        std::vector<Tile> tiles = free;
        random.Shuffle(tiles);
        for (const Tile& t : tiles)
        {
            char& tile = garden.At(t.first, t.second);
            const char old = tile;
            tile = old == '#' ? '.' : '#';
            const std::pair<int, int> now = score();
            const double share = garden.Share();
            if (now > best && share >= 0.2 && share <= 0.55)
            {
                best = now;
                improved = true;
            }
            else
                tile = old;
        }
        if (!improved || best.first == 16)
            break;
    }
}

} // namespace

std::optional<std::string> WrapRoute(const std::string& sourceText, const std::vector<std::string>& trailTexts,
                                     const WrapOptions& options, WrapReport& report, std::string& error)
{
    report = WrapReport{};
    const std::vector<std::string> lines = SplitLines(sourceText);
    size_t start = 0;
    size_t end = 0;
    std::optional<Garden> read = ReadGarden(lines, start, end, error);
    std::set<Tile> fixed;
    if (!read || !ReadTrails(trailTexts, fixed, report, error))
        return std::nullopt;
    Garden& garden = *read;
    // The completing runs' tiles and the objects' tiles.
    const std::set<Tile> keep = ObjectTiles(lines, garden.width, garden.height);
    fixed.insert(keep.begin(), keep.end());
    const std::vector<Tile> free = FreeTiles(garden, fixed);
    const std::set<Tile> freeSet(free.begin(), free.end());
    report.freeTiles = static_cast<int>(free.size());

    FillRoundRoutes(garden, free, fixed, options.gap, options.solid);
    FillPockets(garden, freeSet, fixed); // pockets nothing reaches
    FixSeams(garden, freeSet);
    ShapeHedge(garden, free, options.seed);
    FixSeams(garden, freeSet);
    // Shaping can close off a pocket of its own.
    FillPockets(garden, freeSet, fixed);
    FixSeams(garden, freeSet);

    std::string out;
    for (size_t i = 0; i <= start; i++)
        out += lines[i] + '\n';
    for (const std::string& row : garden.rows)
        out += row + '\n';
    for (size_t i = end; i < lines.size(); i++)
        out += lines[i] + (i + 1 < lines.size() ? "\n" : "");
    const uint32_t shapes = garden.Shapes();
    for (int shape = 0; shape < 16; shape++)
        if (!(shapes & (1u << shape)))
            report.missingShapes.push_back(shape);
    report.solidShare = garden.Share();
    report.seams = static_cast<int>(garden.Seams().size());
    return out;
}

} // namespace levelc
