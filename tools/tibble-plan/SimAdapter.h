// The planner's runs over the headless simulation core: loads the game's data once, then makes fresh runs
// of one map at its start (with the level draws the game makes before the first update). One per process;
// planner thread only.
#pragma once

#include "PlanSim.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tibble::sim
{
class SimData;
}

namespace tibble::plan
{

class SimAdapter
{
public:
    // Loads dataDir (which becomes the working directory) and checks that the map builds. None with
    // error saying why.
    static std::unique_ptr<SimAdapter> Create(const std::string& dataDir, std::vector<uint8_t> mapBytes,
                                              int levelIndex, int drawsBefore, uint32_t seed, std::string& error);
    ~SimAdapter();

    // The garden's random seed of the runs made from now on.
    void SetSeed(uint32_t runSeed) { seed = runSeed; }
    // A fresh run at the level's start, without pixels.
    std::unique_ptr<PlanSim> NewRun();
    // The level's first screen as the player sees it, written as a PNG.
    [[nodiscard]] bool WriteStartShot(const std::string& pngPath, std::string& error);

private:
    SimAdapter() = default;

    std::unique_ptr<sim::SimData> data;
    std::vector<uint8_t> mapBytes;
    int levelIndex = 0;
    int drawsBefore = 0;
    uint32_t seed = 1;
};

} // namespace tibble::plan
