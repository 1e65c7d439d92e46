#include "app/CommandLine.h"

namespace zest
{

std::string CommandLine::Join(const std::string& program, const std::vector<std::string>& arguments)
{
    std::string text;
    auto append = [&text](const std::string& part, bool alwaysQuote) {
        if (!text.empty())
            text += ' ';
        // Quotes inside an argument cannot be expressed in this syntax: they would
        // toggle quoting, so they are left out.
        std::string plain;
        for (char c : part)
        {
            if (c != '"')
                plain += c;
        }
        if (alwaysQuote || plain.empty() || plain.find_first_of(" \t") != std::string::npos)
            text += '"' + plain + '"';
        else
            text += plain;
    };
    append(program, true);
    for (const std::string& argument : arguments)
        append(argument, false);
    return text;
}

std::string CommandLine::OptionsText(const std::string& fullCommandLine)
{
    size_t pos = 0;
    if (!fullCommandLine.empty() && fullCommandLine[0] == '"')
    {
        size_t close = fullCommandLine.find('"', 1);
        if (close == std::string::npos)
            return std::string();
        pos = close + 1;
    }
    size_t blank = fullCommandLine.find(' ', pos);
    if (blank == std::string::npos)
        return std::string();
    return fullCommandLine.substr(blank + 1);
}

std::vector<CommandLine::Option> CommandLine::Split(const std::string& text)
{
    std::vector<Option> options;
    Option current;
    bool quoted = false;
    bool inValue = false;
    auto finish = [&]() {
        if (!current.name.empty())
            options.push_back(current);
        current = Option();
        inValue = false;
    };
    for (char c : text)
    {
        if (c == '"')
        {
            quoted = !quoted;
            if (!quoted)
                finish();
        }
        else if (c == ' ' && !quoted)
            finish();
        else if (c == '=' && !inValue)
            inValue = true;
        else if (inValue)
            current.value += c;
        else
            current.name += c;
    }
    finish();
    return options;
}

} // namespace zest
