// Runs the built zestcheck tool on small files and reads what it prints.
#include "ImageTestSupport.h"

#include "../support/ToolRun.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

using namespace imagetest;

namespace
{

std::string Tool()
{
    return zest::test::ToolPath("zestcheck");
}

// zestcheck's answer to the arguments.
zest::test::ToolRun RunTool(const std::vector<std::string>& arguments)
{
    return zest::test::RunTool(Tool(), arguments);
}

} // namespace

TEST(ZestCheckImage, PrintsSizeAndPixelChecksum)
{
    if (Tool().empty() || !std::filesystem::exists(Tool()))
        GTEST_SKIP() << "zestcheck is not built in ZEST_BIN_DIR";
    ScratchFolder folder;
    // Two pixels: opaque 0x112233 and half-transparent 0x445566.
    PngSpec spec;
    spec.width = 2;
    spec.height = 1;
    spec.colorType = PNG_COLOR_TYPE_RGBA;
    spec.rows = {{0x11, 0x22, 0x33, 0xFF, 0x44, 0x55, 0x66, 0x80}};
    std::string path = folder.Write("two.png", MakePng(spec));
    // The words 0xFF112233 and 0x80445566 written little-endian.
    const uint8_t words[] = {0x33, 0x22, 0x11, 0xFF, 0x66, 0x55, 0x44, 0x80};
    char expected[64];
    std::snprintf(expected, sizeof(expected), "2 1 %08lx\n", crc32(0, words, sizeof(words)));

    zest::test::ToolRun run = RunTool({"--image", path});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, expected);

    // With --alpha an alpha file beside it is applied.
    folder.Write("_two.png", MakePng(spec));
    run = RunTool({"--image", path, "--alpha"});
    EXPECT_EQ(run.exitCode, 0);
    const uint8_t withAlpha[] = {0x33, 0x22, 0x11, 0x33, 0x66, 0x55, 0x44, 0x66};
    std::snprintf(expected, sizeof(expected), "2 1 %08lx\n", crc32(0, withAlpha, sizeof(withAlpha)));
    EXPECT_EQ(run.out, expected);
}

TEST(ZestCheckImage, FailuresAndWrongUsage)
{
    if (Tool().empty() || !std::filesystem::exists(Tool()))
        GTEST_SKIP() << "zestcheck is not built in ZEST_BIN_DIR";
    ScratchFolder folder;
    std::string damaged = folder.Write("bad.png", Bytes(40, 0x89));
    zest::test::ToolRun run = RunTool({"--image", damaged});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "FAILED\n");
    run = RunTool({"--image", folder.Path("missing.gif")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "FAILED\n");

    EXPECT_EQ(RunTool({"--image"}).exitCode, 2);
    EXPECT_EQ(RunTool({"--no-such-command"}).exitCode, 2);
}
