#include "files/DiskFile.h"

#include "TestFiles.h"
#include "files/PakFile.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace zest;
using namespace zest::test;

namespace
{

class DiskFileTest : public ScratchFolderTest
{
protected:
    std::string ReadWhole(const char* name, const char* mode = "rb")
    {
        PFilePtr file(p_fopen(name, mode));
        if (!file)
            return "<missing>";
        return ReadRest(file.get());
    }
};

} // namespace

TEST_F(DiskFileTest, WindowsNamesFindFilesWhateverTheirCase)
{
    WriteFile(folder / "Images/Sub/Bee.png", "bee");
    WriteFile(folder / "données/Été.txt", "summer");
    // No archive is mounted: everything comes from the disk.
    ASSERT_EQ(ActivePakInterface(), nullptr);
    for (const char* name : {"Images/Sub/Bee.png", "images\\sub\\bee.png", "IMAGES\\SUB\\BEE.PNG",
                             "./images//sub/Bee.png", "images/other/../sub/bee.png"})
    {
        SCOPED_TRACE(name);
        EXPECT_EQ(ReadWhole(name), "bee");
    }
    EXPECT_EQ(ReadWhole("DONNéES\\Été.TXT"), "summer"); // ASCII letters fold, others must match
    EXPECT_EQ(ReadWhole((folder / "IMAGES/sub/BEE.png").c_str()), "bee");
    EXPECT_EQ(ReadWhole("images/sub/wasp.png"), "<missing>");
}

TEST_F(DiskFileTest, DiskPathKeepsWhatCannotBeFound)
{
    WriteFile(folder / "Images/Bee.png", "bee");
    EXPECT_EQ(DiskPath("images\\bee.png"), "Images/Bee.png");
    EXPECT_EQ(DiskPath("IMAGES\\New\\x.png"), "Images/New/x.png");
    EXPECT_EQ(DiskPath("Images/Bee.png"), "Images/Bee.png");
    EXPECT_EQ(DiskPath("nowhere\\a"), "nowhere/a");
    EXPECT_EQ(DiskPath(""), "");
}

TEST_F(DiskFileTest, AmbiguousCaseResolvesToTheFirstNameInByteOrder)
{
    WriteFile(folder / "b.txt", "lower");
    WriteFile(folder / "B.TXT", "upper");
    WriteFile(folder / "b.TXT", "mixed");
    EXPECT_EQ(ReadWhole("b.txt"), "lower"); // the exact name wins
    EXPECT_EQ(ReadWhole("B.txt"), "upper"); // "B.TXT" < "b.TXT" < "b.txt"
}

TEST_F(DiskFileTest, FoldersAndOtherNonRegularFilesDoNotOpen)
{
    std::filesystem::create_directory(folder / "images");
    ASSERT_EQ(mkfifo((folder / "pipe").c_str(), 0600), 0);
    for (const char* mode : {"r", "rb", "r+", "w", "a"})
    {
        SCOPED_TRACE(mode);
        EXPECT_EQ(p_fopen("images", mode), nullptr);
        EXPECT_EQ(p_fopen("IMAGES\\", mode), nullptr);
        EXPECT_EQ(p_fopen("/dev/null", mode), nullptr);
    }
    // Refused without blocking until a writer comes.
    EXPECT_EQ(p_fopen("pipe", "rb"), nullptr);
    EXPECT_EQ(p_fopen("nothing", "rb"), nullptr);
    EXPECT_EQ(p_fopen("nothing", "q"), nullptr);
    EXPECT_EQ(p_fopen("nothing", ""), nullptr);
}

TEST_F(DiskFileTest, DiskFilesBehaveLikeArchivedOnes)
{
    WriteFile(folder / "lines.txt", "ab\r\nc");
    PFilePtr file(p_fopen("lines.txt", "rt"));
    ASSERT_TRUE(file);
    char line[16];
    ASSERT_EQ(p_fgets(line, sizeof(line), file.get()), line);
    EXPECT_STREQ(line, "ab\n");
    EXPECT_FALSE(p_feof(file.get()));
    ASSERT_EQ(p_fgets(line, sizeof(line), file.get()), line);
    EXPECT_STREQ(line, "c");
    // At the end as soon as the last byte is read, as in the archive.
    EXPECT_TRUE(p_feof(file.get()));
    EXPECT_EQ(p_fgets(line, sizeof(line), file.get()), nullptr);

    struct Step
    {
        long offset;
        int origin;
        long expected;
    } steps[] = {
        {0, SEEK_END, 5},   {-100, SEEK_SET, 0}, {2, SEEK_CUR, 2},
        {100, SEEK_CUR, 5}, {-1, SEEK_END, 4},   {LONG_MIN, SEEK_CUR, 0},
    };
    for (const Step& step : steps)
    {
        SCOPED_TRACE(::testing::Message() << step.offset << " from " << step.origin);
        EXPECT_EQ(p_fseek(file.get(), step.offset, step.origin), 0);
        EXPECT_EQ(p_ftell(file.get()), step.expected);
    }

    // Several steps back work (ungetc(3) promises only one).
    p_fseek(file.get(), 2, SEEK_SET);
    p_ungetc('x', file.get());
    p_ungetc('y', file.get());
    p_ungetc('z', file.get());
    EXPECT_EQ(p_ftell(file.get()), 0);
    EXPECT_EQ(p_fgetc(file.get()), 'a');
}

TEST_F(DiskFileTest, BinaryModeKeepsCarriageReturns)
{
    WriteFile(folder / "raw.bin", "a\rb");
    PFilePtr file(p_fopen("raw.bin", "rb"));
    ASSERT_TRUE(file);
    EXPECT_EQ(p_fgetc(file.get()), 'a');
    EXPECT_EQ(p_fgetc(file.get()), '\r');
    EXPECT_EQ(p_fgetc(file.get()), 'b');
    EXPECT_EQ(p_fgetc(file.get()), -1);
}

TEST_F(DiskFileTest, WritingGoesThroughResolvedFolders)
{
    std::filesystem::create_directory(folder / "Cached");
    {
        PFilePtr out(p_fopen("cached\\New.wav", "wb"));
        ASSERT_TRUE(out);
        std::fputs("data", out->diskFile);
    }
    EXPECT_EQ(ReadFile(folder / "Cached/New.wav"), "data");
    // A folder that does not exist is not made.
    EXPECT_EQ(p_fopen("missing\\x.wav", "wb"), nullptr);
}

TEST_F(DiskFileTest, SearchWithoutAnArchiveReadsTheDisk)
{
    WriteFile(folder / "Maps/1.pmp", "one");
    WriteFile(folder / "Maps/2.PMP", "two");
    WriteFile(folder / "Maps/readme", "r");
    std::filesystem::create_directory(folder / "Maps/old");
    PFindData data;
    PFindHandle* handle = p_FindFirstFile("maps\\*.pmp", &data);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(data.fileName, "1.pmp");
    EXPECT_EQ(data.size, 3u);
    EXPECT_NE(data.lastWriteTime, 0u);
    ASSERT_TRUE(p_FindNextFile(handle, &data));
    EXPECT_EQ(data.fileName, "2.PMP");
    EXPECT_FALSE(p_FindNextFile(handle, &data));
    EXPECT_TRUE(p_FindClose(handle));
    EXPECT_EQ(p_FindFirstFile("maps\\*.ogg", &data), nullptr);
    EXPECT_EQ(p_FindFirstFile("nowhere\\*", &data), nullptr);
}

TEST(DiskFile, WildcardsMatchAsOnWindows)
{
    struct Case
    {
        const char* pattern;
        const char* name;
        bool matches;
    } cases[] = {
        {"*", "anything", true},
        {"*.*", "noext", true},
        {"*.*", "a.b", true},
        {"*.png", "BEE.PNG", true},
        {"*.png", "bee.png.bak", false},
        {"b?e.png", "bee.png", true},
        {"b?e.png", "be.png", false},
        {"bee.*", "bee", true},
        {"bee.*", "beet", false},
        {"a*b*c", "aXbYc", true},
        {"a*b*c", "aXbY", false},
        {"", "", true},
        {"x", "", false},
        {"*x", "xxx", true},
        {"déjà", "DéJà", true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(::testing::Message() << c.pattern << " / " << c.name);
        EXPECT_EQ(MatchesWildcard(c.pattern, c.name), c.matches);
    }
}
