// Helpers of the sim tests: a writer of small level maps, the game data loaded once for the whole test
// program, traces of scripted runs compared against stored ones, and running the tibble-sim tool.
#pragma once

#include "MapBuilder.h"
#include "sim/SimRun.h"
#include "sim/SimScript.h"
#include "../support/ToolRun.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zest
{
class ZestAppBase;
}

namespace tibble::sim::test
{

using tibble::test::MapBuilder;

// The folder of the generated test data, loaded into this process (once) on first call.
const std::string& DataFolderPath();
// The application object that loaded it.
zest::ZestAppBase* LoadedApp();

// A level full of agents in view and a script that keeps a hose spraying at the bee.
std::vector<uint8_t> BusyLevel();
std::string BusyScript(int endUpdate);

// Runs the map with the script as tibble-sim does and answers its output: one trace line per update,
// then that update's event lines. Stops after the script's end or a completed / game-over update.
std::string TraceOf(const std::vector<uint8_t>& map, const std::string& script,
                    SimRun::DrawMode mode = SimRun::DrawMode::NoPixels, int levelIndex = 0, uint32_t seed = 1);

// Empty when the traces agree (integers and events exactly, velocities within tolerance); otherwise
// a readable report of the first lines that differ.
std::string CompareTraces(const std::string& expected, const std::string& actual, double tolerance = 1e-3);

std::string ReadText(const std::string& path);
void WriteText(const std::string& path, const std::string& text);
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);

// A scratch folder of this test program, made on first use.
std::string ScratchPath(const std::string& name);

// Runs build/bin/tibble-sim with the arguments, stdin from stdinFile when given; answers the exit code and what it
// wrote.
using ToolResult = zest::test::ToolRun;
ToolResult RunTool(const std::vector<std::string>& arguments, const std::string& stdinFile = "");

} // namespace tibble::sim::test
