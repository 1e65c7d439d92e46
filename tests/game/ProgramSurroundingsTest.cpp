// The built game started in surroundings a player's machine may have: no display, no sound, no game data, a
// settings folder that cannot be written, a demo that cannot be recorded. Each ends with a clear message and a
// sensible way on (plays on, or ends with the documented exit code), never a crash and never a hang.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace
{

namespace fs = std::filesystem;

struct ProgramRun
{
    int exitCode = -1;
    bool hung = false;
    std::string errors;
};

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

size_t CountOf(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        count++;
    return count;
}

// Runs the built game in folder with the environment changed as given (an empty value unsets the variable). When
// ready is given, the game is asked to close (SIGTERM, as the desktop does) once its error output shows it; a game
// still running after a minute has hung and is killed.
ProgramRun RunGame(const fs::path& folder, const std::map<std::string, std::string>& environment,
                   const std::vector<std::string>& arguments, const std::optional<std::string>& ready)
{
    ProgramRun run;
    const std::string program = std::string(std::getenv("ZEST_BIN_DIR")) + "/tibble";
    const fs::path errorsPath = folder / "errors.txt";
    // Not the last run's output: it would look ready at once.
    fs::remove(errorsPath);
    pid_t child = ::fork();
    if (child == 0)
    {
        if (::chdir(folder.c_str()) != 0 || !std::freopen(errorsPath.c_str(), "w", stderr))
            ::_exit(120);
        for (const auto& [name, value] : environment)
        {
            if (value.empty())
                ::unsetenv(name.c_str());
            else
                ::setenv(name.c_str(), value.c_str(), 1);
        }
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(121);
    }
    const auto start = std::chrono::steady_clock::now();
    bool asked = false;
    int status = 0;
    while (::waitpid(child, &status, WNOHANG) == 0)
    {
        const auto waited = std::chrono::steady_clock::now() - start;
        if (waited > std::chrono::seconds(60))
        {
            run.hung = true;
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            break;
        }
        if (ready && !asked && ReadFile(errorsPath).find(*ready) != std::string::npos)
        {
            ::kill(child, SIGTERM);
            asked = true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.errors = ReadFile(errorsPath);
    return run;
}

class ProgramSurroundingsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const char* bin = std::getenv("ZEST_BIN_DIR");
        if (!bin || !fs::exists(fs::path(bin) / "tibble") || !fs::exists(fs::path(bin) / "main.pak"))
            GTEST_SKIP() << "needs the built game and its data in ZEST_BIN_DIR";
        folder = fs::temp_directory_path() / ("tibble-surroundings-ü-" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder / "home");
        std::ofstream(folder / "a-file") << "a file where a folder should be\n";
    }
    void TearDown() override
    {
        std::error_code error;
        fs::remove_all(folder, error);
    }

    // Headless, with every file the game keeps inside the test's folder.
    std::map<std::string, std::string> Environment() const
    {
        const std::string home = (folder / "home").string();
        return {{"SDL_VIDEODRIVER", "dummy"},        {"SDL_AUDIODRIVER", "dummy"},
                {"XDG_CONFIG_HOME", home + "/config"}, {"XDG_DATA_HOME", home + "/data"},
                {"XDG_CACHE_HOME", home + "/cache"},   {"XDG_RUNTIME_DIR", home},
                // Informational lines on: the runs wait for the loading line to know the game is up.
                {"ZEST_LOG", "info"}};
    }

    fs::path folder;
};

// The game has started and runs once this line is out: the resources are loaded.
const std::string Loaded = "Resource Loading Time";

TEST_F(ProgramSurroundingsTest, WithoutADisplayTheGameSaysSoAndEndsWithCodeOne)
{
    struct Case
    {
        const char* x11;
        const char* message;
    };
    const Case cases[] = {
        {"", "no display to show the window on (neither DISPLAY nor WAYLAND_DISPLAY is set)"},
        // A display named but not there (no X server answers on :97).
        {":97", "no display could be opened (DISPLAY=:97)"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.message);
        if (*c.x11 && fs::exists("/tmp/.X11-unix/X97"))
        {
            std::cout << "an X server listens on :97 here\n";
            continue;
        }
        std::map<std::string, std::string> environment = Environment();
        environment["SDL_VIDEODRIVER"] = "";
        environment["WAYLAND_DISPLAY"] = "";
        environment["DISPLAY"] = c.x11;
        ProgramRun run = RunGame(folder, environment, {}, std::nullopt);
        EXPECT_FALSE(run.hung);
        EXPECT_EQ(run.exitCode, 1) << run.errors;
        // The message box has no display either: it goes to stderr.
        EXPECT_NE(run.errors.find("FATAL ERROR: Failed to initialize DirectDraw: video " + std::string(c.message)),
                  std::string::npos)
            << run.errors;
    }
}

TEST_F(ProgramSurroundingsTest, WithoutSoundTheGamePlaysSilentlyAndSaysSoOnce)
{
    struct Case
    {
        const char* driver;
        const char* message;
    };
    const Case cases[] = {
        {"no-such-driver", "No audio driver (Audio target 'no-such-driver' not available); sound plays silently"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.driver);
        std::map<std::string, std::string> environment = Environment();
        environment["SDL_AUDIODRIVER"] = c.driver;
        ProgramRun run = RunGame(folder, environment, {}, Loaded);
        EXPECT_FALSE(run.hung);
        EXPECT_EQ(run.exitCode, 0) << run.errors;
        EXPECT_EQ(CountOf(run.errors, "sound plays silently"), 1u) << run.errors;
        EXPECT_NE(run.errors.find(c.message), std::string::npos) << run.errors;
    }
}

TEST_F(ProgramSurroundingsTest, AFolderWithoutDataIsNamedAndTheGameEndsWithTheResourceError)
{
    fs::create_directories(folder / "empty");
    ProgramRun run = RunGame(folder, Environment(), {"-changedir=" + (folder / "empty").string()}, std::nullopt);
    EXPECT_FALSE(run.hung);
    EXPECT_EQ(run.exitCode, 0) << "a message about missing data ends the game with 0";
    EXPECT_NE(run.errors.find("no game data in " + (folder / "empty").string()), std::string::npos) << run.errors;
    EXPECT_NE(run.errors.find("FATAL ERROR: Resource file not found: properties\\resources.xml"), std::string::npos)
        << run.errors;
}

TEST_F(ProgramSurroundingsTest, FoldersThatCannotBeWrittenLeaveTheGamePlayingAndSaySoOnce)
{
    struct Case
    {
        const char* name;
        const char* variable; // set to a path under a file
        std::vector<std::string> arguments;
        const char* message;
    };
    const std::string underFile = (folder / "a-file").string();
    const Case cases[] = {
        {"settings", "XDG_CONFIG_HOME", {}, "Settings and progress cannot be saved to " },
        {"demo", nullptr, {"-record", "-demofile=" + underFile + "/bug.dmo"},
         "(Not a directory); playing on without recording"},
        {"demo folder", "XDG_DATA_HOME", {"-record"}, "(Not a directory); playing on without recording"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        std::map<std::string, std::string> environment = Environment();
        if (c.variable)
            environment[c.variable] = underFile;
        ProgramRun run = RunGame(folder, environment, c.arguments, Loaded);
        EXPECT_FALSE(run.hung);
        EXPECT_EQ(run.exitCode, 0) << run.errors;
        EXPECT_EQ(CountOf(run.errors, c.message), 1u) << run.errors;
        EXPECT_EQ(ReadFile(folder / "a-file"), "a file where a folder should be\n");
    }
}

} // namespace
