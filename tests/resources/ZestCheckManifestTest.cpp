// Runs the built zestcheck --manifest on small manifests and reads what it prints.
#include "ImageTestSupport.h"

#include "../support/ToolRun.h"

#include <gtest/gtest.h>

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

Bytes Text(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

TEST(ZestCheckManifest, PrintsEachGroupWithItsCountOrTheErrorText)
{
    if (Tool().empty() || !std::filesystem::exists(Tool()))
        GTEST_SKIP() << "zestcheck is not built in ZEST_BIN_DIR";
    ScratchFolder folder;
    struct Case
    {
        const char* name;
        const char* xml;
        int exitCode;
        std::string output; // "FILE" stands for the manifest's path
    };
    const Case cases[] = {
        {"groups in order of first appearance",
         "<ResourceManifest>\n"
         "<Resources id=\"Init\"><Font id=\"F\" path=\"f.txt\"/><Image id=\"P\" path=\"!program\"/></Resources>\n"
         "<Resources id=\"Game\"><Image id=\"A\" path=\"a.png\"/><Sound id=\"S\" path=\"s\"/></Resources>\n"
         "<Resources id=\"Init\"><Image id=\"B\" path=\"b.png\"/></Resources>\n"
         "<Resources id=\"Empty\"/>\n"
         "</ResourceManifest>\n",
         0, "OK\nInit\t2\nGame\t2\nEmpty\t0\n"},
        {"no groups", "<ResourceManifest/>", 0, "OK\n"},
        {"a duplicate id",
         "<ResourceManifest>\n<Resources id=\"a\">\n<Image id=\"A\" path=\"a.png\"/>\n<Image id=\"A\" path=\"b.png\"/>",
         1, "Resource already defined. on Line 4 in File 'FILE'\n"},
        // Would build a frame table of two thousand million entries.
        {"a huge animation grid",
         "<ResourceManifest>\n<Resources id=\"Game\">\n"
         "<Image id=\"IMAGE_BEE\" path=\"images/bee.png\" anim=\"pingpong\" cols=\"1000000000\"/>",
         1, "Invalid cols '1000000000' (at most 1024). on Line 3 in File 'FILE'\n"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        std::string path = folder.Write("manifest.xml", Text(c.xml));
        zest::test::ToolRun run = RunTool({"--manifest", path});
        EXPECT_EQ(run.exitCode, c.exitCode);
        std::string expected = c.output;
        if (size_t at = expected.find("FILE"); at != std::string::npos)
            expected.replace(at, 4, path);
        EXPECT_EQ(run.out, expected);
    }
    zest::test::ToolRun missing = RunTool({"--manifest", folder.Path("none.xml")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.out, "Resource file not found: " + folder.Path("none.xml") + "\n");
    EXPECT_EQ(RunTool({"--manifest"}).exitCode, 2);
}

} // namespace
