#include "files/PakInterface.h"

#include "TestFiles.h"
#include "files/PakFile.h"
#include "platform/Log.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace zest;
using namespace zest::test;

namespace
{

class PakInterfaceTest : public ScratchFolderTest
{
protected:
    void SetUp() override
    {
        ScratchFolderTest::SetUp();
        WriteFile(folder / "test.pak", MakeArchive({
                                           {"images\\Bee.png", "bee bytes"},
                                           {"images\\x.png", "archived x"},
                                           {"images\\sub\\deep.png", "deep"},
                                           {"lines.txt", "ab\r\nc"},
                                           {"empty.dat", ""},
                                           {"music/tune.ogg", "tune"},
                                           {"données\\é.txt", "accent"},
                                       }));
        pak = std::make_unique<PakInterface>();
        ASSERT_EQ(ActivePakInterface(), pak.get());
        ASSERT_TRUE(pak->AddPakFile("test.pak"));
    }

    void TearDown() override
    {
        pak.reset();
        ScratchFolderTest::TearDown();
    }

    std::string ReadWhole(const char* name, const char* mode = "rb")
    {
        PFilePtr file(p_fopen(name, mode));
        if (!file)
            return "<missing>";
        return ReadRest(file.get());
    }

    std::unique_ptr<PakInterface> pak;
};

} // namespace

TEST_F(PakInterfaceTest, NamesDifferingInCaseAndSeparatorOpenOneFile)
{
    for (const char* name : {"images/Bee.png", "images\\bee.png", "IMAGES\\BEE.PNG", "images//bee.png",
                             "images/sub/../Bee.png", "DONNéES/é.txt"})
    {
        SCOPED_TRACE(name);
        std::string expected = std::strstr(name, "DONN") ? "accent" : "bee bytes";
        EXPECT_EQ(ReadWhole(name), expected);
    }
    EXPECT_EQ(ReadWhole((folder / "images/Bee.png").c_str()), "bee bytes"); // a full path inside the folder
    EXPECT_EQ(ReadWhole("music\\tune.ogg"), "tune");                        // stored with "/"
}

TEST_F(PakInterfaceTest, DotIsNotFoldedSoTheDiskAnswers)
{
    EXPECT_EQ(ReadWhole("./images//x.png"), "<missing>");
    WriteFile(folder / "images/x.png", "disk x");
    EXPECT_EQ(ReadWhole("./images//x.png"), "disk x");
    EXPECT_EQ(ReadWhole("images/x.png"), "archived x"); // the archive comes first
}

TEST_F(PakInterfaceTest, SeekIsClampedToTheFile)
{
    PFilePtr file(p_fopen("images/bee.png", "rb"));
    ASSERT_TRUE(file);
    struct Step
    {
        long offset;
        int origin;
        long expected;
    } steps[] = {
        {0, SEEK_END, 9},   {-100, SEEK_SET, 0}, {3, SEEK_SET, 3},        {2, SEEK_CUR, 5},        {-10, SEEK_CUR, 0},
        {100, SEEK_SET, 9}, {-4, SEEK_END, 5},   {LONG_MAX, SEEK_CUR, 9}, {LONG_MIN, SEEK_END, 0},
    };
    for (const Step& step : steps)
    {
        SCOPED_TRACE(::testing::Message() << step.offset << " from " << step.origin);
        EXPECT_EQ(p_fseek(file.get(), step.offset, step.origin), 0);
        EXPECT_EQ(p_ftell(file.get()), step.expected);
    }
    EXPECT_EQ(p_fseek(file.get(), 0, 7), -1); // no such origin
}

TEST_F(PakInterfaceTest, ReadsStopAtTheEnd)
{
    PFilePtr file(p_fopen("images/bee.png", "rb"));
    ASSERT_TRUE(file);
    char buffer[16] = {};
    EXPECT_EQ(p_fread(buffer, 4, 2, file.get()), 2u);
    EXPECT_EQ(std::string(buffer, 8), "bee byte");
    EXPECT_FALSE(p_feof(file.get()));
    // One byte is left: no whole element, but the byte is copied and the end reached.
    EXPECT_EQ(p_fread(buffer, 4, 2, file.get()), 0u);
    EXPECT_EQ(buffer[0], 's');
    EXPECT_TRUE(p_feof(file.get()));
    EXPECT_EQ(p_fgetc(file.get()), -1);
    EXPECT_EQ(p_fread(buffer, 1, 1, file.get()), 0u);
    EXPECT_EQ(p_fread(buffer, SIZE_MAX, 2, file.get()), 0u); // a product that overflows
}

TEST_F(PakInterfaceTest, EmptyFileIsAtItsEndAtOnce)
{
    PFilePtr file(p_fopen("empty.dat", "rb"));
    ASSERT_TRUE(file);
    EXPECT_TRUE(p_feof(file.get()));
    EXPECT_EQ(p_fgetc(file.get()), -1);
    char line[4];
    EXPECT_EQ(p_fgets(line, sizeof(line), file.get()), nullptr);
}

TEST_F(PakInterfaceTest, LinesDropCarriageReturns)
{
    PFilePtr file(p_fopen("lines.txt", "r"));
    ASSERT_TRUE(file);
    char line[16];
    ASSERT_EQ(p_fgets(line, sizeof(line), file.get()), line);
    EXPECT_STREQ(line, "ab\n");
    ASSERT_EQ(p_fgets(line, sizeof(line), file.get()), line);
    EXPECT_STREQ(line, "c");
    EXPECT_EQ(p_fgets(line, sizeof(line), file.get()), nullptr);

    // A short buffer takes size - 1 bytes at a time.
    p_fseek(file.get(), 0, SEEK_SET);
    ASSERT_EQ(p_fgets(line, 2, file.get()), line);
    EXPECT_STREQ(line, "a");
    EXPECT_EQ(p_fgetc(file.get()), 'b');
    EXPECT_EQ(p_fgetc(file.get()), '\n'); // the carriage return is skipped
    // Stepping back re-reads bytes; the pushed character itself is not stored.
    EXPECT_EQ(p_ungetc('z', file.get()), 'z');
    EXPECT_EQ(p_fgetc(file.get()), '\n');
    // p_fread gives the bytes as stored, carriage return included.
    p_fseek(file.get(), 0, SEEK_SET);
    EXPECT_EQ(ReadRest(file.get()), "ab\r\nc");
}

TEST_F(PakInterfaceTest, StepBackStopsAtTheStart)
{
    PFilePtr file(p_fopen("images/bee.png", "rb"));
    ASSERT_TRUE(file);
    p_ungetc('q', file.get());
    EXPECT_EQ(p_ftell(file.get()), 0);
    EXPECT_EQ(p_fgetc(file.get()), 'b');
    EXPECT_EQ(p_fgetc(file.get()), 'e');
    p_ungetc(0, file.get());
    p_ungetc(0, file.get());
    EXPECT_EQ(p_fgetc(file.get()), 'b');
}

TEST_F(PakInterfaceTest, OnlyReadingModesUseTheArchive)
{
    EXPECT_EQ(ReadWhole("images/bee.png", "R"), "bee bytes");
    EXPECT_EQ(ReadWhole("images/bee.png", "rT"), "bee bytes");
    EXPECT_EQ(ReadWhole("images/bee.png", "r+"), "<missing>"); // no such disk file

    // Writing an archived name creates the disk file; reading still prefers the archive.
    {
        PFilePtr out(p_fopen("LINES.TXT", "w"));
        ASSERT_TRUE(out);
        ASSERT_NE(out->diskFile, nullptr);
        ASSERT_EQ(std::fwrite("written", 1, 7, out->diskFile), 7u);
    }
    EXPECT_EQ(ReadFile(folder / "LINES.TXT"), "written");
    EXPECT_EQ(ReadWhole("lines.txt"), "ab\r\nc");
    EXPECT_EQ(ReadWhole("lines.txt", "r+"), "written"); // found on the disk without regard to case
}

TEST_F(PakInterfaceTest, TheArchiveIsEnteredUnderItsOwnName)
{
    std::string raw = ReadWhole("TEST.PAK");
    ASSERT_EQ(raw.size(), std::filesystem::file_size(folder / "test.pak"));
    // The record starts at 0, so the descrambled magic comes first.
    EXPECT_EQ(static_cast<uint8_t>(raw[0]), 0xC0);
    EXPECT_EQ(static_cast<uint8_t>(raw[1]), 0x4A);
    EXPECT_EQ(static_cast<uint8_t>(raw[2]), 0xC0);
    EXPECT_EQ(static_cast<uint8_t>(raw[3]), 0xBA);
}

TEST_F(PakInterfaceTest, LaterArchiveWinsAndBadOnesChangeNothing)
{
    WriteFile(folder / "patch.pak", MakeArchive({{"IMAGES\\BEE.PNG", "patched"}}));
    std::vector<uint8_t> damaged = MakeArchive({{"lines.txt", "damaged"}});
    damaged.pop_back(); // the data of the last entry now ends past the file
    WriteFile(folder / "damaged.pak", damaged);
    WriteFile(folder / "foreign.pak", std::string("PK\x03\x04 not ours at all"));
    std::vector<uint8_t> wrongVersion = MakeArchive({});
    wrongVersion[4] ^= 1;
    WriteFile(folder / "version.pak", wrongVersion);
    std::filesystem::create_directory(folder / "folder.pak");

    // A damaged archive leaves one diagnostic line; a missing one is normal and silent.
    struct Case
    {
        const char* name;
        const char* logged;
    } cases[] = {
        {"damaged.pak", "beyond the end"}, {"foreign.pak", "foreign magic"}, {"version.pak", "version 1"},
        {"missing.pak", nullptr},          {"folder.pak", nullptr},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        std::vector<std::string> lines;
        LogSink previous = SetLogSink([&lines](LogLevel, const std::string& text) { lines.push_back(text); });
        EXPECT_FALSE(pak->AddPakFile(c.name));
        SetLogSink(previous);
        if (c.logged == nullptr)
        {
            EXPECT_TRUE(lines.empty());
        }
        else
        {
            ASSERT_EQ(lines.size(), 1u);
            EXPECT_NE(lines[0].find(c.logged), std::string::npos) << lines[0];
        }
    }
    EXPECT_EQ(ReadWhole("lines.txt"), "ab\r\nc");
    ASSERT_TRUE(pak->AddPakFile("patch.pak"));
    EXPECT_EQ(ReadWhole("images/bee.png"), "patched");
    EXPECT_EQ(ReadWhole("images/x.png"), "archived x");
}

TEST_F(PakInterfaceTest, AnEmptyArchiveIsMounted)
{
    WriteFile(folder / "none.pak", MakeArchive({}));
    EXPECT_TRUE(pak->AddPakFile("none.pak"));
}

namespace
{

struct Found
{
    std::string name;
    uint32_t attributes;
    uint64_t size;
};

std::vector<Found> Search(const char* pattern)
{
    std::vector<Found> found;
    PFindData data;
    PFindHandle* handle = p_FindFirstFile(pattern, &data);
    if (handle == nullptr)
        return found;
    do
    {
        found.push_back({data.fileName, data.attributes, data.size});
    } while (p_FindNextFile(handle, &data) && found.size() < 100);
    EXPECT_TRUE(p_FindClose(handle));
    return found;
}

} // namespace

TEST_F(PakInterfaceTest, SearchGivesArchiveMatchesInKeyOrderThenTheDisk)
{
    WriteFile(folder / "images/disk.png", "on disk");
    std::filesystem::create_directory(folder / "images/folder");
    std::vector<Found> found = Search("images/*");
    ASSERT_EQ(found.size(), 5u);
    // Archive keys in order: IMAGES\BEE.PNG, IMAGES\SUB\DEEP.PNG, IMAGES\X.PNG.
    EXPECT_EQ(found[0].name, "Bee.png");
    EXPECT_EQ(found[0].attributes, 0u);
    EXPECT_EQ(found[0].size, 9u);
    EXPECT_EQ(found[1].name, "deep.png");
    EXPECT_EQ(found[1].attributes, FindAttributeDirectory); // lies in a subfolder
    EXPECT_EQ(found[2].name, "x.png");
    // Then the disk, sorted by name.
    EXPECT_EQ(found[3].name, "disk.png");
    EXPECT_EQ(found[3].size, 7u);
    EXPECT_EQ(found[4].name, "folder");
    EXPECT_EQ(found[4].attributes, FindAttributeDirectory);
}

TEST_F(PakInterfaceTest, SearchPatterns)
{
    struct Case
    {
        const char* pattern;
        std::vector<std::string> names;
    } cases[] = {
        {"IMAGES\\*.PNG", {"Bee.png", "deep.png", "x.png"}},
        {"*.png", {"Bee.png", "deep.png", "x.png"}},
        {"lines.*", {"lines.txt"}},
        {"images/sub/*.*", {"deep.png"}},
        {"music\\*.ogg", {"tune.ogg"}},
        {"images/x.png", {"x.png"}}, // no "*": exactly that file
        {"données/*", {"é.txt"}},
        {"images/*.jpg", {}},
        {"nothing*", {}},
        // Keys in byte order, the archive's own record among them, then the disk's test.pak.
        {"*", {"é.txt", "empty.dat", "Bee.png", "deep.png", "x.png", "lines.txt", "tune.ogg", "test.pak", "test.pak"}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.pattern);
        std::vector<std::string> names;
        for (const Found& f : Search(c.pattern))
            names.push_back(f.name);
        EXPECT_EQ(names, c.names);
    }
}

TEST_F(PakInterfaceTest, ArchiveTimesAndTheSubfolderFlagFillTheFindData)
{
    PFindData data;
    PFindHandle* handle = p_FindFirstFile("*.ogg", &data);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(data.fileName, "tune.ogg");
    EXPECT_EQ(data.lastWriteTime, 132000000000000000ULL);
    EXPECT_EQ(data.creationTime, data.lastWriteTime);
    EXPECT_EQ(data.lastAccessTime, data.lastWriteTime);
    EXPECT_EQ(data.attributes, FindAttributeDirectory); // "*" at the top matched music\tune.ogg
    EXPECT_FALSE(p_FindNextFile(handle, &data));
    EXPECT_TRUE(p_FindClose(handle));
}
