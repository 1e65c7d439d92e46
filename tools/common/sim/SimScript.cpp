#include "sim/SimScript.h"

#include "sim/SimHost.h"

#include <charconv>
#include <sstream>

namespace tibble::sim
{

namespace
{

std::vector<std::string> Words(const std::string& line)
{
    std::vector<std::string> words;
    std::istringstream in(line);
    std::string word;
    while (in >> word)
        words.push_back(word);
    return words;
}

// The whole word as a decimal integer within [low, high].
std::optional<int> Integer(const std::string& word, long long low, long long high)
{
    long long value = 0;
    const char* end = word.data() + word.size();
    auto [ptr, ec] = std::from_chars(word.data(), end, value);
    if (ec != std::errc() || ptr != end || value < low || value > high)
        return std::nullopt;
    return static_cast<int>(value);
}

} // namespace

void SimScript::Apply(const Action& action, SimHost& host)
{
    switch (action.kind)
    {
    case Action::Move:
        host.Move(action.x, action.y);
        break;
    case Action::Down:
        host.Down(action.x, action.y);
        break;
    case Action::Up:
        host.Up(action.x, action.y);
        break;
    }
}

bool SimScript::Parse(const std::string& text, std::string* error)
{
    std::istringstream in(text);
    return Parse(in, error);
}

bool SimScript::Parse(std::istream& in, std::string* error)
{
    std::vector<Action> read;
    std::optional<int> readEnd;
    int lastUpdate = 0;
    int lineNumber = 0;
    std::string line;
    auto fail = [&](const std::string& what)
    {
        if (error)
            *error = "line " + std::to_string(lineNumber) + ": " + what;
        return false;
    };
    // Coordinates far outside the screen are still a position the widget manager could record.
    constexpr long long CoordinateLimit = 1000000;
    while (std::getline(in, line))
    {
        lineNumber++;
        if (size_t hash = line.find('#'); hash != std::string::npos)
            line.erase(hash);
        std::vector<std::string> words = Words(line);
        if (words.empty())
            continue;
        std::optional<int> update = Integer(words[0], 1, 1000000000);
        if (!update)
            return fail("\"" + words[0] + "\" is not an update number (1 or more)");
        if (*update < lastUpdate)
            return fail("update " + words[0] + " comes after update " + std::to_string(lastUpdate));
        if (words.size() < 2)
            return fail("an action (down, up, move or end) is missing");
        const std::string& verb = words[1];
        if (verb == "end")
        {
            if (words.size() != 2)
                return fail("\"end\" takes nothing after it");
            if (!readEnd)
                readEnd = *update;
            lastUpdate = *update;
            continue;
        }
        Action action;
        if (verb == "down")
            action.kind = Action::Down;
        else if (verb == "up")
            action.kind = Action::Up;
        else if (verb == "move")
            action.kind = Action::Move;
        else
            return fail("unknown action \"" + verb + "\" (down, up, move or end)");
        if (words.size() != 4)
            return fail("\"" + verb + "\" needs X and Y");
        std::optional<int> x = Integer(words[2], -CoordinateLimit, CoordinateLimit);
        std::optional<int> y = Integer(words[3], -CoordinateLimit, CoordinateLimit);
        if (!x || !y)
            return fail("\"" + words[2] + " " + words[3] + "\" are not integer coordinates");
        action.update = *update;
        action.x = *x;
        action.y = *y;
        read.push_back(action);
        lastUpdate = *update;
    }
    if (in.bad())
    {
        lineNumber++;
        return fail("cannot be read");
    }
    actions = std::move(read);
    endUpdate = readEnd;
    next = 0;
    return true;
}

} // namespace tibble::sim
