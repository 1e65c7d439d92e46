#include "SimTestSupport.h"

#include "GameTestData.h"
#include "sim/SimData.h"

#include "garden/MapObject.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include <gtest/gtest.h>

namespace tibble::sim::test
{

namespace
{

// The data folder and the loaded data live until the program ends.
struct LoadedData
{
    gametest::DataFolder folder;
    SimData data;
    std::string error;
    bool ok = false;

    LoadedData() { ok = data.Load(folder.Path(), &error); }
};

std::unique_ptr<LoadedData> loadedData;

// Loaded on first use; the data and its folder go when the test program ends.
class LoadedDataEnvironment : public testing::Environment
{
public:
    void TearDown() override
    {
        gametest::ClearIdentifiers();
        loadedData.reset();
    }
};

[[maybe_unused]] testing::Environment* const environment =
    testing::AddGlobalTestEnvironment(new LoadedDataEnvironment());

LoadedData& Loaded()
{
    if (!loadedData)
        loadedData = std::make_unique<LoadedData>();
    EXPECT_TRUE(loadedData->ok) << loadedData->error;
    return *loadedData;
}

} // namespace

const std::string& DataFolderPath()
{
    return Loaded().data.Folder();
}

zest::ZestAppBase* LoadedApp()
{
    return Loaded().data.GetApp();
}

std::vector<uint8_t> BusyLevel()
{
    // 16 x 10 tiles, the start in the middle and an agent on nearly every tile of the first screen.
    MapBuilder map(16, 10);
    map.AddAt(TypeStartTrumpet, 5, 2);
    const int kinds[][2] = {
        {TypeSunflower, 2},  {TypeMiniFlower, 2}, {TypeRose, 3},      {TypeRedRose, 4}, {TypePurpleRose, 5},
        {TypeTomato, 0},     {TypePansy, 6},      {TypePansy2, 7},    {TypeHive, 5},    {TypeLinkTrumpet, 4},
        {TypeMiniFlower, 8}, {TypePurpleRose, 9}, {TypeSunflower, 8}, {TypeHose, 90},   {TypeFlyTrap, 180},
    };
    int next = 0;
    for (int row = 0; row < 8; row++)
        for (int column = 0; column < 11; column++)
        {
            if ((column >= 4 && column <= 6 && row >= 1 && row <= 4) || (column + row) % 2 != 0)
                continue;
            const auto& kind = kinds[next++ % std::size(kinds)];
            map.AddAt(kind[0], column, row, kind[1], next);
        }
    map.AddAt(TypeHose, 7, 5, 315);
    map.AddAt(TypeHose, 3, 5, 45);
    return map.Bytes();
}

std::string BusyScript(int endUpdate)
{
    // The hose at tile (7, 5), held for 80 updates in every 200.
    std::string script;
    for (int start = 100; start + 80 < endUpdate; start += 200)
        script += std::to_string(start) + " down 450 340\n" + std::to_string(start + 80) + " up 450 340\n";
    return script + std::to_string(endUpdate) + " end\n";
}

std::string TraceOf(const std::vector<uint8_t>& map, const std::string& scriptText, SimRun::DrawMode mode,
                    int levelIndex, uint32_t seed)
{
    DataFolderPath();
    SimScript script;
    std::string error;
    EXPECT_TRUE(script.Parse(scriptText, &error)) << error;
    SimRun::Options options;
    options.levelIndex = levelIndex;
    options.seed = seed;
    options.drawMode = mode;
    std::unique_ptr<SimRun> run = SimRun::Create(map, options, &error);
    EXPECT_TRUE(run) << error;
    if (!run)
        return {};
    std::string trace;
    const int last = script.EndUpdate().value_or(100000);
    for (int update = 1; update <= last; update++)
    {
        script.ForUpdate(update, [&run](const SimScript::Action& action) { SimScript::Apply(action, run->GetHost()); });
        StepResult result = run->Step();
        trace += run->Trace().Format() + "\n" + result.EventLines(update);
        if (result.completed || result.gameOver)
            break;
    }
    return trace;
}

namespace
{

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

std::vector<std::string> Fields(const std::string& line)
{
    std::vector<std::string> fields;
    std::istringstream in(line);
    std::string field;
    while (in >> field)
        fields.push_back(field);
    return fields;
}

// Fields 3 and 4 (velocity) within tolerance, everything else the same text.
bool LinesAgree(const std::string& expected, const std::string& actual, double tolerance)
{
    if (expected == actual)
        return true;
    std::vector<std::string> a = Fields(expected);
    std::vector<std::string> b = Fields(actual);
    if (a.size() != 10 || b.size() != 10)
        return false;
    for (size_t i = 0; i < a.size(); i++)
    {
        if (i == 3 || i == 4)
        {
            char* endA = nullptr;
            char* endB = nullptr;
            const double va = std::strtod(a[i].c_str(), &endA);
            const double vb = std::strtod(b[i].c_str(), &endB);
            if (*endA != 0 || *endB != 0 || !(std::fabs(va - vb) <= tolerance))
                return false;
        }
        else if (a[i] != b[i])
        {
            return false;
        }
    }
    return true;
}

} // namespace

std::string CompareTraces(const std::string& expected, const std::string& actual, double tolerance)
{
    std::vector<std::string> want = Lines(expected);
    std::vector<std::string> got = Lines(actual);
    const size_t common = std::min(want.size(), got.size());
    size_t first = common;
    for (size_t i = 0; i < common; i++)
        if (!LinesAgree(want[i], got[i], tolerance))
        {
            first = i;
            break;
        }
    if (first == common && want.size() == got.size())
        return {};
    std::ostringstream report;
    report << "traces differ from line " << first + 1 << " (expected " << want.size() << " lines, got " << got.size()
           << "); fields: U X Y VX VY STATE NECTAR BARSHOWN CAMX CAMY\n";
    const size_t from = first >= 2 ? first - 2 : 0;
    for (size_t i = from; i < first; i++)
        report << "  " << want[i] << "\n";
    for (size_t i = first; i < std::min(first + 5, want.size()); i++)
        report << "- " << want[i] << "\n";
    for (size_t i = first; i < std::min(first + 5, got.size()); i++)
        report << "+ " << got[i] << "\n";
    return report.str();
}

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteText(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::string ScratchPath(const std::string& name)
{
    static const std::filesystem::path root = []
    {
        std::filesystem::path path =
            std::filesystem::temp_directory_path() / ("tibble-sim-tests-" + std::to_string(getpid()));
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
        return path;
    }();
    return (root / name).string();
}

ToolResult RunTool(const std::vector<std::string>& arguments, const std::string& stdinFile)
{
    return zest::test::RunTool(zest::test::ToolPath("tibble-sim"), arguments, stdinFile);
}

} // namespace tibble::sim::test
