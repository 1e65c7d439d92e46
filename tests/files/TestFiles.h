// Helpers for the file tests: a scratch folder with a non-ASCII name that the test works
// in, and small archive builders.
#pragma once

#include "files/PakDirectory.h"
#include "files/PakFile.h"
#include "files/PakWriter.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace zest::test
{

inline std::vector<uint8_t> Bytes(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

inline void WriteFile(const std::filesystem::path& path, const std::string& content)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    ASSERT_TRUE(out.good()) << path;
}

inline void WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& content)
{
    WriteFile(path, std::string(content.begin(), content.end()));
}

inline std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// An archive holding the given (stored name, content) pairs in that order.
inline std::vector<uint8_t> MakeArchive(const std::vector<std::pair<std::string, std::string>>& files,
                                        uint64_t fileTime = 132000000000000000ULL)
{
    PakWriter writer;
    for (const auto& [name, content] : files)
    {
        std::string error;
        EXPECT_TRUE(writer.AddFile(name, Bytes(content), fileTime, error)) << error;
    }
    return writer.Build();
}

// XORs plain bytes with the archive key, for hand-made (often damaged) archives.
inline std::vector<uint8_t> Scramble(std::vector<uint8_t> plain)
{
    for (uint8_t& b : plain)
        b ^= PakScrambleKey;
    return plain;
}

inline void PutLE(std::vector<uint8_t>& out, uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// Everything left in an open file, read through the file functions.
inline std::string ReadRest(PFILE* file)
{
    std::string out;
    char buffer[7]; // small, so reads cross their own boundaries
    for (;;)
    {
        size_t got = p_fread(buffer, 1, sizeof(buffer), file);
        if (got == 0)
            break;
        out.append(buffer, got);
    }
    return out;
}

// A fresh folder with a non-ASCII name that the test runs in; the working folder and the
// active archive interface are restored afterwards.
class ScratchFolderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        previousFolder = std::filesystem::current_path();
        std::string pattern = (std::filesystem::temp_directory_path() / "zest-fïles-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder = pattern;
        std::filesystem::current_path(folder);
        SetActivePakInterface(nullptr);
    }

    void TearDown() override
    {
        SetActivePakInterface(nullptr);
        std::filesystem::current_path(previousFolder);
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    std::filesystem::path previousFolder;
    std::filesystem::path folder;
};

} // namespace zest::test
