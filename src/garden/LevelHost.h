// What a Level needs from the game around it, so that a level can run headless in tests and tools:
// the shared random generator, sounds, the mouse state the widget manager records, the board's
// paused flag and counters, and reading a map file. The Board implements it over the real
// application and widget manager; tests implement it with fakes. Not owned by the Level; main thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zest
{
class LiveImageSet;
}

namespace tibble
{

class LevelHost
{
public:
    // Bit of MouseButtons() for the left button (the widget manager's down-buttons mask).
    static constexpr int LeftButton = 1;

    virtual ~LevelHost() = default;

    // Next value of the game's one shared MT19937 generator as a 31-bit non-negative integer.
    // The level uses only its low bits. Seeding it makes a whole level replay exactly.
    virtual uint32_t Random() = 0;
    // Plays a sound effect once by its sound id (SOUND_BURP, SOUND_TOMATO).
    virtual void PlaySound(int soundId) = 0;

    // The widget manager's last mouse position, in screen (640 x 480) pixels.
    virtual int MouseX() const = 0;
    virtual int MouseY() const = 0;
    // The widget manager's mouse-button state: LeftButton set while the left button is down.
    virtual int MouseButtons() const = 0;

    // The board's paused flag: animations stand still while it is set.
    virtual bool IsPaused() const = 0;
    // One life less; true when none was left (game over).
    virtual bool LoseLife() = 0;
    // A golden hive was collected.
    virtual void AddHive() = 0;
    // The board's counters, shown in the HUD.
    virtual int Lives() const = 0;
    virtual int Hives() const = 0;

    // Reads a data file whole (through the archive); false when it cannot be read.
    virtual bool ReadFileIntoBuffer(const std::string& fileName, std::vector<uint8_t>& bytes) = 0;
    // The application's set of live images, for the level's own background image (may be none).
    virtual zest::LiveImageSet* GetLiveImageSet() { return nullptr; }

    // The board's rules for its counters, for hosts that keep their own: a fall costs a life, and one with
    // none left is game over (true; lives stay 0); the fifth hive turns into a life and the count starts again.
    static bool LoseLifeFrom(int& lives)
    {
        if (--lives >= 0)
            return false;
        lives = 0;
        return true;
    }
    static void AddHiveTo(int& lives, int& hives)
    {
        if (hives >= 4)
        {
            lives++;
            hives = 0;
        }
        else
        {
            hives++;
        }
    }
};

} // namespace tibble
