// The level being edited, played in place with the real garden: the game's Level built from the document's
// map, updated 100 times a second by the canvas and drawn onto a 640 x 480 screen of its own, with the mouse
// on the hoses as in the game. A lost last life or a completed level starts it again. Owned by the canvas;
// main thread.
#pragma once

#include "sim/SimHost.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zest
{
class MemoryImage;
}

namespace tibble
{
class Level;
}

namespace tibble::edit
{

class TestPlay
{
public:
    // none with error when the garden cannot be built from bytes.
    static std::unique_ptr<TestPlay> Create(const std::vector<uint8_t>& bytes, int levelIndex, std::string& error);
    ~TestPlay();

    // One update of the level; a completed level or a game over starts it again.
    void Update();
    // Draws the level onto the play screen.
    void Draw();

    // Mouse on the play screen, in its pixels.
    void Move(int x, int y);
    void Down(int x, int y);
    void Up(int x, int y);

    zest::MemoryImage* Screen() const { return screen.get(); }
    Level& GetLevel() const { return *level; }
    int Updates() const { return updates; }
    int Completions() const { return completions; }
    // The seed of the garden's generator (from the clock at the start).
    uint32_t Seed() const { return seed; }
    // The map the garden was built from.
    const std::vector<uint8_t>& MapBytes() const { return bytes; }

private:
    TestPlay() = default;
    bool Build(std::string& error);

    std::vector<uint8_t> bytes;
    int levelIndex = 0;
    uint32_t seed = 1;
    sim::SimHost host;
    std::unique_ptr<Level> level;
    std::unique_ptr<zest::MemoryImage> screen;
    int updates = 0;
    int completions = 0;
};

} // namespace tibble::edit
