// The archive file format: constants, the directory reader shared by the archive
// interface and the zestpak tool, and the name normalization used for look-ups.
// Plain functions over caller-owned memory; safe on any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zest
{

// Every byte of an archive file is stored XOR-ed with this key.
inline constexpr uint8_t PakScrambleKey = 0x6B;
inline constexpr uint32_t PakMagic = 0xBAC04AC0;
inline constexpr uint32_t PakVersion = 0;
// A flags byte at or above this ends the directory.
inline constexpr uint8_t PakEndOfDirectory = 0x80;

struct PakDirectoryEntry
{
    uint8_t flags = 0;
    std::string name;   // as stored, "\" or "/" separated
    uint64_t start = 0; // offset of the data from the start of the archive file
    uint32_t size = 0;
    uint64_t fileTime = 0; // FILETIME
};

struct PakDirectory
{
    std::vector<PakDirectoryEntry> entries; // in file order
    uint64_t headerLength = 0;              // where the data of the first entry begins
};

// target = source XOR the key, count bytes (the buffers may be the same, not otherwise
// overlap). Works eight bytes at a time; DescrambleReference is the plain loop it matches.
void Descramble(uint8_t* target, const uint8_t* source, size_t count);
void DescrambleReference(uint8_t* target, const uint8_t* source, size_t count);

// Reads the directory of a whole archive file (still scrambled). Every entry's data is
// checked to lie inside the file. False with a one-line reason in error otherwise.
[[nodiscard]] bool ReadPakDirectory(std::span<const uint8_t> archive, PakDirectory& directory, std::string& error);

// The key an archived name is found under: separators become one "\", ".." after a
// separator removes the folder before it, letters are upper-cased (ASCII only), and an
// absolute name inside the working folder loses that prefix. "." is left alone.
std::string NormalizePakName(std::string_view name);

// FILETIME (100 ns units since 1601-01-01) from Unix seconds and nanoseconds, and back.
uint64_t FileTimeFromUnix(int64_t seconds, int64_t nanoseconds);
void UnixFromFileTime(uint64_t fileTime, int64_t& seconds, int64_t& nanoseconds);

} // namespace zest
