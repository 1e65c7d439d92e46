#include "level/Diagnostics.h"

#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstdio>

namespace levelc
{

void Diagnostics::Error(int line, std::string text)
{
    items.push_back({line, true, std::move(text)});
}

void Diagnostics::Warning(int line, std::string text)
{
    items.push_back({line, false, std::move(text)});
}

void Diagnostics::WarningsAsErrors()
{
    for (Diagnostic& item : items)
        item.error = true;
}

bool Diagnostics::HasErrors() const
{
    return ErrorCount() > 0;
}

int Diagnostics::ErrorCount() const
{
    return static_cast<int>(std::count_if(items.begin(), items.end(), [](const Diagnostic& d) { return d.error; }));
}

int Diagnostics::WarningCount() const
{
    return static_cast<int>(items.size()) - ErrorCount();
}

std::string Diagnostics::Format(const std::string& fileName) const
{
    // In line order, as an editor lists them; messages about the whole file last.
    std::vector<Diagnostic> sorted = items;
    std::stable_sort(sorted.begin(), sorted.end(), [](const Diagnostic& a, const Diagnostic& b) {
        const int lineA = a.line > 0 ? a.line : INT_MAX;
        const int lineB = b.line > 0 ? b.line : INT_MAX;
        return lineA < lineB;
    });
    std::string out;
    for (const Diagnostic& item : sorted)
    {
        out += fileName;
        if (item.line > 0)
            out += ":" + std::to_string(item.line);
        out += item.error ? ": error: " : ": warning: ";
        out += item.text;
        out += '\n';
    }
    return out;
}

std::string Printf(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
    if (length > 0)
        std::vsnprintf(text.data(), text.size() + 1, format, args);
    va_end(args);
    return text;
}

} // namespace levelc
