#include "GardenTestSupport.h"

#include "garden/Res.h"
#include "garden/Bee.h"
#include "garden/Hose.h"
#include "garden/Sunflower.h"
#include "graphics/DisplayImage.h"
#include "graphics/Graphics.h"
#include "graphics/SysFont.h"
#include "resources/ImageLoader.h"
#include "resources/ImageRes.h"
#include "resources/ImageWriter.h"
#include "resources/ResourceManager.h"
#include "ImageCompare.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>

namespace tibble::test
{
namespace
{

// The centre colour of cel n of the test tile sheet (see TestImages::Sheet).
uint32_t TileColour(int cel)
{
    return 0xFF000000 | ((0x40A040u ^ static_cast<uint32_t>(cel * 0x050A0F)) & 0xFFFFFF);
}

// Every tile centre on screen (below the HUD, away from the live agents) shows that tile's cel.
void ExpectTilesOnScreen(Level& level, zest::DisplayImage& screen)
{
    std::vector<zest::Rect> covered;
    for (int slot = 0; slot < Level::AgentSlots; slot++)
        if (Agent* agent = level.GetAgent(slot))
            covered.emplace_back(agent->x - 64, agent->y - 64, 192, 192);
    int checked = 0;
    for (int row = 0; row < level.GetHeight(); row++)
        for (int column = 0; column < level.GetWidth(); column++)
        {
            const int x = column * 64 + 32 - level.GetCameraX();
            const int y = row * 64 + 32 - level.GetCameraY();
            if (x < 0 || x >= 640 || y < 50 || y >= 480)
                continue;
            bool hidden = false;
            for (const zest::Rect& r : covered)
                hidden = hidden || r.Contains(column * 64 + 32, row * 64 + 32);
            if (hidden)
                continue;
            checked++;
            ASSERT_EQ(screen.GetPixel(x, y), TileColour(level.GetTile(column, row)))
                << "tile (" << column << ", " << row << ") at screen (" << x << ", " << y << "), camera ("
                << level.GetCameraX() << ", " << level.GetCameraY() << ")";
        }
    EXPECT_GT(checked, 40);
}

TEST(LevelDraw, RingBufferShowsEveryVisibleTileWhileTheCameraScrolls)
{
    TestImages images;
    MapBuilder map(40, 25);
    for (int row = 0; row < 25; row++)
        for (int column = 0; column < 40; column++)
            if ((column * 7 + row * 3) % 5 == 0 || (column + row) % 11 == 0)
                map.Solid(column, row);
    map.AddAt(TypeStartTrumpet, 1, 1).AddAt(TypePansy, 39, 24);
    FakeHost host;
    std::unique_ptr<Level> level = MakeLevel(host, map);
    zest::DisplayImage screen(640, 480);
    zest::Graphics g(&screen);

    Bee& bee = level->GetBee();
    bee.state = Bee::CaughtInTrap; // moved by hand below
    bee.visible = false;
    // Right and down across the level, then back up and left, so every wrap of the ring is crossed.
    struct Leg
    {
        int dx, dy, updates;
    };
    const Leg legs[] = {{3, 1, 700}, {0, 3, 300}, {-3, -2, 500}, {-2, -3, 400}};
    int n = 0;
    for (const Leg& leg : legs)
    {
        for (int i = 0; i < leg.updates; i++, n++)
        {
            bee.x = std::clamp(bee.x + leg.dx, 0, 40 * 64 - 48);
            bee.y = std::clamp(bee.y + leg.dy, 0, 25 * 64 - 48);
            ASSERT_EQ(level->Update(), Level::GoOn);
            if (n % 13 == 0)
            {
                level->Draw(g);
                ExpectTilesOnScreen(*level, screen);
                if (HasFatalFailure())
                    return;
            }
        }
    }
}

// The lives and hives counters stand on a dark plate, so their white digits read whatever garden object lies
// under them (a hose hanging from the floor above, a sunflower): every pixel of the plate's face, outside the
// counter pictures, stays dark (no channel above 110). The face lies inside (476, 5) 158 x 39, with corners
// rounded by 7 pixels; it is checked as two rectangles clear of the corners.
TEST(LevelDraw, CountersStayReadableOverObjectsUnderTheHud)
{
    TestImages images;
    struct Case
    {
        const char* name;
        int type;
        int screenX, screenY, param;
    };
    const Case cases[] = {
        {"hose-among-the-lives", TypeHose, 530, 56, 180}, // hanging from the floor above, its pivot at the bottom
        {"sunflower-over-the-hives", TypeSunflower, 556, 0, 1},
    };
    const zest::Rect face[] = {{483, 5, 144, 39}, {476, 12, 158, 25}};
    const zest::Rect counters[] = {{480, 5, 36, 36}, {560, 8, 34, 32}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        MapBuilder empty(12, 9);
        for (int column = 0; column < 12; column++)
            empty.Solid(column, 8);
        empty.AddAt(TypeStartTrumpet, 2, 6).AddAt(TypePansy, 10, 7);
        MapBuilder withObject = empty;
        FakeHost host;
        std::unique_ptr<Level> level = MakeLevel(host, empty);
        ASSERT_TRUE(level);
        withObject.Add(c.type, level->GetCameraX() + c.screenX, level->GetCameraY() + c.screenY, c.param);

        std::vector<uint32_t> pictures[2];
        for (int i = 0; i < 2; i++)
        {
            FakeHost drawHost;
            std::unique_ptr<Level> drawn = MakeLevel(drawHost, i == 0 ? empty : withObject);
            ASSERT_TRUE(drawn);
            if (i == 1)
            {
                ASSERT_TRUE(c.type == TypeHose ? FindLive<Hose>(*drawn) != nullptr
                                               : FindLive<Sunflower>(*drawn) != nullptr);
            }
            ASSERT_EQ(drawn->Update(), Level::GoOn);
            zest::DisplayImage screen(640, 480);
            zest::Graphics g(&screen);
            drawn->Draw(g);
            pictures[i].assign(screen.GetBits(), screen.GetBits() + 640 * 480);
        }
        // The object is on screen: it shows below the plate.
        EXPECT_TRUE(pictures[0] != pictures[1]);
        int bright = 0;
        int firstX = -1, firstY = -1;
        for (const zest::Rect& r : face)
            for (int y = r.y; y < r.y + r.height; y++)
                for (int x = r.x; x < r.x + r.width; x++)
                {
                    if (counters[0].Contains(x, y) || counters[1].Contains(x, y))
                        continue;
                    const uint32_t pixel = pictures[1][y * 640 + x];
                    const uint32_t brightest =
                        std::max({(pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF});
                    if (brightest > 110 && bright++ == 0)
                    {
                        firstX = x;
                        firstY = y;
                    }
                }
        if (bright > 0)
        {
            (void)zest::test::WritePng(::testing::TempDir() + "hud-band-" + c.name + ".png", pictures[1].data(), 640,
                                       480);
            ADD_FAILURE() << bright << " pixels of the plate's face are bright; first at (" << firstX << ", "
                          << firstY << "): 0x" << std::hex << pictures[1][firstY * 640 + firstX] << std::dec
                          << " (picture written to " << ::testing::TempDir() << "hud-band-" << c.name << ".png)";
        }
    }
}

// Writes a picture of a level in play when GARDEN_SHOT_DIR names a folder. With GARDEN_ART_DIR set to a
// generated data folder (images/ and properties/resources.xml) the game's own art is used.
TEST(LevelDraw, ScreenshotOfATestLevelInPlay)
{
    const char* shotDir = std::getenv("GARDEN_SHOT_DIR");
    if (!shotDir)
        GTEST_SKIP() << "set GARDEN_SHOT_DIR to write the screenshot";

    TestImages images; // stand-ins, replaced by the real art when there is some
    std::vector<std::unique_ptr<zest::MemoryImage>> art;
    if (const char* artDir = std::getenv("GARDEN_ART_DIR"))
    {
        // The generated manifest names each image's file and cel grid.
        zest::ResourceManager manifest(nullptr);
        ASSERT_TRUE(manifest.ReadManifest(std::string(artDir) + "/properties/resources.xml")) << manifest.ErrorText();
        const std::map<std::string, zest::Image**> variables = {{"BGBLOCKS", &IMAGE_BGBLOCKS},
                                                                {"BEE", &IMAGE_BEE},
                                                                {"WINGS", &IMAGE_WINGS},
                                                                {"FLOWER", &IMAGE_FLOWER},
                                                                {"MINIFLOWER", &IMAGE_MINIFLOWER},
                                                                {"HOSE", &IMAGE_HOSE},
                                                                {"SPRAY", &IMAGE_SPRAY},
                                                                {"FLYTRAP", &IMAGE_FLYTRAP},
                                                                {"TRUMPET", &IMAGE_TRUMPET},
                                                                {"ROSE", &IMAGE_ROSE},
                                                                {"DROPS", &IMAGE_DROPS},
                                                                {"TOMATO", &IMAGE_TOMATO},
                                                                {"HIVE", &IMAGE_HIVE},
                                                                {"HIVECOUNTER", &IMAGE_HIVECOUNTER},
                                                                {"BEECOUNTER", &IMAGE_BEECOUNTER},
                                                                {"PANSY", &IMAGE_PANSY},
                                                                {"PANSY2", &IMAGE_PANSY2},
                                                                {"SPARKLE", &IMAGE_SPARKLE},
                                                                {"HONEYDROP", &IMAGE_HONEYDROP},
                                                                {"HONEYBAR", &IMAGE_HONEYBAR},
                                                                {"HONEYBARFULL", &IMAGE_HONEYBARFULL},
                                                                {"HONEYSLIDER", &IMAGE_HONEYSLIDER}};
        for (const auto& [name, variable] : variables)
        {
            const zest::ImageRes* res = manifest.GetImageRes("IMAGE_" + name);
            if (!res)
                continue;
            std::unique_ptr<zest::MemoryImage> image = zest::LoadImageFile(std::string(artDir) + "/" + res->path, true);
            ASSERT_TRUE(image) << res->path;
            image->columns = res->cols;
            image->rows = res->rows;
            *variable = image.get();
            art.push_back(std::move(image));
        }
    }
    zest::SysFont font("DejaVu Sans", 16, true);
    FONT_TITLE = &font;

    // Ledges joined by the auto-tiler, a hose spraying the bee, flowers and hazards around.
    MapBuilder map(24, 8);
    for (int column = 0; column < 24; column++)
        map.Solid(column, 7);
    map.Solid(0, 6).Solid(1, 6).Solid(0, 5).Solid(9, 6).Solid(10, 6).Solid(10, 5);
    for (int column = 6; column < 9; column++)
        map.Solid(column, 2);
    map.Solid(7, 1).Solid(0, 0).Solid(1, 0).Solid(2, 0).Solid(0, 1);
    map.AddAt(TypeStartTrumpet, 2, 3)
        .Add(TypeHose, 4 * 64 + 32, 6 * 64 + 40, 350)
        .AddAt(TypeSunflower, 7, 0, 2)
        .Add(TypeMiniFlower, 5 * 64 + 8, 1 * 64 + 16, 2)
        .AddAt(TypeRose, 6, 5, 3, 0)
        .AddAt(TypeRedRose, 7, 6, 4)
        .Add(TypePansy, 8 * 64, 5 * 64 + 16, 5)
        .AddAt(TypeFlyTrap, 1, 4, 0)
        .AddAt(TypeTomato, 11, 4)
        .AddAt(TypeTrumpet, 9, 3, 1)
        .AddAt(TypeHive, 8, 4, 5);
    FakeHost host(3);
    std::unique_ptr<Level> level = MakeLevel(host, map, 2);
    level->RevealHives(5);
    level->AddNectar();
    level->AddNectar();
    zest::DisplayImage screen(640, 480);
    zest::Graphics g(&screen);
    for (int i = 0; i < 150; i++)
    {
        host.Mouse(4 * 64 + 32 + 5 - level->GetCameraX(), 6 * 64 + 40 + 29 - level->GetCameraY(), i >= 60);
        ASSERT_EQ(level->Update(), Level::GoOn);
        level->Draw(g);
    }
    EXPECT_TRUE(zest::WritePng(std::string(shotDir) + "/garden.png", screen));
    FONT_TITLE = nullptr;
}

} // namespace
} // namespace tibble::test
