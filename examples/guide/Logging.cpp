#include "Samples.h"

#include <zest/platform/Log.h>

#include <string>
#include <vector>

namespace guide
{

int LogToList()
{
    // The framework's messages and your own go through one logger. By default only warnings and errors are
    // written, to stderr; ZEST_LOG=info (or debug) in the environment, or -log=info on a program's command
    // line, shows more.
    zest::Logf(zest::LogLevel::Info, "not shown unless the level was raised: %d", 42);

    // A program can set the level itself and take the lines (a console in the game, a test counting them).
    // Without a sink of its own this warning would read "warning: shown ..." on stderr.
    std::vector<std::string> lines;
    zest::LogSink previous = zest::SetLogSink([&lines](zest::LogLevel level, const std::string& text) {
        if (level >= zest::LogLevel::Warning)
            lines.push_back(text);
    });
    zest::LogLevel previousLevel = zest::SetLogThreshold(zest::LogLevel::Debug);
    zest::Log(zest::LogLevel::Warning, "shown, and caught by the sink");
    zest::Log(zest::LogLevel::Debug, "shown at the debug level, but this sink keeps only warnings and errors");
    zest::SetLogThreshold(previousLevel);
    zest::SetLogSink(previous); // an empty sink is stderr again
    return static_cast<int>(lines.size());
}

} // namespace guide
