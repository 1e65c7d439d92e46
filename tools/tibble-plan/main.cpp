// tibble-plan: searches for an input script that completes one level in the real garden code, run headless
// and deterministic, and writes it as a tibble-play script.
#include "PlanScript.h"
#include "Planner.h"
#include "PressTuning.h"
#include "RobustnessCheck.h"
#include "SimAdapter.h"

#include "garden/Agent.h"
#include "garden/Bee.h"
#include "garden/Level.h"
#include "garden/LevelMap.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace
{

constexpr const char* Usage =
    "usage: tibble-plan --data DIR --level-index I [--prefix FILE.play] [--budget SECONDS] [--beam N]\n"
    "                   [--jobs N] [--seed N] [--presses D,D,...] [--out FILE.play] [--shot FILE.png]\n"
    "                   [--json] [--verbose] MAP.pmp\n"
    "       tibble-plan --data DIR --level-index I --robust SCRIPT.play [--prefix FILE.play] [--runs N]\n"
    "                   [--time-shift UPDATES] [--pixel-shift PIXELS] [--speed PERCENT] [--seed N]\n"
    "                   [--trail FILE] [--json] [--verbose] MAP.pmp\n"
    "       tibble-plan --data DIR --level-index I --polish SCRIPT.play --out FILE.play [--seeds N,N,...]\n"
    "                   [--rounds N] [--minutes M] [--window FROM,TO] [--wide] [--prefix FILE.play] MAP.pmp\n"
    "       tibble-plan --hold GAP [--prefix FILE.play] [--out FILE.play] SCRIPT.play\n"
    "  --shot writes the level's first screen instead of planning. --presses sets the press lengths the search\n"
    "  tries, in updates (8,20,45,90,180). --json reports on standard output as one JSON object instead of text.\n"
    "  --robust replays SCRIPT N times (40) with each press's start and end shifted by up to UPDATES (15) and its\n"
    "  point by up to PIXELS (4), seeded, and reports the share of runs that complete the level. --speed plays\n"
    "  them at a game speed of PERCENT (100): the shifts are a person's, in real time, so they shrink to\n"
    "  UPDATES * PERCENT / 100 garden updates (15 at 70 % are 10.5). --trail writes\n"
    "  every run's tiles (the bee's box within a pixel), one line per run, the script as written first.\n"
    "  --polish moves SCRIPT's presses a little at a time (held 30 or 60 updates longer or 15 shorter, started 15\n"
    "  earlier or later; --wide adds bolder moves) and keeps each move that makes more shifted runs complete,\n"
    "  summed over the seeds (1,2,3), for M minutes (40); FILE is written after every kept move. --runs,\n"
    "  --time-shift, --pixel-shift and --speed set its replays as for --robust.\n"
    "  --hold joins every run of presses on one point that start within GAP updates of the last release.\n"
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

// What the command line asks for.
struct CommandLine
{
    enum class Mode
    {
        Plan,
        Shot,
        Robust,
        Polish,
        Hold,
    };
    Mode mode = Mode::Plan;
    std::string dataDir;
    std::string prefixPath;
    std::string outPath;
    std::string mapPath; // the script with --hold
    std::string shotPath;
    std::string scriptPath; // --robust and --polish
    std::string trailPath;
    int levelIndex = -1;
    uint32_t seed = 1;
    bool json = false;
    int holdGap = 2;
    tibble::plan::Planner::Options plan;
    tibble::plan::RobustnessCheck::Options robust;
    tibble::plan::PolishOptions polish;
};

// "1,2,3" as numbers; false when an item is not a number above zero (or, with allowZero, zero).
bool ParseList(const std::string& text, std::vector<int>& out, bool allowZero)
{
    out.clear();
    std::stringstream list(text);
    std::string item;
    while (std::getline(list, item, ','))
    {
        char* end = nullptr;
        const long value = std::strtol(item.c_str(), &end, 10);
        if (item.empty() || *end != '\0' || value < (allowZero ? 0 : 1) || value > 1000000000)
            return false;
        out.push_back(static_cast<int>(value));
    }
    return !out.empty();
}

// One option that takes a value: stores it, or answers the message for a value it refuses.
struct ValueOption
{
    const char* name;
    std::function<std::string(CommandLine&, const std::string&)> store;
};

// A mode option: what it works on, and the mode.
std::string SetMode(CommandLine& cl, CommandLine::Mode mode, std::string& path, const std::string& value)
{
    path = value;
    cl.mode = mode;
    return "";
}

int AtLeast(const std::string& text, int low)
{
    return std::max(low, std::atoi(text.c_str()));
}

const ValueOption ValueOptions[] = {
    {"--data", [](CommandLine& cl, const std::string& v) { return cl.dataDir = v, ""; }},
    {"--level-index", [](CommandLine& cl, const std::string& v) { return cl.levelIndex = std::atoi(v.c_str()), ""; }},
    {"--prefix", [](CommandLine& cl, const std::string& v) { return cl.prefixPath = v, ""; }},
    {"--out", [](CommandLine& cl, const std::string& v) { return cl.outPath = v, ""; }},
    {"--trail", [](CommandLine& cl, const std::string& v) { return cl.trailPath = v, ""; }},
    {"--budget",
     [](CommandLine& cl, const std::string& v) { return cl.plan.budgetSeconds = std::atof(v.c_str()), ""; }},
    {"--beam", [](CommandLine& cl, const std::string& v) { return cl.plan.beamWidth = AtLeast(v, 1), ""; }},
    {"--jobs", [](CommandLine& cl, const std::string& v) { return cl.plan.jobs = AtLeast(v, 1), ""; }},
    {"--lookahead", [](CommandLine& cl, const std::string& v) { return cl.plan.lookahead = AtLeast(v, 0), ""; }},
    {"--seed", [](CommandLine& cl, const std::string& v)
     { return cl.seed = static_cast<uint32_t>(std::strtoul(v.c_str(), nullptr, 10)), ""; }},
    {"--runs", [](CommandLine& cl, const std::string& v) { return cl.robust.runs = AtLeast(v, 1), ""; }},
    {"--time-shift",
     [](CommandLine& cl, const std::string& v) { return cl.robust.shift.timeShift = AtLeast(v, 0), ""; }},
    {"--pixel-shift",
     [](CommandLine& cl, const std::string& v) { return cl.robust.shift.pixelShift = AtLeast(v, 0), ""; }},
    {"--speed",
     [](CommandLine& cl, const std::string& v) -> std::string
     {
         std::vector<int> speed;
         if (!ParseList(v, speed, false) || speed.size() != 1 || speed[0] > 100)
             return "--speed needs a game speed in per cent, 1 to 100, not '" + v + "'";
         cl.robust.shift.speedPercent = speed[0];
         return "";
     }},
    {"--rounds", [](CommandLine& cl, const std::string& v) { return cl.polish.rounds = AtLeast(v, 1), ""; }},
    {"--minutes", [](CommandLine& cl, const std::string& v)
     { return cl.polish.budgetSeconds = std::max(0.0, std::atof(v.c_str())) * 60, ""; }},
    {"--shot",
     [](CommandLine& cl, const std::string& v) { return SetMode(cl, CommandLine::Mode::Shot, cl.shotPath, v); }},
    {"--robust",
     [](CommandLine& cl, const std::string& v) { return SetMode(cl, CommandLine::Mode::Robust, cl.scriptPath, v); }},
    {"--polish",
     [](CommandLine& cl, const std::string& v) { return SetMode(cl, CommandLine::Mode::Polish, cl.scriptPath, v); }},
    {"--hold",
     [](CommandLine& cl, const std::string& v) -> std::string
     {
         std::vector<int> gap;
         if (!ParseList(v, gap, true) || gap.size() != 1)
             return "--hold needs a gap in updates (0 or more), not '" + v + "'";
         cl.holdGap = gap[0];
         cl.mode = CommandLine::Mode::Hold;
         return "";
     }},
    // Press lengths the search may use: a person can hold a press for a second far more exactly, relative to its
    // length, than for a tenth of one.
    {"--presses",
     [](CommandLine& cl, const std::string& v) -> std::string
     {
         return ParseList(v, cl.plan.pressDurations, false)
                    ? ""
                    : "--presses needs a list of update counts such as 45,90,180";
     }},
    {"--seeds",
     [](CommandLine& cl, const std::string& v) -> std::string
     {
         std::vector<int> seeds;
         if (!ParseList(v, seeds, true))
             return "--seeds needs a list of seeds such as 1,2,3";
         cl.polish.seeds.assign(seeds.begin(), seeds.end());
         return "";
     }},
    {"--window",
     [](CommandLine& cl, const std::string& v) -> std::string
     {
         std::vector<int> window;
         if (!ParseList(v, window, true) || window.size() != 2)
             return "--window needs two script updates FROM,TO";
         cl.polish.windowFrom = window[0];
         cl.polish.windowTo = window[1];
         return "";
     }},
};

// Reads the options; an answer other than -1 is the exit code (a usage error).
int ParseCommandLine(int argc, char** argv, CommandLine& cl)
{
    for (int i = 1; i < argc; i++)
    {
        const std::string arg = argv[i];
        const ValueOption* option = nullptr;
        for (const ValueOption& candidate : ValueOptions)
            if (arg == candidate.name)
                option = &candidate;
        if (option)
        {
            if (i + 1 >= argc)
            {
                std::fprintf(stderr, "tibble-plan: %s needs a value\n%s", arg.c_str(), Usage);
                return 2;
            }
            if (const std::string refused = option->store(cl, argv[++i]); !refused.empty())
            {
                std::fprintf(stderr, "tibble-plan: %s\n", refused.c_str());
                return 2;
            }
        }
        else if (arg == "--no-fork")
            cl.plan.useFork = false;
        else if (arg == "--wide")
            cl.polish.wide = true;
        else if (arg == "--json")
            cl.json = true;
        else if (arg == "--verbose")
            cl.plan.verbose = true;
        else if (!arg.empty() && arg[0] == '-')
        {
            std::fprintf(stderr, "tibble-plan: unknown option %s\n%s", arg.c_str(), Usage);
            return 2;
        }
        else
            cl.mapPath = arg;
    }
    if (cl.mode == CommandLine::Mode::Hold)
        return cl.mapPath.empty() ? (std::fputs(Usage, stderr), 2) : -1;
    if (cl.dataDir.empty() || cl.mapPath.empty() || cl.levelIndex < 0 || cl.levelIndex >= tibble::LevelCount ||
        (cl.mode == CommandLine::Mode::Polish && cl.outPath.empty()))
    {
        std::fputs(Usage, stderr);
        return 2;
    }
    return -1;
}

// A string as a JSON string literal.
std::string JsonString(const std::string& text)
{
    std::string out = "\"";
    for (const char c : text)
    {
        if (c == '"' || c == '\\')
            out += std::string("\\") + c;
        else if (c == '\n')
            out += "\\n";
        else if (static_cast<unsigned char>(c) < 0x20)
        {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        }
        else
            out += c;
    }
    return out + "\"";
}

bool WriteText(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
    out.close();
    return static_cast<bool>(out);
}

// The prefix's text and header from --prefix; without one, from the script that carries it (a solution script
// starts with its prefix), else the defaults.
bool ReadPrefix(const CommandLine& cl, const std::string& scriptText, std::string& prefixText,
                tibble::plan::PrefixHeader& prefix)
{
    const std::string& source = cl.prefixPath.empty() ? scriptText : prefixText;
    if (!cl.prefixPath.empty() && !ReadText(cl.prefixPath, prefixText))
    {
        std::fprintf(stderr, "tibble-plan: cannot read %s\n", cl.prefixPath.c_str());
        return false;
    }
    std::optional<tibble::plan::PrefixHeader> header = tibble::play::ParsePrefixHeader(source);
    if (header)
        prefix = *header;
    else if (!cl.prefixPath.empty())
    {
        std::fprintf(stderr, "tibble-plan: %s: the first line is not \"%s\"\n", cl.prefixPath.c_str(),
                     "# first-level-update K draws-before D");
        return false;
    }
    return true;
}

// The script of --robust, --polish or --hold and its presses.
bool ReadScript(const CommandLine& cl, const std::string& path, std::string& text, tibble::plan::PrefixHeader& prefix,
                std::vector<tibble::plan::ScriptPress>& presses)
{
    std::string prefixText;
    std::string error;
    if (!ReadText(path, text))
    {
        std::fprintf(stderr, "tibble-plan: cannot read %s\n", path.c_str());
        return false;
    }
    if (!ReadPrefix(cl, text, prefixText, prefix))
        return false;
    if (!tibble::play::ReadScriptPresses(text, prefix, presses, error))
    {
        std::fprintf(stderr, "tibble-plan: %s: %s\n", path.c_str(), error.c_str());
        return false;
    }
    return true;
}

int RunHold(const CommandLine& cl)
{
    using namespace tibble::plan;
    std::string text;
    PrefixHeader prefix;
    std::vector<ScriptPress> presses;
    if (!ReadScript(cl, cl.mapPath, text, prefix, presses))
        return 1;
    const std::vector<std::optional<ScriptPress>> held = HoldPresses(presses, cl.holdGap);
    std::string out;
    std::string error;
    if (!ReplacePresses(text, prefix, held, 0, out, error))
    {
        std::fprintf(stderr, "tibble-plan: %s: %s\n", cl.mapPath.c_str(), error.c_str());
        return 1;
    }
    if (cl.outPath.empty())
        std::fputs(out.c_str(), stdout);
    else if (!WriteText(cl.outPath, out))
    {
        std::fprintf(stderr, "tibble-plan: cannot write %s\n", cl.outPath.c_str());
        return 1;
    }
    std::fprintf(
        stderr, "tibble-plan: %zu presses joined into %zu\n", presses.size(),
        static_cast<size_t>(std::count_if(held.begin(), held.end(), [](const auto& p) { return p.has_value(); })));
    return 0;
}

void ReportRobust(const CommandLine& cl, const tibble::plan::RobustnessReport& report, size_t presses)
{
    if (cl.json)
    {
        std::printf("{\"level\": %d, \"presses\": %zu, \"completes\": %s, \"completesAt\": %d, \"runs\": %d, "
                    "\"completed\": %d, \"timeShift\": %d, \"pixelShift\": %d, \"seed\": %u, ",
                    cl.levelIndex + 1, presses, report.nominalCompleted ? "true" : "false",
                    report.nominalCompleted ? report.nominalUpdates : 0, report.runs, report.completed,
                    cl.robust.shift.timeShift, cl.robust.shift.pixelShift, cl.robust.seed);
        // The game speed only where it is not the default, so reports at full speed read as they always did.
        if (cl.robust.shift.speedPercent != 100)
            std::printf("\"speed\": %d, ", cl.robust.shift.speedPercent);
        std::printf("\"nectarUpdates\": [");
        for (size_t i = 0; i < report.nectarUpdates.size(); i++)
            std::printf("%s%d", i ? ", " : "", report.nectarUpdates[i]);
        std::printf("], \"shiftedRuns\": [");
        for (size_t i = 0; i < report.finishUpdates.size(); i++)
        {
            const tibble::plan::RobustnessReport::Outcome& outcome = report.outcomes[i];
            std::printf("%s{\"completedAt\": %d, \"nectar\": %d, \"lastNectarUpdate\": %d, \"livesLost\": %d, "
                        "\"beeX\": %d, \"beeY\": %d}",
                        i ? ", " : "", report.finishUpdates[i], outcome.nectar, outcome.lastNectarUpdate,
                        outcome.livesLost, outcome.beeX, outcome.beeY);
        }
        std::printf("]}\n");
        return;
    }
    if (cl.plan.verbose)
    {
        std::printf("  as written, nectar at updates");
        for (int update : report.nectarUpdates)
            std::printf(" %d", update);
        std::printf("\n");
        for (size_t i = 0; i < report.finishUpdates.size(); i++)
        {
            const tibble::plan::RobustnessReport::Outcome& outcome = report.outcomes[i];
            if (report.finishUpdates[i])
                std::printf("  run %zu: completed at %d\n", i + 1, report.finishUpdates[i]);
            else
                std::printf("  run %zu: failed with nectar %d (the last at update %d), %d lives lost, bee at "
                            "(%d, %d)\n",
                            i + 1, outcome.nectar, outcome.lastNectarUpdate, outcome.livesLost, outcome.beeX,
                            outcome.beeY);
        }
    }
    std::printf("level %d: %zu presses, as written %s", cl.levelIndex + 1, presses,
                report.nominalCompleted ? "completes at update " : "does NOT complete");
    if (report.nominalCompleted)
        std::printf("%d", report.nominalUpdates);
    std::printf("; %d of %d shifted runs complete (%.0f %%) with presses shifted up to %d updates and %d px",
                report.completed, report.runs, 100.0 * report.completed / std::max(1, report.runs),
                cl.robust.shift.timeShift, cl.robust.shift.pixelShift);
    if (cl.robust.shift.speedPercent != 100)
        std::printf(" at game speed %d %% (%.1f garden updates)", cl.robust.shift.speedPercent,
                    cl.robust.shift.timeShift * cl.robust.shift.speedPercent / 100.0);
    std::printf("\n");
}

int RunRobust(CommandLine& cl, tibble::plan::SimAdapter& adapter, const std::vector<tibble::plan::ScriptPress>& presses)
{
    using namespace tibble::plan;
    cl.robust.seed = cl.seed;
    cl.robust.trails = !cl.trailPath.empty();
    RobustnessCheck check([&adapter]() { return adapter.NewRun(); }, presses, cl.robust);
    const RobustnessReport report = check.Run();
    if (!cl.trailPath.empty() && !WriteTrails(cl.trailPath, report, TrailWidth(adapter)))
    {
        std::fprintf(stderr, "tibble-plan: cannot write %s\n", cl.trailPath.c_str());
        return 1;
    }
    ReportRobust(cl, report, presses.size());
    return report.nominalCompleted ? 0 : 1;
}

int RunPolish(const CommandLine& cl, tibble::plan::SimAdapter& adapter, const std::string& scriptText,
              const tibble::plan::PrefixHeader& prefix, std::vector<tibble::plan::ScriptPress> presses)
{
    using namespace tibble::plan;
    RobustnessCheck::Options options = cl.robust;
    auto judge = [&adapter, options](const std::vector<ScriptPress>& trial, uint32_t seed) mutable
    {
        adapter.SetSeed(seed);
        options.seed = seed;
        RobustnessCheck check([&adapter]() { return adapter.NewRun(); }, trial, options);
        const RobustnessReport report = check.Run();
        return report.nominalCompleted ? PolishScore{report.completed, report.nominalUpdates} : PolishScore{};
    };
    bool written = true;
    auto write = [&](const std::vector<ScriptPress>& kept, int completionShift)
    {
        std::string out;
        std::string error;
        const std::vector<std::optional<ScriptPress>> replacements(kept.begin(), kept.end());
        written =
            ReplacePresses(scriptText, prefix, replacements, completionShift, out, error) && WriteText(cl.outPath, out);
    };
    PressPolish polish(judge, cl.polish);
    int lastKept = -1;
    const PolishScore score = polish.Run(presses, prefix.firstLevelUpdate,
                                         [&](const std::vector<ScriptPress>& kept, int completionShift)
                                         {
                                             write(kept, completionShift);
                                             lastKept = completionShift;
                                         });
    if (score.completed < 0)
    {
        std::fprintf(stderr, "tibble-plan: %s: the script as written does not complete the level\n",
                     cl.scriptPath.c_str());
        return 1;
    }
    if (lastKept < 0)
        write(presses, 0); // nothing kept: the output is the script as it was
    if (!written)
    {
        std::fprintf(stderr, "tibble-plan: cannot write %s\n", cl.outPath.c_str());
        return 1;
    }
    std::printf("level %d: %d shifted runs complete over %zu seeds\n", cl.levelIndex + 1, score.completed,
                cl.polish.seeds.size());
    return 0;
}

void ReportPlan(const CommandLine& cl, const tibble::plan::PlanResult& result, tibble::plan::SimAdapter& adapter)
{
    using namespace tibble::plan;
    if (cl.json)
    {
        std::printf("{\"level\": %d, \"solved\": %s, \"seconds\": %.1f, \"expansions\": %d, \"depth\": %d",
                    cl.levelIndex + 1, result.solved ? "true" : "false", result.seconds, result.expansions,
                    result.depth);
        if (!result.solved)
            std::printf(", \"best\": {\"nectar\": %d, \"distance\": %d, \"exitOpen\": %s}", result.best.nectar,
                        result.best.distance, result.best.exitOpen ? "true" : "false");
        else
        {
            std::printf(", \"updates\": %d, \"presses\": %d, \"actions\": [", result.updates, result.presses);
            for (size_t i = 0; i < result.actions.size(); i++)
            {
                const PlanAction& action = result.actions[i];
                std::printf("%s{\"hose\": %d, \"duration\": %d, \"x\": %d, \"y\": %d}", i ? ", " : "", action.hose,
                            action.duration, action.mouseX, action.mouseY);
            }
            std::printf("]");
        }
        return; // the caller closes the object
    }
    std::printf("level %d: %s after %.1f s, %d states expanded, depth %d\n", cl.levelIndex + 1,
                result.solved ? "solved" : "NOT solved", result.seconds, result.expansions, result.depth);
    if (!result.solved)
    {
        std::printf("best: nectar %d, distance %d, exit open %d\n", result.best.nectar, result.best.distance,
                    result.best.exitOpen ? 1 : 0);
        if (cl.plan.verbose)
            Explain(adapter, result.bestActions, cl.plan.lookahead);
        return;
    }
    std::printf("solution: %d updates, %d hose presses, %zu actions\n", result.updates, result.presses,
                result.actions.size());
    for (const PlanAction& action : result.actions)
        std::printf("  %s\n", DescribeAction(action).c_str());
}

// Plays the plan once more from a fresh run, exactly as it will be written.
bool Replays(tibble::plan::SimAdapter& adapter, const tibble::plan::PlanResult& result)
{
    using namespace tibble::plan;
    std::unique_ptr<PlanSim> check = adapter.NewRun();
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
        return false;
    }
    return true;
}

int RunPlan(const CommandLine& cl, tibble::plan::SimAdapter& adapter, const std::string& prefixText,
            const tibble::plan::PrefixHeader& prefix)
{
    using namespace tibble::plan;
    Planner planner([&adapter]() { return adapter.NewRun(); }, cl.plan);
    const PlanResult result = planner.Solve();
    ReportPlan(cl, result, adapter);
    const auto close = [&cl]()
    {
        if (cl.json)
            std::printf("}\n");
    };
    if (!result.solved || !Replays(adapter, result))
    {
        close();
        return 1;
    }
    ScriptEnding ending;
    ending.playNumber = cl.levelIndex + 1;
    ending.lastLevel = cl.levelIndex == tibble::LevelCount - 1;
    const std::string script = WritePlanScript(prefixText, prefix, result.actions, result.updates, ending);
    if (cl.outPath.empty())
    {
        if (cl.json)
            std::printf(", \"script\": %s", JsonString(script).c_str());
        else
            std::fputs(script.c_str(), stdout);
    }
    else if (!WriteText(cl.outPath, script))
    {
        close();
        std::fprintf(stderr, "tibble-plan: cannot write %s\n", cl.outPath.c_str());
        return 1;
    }
    close();
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    using namespace tibble::plan;
    using Mode = CommandLine::Mode;
    CommandLine cl;
    if (const int usage = ParseCommandLine(argc, argv, cl); usage >= 0)
        return usage;
    if (cl.mode == Mode::Hold)
        return RunHold(cl);

    std::string prefixText;
    std::string scriptText;
    PrefixHeader prefix;
    std::vector<ScriptPress> presses;
    if (cl.mode == Mode::Robust || cl.mode == Mode::Polish)
    {
        if (!ReadScript(cl, cl.scriptPath, scriptText, prefix, presses))
            return 1;
    }
    else if (!ReadPrefix(cl, "", prefixText, prefix))
        return 1;
    std::vector<uint8_t> mapBytes;
    if (!ReadBytes(cl.mapPath, mapBytes))
    {
        std::fprintf(stderr, "tibble-plan: cannot read %s\n", cl.mapPath.c_str());
        return 1;
    }
    // Loading the data enters its folder: keep the paths written later as they were meant.
    for (std::string* path : {&cl.outPath, &cl.shotPath, &cl.trailPath})
        if (!path->empty())
            *path = std::filesystem::absolute(*path).string();

    std::string error;
    std::unique_ptr<SimAdapter> adapter =
        SimAdapter::Create(cl.dataDir, mapBytes, cl.levelIndex, prefix.drawsBefore, cl.seed, error);
    if (!adapter)
    {
        std::fprintf(stderr, "tibble-plan: %s\n", error.c_str());
        return 1;
    }
    switch (cl.mode)
    {
    case Mode::Shot:
        if (!adapter->WriteStartShot(cl.shotPath, error))
        {
            std::fprintf(stderr, "tibble-plan: %s\n", error.c_str());
            return 1;
        }
        return 0;
    case Mode::Robust:
        return RunRobust(cl, *adapter, presses);
    case Mode::Polish:
        return RunPolish(cl, *adapter, scriptText, prefix, presses);
    case Mode::Plan:
    case Mode::Hold:
        break;
    }
    return RunPlan(cl, *adapter, prefixText, prefix);
}
