// Runs the zestpak tool as a user would and checks what it prints and writes.

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>

using namespace zest;
using namespace zest::test;
namespace fs = std::filesystem;

namespace
{

std::string ToolPath()
{
    if (const char* bin = std::getenv("ZEST_BIN_DIR"))
    {
        fs::path path = fs::path(bin) / "zestpak";
        if (fs::exists(path))
            return path.string();
    }
#ifdef ZESTPAK_PATH
    return ZESTPAK_PATH;
#else
    return "zestpak";
#endif
}

std::string Quote(const std::string& text)
{
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

struct Outcome
{
    int status = -1;
    std::string out;
    std::string err;
};

class ZestPakTest : public ScratchFolderTest
{
protected:
    Outcome Run(const std::vector<std::string>& args)
    {
        std::string command = Quote(ToolPath());
        for (const std::string& arg : args)
            command += " " + Quote(arg);
        command += " >" + Quote((folder / "stdout").string()) + " 2>" + Quote((folder / "stderr").string());
        int raw = std::system(command.c_str());
        Outcome outcome;
        outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        outcome.out = ReadFile(folder / "stdout");
        outcome.err = ReadFile(folder / "stderr");
        return outcome;
    }

    // Expects exit code 1 and exactly one line on stderr that contains part.
    void ExpectFailure(const std::vector<std::string>& args, const std::string& part)
    {
        Outcome outcome = Run(args);
        EXPECT_EQ(outcome.status, 1);
        EXPECT_EQ(outcome.out, "");
        ASSERT_FALSE(outcome.err.empty());
        EXPECT_EQ(outcome.err.find('\n'), outcome.err.size() - 1) << outcome.err;
        EXPECT_NE(outcome.err.find(part), std::string::npos) << outcome.err;
    }

    void MakeSourceTree()
    {
        WriteFile(folder / "src/properties/resources.xml", "<ResourceManifest/>\n");
        WriteFile(folder / "src/images/Bee.png", std::string("\x89PNG\r\n\x1a\n\0\0\xff", 11));
        WriteFile(folder / "src/images/ui/deep/button.png", "button");
        WriteFile(folder / "src/empty.txt", "");
        WriteFile(folder / "src/sounds/bourdon né.ogg", "bzz");
        std::string big(70000, '\0');
        for (size_t i = 0; i < big.size(); ++i)
            big[i] = static_cast<char>(i * 7 + i / 256);
        WriteFile(folder / "src/music/big.bin", big);
    }
};

const std::vector<std::string> SourceNames = {
    "empty.txt",     "images/Bee.png",           "images/ui/deep/button.png",
    "music/big.bin", "properties/resources.xml", "sounds/bourdon né.ogg",
};

} // namespace

TEST_F(ZestPakTest, RoundTripGivesBackEveryByte)
{
    MakeSourceTree();
    Outcome created = Run({"create", "data.pak", "src"});
    ASSERT_EQ(created.status, 0) << created.err;
    EXPECT_EQ(created.err, "");

    Outcome listed = Run({"list", "data.pak"});
    ASSERT_EQ(listed.status, 0) << listed.err;
    std::string expected;
    for (const std::string& name : SourceNames)
    {
        std::string stored = name;
        std::replace(stored.begin(), stored.end(), '/', '\\');
        expected += std::to_string(fs::file_size(folder / "src" / name)) + "\t" + stored + "\n";
    }
    EXPECT_EQ(listed.out, expected);

    for (const std::string& name : SourceNames)
    {
        SCOPED_TRACE(name);
        Outcome cat = Run({"cat", "data.pak", name});
        EXPECT_EQ(cat.status, 0) << cat.err;
        EXPECT_EQ(cat.out, ReadFile(folder / "src" / name));
    }
    // Found as the game finds it.
    EXPECT_EQ(Run({"cat", "data.pak", "IMAGES\\UI\\DEEP\\BUTTON.PNG"}).out, "button");

    Outcome extracted = Run({"extract", "data.pak", "out/here"});
    ASSERT_EQ(extracted.status, 0) << extracted.err;
    for (const std::string& name : SourceNames)
    {
        SCOPED_TRACE(name);
        ASSERT_TRUE(fs::is_regular_file(folder / "out/here" / name));
        EXPECT_EQ(ReadFile(folder / "out/here" / name), ReadFile(folder / "src" / name));
        // Times travel with the files (to the 100 ns the archive keeps).
        auto source = fs::last_write_time(folder / "src" / name).time_since_epoch();
        auto copy = fs::last_write_time(folder / "out/here" / name).time_since_epoch();
        EXPECT_LT(std::chrono::abs(source - copy), std::chrono::microseconds(1));
    }
    size_t count = 0;
    for (auto it = fs::recursive_directory_iterator(folder / "out/here"); it != fs::recursive_directory_iterator();
         ++it)
        count += it->is_regular_file() ? 1 : 0;
    EXPECT_EQ(count, SourceNames.size());
}

// With SOURCE_DATE_EPOCH, the same files pack into the same bytes whenever they were last written; a value that is
// not a count of seconds is refused.
TEST_F(ZestPakTest, SourceDateEpochMakesArchivesReproducible)
{
    MakeSourceTree();
    setenv("SOURCE_DATE_EPOCH", "1700000000", 1);
    ASSERT_EQ(Run({"create", "first.pak", "src"}).status, 0);
    for (const std::string& name : SourceNames)
        fs::last_write_time(folder / "src" / name, fs::file_time_type::clock::now() + std::chrono::hours(1));
    ASSERT_EQ(Run({"create", "second.pak", "src"}).status, 0);
    EXPECT_EQ(ReadFile(folder / "first.pak"), ReadFile(folder / "second.pak"));

    setenv("SOURCE_DATE_EPOCH", "yesterday", 1);
    ExpectFailure({"create", "third.pak", "src"}, "SOURCE_DATE_EPOCH is not a count of seconds");
    EXPECT_FALSE(fs::exists(folder / "third.pak"));
    unsetenv("SOURCE_DATE_EPOCH");
    ASSERT_EQ(Run({"create", "third.pak", "src"}).status, 0);
    EXPECT_NE(ReadFile(folder / "first.pak"), ReadFile(folder / "third.pak")) << "without it, the files' own times";
}

TEST_F(ZestPakTest, ArchiveInsideItsOwnFolderDoesNotPackItself)
{
    WriteFile(folder / "src/a.txt", "a");
    ASSERT_EQ(Run({"create", "src/main.pak", "src"}).status, 0);
    ASSERT_EQ(Run({"create", "src/main.pak", "src"}).status, 0); // again, with the archive present
    EXPECT_EQ(Run({"list", "src/main.pak"}).out, "1\ta.txt\n");
}

TEST_F(ZestPakTest, EmptyFolderMakesAnEmptyArchive)
{
    fs::create_directory(folder / "nothing");
    ASSERT_EQ(Run({"create", "none.pak", "nothing"}).status, 0);
    EXPECT_EQ(fs::file_size(folder / "none.pak"), 9u);
    Outcome listed = Run({"list", "none.pak"});
    EXPECT_EQ(listed.status, 0);
    EXPECT_EQ(listed.out, "");
}

TEST_F(ZestPakTest, ErrorsPrintOneLineAndExitWithOne)
{
    WriteFile(folder / "good.pak", MakeArchive({{"a.txt", "hello"}}));
    WriteFile(folder / "foreign.pak", std::string("PK\x03\x04 something else"));
    std::vector<uint8_t> version = MakeArchive({});
    version[4] ^= 2;
    WriteFile(folder / "version.pak", version);
    std::vector<uint8_t> truncated = MakeArchive({{"a.txt", ""}});
    truncated.resize(truncated.size() - 5);
    WriteFile(folder / "truncated.pak", truncated);
    std::vector<uint8_t> beyond = MakeArchive({{"a.txt", "hello"}});
    beyond.resize(beyond.size() - 1);
    WriteFile(folder / "beyond.pak", beyond);
    fs::create_directory(folder / "folder");

    struct Case
    {
        std::vector<std::string> args;
        const char* part;
    } cases[] = {
        {{"list", "missing.pak"}, "missing.pak: cannot open"},
        {{"list", "foreign.pak"}, "foreign magic"},
        {{"list", "version.pak"}, "version 2"},
        {{"list", "truncated.pak"}, "truncated directory"},
        {{"list", "beyond.pak"}, "beyond the end"},
        {{"list", "folder"}, "not a regular file"},
        {{"cat", "beyond.pak", "a.txt"}, "beyond the end"},
        {{"extract", "foreign.pak", "out"}, "foreign magic"},
        {{"cat", "good.pak", "b.txt"}, "b.txt: not found"},
        {{"create", "x.pak", "missing"}, "missing: not a folder"},
        {{"create", "folder", "folder"}, "folder"},
        {{}, "usage"},
        {{"list"}, "usage"},
        {{"pack", "a", "b"}, "usage"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.args.empty() ? "(no arguments)" : c.args[0] + " " + (c.args.size() > 1 ? c.args[1] : ""));
        ExpectFailure(c.args, c.part);
    }
    EXPECT_FALSE(fs::exists(folder / "out")) << "a failed extract writes nothing";
}

TEST_F(ZestPakTest, ExtractRefusesNamesThatEscapeTheFolder)
{
    struct Case
    {
        const char* name;
        const char* reason;
    } cases[] = {
        {"..\\evil.txt", "leads out"},    {"a/../../evil.txt", "leads out"},
        {"a\\..", "leads out"},           {"/tmp/evil.txt", "absolute"},
        {"\\evil.txt", "absolute"},       {"C:\\evil.txt", "drive letter"},
        {"c:evil.txt", "drive letter"},   {"", "empty name"},
        {"folder\\", "name of a folder"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        WriteFile(folder / "evil.pak", MakeArchive({{"fine.txt", "ok"}, {c.name, "evil"}}));
        ExpectFailure({"extract", "evil.pak", "out"}, c.reason);
        EXPECT_FALSE(fs::exists(folder / "out/fine.txt")) << "nothing is written";
        EXPECT_FALSE(fs::exists(folder / "evil.txt"));
    }
    // Names that merely contain dots are fine.
    WriteFile(folder / "dots.pak", MakeArchive({{"a..b\\..c", "dots"}, {".\\x", "dot"}}));
    Outcome outcome = Run({"extract", "dots.pak", "out"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(ReadFile(folder / "out/a..b/..c"), "dots");
    EXPECT_EQ(ReadFile(folder / "out/x"), "dot");
}

TEST_F(ZestPakTest, ExtractDoesNotWriteThroughLinks)
{
    fs::create_directories(folder / "out");
    fs::create_directories(folder / "elsewhere");
    fs::create_directory_symlink(folder / "elsewhere", folder / "out/images");
    WriteFile(folder / "a.pak", MakeArchive({{"images\\x.png", "x"}}));
    ExpectFailure({"extract", "a.pak", "out"}, "symbolic link");
    EXPECT_FALSE(fs::exists(folder / "elsewhere/x.png"));
}
