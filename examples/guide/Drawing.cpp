#include "Samples.h"

#include <zest/graphics/Graphics.h>
#include <zest/graphics/MemoryImage.h>
#include <zest/graphics/SysFont.h>
#include <zest/resources/ImageWriter.h>

namespace guide
{

bool DrawCard(const std::string& pngPath)
{
    zest::MemoryImage card;
    card.Create(200, 80); // 32-bit ARGB, cleared to transparent

    zest::Graphics g(&card); // a drawing context: colour, font, clip and offset
    g.SetColor(zest::Color(255, 217, 131));
    g.FillRect(0, 0, 200, 80);
    g.SetColor(zest::Color(46, 42, 54));
    g.DrawRect(0, 0, 199, 79);

    zest::SysFont font("DejaVu Sans", 14, true); // any face fontconfig knows
    if (!font.IsLoaded())
        return false;
    g.SetFont(&font);
    g.DrawString("Hello, card", 16, 46); // y is the baseline

    return zest::WritePng(pngPath, card);
}

} // namespace guide
