// The play harness's script reader: every action with its arguments, update order across the file, and a bad line
// named by its number (the harness then exits with code 2 before the game starts).
#include "PlayScript.h"

#include "platform/VirtualKeys.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace tibble::play
