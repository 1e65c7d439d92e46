#include "graphics/DescParser.h"

#include "files/PakFile.h"

#include <cctype>
#include <charconv>
#include <climits>

namespace zest
{

namespace
{

bool IsQuote(char c)
{
    return c == '\'' || c == '"';
}

int Depth(const DataElement& element)
{
    if (!element.isList)
        return 0;
    int deepest = 0;
    for (const auto& child : static_cast<const ListDataElement&>(element).elements)
        deepest = std::max(deepest, Depth(*child));
    return deepest + 1;
}

// Counts elements (lists included), stopping early once past limit.
size_t CountElements(const DataElement& element, size_t limit)
{
    size_t count = 1;
    if (element.isList)
    {
        for (const auto& child : static_cast<const ListDataElement&>(element).elements)
        {
            count += CountElements(*child, limit);
            if (count > limit)
                break;
        }
    }
    return count;
}

} // namespace

bool DescParser::Error(const std::string& message)
{
    if (error.empty())
        error = message;
    return false;
}

const DataElement* DescParser::FindDefine(const std::string& name) const
{
    auto it = defineMap.find(UpperCase(name));
    return it == defineMap.end() ? nullptr : it->second.get();
}

bool DescParser::LoadDescriptor(const std::string& path)
{
    error.clear();
    PFilePtr file(p_fopen(path.c_str(), "rb"));
    if (!file)
        return false;
    std::string text;
    char buffer[4096];
    for (;;)
    {
        size_t got = p_fread(buffer, 1, sizeof(buffer), file.get());
        if (got == 0)
            break;
        if (text.size() + got > MaxDescriptorSize)
            return Error("Descriptor File Too Large");
        text.append(buffer, got);
    }
    file.reset();
    return ReadCommands(text);
}

bool DescParser::LoadDescriptorText(const std::string& text)
{
    error.clear();
    return ReadCommands(text);
}

bool DescParser::ReadCommands(const std::string& text)
{
    int lineNum = 1;
    bool atLineStart = true;
    bool indented = false;
    bool inComment = false;
    bool escaped = false;
    char quote = 0;
    currentLine.clear();

    auto store = [&](char c)
    {
        if (currentLine.empty())
            currentLineNum = lineNum;
        currentLine += c;
    };
    auto endCommand = [&]()
    {
        // Separators that ended the last line belong to no command; leave them out of error messages.
        size_t end = currentLine.find_last_not_of(" \t\n");
        size_t keep = end == std::string::npos ? 0 : end + 1;
        if (keep > 0 && keep < currentLine.size() && currentLine[end] == '\\')
            ++keep; // an escaped blank is part of the last token
        currentLine.erase(keep);
        bool ok = currentLine.empty() || ParseCommand(currentLine);
        if (ok)
            currentLine.clear();
        return ok;
    };

    bool ok = true;
    for (size_t i = 0; i < text.size() && ok; ++i)
    {
        char c = text[i];
        if (c == '\r')
            continue;
        if (inComment)
        {
            if (c == '\n')
            {
                ++lineNum;
                inComment = false;
                atLineStart = true;
                indented = false;
            }
            continue;
        }
        if (quote == 0 && atLineStart)
        {
            if (c == ' ' || c == '\t')
            {
                indented = true;
                continue;
            }
            if (c == '\n')
            {
                ++lineNum;
                indented = false;
                continue;
            }
            if (c == '#')
            {
                inComment = true;
                continue;
            }
            atLineStart = false;
            if ((cmdSep & CmdSepNoIndent) && !indented && !(ok = endCommand()))
                break;
        }
        if (c == '\n')
        {
            ++lineNum;
            if (quote != 0)
            {
                store(c);
                continue;
            }
            if (!currentLine.empty())
                store(c);
            atLineStart = true;
            indented = false;
            continue;
        }
        if (quote != 0)
        {
            // Inside quotes a backslash protects the next character from ending the quote; both stay
            // in the command text for the tokenizer.
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == quote)
                quote = 0;
            store(c);
            continue;
        }
        if (IsQuote(c))
        {
            quote = c;
            store(c);
            continue;
        }
        if (c == ';' && (cmdSep & CmdSepSemicolon))
        {
            ok = endCommand();
            continue;
        }
        if (currentLine.empty() && (c == ' ' || c == '\t'))
            continue;
        store(c);
    }
    if (ok)
        ok = endCommand();
    currentLine.clear();
    return ok;
}

bool DescParser::Tokenize(const std::string& text, ListDataElement& out)
{
    std::vector<ListDataElement*> stack{&out};
    std::string token;
    bool haveToken = false;
    char quote = 0;

    auto flush = [&]()
    {
        if (haveToken)
            stack.back()->elements.push_back(std::make_unique<SingleDataElement>(std::move(token)));
        token.clear();
        haveToken = false;
    };

    for (size_t i = 0; i < text.size(); ++i)
    {
        char c = text[i];
        if (c == '\\')
        {
            if (i + 1 < text.size())
            {
                token += text[++i];
                haveToken = true;
            }
            continue;
        }
        if (quote != 0)
        {
            token += c;
            if (c == quote)
                quote = 0;
            continue;
        }
        if (IsQuote(c))
        {
            quote = c;
            token += c;
            haveToken = true;
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\n' || c == ',')
        {
            flush();
            continue;
        }
        if (c == '(')
        {
            if (haveToken)
                return Error("Unexpected List Start");
            if (static_cast<int>(stack.size()) > MaxListDepth)
                return Error("List Nesting Too Deep");
            auto list = std::make_unique<ListDataElement>();
            ListDataElement* inner = list.get();
            stack.back()->elements.push_back(std::move(list));
            stack.push_back(inner);
            continue;
        }
        if (c == ')')
        {
            flush();
            if (stack.size() == 1)
                return Error("Unexpected List End");
            stack.pop_back();
            continue;
        }
        token += c;
        haveToken = true;
    }
    if (quote == '\'')
        return Error("Unterminated Single Quotes");
    if (quote == '"')
        return Error("Unterminated Double Quotes");
    if (stack.size() > 1)
        return Error("Unterminated List");
    flush();
    return true;
}

bool DescParser::ParseCommand(const std::string& text)
{
    ListDataElement params;
    if (!Tokenize(text, params))
        return false;
    if (params.elements.empty())
        return true;
    if (params.elements.front()->isList)
        return Error("Missing Command");
    return HandleCommand(params);
}

std::string DescParser::DataToString(const DataElement& element)
{
    if (!element.isList)
        return static_cast<const SingleDataElement&>(element).value;
    std::string text = "(";
    const auto& elements = static_cast<const ListDataElement&>(element).elements;
    for (size_t i = 0; i < elements.size(); ++i)
    {
        if (i > 0)
            text += ", ";
        text += DataToString(*elements[i]);
    }
    return text + ")";
}

std::string DescParser::Unquote(const std::string& token)
{
    if (token.empty() || !IsQuote(token[0]))
        return token;
    char quote = token[0];
    size_t end = token.size();
    if (end >= 2 && token[end - 1] == quote)
        --end;
    std::string text;
    for (size_t i = 1; i < end; ++i)
    {
        text += token[i];
        if (token[i] == quote && i + 1 < end && token[i + 1] == quote)
            ++i;
    }
    return text;
}

bool DescParser::IsImmediate(const std::string& token)
{
    if (token.empty())
        return false;
    char c = token[0];
    return (c >= '0' && c <= '9') || c == '-' || c == '+' || IsQuote(c);
}

bool DescParser::ParseWholeNumber(const std::string& text, bool& negative, uint64_t& magnitude)
{
    size_t pos = 0;
    negative = false;
    if (pos < text.size() && text[pos] == '-')
    {
        negative = true;
        ++pos;
    }
    int base = 10;
    if (pos + 1 < text.size() && text[pos] == '0' && (text[pos + 1] == 'x' || text[pos + 1] == 'X'))
    {
        base = 16;
        pos += 2;
    }
    if (pos == text.size())
        return false;
    // Checked after every digit, so the 64-bit accumulator never overflows.
    magnitude = 0;
    for (; pos < text.size(); ++pos)
    {
        char c = text[pos];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        magnitude = magnitude * base + digit;
        if (magnitude > 0xFFFFFFFFull)
            return false;
    }
    return true;
}

bool DescParser::ParseInt(const std::string& text, int& value)
{
    bool negative = false;
    uint64_t magnitude = 0;
    if (!ParseWholeNumber(text, negative, magnitude) ||
        magnitude > (negative ? uint64_t(-static_cast<long long>(INT_MIN)) : uint64_t(INT_MAX)))
        return false;
    value = static_cast<int>(negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude));
    return true;
}

bool DescParser::ParseReal(const std::string& text, double& value)
{
    size_t pos = 0;
    if (pos < text.size() && text[pos] == '-')
        ++pos;
    size_t digits = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9')
        ++pos, ++digits;
    if (pos < text.size() && text[pos] == '.')
    {
        ++pos;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9')
            ++pos, ++digits;
    }
    if (digits == 0 || pos != text.size())
        return false;
    // from_chars ignores the locale, unlike strtod.
    double result = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), result);
    if (ec != std::errc() || end != text.data() + text.size())
        return false;
    value = result;
    return true;
}

std::string DescParser::UpperCase(const std::string& text)
{
    std::string upper = text;
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

bool DescParser::ToText(const DataElement& element, std::string& text)
{
    if (element.isList)
        return false;
    const std::string& token = static_cast<const SingleDataElement&>(element).value;
    if (!IsImmediate(token))
    {
        if (const DataElement* define = FindDefine(token))
        {
            if (define->isList)
                return false;
            text = Unquote(static_cast<const SingleDataElement*>(define)->value);
            return true;
        }
    }
    text = Unquote(token);
    return true;
}

bool DescParser::Expand(const ListDataElement& list, ListDataElement& out)
{
    size_t budget = MaxDefineElements;
    return ExpandWithin(list, out, budget);
}

bool DescParser::ExpandWithin(const ListDataElement& list, ListDataElement& out, size_t& budget)
{
    for (const auto& element : list.elements)
    {
        // Every name may stand for a large definition; bound the copy as a definition is bounded.
        if (budget == 0)
            return Error("Definition Too Large");
        --budget;
        if (element->isList)
        {
            auto inner = std::make_unique<ListDataElement>();
            if (!ExpandWithin(static_cast<const ListDataElement&>(*element), *inner, budget))
                return false;
            out.elements.push_back(std::move(inner));
            continue;
        }
        const std::string& token = static_cast<const SingleDataElement&>(*element).value;
        if (token.empty())
            continue;
        if (IsQuote(token[0]))
        {
            out.elements.push_back(std::make_unique<SingleDataElement>(Unquote(token)));
        }
        else if (IsImmediate(token))
        {
            out.elements.push_back(std::make_unique<SingleDataElement>(token));
        }
        else
        {
            const DataElement* define = FindDefine(token);
            if (!define)
                return Error("Unable to Dereference \"" + token + "\"");
            // A single definition keeps its token as written; unquote it here so a name stands for
            // the same text inside a list as it does on its own.
            if (define->isList)
            {
                size_t size = CountElements(*define, MaxDefineElements);
                if (size > budget)
                    return Error("Definition Too Large");
                budget -= size;
                out.elements.push_back(define->Duplicate());
            }
            else
                out.elements.push_back(
                    std::make_unique<SingleDataElement>(Unquote(static_cast<const SingleDataElement*>(define)->value)));
        }
    }
    return true;
}

bool DescParser::ResolveList(const DataElement& element, std::unique_ptr<ListDataElement>& expanded,
                             const ListDataElement*& list)
{
    if (element.isList)
    {
        expanded = std::make_unique<ListDataElement>();
        if (!Expand(static_cast<const ListDataElement&>(element), *expanded))
            return false;
        list = expanded.get();
        return true;
    }
    const std::string& token = static_cast<const SingleDataElement&>(element).value;
    const DataElement* define = IsImmediate(token) ? nullptr : FindDefine(token);
    if (!define || !define->isList)
        return Error("Unable to Dereference \"" + token + "\"");
    list = static_cast<const ListDataElement*>(define);
    return true;
}

bool DescParser::ToTextList(const DataElement& element, std::vector<std::string>& texts)
{
    std::unique_ptr<ListDataElement> expanded;
    const ListDataElement* list = nullptr;
    if (!ResolveList(element, expanded, list))
        return false;
    std::vector<std::string> result;
    result.reserve(list->elements.size());
    for (const auto& item : list->elements)
    {
        if (item->isList)
            return false;
        result.push_back(static_cast<const SingleDataElement&>(*item).value);
    }
    texts = std::move(result);
    return true;
}

bool DescParser::ToIntList(const DataElement& element, std::vector<int>& values)
{
    std::vector<std::string> texts;
    if (!ToTextList(element, texts))
        return false;
    std::vector<int> result(texts.size());
    for (size_t i = 0; i < texts.size(); ++i)
    {
        if (!ParseInt(texts[i], result[i]))
            return false;
    }
    values = std::move(result);
    return true;
}

bool DescParser::ToRealList(const DataElement& element, std::vector<double>& values)
{
    std::vector<std::string> texts;
    if (!ToTextList(element, texts))
        return false;
    std::vector<double> result(texts.size());
    for (size_t i = 0; i < texts.size(); ++i)
    {
        if (!ParseReal(texts[i], result[i]))
            return false;
    }
    values = std::move(result);
    return true;
}

bool DescParser::ToIntTupleList(const DataElement& element, size_t size, std::vector<std::vector<int>>& values)
{
    std::unique_ptr<ListDataElement> expanded;
    const ListDataElement* list = nullptr;
    if (!ResolveList(element, expanded, list))
        return false;
    std::vector<std::vector<int>> result;
    result.reserve(list->elements.size());
    for (const auto& item : list->elements)
    {
        if (!item->isList)
            return false;
        const auto& inner = static_cast<const ListDataElement&>(*item).elements;
        if (inner.size() != size)
            return false;
        std::vector<int> tuple(size);
        for (size_t i = 0; i < size; ++i)
        {
            if (inner[i]->isList || !ParseInt(static_cast<const SingleDataElement&>(*inner[i]).value, tuple[i]))
                return false;
        }
        result.push_back(std::move(tuple));
    }
    values = std::move(result);
    return true;
}

bool DescParser::StoreDefine(const std::string& name, std::unique_ptr<DataElement> value)
{
    // Definitions can be built from definitions; without a bound a few lines could nest or double a
    // list until the stack or memory runs out.
    if (Depth(*value) > MaxListDepth || CountElements(*value, MaxDefineElements) > MaxDefineElements)
        return Error("Definition Too Large");
    defineMap[UpperCase(name)] = std::move(value);
    return true;
}

} // namespace zest
