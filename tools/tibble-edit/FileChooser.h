// What the editor's Open and Save As dialogs show and decide, without any window: the folder shown, its rows (the
// way up, the folders in it, its level sources) and what a typed name stands for. Paths are the file system's
// (UTF-8). One per dialog; main thread.
#pragma once

#include <string>
#include <vector>

namespace tibble::edit
{

class FileChooser
{
public:
    enum class Mode
    {
        Open,
        SaveAs,
    };

    // One row: the way up (name ".."), a folder or a level source.
    struct Entry
    {
        std::string name;
        bool folder = false;
    };

    // What a typed name stands for.
    struct Choice
    {
        enum class Kind
        {
            Refused, // message says why
            Folder,  // path: a folder to show
            File,    // path: the file to open, or to write (Save As)
        };
        Kind kind = Kind::Refused;
        std::string path; // absolute and normalised
        std::string message;
        bool exists = false; // File: there is one already (Save As asks before replacing it)
    };

    explicit FileChooser(Mode mode) : mode(mode) {}

    Mode GetMode() const { return mode; }
    // Shows the folder: the way up unless it is the root, then its folders, then its .lvl files, each group
    // sorted by name; hidden ones (".name") are left out. On failure nothing changes and error says why.
    [[nodiscard]] bool SetFolder(const std::string& path, std::string& error);
    const std::string& Folder() const { return folder; }
    const std::vector<Entry>& Entries() const { return entries; }
    // The folder of the row at index shown (the way up: the parent). False for a file row or a row out of range
    // (nothing changes, error empty) and for a folder that cannot be read (error says why).
    [[nodiscard]] bool Enter(int index, std::string& error);

    // What typed (a name in the folder shown, a path relative to it, an absolute path or one under ~/) stands
    // for. Open: an existing .lvl or .pmp file (a name without an extension finds NAME.lvl). Save As: a .lvl
    // file in an existing folder; a name without an extension gets .lvl, any other extension is refused. A name
    // of a folder, or one ending in '/', stands for that folder.
    Choice Resolve(const std::string& typed) const;

private:
    Mode mode;
    std::string folder;
    std::vector<Entry> entries;
};

} // namespace tibble::edit
