// The abstract picture every drawing call works on: size, the cel grid of a sprite sheet, animation
// timing, and the drawing operations a Graphics context hands down (already translated; integer
// blits already clipped). Owned by whoever made it (usually the resource manager); main thread.
#pragma once

#include "graphics/AnimInfo.h"
#include "base/Color.h"

#include <cstdint>
#include <memory>
#include <string>

namespace zest
{

class MemoryImage;

// Draw modes: 0 normal (alpha blending), 1 additive.
inline constexpr int DrawModeNormal = 0;
inline constexpr int DrawModeAdditive = 1;

// One horizontal run of pixels for FillSpans: row y, from x, width pixels.
struct Span
{
    int y = 0;
    int x = 0;
    int width = 0;
};

// Row-major 3 x 3 matrix mapping source (x, y, 1) to destination coordinates.
struct Matrix3
{
    double m[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
};

// A textured-triangle vertex: destination position, texture coordinates (0..1 across the whole
// texture) and a packed 0xAARRGGBB colour multiplied into the texture.
struct TriVertex
{
    float x = 0;
    float y = 0;
    float u = 0;
    float v = 0;
    uint32_t color = 0xFFFFFFFF;
};

class Image
{
public:
    Image() = default;
    Image(const Image& other);
    Image& operator=(const Image&) = delete;
    virtual ~Image();

    int GetWidth() const { return width; }
    int GetHeight() const { return height; }
    // Cel size: the image divided into columns x rows equal cels.
    int GetCelWidth() const { return columns > 0 ? width / columns : width; }
    int GetCelHeight() const { return rows > 0 ? height / rows : height; }
    int GetCelCount() const { return rows * columns; }
    // Source rectangle of a cel; empty when the cel lies outside the grid.
    Rect GetCelRect(int cel) const;
    Rect GetCelRect(int column, int row) const;
    // The cel showing at time ms of the animation (0 without animation info).
    int GetAnimCel(int time) const;
    // This image as a MemoryImage, or none. Set by MemoryImage's constructors, so a blit finds its
    // source's pixels without a dynamic_cast (bench_blit: a cast and a lock per blit were 60 ns
    // between a 64 x 64 sprite blit and its 600 ns kernel; without them, 25 ns).
    MemoryImage* GetMemoryImage() const { return memoryImage; }

    // The operations below are called by Graphics. Rectangles and positions are in this image's
    // pixels. The base versions draw nothing unless said otherwise.

    // Filled polygon; false when not supported (the caller then draws it another way).
    virtual bool PolyFill(const Point* points, int count, const Rect& clip, const Color& color, int drawMode, int tx,
                          int ty, bool convex);
    virtual void FillRect(const Rect& rect, const Color& color, int drawMode);
    // Outline covering (w + 1) x (h + 1) pixels. Base: four FillRect calls.
    virtual void DrawRect(const Rect& rect, const Color& color, int drawMode);
    virtual void ClearRect(const Rect& rect);
    virtual void DrawLine(double x1, double y1, double x2, double y2, const Color& color, int drawMode);
    virtual void DrawLineSmooth(double x1, double y1, double x2, double y2, const Color& color, int drawMode);
    // Base: one FillRect(x, y, width, 1) per span.
    virtual void FillSpans(const Span* spans, int count, const Color& color, int drawMode);
    // Spans whose alpha is further scaled by an 8-bit coverage map covering
    // (coverX, coverY, coverWidth, coverHeight) in this image.
    virtual void FillSpansCoverage(const Span* spans, int count, const Color& color, int drawMode,
                                   const uint8_t* coverage, int coverX, int coverY, int coverWidth, int coverHeight);
    // srcRect is already clipped so the whole of it lands inside this image at (x, y).
    virtual void Blit(Image* source, int x, int y, const Rect& srcRect, const Color& color, int drawMode);
    // The float, rotated, stretched and transformed forms clip themselves against clip.
    virtual void BlitFloat(Image* source, float x, float y, const Rect& srcRect, const Rect& clip, const Color& color,
                           int drawMode);
    // srcRect placed with its top-left at (x, y) and turned by angle (radians, counter-clockwise)
    // about its point (centerX, centerY), which stays at (x + centerX, y + centerY).
    virtual void BlitRotated(Image* source, float x, float y, const Rect& srcRect, const Rect& clip,
                             const Color& color, int drawMode, double angle, float centerX, float centerY);
    virtual void StretchBlit(Image* source, const Rect& destRect, const Rect& srcRect, const Rect& clip,
                             const Color& color, int drawMode, bool fastStretch);
    // matrix maps srcRect coordinates relative to its centre onto the destination, then (x, y) is added.
    virtual void BlitTransformed(Image* source, float x, float y, const Matrix3& matrix, const Rect& clip,
                                 const Color& color, int drawMode, const Rect& srcRect, bool blend);
    // count triangles of three vertices each, offset by (tx, ty).
    virtual void BlitTriangles(Image* texture, const TriVertex (*vertices)[3], int count, const Rect& clip,
                               const Color& color, int drawMode, float tx, float ty, bool blend);
    // Horizontally mirrored forms; only the display image draws them.
    virtual void BlitMirror(Image* source, int x, int y, const Rect& srcRect, const Color& color, int drawMode);
    virtual void StretchBlitMirror(Image* source, const Rect& destRect, const Rect& srcRect, const Rect& clip,
                                   const Color& color, int drawMode, bool fastStretch);

    bool drawn = false; // set once the image has been a blit source
    std::string filePath;
    int rows = 1;
    int columns = 1;
    std::unique_ptr<AnimInfo> animInfo;

protected:
    int width = 0;
    int height = 0;

private:
    friend class MemoryImage;
    MemoryImage* memoryImage = nullptr; // never copied: a copy sets its own
};

} // namespace zest
