#include "GardenTestSupport.h"

#include "garden/Res.h"
#include "garden/Bee.h"
#include "graphics/Graphics.h"

#include <gtest/gtest.h>

namespace tibble::test
{

std::unique_ptr<Level> MakeLevel(FakeHost& host, const MapBuilder& map, int levelIndex)
{
    std::string error;
    std::vector<uint8_t> bytes = map.Bytes();
    std::unique_ptr<Level> level = Level::FromBytes(levelIndex, host, bytes, &error);
    EXPECT_TRUE(level) << error;
    return level;
}

void PlaceBee(Level& level, float cx, float cy, float vx, float vy, float gravity)
{
    Bee& bee = level.GetBee();
    bee.state = Bee::FreeFlight;
    bee.steerable = true;
    bee.pushable = true;
    bee.visible = true;
    bee.flower = nullptr;
    bee.gravity = gravity;
    bee.drift = 0;
    bee.vx = vx;
    bee.vy = vy;
    bee.centreX = cx;
    bee.centreY = cy;
    bee.x = static_cast<int>(cx) - 24;
    bee.y = static_cast<int>(cy) - 24;
    bee.honeyCountdown = 0;
}

void RunUpdates(Level& level, int n)
{
    for (int i = 0; i < n; i++)
        ASSERT_EQ(level.Update(), Level::GoOn) << "update " << i;
}

void RunDraws(Level& level, int n)
{
    zest::Graphics g;
    for (int i = 0; i < n; i++)
        level.Draw(g);
}

std::unique_ptr<zest::MemoryImage> TestImages::Sheet(int celWidth, int celHeight, int columns, int rows,
                                                     uint32_t baseColour)
{
    auto image = std::make_unique<zest::MemoryImage>();
    image->Create(celWidth * columns, celHeight * rows);
    image->columns = columns;
    image->rows = rows;
    uint32_t* bits = image->GetBits();
    for (int cel = 0; cel < columns * rows; cel++)
    {
        const int cx = (cel % columns) * celWidth;
        const int cy = (cel / columns) * celHeight;
        // Each cel its own shade so that a test can tell cels apart by one pixel.
        const uint32_t shade = (baseColour & 0x00FFFFFF) ^ static_cast<uint32_t>(cel * 0x050A0F);
        for (int y = 0; y < celHeight; y++)
            for (int x = 0; x < celWidth; x++)
            {
                const bool border = x == 0 || y == 0 || x == celWidth - 1 || y == celHeight - 1;
                bits[(cy + y) * celWidth * columns + cx + x] = border ? 0xFF202020 : (0xFF000000 | shade);
            }
    }
    image->BitsChanged();
    image->CommitBits();
    return image;
}

namespace
{
struct Binding
{
    zest::Image** variable;
    int celWidth, celHeight, columns, rows;
    uint32_t colour;
};
} // namespace

TestImages::TestImages()
{
    const Binding bindings[] = {
        {&IMAGE_BGBLOCKS, 64, 64, 5, 5, 0x40A040},      {&IMAGE_BEE, 48, 48, 7, 3, 0xF0C020},
        {&IMAGE_WINGS, 41, 23, 2, 1, 0xC0E0FF},         {&IMAGE_FLOWER, 64, 64, 6, 1, 0xF0E000},
        {&IMAGE_MINIFLOWER, 48, 48, 6, 1, 0xF080C0},    {&IMAGE_HOSE, 36, 60, 3, 1, 0x30A030},
        {&IMAGE_SPRAY, 96, 128, 8, 1, 0x80C0FF},        {&IMAGE_FLYTRAP, 64, 64, 5, 1, 0x60C060},
        {&IMAGE_TRUMPET, 64, 64, 6, 1, 0xE0E0E0},       {&IMAGE_ROSE, 64, 64, 6, 1, 0xF0F0F0},
        {&IMAGE_DROPS, 8, 8, 4, 1, 0x80C0FF},           {&IMAGE_TOMATO, 64, 64, 8, 1, 0xE03020},
        {&IMAGE_HIVE, 48, 48, 1, 1, 0xE0B000},          {&IMAGE_HIVECOUNTER, 32, 32, 1, 1, 0xE0B000},
        {&IMAGE_BEECOUNTER, 32, 32, 1, 1, 0xF0C020},    {&IMAGE_PANSY, 48, 48, 6, 1, 0x8040F0},
        {&IMAGE_PANSY2, 48, 48, 6, 1, 0x4080F0},        {&IMAGE_SPARKLE, 16, 16, 6, 1, 0xFFFFFF},
        {&IMAGE_HONEYDROP, 8, 8, 4, 1, 0xE0A000},       {&IMAGE_HONEYBAR, 300, 17, 1, 1, 0x604000},
        {&IMAGE_HONEYBARFULL, 300, 17, 1, 1, 0xF0B000}, {&IMAGE_HONEYSLIDER, 10, 24, 2, 1, 0xFF0000},
    };
    for (const Binding& b : bindings)
    {
        images.push_back(Sheet(b.celWidth, b.celHeight, b.columns, b.rows, b.colour));
        *b.variable = images.back().get();
    }
}

TestImages::~TestImages()
{
    zest::Image** variables[] = {
        &IMAGE_BGBLOCKS,     &IMAGE_BEE,         &IMAGE_WINGS,   &IMAGE_FLOWER,      &IMAGE_MINIFLOWER,
        &IMAGE_HOSE,         &IMAGE_SPRAY,       &IMAGE_FLYTRAP, &IMAGE_TRUMPET,     &IMAGE_ROSE,
        &IMAGE_DROPS,        &IMAGE_TOMATO,      &IMAGE_HIVE,    &IMAGE_HIVECOUNTER, &IMAGE_BEECOUNTER,
        &IMAGE_PANSY,        &IMAGE_PANSY2,      &IMAGE_SPARKLE, &IMAGE_HONEYDROP,   &IMAGE_HONEYBAR,
        &IMAGE_HONEYBARFULL, &IMAGE_HONEYSLIDER,
    };
    for (zest::Image** variable : variables)
        *variable = nullptr;
}

} // namespace tibble::test
