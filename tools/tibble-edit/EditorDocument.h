// The level being edited, without any window: the tiles and objects, every change as an undoable step,
// the compiler's checks of the current state, and the files (level sources kept line for line where the
// edit leaves them alone, map files opened through the decompiler and exported, all written atomically).
// Owned by the editor application (or a test); one thread.
#pragma once

#include "level/Diagnostics.h"
#include "LevelState.h"
#include "SourceLayout.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tibble::edit
{

class EditorDocument
{
public:
    // Steps kept for undo; older ones are forgotten.
    static constexpr int MaxUndoSteps = 500;
    static constexpr int MinWidth = 10;
    static constexpr int MinHeight = 8;
    static constexpr int MaxTiles = 65536;
    static constexpr int TilePixels = 64;

    // A new level of width x height tiles: open garden with a solid bottom row, a start and nothing else.
    EditorDocument(int width = 12, int height = 9);

    // Reads a file: a map when the name ends in ".pmp" (decompiled), a level source otherwise. On failure the
    // document is left as it was and error says why. A map's level is saved as NAME.lvl beside it, or
    // NAME-from-map.lvl when that source exists already.
    [[nodiscard]] bool Open(const std::string& path, std::string& error);
    [[nodiscard]] bool LoadSource(std::string_view text, std::string& error);
    [[nodiscard]] bool LoadMap(std::span<const uint8_t> bytes, std::string& error);

    // The level source Save writes.
    std::string SourceText() const;
    // Writes the source atomically (a temporary file beside it, flushed, renamed over the old one). The
    // document then belongs to path and counts as unmodified.
    [[nodiscard]] bool Save(const std::string& path, std::string& error);
    // The map file of the current level; false with error when the level has errors the game cannot load.
    [[nodiscard]] bool MapBytes(std::vector<uint8_t>& bytes, std::string& error) const;
    [[nodiscard]] bool ExportMap(const std::string& path, std::string& error) const;

    const LevelState& State() const { return state; }
    int Width() const { return state.width; }
    int Height() const { return state.height; }
    const std::vector<EditObject>& Objects() const { return state.objects; }
    // Where the document was read from or last saved ("" for a new level).
    const std::string& Path() const { return path; }
    // Level index (0..12) whose share of nectar the exit needs: from the file name when it names a level.
    int GetLevelIndex() const { return levelIndex; }
    void SetLevelIndex(int index);

    // Changes. Each is one undo step unless made between BeginStep and EndStep; each answers whether it
    // changed anything (nothing happens for a tile outside the grid, a bad index or a size beyond the limits).
    bool SetTile(int column, int row, int16_t value);
    // New size; the old grid moves by (shiftColumns, shiftRows) tiles and its objects with it; new tiles are
    // open garden. Objects left off the grid stay (the checks point them out).
    bool Resize(int newWidth, int newHeight, int shiftColumns = 0, int shiftRows = 0);
    // Adds the object at the end of the list (or at index); answers its index.
    int AddObject(const levelc::SourceObject& object, int index = -1);
    bool RemoveObject(int index);
    bool ChangeObject(int index, const levelc::SourceObject& object);
    bool MoveObject(int index, int x, int y);
    // A copy of the object, moved by (dx, dy), at the end of the list; answers its index or -1.
    int DuplicateObject(int index, int dx, int dy);

    // Groups the changes until the matching EndStep into one undo step named name (a brush stroke, a drag).
    void BeginStep(const std::string& name);
    void EndStep();

    bool Undo();
    bool Redo();
    bool CanUndo() const { return undoPosition > 0; }
    bool CanRedo() const { return undoPosition < static_cast<int>(steps.size()); }
    std::string UndoName() const;
    std::string RedoName() const;
    int UndoDepth() const { return undoPosition; }
    // Differs from the saved state (or was never saved).
    bool IsModified() const { return savedPosition != undoPosition; }
    // Grows with every change, undo and redo: views compare it to know when to draw again.
    uint64_t Revision() const { return revision; }

    // The compiler's errors and design warnings for the current level; a diagnostic's line is the object's
    // index + 1, or 0 for the level as a whole.
    levelc::Diagnostics Check() const;
    // Nectar flowers the level offers and how many of them the exit needs.
    int NectarFlowers() const;
    int FlowersNeeded() const;

private:
    struct TileChange
    {
        int index;
        int16_t before;
        int16_t after;
    };
    struct Step
    {
        std::string name;
        // Same size before and after: the tiles that changed; otherwise both whole grids.
        std::vector<TileChange> tileChanges;
        std::optional<LevelState> gridBefore; // objects left empty: only size and tiles
        std::optional<LevelState> gridAfter;
        std::optional<std::vector<EditObject>> objectsBefore;
        std::optional<std::vector<EditObject>> objectsAfter;
    };

    void Begin(const std::string& name);
    void End();
    // Puts the state after (forward) or before the step.
    void Apply(const Step& step, bool forward);
    void Reset(LevelState newState, std::optional<SourceLayout> newLayout, const std::string& newPath);
    int NewId() { return nextId++; }

    LevelState state;
    std::optional<SourceLayout> layout; // the source the document was read from or saved to
    std::string path;
    int levelIndex = 0;
    int nextId = 1;

    std::vector<Step> steps;
    int undoPosition = 0;
    int savedPosition = -1; // -1: no saved state among the steps
    uint64_t revision = 0;

    int stepDepth = 0;
    std::string stepName;
    std::optional<LevelState> stepStart;
};

// Writes bytes to path atomically: a temporary file beside it, flushed to the disk and renamed over path, so the
// old file stays whole when anything fails. False with error saying why.
[[nodiscard]] bool WriteFileAtomically(const std::string& path, std::span<const uint8_t> bytes, std::string& error);

} // namespace tibble::edit
