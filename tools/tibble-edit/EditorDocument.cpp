#include "EditorDocument.h"

#include "level/LevelRules.h"
#include "level/MapFile.h"
#include "level/ObjectKind.h"

#include "garden/LevelMap.h"
#include "platform/AtomicFile.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace tibble::edit
{

namespace
{

constexpr int16_t StartType = 10;

bool EndsWith(const std::string& text, std::string_view suffix)
{
    if (text.size() < suffix.size())
        return false;
    return std::equal(suffix.rbegin(), suffix.rend(), text.rbegin(),
                      [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) ==
                                                  std::tolower(static_cast<unsigned char>(b)); });
}

int IndexOfPath(const std::string& path)
{
    if (path.empty())
        return -1;
    return levelc::LevelRules::LevelIndexOfMap(std::filesystem::path(path).stem().string());
}

bool FitsInt16(long value)
{
    return value >= INT16_MIN && value <= INT16_MAX;
}

} // namespace

bool WriteFileAtomically(const std::string& path, std::span<const uint8_t> bytes, std::string& error)
{
    return zest::AtomicFile::Write(path, bytes, error);
}

EditorDocument::EditorDocument(int width, int height)
{
    width = std::clamp(width, MinWidth, MaxTiles / MinHeight);
    height = std::clamp(height, MinHeight, MaxTiles / width);
    LevelState blank;
    blank.width = width;
    blank.height = height;
    blank.tiles.assign(static_cast<size_t>(width * height), levelc::LevelSource::OpenTile);
    for (int column = 0; column < width; column++)
        blank.tiles[static_cast<size_t>((height - 1) * width + column)] = levelc::LevelSource::SolidTile;
    levelc::SourceObject start;
    start.type = StartType;
    start.x = TilePixels;
    start.y = static_cast<int16_t>((height - 2) * TilePixels);
    blank.objects.push_back({start, NewId()});
    Reset(std::move(blank), std::nullopt, "");
}

void EditorDocument::Reset(LevelState newState, std::optional<SourceLayout> newLayout, const std::string& newPath)
{
    state = std::move(newState);
    layout = std::move(newLayout);
    path = newPath;
    const int index = IndexOfPath(newPath);
    if (index >= 0)
        levelIndex = index;
    steps.clear();
    undoPosition = 0;
    savedPosition = newPath.empty() ? -1 : 0;
    stepDepth = 0;
    stepStart.reset();
    revision++;
}

bool EditorDocument::Open(const std::string& filePath, std::string& error)
{
    std::ifstream in(filePath, std::ios::binary);
    if (!in || std::filesystem::is_directory(filePath))
    {
        error = "cannot read " + filePath;
        return false;
    }
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
    {
        error = "cannot read " + filePath;
        return false;
    }
    const bool ok = EndsWith(filePath, ".pmp")
                        ? LoadMap(bytes, error)
                        : LoadSource(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), error);
    if (!ok)
    {
        error = filePath + ": " + error;
        return false;
    }
    // A map is saved as a source beside it, never over a source that is there already (its comments would be
    // lost); the map itself is only ever written by Export.
    path = filePath;
    if (EndsWith(filePath, ".pmp"))
    {
        const std::string stem = filePath.substr(0, filePath.size() - 4);
        std::error_code code;
        path = stem + ".lvl";
        for (int n = 1; std::filesystem::exists(path, code); n++)
            path = stem + (n == 1 ? std::string("-from-map") : "-from-map-" + std::to_string(n)) + ".lvl";
    }
    if (const int index = IndexOfPath(filePath); index >= 0)
        levelIndex = index;
    savedPosition = EndsWith(filePath, ".pmp") ? -1 : 0;
    return true;
}

bool EditorDocument::LoadSource(std::string_view text, std::string& error)
{
    levelc::Diagnostics diagnostics;
    std::optional<levelc::LevelSource> parsed = levelc::LevelSource::Parse(text, diagnostics);
    if (!parsed)
    {
        for (const levelc::Diagnostic& item : diagnostics.Items())
        {
            if (item.error)
            {
                error = (item.line ? "line " + std::to_string(item.line) + ": " : std::string()) + item.text;
                break;
            }
        }
        return false;
    }
    LevelState loaded;
    loaded.width = parsed->width;
    loaded.height = parsed->height;
    loaded.tiles = parsed->tiles;
    std::vector<int> ids;
    for (const levelc::SourceObject& object : parsed->objects)
    {
        ids.push_back(NewId());
        loaded.objects.push_back({object, ids.back()});
    }
    Reset(std::move(loaded), SourceLayout::Read(text, *parsed, ids), "");
    // The level is what the text says: unchanged until edited.
    savedPosition = 0;
    return true;
}

bool EditorDocument::LoadMap(std::span<const uint8_t> bytes, std::string& error)
{
    std::optional<levelc::LevelSource> decoded = levelc::MapFile::Decode(bytes, error);
    if (!decoded)
        return false;
    if (decoded->width < 1 || decoded->height < 1 ||
        static_cast<long>(decoded->width) * decoded->height > MaxTiles * 16L)
    {
        error = "the map's size is not one the editor can show";
        return false;
    }
    LevelState loaded;
    loaded.width = decoded->width;
    loaded.height = decoded->height;
    loaded.tiles = decoded->tiles;
    for (const levelc::SourceObject& object : decoded->objects)
        loaded.objects.push_back({object, NewId()});
    Reset(std::move(loaded), std::nullopt, "");
    return true;
}

std::string EditorDocument::SourceText() const
{
    return layout ? layout->Write(state) : state.ToSource().ToText();
}

bool EditorDocument::Save(const std::string& filePath, std::string& error)
{
    const std::string text = SourceText();
    if (!WriteFileAtomically(filePath, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()), error))
        return false;
    // From now on the lines of the saved text are the ones to keep.
    levelc::Diagnostics diagnostics;
    if (std::optional<levelc::LevelSource> parsed = levelc::LevelSource::Parse(text, diagnostics))
    {
        std::vector<int> ids;
        for (const EditObject& object : state.objects)
            ids.push_back(object.id);
        layout = SourceLayout::Read(text, *parsed, ids);
    }
    path = filePath;
    if (const int index = IndexOfPath(filePath); index >= 0)
        levelIndex = index;
    savedPosition = undoPosition;
    return true;
}

bool EditorDocument::MapBytes(std::vector<uint8_t>& bytes, std::string& error) const
{
    const levelc::LevelSource source = state.ToSource();
    levelc::Diagnostics diagnostics;
    levelc::LevelRules::CheckPlayable(source, diagnostics);
    for (const levelc::Diagnostic& item : diagnostics.Items())
    {
        if (item.error)
        {
            error = "the game cannot load this level: " + item.text;
            return false;
        }
    }
    bytes = levelc::MapFile::Encode(source);
    return true;
}

bool EditorDocument::ExportMap(const std::string& filePath, std::string& error) const
{
    std::vector<uint8_t> bytes;
    return MapBytes(bytes, error) && WriteFileAtomically(filePath, bytes, error);
}

void EditorDocument::SetLevelIndex(int index)
{
    levelIndex = std::clamp(index, 0, tibble::LevelCount - 1);
    revision++;
}

void EditorDocument::Begin(const std::string& name)
{
    if (stepDepth++ == 0)
    {
        stepName = name;
        stepStart = state;
    }
}

void EditorDocument::End()
{
    if (stepDepth == 0 || --stepDepth > 0)
        return;
    LevelState before = std::move(*stepStart);
    stepStart.reset();
    Step step;
    step.name = stepName;
    if (before.width == state.width && before.height == state.height)
    {
        for (size_t i = 0; i < state.tiles.size(); i++)
        {
            if (before.tiles[i] != state.tiles[i])
                step.tileChanges.push_back({static_cast<int>(i), before.tiles[i], state.tiles[i]});
        }
    }
    else
    {
        step.gridBefore = LevelState{before.width, before.height, std::move(before.tiles), {}};
        step.gridAfter = LevelState{state.width, state.height, state.tiles, {}};
    }
    if (before.objects != state.objects)
    {
        step.objectsBefore = std::move(before.objects);
        step.objectsAfter = state.objects;
    }
    if (step.tileChanges.empty() && !step.gridBefore && !step.objectsBefore)
        return;

    steps.resize(static_cast<size_t>(undoPosition));
    if (savedPosition > undoPosition)
        savedPosition = -1;
    steps.push_back(std::move(step));
    undoPosition++;
    if (static_cast<int>(steps.size()) > MaxUndoSteps)
    {
        steps.erase(steps.begin());
        undoPosition--;
        savedPosition = savedPosition > 0 ? savedPosition - 1 : -1;
    }
    revision++;
}

void EditorDocument::BeginStep(const std::string& name)
{
    Begin(name);
}

void EditorDocument::EndStep()
{
    End();
}

void EditorDocument::Apply(const Step& step, bool forward)
{
    for (const TileChange& change : step.tileChanges)
        state.tiles[static_cast<size_t>(change.index)] = forward ? change.after : change.before;
    if (const std::optional<LevelState>& grid = forward ? step.gridAfter : step.gridBefore)
    {
        state.width = grid->width;
        state.height = grid->height;
        state.tiles = grid->tiles;
    }
    if (const std::optional<std::vector<EditObject>>& objects = forward ? step.objectsAfter : step.objectsBefore)
        state.objects = *objects;
    revision++;
}

bool EditorDocument::Undo()
{
    if (stepDepth > 0 || !CanUndo())
        return false;
    Apply(steps[static_cast<size_t>(--undoPosition)], false);
    return true;
}

bool EditorDocument::Redo()
{
    if (stepDepth > 0 || !CanRedo())
        return false;
    Apply(steps[static_cast<size_t>(undoPosition++)], true);
    return true;
}

std::string EditorDocument::UndoName() const
{
    return CanUndo() ? steps[static_cast<size_t>(undoPosition - 1)].name : std::string();
}

std::string EditorDocument::RedoName() const
{
    return CanRedo() ? steps[static_cast<size_t>(undoPosition)].name : std::string();
}

bool EditorDocument::SetTile(int column, int row, int16_t value)
{
    if (!state.Contains(column, row) || state.Tile(column, row) == value)
        return false;
    Begin(value >= levelc::LevelSource::SolidTile ? "paint hedge" : "erase hedge");
    state.tiles[static_cast<size_t>(row * state.width + column)] = value;
    End();
    return true;
}

bool EditorDocument::Resize(int newWidth, int newHeight, int shiftColumns, int shiftRows)
{
    if (newWidth < MinWidth || newHeight < MinHeight || static_cast<long>(newWidth) * newHeight > MaxTiles)
        return false;
    if (newWidth == state.width && newHeight == state.height && shiftColumns == 0 && shiftRows == 0)
        return false;
    const long dx = static_cast<long>(shiftColumns) * TilePixels;
    const long dy = static_cast<long>(shiftRows) * TilePixels;
    for (const EditObject& object : state.objects)
    {
        if (!FitsInt16(object.object.x + dx) || !FitsInt16(object.object.y + dy))
            return false;
    }
    Begin("resize level");
    std::vector<int16_t> tiles(static_cast<size_t>(newWidth * newHeight), levelc::LevelSource::OpenTile);
    for (int row = 0; row < newHeight; row++)
    {
        for (int column = 0; column < newWidth; column++)
        {
            const int oldColumn = column - shiftColumns;
            const int oldRow = row - shiftRows;
            if (state.Contains(oldColumn, oldRow))
                tiles[static_cast<size_t>(row * newWidth + column)] = state.Tile(oldColumn, oldRow);
        }
    }
    state.width = newWidth;
    state.height = newHeight;
    state.tiles = std::move(tiles);
    for (EditObject& object : state.objects)
    {
        object.object.x = static_cast<int16_t>(object.object.x + dx);
        object.object.y = static_cast<int16_t>(object.object.y + dy);
    }
    End();
    return true;
}

int EditorDocument::AddObject(const levelc::SourceObject& object, int index)
{
    const int count = static_cast<int>(state.objects.size());
    if (index < 0 || index > count)
        index = count;
    const levelc::ObjectKind* kind = levelc::KindOfType(object.type);
    const bool exit = object.type == 5 && object.param == levelc::ExitLink;
    Begin("add " + std::string(exit ? levelc::ExitName : kind ? kind->name : "object"));
    EditObject added{object, NewId()};
    added.object.line = 0;
    state.objects.insert(state.objects.begin() + index, added);
    End();
    return index;
}

bool EditorDocument::RemoveObject(int index)
{
    if (index < 0 || index >= static_cast<int>(state.objects.size()))
        return false;
    Begin("delete object");
    state.objects.erase(state.objects.begin() + index);
    End();
    return true;
}

bool EditorDocument::ChangeObject(int index, const levelc::SourceObject& object)
{
    if (index < 0 || index >= static_cast<int>(state.objects.size()))
        return false;
    EditObject& target = state.objects[static_cast<size_t>(index)];
    if (target.SameRecord({object, target.id}))
        return false;
    Begin("change object");
    const int line = target.object.line;
    target.object = object;
    target.object.line = line;
    End();
    return true;
}

bool EditorDocument::MoveObject(int index, int x, int y)
{
    if (index < 0 || index >= static_cast<int>(state.objects.size()) || !FitsInt16(x) || !FitsInt16(y))
        return false;
    levelc::SourceObject moved = state.objects[static_cast<size_t>(index)].object;
    moved.x = static_cast<int16_t>(x);
    moved.y = static_cast<int16_t>(y);
    Begin("move object");
    const bool changed = ChangeObject(index, moved);
    End();
    return changed;
}

int EditorDocument::DuplicateObject(int index, int dx, int dy)
{
    if (index < 0 || index >= static_cast<int>(state.objects.size()))
        return -1;
    levelc::SourceObject copy = state.objects[static_cast<size_t>(index)].object;
    const long x = copy.x + static_cast<long>(dx);
    const long y = copy.y + static_cast<long>(dy);
    if (!FitsInt16(x) || !FitsInt16(y))
        return -1;
    copy.x = static_cast<int16_t>(x);
    copy.y = static_cast<int16_t>(y);
    Begin("duplicate object");
    const int added = AddObject(copy);
    End();
    return added;
}

levelc::Diagnostics EditorDocument::Check() const
{
    const levelc::LevelSource source = state.ToSource();
    levelc::Diagnostics diagnostics;
    levelc::LevelRules::CheckPlayable(source, diagnostics);
    if (!diagnostics.HasErrors())
        levelc::LevelRules::CheckDesign(source, levelIndex, diagnostics);
    return diagnostics;
}

int EditorDocument::NectarFlowers() const
{
    return static_cast<int>(std::count_if(state.objects.begin(), state.objects.end(),
                                          [](const EditObject& object)
                                          {
                                              const levelc::ObjectKind* kind = levelc::KindOfType(object.object.type);
                                              return kind && kind->nectar;
                                          }));
}

int EditorDocument::FlowersNeeded() const
{
    return levelc::LevelRules::FlowersNeeded(NectarFlowers(), levelIndex);
}

} // namespace tibble::edit
