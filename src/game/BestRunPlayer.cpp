#include "game/BestRunPlayer.h"

#include "garden/Level.h"
#include "graphics/DisplayImage.h"
#include "graphics/Graphics.h"

#include <sstream>

namespace tibble
{

BestRunPlayer::BestRunPlayer(BestRun bestRun, LevelHost* outerHost) : run(std::move(bestRun)), outer(outerHost)
{
    lives = run.lives;
    hives = run.hives;
    std::istringstream state(run.randomState);
    state >> generator;
}

BestRunPlayer::~BestRunPlayer() = default;

bool BestRunPlayer::Start(std::string* error)
{
    level = Level::FromBytes(run.garden, *this, run.mapBytes, error);
    if (!level)
        return false;
    picture = std::make_unique<zest::DisplayImage>(Level::ScreenWidth, Level::ScreenHeight);
    return true;
}

int BestRunPlayer::Step()
{
    if (!level)
        return Ended;
    while (position < run.events.size())
    {
        const BestRun::Event& event = run.events[position++];
        if (!event.update)
        {
            // A fresh context per draw, as the widget manager gives the board.
            paused = event.paused;
            zest::Graphics g(picture.get());
            level->Draw(g);
            paused = false;
            continue;
        }
        mouseX = event.x;
        mouseY = event.y;
        buttons = event.buttons;
        updatesPlayed++;
        return level->Update();
    }
    return Ended;
}

uint32_t BestRunPlayer::Random()
{
    // As ZestAppBase::Rand: 31 bits of the shared MT19937.
    return generator() & 0x7FFFFFFF;
}

void BestRunPlayer::PlaySound(int soundId)
{
    if (outer)
        outer->PlaySound(soundId);
}

bool BestRunPlayer::LoseLife()
{
    return LoseLifeFrom(lives);
}

void BestRunPlayer::AddHive()
{
    AddHiveTo(lives, hives);
}

bool BestRunPlayer::ReadFileIntoBuffer(const std::string& fileName, std::vector<uint8_t>& bytes)
{
    // The run carries its own map; it never reads the garden as it is now.
    if (fileName != run.mapName)
        return false;
    bytes = run.mapBytes;
    return true;
}

zest::LiveImageSet* BestRunPlayer::GetLiveImageSet()
{
    return outer ? outer->GetLiveImageSet() : nullptr;
}

} // namespace tibble
