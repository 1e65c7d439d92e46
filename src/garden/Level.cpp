#include "garden/Level.h"

#include "garden/Res.h"
#include "garden/Agent.h"
#include "garden/Flower.h"
#include "garden/FlyTrap.h"
#include "garden/Hive.h"
#include "garden/Hose.h"
#include "garden/MiniFlower.h"
#include "garden/Pansy.h"
#include "garden/Pansy2.h"
#include "garden/PurpleRose.h"
#include "garden/RedRose.h"
#include "garden/Rose.h"
#include "garden/Sunflower.h"
#include "garden/Tomato.h"
#include "garden/Trumpet.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "platform/ZestAssert.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

namespace tibble
{

namespace
{

int LevelSlot(int levelIndex)
{
    return ((levelIndex % LevelCount) + LevelCount) % LevelCount;
}

// The counters' plate: a dark face that keeps the lives and hives readable over any garden object or sky (a hose
// or a sunflower may stand right under them), in a cream rim; wide enough for two digits each. The face lets a
// little of the garden through, so a hose under it can still be made out.
constexpr zest::Rect CounterPlate(474, 3, 162, 43);
constexpr int CounterPlateRadius = 9;
constexpr int CounterPlateRim = 2;
const zest::Color CounterPlateFace(58, 50, 66, 200);
const zest::Color CounterPlateRimColour(250, 238, 206);

// Where row y of a rectangle with corners rounded by radius starts and ends (end exclusive); an empty span for rows
// outside it. Corner row k (from the edge) is inset by r - sqrt(r^2 - (r - k - 0.5)^2), rounded.
std::pair<int, int> RoundedRowSpan(const zest::Rect& rect, int radius, int y)
{
    if (y < rect.y || y >= rect.y + rect.height)
        return {0, 0};
    const int fromEdge = std::min(y - rect.y, rect.y + rect.height - 1 - y);
    int inset = 0;
    if (fromEdge < radius)
    {
        const double dy = radius - fromEdge - 0.5;
        inset = radius - static_cast<int>(std::lround(std::sqrt(radius * radius - dy * dy)));
    }
    return {rect.x + inset, rect.x + rect.width - inset};
}

// The face filled and the rim around it, row by row, so that a translucent face blends with the garden only.
void DrawCounterPlate(zest::Graphics& g)
{
    const zest::Rect& outer = CounterPlate;
    const zest::Rect inner(outer.x + CounterPlateRim, outer.y + CounterPlateRim, outer.width - 2 * CounterPlateRim,
                           outer.height - 2 * CounterPlateRim);
    for (int y = outer.y; y < outer.y + outer.height; y++)
    {
        const auto [outerStart, outerEnd] = RoundedRowSpan(outer, CounterPlateRadius, y);
        auto [innerStart, innerEnd] = RoundedRowSpan(inner, CounterPlateRadius - CounterPlateRim, y);
        if (innerStart >= innerEnd)
            innerStart = innerEnd = outerEnd; // a rim row: all of it
        g.SetColor(CounterPlateRimColour);
        g.FillRect(outerStart, y, innerStart - outerStart, 1);
        g.FillRect(innerEnd, y, outerEnd - innerEnd, 1);
        g.SetColor(CounterPlateFace);
        g.FillRect(innerStart, y, innerEnd - innerStart, 1);
    }
}

// Agents exist within a window around the view: a column's records from one tile row above the
// camera's tile row to ten below it, a row's records from one tile column left of the camera's to
// twelve right of it. Both windows count from the camera rounded down to its tile.
constexpr int ColumnWindowBelow = 640;
constexpr int RowWindowRight = 768;

} // namespace

std::unique_ptr<Level> Level::Load(int levelIndex, LevelHost& host, std::string* error)
{
    const char* fileName = LevelFileNames[LevelSlot(levelIndex)];
    std::vector<uint8_t> bytes;
    if (!host.ReadFileIntoBuffer(fileName, bytes))
    {
        if (error)
            *error = std::string("cannot read ") + fileName;
        return nullptr;
    }
    return FromBytes(levelIndex, host, bytes, error);
}

std::unique_ptr<Level> Level::FromBytes(int levelIndex, LevelHost& host, std::span<const uint8_t> bytes,
                                        std::string* error)
{
    std::optional<LevelMap> map = LevelMap::Parse(bytes, error);
    if (!map)
        return nullptr;
    return std::make_unique<Level>(BuildKey(), levelIndex, host, std::move(*map));
}

Level::Level(BuildKey, int index, LevelHost& levelHost, LevelMap map) : levelIndex(index), host(levelHost)
{
    barThreshold = LevelNeedPercent[LevelSlot(index)] * BarLength / 100;
    width = map.width;
    height = map.height;
    widthPx = width * TileSize;
    heightPx = height * TileSize;
    maxCameraX = widthPx - ScreenWidth;
    maxCameraY = heightPx - ScreenHeight;

    BuildTiles(map);
    objects = std::move(map.objects);
    groups = map.groups;
    nectarTotal = map.nectarTotal;
    LinkRecords();
    start = &objects[static_cast<size_t>(map.startIndex)];
    checkpoint = start;

    background = std::make_unique<zest::MemoryImage>(host.GetLiveImageSet());
    background->Create(RingWidth, RingHeight);
    backgroundContext = std::make_unique<zest::Graphics>(background.get());
    // Opaque from the start, so tiles are copied into it and it is copied to the screen whole.
    backgroundContext->SetColor(zest::Color::Black);
    backgroundContext->FillRect(0, 0, RingWidth, RingHeight);
    background->SetImageMode(false, false);
    tileImage = IMAGE_BGBLOCKS;

    bee = std::make_unique<Bee>(this, IMAGE_BEE, start->x + 8, start->y + 8);
    MoveCamera(bee->x - ScreenWidth / 2, bee->y - ScreenHeight / 2);
    EmergeBeeAt(*start);
    introCounter = IntroDraws;
}

Level::~Level()
{
    // Agents reach back into the level (a hose gives back the held hose), so they go first.
    for (int slot = 0; slot < AgentSlots; slot++)
        if (agents[static_cast<size_t>(slot)])
            DestroyAgentInSlot(slot);
}

void Level::BuildTiles(const LevelMap& map)
{
    const size_t count = map.tileValues.size();
    tiles.resize(count);
    // First pass, file order: solid blocks become 8, open garden a random variant 0..7.
    for (size_t i = 0; i < count; i++)
        tiles[i] = map.tileValues[i] >= 2 ? 8 : static_cast<uint8_t>(host.Random() & 7);

    // Second pass: each solid block takes the cel its neighbours call for. Blocks already rewritten
    // still count as solid (> 7); outside the grid counts as open.
    auto solid = [this](int column, int row)
    {
        return column >= 0 && row >= 0 && column < width && row < height &&
               tiles[static_cast<size_t>(row * width + column)] > 7;
    };
    for (int row = 0; row < height; row++)
    {
        for (int column = 0; column < width; column++)
        {
            uint8_t& tile = tiles[static_cast<size_t>(row * width + column)];
            if (tile != 8)
                continue;
            const int mask = (solid(column, row - 1) ? 1 : 0) | (solid(column + 1, row) ? 2 : 0) |
                             (solid(column, row + 1) ? 4 : 0) | (solid(column - 1, row) ? 8 : 0);
            int variant = AutoTileTable[mask];
            if (variant == 0)
                variant = static_cast<int>(host.Random() & 1);
            else if (variant == 2)
                variant = static_cast<int>((host.Random() & 1) | 2);
            tile = static_cast<uint8_t>(8 + variant);
        }
    }
}

void Level::LinkRecords()
{
    columnLists.assign(static_cast<size_t>(width), nullptr);
    rowLists.assign(static_cast<size_t>(height), nullptr);
    // Pushed at the head in file order, so each list runs in reverse file order.
    for (MapObject& record : objects)
    {
        MapObject*& columnHead = columnLists[static_cast<size_t>(record.x / TileSize)];
        record.nextInColumn = columnHead;
        columnHead = &record;
        MapObject*& rowHead = rowLists[static_cast<size_t>(record.y / TileSize)];
        record.nextInRow = rowHead;
        rowHead = &record;
    }
}

bool Level::IsSolid(int column, int row) const
{
    if (column < 0 || column >= width || row < 0)
        return true;
    if (row >= height)
        return false;
    return tiles[static_cast<size_t>(row * width + column)] > 7;
}

int Level::GetTile(int column, int row) const
{
    if (column < 0 || column >= width || row < 0 || row >= height)
        return 0;
    return tiles[static_cast<size_t>(row * width + column)];
}

FlowerGroup& Level::Group(int index)
{
    ZEST_ASSERT_OR_RETURN(index >= 0 && index < GroupCount, scratchGroup);
    return groups[static_cast<size_t>(index)];
}

Agent* Level::GetAgent(int slot) const
{
    if (slot < 0 || slot >= AgentSlots)
        return nullptr;
    return agents[static_cast<size_t>(slot)].get();
}

const Particle* Level::GetParticle(int slot) const
{
    if (slot < 0 || slot >= ParticleSlots || !particles[static_cast<size_t>(slot)])
        return nullptr;
    return &*particles[static_cast<size_t>(slot)];
}

int Level::GetParticleCount() const
{
    return static_cast<int>(std::count_if(particles.begin(), particles.end(), [](auto& p) { return p.has_value(); }));
}

int Level::AddParticle(const Particle& particle)
{
    for (int slot = 0; slot < ParticleSlots; slot++)
    {
        if (!particles[static_cast<size_t>(slot)])
        {
            particles[static_cast<size_t>(slot)] = particle;
            return slot;
        }
    }
    return -1;
}

void Level::AddNectar()
{
    // A flower whose feeding was cut short by a blast is not drained and can feed again; the bar
    // still never passes its end.
    nectarCollected = std::min(nectarCollected + 10, nectarTotal);
    barTarget = nectarCollected * BarLength / nectarTotal;
}

void Level::RevealHives(int group)
{
    for (MapObject& record : objects)
    {
        // A collected hive (-1) never comes back.
        if (record.type != TypeHive || record.param != group || record.state < 0)
            continue;
        record.state = 1;
        if (auto* hive = dynamic_cast<Hive*>(FindAgent(record)))
            hive->Reveal();
    }
}

Agent* Level::FindAgent(const MapObject& record) const
{
    for (const auto& agent : agents)
        if (agent && agent->record == &record)
            return agent.get();
    return nullptr;
}

MapObject* Level::FindPartner(const MapObject& record) const
{
    for (const MapObject& other : objects)
        if (&other != &record && other.type == record.type && other.param == record.param)
            return const_cast<MapObject*>(&other);
    return nullptr;
}

int Level::Update()
{
    updateCounter++;
    // The drawn bar reaching the threshold opens the exit trumpets (group 1).
    if (barShown >= barThreshold)
        groups[1].timer = -1;
    for (FlowerGroup& group : groups)
    {
        if (group.timer <= 0 || --group.timer != 0)
            continue;
        switch (group.kind & ~FlowerGroup::KindTopBit)
        {
        case FlowerGroup::KindSunflower:
            group.timer = -1;
            break;
        case FlowerGroup::KindRedRose:
            group.timer = 500;
            group.kind ^= FlowerGroup::KindTopBit;
            break;
        default:
            break;
        }
    }

    bee->ClearPushes();
    for (auto& agent : agents)
        if (agent)
            agent->update();
    for (auto& particle : particles)
        if (particle && !particle->Step())
            particle.reset();

    switch (bee->Update())
    {
    case Bee::ExitReached:
        return Completed;
    case Bee::FellOut:
        if (host.LoseLife())
            return GameOver;
        checkpoint->state = 0; // the start trumpet plays its opening again
        MoveCamera(checkpoint->x - 288, checkpoint->y - 208);
        EmergeBeeAt(*checkpoint);
        return GoOn;
    case Bee::TransportDue:
    {
        MapObject* from = bee->flower && bee->flower->record ? bee->flower->record : checkpoint;
        // A trumpet without a partner lets the bee out where it went in.
        MapObject* partner = FindPartner(*from);
        if (!partner)
            partner = from;
        MoveCamera(partner->x - 288, partner->y - 208);
        EmergeBeeAt(*partner);
        return GoOn;
    }
    default:
        FollowBee();
        return GoOn;
    }
}

void Level::EmergeBeeAt(MapObject& record)
{
    if (auto* trumpet = dynamic_cast<Flower*>(FindAgent(record)))
        bee->EmergeFrom(*trumpet);
    else
        bee->EmergeAt(record.x, record.y); // no slot was free for its agent
}

void Level::FollowBee()
{
    const int beeX = std::clamp(bee->x, 0, widthPx);
    const int beeY = std::max(bee->y, 0);

    // Horizontal first: column work uses the old camera y, row work the new camera x.
    int newX = cameraX;
    const int dx = beeX - cameraX;
    if (dx < 200)
        newX = beeX - 200;
    else if (dx > 440)
        newX = beeX - 440;
    newX = std::clamp(newX, 0, maxCameraX);
    // The camera moves less than a tile per update in play; a longer move is done one column at a
    // time so that no column of tiles or agents is skipped.
    for (int column = (cameraX >> 6) + 1; column <= (newX >> 6); column++)
        ScrollColumn(column, true);
    for (int column = (cameraX >> 6) - 1; column >= (newX >> 6); column--)
        ScrollColumn(column, false);
    cameraX = newX;

    int newY = cameraY;
    const int dy = beeY - cameraY;
    if (dy < 100)
        newY = beeY - 100;
    else if (dy > 200)
        newY = beeY - 200;
    newY = std::clamp(newY, 0, maxCameraY);
    for (int row = (cameraY >> 6) + 1; row <= (newY >> 6); row++)
        ScrollRow(row, true);
    for (int row = (cameraY >> 6) - 1; row >= (newY >> 6); row--)
        ScrollRow(row, false);
    cameraY = newY;
}

void Level::ScrollColumn(int column, bool right)
{
    // column is the camera's new first tile column.
    if (right)
    {
        DrawTileColumn(column + 10, (column + 10) % RingColumns);
        DeleteColumn(column - 2);
        MakeColumn(column + 11);
    }
    else
    {
        DrawTileColumn(column, column % RingColumns);
        DeleteColumn(column + 12);
        MakeColumn(column - 1);
    }
}

void Level::ScrollRow(int row, bool down)
{
    if (down)
    {
        DrawTileRow(row + 8, (row + 8) % RingRows);
        DeleteRow(row - 2);
        MakeRow(row + 9);
    }
    else
    {
        DrawTileRow(row, row % RingRows);
        DeleteRow(row + 10);
        MakeRow(row - 1);
    }
}

void Level::MoveCamera(int x, int y)
{
    cameraX = std::clamp(x, 0, maxCameraX);
    cameraY = std::clamp(y, 0, maxCameraY);
    for (int slot = 0; slot < AgentSlots; slot++)
        if (agents[static_cast<size_t>(slot)])
            DestroyAgentInSlot(slot);
    agentCount = 0;
    for (auto& particle : particles)
        particle.reset();
    for (MapObject& record : objects)
        record.agentSlot = -1;

    const int column = cameraX / TileSize;
    MakeColumn(column - 1);
    for (int c = column; c <= column + 10; c++)
    {
        DrawTileColumn(c, c % RingColumns);
        MakeColumn(c);
    }
    MakeColumn(column + 11);
}

void Level::MakeColumn(int column)
{
    if (column < 0 || column >= width)
        return;
    const int top = (cameraY & ~63) - TileSize;
    for (MapObject* record = columnLists[static_cast<size_t>(column)]; record; record = record->nextInColumn)
        if (record->y >= top && record->y < top + TileSize + ColumnWindowBelow && record->agentSlot < 0)
            MakeAgent(*record);
}

void Level::MakeRow(int row)
{
    if (row < 0 || row >= height)
        return;
    const int left = (cameraX & ~63) - TileSize;
    for (MapObject* record = rowLists[static_cast<size_t>(row)]; record; record = record->nextInRow)
        if (record->x >= left && record->x < left + TileSize + RowWindowRight && record->agentSlot < 0)
            MakeAgent(*record);
}

void Level::DeleteColumn(int column)
{
    // Columns outside the grid have no records (the first scroll right asks for column -1).
    if (column < 0 || column >= width)
        return;
    const int top = (cameraY & ~63) - TileSize;
    for (MapObject* record = columnLists[static_cast<size_t>(column)]; record; record = record->nextInColumn)
        if (record->y >= top && record->y < top + TileSize + ColumnWindowBelow && record->agentSlot >= 0)
            DeleteAgent(*record);
}

void Level::DeleteRow(int row)
{
    if (row < 0 || row >= height)
        return;
    const int left = (cameraX & ~63) - TileSize;
    for (MapObject* record = rowLists[static_cast<size_t>(row)]; record; record = record->nextInRow)
        if (record->x >= left && record->x < left + TileSize + RowWindowRight && record->agentSlot >= 0)
            DeleteAgent(*record);
}

void Level::MakeAgent(MapObject& record)
{
    // Looked for before the agent is made: making the start trumpet marks its record as played.
    int slot = 0;
    while (slot < AgentSlots && agents[static_cast<size_t>(slot)])
        slot++;
    if (slot == AgentSlots)
        return; // tried again when its column or row next comes into view
    if (record.type == TypeStartTrumpet)
        record.param = -1;
    std::unique_ptr<Agent> agent = CreateAgent(record);
    if (!agent)
        return;
    agents[static_cast<size_t>(slot)] = std::move(agent);
    record.agentSlot = static_cast<int16_t>(slot);
    agentCount++;
}

std::unique_ptr<Agent> Level::CreateAgent(MapObject& record)
{
    switch (record.type)
    {
    case TypeHose:
        return std::make_unique<Hose>(this, &record);
    case TypeSunflower:
        return std::make_unique<Sunflower>(this, &record);
    case TypeMiniFlower:
        return std::make_unique<MiniFlower>(this, &record);
    case TypeFlyTrap:
        return std::make_unique<FlyTrap>(this, &record);
    case TypeTrumpet:
    case TypeStartTrumpet:
    case TypeLinkTrumpet:
        return std::make_unique<Trumpet>(this, &record);
    case TypeRose:
        return std::make_unique<Rose>(this, &record);
    case TypeRedRose:
        return std::make_unique<RedRose>(this, &record);
    case TypePurpleRose:
        return std::make_unique<PurpleRose>(this, &record);
    case TypeTomato:
        return std::make_unique<Tomato>(this, &record);
    case TypeHive:
        return std::make_unique<Hive>(this, &record);
    case TypePansy:
        return std::make_unique<Pansy>(this, &record);
    case TypePansy2:
        return std::make_unique<Pansy2>(this, &record);
    default:
        return nullptr;
    }
}

void Level::DeleteAgent(MapObject& record)
{
    if (record.agentSlot >= 0 && record.agentSlot < AgentSlots && agents[static_cast<size_t>(record.agentSlot)])
        DestroyAgentInSlot(record.agentSlot);
    record.agentSlot = -1;
}

void Level::DestroyAgentInSlot(int slot)
{
    std::unique_ptr<Agent>& agent = agents[static_cast<size_t>(slot)];
    // The bee forgets a flower that goes away rather than keep a dangling pointer.
    if (bee && bee->flower && static_cast<Agent*>(bee->flower) == agent.get())
        bee->flower = nullptr;
    if (agent->record)
        agent->record->agentSlot = -1;
    agent.reset();
    agentCount--;
}

void Level::DrawTileColumn(int column, int ringColumn)
{
    if (column < 0 || column >= width)
        return;
    const int firstRow = cameraY / TileSize;
    for (int row = firstRow; row < firstRow + RingRows && row < height; row++)
        DrawTile(column, row, ringColumn * TileSize, (row % RingRows) * TileSize);
}

void Level::DrawTileRow(int row, int ringRow)
{
    if (row < 0 || row >= height)
        return;
    const int firstColumn = cameraX / TileSize;
    for (int column = firstColumn; column < firstColumn + RingColumns && column < width; column++)
        DrawTile(column, row, (column % RingColumns) * TileSize, ringRow * TileSize);
}

void Level::DrawTile(int column, int row, int ringX, int ringY)
{
    if (!tileImage)
        return;
    backgroundContext->DrawImageCell(tileImage, ringX, ringY, tiles[static_cast<size_t>(row * width + column)]);
}

void Level::Draw(zest::Graphics& g)
{
    g.SaveState();
    DrawGarden(g);
    for (auto& particle : particles)
        if (particle)
            particle->Draw(g);
    bee->Draw(g);
    DrawHud(g);

    g.RestoreState();
}

void Level::DrawGarden(zest::Graphics& g)
{
    // The ring buffer in up to four pieces so that it wraps.
    const int a = cameraX % RingWidth;
    const int w = a < TileSize ? ScreenWidth : RingWidth - a;
    const int b = cameraY % RingHeight;
    const int h = b < 96 ? ScreenHeight : RingHeight - b;
    zest::Image* ring = background.get();
    g.DrawImage(ring, 0, 0, zest::Rect(a, b, w, h));
    if (ScreenWidth - w > 0)
        g.DrawImage(ring, w, 0, zest::Rect(0, b, ScreenWidth - w, h));
    if (ScreenHeight - h > 0)
        g.DrawImage(ring, 0, h, zest::Rect(a, 0, w, ScreenHeight - h));
    if (ScreenWidth - w > 0 && ScreenHeight - h > 0)
        g.DrawImage(ring, w, h, zest::Rect(0, 0, ScreenWidth - w, ScreenHeight - h));

    for (int layer = 0; layer <= 2; layer++)
        for (auto& agent : agents)
            if (agent && agent->drawLayer == layer)
                agent->draw(g);
}

void Level::DrawHud(zest::Graphics& g)
{
    DrawCounterPlate(g);
    if (IMAGE_BEECOUNTER)
        g.DrawImage(IMAGE_BEECOUNTER, 480, 5);
    if (IMAGE_HIVECOUNTER)
        g.DrawImage(IMAGE_HIVECOUNTER, 560, 8);
    g.SetFont(FONT_TITLE);
    g.SetColor(zest::Color::White);
    g.DrawString(std::to_string(host.Lives()), 518, 30);
    g.DrawString(std::to_string(host.Hives()), 598, 30);
    if (introCounter > 0)
    {
        introCounter--;
        char banner[32];
        std::snprintf(banner, sizeof banner, "LEVEL %d", levelIndex + 1);
        g.SetColor(zest::Color::Black);
        g.DrawString(banner, 292, 222);
        g.SetColor(zest::Color(255, 170, 136));
        g.DrawString(banner, 290, 220);
    }
    if (IMAGE_HONEYBAR)
        g.DrawImage(IMAGE_HONEYBAR, 150, 10);
    if (IMAGE_HONEYBARFULL)
        g.DrawImage(IMAGE_HONEYBARFULL, 150, 10, zest::Rect(0, 0, barShown + 11, 17));
    // The drawn bar follows the target one pixel per draw.
    if (barShown < barTarget)
        barShown++;
    else if (barShown > barTarget)
        barShown--;
    if (IMAGE_HONEYSLIDER)
        g.DrawImageCell(IMAGE_HONEYSLIDER, barThreshold + 156, 7, barShown >= barThreshold ? 1 : 0);
}

} // namespace tibble
