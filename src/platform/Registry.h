// The settings store: one registry key's typed values (DWORD, string, raw bytes) kept
// in a text file under $XDG_CONFIG_HOME, in a folder named after the key. Plain
// object owned by whoever uses the key; one thread at a time per object.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zest
{

class Registry
{
public:
    enum class ValueType
    {
        Dword,
        String,
        Data,
    };

    struct Value
    {
        ValueType type = ValueType::Dword;
        uint32_t dword = 0;
        std::string text;
        std::vector<uint8_t> bytes;
    };

    // key as the application names it ("Company\\Product"); backslashes become folders.
    explicit Registry(const std::string& key);

    // The file that holds the key's values; empty when the key is empty or unusable
    // (a ".." component, for instance).
    const std::string& FilePath() const { return filePath; }
    static std::string FilePathForKey(const std::string& key);

    // Reads succeed only when the value exists with that type; on failure the target
    // is unchanged. A damaged file yields the values of its well-formed lines; a file
    // that cannot be read yields none.
    [[nodiscard]] bool ReadDword(const std::string& name, uint32_t& value) const;
    [[nodiscard]] bool ReadString(const std::string& name, std::string& text) const;
    [[nodiscard]] bool ReadData(const std::string& name, std::vector<uint8_t>& bytes) const;

    // Each write rewrites the whole file atomically (temporary file, flush, rename):
    // a crash at any point leaves the old file or the new one, never a mix. A write
    // that changes nothing leaves the file alone. A file that could not be read or
    // parsed whole is first kept beside the new one under another name (the write
    // fails when that is impossible). False when the file cannot be written (the old
    // file stays).
    [[nodiscard]] bool WriteDword(const std::string& name, uint32_t value);
    [[nodiscard]] bool WriteString(const std::string& name, const std::string& text);
    [[nodiscard]] bool WriteData(const std::string& name, const void* bytes, size_t length);
    // Erasing a value that does not exist fails and writes nothing.
    [[nodiscard]] bool Erase(const std::string& name);
    // Several values in one atomic write, as above.
    [[nodiscard]] bool WriteValues(const std::map<std::string, Value>& changes);

    enum class FileState
    {
        Missing,    // no file yet
        Whole,      // read and parsed without a fault
        Damaged,    // read, but some lines are malformed or the file is cut short
        Unreadable, // exists but could not be read (read error, too large, not a file)
    };
    struct Contents
    {
        std::map<std::string, Value> values;
        FileState state = FileState::Missing;
    };
    // The file's values and how well they could be read. The first read of a damaged
    // or unreadable file logs one warning (once per file as found, not per read).
    Contents Load() const;
    // All values of the key (what Load finds).
    std::map<std::string, Value> ReadAll() const;

    // The text form of the values, and its reader. The reader takes every well-formed
    // line (the first of a repeated name) and says whether the text was whole: the
    // header, nothing malformed, and a closing line that counts the values.
    struct Parsed
    {
        std::map<std::string, Value> values;
        bool whole = false;
        size_t badLines = 0;
    };
    static std::string Format(const std::map<std::string, Value>& values);
    static Parsed Parse(const std::string& text);

    // Tests: called after the temporary file is complete and before it replaces the
    // old one; answering false stops there, as a crash at that moment would.
    using BeforeReplaceHook = std::function<bool(const std::string& temporaryPath)>;
    static void SetBeforeReplaceHook(BeforeReplaceHook hook);

    // Values and files larger than this are refused (a settings file has no business
    // being bigger; a huge one is damage).
    static constexpr size_t MaxFileSize = 4 * 1024 * 1024;

private:
    std::optional<Value> Find(const std::string& name) const;
    bool Store(const std::string& name, std::optional<Value> value);
    // Writes values, first keeping a damaged or unreadable file as found.
    bool Replace(const Contents& found, const std::map<std::string, Value>& values) const;
    // Keeps the file as it is under a new name beside it; false when that is impossible.
    bool KeepOriginal() const;
    bool WriteFile(const std::map<std::string, Value>& values) const;

    std::string filePath;
};

} // namespace zest
