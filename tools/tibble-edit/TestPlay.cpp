#include "TestPlay.h"

#include "app/ZestAppBase.h"
#include "garden/Level.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"

#include <chrono>

namespace tibble::edit
{

std::unique_ptr<TestPlay> TestPlay::Create(const std::vector<uint8_t>& bytes, int levelIndex, std::string& error)
{
    std::unique_ptr<TestPlay> play(new TestPlay());
    play->bytes = bytes;
    play->levelIndex = levelIndex;
    play->seed = static_cast<uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    play->host.Seed(play->seed);
    play->host.SetSoundPlayer(
        [](int soundId)
        {
            if (zest::ZestAppBase* app = zest::ZestAppBase::Instance())
                app->PlaySound(soundId);
        });
    play->screen = std::make_unique<zest::MemoryImage>();
    play->screen->Create(Level::ScreenWidth, Level::ScreenHeight);
    if (!play->Build(error))
        return nullptr;
    return play;
}

TestPlay::~TestPlay() = default;

bool TestPlay::Build(std::string& error)
{
    host.SetLives(sim::SimHost::StartLives);
    host.SetHives(0);
    level = Level::FromBytes(levelIndex, host, bytes, &error);
    return level != nullptr;
}

void TestPlay::Update()
{
    updates++;
    const int answer = level->Update();
    host.DrainEvents();
    if (answer == Level::Completed || answer == Level::GameOver)
    {
        if (answer == Level::Completed)
            completions++;
        std::string error;
        std::unique_ptr<Level> old = std::move(level);
        if (!Build(error))
            level = std::move(old);
    }
}

void TestPlay::Draw()
{
    zest::Graphics g(screen.get());
    level->Draw(g);
}

void TestPlay::Move(int x, int y)
{
    host.Move(x, y);
}

void TestPlay::Down(int x, int y)
{
    host.Down(x, y);
}

void TestPlay::Up(int x, int y)
{
    host.Up(x, y);
}

} // namespace tibble::edit
