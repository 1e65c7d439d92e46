// A complete small data set for the game in a scratch folder with a non-ASCII name: the manifest with
// all 42 identifiers in their groups, solid-colour images, a block-glyph font, short wave sounds.
// Identifiers can be left out to make start-up fail in chosen ways.
#pragma once

#include <cstdint>
#include <filesystem>
#include <set>
#include <string>

namespace gametest
{

// Colours of the two images the title screen draws (0xRRGGBB).
inline constexpr uint32_t TitleColor = 0x203060;
inline constexpr uint32_t LoaderBarColor = 0xFF00FF;
inline constexpr int LoaderBarWidth = 400;
inline constexpr int LoaderBarHeight = 10;

struct DataOptions
{
    // Identifiers (IMAGE_..., SOUND_..., FONT_...) the manifest does not declare.
    std::set<std::string> leaveOut;
    // No manifest at all.
    bool noManifest = false;
};

// A fresh folder, removed with everything in it at the end.
class DataFolder
{
public:
    explicit DataFolder(const DataOptions& options = {});
    ~DataFolder();
    DataFolder(const DataFolder&) = delete;
    DataFolder& operator=(const DataFolder&) = delete;

    std::string Path(const std::string& name = "") const;
    // The number of resources of group "Game" the manifest declares.
    int gameCount = 0;

private:
    std::filesystem::path root;
};

// Every resource identifier variable back to unbound.
void ClearIdentifiers();

} // namespace gametest
