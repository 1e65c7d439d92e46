// tibble-sim: runs one level headless with the game's data and a mouse script, and prints the bee's
// trace, one line per update, with the level's events between them.
#include "sim/SimData.h"
#include "sim/SimRun.h"
#include "sim/SimScript.h"

#include "app/DataFolder.h"
#include "garden/LevelMap.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace
{

using tibble::sim::SimData;
using tibble::sim::SimRun;
using tibble::sim::SimScript;
using tibble::sim::StepResult;

constexpr int ExitOk = 0;
constexpr int ExitFailed = 1;
constexpr int ExitUsage = 2;
// A script without "end" stops here at the latest (an hour of play).
constexpr int MaxUpdatesWithoutEnd = 360000;

const char* const Usage = "usage: tibble-sim [--data DIR] [--level-index N] [--seed S] [--shot U FILE.png]... "
                          "LEVELFILE SCRIPT\n";

const char* const Help =
    "Runs LEVELFILE headless with the game's data (DIR, default: this program's folder) for level index N\n"
    "(default 0) and the shared random generator seeded with S (default 1). Each update: the script's mouse\n"
    "actions, one level update, one draw; then one line \"U X Y VX VY STATE NECTAR BARSHOWN CAMX CAMY\" and\n"
    "the update's events (\"# lifelost U\", \"# hive U\", \"# transport U\", \"# completed U\", \"# gameover U\").\n"
    "SCRIPT lines: \"U down X Y\", \"U up X Y\", \"U move X Y\", \"U end\"; '#' starts a comment; \"-\" reads\n"
    "standard input; without an end the run stops after 360000 updates. --shot writes the screen after\n"
    "update U's draw as a PNG.\n"
    "Exit: 0 after the end or a completed / game-over update; 1 for a bad level file, script or data;\n"
    "2 for a wrong command line.\n";

struct Arguments
{
    std::string dataFolder;
    int levelIndex = 0;
    uint32_t seed = 1;
    std::multimap<int, std::string> shots;
    std::string levelFile;
    std::string scriptFile;
    bool help = false;
};

template <class T> std::optional<T> Number(const char* text, T low, T high)
{
    T value{};
    const char* end = text + std::strlen(text);
    auto [ptr, ec] = std::from_chars(text, end, value);
    if (ec != std::errc() || ptr != end || ptr == text || value < low || value > high)
        return std::nullopt;
    return value;
}

std::string ProgramFolder(const char* argv0)
{
    std::error_code error;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        exe = std::filesystem::absolute(argv0, error);
    return exe.parent_path().string();
}

// False (message printed) on a usage error.
bool ReadArguments(int argc, char** argv, Arguments& args)
{
    std::vector<std::string> positional;
    for (int i = 1; i < argc; i++)
    {
        const std::string arg = argv[i];
        auto value = [&](int count) -> bool
        {
            if (i + count >= argc)
            {
                std::fprintf(stderr, "tibble-sim: %s needs %s\n", arg.c_str(), count == 1 ? "a value" : "two values");
                return false;
            }
            return true;
        };
        if (arg == "--help" || arg == "-h")
        {
            args.help = true;
            return true;
        }
        if (arg == "--data")
        {
            if (!value(1))
                return false;
            args.dataFolder = argv[++i];
        }
        else if (arg == "--level-index")
        {
            if (!value(1))
                return false;
            std::optional<int> n = Number<int>(argv[++i], 0, tibble::LevelCount - 1);
            if (!n)
            {
                std::fprintf(stderr, "tibble-sim: --level-index wants 0..%d, not \"%s\"\n", tibble::LevelCount - 1,
                             argv[i]);
                return false;
            }
            args.levelIndex = *n;
        }
        else if (arg == "--seed")
        {
            if (!value(1))
                return false;
            std::optional<uint32_t> s = Number<uint32_t>(argv[++i], 0, UINT32_MAX);
            if (!s)
            {
                std::fprintf(stderr, "tibble-sim: --seed wants 0..%u, not \"%s\"\n", UINT32_MAX, argv[i]);
                return false;
            }
            args.seed = *s;
        }
        else if (arg == "--shot")
        {
            if (!value(2))
                return false;
            std::optional<int> u = Number<int>(argv[++i], 1, 1000000000);
            if (!u)
            {
                std::fprintf(stderr, "tibble-sim: --shot wants an update number (1 or more), not \"%s\"\n", argv[i]);
                return false;
            }
            args.shots.emplace(*u, argv[++i]);
        }
        else if (arg == "-" || arg.empty() || arg[0] != '-')
        {
            positional.push_back(arg);
        }
        else if (arg == "--")
        {
            for (i++; i < argc; i++)
                positional.push_back(argv[i]);
        }
        else
        {
            std::fprintf(stderr, "tibble-sim: unknown option %s\n", arg.c_str());
            return false;
        }
    }
    if (positional.size() != 2)
    {
        std::fprintf(stderr, "tibble-sim: a level file and a script are needed\n");
        return false;
    }
    args.levelFile = positional[0];
    args.scriptFile = positional[1];
    return true;
}

std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& path)
{
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        return std::nullopt;
    return bytes;
}

// A .lvl name, or text where a map's binary header would be: a map file opens with its width and height as 16-bit
// numbers, whose high bytes are control characters for any playable size.
bool LooksLikeLevelSource(const std::string& path, const std::vector<uint8_t>& bytes)
{
    if (std::filesystem::path(path).extension() == ".lvl")
        return true;
    if (bytes.size() < 4)
        return false;
    const size_t probe = std::min<size_t>(bytes.size(), 256);
    for (size_t i = 0; i < probe; i++)
    {
        const uint8_t c = bytes[i];
        if (!(c == '\n' || c == '\r' || c == '\t' || (c >= 0x20 && c < 0x7f)))
            return false;
    }
    return true;
}

// The map file's bytes once they read as a level; false after saying why not.
bool ReadLevelFile(const std::string& path, std::vector<uint8_t>& mapBytes)
{
    if (std::optional<std::vector<uint8_t>> bytes = ReadWholeFile(path))
        mapBytes = std::move(*bytes);
    else
    {
        std::fprintf(stderr, "tibble-sim: %s: cannot be read\n", path.c_str());
        return false;
    }
    if (std::optional<std::string> reason = tibble::ValidateLevelFile(mapBytes))
    {
        // A level source read as a map gives a nonsense size; say what the file is instead.
        if (LooksLikeLevelSource(path, mapBytes))
            std::fprintf(stderr,
                         "tibble-sim: %s: a level source, not a compiled map; compile it first "
                         "(levelc compile %s OUT.pmp)\n",
                         path.c_str(), path.c_str());
        else
            std::fprintf(stderr, "tibble-sim: %s: %s\n", path.c_str(), reason->c_str());
        return false;
    }
    return true;
}

int Run(const Arguments& args, const char* argv0)
{
    // Paths on the command line are the caller's; the data folder becomes the working directory later.
    std::vector<uint8_t> mapBytes;
    if (!ReadLevelFile(args.levelFile, mapBytes))
        return ExitFailed;

    SimScript script;
    std::string error;
    if (args.scriptFile == "-")
    {
        if (!script.Parse(std::cin, &error))
        {
            std::fprintf(stderr, "tibble-sim: standard input: %s\n", error.c_str());
            return ExitFailed;
        }
    }
    else
    {
        std::ifstream in(args.scriptFile);
        std::error_code code;
        if (!in || std::filesystem::is_directory(args.scriptFile, code))
        {
            std::fprintf(stderr, "tibble-sim: %s: cannot be read\n", args.scriptFile.c_str());
            return ExitFailed;
        }
        if (!script.Parse(in, &error))
        {
            std::fprintf(stderr, "tibble-sim: %s: %s\n", args.scriptFile.c_str(), error.c_str());
            return ExitFailed;
        }
    }

    std::vector<std::pair<int, std::string>> shots;
    for (const auto& [update, file] : args.shots)
        shots.emplace_back(update, std::filesystem::absolute(file).string());

    SimData data;
    // Beside the simulator in a build folder, or where the install put the game's data.
    const std::string folder =
        args.dataFolder.empty() ? zest::FindDataFolder(ProgramFolder(argv0), TIBBLE_INSTALLED_DATA) : args.dataFolder;
    if (!data.Load(folder, &error))
    {
        std::fprintf(stderr, "tibble-sim: data in %s: %s\n", folder.c_str(), error.c_str());
        return ExitFailed;
    }

    SimRun::Options options;
    options.levelIndex = args.levelIndex;
    options.seed = args.seed;
    // Only the draws that are shot need pixels: each draw paints the whole screen anew.
    options.drawMode = SimRun::DrawMode::NoPixels;
    std::unique_ptr<SimRun> run = SimRun::Create(mapBytes, options, &error);
    if (!run)
    {
        std::fprintf(stderr, "tibble-sim: %s: %s\n", args.levelFile.c_str(), error.c_str());
        return ExitFailed;
    }

    tibble::sim::SimHost& host = run->GetHost();
    const int lastUpdate = script.EndUpdate().value_or(MaxUpdatesWithoutEnd);
    size_t nextShot = 0;
    int status = ExitOk;
    bool finished = false;
    int update = 0;
    while (!finished && update < lastUpdate)
    {
        update++;
        script.ForUpdate(update, [&host](const SimScript::Action& action) { SimScript::Apply(action, host); });
        const bool shot = nextShot < shots.size() && shots[nextShot].first == update;
        run->SetDrawMode(shot ? SimRun::DrawMode::Pixels : SimRun::DrawMode::NoPixels);
        StepResult result = run->Step();
        std::printf("%s\n%s", run->Trace().Format().c_str(), result.EventLines(update).c_str());
        for (; nextShot < shots.size() && shots[nextShot].first == update; nextShot++)
        {
            if (!run->WriteScreen(shots[nextShot].second))
            {
                std::fprintf(stderr, "tibble-sim: %s: cannot be written\n", shots[nextShot].second.c_str());
                status = ExitFailed;
            }
        }
        finished = result.completed || result.gameOver;
    }
    if (!finished && !script.EndUpdate())
        std::fprintf(stderr, "tibble-sim: the script has no end; stopped after update %d\n", update);
    for (; nextShot < shots.size(); nextShot++)
    {
        std::fprintf(stderr, "tibble-sim: no shot %s: the run ended at update %d\n", shots[nextShot].second.c_str(),
                     update);
        status = ExitFailed;
    }
    if (std::fflush(stdout) != 0)
    {
        std::fprintf(stderr, "tibble-sim: the trace cannot be written\n");
        status = ExitFailed;
    }
    return status;
}

} // namespace

int main(int argc, char** argv)
{
    Arguments args;
    if (!ReadArguments(argc, argv, args))
    {
        std::fputs(Usage, stderr);
        return ExitUsage;
    }
    if (args.help)
    {
        std::fputs(Usage, stdout);
        std::fputs(Help, stdout);
        return ExitOk;
    }
    static char outputBuffer[1 << 16];
    std::setvbuf(stdout, outputBuffer, _IOFBF, sizeof(outputBuffer));
    return Run(args, argc > 0 ? argv[0] : "tibble-sim");
}
