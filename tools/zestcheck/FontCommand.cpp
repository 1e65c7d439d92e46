#include "Commands.h"

#include "graphics/FontData.h"
#include "graphics/ImageFont.h"
#include "resources/FileFontHost.h"

#include <cstdio>

namespace zestcheck
{

int CheckFont(const Arguments& arguments)
{
    if (arguments.size() != 1 || arguments[0].empty() || arguments[0][0] == '-')
    {
        std::fprintf(stderr, "usage: zestcheck --font FILE\n");
        return 2;
    }
    const std::string& fileName = arguments[0];
    // No application: glyph images are loaded straight from the files and errors are only recorded.
    zest::FileFontHost host;
    zest::ImageFont font(&host, fileName);
    const zest::FontData* data = font.GetFontData();
    if (!data->initialized)
    {
        if (data->error.empty())
            std::printf("Failed to load font: %s\n", fileName.c_str());
        else
            std::printf("%s\n", data->error.c_str());
        return 1;
    }
    std::printf("OK ascent=%d height=%d linespacing=%d\n", font.Ascent(), font.Height(), font.LineSpacing());
    return 0;
}

} // namespace zestcheck
