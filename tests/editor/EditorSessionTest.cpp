// The editor driven as a person would, headless: the game's data from the build, input through the widget
// manager, the level saved to a temporary folder and read back.
#include "EditorApp.h"
#include "EditorDocument.h"
#include "EditorScreen.h"
#include "GardenPicture.h"
#include "LevelCanvas.h"
#include "PlanRunner.h"

#include "graphics/MemoryImage.h"
#include "platform/VirtualKeys.h"
#include "widgets/ButtonWidget.h"
#include "widgets/Dialog.h"
#include "widgets/ListWidget.h"
#include "widgets/WidgetManager.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
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

    void Open(const fs::path& file)
    {
        app = std::make_unique<EditorApp>(DataFolder(), file.string());
        app->Initialize();
        ASSERT_NE(app->GetScreen(), nullptr);
        manager = app->GetWidgetManager();
        screen = app->GetScreen();
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

    void Key(int key, bool ctrl = false)
    {
        if (ctrl)
            manager->KeyDown(zest::VK_CONTROL);
        manager->KeyDown(key);
        manager->KeyUp(key);
        if (ctrl)
            manager->KeyUp(zest::VK_CONTROL);
        manager->UpdateWidgets();
        manager->DrawWidgets();
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
    Open(level);
    EXPECT_TRUE(fs::exists(level)); // a new level gets its file at once
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
    const fs::path level = folder / "4.lvl";
    fs::copy_file(fs::path(ZEST_EDITOR_FIXTURE_DIR) / "4.lvl", level);
    Open(level);
    zest::ListWidget& checks = screen->GetChecks();
    ASSERT_EQ(checks.RowCount(), 1);
    EXPECT_EQ(checks.RowText(0), "no problems found");

    // A tomato beside a flower: a design warning naming it; clicking the row selects it.
    ClickButton("tomato");
    ClickLevel(330, 430);
    ASSERT_GE(checks.RowCount(), 1);
    EXPECT_NE(checks.RowText(0).find("warning: #17 tomato:"), std::string::npos) << checks.RowText(0);
    // The flower it names is named by number too.
    EXPECT_NE(checks.RowText(0).find("the purplerose #13"), std::string::npos) << checks.RowText(0);
    screen->GetCanvas().Select(-1);
    Click(checks.x + 20, checks.y + 8);
    EXPECT_EQ(screen->GetCanvas().GetSelection(), 16);
    // Delete takes it away again, and the list is clean.
    Key(zest::VK_DELETE);
    EXPECT_EQ(checks.RowText(0), "no problems found");
}

TEST_F(EditorSessionTest, DragsMoveAndTurnWithSnappingAndStrokesAreOneStep)
{
    const fs::path level = folder / "4.lvl";
    fs::copy_file(fs::path(ZEST_EDITOR_FIXTURE_DIR) / "4.lvl", level);
    Open(level);
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
    const fs::path level = folder / "4.lvl";
    fs::copy_file(fs::path(ZEST_EDITOR_FIXTURE_DIR) / "4.lvl", level);
    Open(level);
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

    // A level the game would refuse (no start, no flower) still draws.
    EditorDocument empty(12, 9);
    ASSERT_TRUE(empty.RemoveObject(0));
    EXPECT_TRUE(picture.Render(empty.State(), 0));
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
