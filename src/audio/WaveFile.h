// Reads RIFF wave files (plain sounds and our decoded-sound cache) and writes the cache
// files. Stateless; safe on any thread (each call opens its own files).
#pragma once

#include "platform/MixerSamples.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace zest
{

class WaveFile
{
public:
    // The byte every cached sample byte is XOR-ed with (the archive's key).
    static constexpr uint8_t CacheKey = 0x6B;

    // Reads a PCM wave (8 or 16 bits, 1-2 channels, 1..192000 Hz) through the archive
    // file functions into 16-bit samples. A "dep " chunk names the file the sound was
    // decoded from: when that file's time differs from the stored one the cache is stale
    // and the load fails. A "xor " chunk gives the key the data is scrambled with.
    // Empty on any fault, with a one-line reason in error when given.
    static std::optional<MixerSamples> Load(const std::string& fileName, std::string* error = nullptr);

    // Writes a cache file: "fmt " (16-bit PCM), "dep " (source name and time), "xor "
    // (CacheKey) and the scrambled "data". Missing folders are made. The file is written
    // under a temporary name, flushed and renamed, so a failure (full disk, no rights)
    // never leaves a truncated cache behind. False on failure, with the reason in error when given.
    [[nodiscard]] static bool WriteCache(const std::filesystem::path& path, const MixerSamples& samples,
                                         const std::string& sourceName, uint64_t sourceTime,
                                         std::string* error = nullptr);
};

} // namespace zest
