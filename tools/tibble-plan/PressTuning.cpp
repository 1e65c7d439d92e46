#include "PressTuning.h"

#include <chrono>
#include <sstream>

namespace tibble::plan
{

namespace
{

// A move of one press: which end, by how many updates.
struct PressMove
{
    bool end;
    int delta;
};

// Small changes a person would not notice: held 30 or 60 updates longer or 15 shorter, started 15 earlier or later.
constexpr PressMove Moves[] = {{true, 30}, {true, 60}, {false, -15}, {false, 15}, {true, -15}};
// Bolder ones: a press that must catch a bee whose arrival wanders (out of a trap, after a long flight) is best held
// over the whole time the bee may come.
constexpr PressMove WideMoves[] = {{false, -45}, {true, 120}, {false, 45}, {true, -45}, {false, -120}, {true, 240}};

// The update a line starts with, when it starts with one.
bool LeadingUpdate(const std::string& line, int& update, size_t& digits)
{
    digits = 0;
    while (digits < line.size() && line[digits] >= '0' && line[digits] <= '9')
        digits++;
    if (digits == 0 || digits > 9 || digits == line.size() || line[digits] != ' ')
        return false;
    update = std::stoi(line.substr(0, digits));
    return true;
}

} // namespace

std::vector<std::optional<ScriptPress>> HoldPresses(const std::vector<ScriptPress>& presses, int gap)
{
    std::vector<std::optional<ScriptPress>> out(presses.size());
    size_t first = 0;
    for (size_t i = 0; i < presses.size(); i++)
    {
        const ScriptPress& press = presses[i];
        const ScriptPress* held = i > 0 ? &*out[first] : nullptr;
        if (held && held->x == press.x && held->y == press.y && press.down - held->up <= gap)
            out[first]->up = press.up;
        else
            out[first = i] = press;
    }
    return out;
}

bool ReplacePresses(const std::string& scriptText, const PrefixHeader& prefix,
                    const std::vector<std::optional<ScriptPress>>& replacements, int tailShift, std::string& out,
                    std::string& error)
{
    std::optional<play::PlayScript> script = play::ParsePlayScript(scriptText, error);
    std::vector<ScriptPress> original;
    if (!script || !play::ReadScriptPresses(*script, prefix, original, error))
        return false;
    // Downs and ups alternate from here on. Each press line (1-based) of the level: which press, and whether it is the
    // down.
    struct PressLine
    {
        size_t press;
        bool down;
    };
    std::vector<std::optional<PressLine>> pressLines;
    size_t presses = 0;
    int lastLine = 0;
    for (const play::PlayAction& action : script->actions)
    {
        const bool down = action.kind == play::PlayAction::Kind::Down;
        if ((!down && action.kind != play::PlayAction::Kind::Up) || action.update < prefix.firstLevelUpdate)
            continue;
        if (pressLines.size() <= static_cast<size_t>(action.line))
            pressLines.resize(action.line + 1);
        pressLines[action.line] = PressLine{down ? presses : presses - 1, down};
        presses += down ? 1 : 0;
        lastLine = std::max(lastLine, action.line);
    }
    if (presses != replacements.size())
    {
        error = "the script has " + std::to_string(presses) + " presses, not " + std::to_string(replacements.size());
        return false;
    }
    std::istringstream in(scriptText);
    std::string line;
    out.clear();
    for (int number = 1; std::getline(in, line); number++)
    {
        const std::string ending = in.eof() ? "" : "\n";
        const std::optional<PressLine> press =
            static_cast<size_t>(number) < pressLines.size() ? pressLines[number] : std::nullopt;
        if (press)
        {
            if (press->down && replacements[press->press])
                out += play::FormatScriptPress(*replacements[press->press], prefix.firstLevelUpdate);
            continue;
        }
        int update = 0;
        size_t digits = 0;
        if (number > lastLine && tailShift != 0 && LeadingUpdate(line, update, digits))
            line = std::to_string(update + tailShift) + line.substr(digits);
        out += line + ending;
    }
    return true;
}

PressPolish::PressPolish(PolishJudge judge, PolishOptions options)
    : judge(std::move(judge)), options(std::move(options))
{
}

PolishScore PressPolish::Score(const std::vector<ScriptPress>& presses) const
{
    PolishScore total{0, 0};
    for (uint32_t seed : options.seeds)
    {
        const PolishScore one = judge(presses, seed);
        if (one.completed < 0)
            return PolishScore{};
        total.completed += one.completed;
        total.completesAt = one.completesAt;
    }
    return total;
}

PolishScore PressPolish::Run(std::vector<ScriptPress>& presses, int firstLevelUpdate,
                             const std::function<void(const std::vector<ScriptPress>&, int)>& kept)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(options.budgetSeconds);
    PolishScore best = Score(presses);
    if (best.completed < 0)
        return best;
    const int firstCompletion = best.completesAt;
    std::vector<PressMove> moves(std::begin(Moves), std::end(Moves));
    if (options.wide)
        moves.insert(moves.end(), std::begin(WideMoves), std::end(WideMoves));
    for (int round = 0; round < options.rounds; round++)
    {
        for (size_t k = 0; k < presses.size(); k++)
        {
            if (std::chrono::steady_clock::now() > deadline)
                return best;
            const int scriptUpdate = presses[k].down + firstLevelUpdate - 1;
            if (scriptUpdate < options.windowFrom || scriptUpdate > options.windowTo)
                continue;
            for (const PressMove& move : moves)
            {
                ScriptPress changed = presses[k];
                (move.end ? changed.up : changed.down) += move.delta;
                const int before = k > 0 ? presses[k - 1].up : 0;
                const int after = k + 1 < presses.size() ? presses[k + 1].down : 1 << 30;
                if (!(before < changed.down && changed.up < after && changed.up - changed.down >= options.shortest))
                    continue;
                std::vector<ScriptPress> trial = presses;
                trial[k] = changed;
                const PolishScore score = Score(trial);
                if (score.completed > best.completed)
                {
                    best = score;
                    presses = std::move(trial);
                    if (kept)
                        kept(presses, best.completesAt - firstCompletion);
                }
            }
        }
    }
    return best;
}

} // namespace tibble::plan
