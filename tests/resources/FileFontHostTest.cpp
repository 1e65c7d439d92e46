// A font loaded outside an application: its layer images come from their files through FileFontHost, each
// a new palettized image; a missing image fails the descriptor with its fixed text and no pop-up.
#include "ImageTestSupport.h"

#include "graphics/FontData.h"
#include "graphics/GlyphLayer.h"
#include "graphics/ImageFont.h"
#include "graphics/MemoryImage.h"
#include "resources/FileFontHost.h"

#include <gtest/gtest.h>
#include <png.h>

using namespace imagetest;

TEST(FileFontHost, LoadsLayerImagesFromTheirFiles)
{
    struct Case
    {
        const char* name;
        bool writeImage;
        bool loads;
        const char* error; // a part of the error text; empty: none
    };
    const Case cases[] = {
        {"image beside the descriptor", true, true, ""},
        {"image missing", false, false, "Failed to Load Image"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        ScratchFolder folder;
        if (c.writeImage)
        {
            // Two grey glyph cells, 2 x 3 each.
            PngSpec spec;
            spec.width = 4;
            spec.height = 3;
            spec.colorType = PNG_COLOR_TYPE_GRAY;
            spec.rows = {{0, 255, 0, 255}, {255, 0, 255, 0}, {0, 255, 0, 255}};
            folder.Write("fonts/glyphs.png", MakePng(spec));
        }
        const std::string text = "CreateLayer Main; LayerSetImage Main 'glyphs.png';\n"
                                 "LayerSetImageMap Main ('a', 'b') ((0, 0, 2, 3), (2, 0, 2, 3));\n"
                                 "LayerSetAscent Main 3;";
        const std::string path = folder.Write("fonts/font.txt", Bytes(text.begin(), text.end()));

        zest::FileFontHost host;
        zest::ImageFont font(&host, path);
        const zest::FontData* data = font.GetFontData();
        EXPECT_EQ(data->initialized, c.loads);
        if (*c.error)
            EXPECT_NE(data->error.find(c.error), std::string::npos) << data->error;
        else
            EXPECT_EQ(data->error, "");
        if (!c.loads)
            continue;
        const zest::GlyphLayer* layer = data->FindLayer("Main");
        ASSERT_NE(layer, nullptr);
        ASSERT_NE(layer->image, nullptr);
        EXPECT_EQ(layer->image->GetWidth(), 4);
        EXPECT_EQ(layer->image->GetHeight(), 3);
        EXPECT_TRUE(layer->image->IsPalettized());
    }
}
