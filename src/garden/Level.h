// One level map in play: the tile grid and placed records, the bee, the live agents near the view
// (64 slots), the particles (64 slots), the camera over a 704 x 576 ring buffer of tiles, the flower
// groups and the honey bar. Owned by the Board, which calls Update once per update and Draw once per
// draw; everything it needs from the game comes through its LevelHost. Main thread.
#pragma once

#include "garden/Bee.h"
#include "garden/FlowerGroup.h"
#include "garden/LevelHost.h"
#include "garden/LevelMap.h"
#include "garden/MapObject.h"
#include "garden/Particle.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zest
{
class Graphics;
class Image;
class MemoryImage;
} // namespace zest

namespace tibble
{

class Agent;
class Hose;

class Level
{
public:
    static constexpr int AgentSlots = 64;
    static constexpr int ParticleSlots = 64;
    static constexpr int ScreenWidth = 640;
    static constexpr int ScreenHeight = 480;
    static constexpr int RingColumns = 11;
    static constexpr int RingRows = 9;
    static constexpr int RingWidth = RingColumns * TileSize; // 704
    static constexpr int RingHeight = RingRows * TileSize;   // 576
    static constexpr int BarLength = 270;                    // honey bar, pixels
    static constexpr int IntroDraws = 200;

    // Answers of Update.
    static constexpr int GoOn = 0;
    static constexpr int Completed = -1;
    static constexpr int GameOver = -2;

    // Builds level levelIndex (taken modulo 13) from its map file, read whole through the host.
    // Returns none when the file cannot be read or played; error (when given) then says why. The
    // caller shows "A file error has occurred".
    [[nodiscard]] static std::unique_ptr<Level> Load(int levelIndex, LevelHost& host, std::string* error = nullptr);
    // The same from map file bytes already in memory.
    [[nodiscard]] static std::unique_ptr<Level> FromBytes(int levelIndex, LevelHost& host,
                                                          std::span<const uint8_t> bytes, std::string* error = nullptr);
    Level(const Level&) = delete;
    Level& operator=(const Level&) = delete;
    ~Level();

    // One update: GoOn, Completed (the bee left through the exit) or GameOver (it fell with no life left).
    int Update();
    // Background, agents in three layers, particles, bee and HUD, in screen coordinates of g.
    void Draw(zest::Graphics& g);
    // The view's background and agents only, without particles, bee or HUD (a level editor's picture of the
    // garden). Advances the agents' animations as Draw does.
    void DrawGarden(zest::Graphics& g);

    // Solid tile test for the bee's collision. Columns outside the grid and rows above it are solid,
    // so the bee stays in the garden; rows at or below the bottom are open, so it can fall out.
    bool IsSolid(int column, int row) const;
    // First empty particle slot, or -1 when all 64 are taken (the particle is then not made).
    int AddParticle(const Particle& particle);
    // Ten more nectar (never beyond the total) and the bar target that follows.
    void AddNectar();
    // Shows every hive of the group, live or not yet made.
    void RevealHives(int group);
    // Moves the camera (clamped), deletes every agent and particle and rebuilds the view around it.
    void MoveCamera(int x, int y);
    // The live agent made from record, or none.
    Agent* FindAgent(const MapObject& record) const;
    // The first other record in file order with the same type and param, or none.
    MapObject* FindPartner(const MapObject& record) const;

    LevelHost& GetHost() const { return host; }
    int GetLevelIndex() const { return levelIndex; }
    int GetCameraX() const { return cameraX; }
    int GetCameraY() const { return cameraY; }
    int GetWidth() const { return width; }
    int GetHeight() const { return height; }
    int GetWidthPx() const { return widthPx; }
    int GetHeightPx() const { return heightPx; }
    int GetMaxCameraX() const { return maxCameraX; }
    int GetMaxCameraY() const { return maxCameraY; }
    int GetUpdateCounter() const { return updateCounter; }
    // Cel of IMAGE_BGBLOCKS at (column, row): 0..7 open garden, 8..24 solid; 0 outside.
    int GetTile(int column, int row) const;
    Bee& GetBee() const { return *bee; }
    // Group 0..19; an index outside is a programmer error answered with a scratch group.
    FlowerGroup& Group(int index);
    Hose* GetHeldHose() const { return heldHose; }
    void SetHeldHose(Hose* hose) { heldHose = hose; }
    MapObject* GetStart() const { return start; }
    MapObject* GetCheckpoint() const { return checkpoint; }
    void SetCheckpoint(MapObject* record) { checkpoint = record; }
    std::span<MapObject> GetObjects() { return objects; }
    Agent* GetAgent(int slot) const;
    int GetAgentCount() const { return agentCount; }
    const Particle* GetParticle(int slot) const;
    int GetParticleCount() const;
    int GetNectarCollected() const { return nectarCollected; }
    int GetNectarTotal() const { return nectarTotal; }
    int GetBarTarget() const { return barTarget; }
    int GetBarShown() const { return barShown; }
    int GetBarThreshold() const { return barThreshold; }
    int GetIntroCounter() const { return introCounter; }
    // The ring buffer of tiles (level pixel (x, y) is kept at (x mod 704, y mod 576)).
    const zest::MemoryImage& GetBackground() const { return *background; }

    // Only Load and FromBytes can make the key, so a Level is always built from a checked map.
    class BuildKey
    {
        friend class Level;
        BuildKey() = default;
    };
    Level(BuildKey, int levelIndex, LevelHost& host, LevelMap map);

private:
    void BuildTiles(const LevelMap& map);
    void LinkRecords();
    void FollowBee();
    void ScrollColumn(int newColumn, bool right);
    void ScrollRow(int newRow, bool down);
    void MakeColumn(int column);
    void MakeRow(int row);
    void DeleteColumn(int column);
    void DeleteRow(int row);
    void MakeAgent(MapObject& record);
    void DeleteAgent(MapObject& record);
    void DestroyAgentInSlot(int slot);
    std::unique_ptr<Agent> CreateAgent(MapObject& record);
    void DrawTileColumn(int column, int ringColumn);
    void DrawTileRow(int row, int ringRow);
    void DrawTile(int column, int row, int ringX, int ringY);
    void EmergeBeeAt(MapObject& record);
    void DrawHud(zest::Graphics& g);

    std::vector<uint8_t> tiles;
    int cameraX = 0;
    int cameraY = 0;
    int height = 0;
    int width = 0;
    int widthPx = 0;
    int heightPx = 0;
    int maxCameraX = 0;
    int maxCameraY = 0;
    int updateCounter = 0;
    int nectarCollected = 0;
    int nectarTotal = 0;
    int barTarget = 0;
    int barShown = 0;
    int barThreshold = 0;
    int introCounter = 0;
    int levelIndex = 0;
    std::unique_ptr<zest::MemoryImage> background;
    std::unique_ptr<zest::Graphics> backgroundContext;
    LevelHost& host;
    zest::Image* tileImage = nullptr;
    std::unique_ptr<Bee> bee;
    std::vector<MapObject> objects;
    std::vector<MapObject*> columnLists;
    std::vector<MapObject*> rowLists;
    int agentCount = 0;
    std::array<std::unique_ptr<Agent>, AgentSlots> agents;
    std::array<std::optional<Particle>, ParticleSlots> particles;
    std::array<FlowerGroup, GroupCount> groups{};
    FlowerGroup scratchGroup;
    Hose* heldHose = nullptr;
    MapObject* start = nullptr;
    MapObject* checkpoint = nullptr;
};

} // namespace tibble
