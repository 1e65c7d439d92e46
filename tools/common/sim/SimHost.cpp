#include "sim/SimHost.h"

#include "files/PakFile.h"

namespace tibble::sim
{

SimHost::SimHost(uint32_t seed)
{
    Seed(seed);
}

void SimHost::Seed(uint32_t seed)
{
    generator.seed(seed);
}

void SimHost::Move(int x, int y)
{
    mouseX = x;
    mouseY = y;
}

void SimHost::Down(int x, int y)
{
    Move(x, y);
    buttons |= LeftButton;
}

void SimHost::Up(int x, int y)
{
    Move(x, y);
    buttons &= ~LeftButton;
}

uint32_t SimHost::Random()
{
    // As ZestAppBase::Rand: the low 31 bits of the next MT19937 output.
    return static_cast<uint32_t>(generator() & 0x7FFFFFFF);
}

void SimHost::PlaySound(int soundId)
{
    soundsPlayed++;
    if (soundPlayer)
        soundPlayer(soundId);
}

bool SimHost::LoseLife()
{
    livesLost++;
    events.push_back(Event::LifeLost);
    lives--;
    if (lives < 0)
    {
        lives = 0;
        return true;
    }
    return false;
}

void SimHost::AddHive()
{
    events.push_back(Event::Hive);
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

bool SimHost::ReadFileIntoBuffer(const std::string& fileName, std::vector<uint8_t>& bytes)
{
    zest::PFilePtr file(zest::p_fopen(fileName.c_str(), "rb"));
    if (!file)
        return false;
    std::vector<uint8_t> read;
    uint8_t block[16384];
    size_t got = 0;
    while ((got = zest::p_fread(block, 1, sizeof(block), file.get())) > 0)
        read.insert(read.end(), block, block + got);
    bytes = std::move(read);
    return true;
}

std::vector<SimHost::Event> SimHost::DrainEvents()
{
    std::vector<Event> drained;
    drained.swap(events);
    return drained;
}

} // namespace tibble::sim
