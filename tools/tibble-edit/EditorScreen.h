// The editor's window content and controller: the tool bar, the palette of tools and the fifteen object types,
// the canvas, the properties of the selected object and of the level, the list of checks, the status line and
// the planner's progress. Keys: see the README. Owns the document; owned by the editor application; main
// thread.
#pragma once

#include "EditorDocument.h"
#include "LevelCanvas.h"
#include "PlanRunner.h"

#include "widgets/ButtonListener.h"
#include "widgets/ListListener.h"
#include "widgets/Widget.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zest
{
class ButtonWidget;
class Font;
class ListWidget;
} // namespace zest

namespace tibble::edit
{

class EditorScreen : public zest::Widget, public zest::ButtonListener, public zest::ListListener
{
public:
    // Where the planner and the game's data are (the folder of main.pak, tibble-plan and the e2e prefix).
    EditorScreen(std::unique_ptr<EditorDocument> document, const std::string& toolFolder);
    ~EditorScreen() override;

    // Lays the controls out over the widget's size; call after Resize and after adding to the tree.
    void Layout();

    EditorDocument& GetDocument() const { return *document; }
    LevelCanvas& GetCanvas() const { return *canvas; }
    zest::ListWidget& GetChecks() const { return *checks; }
    PlanRunner& GetPlanner() { return planner; }
    const std::string& GetStatus() const { return status; }
    // The planner's result is for an older state of the level.
    bool IsPlanStale() const { return planStale; }

    // What the status line says of a level without a file name.
    static constexpr const char* UnnamedNotice = "unnamed level: Save As (Ctrl+Shift+S) gives it a file";

    // Open (Ctrl+O) and Save As (Ctrl+Shift+S, or Save of an unnamed level): the application shows the dialogs.
    std::function<void()> openRequested;
    std::function<void()> saveAsRequested;

    // A new level's file: the first save creates it (nothing is written before).
    void SetNewFile(const std::string& path);
    const std::string& GetNewFile() const { return newFile; }

    // Where Save writes: the level's file, or the file a new level is to create ("" for an unnamed level).
    std::string SavePath() const { return document->Path().empty() ? newFile : document->Path(); }

    // The commands behind the buttons and keys; each answers whether it did something. Save of an unnamed level
    // asks for Save As instead (and answers false).
    bool Save();
    // Saves under path, which the level then belongs to; false with error leaves the level as it was.
    [[nodiscard]] bool SaveAs(const std::string& path, std::string& error);
    bool Export();
    bool Undo();
    bool Redo();
    bool DeleteSelected();
    bool DuplicateSelected();
    // Test play from the start, or from the selected trumpet when fromSelected.
    bool StartTestPlay(bool fromSelected);
    void StopTestPlay();
    bool StartPlan();
    void CancelPlan();
    // Saves the planner's solution beside the level (NAME.play).
    bool SaveSolution();
    // The checks list's row as clicked: selects what it names.
    void ShowCheck(int row);

    // Called by the canvas and after every command: refreshes checks, properties and the title.
    void DocumentChanged();
    void SetStatus(const std::string& text);
    // text in rows no wider than width pixels in font (continuation rows count four spaces of indent); words are
    // kept whole unless one alone is too wide.
    static std::vector<std::string> WrapText(zest::Font* font, const std::string& text, int width);

    // Whether closing would lose changes.
    bool HasUnsavedChanges() const
    {
        // A new level nobody has touched yet (nothing to undo) has nothing to lose.
        return document->IsModified() && (document->CanUndo() || !document->Path().empty());
    }

    using zest::Widget::MouseDown;
    bool TakesFocus() override { return true; }
    void Update() override;
    void Draw(zest::Graphics* g) override;
    void KeyDown(int key) override;
    void MouseWheel(int delta) override;
    void ButtonClicked(int id) override;
    void ButtonPressed(int id) override { (void)id; }
    void ListClicked(int id, int index, int clickCount) override;
    void ListSelectionChanged(int id, int index) override;

private:
    // Which modifier keys a command's key wants.
    enum class Keys
    {
        Plain,
        Shift,
        Ctrl,
        CtrlShift,
    };
    // One command of the editor: its button (0: none), its key (0: none) and what it does.
    struct Command
    {
        int button;
        int key;
        Keys keys;
        void (*run)(EditorScreen&);
    };
    static const Command* Commands(int& count);

    zest::ButtonWidget* AddButton(int id, const std::string& label);
    void ChooseTool(LevelCanvas::Tool tool, int type = 0, int param = 0, const char* label = nullptr);
    void ToggleGrid();
    void RefreshChecks();
    void RefreshTools();
    void RefreshProperties();
    void StepProperty(int field, int direction);
    void ApplyPlanResult();
    bool CtrlHeld() const;
    bool ShiftHeld() const;

    std::unique_ptr<EditorDocument> document;
    std::string toolFolder;
    std::unique_ptr<zest::Font> font;
    std::unique_ptr<LevelCanvas> canvas;
    std::unique_ptr<zest::ListWidget> checks;
    std::vector<std::unique_ptr<zest::ButtonWidget>> buttons;
    std::vector<int> checkObjects; // object index of each checks row, -1 for the level as a whole
    std::string status;
    std::string newFile;
    uint64_t checkedRevision = ~uint64_t{0};
    PlanRunner planner;
    bool planShown = false;
    bool planStale = false;          // the document changed since the plan started
    uint64_t plannedRevision = 0;    // the document's revision the plan was made for
    std::vector<std::string> propertyLines;
    int lastTitleState = -1;
};

} // namespace tibble::edit
