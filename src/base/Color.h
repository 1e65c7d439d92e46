// Small value types shared by the whole code base: colour, point and rectangle.
// Plain values, freely copied; any thread.
#pragma once

#include <algorithm>
#include <cstdint>

namespace zest
{

// Red, green, blue and alpha as integers 0..255; default opaque black.
struct Color
{
    int red = 0;
    int green = 0;
    int blue = 0;
    int alpha = 255;

    constexpr Color() = default;
    constexpr Color(int r, int g, int b) : red(r), green(g), blue(b), alpha(255) {}
    constexpr Color(int r, int g, int b, int a) : red(r), green(g), blue(b), alpha(a) {}

    // From packed 0xAARRGGBB.
    static constexpr Color FromARGB(uint32_t argb)
    {
        return Color(static_cast<int>((argb >> 16) & 0xFF), static_cast<int>((argb >> 8) & 0xFF),
                     static_cast<int>(argb & 0xFF), static_cast<int>(argb >> 24));
    }
    // Packed 0xAARRGGBB; components are clamped to 0..255.
    constexpr uint32_t ToARGB() const
    {
        auto c = [](int v) { return static_cast<uint32_t>(std::clamp(v, 0, 255)); };
        return (c(alpha) << 24) | (c(red) << 16) | (c(green) << 8) | c(blue);
    }
    // Packed 0xRRGGBB, alpha left out.
    constexpr uint32_t ToRGB() const { return ToARGB() & 0x00FFFFFF; }

    constexpr bool operator==(const Color&) const = default;

    static const Color Black;
    static const Color White;
};

inline constexpr Color Color::Black{0, 0, 0, 255};
inline constexpr Color Color::White{255, 255, 255, 255};

struct Point
{
    int x = 0;
    int y = 0;

    constexpr Point() = default;
    constexpr Point(int px, int py) : x(px), y(py) {}
    constexpr bool operator==(const Point&) const = default;
};

// x, y, width, height in integer pixels. An empty rectangle has width or height <= 0.
struct Rect
{
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    constexpr Rect() = default;
    constexpr Rect(int rx, int ry, int w, int h) : x(rx), y(ry), width(w), height(h) {}

    constexpr bool IsEmpty() const { return width <= 0 || height <= 0; }
    constexpr bool Contains(int px, int py) const
    {
        return px >= x && py >= y && px < x + width && py < y + height;
    }
    constexpr bool Contains(const Point& p) const { return Contains(p.x, p.y); }
    constexpr bool Intersects(const Rect& other) const { return !Intersection(other).IsEmpty(); }

    // The common part; width or height <= 0 when they do not overlap.
    constexpr Rect Intersection(const Rect& other) const
    {
        int left = std::max(x, other.x);
        int top = std::max(y, other.y);
        int right = std::min(x + width, other.x + other.width);
        int bottom = std::min(y + height, other.y + other.height);
        return Rect(left, top, right - left, bottom - top);
    }
    // The smallest rectangle holding both; an empty side is ignored.
    constexpr Rect Union(const Rect& other) const
    {
        if (IsEmpty())
            return other;
        if (other.IsEmpty())
            return *this;
        int left = std::min(x, other.x);
        int top = std::min(y, other.y);
        int right = std::max(x + width, other.x + other.width);
        int bottom = std::max(y + height, other.y + other.height);
        return Rect(left, top, right - left, bottom - top);
    }

    constexpr bool operator==(const Rect&) const = default;
};

} // namespace zest
