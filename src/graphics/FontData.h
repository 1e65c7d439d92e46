// The parsed font descriptor behind one or more ImageFonts: character map, layers and definitions.
// Shared (reference counted) by a font and its duplicates; loaded once, on the loading or main thread,
// then only read.
#pragma once

#include "graphics/DescParser.h"
#include "graphics/GlyphLayer.h"

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace zest
{

class FontHost;

class FontData : public DescParser
{
public:
    FontData();
    ~FontData() override;

    // Builds "Font Descriptor Error in " path CR LF message, with the line and the command text when a
    // command is being read, stores it and shows it through the host. Only the first error of a load
    // counts. Always false.
    bool Error(const std::string& message) override;
    bool HandleCommand(const ListDataElement& params) override;

    // Reads the descriptor at path. False when already initialized, when the file cannot be read or a
    // command fails. host may be none: no layer image can then load (FileFontHost loads them from files),
    // and errors are only stored.
    [[nodiscard]] bool Load(const std::string& path, FontHost* host);
    // Reads descriptor text already in memory; path names it in messages and anchors image paths.
    [[nodiscard]] bool LoadText(const std::string& text, const std::string& path, FontHost* host);

    // The layer of that name (compared without regard to case), or none.
    GlyphLayer* FindLayer(const std::string& name) const;

    bool initialized = false;
    FontHost* host = nullptr; // not owned
    int defaultPointSize = 0;
    std::array<uint8_t, 256> charMap{};
    std::vector<std::unique_ptr<GlyphLayer>> fontLayerList; // creation order
    std::map<std::string, GlyphLayer*> fontLayerMap;        // keys upper-cased
    std::string sourceFile;
    std::string fontErrorHeader;

private:
    using Params = std::vector<std::unique_ptr<DataElement>>;
    using CommandHandler = bool (FontData::*)(const Params&);
    struct Command
    {
        const char* name;
        int paramCount; // the command itself included
        CommandHandler handler;
    };
    static const Command commands[];

    void Begin(const std::string& path, FontHost* newHost);
    // The layer a parameter names; reports "Undefined Layer" when there is none.
    [[nodiscard]] bool GetLayer(const DataElement& element, GlyphLayer*& layer);
    [[nodiscard]] bool GetInt(const DataElement& element, int& value);
    [[nodiscard]] bool GetColor(const DataElement& element, Color& color);
    // One-character texts.
    [[nodiscard]] bool GetChars(const DataElement& element, std::vector<uint8_t>& chars);
    [[nodiscard]] bool GetDefineName(const DataElement& element, std::string& name);
    bool TypeError();
    std::shared_ptr<MemoryImage> LoadLayerImage(const std::string& fileName);

    bool CmdDefine(const Params& p);
    bool CmdCreateHorzSpanRectList(const Params& p);
    bool CmdSetDefaultPointSize(const Params& p);
    bool CmdSetCharMap(const Params& p);
    bool CmdCreateLayer(const Params& p);
    bool CmdCreateLayerFrom(const Params& p);
    // Adds the upper-cased tags of p[2] to the list of the layer p[1].
    bool AddLayerTags(const Params& p, std::vector<std::string> GlyphLayer::*list);
    bool CmdLayerRequireTags(const Params& p);
    bool CmdLayerExcludeTags(const Params& p);
    bool CmdLayerPointRange(const Params& p);
    bool CmdLayerSetPointSize(const Params& p);
    bool CmdLayerSetHeight(const Params& p);
    bool CmdLayerSetImage(const Params& p);
    bool CmdLayerSetDrawMode(const Params& p);
    bool CmdLayerSetColorMult(const Params& p);
    bool CmdLayerSetColorAdd(const Params& p);
    bool CmdLayerSetAscent(const Params& p);
    bool CmdLayerSetAscentPadding(const Params& p);
    bool CmdLayerSetLineSpacingOffset(const Params& p);
    bool CmdLayerSetOffset(const Params& p);
    bool CmdLayerSetCharWidths(const Params& p);
    bool CmdLayerSetSpacing(const Params& p);
    bool CmdLayerSetImageMap(const Params& p);
    bool CmdLayerSetCharOffsets(const Params& p);
    bool CmdLayerSetKerningPairs(const Params& p);
    bool CmdLayerSetBaseOrder(const Params& p);
    bool CmdLayerSetCharOrders(const Params& p);
    // The commands that set one whole number of a layer.
    bool SetLayerInt(const Params& p, int GlyphLayer::*field);
};

} // namespace zest
