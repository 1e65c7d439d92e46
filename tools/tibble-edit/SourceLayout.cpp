#include "SourceLayout.h"

#include <string>

namespace tibble::edit
{

namespace
{

std::vector<std::string_view> Words(std::string_view text)
{
    std::vector<std::string_view> words;
    size_t pos = 0;
    while (pos < text.size())
    {
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t' || text[pos] == '\r'))
            pos++;
        const size_t start = pos;
        while (pos < text.size() && text[pos] != ' ' && text[pos] != '\t' && text[pos] != '\r')
            pos++;
        if (pos > start)
            words.push_back(text.substr(start, pos - start));
    }
    return words;
}

// The comment at the end of a line outside the grid, with the blanks before it; empty when there is none.
std::string CommentTail(std::string_view line)
{
    const size_t hash = line.find('#');
    if (hash == std::string_view::npos)
        return {};
    size_t start = hash;
    while (start > 0 && (line[start - 1] == ' ' || line[start - 1] == '\t'))
        start--;
    std::string tail(line.substr(start));
    while (!tail.empty() && tail.back() == '\r')
        tail.pop_back();
    if (start == hash || start == 0)
        tail.insert(0, "  ");
    return tail;
}

} // namespace

SourceLayout SourceLayout::Read(std::string_view text, const levelc::LevelSource& parsed, const std::vector<int>& ids)
{
    SourceLayout layout;
    layout.endsInNewline = text.empty() || text.back() == '\n';
    size_t pos = 0;
    while (pos < text.size())
    {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        layout.lines.push_back({std::string(text.substr(pos, end - pos)), 0});
        pos = end + 1;
    }

    bool inGrid = false;
    for (size_t i = 0; i < layout.lines.size(); i++)
    {
        const int number = static_cast<int>(i) + 1;
        std::string_view line = layout.lines[i].text;
        if (inGrid)
        {
            const auto words = Words(line);
            if (words.size() == 1 && words[0] == "end")
            {
                inGrid = false;
                layout.gridEnd = number;
            }
            continue;
        }
        line = line.substr(0, line.find('#'));
        const auto words = Words(line);
        if (words.empty())
            continue;
        if (words[0] == "size")
            layout.sizeLine = number;
        else if (words[0] == "legend" && words.size() == 3 && words[1].size() == 1)
            layout.legend[static_cast<int16_t>(std::stoi(std::string(words[2])))] = words[1][0];
        else if (words[0] == "grid" && layout.gridStart == 0)
        {
            layout.gridStart = number;
            layout.numericGrid = words.size() == 2;
            inGrid = true;
        }
    }

    layout.width = parsed.width;
    layout.height = parsed.height;
    layout.tiles = parsed.tiles;
    for (size_t i = 0; i < parsed.objects.size() && i < ids.size(); i++)
    {
        const levelc::SourceObject& object = parsed.objects[i];
        layout.written[ids[i]] = object;
        layout.lineOfId[ids[i]] = object.line;
        if (object.line >= 1 && object.line <= static_cast<int>(layout.lines.size()))
            layout.lines[static_cast<size_t>(object.line - 1)].objectId = ids[i];
    }
    return layout;
}

bool SourceLayout::SameGrid(const LevelState& state) const
{
    return state.width == width && state.height == height && state.tiles == tiles;
}

std::optional<std::vector<std::string>> SourceLayout::GridRows(const LevelState& state) const
{
    std::vector<std::string> rows;
    for (int row = 0; row < state.height; row++)
    {
        std::string text;
        for (int column = 0; column < state.width; column++)
        {
            const int16_t value = state.Tile(column, row);
            if (numericGrid)
            {
                text += (column ? " " : "") + std::to_string(value);
                continue;
            }
            if (value == levelc::LevelSource::OpenTile)
                text += '.';
            else if (value == levelc::LevelSource::SolidTile)
                text += '#';
            else if (auto found = legend.find(value); found != legend.end())
                text += found->second;
            else
                return std::nullopt;
        }
        rows.push_back(std::move(text));
    }
    return rows;
}

bool SourceLayout::KeepsLines(const LevelState& state) const
{
    if (lines.empty() || gridStart == 0 || gridEnd == 0)
        return false;
    if (!SameGrid(state) && !GridRows(state))
        return false;
    // The objects that keep a line must still come in the order of their lines.
    int lastLine = 0;
    for (const EditObject& object : state.objects)
    {
        auto found = lineOfId.find(object.id);
        if (found == lineOfId.end())
            continue;
        if (found->second <= lastLine)
            return false;
        lastLine = found->second;
    }
    return true;
}

std::string SourceLayout::Write(const LevelState& state) const
{
    if (!KeepsLines(state))
        return state.ToSource().ToText();

    // The objects without a line of their own follow the last object before them that has one; those before
    // every such object go in front of the first of them.
    std::map<int, std::vector<const EditObject*>> after; // by the id of the object they follow
    std::vector<const EditObject*> leading;
    int previous = 0;
    for (const EditObject& object : state.objects)
    {
        if (lineOfId.count(object.id))
            previous = object.id;
        else if (previous)
            after[previous].push_back(&object);
        else
            leading.push_back(&object);
    }
    std::map<int, const EditObject*> current;
    for (const EditObject& object : state.objects)
        current[object.id] = &object;

    const bool gridChanged = !SameGrid(state);
    std::vector<std::string> out;
    auto emitObject = [&](const EditObject& object) { out.push_back(levelc::LevelSource::ObjectText(object.object)); };
    bool leadingDone = leading.empty();

    for (size_t i = 0; i < lines.size(); i++)
    {
        const int number = static_cast<int>(i) + 1;
        const Line& line = lines[i];
        if (number > gridStart && number < gridEnd)
        {
            if (!gridChanged)
                out.push_back(line.text);
            else if (number == gridStart + 1)
            {
                std::optional<std::vector<std::string>> rows = GridRows(state);
                for (std::string& row : *rows)
                    out.push_back(std::move(row));
            }
            continue;
        }
        if (number == sizeLine && (state.width != width || state.height != height))
        {
            out.push_back("size " + std::to_string(state.width) + " " + std::to_string(state.height) +
                          CommentTail(line.text));
            continue;
        }
        if (!line.objectId)
        {
            out.push_back(line.text);
            continue;
        }
        auto found = current.find(line.objectId);
        if (found == current.end())
            continue; // deleted
        if (!leadingDone)
        {
            for (const EditObject* object : leading)
                emitObject(*object);
            leadingDone = true;
        }
        const EditObject& object = *found->second;
        if (object.SameRecord({written.at(object.id), object.id}))
            out.push_back(line.text);
        else
            out.push_back(levelc::LevelSource::ObjectText(object.object) + CommentTail(line.text));
        if (auto more = after.find(object.id); more != after.end())
        {
            for (const EditObject* added : more->second)
                emitObject(*added);
        }
    }
    bool appended = false;
    if (!leadingDone)
    {
        appended = true;
        while (!out.empty() && out.back().empty())
            out.pop_back();
        out.emplace_back();
        for (const EditObject* object : leading)
            emitObject(*object);
    }

    std::string text;
    for (size_t i = 0; i < out.size(); i++)
    {
        text += out[i];
        if (i + 1 < out.size() || endsInNewline || appended)
            text += '\n';
    }
    return text;
}

} // namespace tibble::edit
