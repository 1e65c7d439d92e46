#include "level/LevelSource.h"

#include "level/ObjectKind.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>
#include <map>
#include <set>

namespace levelc
{

namespace
{

constexpr int TileSize = 64;
constexpr char OpenChar = '.';
constexpr char SolidChar = '#';
constexpr char CommentChar = '#'; // outside the grid only

std::vector<std::string_view> Tokens(std::string_view text)
{
    std::vector<std::string_view> tokens;
    size_t pos = 0;
    while (pos < text.size())
    {
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t'))
            pos++;
        size_t start = pos;
        while (pos < text.size() && text[pos] != ' ' && text[pos] != '\t')
            pos++;
        if (pos > start)
            tokens.push_back(text.substr(start, pos - start));
    }
    return tokens;
}

std::string_view TrimRight(std::string_view text)
{
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

// A character as a message can show it.
std::string Shown(char c)
{
    const auto u = static_cast<unsigned char>(c);
    if (c == ' ')
        return "a space";
    if (c == '\t')
        return "a tab";
    if (u > 32 && u < 127)
        return Printf("'%c'", c);
    return Printf("byte 0x%02X", u);
}

// A whole decimal integer, with an optional '-'.
bool ParseInteger(std::string_view token, long long& value)
{
    if (token.empty())
        return false;
    const char* end = token.data() + token.size();
    auto [ptr, ec] = std::from_chars(token.data(), end, value);
    return ec == std::errc() && ptr == end;
}

bool FitsInt16(long long value)
{
    return value >= std::numeric_limits<int16_t>::min() && value <= std::numeric_limits<int16_t>::max();
}

// A tile coordinate such as "12" or "3.5" turned into pixels; false when it is not a decimal number or does not
// land on a whole pixel. Exact decimal arithmetic, so "0.015625" (one pixel) works and "0.1" is refused.
bool ParseTileCoordinate(std::string_view token, long long& pixels)
{
    bool negative = false;
    if (!token.empty() && token[0] == '-')
    {
        negative = true;
        token.remove_prefix(1);
    }
    const size_t dot = token.find('.');
    std::string_view whole = token.substr(0, dot);
    std::string_view fraction = dot == std::string_view::npos ? std::string_view() : token.substr(dot + 1);
    if ((whole.empty() && fraction.empty()) || whole.size() > 6 || fraction.size() > 9)
        return false;
    if (dot != std::string_view::npos && fraction.empty())
        return false;
    long long numerator = 0;
    long long denominator = 1;
    for (char c : whole)
    {
        if (c < '0' || c > '9')
            return false;
        numerator = numerator * 10 + (c - '0');
    }
    for (char c : fraction)
    {
        if (c < '0' || c > '9')
            return false;
        numerator = numerator * 10 + (c - '0');
        denominator *= 10;
    }
    if ((numerator * TileSize) % denominator != 0)
        return false;
    pixels = numerator * TileSize / denominator;
    if (negative)
        pixels = -pixels;
    return true;
}

std::string ParamList(const ObjectKind& kind)
{
    std::string list = std::string(ParamName(kind.param));
    if (kind.hasOrder)
        list += ", order";
    return list;
}

class Parser
{
public:
    explicit Parser(Diagnostics& out) : diagnostics(out) {}

    std::optional<LevelSource> Run(std::string_view text)
    {
        int number = 0;
        size_t pos = 0;
        while (pos <= text.size())
        {
            size_t end = text.find('\n', pos);
            if (end == std::string_view::npos)
                end = text.size();
            std::string_view line = text.substr(pos, end - pos);
            number++;
            if (!(end == text.size() && line.empty()))
                Line(number, TrimRight(line));
            pos = end + 1;
        }
        if (inGrid)
            diagnostics.Error(gridLine, "the grid has no 'end' line");
        if (!gridSeen)
            diagnostics.Error(0, "no grid: the tiles go between a 'grid' line and an 'end' line");
        else
            ResolveGrid();
        if (diagnostics.HasErrors())
            return std::nullopt;
        return std::move(level);
    }

private:
    struct Row
    {
        int line;
        std::string_view text;
    };
    struct LegendEntry
    {
        int16_t value;
        int line;
    };

    void Line(int number, std::string_view line)
    {
        if (inGrid)
        {
            const std::vector<std::string_view> words = Tokens(line);
            if (words.size() == 1 && words[0] == "end")
            {
                inGrid = false;
                skipRows = false;
            }
            else if (!skipRows)
                rows.push_back({number, line});
            return;
        }
        const size_t comment = line.find(CommentChar);
        if (comment != std::string_view::npos)
            line = line.substr(0, comment);
        std::vector<std::string_view> tokens = Tokens(line);
        if (tokens.empty())
            return;
        const std::string_view word = tokens[0];
        if (word == "size")
            Size(number, tokens);
        else if (word == "legend")
            Legend(number, tokens);
        else if (word == "grid")
            Grid(number, tokens);
        else if (word == "end")
            diagnostics.Error(number, "'end' without a 'grid' before it");
        else
            Object(number, tokens);
    }

    void Size(int number, const std::vector<std::string_view>& tokens)
    {
        long long w = 0;
        long long h = 0;
        if (tokens.size() != 3 || !ParseInteger(tokens[1], w) || !ParseInteger(tokens[2], h))
        {
            diagnostics.Error(number, "'size' needs two whole numbers: width and height in tiles");
            return;
        }
        if (sizeLine)
        {
            diagnostics.Error(number, Printf("'size' given again (first on line %d)", sizeLine));
            return;
        }
        if (w < 1 || h < 1 || w > std::numeric_limits<int16_t>::max() || h > std::numeric_limits<int16_t>::max())
        {
            diagnostics.Error(number, Printf("size %lld x %lld is not a possible level size", w, h));
            return;
        }
        sizeWidth = static_cast<int>(w);
        sizeHeight = static_cast<int>(h);
        sizeLine = number;
    }

    void Legend(int number, const std::vector<std::string_view>& tokens)
    {
        long long value = 0;
        if (tokens.size() != 3 || tokens[1].size() != 1 || !ParseInteger(tokens[2], value))
        {
            diagnostics.Error(number, "'legend' needs one character and the tile value it stands for");
            return;
        }
        const char c = tokens[1][0];
        if (c == OpenChar || c == SolidChar)
        {
            diagnostics.Error(number, Printf("'%c' always stands for %d; choose another character", c,
                                             c == OpenChar ? LevelSource::OpenTile : LevelSource::SolidTile));
            return;
        }
        if (!FitsInt16(value))
        {
            diagnostics.Error(number, Printf("tile value %lld does not fit in 16 bits", value));
            return;
        }
        auto found = legend.find(c);
        if (found != legend.end())
        {
            diagnostics.Error(number, Printf("'%c' is already in the legend (line %d)", c, found->second.line));
            return;
        }
        legend[c] = {static_cast<int16_t>(value), number};
    }

    void Grid(int number, const std::vector<std::string_view>& tokens)
    {
        if (gridSeen)
        {
            diagnostics.Error(number, Printf("a second grid (the first starts on line %d)", gridLine));
            // Its rows are passed over, so that they are not taken for objects.
            inGrid = true;
            skipRows = true;
            return;
        }
        if (tokens.size() > 2 || (tokens.size() == 2 && tokens[1] != "numbers"))
        {
            diagnostics.Error(number, "'grid' takes nothing, or 'numbers' for rows of tile values");
            return;
        }
        numericGrid = tokens.size() == 2;
        gridSeen = true;
        inGrid = true;
        gridLine = number;
    }

    void ResolveGrid()
    {
        if (rows.empty())
        {
            diagnostics.Error(gridLine, "the grid has no rows");
            return;
        }
        int width = -1;
        for (const Row& row : rows)
        {
            std::vector<int16_t> values;
            if (!RowValues(row, values))
                continue;
            if (values.empty())
            {
                diagnostics.Error(row.line, "empty grid row");
                continue;
            }
            if (width < 0)
                width = static_cast<int>(values.size());
            else if (static_cast<int>(values.size()) != width)
            {
                diagnostics.Error(row.line, Printf("grid row is %zu tiles wide; the first row (line %d) is %d",
                                                   values.size(), rows[0].line, width));
                continue;
            }
            level.tiles.insert(level.tiles.end(), values.begin(), values.end());
        }
        if (diagnostics.HasErrors())
            return;
        level.width = width;
        level.height = static_cast<int>(rows.size());
        level.sizeLine = rows[0].line;
        if (sizeLine)
        {
            level.sizeLine = sizeLine;
            if (sizeWidth != level.width || sizeHeight != level.height)
                diagnostics.Error(sizeLine, Printf("size %d x %d, but the grid (lines %d-%d) is %d x %d tiles",
                                                   sizeWidth, sizeHeight, rows.front().line, rows.back().line,
                                                   level.width, level.height));
        }
    }

    bool RowValues(const Row& row, std::vector<int16_t>& values)
    {
        if (numericGrid)
        {
            for (std::string_view token : Tokens(row.text))
            {
                long long value = 0;
                if (!ParseInteger(token, value) || !FitsInt16(value))
                {
                    diagnostics.Error(row.line, "'" + std::string(token) + "' is not a 16-bit tile value");
                    return false;
                }
                values.push_back(static_cast<int16_t>(value));
            }
            return true;
        }
        for (size_t i = 0; i < row.text.size(); i++)
        {
            const char c = row.text[i];
            if (c == OpenChar)
                values.push_back(LevelSource::OpenTile);
            else if (c == SolidChar)
                values.push_back(LevelSource::SolidTile);
            else if (auto found = legend.find(c); found != legend.end())
                values.push_back(found->second.value);
            else
            {
                diagnostics.Error(row.line,
                                  Printf("unknown tile character %s in column %zu (give it a value with 'legend')",
                                         Shown(c).c_str(), i + 1));
                return false;
            }
        }
        return true;
    }

    void Object(int number, const std::vector<std::string_view>& tokens)
    {
        SourceObject object;
        object.line = number;
        const ObjectKind* kind = nullptr;
        bool exit = false;
        size_t next = 1;
        const std::string_view word = tokens[0];
        if (word == OtherName)
        {
            long long type = 0;
            if (tokens.size() < 2 || !ParseInteger(tokens[1], type) || !FitsInt16(type))
            {
                diagnostics.Error(number, "'object' needs the record's type number");
                return;
            }
            if (const ObjectKind* named = KindOfType(static_cast<int>(type)))
            {
                diagnostics.Error(number, Printf("type %lld is written '%.*s'", type,
                                                 static_cast<int>(named->name.size()), named->name.data()));
                return;
            }
            object.type = static_cast<int16_t>(type);
            next = 2;
        }
        else if (word == ExitName)
        {
            kind = KindOfType(5);
            exit = true;
            object.type = kind->type;
            object.param = ExitLink;
        }
        else if ((kind = KindOfName(word)) != nullptr)
            object.type = kind->type;
        else
        {
            diagnostics.Error(number, "unknown object type '" + std::string(word) + "'");
            return;
        }

        const std::string what = kind ? std::string(exit ? ExitName : kind->name) : std::string(OtherName);
        bool havePosition = false;
        bool haveParam = false;
        bool haveOrder = false;
        for (size_t i = next; i < tokens.size();)
        {
            const std::string_view key = tokens[i];
            if (key == "at" || key == "tile")
            {
                if (havePosition)
                {
                    diagnostics.Error(number, "the position is given twice");
                    return;
                }
                if (i + 2 >= tokens.size())
                {
                    diagnostics.Error(number, "'" + std::string(key) + "' needs two numbers: x and y");
                    return;
                }
                long long x = 0;
                long long y = 0;
                const bool ok = key == "at" ? ParseInteger(tokens[i + 1], x) && ParseInteger(tokens[i + 2], y)
                                            : ParseTileCoordinate(tokens[i + 1], x) &&
                                                  ParseTileCoordinate(tokens[i + 2], y);
                if (!ok)
                {
                    diagnostics.Error(number, key == "at" ? "'at' takes whole pixels: at X Y"
                                                          : "'tile' takes tile numbers that land on whole pixels "
                                                            "(12, 3.5, 0.25): tile COLUMN ROW");
                    return;
                }
                if (!FitsInt16(x) || !FitsInt16(y))
                {
                    diagnostics.Error(number, Printf("position (%lld, %lld) pixels does not fit in 16 bits", x, y));
                    return;
                }
                object.x = static_cast<int16_t>(x);
                object.y = static_cast<int16_t>(y);
                havePosition = true;
                i += 3;
                continue;
            }

            const bool isParam = key == "param" || (kind && !exit && kind->param != ParamKind::Raw &&
                                                    key == ParamName(kind->param));
            const bool isOrder = key == "order" && kind && kind->hasOrder;
            if (!isParam && !isOrder)
            {
                if (exit && key == "link")
                    diagnostics.Error(number, "an exit is a trumpet with link 1; write 'trumpet ... link N' for "
                                              "another link");
                else if (kind && kind->param != ParamKind::Raw)
                    diagnostics.Error(number, "'" + std::string(key) + "' is not a parameter of " + what +
                                                  " (it takes " + ParamList(*kind) + ")");
                else
                    diagnostics.Error(number, "'" + std::string(key) + "' is not a parameter of " + what +
                                                  " (it takes only 'param')");
                return;
            }
            if ((isParam && haveParam) || (isOrder && haveOrder))
            {
                diagnostics.Error(number, "'" + std::string(key) + "' is given twice");
                return;
            }
            long long value = 0;
            if (i + 1 >= tokens.size() || !ParseInteger(tokens[i + 1], value) || !FitsInt16(value))
            {
                diagnostics.Error(number, "'" + std::string(key) + "' needs a whole number from -32768 to 32767");
                return;
            }
            if (isParam && exit)
            {
                diagnostics.Error(number, "an exit's param is its link, always 1");
                return;
            }
            if (isParam)
            {
                object.param = static_cast<int16_t>(value);
                haveParam = true;
            }
            else
            {
                object.order = static_cast<int16_t>(value);
                haveOrder = true;
            }
            i += 2;
        }
        if (!havePosition)
        {
            diagnostics.Error(number, what + " needs a position: 'at X Y' in pixels or 'tile COLUMN ROW'");
            return;
        }
        if (kind && !exit && kind->param != ParamKind::Raw && !haveParam)
        {
            const std::string_view name = ParamName(kind->param);
            diagnostics.Error(number, what + " needs its " + std::string(name) + ": '" + std::string(name) + " N'");
            return;
        }
        level.objects.push_back(object);
    }

    Diagnostics& diagnostics;
    LevelSource level;
    std::vector<Row> rows;
    std::map<char, LegendEntry> legend;
    bool inGrid = false;
    bool gridSeen = false;
    bool skipRows = false;
    bool numericGrid = false;
    int gridLine = 0;
    int sizeWidth = 0;
    int sizeHeight = 0;
    int sizeLine = 0;
};

// Characters the writer gives to unusual tile values: a value 0..9 its own digit, any other value a letter or
// punctuation mark (never a digit, so "legend 7 7" can never be mistaken).
std::string LegendLetters()
{
    std::string letters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    for (char c = 33; c < 127; c++)
    {
        if (c != OpenChar && c != SolidChar && !(c >= '0' && c <= '9') && letters.find(c) == std::string::npos)
            letters += c;
    }
    return letters;
}

std::string ObjectLine(const SourceObject& object)
{
    const ObjectKind* kind = KindOfType(object.type);
    std::string name;
    if (!kind)
        name = std::string(OtherName) + " " + std::to_string(object.type);
    else if (object.type == 5 && object.param == ExitLink)
        name = std::string(ExitName);
    else
        name = std::string(kind->name);

    std::string position;
    if (object.x % TileSize == 0 && object.y % TileSize == 0)
        position = Printf("tile %d %d", object.x / TileSize, object.y / TileSize);
    else
        position = Printf("at %d %d", object.x, object.y);

    std::string line = Printf("%-12s %-14s", name.c_str(), position.c_str());
    if (kind && kind->param != ParamKind::Raw)
    {
        if (!(object.type == 5 && object.param == ExitLink))
            line += Printf(" %s %d", std::string(ParamName(kind->param)).c_str(), object.param);
    }
    else if (object.param != 0)
        line += Printf(" param %d", object.param);
    if (kind && kind->hasOrder)
        line += Printf(" order %d", object.order);
    return std::string(TrimRight(line));
}

} // namespace

std::optional<LevelSource> LevelSource::Parse(std::string_view text, Diagnostics& diagnostics)
{
    return Parser(diagnostics).Run(text);
}

std::string LevelSource::ObjectText(const SourceObject& object)
{
    return ObjectLine(object);
}

bool LevelSource::IsSolid(int column, int row) const
{
    if (column < 0 || row < 0 || column >= width || row >= height)
        return false;
    return Tile(column, row) >= SolidTile;
}

std::string LevelSource::ToText() const
{
    std::set<int16_t> unusual;
    for (int16_t value : tiles)
    {
        if (value != OpenTile && value != SolidTile)
            unusual.insert(value);
    }
    const std::string letters = LegendLetters();
    const auto others = std::count_if(unusual.begin(), unusual.end(), [](int16_t v) { return v < 0 || v > 9; });
    // More distinct values than characters: the grid is written as numbers instead.
    const bool numeric = static_cast<size_t>(others) > letters.size();

    std::map<int16_t, char> chars;
    if (!numeric)
    {
        size_t next = 0;
        for (int16_t value : unusual)
            chars[value] = value >= 0 && value <= 9 ? static_cast<char>('0' + value) : letters[next++];
    }

    std::string text = Printf("size %d %d\n", width, height);
    if (!chars.empty())
    {
        std::map<char, int16_t> byChar;
        for (auto [value, c] : chars)
            byChar[c] = value;
        for (auto [c, value] : byChar)
            text += Printf("legend %c %d\n", c, value);
    }
    text += numeric ? "\ngrid numbers\n" : "\ngrid\n";
    for (int row = 0; row < height; row++)
    {
        std::string line;
        for (int column = 0; column < width; column++)
        {
            const int16_t value = Tile(column, row);
            if (numeric)
                line += (column ? " " : "") + std::to_string(value);
            else if (value == OpenTile)
                line += OpenChar;
            else if (value == SolidTile)
                line += SolidChar;
            else
                line += chars[value];
        }
        text += line + "\n";
    }
    text += "end\n";
    if (!objects.empty())
        text += "\n";
    for (const SourceObject& object : objects)
        text += ObjectLine(object) + "\n";
    return text;
}

} // namespace levelc
