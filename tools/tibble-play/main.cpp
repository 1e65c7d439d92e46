// tibble-play: runs the real game headless on a fake clock, as fast as the machine allows, following a script of
// timed actions (or a recorded demo), and reports every expectation that failed.
//
//   tibble-play [--data DIR] [--settings DIR] [--level N] [--seed S] [--record FILE] SCRIPT...
//   tibble-play [--data DIR] [--settings DIR] --demo FILE [SCRIPT...]
//
// Several scripts run as one (their actions merged by update). With --demo the demo's input drives the game and a
// script may only look (expect, shot, same, end). --record writes the scripted session as a demo file.
// Exit codes: 0 every expectation met, 1 some failed (one line each on stdout) or a demo stopped before its end,
// 2 bad usage or a bad script line. A demo that cannot be played is reported and ends with 0, like the game.
#include "harness/PlayApp.h"
#include "playscript/PlayScript.h"

#include "app/DataFolder.h"
#include "game/Board.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;
using tibble::play::PlayAction;

namespace
{

void Usage()
{
    std::cerr << "usage: tibble-play [--data DIR] [--settings DIR] [--level N] [--seed S] [--record FILE] SCRIPT...\n"
                 "       tibble-play [--data DIR] [--settings DIR] --demo FILE [SCRIPT...]\n";
}

std::optional<long> ParseNumber(const std::string& text, long low, long high)
{
    char* end = nullptr;
    long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < low || value > high)
        return std::nullopt;
    return value;
}

// Removes the temporary settings folder when the harness made one.
struct TempFolder
{
    fs::path path;
    ~TempFolder()
    {
        if (!path.empty())
        {
            std::error_code error;
            fs::remove_all(path, error);
        }
    }
};

std::string Absolute(const fs::path& base, const std::string& name)
{
    fs::path path(name);
    return (path.is_absolute() ? path : base / path).lexically_normal().string();
}

// What the command line asks for.
struct Options
{
    fs::path startFolder;
    std::string dataFolder;
    std::string settingsFolder;
    std::optional<long> level;
    std::optional<uint32_t> seed = 1;
    std::vector<std::string> scriptPaths;
    std::string demoPath;
    std::string recordPath;
};

bool ParseOptions(int argc, char** argv, Options& options)
{
    options.startFolder = fs::current_path();
    for (int i = 1; i < argc; i++)
    {
        std::string arg = argv[i];
        auto value = [&]() -> std::optional<std::string>
        {
            if (i + 1 >= argc)
                return std::nullopt;
            return std::string(argv[++i]);
        };
        std::optional<std::string> v;
        if (arg == "--data" && (v = value()))
            options.dataFolder = *v;
        else if (arg == "--settings" && (v = value()))
            options.settingsFolder = *v;
        else if (arg == "--level" && (v = value()) && (options.level = ParseNumber(*v, 1, tibble::Board::LevelCount)))
            ;
        else if (arg == "--seed" && (v = value()) && ParseNumber(*v, 0, 0xFFFFFFFFL))
            options.seed = static_cast<uint32_t>(*ParseNumber(*v, 0, 0xFFFFFFFFL));
        else if (arg == "--demo" && (v = value()))
            options.demoPath = Absolute(options.startFolder, *v);
        else if (arg == "--record" && (v = value()))
            options.recordPath = Absolute(options.startFolder, *v);
        else if (!arg.empty() && arg[0] != '-')
            options.scriptPaths.push_back(Absolute(options.startFolder, arg));
        else
        {
            std::cerr << "tibble-play: bad argument '" << arg << "'\n";
            Usage();
            return false;
        }
    }
    if ((options.scriptPaths.empty() && options.demoPath.empty()) ||
        (!options.demoPath.empty() && (!options.recordPath.empty() || options.level)))
    {
        Usage();
        return false;
    }
    return true;
}

// Every script's actions in one update order; with a demo, only the actions that look (the demo brings the input).
bool LoadScripts(const Options& options, tibble::play::PlayScript& script)
{
    for (const std::string& scriptPath : options.scriptPaths)
    {
        std::string error;
        std::optional<tibble::play::PlayScript> loaded = tibble::play::LoadPlayScript(scriptPath, error);
        if (!loaded)
        {
            std::cerr << scriptPath << ": " << error << "\n";
            return false;
        }
        for (PlayAction& action : loaded->actions)
        {
            bool looks = action.kind == PlayAction::Kind::Expect || action.kind == PlayAction::Kind::Shot ||
                         action.kind == PlayAction::Kind::Same || action.kind == PlayAction::Kind::End;
            if (!options.demoPath.empty() && !looks)
            {
                std::cerr << scriptPath << ": line " << action.line << ": a demo brings its own input\n";
                return false;
            }
            script.actions.push_back(std::move(action));
        }
    }
    std::stable_sort(script.actions.begin(), script.actions.end(),
                     [](const PlayAction& a, const PlayAction& b) { return a.update < b.update; });
    return true;
}

// The data folder, and a settings folder (a temporary one unless named) that every file the game keeps goes to;
// the game runs headless.
bool PrepareFolders(Options& options, TempFolder& temp)
{
    if (options.dataFolder.empty())
    {
        // Beside the harness in a build folder, or where the install put the game's data.
        const std::string self = zest::ExecutableFolder();
        options.dataFolder =
            self.empty() ? options.startFolder.string() : zest::FindDataFolder(self, TIBBLE_INSTALLED_DATA);
    }
    options.dataFolder = Absolute(options.startFolder, options.dataFolder);
    if (options.settingsFolder.empty())
    {
        std::string pattern = (fs::temp_directory_path() / "tibble-play-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
        {
            std::cerr << "tibble-play: cannot make a settings folder\n";
            return false;
        }
        temp.path = pattern;
        options.settingsFolder = pattern;
    }
    const std::string& settings = options.settingsFolder = Absolute(options.startFolder, options.settingsFolder);
    std::error_code error;
    fs::create_directories(settings, error);
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("XDG_CONFIG_HOME", settings.c_str(), 1);
    setenv("XDG_DATA_HOME", (settings + "/data").c_str(), 1);
    setenv("XDG_CACHE_HOME", (settings + "/cache").c_str(), 1);
    return true;
}

// Checks a looking action after its update and its draw; answers whether it held (one line when not). Sets ended
// for the end.
bool CheckAction(tibble::play::PlayApp& app, const PlayAction& action, const fs::path& startFolder, bool& ended)
{
    const int update = action.update;
    if (action.kind == PlayAction::Kind::Expect)
    {
        std::string got = app.Field(action.field).value_or("?");
        if (got != action.value)
        {
            std::cout << update << " expect " << action.field << ": wanted " << action.value << ", got " << got << "\n";
            return false;
        }
    }
    else if (action.kind == PlayAction::Kind::Shot)
    {
        std::string path = Absolute(startFolder, action.file);
        if (!app.Shot(path))
        {
            std::cout << update << " shot " << action.file << ": cannot write " << path << "\n";
            return false;
        }
    }
    else if (action.kind == PlayAction::Kind::Same)
    {
        std::string difference = app.CompareScreen(Absolute(startFolder, action.file));
        if (!difference.empty())
        {
            std::cout << update << " same " << action.file << ": " << difference << "\n";
            return false;
        }
    }
    else if (action.kind == PlayAction::Kind::End)
        ended = true;
    return true;
}

// Plays the script (and the demo) update by update; answers the number of failed expectations.
int Play(tibble::play::PlayApp& app, const std::vector<PlayAction>& actions, const Options& options)
{
    int failures = 0;
    size_t next = 0;
    bool alive = true;
    bool ended = false;
    const bool demo = !options.demoPath.empty();
    const int lastUpdate = actions.empty() ? 0 : actions.back().update;
    for (int update = 1; !ended && (demo ? alive && app.GetDemoPlayer() != nullptr : update <= lastUpdate); update++)
    {
        for (size_t i = next; i < actions.size() && actions[i].update == update && alive; i++)
        {
            // Plugged in at the first pad line; a system without virtual joysticks fails the script at that line.
            if (!app.SendAction(actions[i]))
                std::cerr << "line " << actions[i].line << ": no virtual gamepad here\n";
        }
        if (alive)
            alive = app.Step();
        for (; next < actions.size() && actions[next].update == update; next++)
            failures += CheckAction(app, actions[next], options.startFolder, ended) ? 0 : 1;
    }
    if (demo)
    {
        std::cout << "demo played " << app.HarnessUpdates() << " updates\n";
        for (; next < actions.size(); next++)
        {
            if (actions[next].kind != PlayAction::Kind::End)
            {
                std::cout << actions[next].update << " "
                          << "the demo ended before this update\n";
                failures++;
            }
        }
        if (!app.DemoStopReason().empty())
        {
            std::cout << "demo stopped: " << app.DemoStopReason() << "\n";
            failures++;
        }
    }
    return failures;
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    tibble::play::PlayScript script;
    if (!ParseOptions(argc, argv, options) || !LoadScripts(options, script))
        return 2;
    TempFolder temp;
    if (!PrepareFolders(options, temp))
        return 2;

    std::vector<std::string> appOptions;
    if (!options.demoPath.empty())
        appOptions = {"-play", "-demofile=" + options.demoPath};
    else if (!options.recordPath.empty())
        appOptions = {"-record", "-demofile=" + options.recordPath};
    auto app = std::make_unique<tibble::play::PlayApp>(options.dataFolder, appOptions);
    if (options.level)
    {
        std::vector<uint8_t> progress =
            tibble::Board::EncodeProgress(static_cast<int>(*options.level - 1), 0, tibble::Board::StartLives);
        if (!tibble::WriteGameData(*app, tibble::Board::ProgressValueName, progress))
        {
            std::cerr << "tibble-play: cannot store the progress in " << options.settingsFolder << "\n";
            return 2;
        }
    }
    if (!app->Start(options.demoPath.empty() ? options.seed : std::nullopt))
    {
        std::cerr << "tibble-play: the game ended during start-up\n";
        return 0;
    }
    const int failures = Play(*app, script.actions, options);
    if (!app->shutdown)
        app->Shutdown();
    app.reset();
    return failures > 0 ? 1 : 0;
}
