// tibble-plan's script commands as a level designer runs them: --hold joins taps into holds and keeps the rest of the
// script, a bad script or gap is refused with the reason.
#include "../support/ToolRun.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace
{

namespace fs = std::filesystem;

class PlanTool : public testing::Test
{
protected:
    void SetUp() override
    {
        tool = zest::test::ToolPath("tibble-plan");
        if (!fs::exists(tool))
            GTEST_SKIP() << "tibble-plan is not built in ZEST_BIN_DIR";
        folder = fs::temp_directory_path() / ("tibble-plan-été-" + std::to_string(getpid()));
        fs::create_directories(folder);
    }
    void TearDown() override
    {
        std::error_code ignored;
        if (!folder.empty())
            fs::remove_all(folder, ignored);
    }
    std::string Write(const std::string& name, const std::string& text)
    {
        const fs::path path = folder / name;
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }
    std::string Read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::string tool;
    fs::path folder;
};

const std::string Solution = "# first-level-update 37 draws-before 0\n"
                             "3 click 320 450\n"
                             "# level 1: 300 updates, solution by tibble-plan\n"
                             "40 down 79 436\n"
                             "50 up 79 436\n"
                             "52 down 79 436\n"
                             "60 up 79 436\n"
                             "70 down 200 100\n"
                             "80 up 200 100\n"
                             "356 expect level 2\n"
                             "357 end\n";

TEST_F(PlanTool, HoldJoinsTapsOnOnePointAndKeepsTheRest)
{
    const std::string in = Write("in.play", Solution);
    const std::string out = (folder / "out.play").string();
    const zest::test::ToolRun run = zest::test::RunTool(tool, {"--hold", "2", "--out", out, in});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Read(out), "# first-level-update 37 draws-before 0\n"
                         "3 click 320 450\n"
                         "# level 1: 300 updates, solution by tibble-plan\n"
                         "40 down 79 436\n"
                         "60 up 79 436\n"
                         "70 down 200 100\n"
                         "80 up 200 100\n"
                         "356 expect level 2\n"
                         "357 end\n");
    // Without --out the script goes to standard output; a gap of 1 joins nothing here.
    const zest::test::ToolRun same = zest::test::RunTool(tool, {"--hold", "1", in});
    EXPECT_EQ(same.exitCode, 0) << same.err;
    EXPECT_EQ(same.out, Solution);
}

TEST_F(PlanTool, HoldRefusesABadScriptOrGapAndWritesNothing)
{
    struct Case
    {
        const char* name;
        std::string script;
        const char* gap;
        int exitCode;
        const char* message;
    };
    const Case cases[] = {
        {"unpaired", "# first-level-update 37 draws-before 0\n40 down 1 2\n", "2", 1, "never released"},
        {"unreadable", "# first-level-update 37 draws-before 0\n40 jump\n", "2", 1, "line 2: unknown action 'jump'"},
        {"negative gap", Solution, "-3", 2, "--hold needs a gap"},
        {"gap not a number", Solution, "two", 2, "--hold needs a gap"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const std::string in = Write("bad.play", c.script);
        const std::string out = (folder / "bad-out.play").string();
        const zest::test::ToolRun run = zest::test::RunTool(tool, {"--hold", c.gap, "--out", out, in});
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_FALSE(fs::exists(out));
    }
}

} // namespace
