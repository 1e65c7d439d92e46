#include "level/MapPicture.h"

#include "level/ObjectKind.h"

#include "base/Color.h"
#include "garden/Hose.h"
#include "graphics/MemoryImage.h"

#include <algorithm>
#include <cmath>

namespace levelc
{

namespace
{

using zest::Color;
using zest::Rect;

constexpr int LevelTile = 64;
constexpr double Pi = 3.141592654;
constexpr double HoseReach = tibble::Hose::SprayReach;
constexpr double HoseHalfCone = tibble::Hose::SprayHalfAngle;
constexpr int Margin = 8;

const Color OpenColour(196, 228, 160);
const Color SolidColour(122, 90, 58);
const Color GridColour(180, 212, 146);

Color KindColour(const SourceObject& object)
{
    switch (object.type)
    {
    case 1:
        return Color(40, 90, 200);
    case 2:
        return Color(250, 200, 20);
    case 3:
        return Color(255, 140, 190);
    case 4:
        return Color(30, 110, 40);
    case 5:
        return object.param == ExitLink ? Color(230, 40, 40) : Color(120, 120, 255);
    case 6:
        return Color(255, 240, 60);
    case 7:
        return Color(220, 0, 30);
    case 8:
        return Color(200, 60, 230);
    case 9:
        return Color(255, 90, 40);
    case 10:
        return Color(60, 200, 60);
    case 11:
        return Color(40, 210, 230);
    case 12:
        return Color(255, 190, 0);
    case 13:
        return Color(140, 60, 200);
    case 14:
        return Color(90, 90, 220);
    default:
        return Color(0, 0, 0);
    }
}

bool SquareMark(int type)
{
    return type == 5 || type == 10 || type == 11 || type == 12;
}

class Painter
{
public:
    Painter(zest::MemoryImage& target, int originX, int originY, int tile)
        : image(target), ox(originX), oy(originY), tileSize(tile)
    {
    }

    // Level pixels to picture pixels.
    double X(double levelX) const { return ox + levelX * tileSize / LevelTile; }
    double Y(double levelY) const { return oy + levelY * tileSize / LevelTile; }

    void Level(const LevelSource& level)
    {
        for (int row = 0; row < level.height; row++)
            for (int column = 0; column < level.width; column++)
            {
                const Rect cell(ox + column * tileSize, oy + row * tileSize, tileSize, tileSize);
                const bool solid = level.IsSolid(column, row);
                image.FillRect(cell, solid ? SolidColour : OpenColour, 0);
                if (!solid && tileSize >= 8)
                {
                    image.FillRect(Rect(cell.x, cell.y, tileSize, 1), GridColour, 0);
                    image.FillRect(Rect(cell.x, cell.y, 1, tileSize), GridColour, 0);
                }
            }
        for (const SourceObject& object : level.objects)
            Links(level, object);
        for (const SourceObject& object : level.objects)
            Object(object);
    }

private:
    void Line(double x1, double y1, double x2, double y2, const Color& colour)
    {
        image.DrawLineSmooth(x1, y1, x2, y2, colour, 0);
    }

    void Disc(double cx, double cy, double radius, const Color& colour)
    {
        for (int dy = static_cast<int>(-radius); dy <= static_cast<int>(radius); dy++)
        {
            const double half = std::sqrt(std::max(0.0, radius * radius - dy * dy));
            const int x0 = static_cast<int>(std::lround(cx - half));
            const int x1 = static_cast<int>(std::lround(cx + half));
            image.FillRect(Rect(x0, static_cast<int>(std::lround(cy)) + dy, x1 - x0 + 1, 1), colour, 0);
        }
    }

    // A line along a game angle (degrees, 0 up, clockwise) from a level point.
    void Ray(double x, double y, double degrees, double length, const Color& colour)
    {
        const double a = degrees * Pi / 180;
        Line(X(x), Y(y), X(x + std::sin(a) * length), Y(y - std::cos(a) * length), colour);
    }

    void Links(const LevelSource& level, const SourceObject& object)
    {
        if ((object.type != 5 && object.type != 11) || object.param == ExitLink)
            return;
        for (const SourceObject& other : level.objects)
        {
            if (&other == &object)
                break; // each pair once
            if (other.type == object.type && other.param == object.param)
                Line(X(other.x + 32), Y(other.y + 32), X(object.x + 32), Y(object.y + 32), Color(60, 60, 160));
        }
    }

    void Object(const SourceObject& object)
    {
        const ObjectKind* kind = KindOfType(object.type);
        if (!kind)
            return;
        const double cx = object.x + kind->centreOffset;
        const double cy = object.y + kind->centreOffset;
        const Color colour = KindColour(object);
        const double size = (kind->centreOffset == 24 ? 40.0 : 52.0) * tileSize / LevelTile;
        if (object.type == 1)
        {
            // The game turns the diagonal hoses of a map 10 degrees towards the vertical.
            const int angle = object.param == 45 ? 35 : object.param == 315 ? 325 : object.param;
            const Color cone(90, 140, 255, 150);
            Ray(cx, cy, angle, HoseReach, Color(40, 90, 200, 200));
            Ray(cx, cy, angle - HoseHalfCone, HoseReach, cone);
            Ray(cx, cy, angle + HoseHalfCone, HoseReach, cone);
            Ray(cx, cy, angle + 180, 30, Color(20, 20, 60)); // the hose body, down to its grab point
            Disc(X(cx), Y(cy), std::max(1.5, size / 4), colour);
            return;
        }
        if (object.type == 4)
            Ray(cx, cy, object.param, 128, Color(200, 0, 0));
        if (SquareMark(object.type))
        {
            const int s = std::max(2, static_cast<int>(size));
            image.FillRect(Rect(static_cast<int>(X(cx)) - s / 2, static_cast<int>(Y(cy)) - s / 2, s, s),
                           Color(30, 30, 30), 0);
            image.FillRect(Rect(static_cast<int>(X(cx)) - s / 2 + 1, static_cast<int>(Y(cy)) - s / 2 + 1, s - 2, s - 2),
                           colour, 0);
        }
        else
        {
            Disc(X(cx), Y(cy), std::max(1.5, size / 2), Color(30, 30, 30));
            Disc(X(cx), Y(cy), std::max(1.0, size / 2 - 1), colour);
        }
    }

    zest::MemoryImage& image;
    int ox;
    int oy;
    int tileSize;
};

} // namespace

std::unique_ptr<zest::MemoryImage> MapPicture::Draw(const LevelSource& level, int tileSize)
{
    tileSize = std::max(2, tileSize);
    auto image = std::make_unique<zest::MemoryImage>();
    image->Create(level.width * tileSize, level.height * tileSize);
    Painter(*image, 0, 0, tileSize).Level(level);
    return image;
}

namespace
{

// A 3 x 5 block font for the sheet's labels, one row of three bits per entry (bit 2 the left column): enough to
// read a map number from across the room, and no font file for the level compiler to find.
struct BlockGlyph
{
    char c;
    uint8_t rows[5];
};

constexpr BlockGlyph BlockGlyphs[] = {
    {'0', {7, 5, 5, 5, 7}}, {'1', {2, 6, 2, 2, 7}}, {'2', {7, 1, 7, 4, 7}}, {'3', {7, 1, 7, 1, 7}},
    {'4', {5, 5, 7, 1, 1}}, {'5', {7, 4, 7, 1, 7}}, {'6', {7, 4, 7, 5, 7}}, {'7', {7, 1, 1, 1, 1}},
    {'8', {7, 5, 7, 5, 7}}, {'9', {7, 5, 7, 1, 7}}, {'-', {0, 0, 7, 0, 0}},
};

constexpr int LabelScale = 2;                        // screen pixels per font pixel
constexpr int LabelHeight = 5 * LabelScale + Margin; // the band under each level

void DrawLabel(zest::MemoryImage& image, int x, int y, const std::string& text)
{
    for (const char c : text)
    {
        for (const BlockGlyph& glyph : BlockGlyphs)
        {
            if (glyph.c != c)
                continue;
            for (int row = 0; row < 5; row++)
                for (int column = 0; column < 3; column++)
                    if (glyph.rows[row] & (4 >> column))
                        image.FillRect(Rect(x + column * LabelScale, y + row * LabelScale, LabelScale, LabelScale),
                                       Color(230, 230, 230), 0);
        }
        x += 4 * LabelScale;
    }
}

} // namespace

std::unique_ptr<zest::MemoryImage> MapPicture::Sheet(const std::vector<LevelSource>& levels, int tileSize, int columns,
                                                     const std::vector<std::string>& labels)
{
    tileSize = std::max(2, tileSize);
    columns = std::max(1, columns);
    const int rows = (static_cast<int>(levels.size()) + columns - 1) / columns;
    int cellWidth = 0;
    int cellHeight = 0;
    for (const LevelSource& level : levels)
    {
        cellWidth = std::max(cellWidth, level.width * tileSize);
        cellHeight = std::max(cellHeight, level.height * tileSize);
    }
    const int band = labels.empty() ? 0 : LabelHeight;
    auto image = std::make_unique<zest::MemoryImage>();
    image->Create(Margin + columns * (cellWidth + Margin), Margin + rows * (cellHeight + band + Margin));
    image->FillRect(Rect(0, 0, image->GetWidth(), image->GetHeight()), Color(40, 44, 52), 0);
    for (size_t i = 0; i < levels.size(); i++)
    {
        const int x = Margin + static_cast<int>(i % static_cast<size_t>(columns)) * (cellWidth + Margin);
        const int y = Margin + static_cast<int>(i / static_cast<size_t>(columns)) * (cellHeight + band + Margin);
        Painter(*image, x, y, tileSize).Level(levels[i]);
        if (i < labels.size())
            DrawLabel(*image, x, y + levels[i].height * tileSize + Margin / 2, labels[i]);
    }
    return image;
}

} // namespace levelc
