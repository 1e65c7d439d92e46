// One headless run of a level: the Level built from map bytes for a level index, its SimHost and the
// drawing target. Update, Draw, or Step (one update then one draw) as the board does them while the
// level is in play. Cheap to make (it only builds the Level): the game's data is loaded once per
// process beforehand by SimData. Owned by its caller; one thread.
#pragma once

#include "sim/SimHost.h"
#include "sim/SimTrace.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace zest
{
class Graphics;
class MemoryImage;
} // namespace zest

namespace tibble
{
class Level;
}

namespace tibble::sim
{

// What one update did: the level's answer and the events around it.
struct StepResult
{
    int answer = 0;         // Level::GoOn, Level::Completed or Level::GameOver
    bool completed = false; // the bee left through the exit trumpet
    bool gameOver = false;  // it fell with no life left
    int livesLost = 0;      // lives lost in this update
    bool transport = false; // a trumpet carried the bee to its partner
    int hives = 0;          // golden hives collected in this update

    // The event lines of the trace for this update ("# lifelost U", "# hive U", "# transport U",
    // "# completed U", "# gameover U"), each ending in a newline; empty when nothing happened.
    std::string EventLines(int update) const;
};

class SimRun
{
public:
    // Pixels: onto an off-screen 640 x 480 screen image. NoPixels: onto a Graphics without a
    // destination, which advances every animation exactly as a real draw but writes nothing (faster).
    enum class DrawMode
    {
        Pixels,
        NoPixels,
    };

    struct Options
    {
        int levelIndex = 0;
        uint32_t seed = 1;
        DrawMode drawMode = DrawMode::NoPixels;
        int lives = SimHost::StartLives;
        int hives = 0;
    };

    // The run at the level's start, or none when the bytes are not a playable map (error says why).
    [[nodiscard]] static std::unique_ptr<SimRun> Create(std::span<const uint8_t> mapBytes, const Options& options,
                                                        std::string* error = nullptr);
    ~SimRun();
    SimRun(const SimRun&) = delete;
    SimRun& operator=(const SimRun&) = delete;

    // One level update, with the events it caused.
    StepResult Update();
    // One level draw onto the target.
    void Draw();
    // Update, then Draw.
    StepResult Step();

    // The trace values now (update number: updates run so far).
    SimTrace Trace() const;
    int Updates() const { return updates; }
    int Draws() const { return draws; }

    SimHost& GetHost() { return host; }
    Level& GetLevel() { return *level; }
    DrawMode GetDrawMode() const { return drawMode; }
    // Switches the drawing target from the next draw on; the run itself is unchanged. Every draw paints
    // the whole screen, so drawing pixels only for the draws one wants to see gives the same pictures.
    void SetDrawMode(DrawMode mode);
    // The off-screen screen as the last pixel draw left it; none until the run first drew pixels.
    zest::MemoryImage* GetScreen() const { return screen.get(); }
    // Writes the screen as a PNG; false without a screen or when the file cannot be written.
    [[nodiscard]] bool WriteScreen(const std::string& pngPath) const;

    // Only Create can make the key, so a SimRun always has its level.
    class BuildKey
    {
        friend class SimRun;
        BuildKey() = default;
    };
    SimRun(BuildKey, const Options& options);

private:
    SimHost host;
    std::unique_ptr<Level> level;
    std::unique_ptr<zest::MemoryImage> screen;
    std::unique_ptr<zest::Graphics> graphics;
    DrawMode drawMode;
    int updates = 0;
    int draws = 0;
};

} // namespace tibble::sim
