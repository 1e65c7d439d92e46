#include "EditorDocument.h"
#include "level/LevelRules.h"
#include "level/MapFile.h"

#include "platform/StaleTempFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using tibble::edit::EditorDocument;
using tibble::edit::LevelState;

namespace
{

// A small level with comments, both position spellings and a rose order, so the kept lines show.
constexpr const char* Fixture = R"(# Fixture: a comment at the top
size 10 8

grid
..........
..........
..........
..........
..........
..........
..........
##########
end

start      at 70 320     # where the bee comes out
hose       at 96 430 angle 45
purplerose tile 3 5 group 0
# the roses open in order
rose       tile 5 5 group 2 order 0
exit       tile 8 5
)";

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

EditorDocument Loaded(const std::string& text = Fixture)
{
    EditorDocument document;
    std::string error;
    EXPECT_TRUE(document.LoadSource(text, error)) << error;
    return document;
}

levelc::SourceObject Object(int type, int x, int y, int param = 0)
{
    levelc::SourceObject object;
    object.type = static_cast<int16_t>(type);
    object.x = static_cast<int16_t>(x);
    object.y = static_cast<int16_t>(y);
    object.param = static_cast<int16_t>(param);
    return object;
}

bool SameLevel(const LevelState& a, const LevelState& b)
{
    return a.width == b.width && a.height == b.height && a.tiles == b.tiles && a.objects == b.objects;
}

class TempFolder
{
public:
    TempFolder()
    {
        char pattern[] = "/tmp/editor-test-XXXXXX";
        path = mkdtemp(pattern);
    }
    ~TempFolder()
    {
        std::error_code code;
        fs::permissions(path, fs::perms::owner_all, code);
        fs::remove_all(path, code);
    }
    fs::path path;
};

} // namespace

// Every change undoes to the state before it and redoes to the state after it.
TEST(EditorDocumentTest, EveryCommandUndoesAndRedoes)
{
    struct Case
    {
        const char* name;
        std::function<bool(EditorDocument&)> change;
    };
    const Case cases[] = {
        {"paint", [](EditorDocument& d) { return d.SetTile(2, 3, 2); }},
        {"erase", [](EditorDocument& d) { return d.SetTile(4, 7, 1); }},
        {"grow", [](EditorDocument& d) { return d.Resize(14, 9); }},
        {"shift left", [](EditorDocument& d) { return d.Resize(10, 8, -1, 0); }},
        {"grow left", [](EditorDocument& d) { return d.Resize(12, 8, 2, 0); }},
        {"add", [](EditorDocument& d) { return d.AddObject(Object(3, 200, 100, 4)) == 5; }},
        {"add first", [](EditorDocument& d) { return d.AddObject(Object(8, 64, 64), 0) == 0; }},
        {"remove", [](EditorDocument& d) { return d.RemoveObject(2); }},
        {"move", [](EditorDocument& d) { return d.MoveObject(1, 104, 400); }},
        {"change", [](EditorDocument& d) { return d.ChangeObject(1, Object(1, 96, 430, 90)); }},
        {"duplicate", [](EditorDocument& d) { return d.DuplicateObject(2, 64, 0) == 5; }},
        {"stroke",
         [](EditorDocument& d)
         {
             d.BeginStep("stroke");
             d.SetTile(1, 1, 2);
             d.SetTile(2, 1, 2);
             d.MoveObject(0, 8, 8);
             d.EndStep();
             return d.UndoDepth() == 1;
         }},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        EditorDocument document = Loaded();
        const LevelState before = document.State();
        const uint64_t revision = document.Revision();
        ASSERT_TRUE(c.change(document));
        const LevelState after = document.State();
        EXPECT_FALSE(SameLevel(before, after));
        EXPECT_TRUE(document.IsModified());
        EXPECT_GT(document.Revision(), revision);
        ASSERT_TRUE(document.Undo());
        EXPECT_TRUE(SameLevel(before, document.State()));
        EXPECT_FALSE(document.IsModified());
        EXPECT_EQ(document.SourceText(), Fixture);
        ASSERT_TRUE(document.Redo());
        EXPECT_TRUE(SameLevel(after, document.State()));
        EXPECT_FALSE(document.Redo());
    }
}

// Changes that change nothing, or cannot be made, leave no undo step.
TEST(EditorDocumentTest, RefusedChangesLeaveNoStep)
{
    struct Case
    {
        const char* name;
        std::function<bool(EditorDocument&)> change;
    };
    const Case cases[] = {
        {"same tile", [](EditorDocument& d) { return d.SetTile(0, 7, 2); }},
        {"tile outside", [](EditorDocument& d) { return d.SetTile(10, 0, 2) || d.SetTile(-1, 0, 2); }},
        {"too narrow", [](EditorDocument& d) { return d.Resize(9, 8); }},
        {"too many tiles", [](EditorDocument& d) { return d.Resize(300, 300); }},
        {"same size", [](EditorDocument& d) { return d.Resize(10, 8); }},
        {"position beyond 16 bits", [](EditorDocument& d) { return d.Resize(600, 100, 590, 0); }},
        {"remove bad index", [](EditorDocument& d) { return d.RemoveObject(5) || d.RemoveObject(-1); }},
        {"move nowhere", [](EditorDocument& d) { return d.MoveObject(0, 70, 320); }},
        {"move beyond 16 bits", [](EditorDocument& d) { return d.MoveObject(0, 40000, 0); }},
        {"duplicate bad index", [](EditorDocument& d) { return d.DuplicateObject(9, 0, 0) >= 0; }},
        {"empty step",
         [](EditorDocument& d)
         {
             d.BeginStep("nothing");
             d.EndStep();
             return false;
         }},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        EditorDocument document = Loaded();
        EXPECT_FALSE(c.change(document));
        EXPECT_FALSE(document.CanUndo());
        EXPECT_FALSE(document.IsModified());
    }
}

TEST(EditorDocumentTest, KeepsAtLeastTwoHundredStepsAndDropsRedoOnANewChange)
{
    EditorDocument document = Loaded();
    const LevelState original = document.State();
    for (int i = 0; i < 250; i++)
        ASSERT_TRUE(document.MoveObject(0, 70 + i + 1, 320));
    EXPECT_EQ(document.UndoDepth(), 250);
    for (int i = 0; i < 250; i++)
        ASSERT_TRUE(document.Undo());
    EXPECT_TRUE(SameLevel(original, document.State()));
    EXPECT_FALSE(document.Undo());

    ASSERT_TRUE(document.Redo());
    ASSERT_TRUE(document.SetTile(0, 0, 2));
    EXPECT_FALSE(document.CanRedo());
    EXPECT_EQ(document.UndoName(), "paint hedge");

    // Beyond the limit the oldest steps go, and the saved state can no longer be reached.
    for (int i = 0; i < EditorDocument::MaxUndoSteps + 10; i++)
        ASSERT_TRUE(document.SetTile(1, 1, i % 2 ? 1 : 2));
    while (document.Undo())
    {
    }
    EXPECT_EQ(document.UndoDepth(), 0);
    EXPECT_TRUE(document.IsModified());
}

TEST(EditorDocumentTest, ShippedLevelsComeBackUnchangedAndStillCompileTheSame)
{
    int count = 0;
    for (const auto& entry : fs::directory_iterator(ZEST_LEVEL_SOURCE_DIR))
    {
        if (entry.path().extension() != ".lvl")
            continue;
        SCOPED_TRACE(entry.path().filename().string());
        count++;
        EditorDocument document;
        std::string error;
        ASSERT_TRUE(document.Open(entry.path().string(), error)) << error;
        const std::string text = ReadFile(entry.path());
        EXPECT_EQ(document.SourceText(), text);
        EXPECT_FALSE(document.IsModified());
        EXPECT_FALSE(document.Check().HasErrors());
        EXPECT_EQ(document.Check().WarningCount(), 0) << document.Check().Format("level");

        // A move and its undo give the same text again; the move alone changes one line.
        ASSERT_TRUE(document.MoveObject(0, document.Objects()[0].object.x + 8, document.Objects()[0].object.y));
        const std::string moved = document.SourceText();
        EXPECT_NE(moved, text);
        EXPECT_EQ(std::count(moved.begin(), moved.end(), '\n'), std::count(text.begin(), text.end(), '\n'));
        ASSERT_TRUE(document.Undo());
        EXPECT_EQ(document.SourceText(), text);

        // The saved source compiles to the same map as the original.
        TempFolder folder;
        const fs::path saved = folder.path / entry.path().filename();
        ASSERT_TRUE(document.Save(saved.string(), error)) << error;
        EXPECT_EQ(ReadFile(saved), text);
        std::vector<uint8_t> fromEditor;
        ASSERT_TRUE(document.MapBytes(fromEditor, error)) << error;
        levelc::Diagnostics diagnostics;
        auto parsed = levelc::LevelSource::Parse(text, diagnostics);
        ASSERT_TRUE(parsed);
        EXPECT_EQ(fromEditor, levelc::MapFile::Encode(*parsed));
    }
    EXPECT_EQ(count, 13);
}

TEST(EditorDocumentTest, EditsRewriteOnlyTheirLines)
{
    EditorDocument document = Loaded();
    ASSERT_TRUE(document.MoveObject(0, 128, 320));            // start: its comment stays
    ASSERT_TRUE(document.RemoveObject(2));                     // purplerose
    ASSERT_GE(document.AddObject(Object(8, 320, 192, 0)), 0); // a purple rose at the end
    ASSERT_TRUE(document.SetTile(9, 3, 2));
    const std::string expected = R"(# Fixture: a comment at the top
size 10 8

grid
..........
..........
..........
.........#
..........
..........
..........
##########
end

start        tile 2 5     # where the bee comes out
hose       at 96 430 angle 45
# the roses open in order
rose       tile 5 5 group 2 order 0
exit       tile 8 5
purplerose   tile 5 3       group 0
)";
    EXPECT_EQ(document.SourceText(), expected);

    // Growing the level rewrites the size line and the grid, and nothing else.
    ASSERT_TRUE(document.Resize(11, 8));
    const std::string grown = document.SourceText();
    EXPECT_NE(grown.find("size 11 8\n"), std::string::npos);
    EXPECT_NE(grown.find("\n...........\n"), std::string::npos);
    EXPECT_NE(grown.find("start        tile 2 5     # where the bee comes out\n"), std::string::npos);
    std::string error;
    EditorDocument reread;
    ASSERT_TRUE(reread.LoadSource(grown, error)) << error;
    EXPECT_EQ(reread.Width(), 11);
    EXPECT_EQ(reread.Objects().size(), document.Objects().size());
}

TEST(EditorDocumentTest, ObjectAddedInFrontGoesBeforeTheFirstObjectLine)
{
    EditorDocument document = Loaded();
    ASSERT_EQ(document.AddObject(Object(8, 320, 192, 0), 0), 0);
    const std::string text = document.SourceText();
    EXPECT_NE(text.find("end\n\npurplerose   tile 5 3       group 0\nstart      at 70 320"), std::string::npos) << text;
}

TEST(EditorDocumentTest, SavesAtomicallyAndKeepsTheOldFileWhenWritingFails)
{
    TempFolder folder;
    const fs::path file = folder.path / "mine.lvl";
    EditorDocument document = Loaded();
    std::string error;
    ASSERT_TRUE(document.Save(file.string(), error)) << error;
    EXPECT_EQ(ReadFile(file), Fixture);
    EXPECT_FALSE(document.IsModified());
    EXPECT_EQ(document.Path(), file.string());

    // After the save its lines are the ones kept.
    ASSERT_TRUE(document.AddObject(Object(8, 320, 192, 0)) >= 0);
    ASSERT_TRUE(document.Save(file.string(), error)) << error;
    ASSERT_TRUE(document.MoveObject(0, 64, 320));
    const std::string text = document.SourceText();
    EXPECT_NE(text.find("# where the bee comes out"), std::string::npos);
    EXPECT_NE(text.find("\npurplerose   tile 5 3       group 0\n"), std::string::npos);

    // A folder that cannot be written: the error is reported, the old file stays whole, the document stays
    // modified.
    if (geteuid() != 0)
    {
        fs::permissions(folder.path, fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_FALSE(document.Save(file.string(), error));
        EXPECT_FALSE(error.empty());
        EXPECT_TRUE(document.IsModified());
        fs::permissions(folder.path, fs::perms::owner_all);
    }
    EXPECT_FALSE(document.Save((folder.path / "no-such-folder" / "x.lvl").string(), error));
    EXPECT_TRUE(document.IsModified());
    EXPECT_NE(ReadFile(file).find("purplerose   tile 5 3"), std::string::npos);
    for (const auto& entry : fs::directory_iterator(folder.path))
        EXPECT_FALSE(zest::StaleTempFiles::IsTemporaryName(entry.path().filename().string())) << entry.path();
}

TEST(EditorDocumentTest, OpensAMapEditsItAndExportsIt)
{
    TempFolder folder;
    EditorDocument source = Loaded();
    const fs::path map = folder.path / "4.pmp";
    std::string error;
    ASSERT_TRUE(source.ExportMap(map.string(), error)) << error;

    EditorDocument document;
    ASSERT_TRUE(document.Open(map.string(), error)) << error;
    EXPECT_EQ(document.GetLevelIndex(), 2);
    EXPECT_EQ(document.Path(), (folder.path / "4.lvl").string());
    EXPECT_TRUE(SameLevel(LevelState{source.Width(), source.Height(), source.State().tiles, {}},
                          LevelState{document.Width(), document.Height(), document.State().tiles, {}}));
    ASSERT_EQ(document.Objects().size(), 5u);
    ASSERT_TRUE(document.MoveObject(2, 256, 320));
    ASSERT_TRUE(document.SetTile(0, 6, 2));
    const fs::path exported = folder.path / "4-edited.pmp";
    ASSERT_TRUE(document.ExportMap(exported.string(), error)) << error;

    const std::string bytesText = ReadFile(exported);
    std::vector<uint8_t> bytes(bytesText.begin(), bytesText.end());
    auto decoded = levelc::MapFile::Decode(bytes, error);
    ASSERT_TRUE(decoded) << error;
    EXPECT_EQ(decoded->objects[2].x, 256);
    EXPECT_EQ(decoded->objects[2].y, 320);
    EXPECT_EQ(decoded->Tile(0, 6), 2);
    EXPECT_EQ(decoded->objects[3].order, 0);

    // Saving a map's level writes the canonical source.
    ASSERT_TRUE(document.Save(document.Path(), error)) << error;
    EXPECT_EQ(ReadFile(folder.path / "4.lvl"), document.State().ToSource().ToText());

    // With the source beside it, the map's level goes to a file of its own and the source stays.
    EditorDocument again;
    ASSERT_TRUE(again.Open(map.string(), error)) << error;
    EXPECT_EQ(again.Path(), (folder.path / "4-from-map.lvl").string());
    EXPECT_EQ(again.GetLevelIndex(), 2);
    EXPECT_TRUE(again.IsModified());
}

TEST(EditorDocumentTest, BadFilesAreRefusedAndTheDocumentStays)
{
    TempFolder folder;
    struct Case
    {
        const char* name;
        const char* file;
        std::string bytes;
    };
    const Case cases[] = {
        {"source without grid", "a.lvl", "start at 0 0\n"},
        {"unknown object", "b.lvl", std::string(Fixture) + "dragon tile 1 1\n"},
        {"truncated map", "c.pmp", std::string("\x0a\x00\x08\x00\x01", 5)},
        {"empty map", "d.pmp", ""},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        std::ofstream(folder.path / c.file, std::ios::binary) << c.bytes;
        EditorDocument document = Loaded();
        ASSERT_TRUE(document.MoveObject(0, 64, 64));
        std::string error;
        EXPECT_FALSE(document.Open((folder.path / c.file).string(), error));
        EXPECT_NE(error.find(c.file), std::string::npos) << error;
        EXPECT_EQ(document.Objects()[0].object.x, 64);
        EXPECT_TRUE(document.CanUndo());
    }
    EditorDocument document;
    std::string error;
    EXPECT_FALSE(document.Open((folder.path / "missing.lvl").string(), error));
    EXPECT_FALSE(document.Open(folder.path.string(), error));
}

TEST(EditorDocumentTest, ChecksFollowTheLevelAndNameObjectsByIndex)
{
    EditorDocument document = Loaded();
    EXPECT_FALSE(document.Check().HasErrors());
    EXPECT_EQ(document.NectarFlowers(), 2);

    // A hose nozzle inside a solid tile is a design warning about that object.
    ASSERT_TRUE(document.SetTile(1, 6, 2));
    const levelc::Diagnostics diagnostics = document.Check();
    ASSERT_EQ(diagnostics.WarningCount(), 1) << diagnostics.Format("fixture");
    EXPECT_EQ(diagnostics.Items()[0].line, 2);

    // No start: an error for the level as a whole; the export refuses it.
    ASSERT_TRUE(document.RemoveObject(0));
    EXPECT_TRUE(document.Check().HasErrors());
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_FALSE(document.MapBytes(bytes, error));
    EXPECT_NE(error.find("start"), std::string::npos);

    // The exit's share follows the level index.
    document.SetLevelIndex(12);
    EXPECT_EQ(document.FlowersNeeded(), levelc::LevelRules::FlowersNeeded(2, 12));
}

TEST(EditorDocumentTest, NewLevelIsPlayableAndUnsaved)
{
    EditorDocument document(12, 9);
    EXPECT_EQ(document.Width(), 12);
    EXPECT_EQ(document.Height(), 9);
    EXPECT_TRUE(document.IsModified());
    EXPECT_EQ(document.Path(), "");
    ASSERT_EQ(document.Objects().size(), 1u);
    // Only the missing nectar flower keeps it from the game.
    const levelc::Diagnostics diagnostics = document.Check();
    ASSERT_EQ(diagnostics.ErrorCount(), 1) << diagnostics.Format("new");
    document.AddObject(Object(8, 320, 320, 0));
    EXPECT_FALSE(document.Check().HasErrors()) << document.Check().Format("new");

    EditorDocument tiny(1, 1);
    EXPECT_EQ(tiny.Width(), EditorDocument::MinWidth);
    EXPECT_EQ(tiny.Height(), EditorDocument::MinHeight);
}
