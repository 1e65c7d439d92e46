// The LevelHost of a headless run: the game's shared generator (MT19937, 31-bit answers) seeded as
// asked, the mouse as the widget manager records it, the board's lives and hives, files read through
// the archive, and the life-lost and hive events of the current update for the runner to drain.
// Owned by its SimRun (or a test); one thread.
#pragma once

#include "garden/LevelHost.h"

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace tibble::sim
{

class SimHost : public LevelHost
{
public:
    static constexpr int StartLives = 3;

    // What the level told the host during an update.
    enum class Event
    {
        LifeLost,
        Hive,
    };

    explicit SimHost(uint32_t seed = 1);

    // The generator as the game's ZestAppBase::SeedRandom leaves it.
    void Seed(uint32_t seed);
    // Mouse input as the widget manager records it: the position always, the left-button bit on down/up.
    void Move(int x, int y);
    void Down(int x, int y);
    void Up(int x, int y);

    // Where PlaySound goes; none (the default) plays nothing. Every played id is counted either way.
    void SetSoundPlayer(std::function<void(int)> player) { soundPlayer = std::move(player); }

    uint32_t Random() override;
    void PlaySound(int soundId) override;
    int MouseX() const override { return mouseX; }
    int MouseY() const override { return mouseY; }
    int MouseButtons() const override { return buttons; }
    // The board never pauses a simulated level.
    bool IsPaused() const override { return false; }
    // As the board does it: one life less; at none left the game is over and lives stay 0.
    bool LoseLife() override;
    // As the board does it: the fifth hive turns into a life and the count starts again.
    void AddHive() override;
    int Lives() const override { return lives; }
    int Hives() const override { return hives; }
    // Through the archive-aware file functions (main.pak first, then the disk).
    bool ReadFileIntoBuffer(const std::string& fileName, std::vector<uint8_t>& bytes) override;

    // The events since the last drain, oldest first; the list is empty afterwards.
    std::vector<Event> DrainEvents();
    const std::vector<Event>& PendingEvents() const { return events; }

    void SetLives(int value) { lives = value; }
    void SetHives(int value) { hives = value; }
    int LivesLost() const { return livesLost; }
    int SoundsPlayed() const { return soundsPlayed; }

private:
    std::mt19937 generator;
    int mouseX = 0;
    int mouseY = 0;
    int buttons = 0;
    int lives = StartLives;
    int hives = 0;
    int livesLost = 0;
    int soundsPlayed = 0;
    std::vector<Event> events;
    std::function<void(int)> soundPlayer;
};

} // namespace tibble::sim
