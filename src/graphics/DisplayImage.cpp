#include "graphics/DisplayImage.h"

#include "graphics/BlitRoutines.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace zest
{

namespace
{

// Bounding pixels of a line with end points (x1, y1), (x2, y2), widened by pad pixels.
Rect LineBounds(double x1, double y1, double x2, double y2, int pad)
{
    if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2))
        return Rect();
    auto lo = [](double a, double b) { return static_cast<int>(std::clamp(std::floor(std::min(a, b)), -1e9, 1e9)); };
    auto hi = [](double a, double b) { return static_cast<int>(std::clamp(std::floor(std::max(a, b)), -1e9, 1e9)); };
    int left = lo(x1, x2) - pad, top = lo(y1, y2) - pad;
    return Rect(left, top, hi(x1, x2) + pad + 1 - left, hi(y1, y2) + pad + 1 - top);
}

} // namespace

DisplayImage::DisplayImage(int w, int h, LiveImageSet* set) : MemoryImage(set)
{
    MemoryImage::Create(w, h);
    if (uint32_t* p = GetBits())
        std::fill_n(p, static_cast<size_t>(w) * static_cast<size_t>(h), 0xFF000000u);
    SetImageMode(false, false);
    dirtyRect = Rect(0, 0, width, height);
}

void DisplayImage::AddDirty(const Rect& rect)
{
    // Only the main thread draws, so what drawing changed needs no lock (a mutex per blit showed
    // in the profile of sprite blits). The cursor thread's changes go to dirtyRect.
    Rect r = rect.Intersection(Rect(0, 0, width, height));
    if (!r.IsEmpty())
        drawnRect = drawnRect.Union(r);
}

void DisplayImage::MarkDirty(const Rect& rect)
{
    Rect r = rect.Intersection(Rect(0, 0, width, height));
    if (r.IsEmpty())
        return;
    std::lock_guard<std::mutex> guard(cursorLock);
    dirtyRect = dirtyRect.Union(r);
}

void DisplayImage::MarkAllDirty()
{
    MarkDirty(Rect(0, 0, width, height));
}

Rect DisplayImage::TakeDirtyRect()
{
    std::lock_guard<std::mutex> guard(cursorLock);
    Rect r = dirtyRect.Union(drawnRect);
    dirtyRect = Rect();
    drawnRect = Rect();
    return r;
}

Rect DisplayImage::GetDirtyRect() const
{
    std::lock_guard<std::mutex> guard(cursorLock);
    return dirtyRect.Union(drawnRect);
}

void DisplayImage::FillRect(const Rect& rect, const Color& color, int drawMode)
{
    MemoryImage::FillRect(rect, color, drawMode);
    AddDirty(rect);
}

void DisplayImage::ClearRect(const Rect& rect)
{
    Rect r = rect.Intersection(Rect(0, 0, width, height));
    if (r.IsEmpty())
        return;
    if (uint32_t* p = GetBits())
    {
        for (int y = r.y; y < r.y + r.height; y++)
            std::fill_n(p + static_cast<size_t>(y) * static_cast<size_t>(width) + r.x, r.width, 0xFF000000u);
    }
    BitsChanged();
    AddDirty(r);
}

void DisplayImage::Clear()
{
    ClearRect(Rect(0, 0, width, height));
}

void DisplayImage::DrawLine(double x1, double y1, double x2, double y2, const Color& color, int drawMode)
{
    MemoryImage::DrawLine(x1, y1, x2, y2, color, drawMode);
    AddDirty(LineBounds(x1, y1, x2, y2, 0));
}

void DisplayImage::DrawLineSmooth(double x1, double y1, double x2, double y2, const Color& color, int drawMode)
{
    MemoryImage::DrawLineSmooth(x1, y1, x2, y2, color, drawMode);
    AddDirty(LineBounds(x1, y1, x2, y2, 2));
}

void DisplayImage::FillSpans(const Span* spans, int count, const Color& color, int drawMode)
{
    MemoryImage::FillSpans(spans, count, color, drawMode);
    for (int i = 0; i < count; i++)
        AddDirty(Rect(spans[i].x, spans[i].y, spans[i].width, 1));
}

void DisplayImage::FillSpansCoverage(const Span* spans, int count, const Color& color, int drawMode,
                                     const uint8_t* coverage, int coverX, int coverY, int coverWidth, int coverHeight)
{
    MemoryImage::FillSpansCoverage(spans, count, color, drawMode, coverage, coverX, coverY, coverWidth,
                                   coverHeight);
    AddDirty(Rect(coverX, coverY, coverWidth, coverHeight));
}

void DisplayImage::Blit(Image* source, int x, int y, const Rect& srcRect, const Color& color, int drawMode)
{
    MemoryImage::Blit(source, x, y, srcRect, color, drawMode);
    AddDirty(Rect(x, y, srcRect.width, srcRect.height));
}

void DisplayImage::BlitFloat(Image* source, float x, float y, const Rect& srcRect, const Rect& clip,
                             const Color& color, int drawMode)
{
    MemoryImage::BlitFloat(source, x, y, srcRect, clip, color, drawMode);
    if (std::isfinite(x) && std::isfinite(y) && std::fabs(x) < 1e9f && std::fabs(y) < 1e9f)
        AddDirty(Rect(static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y)), srcRect.width + 1,
                      srcRect.height + 1)
                     .Intersection(clip));
}

void DisplayImage::BlitRotated(Image* source, float x, float y, const Rect& srcRect, const Rect& clip,
                               const Color& color, int drawMode, double angle, float centerX, float centerY)
{
    MemoryImage::BlitRotated(source, x, y, srcRect, clip, color, drawMode, angle, centerX, centerY);
    AddDirty(clip);
}

void DisplayImage::StretchBlit(Image* source, const Rect& destRect, const Rect& srcRect, const Rect& clip,
                               const Color& color, int drawMode, bool fastStretch)
{
    MemoryImage::StretchBlit(source, destRect, srcRect, clip, color, drawMode, fastStretch);
    AddDirty(destRect.Intersection(clip));
}

void DisplayImage::BlitTransformed(Image* source, float x, float y, const Matrix3& matrix, const Rect& clip,
                                   const Color& color, int drawMode, const Rect& srcRect, bool blend)
{
    MemoryImage::BlitTransformed(source, x, y, matrix, clip, color, drawMode, srcRect, blend);
    AddDirty(clip);
}

void DisplayImage::BlitTriangles(Image* texture, const TriVertex (*vertices)[3], int count, const Rect& clip,
                                 const Color& color, int drawMode, float tx, float ty, bool blend)
{
    MemoryImage::BlitTriangles(texture, vertices, count, clip, color, drawMode, tx, ty, blend);
    AddDirty(clip);
}

void DisplayImage::BlitMirror(Image* source, int x, int y, const Rect& srcRect, const Color& color, int drawMode)
{
    MemoryImage::BlitMirror(source, x, y, srcRect, color, drawMode);
    AddDirty(Rect(x, y, srcRect.width, srcRect.height));
}

void DisplayImage::StretchBlitMirror(Image* source, const Rect& destRect, const Rect& srcRect, const Rect& clip,
                                     const Color& color, int drawMode, bool fastStretch)
{
    MemoryImage::StretchBlitMirror(source, destRect, srcRect, clip, color, drawMode, fastStretch);
    AddDirty(destRect.Intersection(clip));
}

void DisplayImage::SetBits(const uint32_t* pixels, int w, int h, bool commit)
{
    MemoryImage::SetBits(pixels, w, h, commit);
    MarkAllDirty();
}

void DisplayImage::Create(int w, int h)
{
    MemoryImage::Create(w, h);
    if (uint32_t* p = GetBits())
        std::fill_n(p, static_cast<size_t>(w) * static_cast<size_t>(h), 0xFF000000u);
    SetImageMode(false, false);
    MarkAllDirty();
}

Rect DisplayImage::CursorRectLocked() const
{
    if (cursorImage == nullptr)
        return Rect();
    return Rect(cursorX - cursorHotX, cursorY - cursorHotY, cursorImage->GetWidth(), cursorImage->GetHeight());
}

void DisplayImage::SetCursorImage(MemoryImage* image, int hotX, int hotY)
{
    std::lock_guard<std::mutex> guard(cursorLock);
    Rect screen(0, 0, width, height);
    dirtyRect = dirtyRect.Union(CursorRectLocked().Intersection(screen));
    cursorImage = image;
    cursorHotX = hotX;
    cursorHotY = hotY;
    dirtyRect = dirtyRect.Union(CursorRectLocked().Intersection(screen));
}

void DisplayImage::SetCursorPos(int x, int y)
{
    std::lock_guard<std::mutex> guard(cursorLock);
    if (x == cursorX && y == cursorY)
        return;
    Rect screen(0, 0, width, height);
    dirtyRect = dirtyRect.Union(CursorRectLocked().Intersection(screen));
    cursorX = x;
    cursorY = y;
    dirtyRect = dirtyRect.Union(CursorRectLocked().Intersection(screen));
}

Point DisplayImage::GetCursorPos() const
{
    std::lock_guard<std::mutex> guard(cursorLock);
    return Point(cursorX, cursorY);
}

Rect DisplayImage::GetCursorRect() const
{
    std::lock_guard<std::mutex> guard(cursorLock);
    return CursorRectLocked();
}

void DisplayImage::ComposeTo(uint32_t* pixels, int pitch, const Rect& area)
{
    Rect r = area.Intersection(Rect(0, 0, width, height));
    const uint32_t* screen = GetBits();
    if (pixels == nullptr || r.IsEmpty() || screen == nullptr)
        return;
    // Rows of the output relative to area's top-left (the caller's buffer starts there).
    auto outRow = [&](int y) {
        return reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(pixels) +
                                           static_cast<ptrdiff_t>(y - area.y) * pitch) +
               (r.x - area.x);
    };
    for (int y = r.y; y < r.y + r.height; y++)
        std::memcpy(outRow(y), screen + static_cast<size_t>(y) * static_cast<size_t>(width) + r.x,
                    static_cast<size_t>(r.width) * sizeof(uint32_t));

    std::lock_guard<std::mutex> guard(cursorLock);
    Rect cursorRect = CursorRectLocked();
    Rect c = cursorRect.Intersection(r);
    blit::SourcePixels src;
    if (c.IsEmpty() || !cursorImage->GetSourceView(src))
        return;
    for (int y = c.y; y < c.y + c.height; y++)
    {
        uint32_t* out = outRow(y) + (c.x - r.x);
        for (int x = c.x; x < c.x + c.width; x++, out++)
            *out = blit::BlendNormalRef(*out, src.At(x - cursorRect.x, y - cursorRect.y), blit::WhiteColor);
    }
}

} // namespace zest
