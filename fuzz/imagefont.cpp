// libFuzzer harness for the widths file of a plain strip font: any bytes are read as the widths of a
// small glyph strip, then every character is measured and drawn. Glyphs must stay inside the strip.
#include "FuzzScratch.h"

#include "base/Color.h"
#include "graphics/FontData.h"
#include "graphics/Graphics.h"
#include "graphics/ImageFont.h"
#include "graphics/MemoryImage.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = fuzz::WriteScratch("widths.txt", data, size);
    if (path.empty())
        return 0;
    static zest::MemoryImage strip = []
    {
        zest::MemoryImage image;
        image.Create(96, 9);
        uint32_t* bits = image.GetBits();
        for (int i = 0; i < 96 * 9; ++i)
            bits[i] = (i % 3 == 0) ? 0xFFFFFFFFu : 0x00000000u;
        image.BitsChanged();
        return image;
    }();
    zest::ImageFont font(&strip, path);

    std::string all;
    for (int c = 1; c < 256; ++c)
        all.push_back(static_cast<char>(c));
    (void)font.StringWidth(all);
    (void)font.CharWidthKern('A', 'V');
    (void)font.Height();
    (void)font.Ascent();
    (void)font.LineSpacing();

    zest::MemoryImage canvas;
    canvas.Create(64, 24);
    zest::Graphics graphics(&canvas);
    std::vector<zest::Rect> rects;
    int width = 0;
    font.DrawStringEx(&graphics, 2, 16, all, zest::Color(255, 255, 255), zest::Rect(0, 0, 64, 24), &rects, &width);
    font.SetPointSize(font.PointSize() + 1);
    font.DrawString(&graphics, -5, 30, all.substr(30, 70), zest::Color(0, 0, 0), zest::Rect(0, 0, 64, 24));
    return 0;
}
