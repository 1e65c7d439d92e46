// What an image font asks of the application it belongs to: the shared image cache (so fonts reusing
// one glyph sheet hold it once) and the message pop-up that shows descriptor errors. Implemented by
// the application; fonts keep a non-owning pointer. Called on the thread that loads the font.
#pragma once

#include <memory>
#include <string>

namespace zest
{

class MemoryImage;

class FontHost
{
public:
    virtual ~FontHost() = default;

    // The shared image of fileName and variant, loaded (with alpha files looked for) on first
    // request; isNew is true when this call loaded it. Null when the file cannot be loaded.
    virtual std::shared_ptr<MemoryImage> SharedImage(const std::string& fileName, const std::string& variant,
                                                     bool& isNew) = 0;
    // Shows a descriptor error to the user.
    virtual void ShowFontError(const std::string& text) = 0;
};

} // namespace zest
