// Plays a best run back: builds its garden from the map it was played on, with the random generator, lives and
// hives it began with, and hands the level the recorded mouse state update by update, drawing it where and when
// the recorded run drew it (into a picture of its own, which the Board shows). The level's sounds and images go
// to the host around it. Owned by the Board while a best run is watched; main thread.
#pragma once

#include "game/BestRun.h"
#include "garden/LevelHost.h"

#include <memory>
#include <random>
#include <string>

namespace zest
{
class DisplayImage;
}

namespace tibble
{

class Level;

class BestRunPlayer : public LevelHost
{
public:
    // The answer of Step once the run has no more updates.
    static constexpr int Ended = 1;

    // outer: where sounds and the level's own images go (not owned; none in tests).
    BestRunPlayer(BestRun run, LevelHost* outer);
    ~BestRunPlayer() override;
    // Builds the garden; false (error set) when the recorded map cannot be played.
    [[nodiscard]] bool Start(std::string* error = nullptr);
    // The recorded draws up to the next recorded update, then that update: the level's answer (GoOn, Completed,
    // GameOver), or Ended when the run holds no more updates.
    int Step();

    const BestRun& Run() const { return run; }
    Level* GetLevel() const { return level.get(); }
    // The picture of the last recorded draw (black before the first).
    zest::DisplayImage* Picture() const { return picture.get(); }
    int UpdatesPlayed() const { return updatesPlayed; }

    uint32_t Random() override;
    void PlaySound(int soundId) override;
    int MouseX() const override { return mouseX; }
    int MouseY() const override { return mouseY; }
    int MouseButtons() const override { return buttons; }
    bool IsPaused() const override { return paused; }
    bool LoseLife() override;
    void AddHive() override;
    int Lives() const override { return lives; }
    int Hives() const override { return hives; }
    bool ReadFileIntoBuffer(const std::string& fileName, std::vector<uint8_t>& bytes) override;
    zest::LiveImageSet* GetLiveImageSet() override;

private:
    BestRun run;
    LevelHost* outer;
    std::mt19937 generator;
    std::unique_ptr<Level> level;
    std::unique_ptr<zest::DisplayImage> picture;
    size_t position = 0;
    int updatesPlayed = 0;
    int mouseX = 0;
    int mouseY = 0;
    int buttons = 0;
    bool paused = false;
    int lives = 3;
    int hives = 0;
};

} // namespace tibble
