// tibble-soak: plays the solutions of the thirteen levels back to back, round after round, in one process, and
// samples the process's resident memory, open file descriptors and threads after every round.
//
//   tibble-soak [--data DIR] [--levels DIR] [--rounds N] [--csv FILE]
//
// A round plays the game as a person who knows the way would: round 1 starts at the title, each level's solution
// (content/levels/N.play, written for a run that starts at that level) is shifted to the update where the level
// before it completed, and after the last level the CONGRATULATIONS dialog is closed and PLAY on the menu starts
// the next round at level 1 (finishing the game resets the progress). Exit code 0 when every level of every round
// was completed and, from the end of round 1 to the end of the last round, resident memory grew by at most 1 % and
// descriptors and threads not at all; 1 otherwise; 2 for bad usage.
#include "harness/PlayApp.h"
#include "playscript/PlayScript.h"

#include "app/DataFolder.h"
#include "game/Board.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using tibble::play::PlayAction;

namespace
{

// Where the title's continue and the menu's PLAY are clicked, and the menu's PLAY as the solutions' prefix clicks
// it: update 5, with the level's first update FadeUpdates later.
constexpr int PlayX = 96;
constexpr int PlayY = 285;
constexpr int PrefixPlayUpdate = 5;
// The CLOSE button of the CONGRATULATIONS dialog.
constexpr int CloseX = 320;
constexpr int CloseY = 405;
// A level not completed this many updates after its solution's last action has gone wrong.
constexpr int CompletionSlack = 5000;
// Updates given to the dialog's closing and the menu's fade-in before PLAY is clicked.
constexpr int MenuSettleUpdates = 60;
constexpr double AllowedMemoryGrowth = 0.01;

struct Options
{
    std::string dataFolder;
    std::string levelsFolder = TIBBLE_SOLUTIONS;
    int rounds = 10;
    std::string csvPath;
};

// One level's way through: its input actions from the level's first update on, and that update's number in the
// solution's own run.
struct Solution
{
    int firstLevelUpdate = 0;
    int lastUpdate = 0;
    std::vector<PlayAction> inputs;
    std::vector<PlayAction> prefix; // the clicks from the title into the level
};

struct Sample
{
    int round = 0;
    long updates = 0;
    double seconds = 0.0;
    long residentKb = 0;
    int descriptors = 0;
    int threads = 0;
};

void Usage()
{
    std::cerr << "usage: tibble-soak [--data DIR] [--levels DIR] [--rounds N] [--csv FILE]\n";
}

std::optional<Options> ParseOptions(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; i++)
    {
        std::string arg = argv[i];
        if (i + 1 >= argc)
            return std::nullopt;
        std::string value = argv[++i];
        if (arg == "--data")
            options.dataFolder = value;
        else if (arg == "--levels")
            options.levelsFolder = value;
        else if (arg == "--csv")
            options.csvPath = value;
        else if (arg == "--rounds")
        {
            char* end = nullptr;
            long rounds = std::strtol(value.c_str(), &end, 10);
            if (value.empty() || *end != '\0' || rounds < 1 || rounds > 1000)
                return std::nullopt;
            options.rounds = static_cast<int>(rounds);
        }
        else
            return std::nullopt;
    }
    return options;
}

// Map N holds play N up to 2 and play N - 1 from 4 on (map 3 is not in the game).
std::string SolutionPath(const std::string& folder, int playNumber)
{
    int map = playNumber <= 2 ? playNumber : playNumber + 1;
    return folder + "/" + std::to_string(map) + ".play";
}

bool IsInput(const PlayAction& action)
{
    return action.kind == PlayAction::Kind::Click || action.kind == PlayAction::Kind::Down ||
           action.kind == PlayAction::Kind::Up || action.kind == PlayAction::Kind::Move ||
           action.kind == PlayAction::Kind::Key;
}

std::optional<Solution> LoadSolution(const std::string& path, std::string& error)
{
    std::ifstream in(path);
    std::string header;
    std::getline(in, header);
    std::optional<tibble::play::PrefixHeader> prefix = tibble::play::ParsePrefixHeader(header);
    if (!prefix)
    {
        error = "the first line must be '# first-level-update K draws-before D'";
        return std::nullopt;
    }
    Solution solution;
    solution.firstLevelUpdate = prefix->firstLevelUpdate;
    std::optional<tibble::play::PlayScript> script = tibble::play::LoadPlayScript(path, error);
    if (!script)
        return std::nullopt;
    for (const PlayAction& action : script->actions)
    {
        solution.lastUpdate = std::max(solution.lastUpdate, action.update);
        if (!IsInput(action))
            continue;
        (action.update < solution.firstLevelUpdate ? solution.prefix : solution.inputs).push_back(action);
    }
    return solution;
}

long StatusField(const std::string& name)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
    {
        if (line.compare(0, name.size(), name) == 0)
            return std::strtol(line.c_str() + name.size(), nullptr, 10);
    }
    return -1;
}

int CountDescriptors()
{
    std::error_code error;
    int count = 0;
    for (fs::directory_iterator it("/proc/self/fd", error), end; !error && it != end; it.increment(error))
        count++;
    // The listing's own descriptor is among them.
    return count - 1;
}

Sample TakeSample(int round, long updates, double seconds)
{
    Sample sample;
    sample.round = round;
    sample.updates = updates;
    sample.seconds = seconds;
    sample.residentKb = StatusField("VmRSS:");
    sample.threads = static_cast<int>(StatusField("Threads:"));
    sample.descriptors = CountDescriptors();
    return sample;
}

// The game, stepped one harness update at a time, with input actions waiting for their update.
class Soak
{
public:
    explicit Soak(tibble::play::PlayApp& game) : app(game) {}

    long Updates() const { return update; }

    // Hands the actions to the game before update (their update + offset).
    void Schedule(const std::vector<PlayAction>& actions, int offset)
    {
        for (const PlayAction& action : actions)
            pending.emplace(action.update + offset, action);
    }

    void Click(int atUpdate, int x, int y)
    {
        PlayAction click;
        click.kind = PlayAction::Kind::Click;
        click.update = atUpdate;
        click.x = x;
        click.y = y;
        pending.emplace(atUpdate, click);
    }

    // One update and its draw; false once the game has ended.
    bool Step()
    {
        update++;
        for (auto it = pending.begin(); it != pending.end() && it->first <= update; it = pending.erase(it))
        {
            if (!app.SendAction(it->second))
                std::cerr << "line " << it->second.line << ": no virtual gamepad here\n";
        }
        return app.Step();
    }

    // Steps until the field reads the value; false when the game ends first or after limit updates.
    bool StepUntil(const std::string& field, const std::string& value, long limit)
    {
        while (update < limit)
        {
            if (!Step())
                return false;
            if (app.Field(field) == value)
                return true;
        }
        return false;
    }

    std::string Field(const std::string& name) { return app.Field(name).value_or("?"); }

private:
    tibble::play::PlayApp& app;
    long update = 0;
    std::multimap<long, PlayAction> pending;
};

// Plays levels 1 to 13 once. The round begins with the first level's prefix (round 1, at the title) or with a
// click on the menu's PLAY; false (with the reason on stderr) when a level was not completed.
bool PlayRound(Soak& soak, const std::vector<Solution>& solutions, int round)
{
    const Solution& first = solutions[0];
    int offset = 0;
    if (round == 1)
        soak.Schedule(first.prefix, 0);
    else
    {
        long play = soak.Updates() + MenuSettleUpdates;
        offset = static_cast<int>(play - PrefixPlayUpdate);
        soak.Click(static_cast<int>(play), PlayX, PlayY);
    }
    for (size_t index = 0; index < solutions.size(); index++)
    {
        const Solution& solution = solutions[index];
        const int playNumber = static_cast<int>(index) + 1;
        if (index > 0)
        {
            // The level before completed in this update and built this one; its first update is the next one.
            offset = static_cast<int>(soak.Updates() + 1 - solution.firstLevelUpdate);
        }
        soak.Schedule(solution.inputs, offset);
        const long start = offset + solution.firstLevelUpdate;
        while (soak.Updates() < start)
            soak.Step();
        if (soak.Field("level") != std::to_string(playNumber) || soak.Field("levelupdates") != "1")
        {
            std::cerr << "round " << round << ": level " << playNumber << " did not start at update " << start
                      << "\n";
            return false;
        }
        const long limit = offset + solution.lastUpdate + CompletionSlack;
        bool completed = playNumber < tibble::Board::LevelCount
                             ? soak.StepUntil("level", std::to_string(playNumber + 1), limit)
                             : soak.StepUntil("screen", "dialog:CONGRATULATIONS", limit);
        if (!completed)
        {
            std::cerr << "round " << round << ": level " << playNumber << " was not completed by update " << limit
                      << " (screen " << soak.Field("screen") << ", lives " << soak.Field("lives") << ")\n";
            return false;
        }
    }
    return true;
}

// Closes the CONGRATULATIONS dialog and lets the menu settle; false when the menu does not come.
bool BackToMenu(Soak& soak)
{
    soak.Click(static_cast<int>(soak.Updates() + 1), CloseX, CloseY);
    long settled = soak.Updates() + MenuSettleUpdates;
    if (!soak.StepUntil("screen", "menu", settled))
        return false;
    return true;
}

void Report(const Sample& sample, std::ostream& out)
{
    out << "round " << sample.round << ": " << sample.updates << " updates, " << sample.seconds << " s, resident "
        << sample.residentKb << " kB, " << sample.descriptors << " descriptors, " << sample.threads << " threads" << std::endl;
}

void WriteCsv(const std::string& path, const std::vector<Sample>& samples)
{
    std::ofstream csv(path);
    csv << "round,updates,seconds,resident_kb,descriptors,threads\n";
    for (const Sample& s : samples)
        csv << s.round << "," << s.updates << "," << s.seconds << "," << s.residentKb << "," << s.descriptors << ","
            << s.threads << "\n";
    if (!csv.flush())
        std::cerr << "tibble-soak: cannot write " << path << "\n";
}

// The verdict over the samples after round 1 (round 0 is the game after loading, before any play).
bool WithinBounds(const std::vector<Sample>& samples)
{
    if (samples.size() < 3)
        return true;
    const Sample& base = samples[1];
    const Sample& last = samples.back();
    const double growth = double(last.residentKb - base.residentKb) / double(base.residentKb);
    std::cout << "after round 1: resident " << (growth * 100.0) << " % (limit " << AllowedMemoryGrowth * 100.0
              << " %), descriptors " << (last.descriptors - base.descriptors) << ", threads "
              << (last.threads - base.threads) << "\n";
    return growth <= AllowedMemoryGrowth && last.descriptors <= base.descriptors && last.threads <= base.threads;
}

void SetUpEnvironment(const std::string& settingsFolder)
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("XDG_CONFIG_HOME", settingsFolder.c_str(), 1);
    setenv("XDG_DATA_HOME", (settingsFolder + "/data").c_str(), 1);
    setenv("XDG_CACHE_HOME", (settingsFolder + "/cache").c_str(), 1);
}

int Run(const Options& options, const std::vector<Solution>& solutions)
{
    std::string pattern = (fs::temp_directory_path() / "tibble-soak-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
    {
        std::cerr << "tibble-soak: cannot make a settings folder\n";
        return 2;
    }
    SetUpEnvironment(pattern);
    std::string dataFolder = options.dataFolder;
    // Beside the program in the build folder, as the other tools find it.
    if (dataFolder.empty())
        dataFolder = zest::ExecutableFolder();
    dataFolder = fs::absolute(dataFolder).lexically_normal().string();

    bool ok = true;
    std::vector<Sample> samples;
    {
        auto app = std::make_unique<tibble::play::PlayApp>(dataFolder, std::vector<std::string>());
        if (!app->Start(1u))
        {
            std::cerr << "tibble-soak: the game ended during start-up (data in " << dataFolder << ")\n";
            ok = false;
        }
        Soak soak(*app);
        const auto began = std::chrono::steady_clock::now();
        auto seconds = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count(); };
        if (ok)
        {
            samples.push_back(TakeSample(0, 0, 0.0));
            Report(samples.back(), std::cout);
        }
        for (int round = 1; ok && round <= options.rounds; round++)
        {
            ok = PlayRound(soak, solutions, round) && BackToMenu(soak);
            if (!ok)
                break;
            samples.push_back(TakeSample(round, soak.Updates(), seconds()));
            Report(samples.back(), std::cout);
        }
        if (!app->shutdown)
            app->Shutdown();
    }
    std::error_code error;
    fs::remove_all(pattern, error);
    if (!options.csvPath.empty())
        WriteCsv(options.csvPath, samples);
    return ok && WithinBounds(samples) ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    std::optional<Options> options = ParseOptions(argc, argv);
    if (!options)
    {
        Usage();
        return 2;
    }
    std::vector<Solution> solutions;
    for (int playNumber = 1; playNumber <= tibble::Board::LevelCount; playNumber++)
    {
        std::string path = SolutionPath(options->levelsFolder, playNumber);
        std::string error;
        std::optional<Solution> solution = LoadSolution(path, error);
        if (!solution)
        {
            std::cerr << path << ": " << error << "\n";
            return 2;
        }
        solutions.push_back(std::move(*solution));
    }
    return Run(*options, solutions);
}
