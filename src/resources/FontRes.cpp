#include "resources/FontRes.h"

#include "graphics/Font.h"
#include "graphics/MemoryImage.h"

namespace zest
{

FontRes::FontRes() : BaseRes(TypeFont)
{
}

FontRes::~FontRes()
{
    Unload();
}

void FontRes::Unload()
{
    // A strip font draws from the image: the font goes first.
    font.reset();
    image.reset();
}

} // namespace zest
