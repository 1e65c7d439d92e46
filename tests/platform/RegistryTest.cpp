#include "platform/Registry.h"

#include "platform/Log.h"

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

std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    size_t at = text.find(from);
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
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

// Names and dword values of what a read found.
std::map<std::string, uint32_t> Dwords(const std::map<std::string, Registry::Value>& values)
{
    std::map<std::string, uint32_t> out;
    for (const auto& [name, value] : values)
        out[name] = value.type == Registry::ValueType::Dword ? value.dword : 0xBAD;
    return out;
}

// The files in the key's folder other than the settings file itself.
std::vector<std::string> KeptFiles(const std::string& path)
{
    std::vector<std::string> kept;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(path).parent_path()))
    {
        if (entry.path().string() != path)
            kept.push_back(entry.path().string());
    }
    return kept;
}

TEST_F(RegistryTest, DamagedFileKeepsEveryWellFormedValueAndIsKeptBesideTheRepair)
{
    Registry registry(key);
    ASSERT_TRUE(registry.WriteDword("MusicVolume", 58));
    ASSERT_TRUE(registry.WriteDword("SfxVolume", 40));
    ASSERT_TRUE(registry.WriteDword("Zoom", 2));
    std::string good = ReadText(registry.FilePath());

    struct Case
    {
        const char* what;
        std::string text;
        std::map<std::string, uint32_t> kept;
    };
    std::string garbage(600, '\0');
    for (size_t i = 0; i < garbage.size(); i++)
        garbage[i] = static_cast<char>((i * 131 + 7) & 0xFF);
    const std::map<std::string, uint32_t> all = {{"MusicVolume", 58}, {"SfxVolume", 40}, {"Zoom", 2}};
    const Case cases[] = {
        {"cut inside the last value", good.substr(0, good.find("Zoom")), {{"MusicVolume", 58}, {"SfxVolume", 40}}},
        // A number cut short reads as another number: only whole lines count.
        {"cut inside a number", good.substr(0, good.find("SfxVolume 40") + 11), {{"MusicVolume", 58}}},
        {"cut before the last line", good.substr(0, good.rfind("end")), all},
        {"garbage", garbage, {}},
        {"empty", "", {}},
        {"no header", good.substr(good.find('\n') + 1), all},
        {"wrong count", good.substr(0, good.rfind("end")) + "end 7\n", all},
        {"text after the end", good + "dword :X 1\n", {{"MusicVolume", 58}, {"SfxVolume", 40}, {"Zoom", 2}, {"X", 1}}},
        {"malformed line among good ones", Replace(good, "dword :SfxVolume 40", "dword :Bogus x"),
         {{"MusicVolume", 58}, {"Zoom", 2}}},
        {"number too large", "ZestRegistry 1\ndword :MusicVolume 4294967296\ndword :A 1\nend 2\n", {{"A", 1}}},
        {"bad escape", "ZestRegistry 1\nstring :Name :a%4\nend 1\n", {}},
        {"odd hex", "ZestRegistry 1\ndata :rTRe :ABC\nend 1\n", {}},
        {"unknown type", "ZestRegistry 1\nqword :MusicVolume 5\nend 1\n", {}},
        {"duplicate name: the first counts", "ZestRegistry 1\ndword :A 1\ndword :A 2\nend 2\n", {{"A", 1}}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(std::filesystem::path(registry.FilePath()).parent_path());
        std::filesystem::create_directories(std::filesystem::path(registry.FilePath()).parent_path());
        WriteText(registry.FilePath(), c.text);
        Registry::Contents contents = registry.Load();
        EXPECT_EQ(contents.state, Registry::FileState::Damaged);
        EXPECT_EQ(Dwords(contents.values), c.kept);
        EXPECT_EQ(Dwords(registry.ReadAll()), c.kept);

        // The next write keeps the file as found under another name, then writes the repair.
        ASSERT_TRUE(registry.WriteDword("New", 50));
        std::map<std::string, uint32_t> after = c.kept;
        after["New"] = 50;
        EXPECT_EQ(Dwords(registry.ReadAll()), after);
        EXPECT_EQ(registry.Load().state, Registry::FileState::Whole);
        std::vector<std::string> kept = KeptFiles(registry.FilePath());
        ASSERT_EQ(kept.size(), 1u);
        EXPECT_TRUE(ReadText(kept[0]) == c.text);
    }
}

TEST_F(RegistryTest, AFileThatCannotBeReadIsNeverReplacedWithoutAKeptCopy)
{
    Registry registry(key);
    ASSERT_TRUE(registry.WriteDword("A", 1));
    std::string path = registry.FilePath();

    // Too large to be settings: nothing is read, and the file is kept before it is replaced.
    {
        std::ofstream out(path, std::ios::binary | std::ios::app);
        out << std::string(Registry::MaxFileSize, '#');
    }
    EXPECT_EQ(registry.Load().state, Registry::FileState::Unreadable);
    uint32_t value = 0;
    EXPECT_FALSE(registry.ReadDword("A", value));
    ASSERT_TRUE(registry.WriteDword("B", 2));
    std::vector<std::string> kept = KeptFiles(path);
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_GT(std::filesystem::file_size(kept[0]), Registry::MaxFileSize);
    EXPECT_TRUE(registry.ReadDword("B", value));

    // Something that is no file at all cannot be kept: nothing is replaced.
    std::filesystem::remove_all(std::filesystem::path(path).parent_path());
    std::filesystem::create_directories(path);
    EXPECT_EQ(registry.Load().state, Registry::FileState::Unreadable);
    EXPECT_FALSE(registry.WriteDword("B", 3));
    EXPECT_TRUE(std::filesystem::is_directory(path));
    std::filesystem::remove_all(path);
}

TEST_F(RegistryTest, ADamagedFileIsReportedOnceHoweverOftenItIsRead)
{
    Registry registry(key);
    ASSERT_TRUE(registry.WriteDword("A", 1));
    WriteText(registry.FilePath(), "ZestRegistry 1\ndword :A 1\ndword :Bogus x\nend 2\n");
    std::vector<std::string> warnings;
    LogSink previous = SetLogSink([&](LogLevel level, const std::string& line) {
        if (level != LogLevel::Info)
            warnings.push_back(line);
    });
    for (int i = 0; i < 11; i++)
    {
        uint32_t value = 0;
        EXPECT_TRUE(Registry(key).ReadDword("A", value));
    }
    ASSERT_TRUE(registry.WriteDword("C", 3));
    // Damaged again later: that is news.
    WriteText(registry.FilePath(), "ZestRegistry 1\nrubbish\n");
    (void)registry.ReadAll();
    (void)registry.ReadAll();
    SetLogSink(previous);
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_NE(warnings[0].find(registry.FilePath()), std::string::npos) << warnings[0];
}

TEST(RegistryParse, AWholeFileReadsAsWholeAndFormatReadsBack)
{
    std::map<std::string, Registry::Value> values;
    values["A"].dword = 7;
    values["Text"].type = Registry::ValueType::String;
    values["Text"].text = "a b\nc";
    Registry::Parsed parsed = Registry::Parse(Registry::Format(values));
    EXPECT_TRUE(parsed.whole);
    EXPECT_EQ(parsed.values.size(), 2u);
    EXPECT_EQ(parsed.values["Text"].text, "a b\nc");
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
