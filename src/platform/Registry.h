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
    // is unchanged. A damaged or unreadable file reads as no values at all.
    [[nodiscard]] bool ReadDword(const std::string& name, uint32_t& value) const;
    [[nodiscard]] bool ReadString(const std::string& name, std::string& text) const;
    [[nodiscard]] bool ReadData(const std::string& name, std::vector<uint8_t>& bytes) const;

    // Each write rewrites the whole file atomically (temporary file, flush, rename):
    // a crash at any point leaves the old file or the new one, never a mix. A damaged
    // file is replaced by one holding only the new value. False when the file cannot
    // be written (the old file stays).
    [[nodiscard]] bool WriteDword(const std::string& name, uint32_t value);
    [[nodiscard]] bool WriteString(const std::string& name, const std::string& text);
    [[nodiscard]] bool WriteData(const std::string& name, const void* bytes, size_t length);
    // Erasing a value that does not exist fails and writes nothing.
    [[nodiscard]] bool Erase(const std::string& name);

    // All values of the key; empty when the file is missing or damaged.
    std::map<std::string, Value> ReadAll() const;

    // The text form of the values, and its reader (nullopt when the text is damaged).
    static std::string Format(const std::map<std::string, Value>& values);
    static std::optional<std::map<std::string, Value>> Parse(const std::string& text);

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
    bool WriteFile(const std::map<std::string, Value>& values) const;

    std::string filePath;
};

} // namespace zest
