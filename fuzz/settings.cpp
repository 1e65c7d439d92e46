// libFuzzer harness for the settings file: any bytes are read as the file of a settings key, through the
// store as the game reads it and through the text reader. Values that read are written out again and
// must read back the same; a store whose file is damaged still takes a new value.
#include "FuzzScratch.h"

#include "platform/Registry.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <system_error>

namespace
{

bool SameValues(const std::map<std::string, zest::Registry::Value>& a,
                const std::map<std::string, zest::Registry::Value>& b)
{
    if (a.size() != b.size())
        return false;
    for (auto i = a.begin(), j = b.begin(); i != a.end(); ++i, ++j)
    {
        if (i->first != j->first || i->second.type != j->second.type)
            return false;
        const bool same = i->second.type == zest::Registry::ValueType::Dword    ? i->second.dword == j->second.dword
                          : i->second.type == zest::Registry::ValueType::String ? i->second.text == j->second.text
                                                                                : i->second.bytes == j->second.bytes;
        if (!same)
            return false;
    }
    return true;
}

// The store keeps its files under $XDG_CONFIG_HOME: point that at the scratch folder once.
zest::Registry& Store()
{
    static zest::Registry* registry = []
    {
        setenv("XDG_CONFIG_HOME", (fuzz::ScratchFolder() + "/config").c_str(), 1);
        return new zest::Registry("Fuzz\\Settings");
    }();
    return *registry;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    // Whatever reads (a damaged text keeps its well-formed lines) writes out whole and reads back the same.
    const zest::Registry::Parsed parsed = zest::Registry::Parse(text);
    const zest::Registry::Parsed again = zest::Registry::Parse(zest::Registry::Format(parsed.values));
    fuzz::Require(again.whole && again.badLines == 0 && SameValues(parsed.values, again.values));

    zest::Registry& store = Store();
    if (store.FilePath().empty())
        return 0;
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(store.FilePath()).parent_path(), ec);
    if (fuzz::WriteScratch("settings.txt", data, size).empty())
        return 0;
    std::filesystem::rename(fuzz::ScratchFolder() + "/settings.txt", store.FilePath(), ec);
    if (ec)
        return 0;
    const std::map<std::string, zest::Registry::Value> stored = store.ReadAll();
    for (const auto& [name, value] : stored)
    {
        uint32_t dword = 0;
        std::string string;
        std::vector<uint8_t> bytes;
        fuzz::Require(store.ReadDword(name, dword) == (value.type == zest::Registry::ValueType::Dword));
        fuzz::Require(store.ReadString(name, string) == (value.type == zest::Registry::ValueType::String));
        fuzz::Require(store.ReadData(name, bytes) == (value.type == zest::Registry::ValueType::Data));
    }
    // A write never loses what read before it (a damaged file gives nothing to lose).
    if (store.WriteDword("fuzz written", 7))
    {
        std::map<std::string, zest::Registry::Value> after = store.ReadAll();
        uint32_t dword = 0;
        fuzz::Require(store.ReadDword("fuzz written", dword) && dword == 7);
        after.erase("fuzz written");
        std::map<std::string, zest::Registry::Value> before = stored;
        before.erase("fuzz written");
        fuzz::Require(SameValues(before, after));
    }
    return 0;
}
