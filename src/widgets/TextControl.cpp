#include "widgets/TextControl.h"

#include "graphics/Font.h"
#include "graphics/SysFont.h"

namespace zest
{

TextControl::TextControl(int controlId, std::initializer_list<Color> defaultColors, int innerPadding)
    : id(controlId), padding(innerPadding)
{
    colors.assign(defaultColors.begin(), defaultColors.end());
    wantsFocus = true;
}

TextControl::~TextControl() = default;

void TextControl::SetFont(Font* newFont)
{
    font = newFont ? newFont->Duplicate() : nullptr;
    FontChanged();
}

Font* TextControl::GetFont()
{
    if (!font)
        font = std::make_unique<SysFont>("Arial Unicode MS", 10);
    return font.get();
}

} // namespace zest
