#include "sim/SimRun.h"

#include "garden/Bee.h"
#include "garden/Level.h"
#include "graphics/DisplayImage.h"
#include "graphics/Graphics.h"
#include "resources/ImageWriter.h"

namespace tibble::sim
{

std::string StepResult::EventLines(int update) const
{
    if (livesLost == 0 && hives == 0 && !transport && !completed && !gameOver)
        return {};
    const std::string suffix = " " + std::to_string(update) + "\n";
    std::string lines;
    for (int i = 0; i < livesLost; i++)
        lines += "# lifelost" + suffix;
    for (int i = 0; i < hives; i++)
        lines += "# hive" + suffix;
    if (transport)
        lines += "# transport" + suffix;
    if (completed)
        lines += "# completed" + suffix;
    if (gameOver)
        lines += "# gameover" + suffix;
    return lines;
}

SimRun::SimRun(BuildKey, const Options& options) : host(options.seed)
{
    host.SetLives(options.lives);
    host.SetHives(options.hives);
    SetDrawMode(options.drawMode);
}

SimRun::~SimRun() = default;

void SimRun::SetDrawMode(DrawMode mode)
{
    drawMode = mode;
    if (drawMode == DrawMode::Pixels && !screen)
        screen = std::make_unique<zest::DisplayImage>(Level::ScreenWidth, Level::ScreenHeight);
}

std::unique_ptr<SimRun> SimRun::Create(std::span<const uint8_t> mapBytes, const Options& options, std::string* error)
{
    auto run = std::make_unique<SimRun>(BuildKey{}, options);
    run->level = Level::FromBytes(options.levelIndex, run->host, mapBytes, error);
    if (!run->level)
        return nullptr;
    return run;
}

StepResult SimRun::Update()
{
    const int stateBefore = level->GetBee().state;
    StepResult result;
    result.answer = level->Update();
    updates++;
    result.completed = result.answer == Level::Completed;
    result.gameOver = result.answer == Level::GameOver;
    for (SimHost::Event event : host.DrainEvents())
    {
        if (event == SimHost::Event::LifeLost)
            result.livesLost++;
        else
            result.hives++;
    }
    // A trumpet's transport is the bee going straight from entering a trumpet to emerging from its
    // partner within one update (a fall also ends in emerging, but from the checkpoint, after a lost life).
    result.transport = result.answer == Level::GoOn && result.livesLost == 0 && stateBefore == Bee::EnteringTrumpet &&
                       level->GetBee().state == Bee::Emerging;
    return result;
}

void SimRun::Draw()
{
    // A fresh context per draw, as the widget manager gives the board; without a destination nothing
    // is written, but every animation advances as on the screen.
    zest::Graphics g(drawMode == DrawMode::Pixels ? screen.get() : nullptr);
    level->Draw(g);
    draws++;
}

StepResult SimRun::Step()
{
    StepResult result = Update();
    Draw();
    return result;
}

SimTrace SimRun::Trace() const
{
    const Bee& bee = level->GetBee();
    SimTrace trace;
    trace.update = updates;
    trace.x = bee.x;
    trace.y = bee.y;
    trace.vx = bee.vx;
    trace.vy = bee.vy;
    trace.state = bee.state;
    trace.nectar = level->GetNectarCollected();
    trace.barShown = level->GetBarShown();
    trace.cameraX = level->GetCameraX();
    trace.cameraY = level->GetCameraY();
    return trace;
}

bool SimRun::WriteScreen(const std::string& pngPath) const
{
    return screen && zest::WritePng(pngPath, *screen);
}

} // namespace tibble::sim
