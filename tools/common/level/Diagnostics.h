// The messages of one run of the level compiler over one file: errors stop the output, warnings point at level
// designs that load but play badly. Each names the source line it is about (0: the file as a whole). Owned by the
// caller of the parser and checks; one thread.
#pragma once

#include <string>
#include <vector>

namespace levelc
{

struct Diagnostic
{
    int line = 0;
    bool error = true;
    std::string text;
};

class Diagnostics
{
public:
    void Error(int line, std::string text);
    void Warning(int line, std::string text);
    // Turns every warning into an error (the build's strict mode).
    void WarningsAsErrors();

    bool HasErrors() const;
    int ErrorCount() const;
    int WarningCount() const;
    const std::vector<Diagnostic>& Items() const { return items; }

    // "FILE:LINE: error: text" lines, in order, each ending in '\n' (no ":LINE" for the file as a whole).
    std::string Format(const std::string& fileName) const;

private:
    std::vector<Diagnostic> items;
};

// printf-style formatting into a std::string, for the messages.
std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace levelc
