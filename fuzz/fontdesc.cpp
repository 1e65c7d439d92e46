// libFuzzer harness for the font descriptor reader: any bytes are read as a descriptor and every
// command is carried out. Images named by LayerSetImage come from a stand-in host (one small sheet),
// so the run never touches the disk.
#include "graphics/FontData.h"
#include "graphics/FontHost.h"
#include "graphics/MemoryImage.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace
{

class SheetHost : public zest::FontHost
{
public:
    std::shared_ptr<zest::MemoryImage> SharedImage(const std::string& fileName, const std::string&,
                                                   bool& isNew) override
    {
        if (fileName.find("missing") != std::string::npos)
            return nullptr;
        isNew = true;
        auto sheet = std::make_shared<zest::MemoryImage>();
        sheet->Create(16, 8);
        uint32_t* bits = sheet->GetBits();
        for (int i = 0; i < 16 * 8; ++i)
            bits[i] = (static_cast<uint32_t>(i * 2) << 24) | 0xFFFFFF;
        sheet->BitsChanged();
        return sheet;
    }
    void ShowFontError(const std::string&) override {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SheetHost host;
    zest::FontData font;
    std::string text(reinterpret_cast<const char*>(data), size);
    (void)font.LoadText(text, "fonts/fuzz.txt", &host);
    // Write every definition out again: walks whatever the parser built.
    size_t total = 0;
    for (const auto& entry : font.defineMap)
        total += zest::DescParser::DataToString(*entry.second).size();
    return total == static_cast<size_t>(-1) ? 1 : 0;
}
