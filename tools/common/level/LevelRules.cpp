#include "level/LevelRules.h"

#include "level/MapFile.h"
#include "level/ObjectKind.h"

#include "garden/LevelMap.h"

#include <algorithm>
#include <limits>
#include <map>
#include <set>
#include <string>

namespace levelc
{

namespace
{

constexpr int TileSize = tibble::TileSize;
constexpr int GroupCount = tibble::GroupCount;
constexpr int ScreenWidth = 640;
constexpr int ScreenHeight = 480;

std::string NameOf(const SourceObject& object)
{
    if (object.type == 5 && object.param == ExitLink)
        return std::string(ExitName);
    if (const ObjectKind* kind = KindOfType(object.type))
        return std::string(kind->name);
    return std::string(OtherName) + " " + std::to_string(object.type);
}

bool IsNectar(const SourceObject& object)
{
    const ObjectKind* kind = KindOfType(object.type);
    return kind && kind->nectar;
}

bool IsTrumpet(const SourceObject& object)
{
    return object.type == 5 || object.type == 11;
}

// Design checks over one level, with the flower groups as the game's loader sets them up.
class DesignCheck
{
public:
    DesignCheck(const LevelSource& source, const tibble::LevelMap& loaded, int index, Diagnostics& out)
        : level(source), map(loaded), levelIndex(index), diagnostics(out)
    {
        for (const SourceObject& object : level.objects)
        {
            if (object.type == 2 && object.param >= 0 && object.param < GroupCount)
                sunflowerGroups.insert(object.param);
        }
    }

    void Run()
    {
        StartAndExit();
        TrumpetLinks();
        Angles();
        Positions();
        Groups();
        Tomatoes();
        NectarEnough();
        LiveAgents();
    }

private:
    // A group whose timer ever becomes non-zero: a sunflower opens it, or red roses keep it cycling.
    bool GroupOpens(int group) const
    {
        return sunflowerGroups.count(group) || map.groups[static_cast<size_t>(group)].timer != 0;
    }

    void StartAndExit()
    {
        std::vector<const SourceObject*> starts;
        bool exit = false;
        for (const SourceObject& object : level.objects)
        {
            if (object.type == 10)
                starts.push_back(&object);
            exit = exit || (IsTrumpet(object) && object.param == ExitLink);
        }
        for (size_t i = 0; i + 1 < starts.size(); i++)
            diagnostics.Warning(starts[i]->line, Printf("a second start trumpet: the game starts the bee at the last "
                                                        "one (line %d)",
                                                        starts.back()->line));
        if (!exit)
            diagnostics.Warning(0, "no exit (a trumpet with link 1): the level cannot be completed");
    }

    void TrumpetLinks()
    {
        for (const SourceObject& object : level.objects)
        {
            if (!IsTrumpet(object) || object.param == ExitLink)
                continue;
            const bool partner = std::any_of(level.objects.begin(), level.objects.end(), [&](const SourceObject& o) {
                return &o != &object && o.type == object.type && o.param == object.param;
            });
            if (!partner)
                diagnostics.Warning(object.line, Printf("%s with link %d has no partner %s with the same link: a bee "
                                                        "that enters it has nowhere to come out",
                                                        NameOf(object).c_str(), object.param, NameOf(object).c_str()));
            if (object.param == 0)
                diagnostics.Warning(object.line, "a trumpet with link 0 is drawn closed but takes the bee in; use "
                                                 "links from 2 up");
            else if (object.param > 0 && object.param < GroupCount && !GroupOpens(object.param))
                diagnostics.Warning(object.line, Printf("%s with link %d never opens: no sunflower of group %d",
                                                        NameOf(object).c_str(), object.param, object.param));
        }
    }

    void Angles()
    {
        for (const SourceObject& object : level.objects)
        {
            if ((object.type == 1 || object.type == 4) && (object.param < 0 || object.param >= 360))
                diagnostics.Warning(object.line, Printf("%s %s %d lies outside 0..359 degrees", NameOf(object).c_str(),
                                                        object.type == 1 ? "angle" : "spit", object.param));
        }
    }

    void Positions()
    {
        for (const SourceObject& object : level.objects)
        {
            const ObjectKind* kind = KindOfType(object.type);
            if (!kind)
            {
                diagnostics.Warning(object.line, Printf("type %d is not an object the game knows; it is ignored",
                                                        object.type));
                continue;
            }
            const int cx = object.x + kind->centreOffset;
            const int cy = object.y + kind->centreOffset;
            if (level.IsSolid(cx / TileSize, cy / TileSize))
                diagnostics.Warning(object.line, Printf("%s at (%d, %d) has its %s (%d, %d) inside a solid tile",
                                                        NameOf(object).c_str(), object.x, object.y,
                                                        object.type == 1 ? "nozzle" : "centre", cx, cy));
        }
    }

    void Groups()
    {
        std::map<int, std::vector<const SourceObject*>> roses;
        std::set<int> redRoseGroups;
        for (const SourceObject& object : level.objects)
        {
            const int group = object.param;
            const bool inRange = group >= 0 && group < GroupCount;
            // Group 1 is the exit's: the level sets its timer to -1 when the honey bar is full enough.
            if (group == ExitLink && (object.type == 2 || object.type == 3 || object.type == 7 || object.type == 14))
                diagnostics.Warning(object.line, Printf("%s in group 1, the exit's group: %s", NameOf(object).c_str(),
                                                        object.type == 2 ? "it would open the exit at once"
                                                                         : "the exit's timer decides when it is open"));
            switch (object.type)
            {
            case 3:
            case 14:
                if (inRange && !GroupOpens(group))
                    diagnostics.Warning(object.line, Printf("%s of group %d never opens: no sunflower of group %d",
                                                            NameOf(object).c_str(), group, group));
                break;
            case 6:
                if (object.order < 0)
                    diagnostics.Warning(object.line, Printf("rose with order %d starts wilted: it never feeds and "
                                                            "group %d can never be drained",
                                                            object.order, group));
                else if (inRange)
                    roses[group].push_back(&object);
                break;
            case 7:
                if (inRange)
                    redRoseGroups.insert(group);
                break;
            case 12:
                if (!inRange || map.groups[static_cast<size_t>(group)].count == 0)
                    diagnostics.Warning(object.line, Printf("hive of group %d is never revealed: the group has no "
                                                            "nectar flower",
                                                            group));
                break;
            default:
                break;
            }
        }

        for (int group : redRoseGroups)
        {
            const tibble::FlowerGroup& g = map.groups[static_cast<size_t>(group)];
            if ((g.kind & 0x7F) != tibble::FlowerGroup::KindRedRose || g.timer <= 0)
                diagnostics.Warning(0, Printf("the red roses of group %d never open: another object of the group, "
                                              "later in the file, stops their cycle",
                                              group));
        }

        // A rose opens while its group's drained-rose count equals its order, so the orders of a group must run
        // from that count upwards with no gap and no repeat.
        for (auto& [group, list] : roses)
        {
            const int first = map.groups[static_cast<size_t>(group)].kind;
            std::vector<const SourceObject*> sorted = list;
            std::stable_sort(sorted.begin(), sorted.end(),
                             [](const SourceObject* a, const SourceObject* b) { return a->order < b->order; });
            int expected = first;
            for (const SourceObject* rose : sorted)
            {
                if (rose->order != expected)
                {
                    diagnostics.Warning(rose->line,
                                        Printf("rose of group %d with order %d: the roses of a group must have the "
                                               "orders %d, %d, ... once each, or some never open",
                                               group, rose->order, first, first + 1));
                    break;
                }
                expected++;
            }
            if (sunflowerGroups.count(group) || redRoseGroups.count(group))
                diagnostics.Warning(list.front()->line,
                                    Printf("group %d mixes roses with %s, which change the count the roses open by",
                                           group, sunflowerGroups.count(group) ? "a sunflower" : "red roses"));
        }
    }

    // A tomato bursts about a second after the bee comes within 64 pixels of it and hits the bee wherever it is.
    // A bee that has landed on a flower by then is knocked off before the flower is drained, and the flower stays
    // taken for good; the bee cannot come within 64 pixels of a tomato and reach a flower in that time from this far.
    static constexpr int TomatoFlowerDistance = 176;

    void Tomatoes()
    {
        for (const SourceObject& tomato : level.objects)
        {
            if (tomato.type != 9)
                continue;
            for (const SourceObject& flower : level.objects)
            {
                if (!IsNectar(flower))
                    continue;
                const int offset = KindOfType(flower.type)->centreOffset;
                const double dx = (flower.x + offset) - (tomato.x + 32);
                const double dy = (flower.y + offset) - (tomato.y + 32);
                if (dx * dx + dy * dy < TomatoFlowerDistance * TomatoFlowerDistance)
                {
                    diagnostics.Warning(tomato.line, Printf("tomato within %d pixels of the %s on line %d: its blast "
                                                            "can knock the bee off that flower before it is drained",
                                                            TomatoFlowerDistance, NameOf(flower).c_str(),
                                                            flower.line));
                    break;
                }
            }
        }
    }

    void NectarEnough()
    {
        if (levelIndex < 0)
            return;
        int flowers = 0;
        int canOpen = 0;
        for (const SourceObject& object : level.objects)
        {
            if (!IsNectar(object))
                continue;
            flowers++;
            const bool needsGroup = object.type == 3 || object.type == 14;
            const bool opens = object.param >= 0 && object.param < GroupCount && (!needsGroup || GroupOpens(object.param));
            if (opens && !(object.type == 6 && object.order < 0))
                canOpen++;
        }
        const int needed = LevelRules::FlowersNeeded(flowers, levelIndex);
        if (canOpen < needed)
            diagnostics.Warning(0, Printf("the exit needs %d of the %d nectar flowers, but only %d can ever open",
                                          needed, flowers, canOpen));
    }

    // The level keeps agents for the records of about one screen around the view: tile columns c - 1 .. c + 11
    // and rows r - 1 .. r + 9 for a view whose top-left tile is (c, r). Every view position must fit them all.
    void LiveAgents()
    {
        const int w = level.width;
        const int h = level.height;
        std::vector<int> sum(static_cast<size_t>((w + 1) * (h + 1)), 0);
        auto at = [&](int c, int r) -> int& { return sum[static_cast<size_t>(r * (w + 1) + c)]; };
        for (const SourceObject& object : level.objects)
        {
            const int c = object.x / TileSize;
            const int r = object.y / TileSize;
            if (object.x >= 0 && object.y >= 0 && c < w && r < h)
                at(c + 1, r + 1)++;
        }
        for (int r = 1; r <= h; r++)
            for (int c = 1; c <= w; c++)
                at(c, r) += at(c - 1, r) + at(c, r - 1) - at(c - 1, r - 1);
        auto count = [&](int c0, int r0, int c1, int r1) // inclusive tile range, clipped to the grid
        {
            c0 = std::max(c0, 0);
            r0 = std::max(r0, 0);
            c1 = std::min(c1, w - 1);
            r1 = std::min(r1, h - 1);
            if (c0 > c1 || r0 > r1)
                return 0;
            return at(c1 + 1, r1 + 1) - at(c0, r1 + 1) - at(c1 + 1, r0) + at(c0, r0);
        };
        const int lastColumn = std::max(0, w * TileSize - ScreenWidth) / TileSize;
        const int lastRow = std::max(0, h * TileSize - ScreenHeight) / TileSize;
        int worst = 0;
        int worstColumn = 0;
        int worstRow = 0;
        for (int r = 0; r <= lastRow; r++)
            for (int c = 0; c <= lastColumn; c++)
            {
                const int n = count(c - 1, r - 1, c + 11, r + 9);
                if (n > worst)
                {
                    worst = n;
                    worstColumn = c;
                    worstRow = r;
                }
            }
        if (worst > LevelRules::MaxLiveAgents)
            diagnostics.Warning(0, Printf("%d objects around the view at tile (%d, %d): the game keeps at most %d alive, "
                                          "so some would not appear",
                                          worst, worstColumn, worstRow, LevelRules::MaxLiveAgents));
    }

    const LevelSource& level;
    const tibble::LevelMap& map;
    int levelIndex;
    Diagnostics& diagnostics;
    std::set<int> sunflowerGroups;
};

} // namespace

void LevelRules::CheckPlayable(const LevelSource& level, Diagnostics& diagnostics)
{
    const int errorsBefore = diagnostics.ErrorCount();
    if (level.width < tibble::MinLevelWidth || level.height < tibble::MinLevelHeight)
        diagnostics.Error(level.sizeLine, Printf("the level is %d x %d tiles; the screen needs at least %d x %d",
                                                 level.width, level.height, tibble::MinLevelWidth,
                                                 tibble::MinLevelHeight));
    if (static_cast<long long>(level.width) * level.height > tibble::MaxLevelTiles)
        diagnostics.Error(level.sizeLine, Printf("the level is %d x %d tiles, more than %d", level.width, level.height,
                                                 tibble::MaxLevelTiles));
    if (level.objects.size() > static_cast<size_t>(std::numeric_limits<int16_t>::max()))
        diagnostics.Error(0, Printf("%zu objects; a map holds at most %d", level.objects.size(),
                                    std::numeric_limits<int16_t>::max()));

    const int widthPx = level.width * TileSize;
    const int heightPx = level.height * TileSize;
    bool start = false;
    bool nectar = false;
    for (const SourceObject& object : level.objects)
    {
        start = start || object.type == 10;
        nectar = nectar || IsNectar(object);
        if (object.x < 0 || object.y < 0 || object.x >= widthPx || object.y >= heightPx)
            diagnostics.Error(object.line, Printf("%s at (%d, %d) lies outside the level (%d x %d pixels)",
                                                  NameOf(object).c_str(), object.x, object.y, widthPx, heightPx));
        const ObjectKind* kind = KindOfType(object.type);
        if (kind && kind->indexGroup && (object.param < 0 || object.param >= GroupCount))
            diagnostics.Error(object.line, Printf("%s %s %d: groups run from 0 to %d", NameOf(object).c_str(),
                                                  std::string(ParamName(kind->param)).c_str(), object.param,
                                                  GroupCount - 1));
    }
    if (!start)
        diagnostics.Error(0, "no start trumpet: the level needs a 'start' line");
    if (!nectar)
        diagnostics.Error(0, "no nectar flower: the honey bar needs at least one");

    // The game's own loader has the last word, so the two can never disagree unnoticed.
    if (diagnostics.ErrorCount() == errorsBefore)
    {
        const std::vector<uint8_t> bytes = MapFile::Encode(level);
        if (std::optional<std::string> why = tibble::ValidateLevelFile(bytes))
            diagnostics.Error(0, "the game cannot load this map: " + *why);
    }
}

void LevelRules::CheckDesign(const LevelSource& level, int levelIndex, Diagnostics& diagnostics)
{
    const std::vector<uint8_t> bytes = MapFile::Encode(level);
    std::optional<tibble::LevelMap> map = tibble::LevelMap::Parse(bytes);
    if (!map)
        return; // CheckPlayable reports why
    DesignCheck(level, *map, levelIndex, diagnostics).Run();
}

int LevelRules::LevelIndexOfMap(std::string_view stem)
{
    for (int i = 0; i < tibble::LevelCount; i++)
    {
        std::string_view name = tibble::LevelFileNames[i];
        const size_t slash = name.rfind('/');
        name = name.substr(slash + 1);
        name = name.substr(0, name.rfind('.'));
        if (name == stem)
            return i;
    }
    return -1;
}

int LevelRules::FlowersNeeded(int nectarFlowers, int levelIndex)
{
    if (nectarFlowers <= 0 || levelIndex < 0)
        return 0;
    // The bar is nectar collected x 270 / nectar total pixels long, and the exit opens at percent x 270 / 100.
    const int threshold = tibble::LevelNeedPercent[levelIndex % tibble::LevelCount] * 270 / 100;
    for (int k = 0; k <= nectarFlowers; k++)
    {
        if (10 * k * 270 / (10 * nectarFlowers) >= threshold)
            return k;
    }
    return nectarFlowers;
}

} // namespace levelc
