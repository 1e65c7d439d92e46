#include "platform/Log.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <vector>

namespace zest
{

namespace
{
std::mutex logMutex;
LogSink currentSink;

void WriteDefault(LogLevel level, const std::string& text)
{
    static const char* const prefixes[] = {"", "warning: ", "error: "};
    std::fprintf(stderr, "%s%s\n", prefixes[static_cast<int>(level)], text.c_str());
}
} // namespace

void Log(LogLevel level, const std::string& text)
{
    std::lock_guard<std::mutex> lock(logMutex);
    if (currentSink)
        currentSink(level, text);
    else
        WriteDefault(level, text);
}

void Logf(LogLevel level, const char* format, ...)
{
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

} // namespace zest
