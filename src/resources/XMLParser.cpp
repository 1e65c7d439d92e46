#include "resources/XMLParser.h"

#include "files/PakFile.h"

namespace zest
{

namespace
{

constexpr size_t InputBlock = 16384;
constexpr char16_t Replacement = 0xFFFD; // stands for characters above FFFF

bool IsBlank(char16_t c)
{
    return c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' || c == ' ';
}

// "&name;" becomes one character. Only names of the five XML entities and "nbsp" and
// "cr" are known; another name gives a lone "&". An "&" whose ";" is not followed by a
// plain name (no blank and no further "&" before it) is not an entity and stays as it is,
// so "Tom & Jerry; cats" keeps its words.
std::string DecodeEntities(const std::string& text)
{
    if (text.find('&') == std::string::npos)
        return text;
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size())
    {
        if (text[i] != '&')
        {
            out += text[i++];
            continue;
        }
        size_t semicolon = text.find(';', i + 1);
        if (semicolon == std::string::npos)
        {
            out.append(text, i, std::string::npos);
            break;
        }
        std::string_view name(text.data() + i + 1, semicolon - i - 1);
        if (name.find_first_of(" \t\n\v\f\r&") != std::string_view::npos)
        {
            out += text[i++];
            continue;
        }
        if (name == "lt")
            out += '<';
        else if (name == "amp")
            out += '&';
        else if (name == "gt")
            out += '>';
        else if (name == "quot")
            out += '"';
        else if (name == "apos")
            out += '\'';
        else if (name == "nbsp")
            out += ' ';
        else if (name == "cr")
            out += '\n';
        else
            out += '&';
        i = semicolon + 1;
    }
    return out;
}

} // namespace

XMLParser::XMLParser() = default;

XMLParser::~XMLParser()
{
    Close();
}

void XMLParser::Close()
{
    if (file != nullptr)
    {
        p_fclose(file);
        file = nullptr;
    }
    open = false;
}

void XMLParser::Reset()
{
    Close();
    section.clear();
    errorText.clear();
    failed = false;
    lineNumber = 1;
    pushBack.clear();
    decoder = Decoder::SingleByte;
    firstChar = true;
    swapBytes = false;
    input.clear();
    inputPosition = 0;
    inputIsWhole = false;
}

bool XMLParser::Open(const std::string& name)
{
    Reset();
    fileName = name;
    file = p_fopen(name.c_str(), "r");
    if (file == nullptr)
    {
        lineNumber = 0;
        return Error("Unable to open file " + name);
    }
    open = true;
    ChooseDecoder();
    return true;
}

void XMLParser::OpenBuffer(std::string data, const std::string& name)
{
    Reset();
    fileName = name;
    input = std::move(data);
    inputIsWhole = true;
    open = true;
    ChooseDecoder();
}

void XMLParser::ChooseDecoder()
{
    // The first block is read before looking, so the mark is peeked without consuming it.
    if (!inputIsWhole)
    {
        input.resize(InputBlock);
        input.resize(p_fread(input.data(), 1, InputBlock, file));
    }
    auto byteAt = [this](size_t i) { return static_cast<uint8_t>(input[i]); };
    if (input.size() >= 2 && ((byteAt(0) == 0xFF && byteAt(1) == 0xFE) || (byteAt(0) == 0xFE && byteAt(1) == 0xFF)))
        decoder = Decoder::Utf16;
    else if (input.size() >= 3 && byteAt(0) == 0xEF && byteAt(1) == 0xBB && byteAt(2) == 0xBF)
        decoder = Decoder::Utf8;
    else
        decoder = Decoder::SingleByte;
}

int XMLParser::NextByte()
{
    if (inputPosition >= input.size())
    {
        if (inputIsWhole || file == nullptr)
            return -1;
        input.resize(InputBlock);
        input.resize(p_fread(input.data(), 1, InputBlock, file));
        inputPosition = 0;
        if (input.empty())
            return -1;
    }
    return static_cast<uint8_t>(input[inputPosition++]);
}

XMLParser::CharResult XMLParser::NextChar(char16_t& c)
{
    if (!pushBack.empty())
    {
        c = pushBack.back();
        pushBack.pop_back();
        return CharResult::Ok;
    }
    if (decoder == Decoder::Utf8)
        return DecodeUtf8(c);
    if (decoder == Decoder::Utf16)
        return DecodeUtf16(c);
    int byte = NextByte();
    if (byte < 0)
        return CharResult::EndOfFile;
    c = static_cast<char16_t>(byte);
    return CharResult::Ok;
}

XMLParser::CharResult XMLParser::DecodeUtf8(char16_t& c)
{
    for (;;)
    {
        int lead = NextByte();
        if (lead < 0)
            return CharResult::EndOfFile;
        bool first = firstChar;
        firstChar = false;
        if (lead < 0x80)
        {
            c = static_cast<char16_t>(lead);
            return CharResult::Ok;
        }
        if ((lead & 0xC0) != 0xC0 || lead >= 0xFE)
            return CharResult::Illegal;
        int length = 2;
        while (lead & (0x80 >> length))
            ++length;
        uint32_t value = static_cast<uint32_t>(lead) & (0x7Fu >> length);
        for (int i = 1; i < length; ++i)
        {
            int next = NextByte();
            if (next < 0 || (next & 0xC0) != 0x80)
                return CharResult::Illegal; // a sequence cut short is malformed, not the end
            value = (value << 6) | static_cast<uint32_t>(next & 0x3F);
        }
        // The smallest value each length may carry; anything below is an overlong form.
        static const uint32_t minimum[7] = {0, 0, 0x80, 0x800, 0x10000, 0x200000, 0x4000000};
        if (value < minimum[length] || (value >= 0xD800 && value <= 0xDFFF) || value == 0xFFFE || value == 0xFFFF)
            return CharResult::Illegal;
        if (first && value == 0xFEFF)
            continue; // the byte-order mark
        c = value > 0xFFFF ? Replacement : static_cast<char16_t>(value);
        return CharResult::Ok;
    }
}

XMLParser::CharResult XMLParser::DecodeUtf16(char16_t& c)
{
    auto unit = [this](char16_t& out, bool atStart)
    {
        int low = NextByte();
        if (low < 0)
            return atStart ? CharResult::EndOfFile : CharResult::Illegal;
        int high = NextByte();
        if (high < 0)
            return CharResult::Illegal; // half a unit
        out = swapBytes ? static_cast<char16_t>((low << 8) | high) : static_cast<char16_t>(low | (high << 8));
        return CharResult::Ok;
    };
    for (;;)
    {
        char16_t value = 0;
        CharResult result = unit(value, true);
        if (result != CharResult::Ok)
            return result;
        if (firstChar)
        {
            firstChar = false;
            if (value == 0xFEFF)
                continue;
            if (value == 0xFFFE)
            {
                swapBytes = true; // a big-endian file
                continue;
            }
        }
        if (value >= 0xDC00 && value <= 0xDFFF)
            return CharResult::Illegal; // a low surrogate without its high one
        if (value >= 0xD800 && value <= 0xDBFF)
        {
            char16_t second = 0;
            if (unit(second, false) != CharResult::Ok || second < 0xDC00 || second > 0xDFFF)
                return CharResult::Illegal;
            value = Replacement;
        }
        c = value;
        return CharResult::Ok;
    }
}

// Texts are 8-bit. A single-byte file keeps its bytes as they are (a UTF-8 file without
// a mark passes through unchanged); characters decoded from UTF-8 or UTF-16 are stored as
// UTF-8, the encoding of names and texts everywhere else in the program.
void XMLParser::Append(std::string& text, char16_t c) const
{
    if (c < 0x80 || decoder == Decoder::SingleByte)
    {
        text += static_cast<char>(c & 0xFF);
    }
    else if (c < 0x800)
    {
        text += static_cast<char>(0xC0 | (c >> 6));
        text += static_cast<char>(0x80 | (c & 0x3F));
    }
    else
    {
        text += static_cast<char>(0xE0 | (c >> 12));
        text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Puts text back so that it is read next, in order; undoes Append.
void XMLParser::PushBackText(const std::string& text)
{
    std::u16string units;
    for (size_t i = 0; i < text.size();)
    {
        uint8_t byte = static_cast<uint8_t>(text[i]);
        if (byte < 0x80 || decoder == Decoder::SingleByte)
        {
            units += static_cast<char16_t>(byte);
            i += 1;
        }
        else if (byte < 0xE0 && i + 1 < text.size())
        {
            units += static_cast<char16_t>(((byte & 0x1F) << 6) | (text[i + 1] & 0x3F));
            i += 2;
        }
        else if (i + 2 < text.size())
        {
            units += static_cast<char16_t>(((byte & 0x0F) << 12) | ((text[i + 1] & 0x3F) << 6) | (text[i + 2] & 0x3F));
            i += 3;
        }
        else
        {
            break; // cannot happen: Append wrote whole sequences
        }
    }
    for (auto it = units.rbegin(); it != units.rend(); ++it)
        PushBack(*it);
}

bool XMLParser::Error(const std::string& text)
{
    failed = true;
    errorText = text;
    return false;
}

bool XMLParser::ReadItem(XMLItem& item)
{
    for (;;)
    {
        ItemResult result = ReadOneItem(item);
        if (result == ItemResult::Item)
            return true;
        if (result == ItemResult::Stop)
            return false;
    }
}

// What ReadOneItem knows about the item it is reading, beyond the item itself.
struct XMLParser::ItemState
{
    bool inQuotes = false;
    bool pendingBlank = false;
    bool instructionSplit = false; // an instruction's target has ended
    // A start tag's attributes, once the name has ended.
    bool inAttributes = false;
    std::string attributeName;
    std::string attributeValue;
    bool seenEquals = false;
    bool quoted = false;
    bool slashOutsideQuotes = false; // the value's last character is a "/" written outside quotes
    bool lastEndsInOpenSlash = false;
    std::string lastAttribute;
};

XMLParser::ItemResult XMLParser::ReadOneItem(XMLItem& item)
{
    item = XMLItem();
    item.section = section;
    if (!open || failed)
        return ItemResult::Stop;

    ItemState state;
    for (;;)
    {
        char16_t c = 0;
        CharResult read = NextChar(c);
        if (read == CharResult::Illegal)
        {
            Error("Illegal Character");
            return ItemResult::Stop;
        }
        if (read == CharResult::EndOfFile)
        {
            if (item.kind != XMLItem::None)
                Error("Unexpected End of File");
            return ItemResult::Stop;
        }
        if (c == '\n')
            ++lineNumber;

        std::optional<ItemResult> done;
        if (item.kind == XMLItem::Comment)
            done = ReadCommentChar(item, c);
        else if (item.kind == XMLItem::Instruction)
            done = ReadInstructionChar(item, state, c);
        else
            done = ReadMarkupChar(item, state, c);
        if (done)
            return *done;
    }
}

std::optional<XMLParser::ItemResult> XMLParser::ReadCommentChar(XMLItem& item, char16_t c) const
{
    Append(item.instruction, c);
    if (c != '>' || !item.instruction.ends_with("-->"))
        return std::nullopt;
    item.instruction.resize(item.instruction.size() - 3);
    return allowComments ? ItemResult::Item : ItemResult::Skipped;
}

std::optional<XMLParser::ItemResult> XMLParser::ReadInstructionChar(XMLItem& item, ItemState& state,
                                                                    char16_t c) const
{
    if (!state.instructionSplit && IsBlank(c))
        state.instructionSplit = true;
    std::string& target = state.instructionSplit ? item.instruction : item.value;
    Append(target, c);
    if (c != '>' || !target.ends_with("?>"))
        return std::nullopt;
    target.resize(target.size() - 2);
    item.value = DecodeEntities(item.value);
    return ItemResult::Item;
}

std::optional<XMLParser::ItemResult> XMLParser::ReadMarkupChar(XMLItem& item, ItemState& state, char16_t c)
{
    const bool inTag = item.kind == XMLItem::Start || item.kind == XMLItem::End;
    if (c == '"')
    {
        if (inTag && state.inAttributes && state.pendingBlank)
        {
            // The opening quote of a value after blanks ("x = "...) continues the
            // attribute; only a new name after a finished value starts another one.
            if (state.seenEquals && (!state.attributeValue.empty() || state.quoted))
                CompleteAttribute(item, state);
            state.pendingBlank = false;
        }
        state.inQuotes = !state.inQuotes;
        if (!inTag)
            AddChar(item, state, c); // a quote in text is text
        else if (state.inAttributes && state.seenEquals)
            state.quoted = true;
        return std::nullopt;
    }
    if (state.inQuotes)
    {
        AddChar(item, state, c);
        return std::nullopt;
    }
    return ReadUnquotedChar(item, state, c);
}

std::optional<XMLParser::ItemResult> XMLParser::ReadUnquotedChar(XMLItem& item, ItemState& state, char16_t c)
{
    if (c == '<')
        return OpenTag(item, c);
    if (c == '>')
        return CloseTag(item, state);
    if (c == '/' && item.kind == XMLItem::Start && item.value.empty())
    {
        item.kind = XMLItem::End;
        return std::nullopt;
    }
    if (c == '?' && item.kind == XMLItem::Start && item.value.empty())
    {
        item.kind = XMLItem::Instruction;
        return std::nullopt;
    }
    if (IsBlank(c))
    {
        if (!item.value.empty())
            state.pendingBlank = true;
        if (item.kind == XMLItem::Start && item.value == "!--")
        {
            item.kind = XMLItem::Comment;
            item.value.clear();
        }
        return std::nullopt;
    }
    if (c <= ' ')
    {
        Error("Illegal Character");
        return ItemResult::Stop;
    }
    AddChar(item, state, c);
    return std::nullopt;
}

std::optional<XMLParser::ItemResult> XMLParser::OpenTag(XMLItem& item, char16_t c)
{
    if (item.kind == XMLItem::Text)
    {
        PushBack(c);
        item.value = DecodeEntities(item.value);
        return ItemResult::Item;
    }
    if (item.kind == XMLItem::None)
    {
        item.kind = XMLItem::Start;
        return std::nullopt;
    }
    Error("Unexpected '<'");
    return ItemResult::Stop;
}

XMLParser::ItemResult XMLParser::CloseTag(XMLItem& item, ItemState& state)
{
    if (item.kind == XMLItem::None || item.kind == XMLItem::Text)
    {
        Error("Unexpected '>'");
        return ItemResult::Stop;
    }
    if (item.kind == XMLItem::End)
        return CloseEndTag(item);
    return CloseStartTag(item, state);
}

XMLParser::ItemResult XMLParser::CloseEndTag(XMLItem& item)
{
    size_t separator = section.rfind('/');
    std::string last = separator == std::string::npos ? section : section.substr(separator + 1);
    if (section.empty())
    {
        Error("Unexpected End");
        return ItemResult::Stop;
    }
    if (last != item.value)
    {
        Error("End '" + item.value + "' Doesn't Match Start '" + last + "'");
        return ItemResult::Stop;
    }
    section.erase(separator == std::string::npos ? 0 : separator);
    item.value = DecodeEntities(item.value);
    return ItemResult::Item;
}

XMLParser::ItemResult XMLParser::CloseStartTag(XMLItem& item, ItemState& state)
{
    if (TakeClosingSlash(item, state))
    {
        // The matching end tag is read next: "</" name ">", pushed last first.
        PushBack('>');
        PushBackText(item.value);
        PushBack('/');
        PushBack('<');
    }
    if (!section.empty())
        section += '/';
    section += item.value;
    item.value = DecodeEntities(item.value);
    return ItemResult::Item;
}

bool XMLParser::TakeClosingSlash(XMLItem& item, ItemState& state)
{
    if (state.attributeName == "/" && !state.seenEquals)
        return true;
    bool selfClosing = false;
    if (!state.attributeName.empty() || state.seenEquals)
    {
        // A flag attribute right before the slash: "<a x/>" is x with no value.
        if (!state.seenEquals && state.slashOutsideQuotes && state.attributeName.size() > 1)
        {
            state.attributeName.pop_back();
            state.slashOutsideQuotes = false;
            selfClosing = true;
        }
        CompleteAttribute(item, state);
    }
    if (selfClosing)
        return true;
    if (!state.lastAttribute.empty())
    {
        // A "/" inside quotes belongs to the value ("path="dir/""); only one
        // written outside them closes the tag.
        std::string& value = item.attributes[state.lastAttribute];
        if (state.lastEndsInOpenSlash && value.ends_with('/'))
        {
            value.pop_back();
            return true;
        }
        return false;
    }
    if (item.attributes.empty() && item.value.ends_with('/'))
    {
        item.value.pop_back();
        return true;
    }
    return false;
}

void XMLParser::CompleteAttribute(XMLItem& item, ItemState& state)
{
    std::string name = DecodeEntities(state.attributeName);
    if (item.attributes.find(name) == item.attributes.end())
        item.attributeOrder.push_back(name);
    item.attributes[name] = DecodeEntities(state.attributeValue);
    state.lastAttribute = name;
    state.lastEndsInOpenSlash = state.slashOutsideQuotes;
    state.attributeName.clear();
    state.attributeValue.clear();
    state.seenEquals = false;
    state.quoted = false;
    state.slashOutsideQuotes = false;
}

void XMLParser::AddChar(XMLItem& item, ItemState& state, char16_t c) const
{
    switch (item.kind)
    {
    case XMLItem::None:
        item.kind = XMLItem::Text;
        Append(item.value, c);
        break;
    case XMLItem::Start:
        AddStartTagChar(item, state, c);
        break;
    case XMLItem::Text:
    case XMLItem::End:
        if (state.pendingBlank)
        {
            item.value += ' ';
            state.pendingBlank = false;
        }
        Append(item.value, c);
        break;
    default:
        break;
    }
}

void XMLParser::AddStartTagChar(XMLItem& item, ItemState& state, char16_t c) const
{
    if (!state.pendingBlank && !state.inAttributes)
    {
        Append(item.value, c);
        return;
    }
    state.inAttributes = true;
    if (state.pendingBlank)
    {
        // Blanks around "=" are allowed: a blank ends the attribute only when its
        // value is done, or when no "=" has come and none follows.
        if ((state.seenEquals && (!state.attributeValue.empty() || state.quoted)) ||
            (!state.seenEquals && c != '=' && !state.attributeName.empty()))
            CompleteAttribute(item, state);
        state.pendingBlank = false;
    }
    if (c == '=' && !state.seenEquals && !state.inQuotes)
    {
        state.seenEquals = true;
    }
    else if (!state.seenEquals)
    {
        Append(state.attributeName, c);
        state.slashOutsideQuotes = c == '/' && !state.inQuotes;
    }
    else
    {
        Append(state.attributeValue, c);
        state.slashOutsideQuotes = c == '/' && !state.inQuotes;
    }
}

} // namespace zest
