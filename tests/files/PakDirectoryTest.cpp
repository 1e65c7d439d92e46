#include "files/PakDirectory.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace zest;
using namespace zest::test;

namespace
{

// Plain (unscrambled) header: magic and version.
std::vector<uint8_t> PlainHeader(uint32_t magic = PakMagic, uint32_t version = PakVersion)
{
    std::vector<uint8_t> out;
    PutLE(out, magic, 4);
    PutLE(out, version, 4);
    return out;
}

void PutEntry(std::vector<uint8_t>& out, const std::string& name, uint32_t size, uint64_t time = 0)
{
    out.push_back(0);
    out.push_back(static_cast<uint8_t>(name.size()));
    out.insert(out.end(), name.begin(), name.end());
    PutLE(out, size, 4);
    PutLE(out, time, 8);
}

} // namespace

TEST(PakDirectory, EmptyArchiveIsAccepted)
{
    std::vector<uint8_t> plain = PlainHeader();
    plain.push_back(0x80);
    PakDirectory directory;
    std::string error;
    ASSERT_TRUE(ReadPakDirectory(Scramble(plain), directory, error)) << error;
    EXPECT_TRUE(directory.entries.empty());
    EXPECT_EQ(directory.headerLength, 9u);
}

TEST(PakDirectory, StartsFollowTheDirectoryInOrder)
{
    std::vector<uint8_t> archive = MakeArchive({{"b.txt", "12345"}, {"a\\c.txt", ""}, {"d", "xy"}}, 777);
    PakDirectory directory;
    std::string error;
    ASSERT_TRUE(ReadPakDirectory(archive, directory, error)) << error;
    ASSERT_EQ(directory.entries.size(), 3u);
    // 8 header bytes, three entries of 14 + name length, one terminator.
    uint64_t header = 8 + (14 + 5) + (14 + 7) + (14 + 1) + 1;
    EXPECT_EQ(directory.headerLength, header);
    EXPECT_EQ(directory.entries[0].name, "b.txt");
    EXPECT_EQ(directory.entries[0].start, header);
    EXPECT_EQ(directory.entries[1].name, "a\\c.txt");
    EXPECT_EQ(directory.entries[1].start, header + 5);
    EXPECT_EQ(directory.entries[2].start, header + 5);
    EXPECT_EQ(directory.entries[2].size, 2u);
    EXPECT_EQ(directory.entries[2].fileTime, 777u);
    EXPECT_EQ(archive.size(), header + 7);
}

TEST(PakDirectory, DamagedArchivesAreRefusedWithAReason)
{
    struct Case
    {
        const char* what;
        std::vector<uint8_t> plain;
        const char* errorPart;
    };
    std::vector<Case> cases;
    cases.push_back({"empty file", {}, "too short"});
    cases.push_back({"three bytes", {0xC0, 0x4A, 0xC0}, "too short"});
    cases.push_back({"foreign magic", PlainHeader(0x04034B50), "foreign magic"});
    cases.push_back({"version 1", PlainHeader(PakMagic, 1), "version 1"});
    {
        std::vector<uint8_t> p = PlainHeader();
        p.resize(6);
        cases.push_back({"version cut", p, "truncated header"});
    }
    cases.push_back({"no directory at all", PlainHeader(), "not terminated"});
    {
        std::vector<uint8_t> p = PlainHeader();
        PutEntry(p, "a", 0);
        cases.push_back({"entry without terminator", p, "not terminated"});
    }
    {
        std::vector<uint8_t> p = PlainHeader();
        PutEntry(p, "abc", 0);
        p.resize(p.size() - 13); // inside the name
        cases.push_back({"name cut", p, "truncated directory entry 0"});
    }
    {
        std::vector<uint8_t> p = PlainHeader();
        PutEntry(p, "a", 0);
        PutEntry(p, "b", 0);
        p.resize(p.size() - 3); // inside the time
        cases.push_back({"time cut", p, "truncated directory entry 1"});
    }
    {
        std::vector<uint8_t> p = PlainHeader();
        PutEntry(p, "big", 10);
        p.push_back(0x80);
        p.insert(p.end(), 9, 'x'); // one byte short
        cases.push_back({"data beyond the end", p, "\"big\" lies beyond"});
    }
    {
        // Two sizes whose 32-bit sum would wrap to a small number.
        std::vector<uint8_t> p = PlainHeader();
        PutEntry(p, "a", 0xFFFFFFFF);
        PutEntry(p, "b", 2);
        p.push_back(0x80);
        p.insert(p.end(), 1, 'x');
        cases.push_back({"sizes that overflow", p, "beyond the end"});
    }
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        PakDirectory directory;
        directory.headerLength = 42; // must stay as it was
        std::string error;
        EXPECT_FALSE(ReadPakDirectory(Scramble(c.plain), directory, error));
        EXPECT_NE(error.find(c.errorPart), std::string::npos) << error;
        EXPECT_EQ(directory.headerLength, 42u);
    }
}

TEST(PakDirectory, TrailingBytesAfterTheDataAreAllowed)
{
    std::vector<uint8_t> archive = MakeArchive({{"a", "1"}});
    archive.push_back(0x00);
    PakDirectory directory;
    std::string error;
    EXPECT_TRUE(ReadPakDirectory(archive, directory, error)) << error;
}

TEST(PakDirectory, NamesNormalizeToOneKey)
{
    struct Case
    {
        const char* name;
        const char* key;
    } cases[] = {
        {"images/Bee.png", "IMAGES\\BEE.PNG"},
        {"images\\bee.png", "IMAGES\\BEE.PNG"},
        {"IMAGES\\BEE.PNG", "IMAGES\\BEE.PNG"},
        {"images//\\x.png", "IMAGES\\X.PNG"},
        {"./images//x.png", ".\\IMAGES\\X.PNG"}, // "." is not folded
        {"a/b/../c", "A\\C"},
        {"a/../b", "B"},
        {"a/../../b", "..\\B"},
        {"../x", "..\\X"},
        {"..\\..\\x", "..\\..\\X"},
        {"a..b/c", "A..B\\C"},
        {"/abs/x", "\\ABS\\X"},
        {"dir/", "DIR\\"},
        {"déjà/vu.txt", "DéJà\\VU.TXT"}, // only ASCII letters change case
        {"", ""},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(NormalizePakName(c.name), c.key);
    }
}

TEST(PakDirectory, FullNameInsideTheWorkingFolderLosesThatPrefix)
{
    std::string folder = std::filesystem::current_path().string();
    EXPECT_EQ(NormalizePakName(folder + "/images/bee.png"), "IMAGES\\BEE.PNG");
    // A sibling folder that merely starts with the same text keeps its full name.
    EXPECT_EQ(NormalizePakName(folder + "x/bee.png").substr(0, 1), "\\");
}

TEST(PakDirectory, FileTimesConvertBothWays)
{
    EXPECT_EQ(FileTimeFromUnix(0, 0), 116444736000000000ULL);
    EXPECT_EQ(FileTimeFromUnix(1, 500), 116444736010000005ULL);
    int64_t seconds = 0;
    int64_t nanoseconds = 0;
    UnixFromFileTime(FileTimeFromUnix(1700000000, 123456700), seconds, nanoseconds);
    EXPECT_EQ(seconds, 1700000000);
    EXPECT_EQ(nanoseconds, 123456700);
}

TEST(PakDirectory, WordDescrambleMatchesTheReference)
{
    std::vector<uint8_t> source(300);
    uint32_t seed = 12345;
    for (uint8_t& b : source)
    {
        seed = seed * 1664525u + 1013904223u;
        b = static_cast<uint8_t>(seed >> 24);
    }
    source[0] = 0x00;
    source[1] = 0xFF;
    source[2] = PakScrambleKey;
    // Every length and start offset around the word size, so head and tail paths both run.
    for (size_t offset = 0; offset < 9; ++offset)
    {
        for (size_t length :
             {size_t(0), size_t(1), size_t(7), size_t(8), size_t(9), size_t(15), size_t(16), size_t(17), size_t(200)})
        {
            SCOPED_TRACE(::testing::Message() << "offset " << offset << " length " << length);
            std::vector<uint8_t> fast(length + 2, 0xEE);
            std::vector<uint8_t> reference(length + 2, 0xEE);
            Descramble(fast.data() + 1, source.data() + offset, length);
            DescrambleReference(reference.data() + 1, source.data() + offset, length);
            ASSERT_EQ(fast, reference);
            for (size_t i = 0; i < length; ++i)
                ASSERT_EQ(reference[i + 1], source[offset + i] ^ 0x6B) << i; // the key, written out
        }
    }
    // In place.
    std::vector<uint8_t> inPlace(source.begin(), source.begin() + 100);
    Descramble(inPlace.data(), inPlace.data(), inPlace.size());
    for (size_t i = 0; i < inPlace.size(); ++i)
        ASSERT_EQ(inPlace[i], source[i] ^ 0x6B);
}
