// The thirteen level sources that ship with the game: each compiles without a warning, is taken by the game's
// loader, and comes back byte for byte from its decompiled text; together they use every object type.
#include "LevelTestSupport.h"

#include "level/LevelRules.h"
#include "level/MapFile.h"

#include "garden/LevelMap.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>

namespace levelc::test
{
namespace
{

struct Shipped
{
    std::string file;
    LevelSource level;
};

std::vector<Shipped> LoadShipped()
{
    std::vector<Shipped> levels;
    const std::vector<std::string> files = ShippedLevelFiles();
    for (size_t i = 0; i < files.size(); i++)
    {
        const std::string text = ReadFile(files[i]);
        EXPECT_FALSE(text.empty()) << files[i] << " is missing";
        Diagnostics diagnostics;
        std::optional<LevelSource> level = LevelSource::Parse(text, diagnostics);
        if (level)
        {
            LevelRules::CheckPlayable(*level, diagnostics);
            if (!diagnostics.HasErrors())
                LevelRules::CheckDesign(*level, static_cast<int>(i), diagnostics);
        }
        // The build compiles the levels in strict mode: a warning is as bad as an error.
        EXPECT_TRUE(diagnostics.Items().empty()) << diagnostics.Format(files[i]);
        if (level)
            levels.push_back({files[i], std::move(*level)});
    }
    return levels;
}

TEST(ShippedLevels, CompileCleanlyAndComeBackByteForByte)
{
    const std::vector<Shipped> levels = LoadShipped();
    ASSERT_EQ(levels.size(), 13u);
    for (const Shipped& shipped : levels)
    {
        SCOPED_TRACE(shipped.file);
        const std::vector<uint8_t> bytes = MapFile::Encode(shipped.level);
        std::string error;
        ASSERT_TRUE(tibble::LevelMap::Parse(bytes, &error)) << error;

        std::optional<LevelSource> decoded = MapFile::Decode(bytes, error);
        ASSERT_TRUE(decoded) << error;
        const std::string text = decoded->ToText();
        Parsed again = ParseText(text);
        ASSERT_TRUE(again.level) << Listing(again.diagnostics);
        EXPECT_EQ(MapFile::Encode(*again.level), bytes);
        EXPECT_EQ(again.level->ToText(), text);
    }
}

TEST(ShippedLevels, UseEveryObjectTypeAndGrow)
{
    const std::vector<Shipped> levels = LoadShipped();
    ASSERT_EQ(levels.size(), 13u);
    std::set<int> types;
    for (const Shipped& shipped : levels)
    {
        for (const SourceObject& object : shipped.level.objects)
            types.insert(object.type);
    }
    for (int type = 1; type <= 14; type++)
        EXPECT_TRUE(types.count(type)) << "no level has an object of type " << type;

    // Each level is at least as large as the one before, and the last ones span several screens both ways
    // (a screen is 10 x 7.5 tiles).
    for (size_t i = 1; i < levels.size(); i++)
    {
        SCOPED_TRACE(levels[i].file);
        EXPECT_GE(levels[i].level.width * levels[i].level.height,
                  levels[i - 1].level.width * levels[i - 1].level.height);
    }
    for (size_t i = levels.size() - 3; i < levels.size(); i++)
    {
        SCOPED_TRACE(levels[i].file);
        EXPECT_GE(levels[i].level.width, 30);
        EXPECT_GE(levels[i].level.height, 20);
    }
}

// The solution beside each level source (N.play beside N.lvl) reaches its closing expectation no earlier than the
// one before it in play: the gardens take longer as the game goes on. The end-to-end tests replay every solution to
// that expectation, which follows the completion by the same few updates on every level.
TEST(ShippedLevels, SolutionsTakeLongerFromPlayToPlay)
{
    const std::vector<std::string> files = ShippedLevelFiles();
    ASSERT_EQ(files.size(), 13u);
    int previous = 0;
    for (const std::string& file : files)
    {
        SCOPED_TRACE(file);
        const std::string solution = file.substr(0, file.rfind('.')) + ".play";
        std::istringstream lines(ReadFile(solution));
        int expectation = 0;
        std::string line;
        while (std::getline(lines, line))
        {
            std::istringstream words(line);
            int update = 0;
            std::string verb;
            if (words >> update >> verb && verb == "expect")
                expectation = update;
        }
        ASSERT_GT(expectation, 0) << solution << " has no closing expectation";
        EXPECT_GE(expectation, previous) << solution << " is shorter than the solution of the play before";
        previous = expectation;
    }
}

} // namespace
} // namespace levelc::test
