// The levelc tool as the build and a level designer run it: a damaged source is refused with its line and leaves
// any earlier map untouched, a compiled map decompiles to a source that compiles to the same bytes, and a build
// names the levels it has no source for.
#include "LevelTestSupport.h"

#include "level/MapPicture.h"
#include "../support/ToolRun.h"

#include "graphics/MemoryImage.h"
#include "platform/StaleTempFiles.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace levelc::test
{
namespace
{

namespace fs = std::filesystem;

class Levelc : public testing::Test
{
protected:
    void SetUp() override
    {
        const char* bin = std::getenv("ZEST_BIN_DIR");
        tool = fs::path(bin ? bin : "") / "levelc";
        if (!bin || !fs::exists(tool))
            GTEST_SKIP() << "levelc is not built in ZEST_BIN_DIR";
        // A folder name outside ASCII, as a player's home folder may have.
        folder = fs::temp_directory_path() / ("levelc-été-" + std::to_string(getpid()));
        fs::create_directories(folder);
    }
    void TearDown() override
    {
        std::error_code ignored;
        if (!folder.empty())
            fs::remove_all(folder, ignored);
    }

    // Runs levelc with the arguments; answers its exit code and fills output with stdout and stderr.
    int Run(const std::string& arguments, std::string& output)
    {
        const std::string command = "\"" + tool.string() + "\" " + arguments + " 2>&1";
        FILE* pipe = popen(command.c_str(), "r");
        if (!pipe)
            return -1;
        output.clear();
        std::array<char, 512> buffer;
        size_t n;
        while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
            output.append(buffer.data(), n);
        const int status = pclose(pipe);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string Quoted(const fs::path& path) { return "\"" + path.string() + "\""; }

    void Write(const fs::path& path, const std::string& text)
    {
        std::ofstream file(path, std::ios::binary);
        file << text;
    }

    fs::path tool;
    fs::path folder;
};

const std::string GoodSource = "grid\n"
                               "..........\n"
                               "..........\n"
                               "..........\n"
                               "..........\n"
                               "..........\n"
                               "..........\n"
                               "..........\n"
                               "##########\n"
                               "end\n"
                               "start      at 108 256\n"
                               "hose       at 96 444 angle 45\n"
                               "purplerose tile 4 3.5 group 0\n"
                               "exit       tile 8 6\n";

TEST_F(Levelc, RefusesADamagedSourceWithItsLineAndKeepsTheEarlierMap)
{
    const fs::path source = folder / "1.lvl";
    const fs::path map = folder / "1.pmp";
    Write(map, "earlier map");
    std::string damaged = GoodSource;
    damaged.replace(damaged.find("angle 45"), 8, "angle up");
    Write(source, damaged);

    std::string output;
    EXPECT_EQ(Run("compile " + Quoted(source) + " " + Quoted(map), output), 1);
    EXPECT_NE(output.find(source.string() + ":12: error: 'angle' needs a whole number"), std::string::npos) << output;
    EXPECT_EQ(ReadFile(map.string()), "earlier map");
    for (const auto& entry : fs::directory_iterator(folder))
        EXPECT_FALSE(zest::StaleTempFiles::IsTemporaryName(entry.path().filename().string())) << entry.path();
}

TEST_F(Levelc, CompiledMapDecompilesToASourceOfTheSameBytes)
{
    const fs::path source = folder / "1.lvl";
    Write(source, GoodSource);
    std::string output;
    ASSERT_EQ(Run("compile --strict " + Quoted(source) + " " + Quoted(folder / "1.pmp"), output), 0) << output;
    ASSERT_EQ(Run("decompile " + Quoted(folder / "1.pmp") + " " + Quoted(folder / "again.lvl"), output), 0) << output;
    ASSERT_EQ(Run("compile " + Quoted(folder / "again.lvl") + " " + Quoted(folder / "again.pmp"), output), 0) << output;
    const std::string bytes = ReadFile((folder / "1.pmp").string());
    EXPECT_EQ(bytes.size(), 2u * (2 + 80 + 1 + 4 * 4));
    EXPECT_EQ(ReadFile((folder / "again.pmp").string()), bytes);
}

TEST_F(Levelc, StrictBuildRefusesWarningsAndNamesMissingLevels)
{
    const fs::path sources = folder / "levels";
    fs::create_directories(sources);
    Write(sources / "1.lvl", GoodSource);
    Write(sources / "2.lvl", GoodSource + "hive tile 2 2 group 9\n");
    std::string output;
    EXPECT_EQ(Run("build --strict " + Quoted(sources) + " " + Quoted(folder / "maps"), output), 1);
    EXPECT_TRUE(fs::exists(folder / "maps" / "1.pmp")) << output;
    EXPECT_FALSE(fs::exists(folder / "maps" / "2.pmp")) << output;
    EXPECT_NE(output.find("2.lvl:15: error: hive of group 9 is never revealed"), std::string::npos) << output;
    EXPECT_NE(output.find("no source for level 3 (maps//4.pmp)"), std::string::npos) << output;
    EXPECT_NE(output.find("no source for level 13 (maps//14.pmp)"), std::string::npos) << output;
}

TEST_F(Levelc, WrongUsageExitsWithTwo)
{
    std::string output;
    EXPECT_EQ(Run("", output), 2);
    EXPECT_EQ(Run("compile only-one-file.lvl", output), 2);
    EXPECT_EQ(Run("frobnicate", output), 2);
    EXPECT_NE(output.find("unknown command frobnicate"), std::string::npos);
    EXPECT_EQ(Run("compile " + Quoted(folder / "missing.lvl") + " " + Quoted(folder / "out.pmp"), output), 1);
    EXPECT_NE(output.find("cannot read the file"), std::string::npos) << output;
}

TEST_F(Levelc, HelpPrintsTheUsageOnStandardOutputAndSucceeds)
{
    for (const char* option : {"--help", "-h"})
    {
        SCOPED_TRACE(option);
        const zest::test::ToolRun run = zest::test::RunTool(tool.string(), {option});
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_NE(run.out.find("levelc sheet OUT.png"), std::string::npos) << run.out;
        EXPECT_EQ(run.err, "");
    }
}

TEST(MapPictureSheet, WritesEachLabelUnderItsLevel)
{
    Diagnostics diagnostics;
    std::optional<LevelSource> level = LevelSource::Parse(GoodSource, diagnostics);
    ASSERT_TRUE(level);
    const std::vector<LevelSource> levels{*level, *level};
    const int tile = 4;
    auto plain = MapPicture::Sheet(levels, tile, 2);
    auto labelled = MapPicture::Sheet(levels, tile, 2, {"1", "7"});
    ASSERT_TRUE(plain && labelled);
    EXPECT_EQ(labelled->GetWidth(), plain->GetWidth());
    EXPECT_GT(labelled->GetHeight(), plain->GetHeight());

    // The glyphs are 3 x 5 blocks of 2 x 2 pixels, 4 pixels under the level: '1' lights only the middle block of its
    // top row, '7' its whole top row and only the right block of its bottom row.
    const uint32_t* pixels = labelled->GetBits();
    const int width = labelled->GetWidth();
    const int labelTop = 8 + level->height * tile + 4;
    auto lit = [&](int x, int y) { return (pixels[y * width + x] & 0xFFFFFF) == 0xE6E6E6; };
    const int firstX = 8;
    const int secondX = 8 + level->width * tile + 8;
    EXPECT_FALSE(lit(firstX, labelTop));
    EXPECT_TRUE(lit(firstX + 2, labelTop));
    EXPECT_TRUE(lit(secondX, labelTop));
    EXPECT_FALSE(lit(secondX, labelTop + 8));
    EXPECT_TRUE(lit(secondX + 4, labelTop + 8));
}

} // namespace
} // namespace levelc::test
