// One run of one garden, kept so that it replays exactly: the garden, the lives and hives it began with, the
// shared random generator as it stood when the garden was built, the map it was played on, and, in order, the
// mouse state of every level update and every level draw (with the paused flag the draw saw). The Board records
// the run in play; the fastest of each garden is written as a demo file in the demo folder ("best-NN.dmo", or
// "best-NN-assist.dmo" for a run with assist speed) and played back by BestRunPlayer. Plain data; main thread.
//
// The demo file holds, after its header (the slowest update multiplier the run used):
//   setting "garden": u8 version, u8 garden, u8 lives, u8 hives, u8 assist, u32 updates, u8 lives lost, u16 honey
//   setting "random": the generator's state as the standard library writes it
//   file: the map, under its name
//   then the run: a mouse message (wparam buttons, lparam position) before each update whose mouse state changed,
//   an update record per level update, a draw record per level draw, and setting "paused" (one byte) before a
//   draw whose paused flag differs from the draw before it.
#pragma once

#include "game/GardenRecords.h"

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace tibble
{

class BestRun
{
public:
    struct Event
    {
        bool update = true; // else a draw
        int16_t x = 0;      // update: the mouse as the level saw it
        int16_t y = 0;
        uint8_t buttons = 0;
        bool paused = false; // draw: what IsPaused answered
    };

    // A new run starts: what it needs to be built again.
    void Begin(int gardenIndex, int livesAtStart, int hivesAtStart, const std::mt19937& generator,
               const std::string& mapFileName, const std::vector<uint8_t>& mapFileBytes);
    void AddUpdate(int x, int y, int buttons, double updateMultiplier);
    void AddDraw(bool paused);
    // The run left the garden through its exit with this result.
    void Finish(const GardenRecords::Record& result);

    // The file name in the demo folder for a garden's best run.
    static std::string FileName(int garden, bool assist);
    // The demo file's bytes, and back; none (error says why, for the player) for a file that is not a whole,
    // finished best run.
    std::vector<uint8_t> Encode() const;
    static std::optional<BestRun> Parse(const std::vector<uint8_t>& bytes, std::string& error);
    // Written to a temporary file beside it and renamed over it, so a crash never leaves half a best run.
    [[nodiscard]] bool Save(const std::string& path) const;
    static std::optional<BestRun> Load(const std::string& path, std::string& error);

    int garden = 0;
    int lives = 3;
    int hives = 0;
    bool assist = false;
    double slowestMultiplier = 1.0;
    bool finished = false;
    GardenRecords::Record result;
    std::string randomState;
    std::string mapName;
    std::vector<uint8_t> mapBytes;
    std::vector<Event> events;
};

} // namespace tibble
