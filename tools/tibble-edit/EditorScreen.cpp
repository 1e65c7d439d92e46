#include "EditorScreen.h"

#include "app/DataFolder.h"

#include "level/ObjectKind.h"

#include "app/ZestAppBase.h"
#include "garden/Level.h"
#include "garden/LevelMap.h"
#include "garden/MapObject.h"
#include "graphics/Graphics.h"
#include "graphics/SysFont.h"
#include "platform/VirtualKeys.h"
#include "widgets/ButtonWidget.h"
#include "widgets/ListWidget.h"
#include "widgets/WidgetManager.h"

#include <algorithm>
#include <filesystem>

namespace tibble::edit
{

namespace
{

// Button ids.
enum : int
{
    ButtonSave = 1,
    ButtonExport,
    ButtonUndo,
    ButtonRedo,
    ButtonGrid,
    ButtonZoom,
    ButtonTest,
    ButtonPlan,
    ButtonCancelPlan,
    ButtonSaveSolution,
    ButtonDelete,
    ButtonDuplicate,
    ButtonPlayFromHere,
    ButtonToolSelect,
    ButtonToolHedge,
    ButtonToolErase,
    ButtonOpen,
    ButtonSaveAs,
    // Property steppers: 100 + field * 2 (+1 for up).
    ButtonPropertyBase = 100,
    // Palette: 200 + entry.
    ButtonPaletteBase = 200,
};

// Fields the property steppers change.
enum Field : int
{
    FieldX,
    FieldY,
    FieldParam,
    FieldOrder,
    FieldWidth,
    FieldHeight,
    FieldLevelIndex,
    FieldCount,
};

struct PaletteEntry
{
    int type;
    int param;
    const char* label;
};

// The fifteen types a level can hold: the fourteen record types and the exit (a trumpet with link 1).
constexpr PaletteEntry Palette[] = {
    {TypeStartTrumpet, 0, "start"},     {TypeTrumpet, levelc::ExitLink, "exit"}, {TypeHose, 0, "hose"},
    {TypePurpleRose, 0, "purple rose"}, {TypeRose, 0, "rose"},                   {TypeRedRose, 0, "red rose"},
    {TypeMiniFlower, 0, "mini flower"}, {TypeSunflower, 0, "sunflower"},         {TypePansy, 0, "pansy"},
    {TypePansy2, 0, "pansy 2"},         {TypeTrumpet, 2, "trumpet"},             {TypeLinkTrumpet, 2, "link trumpet"},
    {TypeFlyTrap, 0, "fly trap"},       {TypeTomato, 0, "tomato"},               {TypeHive, 0, "hive"},
};
constexpr int PaletteCount = static_cast<int>(sizeof Palette / sizeof Palette[0]);

// Layout.
constexpr int BarHeight = 30;
constexpr int PaletteWidth = 124;
constexpr int CanvasX = PaletteWidth + 6;
constexpr int CanvasWidth = 640;
constexpr int PanelX = CanvasX + CanvasWidth + 8;
constexpr int StatusHeight = 64;

const zest::Color PanelColor(214, 218, 224);
const zest::Color TextColor(20, 20, 30);
const zest::Color ErrorColor(190, 0, 0);
const zest::Color WarningColor(170, 100, 0);
const zest::Color GoodColor(0, 120, 40);
const zest::Color BarColor(60, 130, 220);

std::string ObjectName(const levelc::SourceObject& object)
{
    if (object.type == TypeTrumpet && object.param == levelc::ExitLink)
        return "exit";
    const levelc::ObjectKind* kind = levelc::KindOfType(object.type);
    return kind ? std::string(kind->name) : "object " + std::to_string(object.type);
}

std::string Stem(const std::string& path)
{
    return path.empty() ? std::string("unnamed level") : std::filesystem::path(path).filename().string();
}

} // namespace

std::vector<std::string> EditorScreen::WrapText(zest::Font* font, const std::string& text, int width)
{
    std::vector<std::string> rows;
    if (!font || width <= 0)
        return {text};
    // Continuation rows are indented by four spaces: they get that much less room.
    const int indent = font->StringWidth("    ");
    std::string row;
    size_t at = 0;
    while (at < text.size())
    {
        size_t end = text.find(' ', at);
        if (end == std::string::npos)
            end = text.size();
        const std::string word = text.substr(at, end - at);
        const int room = rows.empty() ? width : width - indent;
        const std::string joined = row.empty() ? word : row + " " + word;
        if (!row.empty() && font->StringWidth(joined) > room)
        {
            rows.push_back(row);
            row = word;
        }
        else
            row = joined;
        // A word wider than a whole row is cut where it must be.
        while (row.size() > 1 && font->StringWidth(row) > (rows.empty() ? width : width - indent))
        {
            size_t fit = row.size() - 1;
            while (fit > 1 && font->StringWidth(row.substr(0, fit)) > (rows.empty() ? width : width - indent))
                fit--;
            rows.push_back(row.substr(0, fit));
            row = row.substr(fit);
        }
        at = end + 1;
    }
    if (!row.empty() || rows.empty())
        rows.push_back(row);
    return rows;
}

EditorScreen::EditorScreen(std::unique_ptr<EditorDocument> doc, const std::string& folder)
    : document(std::move(doc)), toolFolder(folder)
{
    font = std::make_unique<zest::SysFont>("Arial Unicode MS", 10);
    canvas = std::make_unique<LevelCanvas>(*document, [this]() { DocumentChanged(); });
    canvas->font = font.get();
    checks = std::make_unique<zest::ListWidget>(1, this);
    checks->SetFont(font.get());
    wantsFocus = true;

    AddButton(ButtonOpen, "Open");
    AddButton(ButtonSave, "Save");
    AddButton(ButtonSaveAs, "Save As");
    AddButton(ButtonExport, "Export .pmp");
    AddButton(ButtonUndo, "Undo");
    AddButton(ButtonRedo, "Redo");
    AddButton(ButtonGrid, "Grid");
    AddButton(ButtonZoom, "Zoom");
    AddButton(ButtonTest, "Test F5");
    AddButton(ButtonPlan, "Plan F6");
    AddButton(ButtonToolSelect, "Select (S)");
    AddButton(ButtonToolHedge, "Hedge (H)");
    AddButton(ButtonToolErase, "Erase (E)");
    for (int i = 0; i < PaletteCount; i++)
        AddButton(ButtonPaletteBase + i, Palette[i].label);
    for (int field = 0; field < FieldCount; field++)
    {
        AddButton(ButtonPropertyBase + field * 2, "-");
        AddButton(ButtonPropertyBase + field * 2 + 1, "+");
    }
    AddButton(ButtonDelete, "Delete");
    AddButton(ButtonDuplicate, "Duplicate");
    AddButton(ButtonPlayFromHere, "Play from here");
    AddButton(ButtonCancelPlan, "Cancel");
    AddButton(ButtonSaveSolution, "Save solution");
    DocumentChanged();
}

EditorScreen::~EditorScreen()
{
    planner.Cancel();
    for (auto& button : buttons)
        RemoveWidget(button.get());
    RemoveWidget(canvas.get());
    RemoveWidget(checks.get());
}

zest::ButtonWidget* EditorScreen::AddButton(int id, const std::string& label)
{
    auto button = std::make_unique<zest::ButtonWidget>(id, this);
    button->label = label;
    button->SetFont(font.get());
    buttons.push_back(std::move(button));
    return buttons.back().get();
}

void EditorScreen::Layout()
{
    auto find = [this](int id) -> zest::ButtonWidget*
    {
        for (auto& button : buttons)
            if (button->id == id)
                return button.get();
        return nullptr;
    };
    auto place = [&](int id, int x, int y, int w, int h)
    {
        zest::ButtonWidget* button = find(id);
        button->Resize(x, y, w, h);
        if (!HasWidget(button))
            AddWidget(button);
    };

    const int bar[] = {ButtonOpen, ButtonSave, ButtonSaveAs, ButtonExport, ButtonUndo,
                       ButtonRedo, ButtonGrid,  ButtonZoom,   ButtonTest,   ButtonPlan};
    int x = 4;
    for (int id : bar)
    {
        const int w = id == ButtonExport ? 84 : 64;
        place(id, x, 3, w, BarHeight - 6);
        x += w + 4;
    }
    int y = BarHeight + 4;
    for (int id : {ButtonToolSelect, ButtonToolHedge, ButtonToolErase})
    {
        place(id, 4, y, PaletteWidth - 8, 22);
        y += 24;
    }
    y += 8;
    for (int i = 0; i < PaletteCount; i++)
    {
        place(ButtonPaletteBase + i, 4, y, PaletteWidth - 8, 22);
        y += 24;
    }

    const int canvasHeight = height - BarHeight - StatusHeight - 8;
    canvas->Resize(CanvasX, BarHeight + 4, CanvasWidth, canvasHeight);
    if (!HasWidget(canvas.get()))
        AddWidget(canvas.get());

    // Properties: one row per field, steppers at the right.
    const int panelWidth = width - PanelX - 4;
    for (int field = 0; field < FieldCount; field++)
    {
        const int rowY = BarHeight + 24 + field * 22 + (field >= FieldWidth ? 72 : 0);
        place(ButtonPropertyBase + field * 2, PanelX + panelWidth - 46, rowY, 20, 18);
        place(ButtonPropertyBase + field * 2 + 1, PanelX + panelWidth - 22, rowY, 20, 18);
    }
    const int actionsY = BarHeight + 24 + 4 * 22 + 2;
    place(ButtonDelete, PanelX, actionsY, 56, 20);
    place(ButtonDuplicate, PanelX + 60, actionsY, 72, 20);
    place(ButtonPlayFromHere, PanelX + 136, actionsY, panelWidth - 136, 20);

    const int checksY = BarHeight + 24 + 7 * 22 + 72 + 44;
    checks->Resize(PanelX, checksY, panelWidth, height - StatusHeight - 4 - checksY);
    if (!HasWidget(checks.get()))
        AddWidget(checks.get());

    const int statusY = height - StatusHeight;
    place(ButtonCancelPlan, width - 200, statusY + 36, 90, 22);
    place(ButtonSaveSolution, width - 104, statusY + 36, 100, 22);
    // The checks wrap to the list's width, which is known only now.
    checkedRevision = ~uint64_t{0};
    RefreshChecks();
    RefreshTools();
    RefreshProperties();
    MarkDirty();
}

bool EditorScreen::CtrlHeld() const
{
    zest::WidgetManager* manager = GetWidgetManager();
    return manager && manager->IsKeyDown(zest::VK_CONTROL);
}

bool EditorScreen::ShiftHeld() const
{
    zest::WidgetManager* manager = GetWidgetManager();
    return manager && manager->IsKeyDown(zest::VK_SHIFT);
}

void EditorScreen::SetStatus(const std::string& text)
{
    status = text;
    MarkDirty();
}

void EditorScreen::DocumentChanged()
{
    if (canvas->GetSelection() >= static_cast<int>(document->Objects().size()))
        canvas->Select(-1);
    // A plan answers for the level as it was planned: after an edit its route and solution no longer hold.
    const PlanRunner::State planState = planner.GetState();
    if ((planState == PlanRunner::State::Running || planState == PlanRunner::State::Solved) && !planStale &&
        document->Revision() != plannedRevision)
    {
        planStale = true;
        canvas->SetRoute({});
        SetStatus(planState == PlanRunner::State::Running
                      ? "the level changed while planning: the answer will be out of date (F6 plans again)"
                      : "the level changed since it was planned: route and solution dropped (F6 plans again)");
    }
    RefreshChecks();
    RefreshProperties();
    MarkDirty();
}

void EditorScreen::RefreshChecks()
{
    if (checkedRevision == document->Revision())
        return;
    checkedRevision = document->Revision();
    const levelc::Diagnostics diagnostics = document->Check();
    const int selected = checks->GetSelection();
    checks->SetRows({});
    checkObjects.clear();
    for (const levelc::Diagnostic& item : diagnostics.Items())
    {
        const int index = item.line - 1;
        std::string where;
        if (index >= 0 && index < static_cast<int>(document->Objects().size()))
            where = "#" + std::to_string(index + 1) + " " + ObjectName(document->Objects()[static_cast<size_t>(index)].object) + ": ";
        // The checks number objects from 1 where a source would give its line.
        std::string text = item.text;
        for (size_t at = text.find(" on line "); at != std::string::npos; at = text.find(" on line ", at))
            text.replace(at, 9, " #");
        // Wrapped to the list's width: a message cut at the edge loses what it says.
        const std::vector<std::string> rows =
            WrapText(font.get(), (item.error ? "error: " : "warning: ") + where + text, checks->width - 12);
        for (const std::string& row : rows)
        {
            checks->AddRow(&row == &rows.front() ? row : "    " + row, item.error ? ErrorColor : WarningColor);
            checkObjects.push_back(index);
        }
    }
    if (diagnostics.Items().empty())
    {
        checks->AddRow("no problems found", GoodColor);
        checkObjects.push_back(-1);
    }
    if (selected < checks->RowCount())
        checks->SetSelection(selected);
}

void EditorScreen::RefreshTools()
{
    for (auto& button : buttons)
    {
        bool on = false;
        if (button->id == ButtonToolSelect)
            on = canvas->GetTool() == LevelCanvas::Tool::Select;
        else if (button->id == ButtonToolHedge)
            on = canvas->GetTool() == LevelCanvas::Tool::Hedge;
        else if (button->id == ButtonToolErase)
            on = canvas->GetTool() == LevelCanvas::Tool::Erase;
        else if (button->id >= ButtonPaletteBase && button->id < ButtonPaletteBase + PaletteCount)
        {
            const PaletteEntry& entry = Palette[button->id - ButtonPaletteBase];
            on = canvas->GetTool() == LevelCanvas::Tool::Place && canvas->GetPlaceType() == entry.type &&
                 (entry.type != TypeTrumpet || (canvas->GetPlaceParam() == levelc::ExitLink) ==
                                                   (entry.param == levelc::ExitLink));
        }
        else if (button->id == ButtonGrid)
            on = canvas->GetGrid();
        else
            continue;
        if (button->inverted != on)
        {
            button->inverted = on;
            button->MarkDirty();
        }
    }
}

void EditorScreen::RefreshProperties()
{
    propertyLines.assign(FieldCount, "");
    const int index = canvas->GetSelection();
    const bool selected = index >= 0;
    const levelc::ObjectKind* kind = nullptr;
    bool exit = false;
    if (selected)
    {
        const levelc::SourceObject& object = document->Objects()[static_cast<size_t>(index)].object;
        kind = levelc::KindOfType(object.type);
        exit = object.type == TypeTrumpet && object.param == levelc::ExitLink;
        propertyLines[FieldX] = "x  " + std::to_string(object.x);
        propertyLines[FieldY] = "y  " + std::to_string(object.y);
        // The game reads no param of a tomato or a start: it is shown (to be set back) only when a file gave one.
        const bool used = kind && kind->param != levelc::ParamKind::Raw;
        if (!exit && (used || object.param != 0))
            propertyLines[FieldParam] = (used ? std::string(levelc::ParamName(kind->param)) : "unused value") + "  " +
                                        std::to_string(object.param);
        if (kind && kind->hasOrder)
            propertyLines[FieldOrder] = "order  " + std::to_string(object.order);
    }
    propertyLines[FieldWidth] = "width  " + std::to_string(document->Width()) + " tiles";
    propertyLines[FieldHeight] = "height  " + std::to_string(document->Height()) + " tiles";
    propertyLines[FieldLevelIndex] = "play number  " + std::to_string(document->GetLevelIndex() + 1) + " (exit at " +
                                     std::to_string(LevelNeedPercent[document->GetLevelIndex()]) + " %)";
    for (auto& button : buttons)
    {
        if (button->id >= ButtonPropertyBase && button->id < ButtonPropertyBase + 2 * FieldCount)
        {
            const int field = (button->id - ButtonPropertyBase) / 2;
            button->SetVisible(!propertyLines[static_cast<size_t>(field)].empty());
        }
        else if (button->id == ButtonDelete || button->id == ButtonDuplicate)
            button->SetVisible(selected);
        else if (button->id == ButtonPlayFromHere)
        {
            const bool trumpet = selected && kind &&
                                 (kind->type == TypeTrumpet || kind->type == TypeLinkTrumpet ||
                                  kind->type == TypeStartTrumpet);
            button->SetVisible(trumpet);
        }
        else if (button->id == ButtonCancelPlan)
            button->SetVisible(planner.GetState() == PlanRunner::State::Running);
        else if (button->id == ButtonSaveSolution)
            button->SetVisible(planner.GetState() == PlanRunner::State::Solved && !planStale);
        else if (button->id == ButtonUndo)
            button->SetDisabled(!document->CanUndo());
        else if (button->id == ButtonRedo)
            button->SetDisabled(!document->CanRedo());
    }
    MarkDirty();
}

void EditorScreen::StepProperty(int field, int direction)
{
    const bool fine = ShiftHeld();
    if (field == FieldWidth || field == FieldHeight)
    {
        const int w = document->Width() + (field == FieldWidth ? direction : 0);
        const int h = document->Height() + (field == FieldHeight ? direction : 0);
        if (!document->Resize(w, h))
            SetStatus("the level must be at least 10 x 8 tiles and at most 65536 tiles");
        DocumentChanged();
        return;
    }
    if (field == FieldLevelIndex)
    {
        document->SetLevelIndex(document->GetLevelIndex() + direction);
        DocumentChanged();
        return;
    }
    const int index = canvas->GetSelection();
    if (index < 0)
        return;
    levelc::SourceObject object = document->Objects()[static_cast<size_t>(index)].object;
    const levelc::ObjectKind* kind = levelc::KindOfType(object.type);
    switch (field)
    {
    case FieldX:
        object.x = static_cast<int16_t>(std::clamp(object.x + direction * (fine ? 1 : LevelCanvas::Snap), -32768, 32767));
        break;
    case FieldY:
        object.y = static_cast<int16_t>(std::clamp(object.y + direction * (fine ? 1 : LevelCanvas::Snap), -32768, 32767));
        break;
    case FieldParam:
    {
        int value = object.param + direction * (kind && (kind->param == levelc::ParamKind::Angle ||
                                                         kind->param == levelc::ParamKind::Spit) && !fine
                                                    ? 5
                                                    : 1);
        if (kind && (kind->param == levelc::ParamKind::Angle || kind->param == levelc::ParamKind::Spit))
            value = (value % 360 + 360) % 360;
        else if (kind && kind->param == levelc::ParamKind::Group)
            value = std::clamp(value, 0, GroupCount - 1);
        else if (kind && kind->param == levelc::ParamKind::Link)
            value = std::clamp(value, 2, GroupCount - 1);
        object.param = static_cast<int16_t>(std::clamp(value, -32768, 32767));
        break;
    }
    case FieldOrder:
        object.order = static_cast<int16_t>(std::clamp(object.order + direction, 0, 32767));
        break;
    default:
        return;
    }
    document->ChangeObject(index, object);
    DocumentChanged();
}

void EditorScreen::SetNewFile(const std::string& path)
{
    newFile = path;
    MarkDirty();
}

bool EditorScreen::Save()
{
    const std::string path = SavePath();
    if (path.empty())
    {
        if (saveAsRequested)
            saveAsRequested();
        else
            SetStatus(UnnamedNotice);
        return false;
    }
    std::string error;
    if (!document->Save(path, error))
    {
        SetStatus("not saved: " + error);
        return false;
    }
    newFile.clear();
    SetStatus("saved " + document->Path());
    DocumentChanged();
    return true;
}

bool EditorScreen::SaveAs(const std::string& path, std::string& error)
{
    if (!document->Save(path, error))
        return false;
    newFile.clear();
    SetStatus("saved as " + document->Path());
    DocumentChanged();
    return true;
}

bool EditorScreen::Export()
{
    if (document->Path().empty())
    {
        SetStatus("save the level first: the map goes beside it");
        return false;
    }
    std::string path = document->Path();
    const size_t dot = path.rfind('.');
    path = (dot == std::string::npos || dot < path.rfind('/') + 1 ? path : path.substr(0, dot)) + ".pmp";
    std::string error;
    if (!document->ExportMap(path, error))
    {
        SetStatus("not exported: " + error);
        return false;
    }
    SetStatus("exported " + path);
    return true;
}

bool EditorScreen::Undo()
{
    if (canvas->IsTestPlaying() || !document->CanUndo())
        return false;
    const std::string name = document->UndoName();
    document->Undo();
    SetStatus("undone: " + name);
    DocumentChanged();
    return true;
}

bool EditorScreen::Redo()
{
    if (canvas->IsTestPlaying() || !document->CanRedo())
        return false;
    const std::string name = document->RedoName();
    document->Redo();
    SetStatus("redone: " + name);
    DocumentChanged();
    return true;
}

bool EditorScreen::DeleteSelected()
{
    const int index = canvas->GetSelection();
    if (index < 0 || !document->RemoveObject(index))
        return false;
    canvas->Select(-1);
    DocumentChanged();
    return true;
}

bool EditorScreen::DuplicateSelected()
{
    const int index = canvas->GetSelection();
    const int copy = document->DuplicateObject(index, TileSize, 0);
    if (copy < 0)
        return false;
    canvas->Select(copy);
    DocumentChanged();
    return true;
}

bool EditorScreen::StartTestPlay(bool fromSelected)
{
    if (canvas->IsTestPlaying())
        return false;
    int startAt = -1;
    if (fromSelected && canvas->GetSelection() >= 0)
    {
        const int type = document->Objects()[static_cast<size_t>(canvas->GetSelection())].object.type;
        if (type == TypeTrumpet || type == TypeLinkTrumpet || type == TypeStartTrumpet)
            startAt = canvas->GetSelection();
    }
    std::string error;
    if (!canvas->StartTestPlay(startAt, document->GetLevelIndex(), error))
    {
        SetStatus("cannot test-play: " + error);
        return false;
    }
    SetStatus(startAt >= 0 ? "test play from the selected trumpet: Escape returns" : "test play: Escape returns");
    return true;
}

void EditorScreen::StopTestPlay()
{
    if (!canvas->IsTestPlaying())
        return;
    canvas->StopTestPlay();
    SetStatus("back in the editor");
}

bool EditorScreen::StartPlan()
{
    std::vector<uint8_t> bytes;
    std::string error;
    if (!document->MapBytes(bytes, error))
    {
        SetStatus("cannot plan: " + error);
        return false;
    }
    PlanRunner::Request request;
    // The planner sits beside the editor: in the build folder with the data, in bin/ once installed.
    const std::string besideEditor = zest::ExecutableFolder() + "/tibble-plan";
    std::error_code missing;
    request.planner = std::filesystem::exists(besideEditor, missing) ? besideEditor : toolFolder + "/tibble-plan";
    request.dataFolder = toolFolder;
    request.prefixFile = toolFolder + "/level-start.play";
    request.map = std::move(bytes);
    request.levelIndex = document->GetLevelIndex();
    if (!planner.Start(request, error))
    {
        SetStatus("cannot plan: " + error);
        return false;
    }
    canvas->SetRoute({});
    planShown = false;
    planStale = false;
    plannedRevision = document->Revision();
    SetStatus("planning on a background thread...");
    RefreshProperties();
    return true;
}

void EditorScreen::CancelPlan()
{
    if (planner.GetState() != PlanRunner::State::Running)
        return;
    planner.Cancel();
    SetStatus("planning cancelled");
    RefreshProperties();
}

bool EditorScreen::SaveSolution()
{
    if (planner.GetState() != PlanRunner::State::Solved || planStale || document->Path().empty())
        return false;
    std::string path = document->Path();
    const size_t dot = path.rfind('.');
    path = (dot == std::string::npos ? path : path.substr(0, dot)) + ".play";
    const std::string script = planner.Script();
    std::string error;
    if (!WriteFileAtomically(path, std::span(reinterpret_cast<const uint8_t*>(script.data()), script.size()), error))
    {
        SetStatus("solution not saved: " + error);
        return false;
    }
    SetStatus("solution saved as " + path);
    return true;
}

void EditorScreen::ApplyPlanResult()
{
    const PlanRunner::State state = planner.GetState();
    if (state == PlanRunner::State::Running || planShown || state == PlanRunner::State::Idle)
        return;
    if (planStale)
        SetStatus("planning ended for an older version of the level (F6 plans again)");
    else if (state == PlanRunner::State::Solved)
    {
        if (!planner.TraceRoute())
            return;
        canvas->SetRoute(planner.Route());
        SetStatus("solution found: " + planner.Message());
    }
    else if (state == PlanRunner::State::Failed)
        SetStatus("no solution: " + planner.Message());
    planShown = true;
    RefreshProperties();
}

void EditorScreen::ShowCheck(int row)
{
    if (row < 0 || row >= static_cast<int>(checkObjects.size()))
        return;
    const int index = checkObjects[static_cast<size_t>(row)];
    if (index < 0 || index >= static_cast<int>(document->Objects().size()))
        return;
    canvas->Select(index);
    const levelc::SourceObject& object = document->Objects()[static_cast<size_t>(index)].object;
    canvas->CentreOn(object.x, object.y);
    RefreshProperties();
}

void EditorScreen::Update()
{
    if (planner.GetState() == PlanRunner::State::Running)
        MarkDirty();
    ApplyPlanResult();
    // The title shows the file and whether it has unsaved changes.
    const int titleState = document->IsModified() ? 1 : 0;
    if (titleState != lastTitleState)
    {
        lastTitleState = titleState;
        MarkDirty();
    }
}

void EditorScreen::Draw(zest::Graphics* g)
{
    g->SetColor(PanelColor);
    g->FillRect(0, 0, width, height);
    g->SetFont(font.get());
    g->SetColor(TextColor);

    // Title and file.
    g->DrawString(Stem(document->Path().empty() ? newFile : document->Path()) +
                      (document->IsModified() ? "  (changed)" : ""),
                  720, 20);

    // Properties.
    const int index = canvas->GetSelection();
    int y = BarHeight + 16;
    if (index >= 0)
        g->DrawString("#" + std::to_string(index + 1) + " " +
                          ObjectName(document->Objects()[static_cast<size_t>(index)].object),
                      PanelX, y);
    else
        g->DrawString("no object selected", PanelX, y);
    for (int field = 0; field < FieldCount; field++)
    {
        const int rowY = BarHeight + 24 + field * 22 + (field >= FieldWidth ? 72 : 0);
        if (field == FieldWidth)
            g->DrawString("level", PanelX, rowY - 8);
        g->DrawString(propertyLines[static_cast<size_t>(field)], PanelX + 4, rowY + 14);
    }
    // Nectar on offer against what the exit needs.
    const int nectarY = BarHeight + 24 + 7 * 22 + 72 + 14;
    const int offered = document->NectarFlowers();
    const int needed = document->FlowersNeeded();
    g->SetColor(offered > needed ? TextColor : ErrorColor);
    g->DrawString("nectar flowers " + std::to_string(offered) + ", the exit needs " + std::to_string(needed), PanelX,
                  nectarY);
    g->SetColor(TextColor);
    g->DrawString("checks", PanelX, nectarY + 22);

    // Status line, view and planner.
    const int statusY = height - StatusHeight;
    g->DrawString(status, 8, statusY + 18);
    g->DrawString("zoom 1/" + std::to_string(canvas->GetZoom()) + "   view " + std::to_string(canvas->GetScrollX()) +
                      ", " + std::to_string(canvas->GetScrollY()) + "   undo " +
                      std::to_string(document->UndoDepth()) + (document->CanUndo() ? " (" + document->UndoName() + ")" : ""),
                  8, statusY + 36);
    const PlanRunner::State planState = planner.GetState();
    if (planState != PlanRunner::State::Idle)
    {
        const int barX = 8;
        const int barY = statusY + 44;
        const int barWidth = 300;
        g->SetColor(zest::Color(255, 255, 255));
        g->FillRect(barX, barY, barWidth, 14);
        g->SetColor(BarColor);
        g->FillRect(barX, barY, static_cast<int>(barWidth * planner.Progress()), 14);
        g->SetColor(TextColor);
        g->DrawRect(barX, barY, barWidth, 14);
        std::string text = planner.Message();
        if (text.size() > 70)
            text = text.substr(0, 70) + "...";
        g->DrawString(text, barX + barWidth + 8, barY + 12);
    }
}

const EditorScreen::Command* EditorScreen::Commands(int& count)
{
    // Every command once, with its button and its keys; both the keyboard and the buttons look here.
    static const Command table[] = {
        {ButtonOpen, 'O', Keys::Ctrl,
         [](EditorScreen& e)
         {
             if (e.openRequested)
                 e.openRequested();
         }},
        {ButtonSave, 'S', Keys::Ctrl, [](EditorScreen& e) { e.Save(); }},
        {ButtonSaveAs, 'S', Keys::CtrlShift,
         [](EditorScreen& e)
         {
             if (e.saveAsRequested)
                 e.saveAsRequested();
         }},
        {ButtonExport, 'E', Keys::Ctrl, [](EditorScreen& e) { e.Export(); }},
        {ButtonUndo, 'Z', Keys::Ctrl, [](EditorScreen& e) { e.Undo(); }},
        {ButtonRedo, 'Y', Keys::Ctrl, [](EditorScreen& e) { e.Redo(); }},
        {0, 'Z', Keys::CtrlShift, [](EditorScreen& e) { e.Redo(); }},
        {ButtonDuplicate, 'D', Keys::Ctrl, [](EditorScreen& e) { e.DuplicateSelected(); }},
        {ButtonDelete, zest::VK_DELETE, Keys::Plain, [](EditorScreen& e) { e.DeleteSelected(); }},
        {0, zest::VK_BACK, Keys::Plain, [](EditorScreen& e) { e.DeleteSelected(); }},
        {ButtonGrid, 'G', Keys::Plain, [](EditorScreen& e) { e.ToggleGrid(); }},
        {ButtonZoom, 'Z', Keys::Plain,
         [](EditorScreen& e) { e.canvas->SetZoom(e.canvas->GetZoom() == 4 ? 1 : e.canvas->GetZoom() * 2); }},
        {0, '1', Keys::Plain, [](EditorScreen& e) { e.canvas->SetZoom(1); }},
        {0, '2', Keys::Plain, [](EditorScreen& e) { e.canvas->SetZoom(2); }},
        {0, '4', Keys::Plain, [](EditorScreen& e) { e.canvas->SetZoom(4); }},
        {ButtonTest, zest::VK_F1 + 4, Keys::Plain, [](EditorScreen& e) { e.StartTestPlay(false); }},
        {ButtonPlayFromHere, zest::VK_F1 + 4, Keys::Shift, [](EditorScreen& e) { e.StartTestPlay(true); }},
        {ButtonPlan, zest::VK_F1 + 5, Keys::Plain, [](EditorScreen& e) { e.StartPlan(); }},
        {ButtonCancelPlan, 0, Keys::Plain, [](EditorScreen& e) { e.CancelPlan(); }},
        {ButtonSaveSolution, 0, Keys::Plain, [](EditorScreen& e) { e.SaveSolution(); }},
        {ButtonToolSelect, 'S', Keys::Plain, [](EditorScreen& e) { e.ChooseTool(LevelCanvas::Tool::Select); }},
        {ButtonToolHedge, 'H', Keys::Plain, [](EditorScreen& e) { e.ChooseTool(LevelCanvas::Tool::Hedge); }},
        {ButtonToolErase, 'E', Keys::Plain, [](EditorScreen& e) { e.ChooseTool(LevelCanvas::Tool::Erase); }},
        {0, zest::VK_ESCAPE, Keys::Plain,
         [](EditorScreen& e)
         {
             if (e.planner.GetState() == PlanRunner::State::Running)
                 e.CancelPlan();
             else
             {
                 e.canvas->Select(-1);
                 e.ChooseTool(LevelCanvas::Tool::Select);
                 e.RefreshProperties();
             }
         }},
    };
    count = static_cast<int>(sizeof table / sizeof table[0]);
    return table;
}

void EditorScreen::KeyDown(int key)
{
    if (canvas->IsTestPlaying())
    {
        if (key == zest::VK_ESCAPE)
            StopTestPlay();
        return;
    }
    const bool ctrl = CtrlHeld();
    if (!ctrl && canvas->ScrollKey(key))
        return;
    const Keys held = ctrl ? (ShiftHeld() ? Keys::CtrlShift : Keys::Ctrl) : (ShiftHeld() ? Keys::Shift : Keys::Plain);
    int count = 0;
    const Command* commands = Commands(count);
    // An exact match first; a plain key's command also answers with Shift held (Shift+Z zooms too).
    for (const Keys wanted : {held, held == Keys::Shift ? Keys::Plain : held})
    {
        for (int i = 0; i < count; i++)
        {
            if (commands[i].key == key && commands[i].keys == wanted)
            {
                commands[i].run(*this);
                return;
            }
        }
    }
}

void EditorScreen::MouseWheel(int delta)
{
    zest::WidgetManager* manager = GetWidgetManager();
    if (manager && checks->Contains(manager->lastMouseX - x, manager->lastMouseY - y))
        checks->MouseWheel(delta);
    else
        canvas->MouseWheel(delta);
}

void EditorScreen::ButtonClicked(int id)
{
    if (zest::WidgetManager* manager = GetWidgetManager())
        manager->SetFocus(this);
    if (id >= ButtonPaletteBase && id < ButtonPaletteBase + PaletteCount)
    {
        const PaletteEntry& entry = Palette[id - ButtonPaletteBase];
        ChooseTool(LevelCanvas::Tool::Place, entry.type, entry.param, entry.label);
        return;
    }
    if (id >= ButtonPropertyBase && id < ButtonPropertyBase + 2 * FieldCount)
    {
        StepProperty((id - ButtonPropertyBase) / 2, (id - ButtonPropertyBase) % 2 ? 1 : -1);
        return;
    }
    int count = 0;
    const Command* commands = Commands(count);
    for (int i = 0; i < count; i++)
    {
        if (commands[i].button == id)
        {
            commands[i].run(*this);
            return;
        }
    }
}

void EditorScreen::ToggleGrid()
{
    canvas->SetGrid(!canvas->GetGrid());
    RefreshTools();
}

void EditorScreen::ChooseTool(LevelCanvas::Tool tool, int type, int param, const char* label)
{
    canvas->SetTool(tool, type, param);
    switch (tool)
    {
    case LevelCanvas::Tool::Select:
        SetStatus("select: click an object to select it, drag to move it (Shift: off the 8-pixel grid); drag the "
                  "yellow frame to move the game screen");
        break;
    case LevelCanvas::Tool::Hedge:
        SetStatus("hedge: click or drag to paint hedge tiles");
        break;
    case LevelCanvas::Tool::Erase:
        SetStatus("erase: click or drag to clear hedge tiles");
        break;
    case LevelCanvas::Tool::Place:
        SetStatus(std::string("click in the level to place a ") + (label ? label : "object") +
                  " (Shift: off the 8-pixel grid)");
        break;
    }
    RefreshTools();
}

void EditorScreen::ListClicked(int id, int index, int clickCount)
{
    (void)id, (void)clickCount;
    ShowCheck(index);
    if (zest::WidgetManager* manager = GetWidgetManager())
        manager->SetFocus(this);
}

void EditorScreen::ListSelectionChanged(int id, int index)
{
    (void)id;
    ShowCheck(index);
}

} // namespace tibble::edit
