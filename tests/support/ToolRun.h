// Runs a built command-line tool from a test and captures what it answers: the exit code, standard output and
// standard error. Header only, so every test program can use it without a library of its own; test threads only.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace zest::test
{

struct ToolRun
{
    int exitCode = -1; // -1 when the tool did not exit normally
    std::string out;
    std::string err;
};

// The path of a tool in the build's program folder (ZEST_BIN_DIR, else the working directory).
inline std::string ToolPath(const std::string& name)
{
    const char* bin = std::getenv("ZEST_BIN_DIR");
    return std::string(bin && *bin ? bin : ".") + "/" + name;
}

// text quoted for the shell, whatever it holds.
inline std::string ShellQuoted(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs program with the arguments (each passed as it is), standard input from stdinFile when given.
inline ToolRun RunTool(const std::string& program, const std::vector<std::string>& arguments,
                       const std::string& stdinFile = "")
{
    static int counter = 0;
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("zest-tool-run-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::string stem = (folder / std::to_string(counter++)).string();
    std::string command = ShellQuoted(program);
    for (const std::string& argument : arguments)
        command += " " + ShellQuoted(argument);
    command += " >" + ShellQuoted(stem + ".out") + " 2>" + ShellQuoted(stem + ".err");
    if (!stdinFile.empty())
        command += " <" + ShellQuoted(stdinFile);
    const int status = std::system(command.c_str());
    ToolRun run;
    run.exitCode = status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    for (auto [suffix, text] : {std::pair{".out", &run.out}, std::pair{".err", &run.err}})
    {
        std::ifstream in(stem + suffix, std::ios::binary);
        std::ostringstream buffer;
        buffer << in.rdbuf();
        *text = buffer.str();
        std::filesystem::remove(stem + suffix);
    }
    return run;
}

} // namespace zest::test
