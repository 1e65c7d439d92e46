#include "PlanRunner.h"

#include "playscript/PlayScript.h"
#include "sim/SimRun.h"

#include "garden/Bee.h"
#include "garden/Level.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace tibble::edit
{

namespace
{

int64_t NowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::string TemporaryName(const char* suffix)
{
    const char* folder = std::getenv("TMPDIR");
    return std::string(folder && *folder ? folder : "/tmp") + "/tibble-edit-" + std::to_string(::getpid()) + "-" +
           std::to_string(NowMs()) + suffix;
}

} // namespace

PlanRunner::PlanRunner() = default;

PlanRunner::~PlanRunner()
{
    Cancel();
    if (thread.joinable())
        thread.join();
    std::error_code code;
    if (!mapFile.empty())
        std::filesystem::remove(mapFile, code);
    if (!outFile.empty())
        std::filesystem::remove(outFile, code);
}

bool PlanRunner::Start(const Request& request, std::string& error)
{
    if (GetState() == State::Running)
    {
        error = "the planner is running already";
        return false;
    }
    if (thread.joinable())
        thread.join();
    if (::access(request.planner.c_str(), X_OK) != 0)
    {
        error = "cannot run the planner " + request.planner;
        return false;
    }
    std::ifstream prefixIn(request.prefixFile);
    std::stringstream prefixText;
    prefixText << prefixIn.rdbuf();
    const std::optional<play::PrefixHeader> header = play::ParsePrefixHeader(prefixText.str());
    if (!header)
    {
        error = "cannot read the level-start prefix " + request.prefixFile;
        return false;
    }
    prefix = *header;

    std::error_code code;
    if (!mapFile.empty())
        std::filesystem::remove(mapFile, code);
    if (!outFile.empty())
        std::filesystem::remove(outFile, code);
    mapFile = TemporaryName(".pmp");
    outFile = TemporaryName(".play");
    {
        std::ofstream out(mapFile, std::ios::binary);
        out.write(reinterpret_cast<const char*>(request.map.data()), static_cast<std::streamsize>(request.map.size()));
        if (!out)
        {
            error = "cannot write " + mapFile;
            return false;
        }
    }
    map = request.map;
    levelIndex = request.levelIndex;
    budgetSeconds = std::max(1, request.budgetSeconds);
    presses.clear();
    nextPress = 0;
    replay.reset();
    route.clear();
    routeDone = false;
    cancelled = false;
    {
        std::lock_guard lock(mutex);
        state = State::Running;
        message = "planning...";
        script.clear();
    }
    startedMs = NowMs();
    std::vector<std::string> arguments = {request.planner,
                                          "--data",
                                          request.dataFolder,
                                          "--level-index",
                                          std::to_string(request.levelIndex),
                                          "--prefix",
                                          request.prefixFile,
                                          "--budget",
                                          std::to_string(budgetSeconds),
                                          "--out",
                                          outFile,
                                          "--verbose",
                                          mapFile};
    thread = std::thread([this, arguments]() { Run(arguments); });
    return true;
}

void PlanRunner::Run(std::vector<std::string> arguments)
{
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
    {
        Finish(State::Failed, "cannot start the planner: " + std::string(std::strerror(errno)));
        return;
    }
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0)
    {
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        Finish(State::Failed, "cannot start the planner: " + std::string(std::strerror(errno)));
        return;
    }
    if (pid == 0)
    {
        // The child: both outputs into the pipe; only async-signal-safe calls until exec.
        ::dup2(pipeFds[1], 1);
        ::dup2(pipeFds[1], 2);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    child = pid;
    ::close(pipeFds[1]);
    if (cancelled)
        ::kill(pid, SIGTERM);

    std::string pending;
    std::string lastLine;
    char buffer[4096];
    for (;;)
    {
        const ssize_t n = ::read(pipeFds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        pending.append(buffer, static_cast<size_t>(n));
        size_t end;
        while ((end = pending.find('\n')) != std::string::npos)
        {
            std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            if (line.rfind("depth ", 0) == 0 || line.rfind("level ", 0) == 0 || line.rfind("solution", 0) == 0 ||
                line.rfind("tibble-plan", 0) == 0 || line.rfind("best", 0) == 0)
            {
                lastLine = line;
                std::lock_guard lock(mutex);
                message = line;
            }
        }
    }
    ::close(pipeFds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR)
    {
    }
    child = 0;
    if (cancelled)
    {
        Finish(State::Cancelled, "planning cancelled");
        return;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    {
        Finish(State::Failed, lastLine.empty() ? "the planner found no solution" : lastLine);
        return;
    }
    std::ifstream in(outFile, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    {
        std::lock_guard lock(mutex);
        script = text.str();
    }
    Finish(State::Solved, lastLine.empty() ? "solved" : lastLine);
}

void PlanRunner::Finish(State newState, const std::string& text)
{
    std::lock_guard lock(mutex);
    state = newState;
    message = text;
}

void PlanRunner::Cancel()
{
    cancelled = true;
    if (const pid_t pid = child.load(); pid > 0)
        ::kill(pid, SIGTERM);
    if (thread.joinable())
        thread.join();
}

PlanRunner::State PlanRunner::GetState() const
{
    std::lock_guard lock(mutex);
    return state;
}

double PlanRunner::Progress() const
{
    const State now = GetState();
    if (now == State::Solved)
        return 1;
    if (now != State::Running)
        return 0;
    return std::min(1.0, static_cast<double>(NowMs() - startedMs) / (1000.0 * budgetSeconds));
}

std::string PlanRunner::Message() const
{
    std::lock_guard lock(mutex);
    return message;
}

std::string PlanRunner::Script() const
{
    std::lock_guard lock(mutex);
    return script;
}

bool PlanRunner::TraceRoute(int maxUpdates)
{
    if (routeDone)
        return true;
    if (GetState() != State::Solved)
        return false;
    if (!replay)
    {
        // The solution's presses in level updates; a script the planner wrote always reads.
        std::vector<play::ScriptPress> scriptPresses;
        std::string readError;
        if (play::ReadScriptPresses(Script(), prefix, scriptPresses, readError))
        {
            for (const play::ScriptPress& press : scriptPresses)
            {
                presses.push_back({press.down, true, press.x, press.y});
                presses.push_back({press.up, false, press.x, press.y});
            }
        }
        sim::SimRun::Options options;
        options.levelIndex = levelIndex;
        std::string error;
        replay = sim::SimRun::Create(map, options, &error);
        if (!replay)
        {
            routeDone = true;
            return true;
        }
        for (int i = 0; i < prefix.drawsBefore; i++)
            replay->Draw();
    }
    for (int i = 0; i < maxUpdates; i++)
    {
        const int update = replay->Updates() + 1;
        while (nextPress < presses.size() && presses[nextPress].update <= update)
        {
            const Press& press = presses[nextPress++];
            if (press.down)
                replay->GetHost().Down(press.x, press.y);
            else
                replay->GetHost().Up(press.x, press.y);
        }
        const sim::StepResult result = replay->Step();
        const Bee& bee = replay->GetLevel().GetBee();
        if (update % 5 == 0 || route.empty())
            route.emplace_back(static_cast<int>(bee.centreX), static_cast<int>(bee.centreY));
        if (result.completed || result.gameOver || update > 200000)
        {
            routeDone = true;
            replay.reset();
            return true;
        }
    }
    return false;
}

} // namespace tibble::edit
