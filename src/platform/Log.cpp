#include "platform/Log.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace zest
{

namespace
{
std::mutex logMutex;
LogSink currentSink;

LogLevel StartingThreshold()
{
    const char* named = std::getenv(LogLevelVariable);
    if (!named || !*named)
        return LogLevel::Warning;
    std::optional<LogLevel> level = ParseLogLevel(named);
    if (!level)
        std::fprintf(stderr, "warning: %s=%s is not a log level (debug, info, warning, error)\n", LogLevelVariable,
                     named);
    return level.value_or(LogLevel::Warning);
}

// Read once, at the first use, so the variable is honoured by loggers that run before main.
std::atomic<int>& Threshold()
{
    static std::atomic<int> threshold{static_cast<int>(StartingThreshold())};
    return threshold;
}

void WriteDefault(LogLevel level, const std::string& text)
{
    static const char* const prefixes[] = {"debug: ", "", "warning: ", "error: "};
    std::fprintf(stderr, "%s%s\n", prefixes[static_cast<int>(level)], text.c_str());
}
} // namespace

void Log(LogLevel level, const std::string& text)
{
    if (!IsLogged(level))
        return;
    std::lock_guard<std::mutex> lock(logMutex);
    if (currentSink)
        currentSink(level, text);
    else
        WriteDefault(level, text);
}

void Logf(LogLevel level, const char* format, ...)
{
    if (!IsLogged(level))
        return;
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text;
    if (length > 0)
    {
        std::vector<char> buffer(static_cast<size_t>(length) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), format, args);
        text.assign(buffer.data(), static_cast<size_t>(length));
    }
    va_end(args);
    Log(level, text);
}

LogSink SetLogSink(LogSink sink)
{
    std::lock_guard<std::mutex> lock(logMutex);
    LogSink previous = std::move(currentSink);
    currentSink = std::move(sink);
    return previous;
}

LogLevel SetLogThreshold(LogLevel level)
{
    return static_cast<LogLevel>(Threshold().exchange(static_cast<int>(level)));
}

LogLevel GetLogThreshold()
{
    return static_cast<LogLevel>(Threshold().load());
}

bool IsLogged(LogLevel level)
{
    return static_cast<int>(level) >= Threshold().load();
}

std::optional<LogLevel> ParseLogLevel(const std::string& name)
{
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    static const std::pair<const char*, LogLevel> names[] = {
        {"debug", LogLevel::Debug}, {"info", LogLevel::Info}, {"warning", LogLevel::Warning}, {"error", LogLevel::Error}};
    for (const auto& [text, level] : names)
        if (lower == text)
            return level;
    return std::nullopt;
}

} // namespace zest
