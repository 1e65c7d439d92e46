#include "resources/FileFontHost.h"

#include "graphics/MemoryImage.h"
#include "resources/ImageLoader.h"

namespace zest
{

std::shared_ptr<MemoryImage> FileFontHost::SharedImage(const std::string& fileName, const std::string& variant,
                                                       bool& isNew)
{
    (void)variant;
    isNew = true;
    return std::shared_ptr<MemoryImage>(LoadImageFile(fileName, true));
}

void FileFontHost::ShowFontError(const std::string& text)
{
    // The error text is kept in the font data, where the caller reads it.
    (void)text;
}

} // namespace zest
