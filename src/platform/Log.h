// The one diagnostic sink of the program, with levels. Lines below the threshold are
// dropped; the rest go to stderr by default, or to a sink tests install to read and
// count them. The threshold starts at Warning, or at the level ZEST_LOG names. Any thread may log.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace zest
{

enum class LogLevel
{
    Debug,   // counters and timings for the framework's developers (the exit statistics)
    Info,    // what the framework chose or did (renderer, audio device, data source, demos)
    Warning, // something is wrong but the program carries on
    Error
};

using LogSink = std::function<void(LogLevel, const std::string&)>;

// Writes one diagnostic line (no trailing newline needed) when its level is at or above the threshold.
void Log(LogLevel level, const std::string& text);
// printf-style convenience; the text is not formatted when the level is below the threshold.
void Logf(LogLevel level, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Replaces the sink; an empty sink restores the default (stderr). Returns the previous sink.
LogSink SetLogSink(LogSink sink);

// The lowest level that is written. Returns the previous threshold.
LogLevel SetLogThreshold(LogLevel level);
LogLevel GetLogThreshold();
[[nodiscard]] bool IsLogged(LogLevel level);

// "debug", "info", "warning" or "error" in any case; nothing for any other text.
[[nodiscard]] std::optional<LogLevel> ParseLogLevel(const std::string& name);

// The environment variable that sets the starting threshold, e.g. ZEST_LOG=info.
inline constexpr const char* LogLevelVariable = "ZEST_LOG";

} // namespace zest
