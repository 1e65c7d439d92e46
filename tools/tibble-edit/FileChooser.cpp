#include "FileChooser.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace tibble::edit
{

namespace fs = std::filesystem;

namespace
{

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool IsLevelName(const std::string& name)
{
    return Lower(fs::path(name).extension().string()) == ".lvl";
}

std::string Trim(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return "";
    const size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// Names sort as a person reads them: case aside first, then exactly, so the order is the same on every system.
bool NameBefore(const std::string& a, const std::string& b)
{
    const std::string la = Lower(a);
    const std::string lb = Lower(b);
    return la != lb ? la < lb : a < b;
}

FileChooser::Choice Refuse(std::string message)
{
    FileChooser::Choice choice;
    choice.message = std::move(message);
    return choice;
}

} // namespace

bool FileChooser::SetFolder(const std::string& path, std::string& error)
{
    std::error_code code;
    fs::path where = fs::absolute(path.empty() ? fs::path(".") : fs::path(path), code);
    if (code)
    {
        error = "cannot find " + path + ": " + code.message();
        return false;
    }
    where = where.lexically_normal();
    // "/a/b/" normalises to "/a/b/": the shown folder never ends in a separator but the root.
    if (where.has_relative_path() && !where.has_filename())
        where = where.parent_path();
    if (!fs::is_directory(where, code))
    {
        error = where.string() + " is not a folder";
        return false;
    }
    fs::directory_iterator it(where, code);
    if (code)
    {
        error = "cannot read " + where.string() + ": " + code.message();
        return false;
    }
    std::vector<Entry> folders;
    std::vector<Entry> files;
    for (const fs::directory_iterator end; it != end; it.increment(code))
    {
        if (code)
        {
            error = "cannot read " + where.string() + ": " + code.message();
            return false;
        }
        const std::string name = it->path().filename().string();
        if (name.empty() || name[0] == '.')
            continue;
        // An entry that cannot be looked at (a dangling link, a name it may not see) is left out.
        std::error_code statCode;
        if (it->is_directory(statCode))
            folders.push_back({name, true});
        else if (!statCode && it->is_regular_file(statCode) && IsLevelName(name))
            files.push_back({name, false});
    }
    if (code)
    {
        error = "cannot read " + where.string() + ": " + code.message();
        return false;
    }
    auto byName = [](const Entry& a, const Entry& b) { return NameBefore(a.name, b.name); };
    std::sort(folders.begin(), folders.end(), byName);
    std::sort(files.begin(), files.end(), byName);
    entries.clear();
    if (where.has_relative_path())
        entries.push_back({"..", true});
    entries.insert(entries.end(), folders.begin(), folders.end());
    entries.insert(entries.end(), files.begin(), files.end());
    folder = where.string();
    return true;
}

bool FileChooser::Enter(int index, std::string& error)
{
    error.clear();
    if (index < 0 || index >= static_cast<int>(entries.size()) || !entries[static_cast<size_t>(index)].folder)
        return false;
    const Entry& entry = entries[static_cast<size_t>(index)];
    const fs::path target = entry.name == ".." ? fs::path(folder).parent_path() : fs::path(folder) / entry.name;
    return SetFolder(target.string(), error);
}

FileChooser::Choice FileChooser::Resolve(const std::string& typedName) const
{
    const std::string typed = Trim(typedName);
    if (typed.empty())
        return Refuse(mode == Mode::Open ? "pick a level in the list or type its name" : "type a name for the level");
    fs::path path(typed);
    if (typed == "~" || typed.rfind("~/", 0) == 0)
    {
        const char* home = std::getenv("HOME");
        if (!home || !*home)
            return Refuse("no home folder is known for ~");
        path = fs::path(home) / typed.substr(std::min<size_t>(2, typed.size()));
    }
    if (path.is_relative())
        path = fs::path(folder) / path;
    path = path.lexically_normal();

    std::error_code code;
    const bool endsInSeparator = typed.back() == '/';
    if (fs::is_directory(path, code))
    {
        Choice choice;
        choice.kind = Choice::Kind::Folder;
        choice.path = path.has_relative_path() && !path.has_filename() ? path.parent_path().string() : path.string();
        return choice;
    }
    if (endsInSeparator)
        return Refuse("no such folder: " + typed);

    std::string name = path.filename().string();
    const std::string extension = Lower(path.extension().string());
    if (mode == Mode::Open)
    {
        // A name without an extension stands for the level source of that name.
        if (extension.empty())
            path.concat(".lvl");
        else if (extension != ".lvl" && extension != ".pmp")
            return Refuse(name + " is not a level: open a .lvl source or a .pmp map");
        if (!fs::exists(path, code))
            return Refuse("no such file: " + path.filename().string());
        if (!fs::is_regular_file(path, code))
            return Refuse(path.filename().string() + " is not a file");
        Choice choice;
        choice.kind = Choice::Kind::File;
        choice.path = path.string();
        choice.exists = true;
        return choice;
    }

    if (name.empty() || name[0] == '.')
        return Refuse("a name starting with '.' would be hidden: type one without it");
    if (extension.empty())
        path.concat(".lvl");
    else if (extension != ".lvl")
        return Refuse("a level is saved as a .lvl file: " + path.stem().string() + ".lvl");
    if (!fs::is_directory(path.parent_path(), code))
        return Refuse("no such folder: " + path.parent_path().string());
    Choice choice;
    choice.kind = Choice::Kind::File;
    choice.path = path.string();
    const fs::file_status status = fs::status(path, code);
    choice.exists = fs::exists(status);
    if (choice.exists && !fs::is_regular_file(status))
        return Refuse(path.filename().string() + " is not a file that a level can replace");
    return choice;
}

} // namespace tibble::edit
