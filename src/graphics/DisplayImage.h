// The screen: a 640 x 480 (or any size) opaque MemoryImage that the display interface presents.
// Adds the mirrored blits, a dirty rectangle of what changed since the last present and the
// software cursor. Owned by the display interface; drawn on the main thread; the cursor position
// may be set from the cursor thread.
#pragma once

#include "graphics/MemoryImage.h"

#include <mutex>

namespace zest
{

class DisplayImage : public MemoryImage
{
public:
    // Opaque black, forced opaque (it never holds transparency), whole area dirty.
    DisplayImage(int width, int height, LiveImageSet* liveSet = nullptr);

    // Every drawing operation also grows the dirty rectangle.
    void FillRect(const Rect& rect, const Color& color, int drawMode) override;
    // The screen has no transparency: clearing paints opaque black.
    void ClearRect(const Rect& rect) override;
    void Clear() override;
    void DrawLine(double x1, double y1, double x2, double y2, const Color& color, int drawMode) override;
    void DrawLineSmooth(double x1, double y1, double x2, double y2, const Color& color, int drawMode) override;
    void FillSpans(const Span* spans, int count, const Color& color, int drawMode) override;
    void FillSpansCoverage(const Span* spans, int count, const Color& color, int drawMode, const uint8_t* coverage,
                           int coverX, int coverY, int coverWidth, int coverHeight) override;
    void Blit(Image* source, int x, int y, const Rect& srcRect, const Color& color, int drawMode) override;
    void BlitFloat(Image* source, float x, float y, const Rect& srcRect, const Rect& clip, const Color& color,
                   int drawMode) override;
    void BlitRotated(Image* source, float x, float y, const Rect& srcRect, const Rect& clip, const Color& color,
                     int drawMode, double angle, float centerX, float centerY) override;
    void StretchBlit(Image* source, const Rect& destRect, const Rect& srcRect, const Rect& clip, const Color& color,
                     int drawMode, bool fastStretch) override;
    void BlitTransformed(Image* source, float x, float y, const Matrix3& matrix, const Rect& clip, const Color& color,
                         int drawMode, const Rect& srcRect, bool blend) override;
    void BlitTriangles(Image* texture, const TriVertex (*vertices)[3], int count, const Rect& clip,
                       const Color& color, int drawMode, float tx, float ty, bool blend) override;
    // Mirrored horizontally: the leftmost source column lands on the rightmost destination column.
    void BlitMirror(Image* source, int x, int y, const Rect& srcRect, const Color& color, int drawMode) override;
    void StretchBlitMirror(Image* source, const Rect& destRect, const Rect& srcRect, const Rect& clip,
                           const Color& color, int drawMode, bool fastStretch) override;
    void SetBits(const uint32_t* pixels, int width, int height, bool commit = true) override;
    void Create(int width, int height) override;

    // What changed since the last TakeDirtyRect (drawing and cursor moves), then forgets it.
    // Main thread (it reads what drawing changed).
    Rect TakeDirtyRect();
    Rect GetDirtyRect() const;
    // Any thread.
    void MarkDirty(const Rect& rect);
    void MarkAllDirty();

    // Software cursor: drawn over the picture by ComposeTo, never into the bits. image is not
    // owned (none = no software cursor); (hotX, hotY) is the point of the image at the cursor position.
    void SetCursorImage(MemoryImage* image, int hotX, int hotY);
    // Any thread.
    void SetCursorPos(int x, int y);
    Point GetCursorPos() const;
    // Where the cursor is drawn; empty without a cursor image.
    Rect GetCursorRect() const;

    // Copies area of the picture into a 0xAARRGGBB buffer (pitch in bytes, its first pixel is the
    // area's top-left) and draws the software cursor over it. area is clipped to the image.
    void ComposeTo(uint32_t* pixels, int pitch, const Rect& area);

    bool is3D = false; // the display draws through a 3-D renderer

private:
    // Grows drawnRect: drawing only, main thread only.
    void AddDirty(const Rect& rect);
    Rect CursorRectLocked() const;

    mutable std::mutex cursorLock; // guards dirtyRect and the cursor fields
    Rect dirtyRect;                // changed by cursor moves and MarkDirty
    Rect drawnRect;                // changed by drawing, main thread only
    MemoryImage* cursorImage = nullptr;
    int cursorHotX = 0;
    int cursorHotY = 0;
    int cursorX = 0;
    int cursorY = 0;
};

} // namespace zest
