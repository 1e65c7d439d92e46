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
#include "PlayApp.h"
#include "PlayScript.h"

#include "app/DataFolder.h"
#include "game/Board.h"
#include "platform/WindowMessage.h"

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

} // namespace

int main(int argc, char** argv)
{
    fs::path startFolder = fs::current_path();
    std::string dataFolder;
    std::string settingsFolder;
    std::optional<long> level;
    std::optional<uint32_t> seed = 1;
    std::vector<std::string> scriptPaths;
    std::string demoPath;
    std::string recordPath;
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
            dataFolder = *v;
        else if (arg == "--settings" && (v = value()))
            settingsFolder = *v;
        else if (arg == "--level" && (v = value()) && (level = ParseNumber(*v, 1, tibble::Board::LevelCount)))
            ;
        else if (arg == "--seed" && (v = value()) && ParseNumber(*v, 0, 0xFFFFFFFFL))
            seed = static_cast<uint32_t>(*ParseNumber(*v, 0, 0xFFFFFFFFL));
        else if (arg == "--demo" && (v = value()))
            demoPath = Absolute(startFolder, *v);
        else if (arg == "--record" && (v = value()))
            recordPath = Absolute(startFolder, *v);
        else if (!arg.empty() && arg[0] != '-')
            scriptPaths.push_back(Absolute(startFolder, arg));
        else
        {
            std::cerr << "tibble-play: bad argument '" << arg << "'\n";
            Usage();
            return 2;
        }
    }
    if ((scriptPaths.empty() && demoPath.empty()) || (!demoPath.empty() && (!recordPath.empty() || level)))
    {
        Usage();
        return 2;
    }

    tibble::play::PlayScript script;
    for (const std::string& scriptPath : scriptPaths)
    {
        std::string error;
        std::optional<tibble::play::PlayScript> loaded = tibble::play::LoadPlayScript(scriptPath, error);
        if (!loaded)
        {
            std::cerr << scriptPath << ": " << error << "\n";
            return 2;
        }
        for (PlayAction& action : loaded->actions)
        {
            bool looks = action.kind == PlayAction::Kind::Expect || action.kind == PlayAction::Kind::Shot ||
                         action.kind == PlayAction::Kind::Same || action.kind == PlayAction::Kind::End;
            if (!demoPath.empty() && !looks)
            {
                std::cerr << scriptPath << ": line " << action.line << ": a demo brings its own input\n";
                return 2;
            }
            script.actions.push_back(std::move(action));
        }
    }
    std::stable_sort(script.actions.begin(), script.actions.end(),
                     [](const PlayAction& a, const PlayAction& b) { return a.update < b.update; });

    if (dataFolder.empty())
    {
        // Beside the harness in a build folder, or where the install put the game's data.
        const std::string self = zest::ExecutableFolder();
        dataFolder = self.empty() ? startFolder.string() : zest::FindDataFolder(self, TIBBLE_INSTALLED_DATA);
    }
    dataFolder = Absolute(startFolder, dataFolder);

    TempFolder temp;
    if (settingsFolder.empty())
    {
        std::string pattern = (fs::temp_directory_path() / "tibble-play-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
        {
            std::cerr << "tibble-play: cannot make a settings folder\n";
            return 2;
        }
        temp.path = pattern;
        settingsFolder = pattern;
    }
    settingsFolder = Absolute(startFolder, settingsFolder);
    std::error_code error;
    fs::create_directories(settingsFolder, error);
    // Headless, and every file the game keeps goes into the settings folder.
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("XDG_CONFIG_HOME", settingsFolder.c_str(), 1);
    setenv("XDG_DATA_HOME", (settingsFolder + "/data").c_str(), 1);
    setenv("XDG_CACHE_HOME", (settingsFolder + "/cache").c_str(), 1);

    std::vector<std::string> options;
    if (!demoPath.empty())
        options = {"-play", "-demofile=" + demoPath};
    else if (!recordPath.empty())
        options = {"-record", "-demofile=" + recordPath};

    auto app = std::make_unique<tibble::play::PlayApp>(dataFolder, options);
    if (level)
    {
        std::vector<uint8_t> progress =
            tibble::Board::EncodeProgress(static_cast<int>(*level - 1), 0, tibble::Board::StartLives);
        if (!tibble::WriteGameData(*app, tibble::Board::ProgressValueName, progress))
        {
            std::cerr << "tibble-play: cannot store the progress in " << settingsFolder << "\n";
            return 2;
        }
    }
    if (!app->Start(demoPath.empty() ? seed : std::nullopt))
    {
        std::cerr << "tibble-play: the game ended during start-up\n";
        return 0;
    }

    int failures = 0;
    const std::vector<PlayAction>& actions = script.actions;
    size_t next = 0;
    bool alive = true;
    bool ended = false;
    bool demo = !demoPath.empty();
    int lastUpdate = actions.empty() ? 0 : actions.back().update;
    for (int update = 1; !ended && (demo ? alive && app->GetDemoPlayer() != nullptr : update <= lastUpdate); update++)
    {
        for (size_t i = next; i < actions.size() && actions[i].update == update && alive; i++)
        {
            const PlayAction& action = actions[i];
            switch (action.kind)
            {
            case PlayAction::Kind::Click:
                app->SendMouse(zest::WM_MOUSEMOVE, action.x, action.y);
                app->SendMouse(zest::WM_LBUTTONDOWN, action.x, action.y);
                app->SendMouse(zest::WM_LBUTTONUP, action.x, action.y);
                break;
            case PlayAction::Kind::Down:
                app->SendMouse(zest::WM_MOUSEMOVE, action.x, action.y);
                app->SendMouse(zest::WM_LBUTTONDOWN, action.x, action.y);
                break;
            case PlayAction::Kind::Up:
                app->SendMouse(zest::WM_MOUSEMOVE, action.x, action.y);
                app->SendMouse(zest::WM_LBUTTONUP, action.x, action.y);
                break;
            case PlayAction::Kind::Move:
                app->SendMouse(zest::WM_MOUSEMOVE, action.x, action.y);
                break;
            case PlayAction::Kind::Key:
                app->SendKey(action.key);
                break;
            case PlayAction::Kind::KeyDown:
            case PlayAction::Kind::KeyUp:
                app->SendKey(action.key, action.kind == PlayAction::Kind::KeyDown);
                break;
            case PlayAction::Kind::PadButton:
            case PlayAction::Kind::PadAxis:
                if (!app->SetPad(action.kind == PlayAction::Kind::PadAxis, action.padCode, action.padValue))
                {
                    std::cerr << "line " << action.line << ": no virtual gamepad here\n";
                    failures++;
                }
                break;
            default:
                break;
            }
        }
        if (alive)
            alive = app->Step();
        for (; next < actions.size() && actions[next].update == update; next++)
        {
            const PlayAction& action = actions[next];
            if (action.kind == PlayAction::Kind::Expect)
            {
                std::string got = app->Field(action.field).value_or("?");
                if (got != action.value)
                {
                    std::cout << update << " expect " << action.field << ": wanted " << action.value << ", got " << got
                              << "\n";
                    failures++;
                }
            }
            else if (action.kind == PlayAction::Kind::Shot)
            {
                std::string path = Absolute(startFolder, action.file);
                if (!app->Shot(path))
                {
                    std::cout << update << " shot " << action.file << ": cannot write " << path << "\n";
                    failures++;
                }
            }
            else if (action.kind == PlayAction::Kind::Same)
            {
                std::string difference = app->CompareScreen(Absolute(startFolder, action.file));
                if (!difference.empty())
                {
                    std::cout << update << " same " << action.file << ": " << difference << "\n";
                    failures++;
                }
            }
            else if (action.kind == PlayAction::Kind::End)
            {
                ended = true;
            }
        }
    }
    if (demo)
    {
        std::cout << "demo played " << app->HarnessUpdates() << " updates\n";
        for (; next < actions.size(); next++)
        {
            if (actions[next].kind != PlayAction::Kind::End)
            {
                std::cout << actions[next].update << " "
                          << "the demo ended before this update\n";
                failures++;
            }
        }
        if (!app->DemoStopReason().empty())
        {
            std::cout << "demo stopped: " << app->DemoStopReason() << "\n";
            failures++;
        }
    }
    if (!app->shutdown)
        app->Shutdown();
    app.reset();
    return failures > 0 ? 1 : 0;
}
