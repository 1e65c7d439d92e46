#include "graphics/Image.h"

namespace zest
{

Image::Image(const Image& other)
    : drawn(other.drawn), filePath(other.filePath), rows(other.rows), columns(other.columns),
      animInfo(other.animInfo ? std::make_unique<AnimInfo>(*other.animInfo) : nullptr), width(other.width),
      height(other.height)
{
}

Image::~Image() = default;

Rect Image::GetCelRect(int cel) const
{
    if (cel < 0 || columns <= 0)
        return Rect();
    return GetCelRect(cel % columns, cel / columns);
}

Rect Image::GetCelRect(int column, int row) const
{
    if (column < 0 || row < 0 || column >= columns || row >= rows)
        return Rect();
    int celWidth = GetCelWidth();
    int celHeight = GetCelHeight();
    return Rect(column * celWidth, row * celHeight, celWidth, celHeight);
}

int Image::GetAnimCel(int time) const
{
    return animInfo ? animInfo->GetCel(time) : 0;
}

bool Image::PolyFill(const Point*, int, const Rect&, const Color&, int, int, int, bool)
{
    return false;
}

void Image::FillRect(const Rect&, const Color&, int)
{
}

void Image::DrawRect(const Rect& rect, const Color& color, int drawMode)
{
    const int x = rect.x, y = rect.y, w = rect.width, h = rect.height;
    FillRect(Rect(x, y, w + 1, 1), color, drawMode);
    FillRect(Rect(x, y + h, w + 1, 1), color, drawMode);
    FillRect(Rect(x, y + 1, 1, h - 1), color, drawMode);
    FillRect(Rect(x + w, y + 1, 1, h - 1), color, drawMode);
}

void Image::ClearRect(const Rect&)
{
}

void Image::DrawLine(double, double, double, double, const Color&, int)
{
}

void Image::DrawLineSmooth(double, double, double, double, const Color&, int)
{
}

void Image::FillSpans(const Span* spans, int count, const Color& color, int drawMode)
{
    for (int i = 0; i < count; i++)
        FillRect(Rect(spans[i].x, spans[i].y, spans[i].width, 1), color, drawMode);
}

void Image::FillSpansCoverage(const Span*, int, const Color&, int, const uint8_t*, int, int, int, int)
{
}

void Image::Blit(Image*, int, int, const Rect&, const Color&, int)
{
}

void Image::BlitFloat(Image*, float, float, const Rect&, const Rect&, const Color&, int)
{
}

void Image::BlitRotated(Image*, float, float, const Rect&, const Rect&, const Color&, int, double, float, float)
{
}

void Image::StretchBlit(Image*, const Rect&, const Rect&, const Rect&, const Color&, int, bool)
{
}

void Image::BlitTransformed(Image*, float, float, const Matrix3&, const Rect&, const Color&, int, const Rect&, bool)
{
}

void Image::BlitTriangles(Image*, const TriVertex (*)[3], int, const Rect&, const Color&, int, float, float, bool)
{
}

void Image::BlitMirror(Image*, int, int, const Rect&, const Color&, int)
{
}

void Image::StretchBlitMirror(Image*, const Rect&, const Rect&, const Rect&, const Color&, int, bool)
{
}

} // namespace zest
