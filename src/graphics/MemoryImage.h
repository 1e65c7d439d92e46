// An image held in memory as 32-bit 0xAARRGGBB pixels (non-premultiplied), or in a 256-colour
// palettised form, with the software versions of every drawing operation. Owned by its creator;
// registers itself in the application's LiveImageSet when given one. One thread at a time
// (the main thread, or the loading thread while it builds the image).
#pragma once

#include "graphics/Image.h"

#include <cstdint>
#include <memory>
#include <new>

namespace zest
{

class LiveImageSet;
namespace blit
{
struct SourcePixels;
struct DestPixels;
struct RowSpan;
} // namespace blit

class MemoryImage : public Image
{
public:
    // Written after the last pixel of every bits buffer; a changed value means something wrote
    // past the end.
    static constexpr uint32_t GuardWord = 0x4BEEFADE;

    // liveSet: the application's set of live images, or none (the image is then not registered).
    explicit MemoryImage(LiveImageSet* liveSet = nullptr);
    // Copies size, grid, animation info, flags and a private copy of the pixel data; joins the same set.
    MemoryImage(const MemoryImage& other);
    MemoryImage& operator=(const MemoryImage&) = delete;
    ~MemoryImage() override;

    void FillRect(const Rect& rect, const Color& color, int drawMode) override;
    void ClearRect(const Rect& rect) override;
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

    // Premultiplied 0xAARRGGBB pixels (the display's format), built on demand; dropped by BitsChanged.
    virtual const uint32_t* GetNativeAlphaData();
    // One byte per pixel: the remaining length (capped at 255) of the run of pixels of the same class
    // (alpha 0 / alpha 255 / other) within the row. Built on demand; dropped by BitsChanged.
    virtual const uint8_t* GetRunLengthAlpha();
    // The same for additive drawing; the classes are: adds nothing (alpha 0 or black) / opaque / other.
    virtual const uint8_t* GetRunLengthAdditive();
    // Where each row's visible pixels and longest opaque run lie, per row and cel column (see
    // blit::BuildRowSpans; GetRowSpanColumns entries a row), built with the alpha run-length table;
    // null for an empty image.
    const blit::RowSpan* GetRowSpans();
    int GetRowSpanColumns() const { return rowSpanColumns; }
    // Allows the 32-bit bits to be freed once display data holds the picture.
    virtual void PurgeBits();
    // Makes sure the bits exist, then frees the derived caches.
    virtual void DropSoftwareBuffers();
    // Frees display-side data of this image (none is kept by the software display).
    virtual void Drop3DBuffers();
    virtual void DropExtraBuffers();
    // Palettises again when it was palettised, purges again when purging was asked for.
    virtual void Reinitialize();
    // Every pixel change ends here: drops the derived caches and marks the flags stale.
    virtual void BitsChanged();
    // Recomputes hasTransparency / hasAlpha when the bits changed (not in forced mode).
    virtual void CommitBits();
    // Makes sure the bits exist, then frees the run-length caches.
    virtual void DropNativeData();
    // All pixels 0.
    virtual void Clear();
    // Copies width x height pixels in; commit: CommitBits afterwards.
    virtual void SetBits(const uint32_t* pixels, int width, int height, bool commit = true);
    // Frees the pixels and sets the new size; the bits are made lazily, zeroed.
    virtual void Create(int width, int height);
    // The width x height pixels (row-major, top row first), made on demand; null for an empty image.
    virtual uint32_t* GetBits();
    // Forces the transparency flags (they are then never recomputed).
    virtual void SetImageMode(bool hasTransparency, bool hasAlpha);
    virtual void SetVolatile(bool isVolatile);
    // Turns the bits into 8-bit indices and a 256-colour table; false (bits kept) when the image
    // has more than 256 distinct colours.
    [[nodiscard]] virtual bool ConvertToPalette();

    // Read-only views that never build anything.
    bool HasBits() const { return bits != nullptr; }
    bool IsPalettized() const { return colorIndices != nullptr; }
    const uint32_t* GetColorTable() const { return colorTable.get(); }
    const uint8_t* GetColorIndices() const { return colorIndices.get(); }
    // True when the guard word after the last pixel is intact (or there are no bits).
    bool CheckGuard() const;
    LiveImageSet* GetLiveImageSet() const { return liveSet; }
    // Pixel at (x, y) through whichever form holds the picture; 0 outside.
    uint32_t GetPixel(int x, int y) const;
    // The picture as a blit source for the drawing code, without converting a palettised image;
    // false when the image is empty.
    bool GetSourceView(blit::SourcePixels& view);

    int bitsChangedCount = 0;
    bool forcedMode = false;
    bool hasTransparency = false;
    bool hasAlpha = false;
    bool isVolatile = false;
    bool purgeBits = false;
    bool wantPalette = false;
    bool bitsChanged = false;

protected:
    // True when every pixel of this image is known to be opaque: the flags say so and are current.
    bool IsKnownOpaque() const { return !hasTransparency && !hasAlpha && (forcedMode || !bitsChanged); }
    // The pixels as 32-bit values for reading, building them from another form if needed.
    const uint32_t* ReadBits() { return GetBits(); }
    void FreeBits();
    void FreeDerived();
    // The bits as blit destination (made if needed); false when empty.
    bool GetDestView(blit::DestPixels& view);
    // A 1:1 blit of source at (x, y), clipped to both images and to clip; mirror reverses the columns.
    void ClippedBlit(MemoryImage* source, int x, int y, Rect srcRect, const Rect& clip, const Color& color,
                     int drawMode, bool mirror);
    // A nearest stretch of srcRect onto destRect within clip; samples outside the source are not drawn.
    void ClippedStretch(MemoryImage* source, const Rect& destRect, const Rect& srcRect, const Rect& clip,
                        const Color& color, int drawMode, bool mirror);
    // dest = [a b; c d] * src + (tx, ty), drawn within clip.
    void AffineBlit(MemoryImage* source, const Rect& srcRect, double a, double b, double c, double d, double tx,
                    double ty, const Rect& clip, const Color& color, int drawMode);

    std::unique_ptr<uint32_t[]> bits; // width * height + 1 (guard word)
    std::unique_ptr<uint32_t[]> colorTable;
    std::unique_ptr<uint8_t[]> colorIndices;
    std::unique_ptr<uint32_t[]> nativeAlphaData;
    std::unique_ptr<uint8_t[]> runLengthAlpha;
    std::unique_ptr<blit::RowSpan[]> rowSpans; // built with runLengthAlpha
    int rowSpanColumns = 1;
    std::unique_ptr<uint8_t[]> runLengthAdditive;
    // Frees a cache-line aligned pixel array.
    struct AlignedDelete
    {
        void operator()(uint32_t* p) const { ::operator delete[](p, std::align_val_t(64)); }
    };
    // Additive source terms, built with runLengthAdditive. Cache-line aligned: the additive rows
    // read them eight at a time, and where the heap placed them half-way in a line every other load
    // straddled two lines (bench_blit's additive row: 0.74 -> 0.80 of pixman ADD).
    std::unique_ptr<uint32_t[], AlignedDelete> additivePrescaled;

private:
    LiveImageSet* liveSet = nullptr;
};

// image as a MemoryImage; none for none or another kind of image.
inline MemoryImage* AsMemoryImage(Image* image)
{
    return image ? image->GetMemoryImage() : nullptr;
}

} // namespace zest
