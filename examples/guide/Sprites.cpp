#include "Samples.h"

#include <zest/graphics/AnimInfo.h>
#include <zest/graphics/Graphics.h>
#include <zest/graphics/MemoryImage.h>
#include <zest/resources/ImageWriter.h>

#include <memory>

namespace guide
{

bool DrawSpriteStrip(const std::string& pngPath)
{
    // A sheet of four 32 x 32 cels side by side. The manifest does the same with
    // <Image id="BEE" path="bee.png" cols="4" anim="loop" framedelay="100"/>.
    zest::MemoryImage sheet;
    sheet.Create(4 * 32, 32);
    zest::Graphics sheetGraphics(&sheet);
    for (int cel = 0; cel < 4; cel++)
    {
        sheetGraphics.SetColor(zest::Color(244, 165, 44));
        sheetGraphics.FillRect(cel * 32 + 16 - 4 * (cel + 1), 16 - 4 * (cel + 1), 8 * (cel + 1), 8 * (cel + 1));
    }
    sheet.columns = 4;
    sheet.rows = 1;
    sheet.animInfo = std::make_unique<zest::AnimInfo>();
    sheet.animInfo->animType = zest::AnimInfo::AnimTypePingPong;
    sheet.animInfo->frameDelay = 100; // milliseconds per frame
    sheet.animInfo->SetCels(4, 0, 0);

    // GetCelRect gives a cel's place in the sheet; GetAnimCel the cel showing at a time in milliseconds.
    // At 100 updates a second, update n is 10 * n milliseconds into the animation.
    zest::MemoryImage strip;
    strip.Create(8 * 40, 40);
    zest::Graphics g(&strip);
    g.SetColor(zest::Color(255, 246, 220));
    g.FillRect(0, 0, 8 * 40, 40);
    for (int frame = 0; frame < 8; frame++)
    {
        const int updates = frame * 10; // a frame every tenth of a second
        const int cel = sheet.GetAnimCel(updates * 10);
        g.DrawImageCell(&sheet, frame * 40 + 4, 4, cel);
    }
    const zest::Rect third = sheet.GetCelRect(2);
    if (third.x != 64 || third.width != 32)
        return false;
    return zest::WritePng(pngPath, strip);
}

} // namespace guide
