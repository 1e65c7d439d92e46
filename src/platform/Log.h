// The one diagnostic sink of the program. Lines go to stderr by default; tests
// install a capture to read and count them. Any thread may log.
#pragma once

#include <functional>
#include <string>

namespace zest
{

enum class LogLevel
{
    Info,
    Warning,
    Error
};

using LogSink = std::function<void(LogLevel, const std::string&)>;

// Writes one diagnostic line (no trailing newline needed).
void Log(LogLevel level, const std::string& text);
// printf-style convenience.
void Logf(LogLevel level, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Replaces the sink; an empty sink restores the default (stderr). Returns the previous sink.
LogSink SetLogSink(LogSink sink);

} // namespace zest
