#include "base/Color.h"

#include <gtest/gtest.h>

using zest::Color;
using zest::Rect;

TEST(Color, PacksAndUnpacksARGB)
{
    Color c = Color::FromARGB(0x80112233u);
    EXPECT_EQ(c, Color(0x11, 0x22, 0x33, 0x80));
    EXPECT_EQ(c.ToARGB(), 0x80112233u);
    EXPECT_EQ(Color(300, -5, 7).ToARGB(), 0xFFFF0007u);
}

TEST(Rect, IntersectionOfDisjointRectanglesIsEmpty)
{
    struct Case
    {
        Rect a, b, expected;
        bool empty;
    } cases[] = {
        {{0, 0, 10, 10}, {5, 5, 10, 10}, {5, 5, 5, 5}, false},
        {{0, 0, 10, 10}, {10, 0, 5, 5}, {10, 0, 0, 5}, true},
        {{0, 0, 10, 10}, {-5, -5, 3, 3}, {0, 0, -2, -2}, true},
        {{0, 0, 640, 480}, {100, 100, 20, 30}, {100, 100, 20, 30}, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(::testing::Message() << c.a.x << "," << c.a.y << " vs " << c.b.x << "," << c.b.y);
        Rect r = c.a.Intersection(c.b);
        EXPECT_EQ(r.IsEmpty(), c.empty);
        if (!c.empty)
        {
            EXPECT_EQ(r, c.expected);
        }
    }
}
