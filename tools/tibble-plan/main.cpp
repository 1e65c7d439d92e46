// tibble-plan: searches for an input script that completes one level in the real garden code, run headless
// and deterministic, and writes it as a tibble-play script.
#include "PlayScript.h"
#include "Planner.h"
#include "RobustnessCheck.h"
#include "SimAdapter.h"

#include "garden/Agent.h"
#include "garden/Bee.h"
#include "garden/Level.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace
{

constexpr const char* Usage =
    "usage: tibble-plan --data DIR --level-index I [--prefix FILE.play] [--budget SECONDS] [--beam N]\n"
    "                   [--jobs N] [--seed N] [--presses D,D,...] [--out FILE.play] [--shot FILE.png]\n"
    "                   [--verbose] MAP.pmp\n"
    "       tibble-plan --data DIR --level-index I --robust SCRIPT.play [--prefix FILE.play] [--runs N]\n"
    "                   [--time-shift UPDATES] [--pixel-shift PIXELS] [--seed N] [--trail FILE] [--verbose] MAP.pmp\n"
    "  --shot writes the level's first screen instead of planning. --presses sets the press lengths the search\n"
    "  tries, in updates (8,20,45,90,180).\n"
    "  --robust replays SCRIPT N times (40) with each press's start and end shifted by up to UPDATES (15) and its\n"
    "  point by up to PIXELS (4), seeded, and reports the share of runs that complete the level. --trail writes\n"
    "  every run's tiles (the bee's box within a pixel), one line per run, the script as written first.\n"
    "  I is the play number - 1 (0..12); it sets the share of nectar the exit needs.\n";

bool ReadText(const std::string& path, std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    text = buffer.str();
    return true;
}

bool ReadBytes(const std::string& path, std::vector<uint8_t>& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

// Where the best plan found leaves the bee and the flowers, sampled over the look-ahead.
int TrailWidth(tibble::plan::SimAdapter& adapter)
{
    std::unique_ptr<tibble::plan::PlanSim> run = adapter.NewRun();
    return run ? run->GetLevel().GetWidth() : 1;
}

// One line per run, the script as written first: "run N completed U" or "run N failed", then the run's trail as
// "COLUMN,ROW" pairs.
bool WriteTrails(const std::string& path, const tibble::plan::RobustnessReport& report, int width)
{
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (!file)
        return false;
    for (size_t i = 0; i < report.trails.size(); i++)
    {
        const int finished = i == 0 ? report.nominalUpdates : report.finishUpdates[i - 1];
        if (finished > 0)
            std::fprintf(file, "run %zu completed %d", i, finished);
        else
            std::fprintf(file, "run %zu failed", i);
        for (const int tile : report.trails[i])
            std::fprintf(file, " %d,%d", tile % width, tile / width);
        std::fputc('\n', file);
    }
    return std::fclose(file) == 0;
}

void Explain(tibble::plan::SimAdapter& adapter, std::vector<tibble::plan::PlanAction> actions, int lookahead)
{
    using namespace tibble;
    std::unique_ptr<plan::PlanSim> sim = adapter.NewRun();
    for (plan::PlanAction& action : actions)
    {
        bool completed = false;
        bool gameOver = false;
        bool ok = true;
        plan::Planner::PlayAction(*sim, action, completed, gameOver, ok);
    }
    Level& level = sim->GetLevel();
    for (int i = 0; i <= lookahead + 300; i += 50)
    {
        const Bee& bee = level.GetBee();
        std::printf("  +%d bee (%.0f, %.0f) v (%.2f, %.2f) state %d steerable %d, distance %d, nectar %d, bar %d/%d, "
                    "camera (%d, %d)\n",
                    i, bee.centreX, bee.centreY, bee.vx, bee.vy, bee.state, bee.steerable ? 1 : 0,
                    plan::Heuristic::DistanceToTarget(level), level.GetNectarCollected(), level.GetBarShown(),
                    level.GetBarThreshold(), level.GetCameraX(), level.GetCameraY());
        for (int k = 0; k < 50; k++)
            sim->Step();
    }
    std::span<MapObject> objects = level.GetObjects();
    for (size_t i = 0; i < objects.size(); i++)
    {
        const MapObject& record = objects[i];
        const Agent* agent = record.agentSlot >= 0 ? level.GetAgent(record.agentSlot) : nullptr;
        std::printf("  #%zu type %d at (%d, %d) param %d state %d agent state %d group timer %d kind %d\n", i,
                    record.type, record.x, record.y, record.param, record.state, agent ? agent->state : -99,
                    record.param >= 0 && record.param < 20 ? level.Group(record.param).timer : 0,
                    record.param >= 0 && record.param < 20 ? level.Group(record.param).kind : 0);
    }
}

} // namespace

int main(int argc, char** argv)
{
    using namespace tibble::plan;
    std::string dataDir;
    std::string prefixPath;
    std::string outPath;
    std::string mapPath;
    std::string shotPath;
    std::string robustPath;
    std::string trailPath;
    RobustnessCheck::Options robust;
    int levelIndex = -1;
    uint32_t seed = 1;
    Planner::Options options;
    for (int i = 1; i < argc; i++)
    {
        const std::string arg = argv[i];
        auto value = [&]() -> const char*
        {
            if (i + 1 >= argc)
            {
                std::fprintf(stderr, "tibble-plan: %s needs a value\n%s", arg.c_str(), Usage);
                std::exit(2);
            }
            return argv[++i];
        };
        if (arg == "--data")
            dataDir = value();
        else if (arg == "--level-index")
            levelIndex = std::atoi(value());
        else if (arg == "--prefix")
            prefixPath = value();
        else if (arg == "--out")
            outPath = value();
        else if (arg == "--budget")
            options.budgetSeconds = std::atof(value());
        else if (arg == "--beam")
            options.beamWidth = std::max(1, std::atoi(value()));
        else if (arg == "--jobs")
            options.jobs = std::max(1, std::atoi(value()));
        else if (arg == "--lookahead")
            options.lookahead = std::max(0, std::atoi(value()));
        else if (arg == "--seed")
            seed = static_cast<uint32_t>(std::strtoul(value(), nullptr, 10));
        else if (arg == "--no-fork")
            options.useFork = false;
        else if (arg == "--shot")
            shotPath = value();
        else if (arg == "--robust")
            robustPath = value();
        else if (arg == "--runs")
            robust.runs = std::max(1, std::atoi(value()));
        else if (arg == "--time-shift")
            robust.shift.timeShift = std::max(0, std::atoi(value()));
        else if (arg == "--pixel-shift")
            robust.shift.pixelShift = std::max(0, std::atoi(value()));
        else if (arg == "--presses")
        {
            // Press lengths the search may use: a person can hold a press for a second far more exactly, relative
            // to its length, than for a tenth of one.
            options.pressDurations.clear();
            std::stringstream list(value());
            std::string item;
            while (std::getline(list, item, ','))
                if (std::atoi(item.c_str()) > 0)
                    options.pressDurations.push_back(std::atoi(item.c_str()));
            if (options.pressDurations.empty())
            {
                std::fprintf(stderr, "tibble-plan: --presses needs a list of update counts such as 45,90,180\n");
                return 2;
            }
        }
        else if (arg == "--trail")
            trailPath = value();
        else if (arg == "--verbose")
            options.verbose = true;
        else if (!arg.empty() && arg[0] == '-')
        {
            std::fprintf(stderr, "tibble-plan: unknown option %s\n%s", arg.c_str(), Usage);
            return 2;
        }
        else
            mapPath = arg;
    }
    if (dataDir.empty() || mapPath.empty() || levelIndex < 0 || levelIndex > 12)
    {
        std::fputs(Usage, stderr);
        return 2;
    }

    std::string prefixText;
    PrefixInfo prefix;
    if (!prefixPath.empty())
    {
        if (!ReadText(prefixPath, prefixText))
        {
            std::fprintf(stderr, "tibble-plan: cannot read %s\n", prefixPath.c_str());
            return 1;
        }
        std::optional<PrefixInfo> header = ParsePrefixHeader(prefixText);
        if (!header)
        {
            std::fprintf(stderr, "tibble-plan: %s: no \"# first-level-update K draws-before D\" line\n",
                         prefixPath.c_str());
            return 1;
        }
        prefix = *header;
    }
    std::string error;
    std::vector<uint8_t> mapBytes;
    if (!ReadBytes(mapPath, mapBytes))
    {
        std::fprintf(stderr, "tibble-plan: cannot read %s\n", mapPath.c_str());
        return 1;
    }

    std::vector<ScriptPress> presses;
    if (!robustPath.empty())
    {
        std::string scriptText;
        if (!ReadText(robustPath, scriptText))
        {
            std::fprintf(stderr, "tibble-plan: cannot read %s\n", robustPath.c_str());
            return 1;
        }
        // A solution script carries its own level-start prefix and header.
        if (prefixPath.empty())
        {
            std::optional<PrefixInfo> header = ParsePrefixHeader(scriptText);
            if (header)
                prefix = *header;
        }
        if (!ReadScriptPresses(scriptText, prefix, presses, error))
        {
            std::fprintf(stderr, "tibble-plan: %s: %s\n", robustPath.c_str(), error.c_str());
            return 1;
        }
    }
    // Loading the data enters its folder: keep the paths written later as they were meant.
    if (!outPath.empty())
        outPath = std::filesystem::absolute(outPath).string();
    if (!shotPath.empty())
        shotPath = std::filesystem::absolute(shotPath).string();
    if (!trailPath.empty())
        trailPath = std::filesystem::absolute(trailPath).string();

    std::unique_ptr<SimAdapter> adapter =
        SimAdapter::Create(dataDir, mapBytes, levelIndex, prefix.drawsBefore, seed, error);
    if (!adapter)
    {
        std::fprintf(stderr, "tibble-plan: %s\n", error.c_str());
        return 1;
    }

    if (!shotPath.empty())
    {
        if (!adapter->WriteStartShot(shotPath, error))
        {
            std::fprintf(stderr, "tibble-plan: %s\n", error.c_str());
            return 1;
        }
        return 0;
    }

    if (!robustPath.empty())
    {
        robust.seed = seed;
        robust.trails = !trailPath.empty();
        RobustnessCheck check([&adapter]() { return adapter->NewRun(); }, presses, robust);
        const RobustnessReport report = check.Run();
        if (options.verbose)
        {
            std::printf("  as written, nectar at updates");
            for (int update : report.nectarUpdates)
                std::printf(" %d", update);
            std::printf("\n");
            for (size_t i = 0; i < report.finishUpdates.size(); i++)
            {
                const RobustnessReport::Outcome& outcome = report.outcomes[i];
                if (report.finishUpdates[i])
                    std::printf("  run %zu: completed at %d\n", i + 1, report.finishUpdates[i]);
                else
                    std::printf("  run %zu: failed with nectar %d (the last at update %d), %d lives lost, bee at "
                                "(%d, %d)\n",
                                i + 1, outcome.nectar, outcome.lastNectarUpdate, outcome.livesLost, outcome.beeX,
                                outcome.beeY);
            }
        }
        if (!trailPath.empty() && !WriteTrails(trailPath, report, TrailWidth(*adapter)))
        {
            std::fprintf(stderr, "tibble-plan: cannot write %s\n", trailPath.c_str());
            return 1;
        }
        std::printf("level %d: %zu presses, as written %s", levelIndex + 1, presses.size(),
                    report.nominalCompleted ? "completes at update " : "does NOT complete");
        if (report.nominalCompleted)
            std::printf("%d", report.nominalUpdates);
        std::printf("; %d of %d shifted runs complete (%.0f %%) with presses shifted up to %d updates and %d px\n",
                    report.completed, report.runs, 100.0 * report.completed / std::max(1, report.runs),
                    robust.shift.timeShift, robust.shift.pixelShift);
        return report.nominalCompleted ? 0 : 1;
    }

    Planner planner([&adapter]() { return adapter->NewRun(); }, options);
    const PlanResult result = planner.Solve();
    std::printf("level %d: %s after %.1f s, %d states expanded, depth %d\n", levelIndex + 1,
                result.solved ? "solved" : "NOT solved", result.seconds, result.expansions, result.depth);
    if (!result.solved)
    {
        std::printf("best: nectar %d, distance %d, exit open %d\n", result.best.nectar, result.best.distance,
                    result.best.exitOpen ? 1 : 0);
        if (options.verbose)
            Explain(*adapter, result.bestActions, options.lookahead);
        return 1;
    }
    std::printf("solution: %d updates, %d hose presses, %zu actions\n", result.updates, result.presses,
                result.actions.size());
    for (const PlanAction& action : result.actions)
        std::printf("  %s\n", DescribeAction(action).c_str());

    // Check the plan once more from a fresh run, exactly as it will be written.
    std::unique_ptr<PlanSim> check = adapter->NewRun();
    int played = 0;
    bool completed = false;
    for (PlanAction action : result.actions)
    {
        bool gameOver = false;
        bool ok = true;
        played += Planner::PlayAction(*check, action, completed, gameOver, ok);
        if (completed || gameOver || !ok)
            break;
    }
    if (!completed || played != result.updates)
    {
        std::fprintf(stderr, "tibble-plan: the plan does not replay (completed %d after %d updates, expected %d)\n",
                     completed ? 1 : 0, played, result.updates);
        return 1;
    }

    ScriptEnding ending;
    ending.playNumber = levelIndex + 1;
    ending.lastLevel = levelIndex == 12;
    const std::string script = WritePlayScript(prefixText, prefix, result.actions, result.updates, ending);
    if (outPath.empty())
    {
        std::fputs(script.c_str(), stdout);
    }
    else
    {
        std::ofstream out(outPath, std::ios::binary);
        out << script;
        if (!out)
        {
            std::fprintf(stderr, "tibble-plan: cannot write %s\n", outPath.c_str());
            return 1;
        }
    }
    return 0;
}
