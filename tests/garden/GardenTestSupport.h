// Shared helpers of the garden tests: a writer of the binary level map format, a fake LevelHost with
// a seeded generator and scripted mouse, and small test images bound to the resource identifiers.
#pragma once

#include "MapBuilder.h"
#include "garden/Agent.h"
#include "garden/Level.h"
#include "garden/LevelHost.h"
#include "graphics/MemoryImage.h"

#include <cstdint>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace tibble::test
{

// A LevelHost with a seeded MT19937, a scripted mouse and board counters.
class FakeHost : public LevelHost
{
public:
    explicit FakeHost(uint32_t seed = 1) : generator(seed) {}

    uint32_t Random() override
    {
        randomCalls++;
        return generator() >> 1; // 31 bits
    }
    void PlaySound(int soundId) override { sounds.push_back(soundId); }
    int MouseX() const override { return mouseX; }
    int MouseY() const override { return mouseY; }
    int MouseButtons() const override { return buttons; }
    bool IsPaused() const override { return paused; }
    bool LoseLife() override
    {
        loseLifeCalls++;
        if (--lives < 0)
        {
            lives = 0;
            return true;
        }
        return false;
    }
    void AddHive() override { hives++; }
    int Lives() const override { return lives; }
    int Hives() const override { return hives; }
    bool ReadFileIntoBuffer(const std::string& fileName, std::vector<uint8_t>& bytes) override
    {
        auto it = files.find(fileName);
        if (it == files.end())
            return false;
        bytes = it->second;
        return true;
    }

    // Mouse at screen (x, y), left button down or up.
    void Mouse(int x, int y, bool leftDown)
    {
        mouseX = x;
        mouseY = y;
        buttons = leftDown ? LevelHost::LeftButton : 0;
    }

    std::mt19937 generator;
    int randomCalls = 0;
    std::vector<int> sounds;
    int mouseX = 0;
    int mouseY = 0;
    int buttons = 0;
    bool paused = false;
    int lives = 3;
    int hives = 0;
    int loseLifeCalls = 0;
    std::map<std::string, std::vector<uint8_t>> files;
};

// Builds a level from a map; fails the test when the map is rejected.
std::unique_ptr<Level> MakeLevel(FakeHost& host, const MapBuilder& map, int levelIndex = 0);

// The first live agent of class T (optionally made from a record of the given type), or none.
template <class T> T* FindLive(Level& level, int type = 0)
{
    for (int slot = 0; slot < Level::AgentSlots; slot++)
    {
        Agent* agent = level.GetAgent(slot);
        if (auto* found = dynamic_cast<T*>(agent))
            if (type == 0 || (agent->record && agent->record->type == type))
                return found;
    }
    return nullptr;
}

// Puts the bee in free flight with its centre at (cx, cy) and the given velocity; no gravity unless asked.
void PlaceBee(Level& level, float cx, float cy, float vx = 0, float vy = 0, float gravity = 0);

// Runs n updates; fails the test when one answers anything but GoOn.
void RunUpdates(Level& level, int n);

// Draws the level n times on a context without a destination (animations and HUD effects advance).
void RunDraws(Level& level, int n);

// Small solid-colour sprite sheets bound to every image identifier the garden draws, with the cel
// grids the game expects; unbound again on destruction.
class TestImages
{
public:
    TestImages();
    ~TestImages();
    TestImages(const TestImages&) = delete;
    TestImages& operator=(const TestImages&) = delete;

    // A sheet of columns x rows cels, each cel filled with its own colour (and a 1-pixel dark border).
    static std::unique_ptr<zest::MemoryImage> Sheet(int celWidth, int celHeight, int columns, int rows,
                                                    uint32_t baseColour);

private:
    std::vector<std::unique_ptr<zest::MemoryImage>> images;
};

} // namespace tibble::test
