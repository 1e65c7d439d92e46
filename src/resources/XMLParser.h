// A small pull reader for the XML the resource manifest is written in: start and end
// tags, text, processing instructions and comments, one item at a time, read through the
// archive-aware file functions. No tree, DTD or namespaces. Owned by its user; one thread.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zest
{

struct PFILE;

// One item handed out by XMLParser::ReadItem.
struct XMLItem
{
    enum Kind
    {
        None = 0,
        Start = 1,
        End = 2,
        Text = 3,
        Instruction = 4,
        Comment = 5
    };

    Kind kind = None;
    // The open elements joined by "/" when the item began: for a start tag its parent's
    // path, for an end tag the path including the element being closed.
    std::string section;
    std::string value;       // tag name, text, or instruction target
    std::string instruction; // the rest of an instruction, or the text of a comment
    std::map<std::string, std::string> attributes;
    std::vector<std::string> attributeOrder; // names in the order they first appeared
};

class XMLParser
{
public:
    XMLParser();
    virtual ~XMLParser();
    XMLParser(const XMLParser&) = delete;
    XMLParser& operator=(const XMLParser&) = delete;

    // Opens the file (mode "r") and picks the character decoder from its byte-order mark.
    // On failure the error is "Unable to open file " plus the name.
    [[nodiscard]] bool Open(const std::string& fileName);
    // Reads the document from memory instead; fileName is only reported.
    void OpenBuffer(std::string data, const std::string& fileName);

    // True while an item was produced; false at the end of the document or on an error
    // (Failed tells them apart). Nothing further is read after an error.
    [[nodiscard]] bool ReadItem(XMLItem& item);

    bool Failed() const { return failed; }
    const std::string& ErrorText() const { return errorText; }
    // The line being read, from 1; every newline read counts.
    int LineNumber() const { return lineNumber; }
    const std::string& FileName() const { return fileName; }

    // Comments are skipped unless allowed (off by default).
    void SetAllowComments(bool allow) { allowComments = allow; }

private:
    enum class Decoder
    {
        SingleByte,
        Utf8,
        Utf16
    };
    enum class CharResult
    {
        Ok,
        EndOfFile,
        Illegal
    };
    enum class ItemResult
    {
        Item,
        Skipped,
        Stop
    };

    void Close();
    void Reset();
    void ChooseDecoder();
    int NextByte();
    CharResult NextChar(char16_t& c);
    CharResult DecodeUtf8(char16_t& c);
    CharResult DecodeUtf16(char16_t& c);
    void PushBack(char16_t c) { pushBack.push_back(c); }
    void PushBackText(const std::string& text);
    void Append(std::string& text, char16_t c) const;
    struct ItemState;
    ItemResult ReadOneItem(XMLItem& item);
    std::optional<ItemResult> ReadCommentChar(XMLItem& item, char16_t c) const;
    std::optional<ItemResult> ReadInstructionChar(XMLItem& item, ItemState& state, char16_t c) const;
    std::optional<ItemResult> ReadMarkupChar(XMLItem& item, ItemState& state, char16_t c);
    std::optional<ItemResult> ReadUnquotedChar(XMLItem& item, ItemState& state, char16_t c);
    std::optional<ItemResult> OpenTag(XMLItem& item, char16_t c);
    ItemResult CloseTag(XMLItem& item, ItemState& state);
    ItemResult CloseEndTag(XMLItem& item);
    ItemResult CloseStartTag(XMLItem& item, ItemState& state);
    // Whether the start tag closes itself ("<a/>", "<a x/>", "<a x="1"/>"); takes the slash off.
    static bool TakeClosingSlash(XMLItem& item, ItemState& state);
    static void CompleteAttribute(XMLItem& item, ItemState& state);
    void AddChar(XMLItem& item, ItemState& state, char16_t c) const;
    void AddStartTagChar(XMLItem& item, ItemState& state, char16_t c) const;
    bool Error(const std::string& text);

    std::string fileName;
    PFILE* file = nullptr;
    std::string errorText;
    bool failed = false;
    bool open = false;
    int lineNumber = 0;
    std::string section;
    std::vector<char16_t> pushBack; // read again last first, before the input
    Decoder decoder = Decoder::SingleByte;
    bool firstChar = true;  // the byte-order mark is looked for only here
    bool swapBytes = false; // UTF-16 stored big-endian
    bool allowComments = false;

    // Input bytes, filled from the file in blocks or given whole by OpenBuffer.
    std::string input;
    size_t inputPosition = 0;
    bool inputIsWhole = false;
};

} // namespace zest
