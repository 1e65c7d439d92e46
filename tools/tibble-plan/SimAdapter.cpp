#include "SimAdapter.h"

#include "sim/SimData.h"
#include "sim/SimRun.h"

namespace tibble::plan
{
namespace
{

class SimCoreRun : public PlanSim
{
public:
    explicit SimCoreRun(std::unique_ptr<sim::SimRun> run) : run(std::move(run)) {}

    Level& GetLevel() override { return run->GetLevel(); }
    void SetMouse(int x, int y, bool down) override
    {
        if (down)
            run->GetHost().Down(x, y);
        else
            run->GetHost().Up(x, y);
    }
    int Step() override { return run->Step().answer; }
    int LivesLost() const override { return run->GetHost().LivesLost(); }

private:
    std::unique_ptr<sim::SimRun> run;
};

} // namespace

SimAdapter::~SimAdapter() = default;

std::unique_ptr<SimAdapter> SimAdapter::Create(const std::string& dataDir, std::vector<uint8_t> mapBytes,
                                               int levelIndex, int drawsBefore, uint32_t seed, std::string& error)
{
    std::unique_ptr<SimAdapter> adapter(new SimAdapter());
    adapter->data = std::make_unique<sim::SimData>();
    if (!adapter->data->Load(dataDir, &error))
        return nullptr;
    adapter->mapBytes = std::move(mapBytes);
    adapter->levelIndex = levelIndex;
    adapter->drawsBefore = drawsBefore;
    adapter->seed = seed;
    sim::SimRun::Options options;
    options.levelIndex = levelIndex;
    options.seed = seed;
    if (!sim::SimRun::Create(adapter->mapBytes, options, &error))
        return nullptr;
    return adapter;
}

std::unique_ptr<PlanSim> SimAdapter::NewRun()
{
    sim::SimRun::Options options;
    options.levelIndex = levelIndex;
    options.seed = seed;
    options.drawMode = sim::SimRun::DrawMode::NoPixels;
    std::unique_ptr<sim::SimRun> run = sim::SimRun::Create(mapBytes, options);
    if (!run)
        return nullptr;
    for (int i = 0; i < drawsBefore; i++)
        run->Draw();
    return std::make_unique<SimCoreRun>(std::move(run));
}

bool SimAdapter::WriteStartShot(const std::string& pngPath, std::string& error)
{
    sim::SimRun::Options options;
    options.levelIndex = levelIndex;
    options.seed = seed;
    options.drawMode = sim::SimRun::DrawMode::Pixels;
    std::unique_ptr<sim::SimRun> run = sim::SimRun::Create(mapBytes, options, &error);
    if (!run)
        return false;
    run->Draw();
    if (!run->WriteScreen(pngPath))
    {
        error = "cannot write " + pngPath;
        return false;
    }
    return true;
}

} // namespace tibble::plan
