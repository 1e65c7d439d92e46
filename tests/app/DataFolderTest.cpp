// Finding the data from the program's own folder: the build layout (data beside the program), the
// installed layout (data under ../share/...) and the fallbacks when neither holds it.
#include "app/DataFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace zest::test
{
namespace
{

namespace fs = std::filesystem;

class DataFolderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // A non-ASCII folder name, as a user's home may have.
        root = fs::temp_directory_path() /
               ("zest-datafolder-\xC3\xA9t\xC3\xA9-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(root);
        fs::create_directories(root);
    }
    void TearDown() override { fs::remove_all(root); }

    void Touch(const std::string& relative)
    {
        const fs::path path = root / relative;
        fs::create_directories(path.parent_path());
        std::ofstream(path) << "x";
    }
    std::string At(const std::string& relative) const { return (root / relative).string(); }

    fs::path root;
};

TEST_F(DataFolderTest, ChoosesTheFolderThatHoldsTheData)
{
    struct Case
    {
        const char* name;
        std::vector<std::string> files; // made under the root; a name ending in '/' is a folder
        const char* program;
        const char* installed;
        const char* expected;
    };
    const Case cases[] = {
        {"build folder: main.pak beside the program", {"bin/main.pak", "share/games/tibble/main.pak"}, "bin",
         "../share/games/tibble", "bin"},
        {"build folder without an archive: the loose manifest", {"bin/properties/resources.xml"}, "bin",
         "../share/games/tibble", "bin"},
        {"installed in games/", {"share/games/tibble/main.pak"}, "games", "../share/games/tibble",
         "share/games/tibble"},
        {"installed, loose data only", {"share/games/tibble/properties/resources.xml"}, "bin",
         "../share/games/tibble", "share/games/tibble"},
        {"no data anywhere: the program folder", {"games/tibble"}, "games", "../share/games/tibble", "games"},
        {"a folder called main.pak is not an archive", {"games/main.pak/", "share/games/tibble/main.pak"}, "games",
         "../share/games/tibble", "share/games/tibble"},
        {"an empty manifest folder is not data", {"games/properties/", "share/x/properties/resources.xml/"}, "games",
         "../share/x", "games"},
        {"no installed path given", {"share/games/tibble/main.pak"}, "games", "", "games"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        fs::remove_all(root);
        fs::create_directories(root / c.program);
        for (const std::string& file : c.files)
        {
            if (file.back() == '/')
                fs::create_directories(root / file);
            else
                Touch(file);
        }
        EXPECT_EQ(FindDataFolder(At(c.program), c.installed), At(c.expected));
    }
}

TEST_F(DataFolderTest, EmptyProgramFolderStaysEmpty)
{
    Touch("main.pak");
    EXPECT_EQ(FindDataFolder("", "."), "");
    EXPECT_FALSE(HoldsGameData(""));
}

TEST_F(DataFolderTest, ExecutableFolderHoldsThisTest)
{
    const std::string folder = ExecutableFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_TRUE(fs::is_directory(folder));
}

} // namespace
} // namespace zest::test
