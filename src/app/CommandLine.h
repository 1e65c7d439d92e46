// Splitting of the program's command line into -name or -name=value options.
// Stateless helpers used by the application object; any thread.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace zest
{

class CommandLine
{
public:
    struct Option
    {
        std::string name;
        std::string value;
        bool operator==(const Option&) const = default;
    };

    // One command-line text from the program path and the arguments the shell split:
    // every part that holds a blank (or is empty) is put in double quotes, so the
    // blanks survive the split below.
    static std::string Join(const std::string& program, const std::vector<std::string>& arguments);

    // The options part of a full command line: the program path is skipped (a quoted
    // one up to and including its closing quote; without the closing quote there are
    // no options), then everything after the next blank.
    static std::string OptionsText(const std::string& fullCommandLine);

    // A double quote toggles quoting; a blank outside quotes ends an option; '=' moves
    // from the name to the value; a closing quote or the end of the text also ends an
    // option. Options with an empty name are dropped.
    static std::vector<Option> Split(const std::string& text);
};

} // namespace zest
