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

    // The commands behind the buttons and keys; each answers whether it did something.
    bool Save();
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
    // Whether closing would lose changes.
    bool HasUnsavedChanges() const { return document->IsModified(); }

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
    zest::ButtonWidget* AddButton(int id, const std::string& label);
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
    uint64_t checkedRevision = ~uint64_t{0};
    PlanRunner planner;
    bool planShown = false;
    std::vector<std::string> propertyLines;
    int lastTitleState = -1;
};

} // namespace tibble::edit
