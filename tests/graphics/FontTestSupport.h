// Helpers shared by the font tests: an application stand-in serving glyph sheets made in code, an image
// that records the blits it receives, and a scratch folder with a non-ASCII name.
#pragma once

#include "graphics/FontHost.h"
#include "graphics/Image.h"
#include "graphics/MemoryImage.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

namespace fonttest
{

// Serves images registered by path; records every request and every error pop-up.
class FakeFontHost : public zest::FontHost
{
public:
    std::shared_ptr<zest::MemoryImage> SharedImage(const std::string& fileName, const std::string& variant,
                                                   bool& isNew) override
    {
        requests.push_back(fileName + "|" + variant);
        auto it = images.find(fileName);
        if (it == images.end())
            return nullptr;
        isNew = loaded.insert(fileName).second;
        return it->second;
    }
    void ShowFontError(const std::string& text) override { popups.push_back(text); }

    std::map<std::string, std::shared_ptr<zest::MemoryImage>> images;
    std::set<std::string> loaded;
    std::vector<std::string> requests;
    std::vector<std::string> popups;
};

// A transparent sheet with the given rectangles filled in their colours (0xAARRGGBB).
struct FilledRect
{
    zest::Rect rect;
    uint32_t argb;
};

inline std::shared_ptr<zest::MemoryImage> MakeSheet(int width, int height, const std::vector<FilledRect>& fills)
{
    auto image = std::make_shared<zest::MemoryImage>();
    image->Create(width, height);
    uint32_t* bits = image->GetBits();
    std::fill(bits, bits + width * height, 0u);
    for (const FilledRect& fill : fills)
    {
        for (int y = fill.rect.y; y < fill.rect.y + fill.rect.height; ++y)
            for (int x = fill.rect.x; x < fill.rect.x + fill.rect.width; ++x)
                bits[y * width + x] = fill.argb;
    }
    image->BitsChanged();
    return image;
}

// Records every Blit: which image, where, which part and in which colour and mode.
class RecordingImage : public zest::Image
{
public:
    struct Record
    {
        zest::Image* source;
        int x;
        int y;
        zest::Rect srcRect;
        zest::Color color;
        int drawMode;
    };

    RecordingImage(int w, int h)
    {
        width = w;
        height = h;
    }
    void Blit(zest::Image* source, int x, int y, const zest::Rect& srcRect, const zest::Color& color,
              int drawMode) override
    {
        records.push_back({source, x, y, srcRect, color, drawMode});
    }

    std::vector<Record> records;
};

// A fresh folder (with a non-ASCII name) removed again at the end of the test.
class ScratchDir
{
public:
    ScratchDir()
    {
        path = std::filesystem::temp_directory_path() /
               ("zest-font-" + std::to_string(getpid()) + "-" + std::to_string(counter++)) /
               "Schriftart-\xC3\xA4\xC3\xB6";
        std::filesystem::create_directories(path);
    }
    ~ScratchDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path.parent_path(), ignored);
    }
    std::string Write(const std::string& name, const std::string& content) const
    {
        std::filesystem::path file = path / name;
        std::ofstream out(file, std::ios::binary);
        out << content;
        return file.string();
    }
    std::string File(const std::string& name) const { return (path / name).string(); }

    std::filesystem::path path;

private:
    static inline int counter = 0;
};

} // namespace fonttest
