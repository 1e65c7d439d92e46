#include "platform/Registry.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

namespace zest
{
namespace
{

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteText(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

class RegistryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // A non-ASCII key: folder names come straight from it.
        key = std::string("Zest Tests\\Registry Ünïcode ") +
              ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::remove_all(std::filesystem::path(Registry::FilePathForKey(key)).parent_path());
    }
    void TearDown() override { Registry::SetBeforeReplaceHook(nullptr); }

    std::string key;
};

TEST_F(RegistryTest, KeyBecomesFoldersUnderConfigHome)
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    ASSERT_NE(config, nullptr);
    EXPECT_EQ(Registry::FilePathForKey("Mossbank Games\\Tibble The Bee"),
              std::string(config) + "/Mossbank Games/Tibble The Bee/registry.txt");
    // Nothing outside the config folder, and no file for an empty key.
    EXPECT_EQ(Registry::FilePathForKey("..\\..\\etc"), "");
    EXPECT_EQ(Registry::FilePathForKey(""), "");
    EXPECT_EQ(Registry::FilePathForKey("\\\\"), "");
}

TEST_F(RegistryTest, ValuesRoundTripWithTheirTypes)
{
    Registry registry(key);
    std::vector<uint8_t> bytes = {0, 1, 0x7F, 0x80, 0xFF, '\n', ' ', '%'};
    ASSERT_TRUE(registry.WriteDword("Music Volume", 0xFFFFFFFFu));
    ASSERT_TRUE(registry.WriteString("Name", "two  blanks\nline\t%41 Ünï"));
    ASSERT_TRUE(registry.WriteString("Empty", ""));
    ASSERT_TRUE(registry.WriteData("rTRe", bytes.data(), bytes.size()));
    ASSERT_TRUE(registry.WriteData("NoBytes", nullptr, 0));

    Registry again(key);
    uint32_t number = 0;
    std::string text = "x";
    std::vector<uint8_t> read;
    EXPECT_TRUE(again.ReadDword("Music Volume", number));
    EXPECT_EQ(number, 0xFFFFFFFFu);
    EXPECT_TRUE(again.ReadString("Name", text));
    EXPECT_EQ(text, "two  blanks\nline\t%41 Ünï");
    EXPECT_TRUE(again.ReadString("Empty", text));
    EXPECT_EQ(text, "");
    EXPECT_TRUE(again.ReadData("rTRe", read));
    EXPECT_EQ(read, bytes);
    EXPECT_TRUE(again.ReadData("NoBytes", read));
    EXPECT_TRUE(read.empty());
}

TEST_F(RegistryTest, ReadOfAnotherTypeFailsAndLeavesTargetUnchanged)
{
    Registry registry(key);
    uint8_t raw[] = {1, 2, 3, 4};
    ASSERT_TRUE(registry.WriteString("AsText", "12"));
    ASSERT_TRUE(registry.WriteData("AsData", raw, sizeof(raw)));
    ASSERT_TRUE(registry.WriteDword("AsDword", 7));

    uint32_t number = 99;
    EXPECT_FALSE(registry.ReadDword("AsText", number));
    EXPECT_FALSE(registry.ReadDword("AsData", number));
    EXPECT_FALSE(registry.ReadDword("Missing", number));
    EXPECT_EQ(number, 99u);
    std::string text = "kept";
    EXPECT_FALSE(registry.ReadString("AsDword", text));
    EXPECT_EQ(text, "kept");
    std::vector<uint8_t> bytes = {9};
    EXPECT_FALSE(registry.ReadData("AsText", bytes));
    EXPECT_EQ(bytes, std::vector<uint8_t>{9});
}

TEST_F(RegistryTest, WritingAValueKeepsTheOthersAndEraseRemovesOne)
{
    Registry registry(key);
    ASSERT_TRUE(registry.WriteDword("A", 1));
    ASSERT_TRUE(registry.WriteDword("B", 2));
    ASSERT_TRUE(registry.WriteDword("A", 3));
    ASSERT_TRUE(registry.Erase("B"));
    EXPECT_FALSE(registry.Erase("B"));
    uint32_t value = 0;
    EXPECT_TRUE(registry.ReadDword("A", value));
    EXPECT_EQ(value, 3u);
    EXPECT_FALSE(registry.ReadDword("B", value));
}

TEST_F(RegistryTest, DamagedFileReadsAsNoValuesAndNextWriteRepairsIt)
{
    Registry registry(key);
    ASSERT_TRUE(registry.WriteDword("MusicVolume", 58));
    ASSERT_TRUE(registry.WriteDword("SfxVolume", 40));
    ASSERT_TRUE(registry.WriteString("Name", "player"));
    std::string good = ReadText(registry.FilePath());

    struct Case
    {
        const char* what;
        std::string text;
    };
    std::string garbage(600, '\0');
    for (size_t i = 0; i < garbage.size(); i++)
        garbage[i] = static_cast<char>((i * 131 + 7) & 0xFF);
    const Case cases[] = {
        {"cut in half", good.substr(0, good.size() / 2)},
        {"cut before the last line", good.substr(0, good.rfind("end"))},
        {"garbage", garbage},
        {"empty", ""},
        {"wrong count", good.substr(0, good.rfind("end")) + "end 7\n"},
        {"text after the end", good + "dword :X 1\n"},
        {"number too large", "ZestRegistry 1\ndword :MusicVolume 4294967296\nend 1\n"},
        {"bad escape", "ZestRegistry 1\nstring :Name :a%4\nend 1\n"},
        {"odd hex", "ZestRegistry 1\ndata :rTRe :ABC\nend 1\n"},
        {"unknown type", "ZestRegistry 1\nqword :MusicVolume 5\nend 1\n"},
        {"duplicate name", "ZestRegistry 1\ndword :A 1\ndword :A 2\nend 2\n"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        WriteText(registry.FilePath(), c.text);
        uint32_t value = 123;
        EXPECT_FALSE(registry.ReadDword("MusicVolume", value));
        EXPECT_EQ(value, 123u);
        EXPECT_TRUE(registry.ReadAll().empty());

        ASSERT_TRUE(registry.WriteDword("SfxVolume", 50));
        EXPECT_TRUE(registry.ReadDword("SfxVolume", value));
        EXPECT_EQ(value, 50u);
        EXPECT_EQ(registry.ReadAll().size(), 1u);
    }
}

TEST_F(RegistryTest, CrashBeforeRenameLeavesTheOldFileIntact)
{
    Registry registry(key);
    ASSERT_TRUE(registry.WriteDword("MusicVolume", 58));
    std::string before = ReadText(registry.FilePath());

    std::string leftover;
    Registry::SetBeforeReplaceHook([&](const std::string& temporary) {
        leftover = temporary;
        return false; // the process dies here
    });
    EXPECT_FALSE(registry.WriteDword("MusicVolume", 10));
    Registry::SetBeforeReplaceHook(nullptr);

    // The new data sits complete in the temporary file; the real one is untouched.
    EXPECT_TRUE(std::filesystem::exists(leftover));
    EXPECT_EQ(ReadText(registry.FilePath()), before);
    uint32_t value = 0;
    EXPECT_TRUE(registry.ReadDword("MusicVolume", value));
    EXPECT_EQ(value, 58u);

    // The next run writes over the leftover without trouble.
    ASSERT_TRUE(registry.WriteDword("MusicVolume", 10));
    EXPECT_TRUE(registry.ReadDword("MusicVolume", value));
    EXPECT_EQ(value, 10u);
}

TEST_F(RegistryTest, UnwritableFolderFailsWithoutLosingTheOldValues)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    Registry registry(key);
    ASSERT_TRUE(registry.WriteDword("A", 1));
    std::filesystem::path folder = std::filesystem::path(registry.FilePath()).parent_path();
    std::filesystem::permissions(folder, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    bool written = registry.WriteDword("A", 2);
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
    EXPECT_FALSE(written);
    uint32_t value = 0;
    EXPECT_TRUE(registry.ReadDword("A", value));
    EXPECT_EQ(value, 1u);
}

TEST_F(RegistryTest, EmptyKeyNeitherReadsNorWrites)
{
    Registry registry("");
    EXPECT_FALSE(registry.WriteDword("A", 1));
    uint32_t value = 5;
    EXPECT_FALSE(registry.ReadDword("A", value));
    EXPECT_EQ(value, 5u);
}

} // namespace
} // namespace zest
