#include "LevelTestSupport.h"

#include "level/LevelRules.h"

#include "garden/LevelMap.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace levelc::test
{

Parsed ParseText(const std::string& text)
{
    Parsed parsed;
    parsed.level = LevelSource::Parse(text, parsed.diagnostics);
    return parsed;
}

Diagnostics CheckText(const std::string& text, int levelIndex)
{
    Diagnostics diagnostics;
    std::optional<LevelSource> level = LevelSource::Parse(text, diagnostics);
    if (level)
    {
        LevelRules::CheckPlayable(*level, diagnostics);
        if (!diagnostics.HasErrors())
            LevelRules::CheckDesign(*level, levelIndex, diagnostics);
    }
    return diagnostics;
}

bool HasMessage(const Diagnostics& diagnostics, int line, const std::string& fragment, bool error)
{
    for (const Diagnostic& d : diagnostics.Items())
    {
        if (d.line == line && d.error == error && d.text.find(fragment) != std::string::npos)
            return true;
    }
    return false;
}

std::string Listing(const Diagnostics& diagnostics)
{
    return diagnostics.Format("source");
}

std::vector<uint8_t> Int16Bytes(std::initializer_list<int> values)
{
    std::vector<uint8_t> bytes;
    for (int value : values)
    {
        bytes.push_back(static_cast<uint8_t>(value & 0xFF));
        bytes.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
    }
    return bytes;
}

std::string OpenGrid(int width, int height)
{
    std::string text = "grid\n";
    for (int row = 0; row < height; row++)
        text += std::string(static_cast<size_t>(width), '.') + "\n";
    return text + "end\n";
}

std::vector<std::string> ShippedLevelFiles()
{
    std::vector<std::string> files;
    for (int i = 0; i < tibble::LevelCount; i++)
    {
        std::string name = tibble::LevelFileNames[i];
        name = name.substr(name.rfind('/') + 1);
        name = name.substr(0, name.rfind('.'));
        files.push_back(std::string(ZEST_LEVEL_SOURCE_DIR) + "/" + name + ".lvl");
    }
    return files;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

} // namespace levelc::test
