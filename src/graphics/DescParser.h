// Reader of the font descriptor language: splits a descriptor file into commands (comments, quotes,
// backslashes, semicolons, line numbers), tokenizes each into nested lists, keeps the definitions and
// converts parameters. A subclass implements the commands. One thread at a time.
#pragma once

#include "graphics/DataElement.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace zest
{

class DescParser
{
public:
    // Option bits of cmdSep.
    static constexpr int CmdSepSemicolon = 1; // a ";" outside quotes ends a command
    static constexpr int CmdSepNoIndent = 2;  // a line that starts without indentation starts a new command

    // Limits that keep a damaged descriptor from exhausting the stack or memory.
    static constexpr int MaxListDepth = 32;
    static constexpr size_t MaxDefineElements = 65536;
    static constexpr size_t MaxDescriptorSize = 16 * 1024 * 1024;

    DescParser() = default;
    DescParser(const DescParser&) = delete;
    DescParser& operator=(const DescParser&) = delete;

    // Records the message (the first of a load wins); always false so callers can return it.
    virtual bool Error(const std::string& message);
    // The definition of name (compared upper-cased), or none. Owned by this parser.
    virtual const DataElement* FindDefine(const std::string& name) const;
    // Carries out one tokenized command (never empty; its first element is a single token).
    virtual bool HandleCommand(const ListDataElement& params) = 0;
    virtual ~DescParser() = default;

    // Reads and carries out the descriptor file through the archive file functions. False when the
    // file cannot be opened (error left empty) or a command fails (error set; commands before it keep
    // their effect).
    [[nodiscard]] bool LoadDescriptor(const std::string& path);
    // The same for descriptor text already in memory.
    [[nodiscard]] bool LoadDescriptorText(const std::string& text);

    // The text form of a value: lists as "(" items joined by ", " ")".
    static std::string DataToString(const DataElement& element);
    // Removes the enclosing quotes of a quoted token; a doubled quote character inside stands for one.
    static std::string Unquote(const std::string& token);
    // True for tokens that begin with a digit, "-", "+" or a quote; any other token is a name.
    static bool IsImmediate(const std::string& token);
    // Optional "-", then decimal digits, or "0x"/"0X" and hexadecimal digits. False on anything else
    // or when the value does not fit an int.
    [[nodiscard]] static bool ParseInt(const std::string& text, int& value);
    // The sign and magnitude of ParseInt's forms; false on anything else or a magnitude past 32 bits.
    [[nodiscard]] static bool ParseWholeNumber(const std::string& text, bool& negative, uint64_t& magnitude);
    // Optional "-", decimal digits, optional "." and further digits.
    [[nodiscard]] static bool ParseReal(const std::string& text, double& value);

    std::string error;
    int currentLineNum = 0;                                        // line of the command being read
    std::string currentLine;                                       // text of the command being read
    std::map<std::string, std::unique_ptr<DataElement>> defineMap; // keys upper-cased
    int cmdSep = CmdSepSemicolon;

protected:
    [[nodiscard]] bool Tokenize(const std::string& text, ListDataElement& out);
    [[nodiscard]] bool ParseCommand(const std::string& text);

    // Parameter conversions; each reports its own error text on failure.
    [[nodiscard]] bool ToText(const DataElement& element, std::string& text);
    [[nodiscard]] bool Expand(const ListDataElement& list, ListDataElement& out);
    [[nodiscard]] bool ToTextList(const DataElement& element, std::vector<std::string>& texts);
    [[nodiscard]] bool ToIntList(const DataElement& element, std::vector<int>& values);
    [[nodiscard]] bool ToRealList(const DataElement& element, std::vector<double>& values);
    // A list whose every element is a list of exactly `size` whole numbers (rectangles, offsets).
    [[nodiscard]] bool ToIntTupleList(const DataElement& element, size_t size, std::vector<std::vector<int>>& values);
    // The list a parameter stands for: the expanded list itself, or the list definition a name refers to.
    [[nodiscard]] bool ResolveList(const DataElement& element, std::unique_ptr<ListDataElement>& expanded,
                                   const ListDataElement*& list);
    // Stores a definition (replacing an earlier one) after checking its size.
    [[nodiscard]] bool StoreDefine(const std::string& name, std::unique_ptr<DataElement> value);

    static std::string UpperCase(const std::string& text);

private:
    [[nodiscard]] bool ExpandWithin(const ListDataElement& list, ListDataElement& out, size_t& budget);
    // Splits text into commands and carries each out; false at the first failing command.
    [[nodiscard]] bool ReadCommands(const std::string& text);
};

} // namespace zest
