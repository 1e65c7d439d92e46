// The command-line contract of tibble-sim.
#include "SimTestSupport.h"

#include "garden/MapObject.h"

#include <gtest/gtest.h>

namespace tibble::sim::test
{
namespace
{

std::vector<uint8_t> FallingLevel()
{
    return MapBuilder(10, 8).AddAt(TypeStartTrumpet, 3, 5).AddAt(TypeMiniFlower, 9, 0).Bytes();
}

std::string MapFile(const std::string& name, const std::vector<uint8_t>& bytes)
{
    const std::string path = ScratchPath(name);
    WriteBytes(path, bytes);
    return path;
}

std::string ScriptFile(const std::string& name, const std::string& text)
{
    const std::string path = ScratchPath(name);
    WriteText(path, text);
    return path;
}

TEST(SimTool, PrintsTheSameTraceAsTheLibraryAndStopsAtTheEnd)
{
    const std::string script = "10 move 100 100\n20 down 100 100\n30 up 100 100\n900 end\n";
    const ToolResult result = RunTool({"--data", DataFolderPath(), "--seed", "7", MapFile("fall.pmp", FallingLevel()),
                                       ScriptFile("fall.txt", script)});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(CompareTraces(TraceOf(FallingLevel(), script, SimRun::DrawMode::NoPixels, 0, 7), result.out, 0), "");
    const size_t lastLine = result.out.rfind('\n', result.out.size() - 2);
    EXPECT_EQ(result.out.substr(lastLine + 1, 4), "900 ") << "stops after the end update";
    EXPECT_NE(result.out.find("# lifelost "), std::string::npos);
}

TEST(SimTool, ReadsTheScriptFromStandardInputForADash)
{
    const std::string input = ScriptFile("stdin.txt", "# only an end\n3 end\n");
    const ToolResult result = RunTool({"--data", DataFolderPath(), MapFile("stdin.pmp", FallingLevel()), "-"}, input);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out.substr(0, 2), "1 ");
    EXPECT_NE(result.out.find("\n3 "), std::string::npos);
    EXPECT_EQ(result.out.find("\n4 "), std::string::npos);
}

TEST(SimTool, StopsAtTheUpdateThatCompletesTheLevelOrEndsTheGame)
{
    struct Case
    {
        const char* name;
        std::vector<uint8_t> map;
        const char* event;
    };
    const Case cases[] = {
        // Three lives and a fourth fall.
        {"gameover.pmp", FallingLevel(), "# gameover "},
        // Feeding fills the bar, which opens the exit trumpet on the bee's way down.
        {"completed.pmp",
         MapBuilder(10, 8)
             .AddAt(TypeStartTrumpet, 3, 1)
             .AddAt(TypePurpleRose, 3, 4)
             .Add(TypeTrumpet, 282, 360, 1)
             .Bytes(),
         "# completed "},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const ToolResult result = RunTool(
            {"--data", DataFolderPath(), MapFile(c.name, c.map), ScriptFile("no-end.txt", "1 move 0 0\n50000 end\n")});
        EXPECT_EQ(result.exitCode, 0) << result.err;
        const size_t event = result.out.find(c.event);
        ASSERT_NE(event, std::string::npos);
        EXPECT_EQ(result.out.find('\n', event), result.out.size() - 1) << "the event line is the last";
        const std::string update = result.out.substr(event + std::string(c.event).size());
        EXPECT_NE(result.out.find("\n" + update.substr(0, update.size() - 1) + " "), std::string::npos)
            << "the event follows its update's line";
    }
}

std::vector<uint8_t> Text(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

TEST(SimTool, RejectsABadLevelFileWithItsReason)
{
    struct Case
    {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* message;
    };
    const Case cases[] = {
        {"nostart.pmp", MapBuilder(10, 8).AddAt(TypeMiniFlower, 3, 4).Bytes(), "no start trumpet"},
        {"tiny.pmp", MapBuilder(4, 4).AddAt(TypeStartTrumpet, 1, 1).Bytes(), "smaller than"},
        {"empty.pmp", {}, "smaller than"},
        // A level source given where a compiled map belongs, by its name or by its text.
        {"garden.lvl", Text("size 12 9\ngrid\n"), "a level source, not a compiled map; compile it first"},
        {"garden.pmp", Text("# a garden\nsize 12 9\n"), "a level source, not a compiled map; compile it first"},
    };
    const std::string script = ScriptFile("ok.txt", "5 end\n");
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const ToolResult result = RunTool({"--data", DataFolderPath(), MapFile(c.name, c.bytes), script});
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_EQ(result.out, "");
    }
    const ToolResult missing = RunTool({"--data", DataFolderPath(), ScratchPath("no-such.pmp"), script});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("cannot be read"), std::string::npos) << missing.err;
}

TEST(SimTool, RejectsABadScriptLineByItsNumber)
{
    const ToolResult result = RunTool({"--data", DataFolderPath(), MapFile("script.pmp", FallingLevel()),
                                       ScriptFile("bad.txt", "# fine\n2 down 10 10\n3 press 10 10\n9 end\n")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("line 3"), std::string::npos) << result.err;
    EXPECT_EQ(result.out, "");
}

TEST(SimTool, WritesShotsAsPngAfterTheirUpdate)
{
    const std::string first = ScratchPath("shot-5.png");
    const std::string second = ScratchPath("shot-9.png");
    const ToolResult result = RunTool({"--data", DataFolderPath(), "--shot", "9", second, "--shot", "5", first,
                                       MapFile("shot.pmp", FallingLevel()), ScriptFile("shot.txt", "10 end\n")});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    for (const std::string& path : {first, second})
    {
        const std::string png = ReadText(path);
        ASSERT_GT(png.size(), 24u) << path;
        EXPECT_EQ(png.substr(1, 3), "PNG");
        // IHDR: width and height, big-endian, right after the chunk header.
        EXPECT_EQ(png.substr(16, 8), std::string("\0\0\x02\x80\0\0\x01\xE0", 8)) << "640 x 480";
    }

    // A shot the run never reaches is a failure, not silence.
    const ToolResult late = RunTool({"--data", DataFolderPath(), "--shot", "50", ScratchPath("late.png"),
                                     MapFile("late.pmp", FallingLevel()), ScriptFile("late.txt", "10 end\n")});
    EXPECT_EQ(late.exitCode, 1);
    EXPECT_NE(late.err.find("late.png"), std::string::npos) << late.err;
}

TEST(SimTool, AnswersUsageErrorsWithTheUsage)
{
    const std::string map = MapFile("usage.pmp", FallingLevel());
    const std::string script = ScriptFile("usage.txt", "1 end\n");
    const std::vector<std::vector<std::string>> cases = {
        {map},
        {"--seed", "x", map, script},
        {"--level-index", "13", map, script},
        {"--shot", "0", "a.png", map, script},
        {"--frobnicate", map, script},
        {map, script, "extra"},
    };
    for (const auto& arguments : cases)
    {
        const ToolResult result = RunTool(arguments);
        EXPECT_EQ(result.exitCode, 2) << arguments[0];
        EXPECT_NE(result.err.find("usage: tibble-sim"), std::string::npos) << result.err;
    }
}

} // namespace
} // namespace tibble::sim::test
