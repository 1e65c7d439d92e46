// Scratch files for harnesses whose parser reads a file by name: one folder per process (in memory
// where /dev/shm exists, so the disk never slows a fuzz run), removed when the process ends.
#pragma once

#include "platform/Log.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace fuzz
{

inline const std::string& ScratchFolder()
{
    // Never freed: the removal at exit runs after the destructors of function statics.
    static const std::string* folder = []
    {
        std::error_code ec;
        const std::filesystem::path base = std::filesystem::is_directory("/dev/shm", ec) ? "/dev/shm" : "/tmp";
        auto* path = new std::string((base / ("zest-fuzz-" + std::to_string(getpid()))).string());
        std::filesystem::create_directories(*path, ec);
        std::atexit([] { std::error_code ignored; std::filesystem::remove_all(ScratchFolder(), ignored); });
        // Damaged input is the point here: its diagnostics would only drown the fuzzer's output.
        zest::SetLogSink([](zest::LogLevel, const std::string&) {});
        return path;
    }();
    return *folder;
}

// Writes the bytes to name inside the scratch folder; answers the full path, empty on failure.
inline std::string WriteScratch(const std::string& name, const uint8_t* data, size_t size)
{
    const std::string path = ScratchFolder() + "/" + name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return {};
    const bool ok = (size == 0 || std::fwrite(data, 1, size, file) == size);
    return (std::fclose(file) == 0 && ok) ? path : std::string();
}

// Ends the run loudly when a harness finds a broken promise (a round trip that changed the data).
inline void Require(bool condition)
{
    if (!condition)
        __builtin_trap();
}

} // namespace fuzz
