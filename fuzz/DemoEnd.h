// For harnesses of demo files: a demo ends in a CRC of everything before it, which random bytes never match.
// The input again with its end record's CRC made right reaches the records behind it.
#pragma once

#include "app/DemoFile.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace fuzz
{

// The bytes with the right CRC in their end record; none when they do not end in one.
inline std::optional<std::vector<uint8_t>> WithRightEndCrc(const uint8_t* data, size_t size)
{
    // The end record is its kind, a count and the CRC.
    constexpr size_t EndSize = 9;
    if (size < EndSize || data[size - EndSize] != zest::DemoFile::EndKind)
        return std::nullopt;
    std::vector<uint8_t> bytes(data, data + size);
    const uint32_t crc = zest::DemoFile::Crc32(bytes.data(), size - EndSize);
    for (int i = 0; i < 4; ++i)
        bytes[size - 4 + static_cast<size_t>(i)] = static_cast<uint8_t>(crc >> (8 * i));
    return bytes;
}

} // namespace fuzz
