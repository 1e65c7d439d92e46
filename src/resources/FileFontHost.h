// A font host for fonts loaded outside an application (the data checker, a resource manager without one):
// each layer image is loaded from its own file, unshared, and descriptor errors stay in the font data only.
// Stateless; any thread.
#pragma once

#include "graphics/FontHost.h"

namespace zest
{

class FileFontHost : public FontHost
{
public:
    // Always a new image (isNew true); null when the file cannot be loaded.
    std::shared_ptr<MemoryImage> SharedImage(const std::string& fileName, const std::string& variant,
                                             bool& isNew) override;
    void ShowFontError(const std::string& text) override;
};

} // namespace zest
