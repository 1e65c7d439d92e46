// The play-script module: the reader (every action with its arguments, update order across the file, and a bad line
// named by its number; the harness then exits with code 2 before the game starts), the writer that the reader reads
// back, the level-start prefix's header (the shipped prefix and solutions included) and the presses of a solution.
#include "playscript/PlayScript.h"

#include "platform/VirtualKeys.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace tibble::play
{
namespace
{

TEST(PlayScript, ReadsEveryActionInUpdateOrder)
{
    std::string error;
    std::optional<PlayScript> script = ParsePlayScript("# a comment\n"
                                                       "\n"
                                                       "5 click 10 -20   # trailing comment\n"
                                                       "3 key ESCAPE\n"
                                                       "3 key 65\n"
                                                       "4 down 1 2\n"
                                                       "4 up 3 4\n"
                                                       "4 move 5 6\n"
                                                       "7 shot out/a.png\n"
                                                       "7 same a.png\n"
                                                       "8 expect screen dialog:GAME OVER\n"
                                                       "9 end\n",
                                                       error);
    ASSERT_TRUE(script) << error;
    using K = PlayAction::Kind;
    std::vector<std::pair<int, K>> got;
    for (const PlayAction& action : script->actions)
        got.emplace_back(action.update, action.kind);
    std::vector<std::pair<int, K>> wanted{{3, K::Key},   {3, K::Key},  {4, K::Down}, {4, K::Up},     {4, K::Move},
                                          {5, K::Click}, {7, K::Shot}, {7, K::Same}, {8, K::Expect}, {9, K::End}};
    EXPECT_EQ(got, wanted);
    EXPECT_EQ(script->actions[0].key, zest::VK_ESCAPE);
    EXPECT_EQ(script->actions[1].key, 'A');
    EXPECT_EQ(script->actions[5].x, 10);
    EXPECT_EQ(script->actions[5].y, -20);
    EXPECT_EQ(script->actions[5].line, 3);
    EXPECT_EQ(script->actions[6].file, "out/a.png");
    EXPECT_EQ(script->actions[8].field, "screen");
    EXPECT_EQ(script->actions[8].value, "dialog:GAME OVER");
}

TEST(PlayScript, ABadLineIsNamed)
{
    const std::pair<const char*, const char*> cases[] = {
        {"click 1 2", "line 2: bad update number 'click' (1 or more)"},
        {"0 end", "line 2: bad update number '0' (1 or more)"},
        {"5", "line 2: expected UPDATE ACTION ..."},
        {"5 jump", "line 2: unknown action 'jump'"},
        {"5 click 1", "line 2: click takes X Y"},
        {"5 click 1 y", "line 2: bad coordinates"},
        {"5 move 40000 1", "line 2: bad coordinates"},
        {"5 key NOSUCHKEY", "line 2: unknown key 'NOSUCHKEY'"},
        {"5 key 999", "line 2: unknown key '999'"},
        {"5 shot", "line 2: shot takes one file name"},
        {"5 expect screen", "line 2: expect takes FIELD VALUE"},
        {"5 expect colour red", "line 2: unknown field 'colour'"},
        {"5 end now", "line 2: end takes nothing"},
        {"5 keydown", "line 2: keydown takes one virtual key"},
        {"5 keyup NOSUCHKEY", "line 2: unknown key 'NOSUCHKEY'"},
        {"5 pad A", "line 2: pad takes BUTTON down|up or AXIS VALUE"},
        {"5 pad A pressed", "line 2: pad A takes down or up"},
        {"5 pad LEFTX 40000", "line 2: bad axis value '40000' (-32768 to 32767)"},
        {"5 pad LEFTX far", "line 2: bad axis value 'far' (-32768 to 32767)"},
        {"5 pad Z down", "line 2: unknown gamepad button or axis 'Z'"},
    };
    for (const auto& [line, message] : cases)
    {
        std::string error;
        EXPECT_FALSE(ParsePlayScript(std::string("1 move 0 0\n") + line + "\n", error)) << line;
        EXPECT_EQ(error, message) << line;
    }
}

TEST(PlayScript, KeyNames)
{
    const std::pair<const char*, int> cases[] = {{"escape", zest::VK_ESCAPE},
                                                 {"SPACE", zest::VK_SPACE},
                                                 {"Return", zest::VK_RETURN},
                                                 {"f1", zest::VK_F1},
                                                 {"F12", zest::VK_F12},
                                                 {"z", 'Z'},
                                                 {"7", 7},
                                                 {"LEFT", zest::VK_LEFT}};
    for (const auto& [name, key] : cases)
        EXPECT_EQ(KeyFromName(name), key) << name;
    for (const char* name : {"", "F0", "F25", "0x20", "ESCAPES", "-1", "255"})
        EXPECT_FALSE(KeyFromName(name)) << name;
}

TEST(PlayScript, WrittenActionsReadBackTheSame)
{
    const char* const lines[] = {
        "5 click 10 -20", "6 down 1 2",        "7 up 3 4",      "8 move 5 6",
        "9 key 27",       "10 shot out/a.png", "11 same a.png", "12 expect screen dialog:GAME OVER",
        "13 end",         "14 keydown 13",     "15 keyup 13",   "16 pad A down",
        "17 pad RB up",   "18 pad LEFTX -32768", "19 pad RT 32767"};
    for (const char* line : lines)
    {
        std::string error;
        std::optional<PlayScript> script = ParsePlayScript(line, error);
        ASSERT_TRUE(script && script->actions.size() == 1) << line << ": " << error;
        EXPECT_EQ(FormatPlayAction(script->actions[0]), line);
    }
}

TEST(PlayScript, ThePrefixHeaderIsTheExactFirstLine)
{
    struct Case
    {
        const char* text;
        std::optional<std::pair<int, int>> header;
    };
    const Case cases[] = {
        {"# first-level-update 57 draws-before 3\n10 click 300 200\n", std::pair{57, 3}},
        {"# first-level-update 37 draws-before 0", std::pair{37, 0}},
        {"# first-level-update 37 draws-before 0\r\n3 click 1 2\r\n", std::pair{37, 0}},
        {"#  first-level-update  5   draws-before 1  \n", std::pair{5, 1}},
        // Further down, the line may be a quoted piece of another script: only the first line counts.
        {"# level start\n# first-level-update 5 draws-before 0\n", std::nullopt},
        {"10 click 300 200\n# first-level-update 5 draws-before 0\n", std::nullopt},
        {"", std::nullopt},
        {"# first-level-update 0 draws-before 0\n", std::nullopt},
        {"# first-level-update 5 draws-before -1\n", std::nullopt},
        {"# first-level-update 5x draws-before 0\n", std::nullopt},
        {"# first-level-update 5 draws-before 0 later\n", std::nullopt},
        {"# first-level-update 99999999999 draws-before 0\n", std::nullopt},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.text);
        const std::optional<PrefixHeader> header = ParsePrefixHeader(c.text);
        ASSERT_EQ(header.has_value(), c.header.has_value());
        if (header)
        {
            EXPECT_EQ(header->firstLevelUpdate, c.header->first);
            EXPECT_EQ(header->drawsBefore, c.header->second);
            EXPECT_EQ(ParsePrefixHeader(FormatPrefixHeader(*header))->firstLevelUpdate, c.header->first);
        }
    }
}

TEST(PlayScript, TheShippedPrefixAndSolutionsCarryTheHeaderAndRead)
{
    const std::filesystem::path levels = std::filesystem::path(ZEST_TEST_DIR) / "../../content/levels";
    int scripts = 0;
    for (const auto& entry : std::filesystem::directory_iterator(levels))
    {
        if (entry.path().extension() != ".play")
            continue;
        SCOPED_TRACE(entry.path().string());
        std::ifstream in(entry.path(), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        const std::optional<PrefixHeader> header = ParsePrefixHeader(text.str());
        ASSERT_TRUE(header);
        std::vector<ScriptPress> presses;
        std::string error;
        EXPECT_TRUE(ReadScriptPresses(text.str(), *header, presses, error)) << error;
        EXPECT_EQ(presses.empty(), entry.path().stem() == "level-start");
        scripts++;
    }
    EXPECT_GE(scripts, 2);
}

TEST(PlayScript, ReadsThePressesOfTheLevelInLevelUpdates)
{
    const PrefixHeader prefix{37, 0};
    std::vector<ScriptPress> presses;
    std::string error;
    ASSERT_TRUE(ReadScriptPresses("3 click 320 450\n# a comment\n37 down 79 444  # first update\n127 up 79 444\n"
                                  "30 down 1 1\n31 up 1 1\n"
                                  "200 down 10 20\n201 up 10 20\n2917 expect level 2\n2918 end\n",
                                  prefix, presses, error))
        << error;
    const std::vector<ScriptPress> wanted{{1, 91, 79, 444}, {164, 165, 10, 20}};
    EXPECT_EQ(presses, wanted);
    EXPECT_EQ(FormatScriptPress(wanted[0], 37), "37 down 79 444\n127 up 79 444\n");

    // A script that does not read, or whose presses do not pair, leaves the list as it was.
    const std::pair<const char*, const char*> bad[] = {
        {"40 down 1 2\n41 down 1 2\n", "line 2: a second down before the up"},
        {"40 up 1 2\n", "line 1: an up without a down"},
        {"40 down 1\n", "line 1: down takes X Y"},
        {"40 down 1 2\n", "the last press is never released"},
    };
    for (const auto& [script, message] : bad)
    {
        SCOPED_TRACE(script);
        EXPECT_FALSE(ReadScriptPresses(script, prefix, presses, error));
        EXPECT_EQ(error, message);
        EXPECT_EQ(presses, wanted);
    }
}

} // namespace
} // namespace tibble::play
