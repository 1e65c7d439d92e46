// The editor driven as a person would, headless: the game's data from the build, input through the widget
// manager, the level saved to a temporary folder and read back.
#include "ClosePrompt.h"
#include "EditorApp.h"
#include "EditorDocument.h"
#include "EditorScreen.h"
#include "FileDialog.h"
#include "GardenPicture.h"
#include "LevelCanvas.h"
#include "PlanRunner.h"
#include "sim/SimHost.h"
#include "TestPlay.h"

#include "garden/Level.h"
#include "graphics/DisplayImage.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "platform/VirtualKeys.h"
#include "widgets/ButtonWidget.h"
#include "widgets/EditWidget.h"
#include "widgets/DialogButton.h"
#include "widgets/Dialog.h"
#include "widgets/ListWidget.h"
#include "widgets/WidgetManager.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace tibble::edit;

namespace
{

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string DataFolder()
{
    const char* folder = std::getenv("ZEST_BIN_DIR");
    return folder ? folder : "bin";
}

// The editor application over the built game data, on a level copied to a temporary folder.
class EditorSessionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!fs::exists(fs::path(DataFolder()) / "main.pak"))
            GTEST_SKIP() << "no game data in " << DataFolder();
        char pattern[] = "/tmp/editor-session-XXXXXX";
        folder = mkdtemp(pattern);
        startFolder = fs::current_path();
    }
    void TearDown() override
    {
        app.reset();
        std::error_code code;
        if (!folder.empty())
            fs::remove_all(folder, code);
        if (!startFolder.empty())
            fs::current_path(startFolder, code);
    }

    void Open(const fs::path& file, bool create = false)
    {
        app = std::make_unique<EditorApp>(DataFolder(), file.string(), create);
        app->Initialize();
        ASSERT_NE(app->GetScreen(), nullptr);
        manager = app->GetWidgetManager();
        screen = app->GetScreen();
    }

    // The fixed level 4 copied into the temporary folder and opened; answers the copy's path.
    fs::path OpenFixture()
    {
        const fs::path level = folder / "4.lvl";
        fs::copy_file(fs::path(ZEST_EDITOR_FIXTURE_DIR) / "4.lvl", level);
        Open(level);
        return level;
    }

    void Click(int x, int y, int clickCount = 1)
    {
        manager->MouseMove(x, y);
        manager->MouseDown(x, y, clickCount);
        manager->MouseUp(x, y, clickCount);
        manager->UpdateWidgets();
        manager->DrawWidgets();
    }

    void ClickButton(const std::string& label)
    {
        for (zest::Widget* child : screen->GetChildren())
        {
            auto* button = dynamic_cast<zest::ButtonWidget*>(child);
            if (button && button->label == label && button->visible)
            {
                Click(button->x + button->width / 2, button->y + button->height / 2);
                return;
            }
        }
        ADD_FAILURE() << "no button " << label;
    }

    // A click on the canvas at a level point.
    void ClickLevel(int lx, int ly)
    {
        LevelCanvas& canvas = screen->GetCanvas();
        const zest::Point at = canvas.ToCanvas(lx, ly);
        Click(canvas.x + at.x, canvas.y + at.y);
    }

    void Key(int key, bool ctrl = false, bool shift = false)
    {
        if (ctrl)
            manager->KeyDown(zest::VK_CONTROL);
        if (shift)
            manager->KeyDown(zest::VK_SHIFT);
        manager->KeyDown(key);
        manager->KeyUp(key);
        if (shift)
            manager->KeyUp(zest::VK_SHIFT);
        if (ctrl)
            manager->KeyUp(zest::VK_CONTROL);
        manager->UpdateWidgets();
        manager->DrawWidgets();
        // Closed dialogs and replaced screens go now, as after an update of the running editor.
        app->DeleteQueuedWidgets();
        screen = app->GetScreen();
    }

    // Replaces what the focused field holds by text, as typed.
    void Retype(const std::string& text)
    {
        Key('A', true);
        Key(zest::VK_DELETE);
        for (char c : text)
            manager->KeyChar(static_cast<unsigned char>(c));
    }

    // A click on a dialog's button; the dialog must be shown.
    void ClickDialogButton(int dialogId, int buttonId)
    {
        zest::Dialog* dialog = app->GetDialog(dialogId);
        ASSERT_NE(dialog, nullptr) << "no dialog " << dialogId;
        const zest::Widget* button =
            buttonId == zest::Dialog::YesButtonId ? dialog->GetYesButton()
                                                  : buttonId == zest::Dialog::NoButtonId ? dialog->GetNoButton()
                                                                                         : nullptr;
        if (auto* prompt = dynamic_cast<ClosePrompt*>(dialog); prompt && buttonId == ClosePrompt::CancelButtonId)
            button = prompt->GetCancelButton();
        ASSERT_NE(button, nullptr);
        Click(button->x + button->width / 2, button->y + button->height / 2);
        app->DeleteQueuedWidgets();
        screen = app->GetScreen();
    }

    fs::path folder;
    fs::path startFolder;
    std::unique_ptr<EditorApp> app;
    zest::WidgetManager* manager = nullptr;
    EditorScreen* screen = nullptr;
};

// Open level 4, add a hose and a purple rose, move a tile wall, undo one step, test-play a few seconds, save.
TEST_F(EditorSessionTest, ScriptedSessionSavesWhatWasEdited)
{
    const fs::path level = folder / "4.lvl";
    fs::copy_file(fs::path(ZEST_EDITOR_FIXTURE_DIR) / "4.lvl", level);
    const std::string original = ReadFile(level);
    Open(level);
    EditorDocument& document = screen->GetDocument();
    ASSERT_EQ(document.Objects().size(), 16u);
    EXPECT_FALSE(document.IsModified());
    manager->DrawWidgets();

    ClickButton("hose");
    ClickLevel(200, 600);
    ClickButton("purple rose");
    ClickLevel(400, 200);
    ASSERT_EQ(document.Objects().size(), 18u);
    EXPECT_EQ(document.Objects()[16].object.type, 1);
    EXPECT_EQ(document.Objects()[16].object.x, 200);
    EXPECT_EQ(document.Objects()[17].object.type, 8);
    EXPECT_EQ(document.Objects()[17].object.x, 368); // the rose's middle under the mouse, on the 8-pixel grid
    EXPECT_EQ(document.Objects()[17].object.y, 168);

    // The terrace's left wall moves a tile to the right: the zoom shows it, the eraser takes its two tiles.
    Key('2');
    ClickButton("Erase (E)");
    ClickLevel(1100, 600);
    ClickLevel(1100, 660);
    EXPECT_EQ(document.State().Tile(17, 9), 1);
    EXPECT_EQ(document.State().Tile(17, 10), 1);
    Key('Z', true);
    EXPECT_EQ(document.State().Tile(17, 10), 2);
    EXPECT_EQ(document.UndoDepth(), 3);

    // Test play and back: the view is where it was.
    const int scrollX = screen->GetCanvas().GetScrollX();
    Key(zest::VK_F1 + 4);
    ASSERT_TRUE(screen->GetCanvas().IsTestPlaying());
    for (int i = 0; i < 300; i++)
        manager->UpdateWidgets();
    manager->DrawWidgets();
    EXPECT_GE(screen->GetCanvas().GetTestPlay()->Updates(), 300);
    Key('Z', true); // no editing during test play
    EXPECT_EQ(document.UndoDepth(), 3);
    Key(zest::VK_ESCAPE);
    EXPECT_FALSE(screen->GetCanvas().IsTestPlaying());
    EXPECT_EQ(screen->GetCanvas().GetScrollX(), scrollX);
    EXPECT_EQ(screen->GetCanvas().GetZoom(), 2);

    Key('S', true);
    EXPECT_FALSE(document.IsModified());
    const std::string saved = ReadFile(level);
    // Every old line stays but the grid row that changed; the new objects follow the last one.
    EXPECT_NE(saved.find("# Level 3: Sunflower Steps\n"), std::string::npos);
    EXPECT_NE(saved.find("hose       at 860 700   angle 45        # up onto the terrace\n"), std::string::npos);
    EXPECT_NE(saved.find("\n..................########\n#................#########\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("exit       at 1340 192\nhose         at 200 600     angle 0\n"
                         "purplerose   at 368 168     group 0\n"),
              std::string::npos)
        << saved;
    EXPECT_EQ(std::count(saved.begin(), saved.end(), '\n'), std::count(original.begin(), original.end(), '\n') + 2);
}

TEST_F(EditorSessionTest, ClosingWithUnsavedChangesAsksFirst)
{
    const fs::path level = folder / "new.lvl";
    Open(level, true);
    EXPECT_FALSE(fs::exists(level)); // a new level's file comes with its first save
    EditorDocument& document = screen->GetDocument();
    EXPECT_TRUE(app->CanClose());

    ClickButton("purple rose");
    ClickLevel(320, 320);
    ASSERT_TRUE(document.IsModified());
    EXPECT_FALSE(app->CanClose());
    ASSERT_NE(app->GetDialog(40), nullptr);
    // "Save" saves, then the program ends.
    app->ButtonClicked(2000 + 40);
    EXPECT_FALSE(document.IsModified());
    EXPECT_TRUE(app->shutdown);
    EXPECT_NE(ReadFile(level).find("purplerose"), std::string::npos);
}

TEST_F(EditorSessionTest, ChecksListFollowsEditsAndSelectsWhatItNames)
{
    const fs::path level = OpenFixture();
    zest::ListWidget& checks = screen->GetChecks();
    ASSERT_EQ(checks.RowCount(), 1);
    EXPECT_EQ(checks.RowText(0), "no problems found");

    // A tomato beside a flower: a design warning naming it; clicking the row selects it.
    ClickButton("tomato");
    ClickLevel(330, 430);
    ASSERT_GE(checks.RowCount(), 1);
    EXPECT_NE(checks.RowText(0).find("warning: #17 tomato:"), std::string::npos) << checks.RowText(0);
    // The message wraps over the rows that follow (indented); the flower it names is named by number too.
    std::string message = checks.RowText(0);
    int last = 0;
    while (last + 1 < checks.RowCount() && checks.RowText(last + 1).rfind("    ", 0) == 0)
        message += " " + checks.RowText(++last).substr(4);
    EXPECT_NE(message.find("the purplerose #13"), std::string::npos) << message;
    // Its first row and its last one both select the tomato.
    for (int row : {0, last})
    {
        SCOPED_TRACE(row);
        screen->GetCanvas().Select(-1);
        Click(checks.x + 20, checks.y + checks.padding + row * checks.RowHeight() + checks.RowHeight() / 2);
        EXPECT_EQ(screen->GetCanvas().GetSelection(), 16);
    }
    // Delete takes it away again, and the list is clean.
    Key(zest::VK_DELETE);
    EXPECT_EQ(checks.RowText(0), "no problems found");
}

TEST_F(EditorSessionTest, DragsMoveAndTurnWithSnappingAndStrokesAreOneStep)
{
    const fs::path level = OpenFixture();
    EditorDocument& document = screen->GetDocument();
    LevelCanvas& canvas = screen->GetCanvas();
    auto drag = [&](int lx1, int ly1, int lx2, int ly2)
    {
        const zest::Point a = canvas.ToCanvas(lx1, ly1);
        const zest::Point b = canvas.ToCanvas(lx2, ly2);
        manager->MouseMove(canvas.x + a.x, canvas.y + a.y);
        manager->MouseDown(canvas.x + a.x, canvas.y + a.y, 1);
        manager->MouseDrag(canvas.x + (a.x + b.x) / 2, canvas.y + (a.y + b.y) / 2);
        manager->MouseDrag(canvas.x + b.x, canvas.y + b.y);
        manager->MouseUp(canvas.x + b.x, canvas.y + b.y, 1);
    };

    // The start (at 120, 400) dragged by (37, 3): snapped to 8 pixels, or free with Shift.
    drag(130, 410, 167, 413);
    EXPECT_EQ(document.Objects()[0].object.x, 160);
    EXPECT_EQ(document.Objects()[0].object.y, 400);
    canvas.shiftHeld = true;
    drag(170, 410, 173, 413);
    EXPECT_EQ(document.Objects()[0].object.x, 163);
    EXPECT_EQ(document.Objects()[0].object.y, 403);
    canvas.shiftHeld = false;
    EXPECT_EQ(document.UndoDepth(), 2);

    // The first hose turned by its handle to point right.
    canvas.ScrollTo(0, 200);
    canvas.Select(1);
    const levelc::SourceObject hose = document.Objects()[1].object;
    const double a = 35 * 3.14159265358979 / 180;
    const int hx = hose.x + static_cast<int>(std::lround(LevelCanvas::HandleDistance * std::sin(a)));
    const int hy = hose.y - static_cast<int>(std::lround(LevelCanvas::HandleDistance * std::cos(a)));
    drag(hx, hy, hose.x + 100, hose.y + 2);
    EXPECT_EQ(document.Objects()[1].object.param, 90);

    // A hedge stroke across four tiles is one step.
    canvas.ScrollTo(0, 0);
    ClickButton("Hedge (H)");
    const int before = document.UndoDepth();
    drag(10, 100, 250, 100);
    EXPECT_EQ(document.UndoDepth(), before + 1);
    for (int column = 0; column < 4; column++)
        EXPECT_EQ(document.State().Tile(column, 1), 2) << column;
    Key('Z', true);
    EXPECT_EQ(document.State().Tile(2, 1), 1);
    Key('Y', true);
    EXPECT_EQ(document.State().Tile(2, 1), 2);

    // Right-drag scrolls; the view stays within the level.
    const int scroll = canvas.GetScrollX();
    manager->MouseMove(canvas.x + 300, canvas.y + 100);
    manager->MouseDown(canvas.x + 300, canvas.y + 100, -1);
    manager->MouseDrag(canvas.x + 100, canvas.y + 100);
    manager->MouseUp(canvas.x + 100, canvas.y + 100, -1);
    EXPECT_EQ(canvas.GetScrollX(), scroll + 200);
    for (int i = 0; i < 40; i++)
        Key(zest::VK_RIGHT);
    EXPECT_EQ(canvas.GetScrollX(), 26 * 64 - canvas.width + 64);
}

TEST_F(EditorSessionTest, GardenPictureFollowsTheAutoTiler)
{
    // Needs the game's art: the application loads it.
    const fs::path level = OpenFixture();
    EditorDocument& document = screen->GetDocument();
    GardenPicture picture;
    ASSERT_TRUE(picture.Render(document.State(), 2));
    ASSERT_EQ(picture.Picture()->GetWidth(), 26 * 64);
    auto pixel = [&](int x, int y) { return picture.Picture()->GetBits()[y * picture.Picture()->GetWidth() + x]; };
    // A hedge tile painted in open garden changes its own tile and the look of the solid tile below it.
    const uint32_t open = pixel(5 * 64 + 32, 7 * 64 + 32);
    const uint32_t below = pixel(5 * 64 + 32, 11 * 64 + 4);
    ASSERT_TRUE(document.SetTile(5, 10, 2));
    ASSERT_TRUE(picture.Render(document.State(), 2));
    EXPECT_EQ(pixel(5 * 64 + 32, 7 * 64 + 32), open);
    EXPECT_NE(pixel(5 * 64 + 32, 11 * 64 + 4), below);

    // Painting a tile leaves the look of every tile away from it alone: the last open tile of the grid is drawn
    // the same after a hedge near the top left.
    int lastOpen = -1;
    for (int i = 0; i < document.Width() * document.Height(); i++)
        if (document.State().tiles[static_cast<size_t>(i)] < 2)
            lastOpen = i;
    ASSERT_GT(lastOpen, 2 * document.Width());
    auto tilePixels = [&](int index)
    {
        std::vector<uint32_t> out;
        const int tx = index % document.Width() * 64;
        const int ty = index / document.Width() * 64;
        for (int y = 0; y < 64; y++)
            for (int x = 0; x < 64; x++)
                out.push_back(pixel(tx + x, ty + y));
        return out;
    };
    ASSERT_TRUE(picture.Render(document.State(), 2));
    const std::vector<uint32_t> far = tilePixels(lastOpen);
    int painted = 0;
    for (int column = 1; column < document.Width() && painted < 3; column++)
        if (document.State().Tile(column, 1) < 2 && document.SetTile(column, 1, 2))
            painted++;
    ASSERT_GT(painted, 0);
    ASSERT_TRUE(picture.Render(document.State(), 2));
    EXPECT_EQ(tilePixels(lastOpen), far);

    // A level the game would refuse (no start, no flower) still draws.
    EditorDocument empty(12, 9);
    ASSERT_TRUE(empty.RemoveObject(0));
    EXPECT_TRUE(picture.Render(empty.State(), 0));
}

// Test play shows every update of the level as the game does: a stretch of level 2 from the start (the bee
// leaves the start trumpet, facing left, and walks to the left hose) is drawn update by update as the game draws
// the same garden onto its screen, and the window shows it.
TEST_F(EditorSessionTest, TestPlayDrawsEveryUpdateOfAStretchOfLevelTwoLikeTheGame)
{
    const fs::path level = folder / "2.lvl";
    fs::copy_file(fs::path(ZEST_LEVEL_SOURCE_DIR) / "2.lvl", level);
    Open(level);
    Key(zest::VK_F1 + 4);
    LevelCanvas& canvas = screen->GetCanvas();
    ASSERT_TRUE(canvas.IsTestPlaying());
    TestPlay* play = canvas.GetTestPlay();
    auto* window = zest::AsMemoryImage(manager->GetScreenImage());
    ASSERT_NE(window, nullptr);

    // The game's way: the same garden (map, play number, seed) drawn onto a screen image after every update.
    tibble::sim::SimHost host;
    host.Seed(play->Seed());
    std::string error;
    std::unique_ptr<tibble::Level> game = tibble::Level::FromBytes(screen->GetDocument().GetLevelIndex(), host, play->MapBytes(), &error);
    ASSERT_NE(game, nullptr) << error;
    zest::DisplayImage gameScreen(tibble::Level::ScreenWidth, tibble::Level::ScreenHeight);

    int badUpdates = 0;
    ASSERT_EQ(play->Updates(), 1); // F5 came with one update and draw
    for (int update = 1; update <= 600; update++)
    {
        if (update > 1)
        {
            app->UpdateOnce();
            manager->DrawWidgets();
        }
        game->Update();
        host.DrainEvents();
        zest::Graphics g(&gameScreen);
        game->Draw(g);
        const zest::MemoryImage* shown = play->Screen();
        int differ = 0;
        int framed = 0;
        std::string first;
        for (int y = 0; y < shown->GetHeight(); y++)
            for (int x = 0; x < shown->GetWidth(); x++)
            {
                if (shown->GetPixel(x, y) != gameScreen.GetPixel(x, y) && differ++ == 0)
                {
                    char text[96];
                    std::snprintf(text, sizeof text, " (first at %d,%d: %08X, the game %08X)", x, y,
                                  shown->GetPixel(x, y), gameScreen.GetPixel(x, y));
                    first = text;
                }
                // The canvas frames the picture with a line of its own.
                const bool inside = x > 0 && y > 0 && x < shown->GetWidth() - 1 && y < shown->GetHeight() - 1;
                framed += inside && window->GetPixel(canvas.x + x, canvas.y + y) != shown->GetPixel(x, y);
            }
        if ((differ > 0 || framed > 0) && badUpdates++ < 5)
            ADD_FAILURE() << "update " << update << ": " << differ << " pixels differ from the game's screen" << first
                          << ", " << framed << " from the window";
    }
    EXPECT_EQ(badUpdates, 0);
}

TEST_F(EditorSessionTest, CancelInTheClosePromptKeepsTheEditorAndTheChanges)
{
    const fs::path level = folder / "4.lvl";
    fs::copy_file(fs::path(ZEST_EDITOR_FIXTURE_DIR) / "4.lvl", level);
    const std::string original = ReadFile(level);
    Open(level);
    ClickButton("purple rose");
    ClickLevel(320, 320);
    ASSERT_TRUE(screen->GetDocument().IsModified());
    EXPECT_FALSE(app->CanClose());
    auto* prompt = dynamic_cast<ClosePrompt*>(app->GetDialog(40));
    ASSERT_NE(prompt, nullptr);
    ASSERT_NE(prompt->GetCancelButton(), nullptr);
    EXPECT_EQ(prompt->GetCancelButton()->label, "CANCEL");
    // Three buttons side by side, none on another.
    const zest::Widget* row[] = {prompt->GetYesButton(), prompt->GetNoButton(), prompt->GetCancelButton()};
    for (int i = 1; i < 3; i++)
    {
        EXPECT_EQ(row[i]->y, row[0]->y);
        EXPECT_GE(row[i]->x, row[i - 1]->x + row[i - 1]->width);
    }
    EXPECT_LE(row[2]->x + row[2]->width, prompt->x + prompt->width);

    const zest::Widget* cancel = prompt->GetCancelButton();
    Click(cancel->x + cancel->width / 2, cancel->y + cancel->height / 2);
    app->DeleteQueuedWidgets();
    EXPECT_EQ(app->GetDialog(40), nullptr);
    EXPECT_FALSE(app->shutdown);
    EXPECT_TRUE(screen->GetDocument().IsModified());
    EXPECT_EQ(ReadFile(level), original);
    // Asked again, it comes again.
    EXPECT_FALSE(app->CanClose());
    EXPECT_NE(app->GetDialog(40), nullptr);
}

TEST_F(EditorSessionTest, AnUnnamedLevelIsSavedThroughSaveAs)
{
    struct Case
    {
        const char* name;
        bool giveMissingName;
    };
    const Case cases[] = {{"started without a file", false}, {"a name that does not exist", true}};
    // The dialog starts in the folder the editor was started in.
    fs::current_path(folder);
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const fs::path missing = folder / "missing.lvl";
        fs::current_path(folder);
        Open(c.giveMissingName ? missing : fs::path());
        EXPECT_NE(screen->GetStatus().find("Save As"), std::string::npos) << screen->GetStatus();
        ClickButton("purple rose");
        ClickLevel(320, 320);
        // Save asks for a name; Escape leaves everything as it was.
        Key('S', true);
        FileDialog* dialog = app->GetFileDialog(EditorApp::SaveAsDialogId);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->GetChooser().Folder(), folder.string());
        EXPECT_EQ(manager->focusWidget, &dialog->GetNameField());
        Key(zest::VK_ESCAPE);
        EXPECT_EQ(app->GetDialog(EditorApp::SaveAsDialogId), nullptr);
        EXPECT_EQ(manager->focusWidget, screen);
        EXPECT_TRUE(screen->GetDocument().IsModified());
        EXPECT_FALSE(fs::exists(missing));

        // A name, Enter: saved as NAME.lvl, and Save writes there from now on.
        Key('S', true);
        ASSERT_NE(app->GetFileDialog(EditorApp::SaveAsDialogId), nullptr);
        Retype("garden");
        Key(zest::VK_RETURN);
        EXPECT_EQ(app->GetDialog(EditorApp::SaveAsDialogId), nullptr);
        EXPECT_FALSE(screen->GetDocument().IsModified());
        EXPECT_EQ(screen->GetDocument().Path(), (folder / "garden.lvl").string());
        EXPECT_NE(ReadFile(folder / "garden.lvl").find("purplerose"), std::string::npos);
        ClickButton("purple rose");
        ClickLevel(480, 320);
        Key('S', true);
        EXPECT_EQ(app->GetDialog(EditorApp::SaveAsDialogId), nullptr);
        EXPECT_FALSE(screen->GetDocument().IsModified());
        app.reset();
        fs::remove(folder / "garden.lvl");
    }
}

TEST_F(EditorSessionTest, SaveAsAddsTheExtensionRefusesOtherFilesAndAsksBeforeReplacing)
{
    const fs::path level = OpenFixture();
    const std::string original = ReadFile(level);
    fs::copy_file(level, folder / "other.lvl");
    ClickButton("purple rose");
    ClickLevel(320, 320);
    Key('S', true, true);
    FileDialog* dialog = app->GetFileDialog(EditorApp::SaveAsDialogId);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->GetChooser().Folder(), folder.string()); // the level's own folder
    // The level's name, its stem selected: typing replaces the stem only.
    zest::EditWidget& field = dialog->GetNameField();
    EXPECT_EQ(field.GetText(), "4.lvl");
    EXPECT_EQ(field.SelectedText(), "4");

    Retype("copy.txt");
    Key(zest::VK_RETURN);
    EXPECT_NE(dialog->GetMessage().find("copy.lvl"), std::string::npos) << dialog->GetMessage();
    EXPECT_FALSE(fs::exists(folder / "copy.txt"));
    EXPECT_FALSE(fs::exists(folder / "copy.lvl"));
    ASSERT_EQ(app->GetFileDialog(EditorApp::SaveAsDialogId), dialog);

    // An existing file: asked first. CANCEL goes back to the name; REPLACE writes.
    Retype("other");
    Key(zest::VK_RETURN);
    ASSERT_NE(app->GetDialog(EditorApp::ReplaceDialogId), nullptr);
    ClickDialogButton(EditorApp::ReplaceDialogId, zest::Dialog::NoButtonId);
    EXPECT_EQ(app->GetDialog(EditorApp::ReplaceDialogId), nullptr);
    EXPECT_EQ(manager->focusWidget, &field);
    EXPECT_EQ(ReadFile(folder / "other.lvl"), original);
    Key(zest::VK_RETURN);
    ClickDialogButton(EditorApp::ReplaceDialogId, zest::Dialog::YesButtonId);
    EXPECT_EQ(app->GetDialog(EditorApp::SaveAsDialogId), nullptr);
    EXPECT_NE(ReadFile(folder / "other.lvl").find("purplerose"), std::string::npos);
    EXPECT_EQ(ReadFile(level), original);
    EXPECT_EQ(screen->GetDocument().Path(), (folder / "other.lvl").string());
    EXPECT_FALSE(screen->GetDocument().IsModified());
}

TEST_F(EditorSessionTest, OpenAsksAboutUnsavedChangesFirst)
{
    const fs::path level = OpenFixture();
    const std::string original = ReadFile(level);
    const fs::path other = folder / "other.lvl";
    fs::copy_file(level, other);
    struct Case
    {
        const char* name;
        int button;          // in the question
        bool dialogShown;    // the Open dialog follows
        bool savedFirst;     // the changes were written before
    };
    const Case cases[] = {
        {"cancel", ClosePrompt::CancelButtonId, false, false},
        {"don't save", zest::Dialog::NoButtonId, true, false},
        {"save", zest::Dialog::YesButtonId, true, true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        ClickButton("purple rose");
        ClickLevel(320, 320);
        ASSERT_TRUE(screen->GetDocument().IsModified());
        Key('O', true);
        EXPECT_EQ(app->GetDialog(EditorApp::OpenDialogId), nullptr) << "asked before the dialog";
        ClickDialogButton(EditorApp::OpenPromptId, c.button);
        EXPECT_EQ(app->GetDialog(EditorApp::OpenPromptId), nullptr);
        EXPECT_EQ(app->GetDialog(EditorApp::OpenDialogId) != nullptr, c.dialogShown);
        EXPECT_EQ(ReadFile(level) != original, c.savedFirst);
        if (c.dialogShown)
            Key(zest::VK_ESCAPE);
        EXPECT_EQ(app->GetDialog(EditorApp::OpenDialogId), nullptr);
        EXPECT_EQ(screen->GetDocument().Path(), level.string());
        if (!c.savedFirst)
            screen->Undo();
    }
    // Nothing to lose: straight to the dialog.
    ASSERT_FALSE(screen->GetDocument().IsModified());
    Key('O', true);
    EXPECT_EQ(app->GetDialog(EditorApp::OpenPromptId), nullptr);
    EXPECT_NE(app->GetDialog(EditorApp::OpenDialogId), nullptr);
}

TEST_F(EditorSessionTest, OpenDialogWorksFromTheKeyboardAndOpensTheLevelInPlace)
{
    const fs::path level = OpenFixture();
    fs::create_directories(folder / "more");
    fs::copy_file(level, folder / "more" / "9.lvl");
    std::ofstream(folder / "bad.lvl") << "size 3\nnot a level\n";
    EditorScreen* first = screen;

    Key('O', true);
    FileDialog* dialog = app->GetFileDialog(EditorApp::OpenDialogId);
    ASSERT_NE(dialog, nullptr);
    zest::ListWidget& list = dialog->GetList();
    // The way up, the folder, then the levels; the first level is picked and the list has the keys.
    ASSERT_EQ(list.RowCount(), 4);
    EXPECT_EQ(list.RowText(1), "more/");
    EXPECT_EQ(list.RowText(2), "4.lvl");
    EXPECT_EQ(list.GetSelection(), 2);
    EXPECT_EQ(list.GetScrollRow(), 0) << "the way up and the folder in view";
    EXPECT_EQ(dialog->GetNameField().GetText(), "4.lvl");
    EXPECT_EQ(dialog->GetNameField().GetCaret(), 5);
    EXPECT_EQ(manager->focusWidget, &list);
    Key(zest::VK_TAB);
    EXPECT_EQ(manager->focusWidget, &dialog->GetNameField());
    Key(zest::VK_TAB, false, true);
    EXPECT_EQ(manager->focusWidget, &list);

    // A level the editor cannot read: the dialog stays with the reason, and so does the level shown.
    Key(zest::VK_DOWN);
    EXPECT_EQ(dialog->GetNameField().GetText(), "bad.lvl");
    Key(zest::VK_RETURN);
    EXPECT_NE(app->GetFileDialog(EditorApp::OpenDialogId), nullptr);
    EXPECT_NE(dialog->GetMessage().find("bad.lvl"), std::string::npos) << dialog->GetMessage();
    EXPECT_EQ(screen, first);

    // Into the folder with Enter, up again with Enter on "..", back in with a double click.
    Key(zest::VK_HOME);
    Key(zest::VK_DOWN);
    Key(zest::VK_RETURN);
    EXPECT_EQ(dialog->GetChooser().Folder(), (folder / "more").string());
    EXPECT_EQ(dialog->GetNameField().GetText(), "9.lvl");
    Key(zest::VK_HOME);
    Key(zest::VK_RETURN);
    EXPECT_EQ(dialog->GetChooser().Folder(), folder.string());
    EXPECT_EQ(list.GetSelection(), 1) << "the folder just left";
    const int rowY = list.y + list.padding + list.RowHeight() + list.RowHeight() / 2;
    const zest::Point at = list.AbsolutePosition();
    Click(at.x + 20, at.y + rowY - list.y);
    Click(at.x + 20, at.y + rowY - list.y, 2);
    EXPECT_EQ(dialog->GetChooser().Folder(), (folder / "more").string());

    // Enter in the name field opens the level: a new screen on it, the dialog gone, the focus on the editor.
    Key(zest::VK_TAB);
    Key(zest::VK_RETURN);
    EXPECT_EQ(app->GetDialog(EditorApp::OpenDialogId), nullptr);
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->GetDocument().Path(), (folder / "more" / "9.lvl").string());
    EXPECT_FALSE(screen->GetDocument().IsModified());
    EXPECT_EQ(manager->focusWidget, screen);
    // The new screen edits the new level.
    ClickButton("purple rose");
    ClickLevel(320, 320);
    EXPECT_TRUE(screen->GetDocument().IsModified());
}

TEST_F(EditorSessionTest, SaveInAQuestionAboutAnUnnamedLevelAsksForANameThenGoesOn)
{
    struct Case
    {
        const char* name;
        bool closing; // else opening another level
    };
    for (const Case& c : {Case{"closing", true}, Case{"opening", false}})
    {
        SCOPED_TRACE(c.name);
        fs::current_path(folder);
        Open(fs::path());
        ClickButton("purple rose");
        ClickLevel(320, 320);
        const int question = c.closing ? EditorApp::CloseDialogId : EditorApp::OpenPromptId;
        if (c.closing)
            EXPECT_FALSE(app->CanClose());
        else
            Key('O', true);
        ClickDialogButton(question, zest::Dialog::YesButtonId);
        ASSERT_NE(app->GetFileDialog(EditorApp::SaveAsDialogId), nullptr);
        EXPECT_FALSE(app->shutdown);
        const std::string name = std::string("kept-") + c.name;
        Retype(name);
        Key(zest::VK_RETURN);
        EXPECT_NE(ReadFile(folder / (name + ".lvl")).find("purplerose"), std::string::npos);
        // Then what was asked for: the end, or the Open dialog.
        EXPECT_EQ(app->shutdown, c.closing);
        EXPECT_EQ(app->GetFileDialog(EditorApp::OpenDialogId) != nullptr, !c.closing);
        app.reset();
    }
}

TEST_F(EditorSessionTest, KeysAndButtonsRunTheSameCommandsAndTheHintFollowsTheTool)
{
    const fs::path level = OpenFixture();
    LevelCanvas& canvas = screen->GetCanvas();
    struct Case
    {
        const char* button;
        int key;
        LevelCanvas::Tool tool;
        const char* hint;
    };
    const Case cases[] = {
        {"Hedge (H)", 'H', LevelCanvas::Tool::Hedge, "hedge"},
        {"Erase (E)", 'E', LevelCanvas::Tool::Erase, "erase"},
        {"Select (S)", 'S', LevelCanvas::Tool::Select, "select"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.button);
        for (bool byKey : {false, true})
        {
            // From placing a flower: its hint must not stay behind.
            ClickButton("purple rose");
            ASSERT_EQ(canvas.GetTool(), LevelCanvas::Tool::Place);
            if (byKey)
                Key(c.key);
            else
                ClickButton(c.button);
            EXPECT_EQ(canvas.GetTool(), c.tool);
            EXPECT_EQ(screen->GetStatus().rfind(c.hint, 0), 0u) << screen->GetStatus();
        }
    }
    // The grid: key and button toggle the same state.
    const bool grid = canvas.GetGrid();
    Key('G');
    EXPECT_NE(canvas.GetGrid(), grid);
    ClickButton("Grid");
    EXPECT_EQ(canvas.GetGrid(), grid);
}

TEST_F(EditorSessionTest, PlacingShowsWhereTheObjectWillGoUnderThePointer)
{
    const fs::path level = OpenFixture();
    LevelCanvas& canvas = screen->GetCanvas();
    EditorDocument& document = screen->GetDocument();
    EXPECT_FALSE(canvas.PlacePreview().has_value());
    for (const char* type : {"purple rose", "hose"})
    {
        SCOPED_TRACE(type);
        ClickButton(type);
        const zest::Point at = canvas.ToCanvas(403, 205);
        manager->MouseMove(canvas.x + at.x, canvas.y + at.y);
        const std::optional<zest::Rect> preview = canvas.PlacePreview();
        ASSERT_TRUE(preview.has_value());
        manager->DrawWidgets();
        Click(canvas.x + at.x, canvas.y + at.y);
        const int placed = canvas.GetSelection();
        ASSERT_GE(placed, 0);
        // The new object takes the box the preview showed.
        const levelc::SourceObject& object = document.Objects()[static_cast<size_t>(placed)].object;
        EXPECT_EQ(canvas.ObjectAt(preview->x + preview->width / 2, preview->y + preview->height / 2), placed);
        EXPECT_TRUE(preview->Contains(object.x + LevelCanvas::CentreOffset(object.type),
                                      object.y + LevelCanvas::CentreOffset(object.type)));
    }
    // The pointer off the canvas: no preview.
    manager->MouseMove(2, 2);
    EXPECT_FALSE(canvas.PlacePreview().has_value());
}

TEST_F(EditorSessionTest, ChecksWrapToTheListAndKeepPointingAtTheirObject)
{
    const fs::path level = OpenFixture();
    zest::ListWidget& checks = screen->GetChecks();
    // Every start gone: an error no single row holds.
    EditorDocument& document = screen->GetDocument();
    for (int i = static_cast<int>(document.Objects().size()) - 1; i >= 0; i--)
    {
        if (document.Objects()[static_cast<size_t>(i)].object.type != 10)
        {
            ASSERT_TRUE(document.RemoveObject(i));
        }
    }
    screen->DocumentChanged();
    ASSERT_GE(checks.RowCount(), 2);
    std::string joined;
    zest::Font* font = checks.GetFont();
    for (int row = 0; row < checks.RowCount(); row++)
    {
        EXPECT_LE(font->StringWidth(checks.RowText(row)), checks.width - 12) << checks.RowText(row);
        joined += checks.RowText(row) + "\n";
    }
    EXPECT_NE(joined.find("no nectar flower"), std::string::npos) << joined;
}

TEST(EditorScreenTest, WrapTextKeepsWordsWholeAndCutsOnlyWhatCannotFit)
{
    auto app = std::make_unique<EditorApp>(DataFolder(), "");
    if (!fs::exists(fs::path(DataFolder()) / "main.pak"))
        GTEST_SKIP() << "no game data in " << DataFolder();
    app->Initialize();
    zest::Font* font = app->GetScreen()->GetChecks().GetFont();
    ASSERT_NE(font, nullptr);
    const int width = font->StringWidth("error: no nectar flower");
    struct Case
    {
        const char* text;
        std::vector<std::string> rows;
    };
    const Case cases[] = {
        {"", {""}},
        {"short", {"short"}},
        {"error: no nectar flower", {"error: no nectar flower"}},
        {"error: no nectar flower: the honey bar", {"error: no nectar flower:", "the honey bar"}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(EditorScreen::WrapText(font, c.text, width + font->StringWidth(":")), c.rows);
    }
    // One word wider than the row is cut; nothing is lost.
    const std::string word(60, 'm');
    const std::vector<std::string> rows = EditorScreen::WrapText(font, word, width);
    ASSERT_GE(rows.size(), 2u);
    std::string back;
    for (const std::string& row : rows)
    {
        EXPECT_LE(font->StringWidth(row), width);
        back += row;
    }
    EXPECT_EQ(back, word);
}

// The prefix header is read by the play-script module (tests/e2e/PlayScriptTest.cpp).
TEST(PlanRunnerTest, RefusesAMissingPlanner)
{
    PlanRunner runner;
    PlanRunner::Request request;
    request.planner = "/nonexistent/tibble-plan";
    std::string error;
    EXPECT_FALSE(runner.Start(request, error));
    EXPECT_NE(error.find("planner"), std::string::npos);
    EXPECT_EQ(runner.GetState(), PlanRunner::State::Idle);
}

} // namespace
