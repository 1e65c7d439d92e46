// What the editor's Open and Save As dialogs list and what a typed name stands for, over a real folder (with a
// non-ASCII name) and no window.
#include "FileChooser.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;
using tibble::edit::FileChooser;

namespace
{

// A folder "Gärten" with levels of mixed case, other files, hidden ones, folders and a dangling link.
class FileChooserTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/file-chooser-XXXXXX";
        top = mkdtemp(pattern);
        folder = top / "G\xc3\xa4rten";
        fs::create_directories(folder / "sub");
        fs::create_directories(folder / "Zeta");
        fs::create_directories(folder / ".git");
        fs::create_directories(folder / "folder.lvl");
        for (const char* name : {"b.lvl", "A.lvl", "c.LVL", "notes.txt", "map.pmp", ".hidden.lvl", "sub/deep.lvl",
                                 "\xc3\xa9t\xc3\xa9.lvl"})
            std::ofstream(folder / name) << "size 10 8\n";
        fs::create_symlink(folder / "nowhere.lvl", folder / "gone.lvl");
        oldHome = std::getenv("HOME") ? std::getenv("HOME") : "";
        setenv("HOME", (folder / "sub").c_str(), 1);
    }
    void TearDown() override
    {
        setenv("HOME", oldHome.c_str(), 1);
        std::error_code code;
        fs::remove_all(top, code);
    }

    static std::vector<std::string> Names(const FileChooser& chooser)
    {
        std::vector<std::string> names;
        for (const FileChooser::Entry& entry : chooser.Entries())
            names.push_back(entry.name + (entry.folder ? "/" : ""));
        return names;
    }

    fs::path top;
    fs::path folder;
    std::string oldHome;
};

TEST_F(FileChooserTest, ListsTheWayUpThenFoldersThenLevelSourcesByName)
{
    FileChooser chooser(FileChooser::Mode::Open);
    std::string error;
    // A trailing separator and a detour through ".." name the same folder.
    ASSERT_TRUE(chooser.SetFolder((folder / "sub" / ".." / "").string(), error)) << error;
    EXPECT_EQ(chooser.Folder(), folder.string());
    // Hidden entries, other files, maps and the dangling link are left out; case does not split the order.
    const std::vector<std::string> expected = {"../",  "folder.lvl/", "sub/", "Zeta/",
                                               "A.lvl", "b.lvl",      "c.LVL", "\xc3\xa9t\xc3\xa9.lvl"};
    EXPECT_EQ(Names(chooser), expected);

    ASSERT_TRUE(chooser.SetFolder("/", error)) << error;
    ASSERT_FALSE(chooser.Entries().empty());
    EXPECT_NE(chooser.Entries()[0].name, "..") << "the root has no way up";
}

TEST_F(FileChooserTest, FoldersThatCannotBeShownLeaveTheListAsItWas)
{
    FileChooser chooser(FileChooser::Mode::SaveAs);
    std::string error;
    ASSERT_TRUE(chooser.SetFolder(folder.string(), error));
    const std::vector<std::string> before = Names(chooser);
    for (const fs::path& bad : {folder / "missing", folder / "A.lvl", folder / "gone.lvl"})
    {
        SCOPED_TRACE(bad.string());
        error.clear();
        EXPECT_FALSE(chooser.SetFolder(bad.string(), error));
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(chooser.Folder(), folder.string());
        EXPECT_EQ(Names(chooser), before);
    }
}

TEST_F(FileChooserTest, EnterGoesIntoFoldersAndUpButNotIntoFiles)
{
    FileChooser chooser(FileChooser::Mode::Open);
    std::string error;
    ASSERT_TRUE(chooser.SetFolder(folder.string(), error));
    EXPECT_FALSE(chooser.Enter(4, error)); // A.lvl
    EXPECT_TRUE(error.empty());
    EXPECT_FALSE(chooser.Enter(-1, error));
    EXPECT_FALSE(chooser.Enter(99, error));
    EXPECT_EQ(chooser.Folder(), folder.string());

    ASSERT_TRUE(chooser.Enter(2, error)) << error; // sub/
    EXPECT_EQ(chooser.Folder(), (folder / "sub").string());
    EXPECT_EQ(Names(chooser), (std::vector<std::string>{"../", "deep.lvl"}));
    ASSERT_TRUE(chooser.Enter(0, error)) << error; // ..
    EXPECT_EQ(chooser.Folder(), folder.string());
}

TEST_F(FileChooserTest, TypedNamesStandForFilesAndFoldersOrAreRefusedWithAReason)
{
    using Kind = FileChooser::Choice::Kind;
    struct Case
    {
        FileChooser::Mode mode;
        const char* typed;
        Kind kind;
        fs::path path;      // expected, for files and folders
        bool exists;        // files
        const char* reason; // part of the message, for refusals
    };
    const std::string absolute = (folder / "Zeta" / "z").string();
    const auto Open = FileChooser::Mode::Open;
    const auto Save = FileChooser::Mode::SaveAs;
    const Case cases[] = {
        // Save As: .lvl added to a bare name, kept in any case, every other extension refused.
        {Save, "new", Kind::File, folder / "new.lvl", false, ""},
        {Save, "  new.lvl  ", Kind::File, folder / "new.lvl", false, ""},
        {Save, "A", Kind::File, folder / "A.lvl", true, ""},
        {Save, "c.LVL", Kind::File, folder / "c.LVL", true, ""},
        {Save, "\xc3\xa9t\xc3\xa9", Kind::File, folder / "\xc3\xa9t\xc3\xa9.lvl", true, ""},
        {Save, "level.txt", Kind::Refused, "", false, "level.lvl"},
        {Save, "map.pmp", Kind::Refused, "", false, ".lvl file"},
        {Save, ".secret", Kind::Refused, "", false, "hidden"},
        {Save, "", Kind::Refused, "", false, "type a name"},
        {Save, "   ", Kind::Refused, "", false, "type a name"},
        {Save, "missing/x.lvl", Kind::Refused, "", false, "no such folder"},
        {Save, "sub/deep", Kind::File, folder / "sub" / "deep.lvl", true, ""},
        {Save, "../up", Kind::File, folder.parent_path() / "up.lvl", false, ""},
        {Save, "~/home", Kind::File, folder / "sub" / "home.lvl", false, ""},
        {Save, absolute.c_str(), Kind::File, folder / "Zeta" / "z.lvl", false, ""},
        // Folders are shown, whatever their name; a separator at the end must name one.
        {Save, "sub", Kind::Folder, folder / "sub", false, ""},
        {Save, "folder.lvl", Kind::Folder, folder / "folder.lvl", false, ""},
        {Save, "missing/", Kind::Refused, "", false, "no such folder"},
        {Open, "sub/", Kind::Folder, folder / "sub", false, ""},
        {Open, "~", Kind::Folder, folder / "sub", false, ""},
        {Open, "..", Kind::Folder, folder.parent_path(), false, ""},
        // Open: existing sources and maps; a bare name finds NAME.lvl.
        {Open, "b.lvl", Kind::File, folder / "b.lvl", true, ""},
        {Open, "b", Kind::File, folder / "b.lvl", true, ""},
        {Open, "map.pmp", Kind::File, folder / "map.pmp", true, ""},
        {Open, "new.lvl", Kind::Refused, "", false, "no such file"},
        {Open, "new", Kind::Refused, "", false, "no such file: new.lvl"},
        {Open, "notes.txt", Kind::Refused, "", false, "not a level"},
        {Open, "gone.lvl", Kind::Refused, "", false, "no such file"},
        {Open, "", Kind::Refused, "", false, "pick a level"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::string(c.mode == Open ? "open " : "save as ") + "\"" + c.typed + "\"");
        FileChooser chooser(c.mode);
        std::string error;
        ASSERT_TRUE(chooser.SetFolder(folder.string(), error));
        const FileChooser::Choice choice = chooser.Resolve(c.typed);
        EXPECT_EQ(choice.kind, c.kind) << choice.message;
        if (c.kind == Kind::Refused)
            EXPECT_NE(choice.message.find(c.reason), std::string::npos) << choice.message;
        else
            EXPECT_EQ(choice.path, c.path.lexically_normal().string());
        if (c.kind == Kind::File)
        {
            EXPECT_EQ(choice.exists, c.exists);
        }
    }
}

} // namespace
