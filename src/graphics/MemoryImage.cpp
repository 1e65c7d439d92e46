#include "graphics/MemoryImage.h"

#include "graphics/BlitRoutines.h"
#include "graphics/LiveImageSet.h"
#include "platform/ZestAssert.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>

namespace zest
{

namespace
{

// Images larger than this are refused: 32768 x 32768 pixels (4 GiB) is far beyond anything the
// framework draws, and the limit keeps width * height + 1 inside size_t arithmetic everywhere.
constexpr int64_t MaxPixels = int64_t(1) << 30;

size_t PixelCount(int width, int height)
{
    return static_cast<size_t>(width) * static_cast<size_t>(height);
}

Rect Bounds(const Image& image)
{
    return Rect(0, 0, image.GetWidth(), image.GetHeight());
}

} // namespace

MemoryImage::MemoryImage(LiveImageSet* set) : liveSet(set)
{
    memoryImage = this;
    if (liveSet)
        liveSet->Add(this);
}

MemoryImage::MemoryImage(const MemoryImage& other)
    : Image(other), bitsChangedCount(other.bitsChangedCount), forcedMode(other.forcedMode),
      hasTransparency(other.hasTransparency), hasAlpha(other.hasAlpha), isVolatile(other.isVolatile),
      purgeBits(other.purgeBits), wantPalette(other.wantPalette), bitsChanged(other.bitsChanged),
      liveSet(other.liveSet)
{
    memoryImage = this;
    const size_t count = PixelCount(width, height);
    if (other.bits)
    {
        bits = std::make_unique<uint32_t[]>(count + 1);
        std::memcpy(bits.get(), other.bits.get(), (count + 1) * sizeof(uint32_t));
        bits[count] = GuardWord;
    }
    if (other.colorIndices)
    {
        colorTable = std::make_unique<uint32_t[]>(256);
        std::memcpy(colorTable.get(), other.colorTable.get(), 256 * sizeof(uint32_t));
        colorIndices = std::make_unique<uint8_t[]>(count);
        std::memcpy(colorIndices.get(), other.colorIndices.get(), count);
    }
    if (liveSet)
        liveSet->Add(this);
}

MemoryImage::~MemoryImage()
{
    if (liveSet)
        liveSet->Remove(this);
}

void MemoryImage::FreeBits()
{
    bits.reset();
    colorTable.reset();
    colorIndices.reset();
}

void MemoryImage::FreeDerived()
{
    nativeAlphaData.reset();
    runLengthAlpha.reset();
    rowSpans.reset();
    runLengthAdditive.reset();
    additivePrescaled.reset();
}

bool MemoryImage::CheckGuard() const
{
    return !bits || bits[PixelCount(width, height)] == GuardWord;
}

uint32_t MemoryImage::GetPixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width || y >= height)
        return 0;
    size_t i = static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x);
    if (bits)
        return bits[i];
    if (colorIndices)
        return colorTable[colorIndices[i]];
    return 0;
}

uint32_t* MemoryImage::GetBits()
{
    if (bits)
        return bits.get();
    if (width <= 0 || height <= 0)
        return nullptr;
    const size_t count = PixelCount(width, height);
    bits = std::make_unique<uint32_t[]>(count + 1); // zeroed
    bits[count] = GuardWord;
    if (colorIndices)
    {
        for (size_t i = 0; i < count; i++)
            bits[i] = colorTable[colorIndices[i]];
        colorTable.reset();
        colorIndices.reset();
        nativeAlphaData.reset();
    }
    return bits.get();
}

void MemoryImage::SetBits(const uint32_t* pixels, int newWidth, int newHeight, bool commit)
{
    if (pixels != nullptr && pixels == bits.get())
        return;
    ZEST_ASSERT_OR_RETURN(newWidth >= 0 && newHeight >= 0 && int64_t(newWidth) * newHeight <= MaxPixels);
    ZEST_ASSERT_OR_RETURN(pixels != nullptr || newWidth == 0 || newHeight == 0);
    colorTable.reset();
    colorIndices.reset();
    const size_t count = PixelCount(newWidth, newHeight);
    if (!bits || newWidth != width || newHeight != height)
        bits = std::make_unique<uint32_t[]>(count + 1);
    width = newWidth;
    height = newHeight;
    if (count > 0)
        std::memcpy(bits.get(), pixels, count * sizeof(uint32_t));
    bits[count] = GuardWord;
    BitsChanged();
    if (commit)
        CommitBits();
}

void MemoryImage::Create(int newWidth, int newHeight)
{
    ZEST_ASSERT_OR_RETURN(newWidth >= 0 && newHeight >= 0 && int64_t(newWidth) * newHeight <= MaxPixels);
    FreeBits();
    width = newWidth;
    height = newHeight;
    hasTransparency = true;
    hasAlpha = true;
    BitsChanged();
}

void MemoryImage::BitsChanged()
{
    bitsChangedCount++;
    bitsChanged = true;
    FreeDerived();
}

void MemoryImage::CommitBits()
{
    if (!bitsChanged || forcedMode)
        return;
    if (bits)
    {
        hasTransparency = false;
        hasAlpha = false;
        const size_t count = PixelCount(width, height);
        for (size_t i = 0; i < count && !(hasTransparency && hasAlpha); i++)
        {
            uint32_t a = bits[i] >> 24;
            if (a == 0)
                hasTransparency = true;
            else if (a != 255)
                hasAlpha = true;
        }
    }
    else if (colorIndices)
    {
        hasTransparency = false;
        hasAlpha = false;
        for (int i = 0; i < 256; i++)
        {
            uint32_t a = colorTable[i] >> 24;
            if (a == 0)
                hasTransparency = true;
            else if (a != 255)
                hasAlpha = true;
        }
    }
    else
    {
        hasTransparency = true;
    }
    bitsChanged = false;
}

bool MemoryImage::ConvertToPalette()
{
    CommitBits();
    if (colorIndices)
        return true;
    if (width <= 0 || height <= 0)
    {
        wantPalette = false;
        return false;
    }
    const uint32_t* pixels = GetBits();
    const size_t count = PixelCount(width, height);
    auto table = std::make_unique<uint32_t[]>(256);
    auto indices = std::make_unique<uint8_t[]>(count);
    std::unordered_map<uint32_t, uint8_t> lookup;
    lookup.reserve(512);
    uint32_t last = 0;
    uint8_t lastIndex = 0;
    bool haveLast = false;
    for (size_t i = 0; i < count; i++)
    {
        uint32_t p = pixels[i];
        if (!haveLast || p != last)
        {
            auto it = lookup.find(p);
            if (it == lookup.end())
            {
                if (lookup.size() == 256)
                {
                    wantPalette = false;
                    return false;
                }
                uint8_t index = static_cast<uint8_t>(lookup.size());
                table[index] = p;
                it = lookup.emplace(p, index).first;
            }
            last = p;
            lastIndex = it->second;
            haveLast = true;
        }
        indices[i] = lastIndex;
    }
    colorTable = std::move(table);
    colorIndices = std::move(indices);
    bits.reset();
    nativeAlphaData.reset();
    wantPalette = true;
    return true;
}

bool MemoryImage::GetSourceView(blit::SourcePixels& view)
{
    if (width <= 0 || height <= 0)
        return false;
    view.width = width;
    view.height = height;
    view.bits = nullptr;
    view.indices = nullptr;
    view.table = nullptr;
    if (!bits && colorIndices)
    {
        view.indices = colorIndices.get();
        view.table = colorTable.get();
    }
    else
    {
        view.bits = GetBits();
    }
    return true;
}

bool MemoryImage::GetDestView(blit::DestPixels& view)
{
    if (width <= 0 || height <= 0)
        return false;
    view.bits = GetBits();
    view.width = width;
    view.height = height;
    return true;
}

const uint32_t* MemoryImage::GetNativeAlphaData()
{
    if (nativeAlphaData)
        return nativeAlphaData.get();
    blit::SourcePixels src;
    if (!GetSourceView(src))
        return nullptr;
    const size_t count = PixelCount(width, height);
    nativeAlphaData = std::make_unique<uint32_t[]>(count);
    for (int y = 0; y < height; y++)
    {
        for (int x = 0; x < width; x++)
        {
            // Premultiplied as c * (a + 1) / 256, the inverse of reading back with 256 / (a + 1).
            uint32_t p = src.At(x, y);
            uint32_t a = p >> 24;
            uint32_t r = (((p >> 16) & 0xFF) * (a + 1)) >> 8;
            uint32_t g = (((p >> 8) & 0xFF) * (a + 1)) >> 8;
            uint32_t b = ((p & 0xFF) * (a + 1)) >> 8;
            nativeAlphaData[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] =
                (a << 24) | (r << 16) | (g << 8) | b;
        }
    }
    return nativeAlphaData.get();
}

const uint8_t* MemoryImage::GetRunLengthAlpha()
{
    CommitBits();
    if (runLengthAlpha)
        return runLengthAlpha.get();
    blit::SourcePixels src;
    if (!GetSourceView(src))
        return nullptr;
    runLengthAlpha = std::make_unique<uint8_t[]>(PixelCount(width, height));
    blit::BuildRunLengthAlpha(src, runLengthAlpha.get());
    // Per cel when the cels divide the rows evenly.
    rowSpanColumns = columns > 0 && width % columns == 0 ? columns : 1;
    rowSpans = std::make_unique<blit::RowSpan[]>(static_cast<size_t>(height) * static_cast<size_t>(rowSpanColumns));
    blit::BuildRowSpans(src, rowSpanColumns, rowSpans.get());
    return runLengthAlpha.get();
}

const blit::RowSpan* MemoryImage::GetRowSpans()
{
    return GetRunLengthAlpha() ? rowSpans.get() : nullptr;
}

const uint8_t* MemoryImage::GetRunLengthAdditive()
{
    CommitBits();
    if (runLengthAdditive)
        return runLengthAdditive.get();
    blit::SourcePixels src;
    if (!GetSourceView(src))
        return nullptr;
    runLengthAdditive = std::make_unique<uint8_t[]>(PixelCount(width, height));
    blit::BuildRunLengthAdditive(src, runLengthAdditive.get());
    additivePrescaled.reset(new (std::align_val_t(64)) uint32_t[PixelCount(width, height)]);
    blit::BuildAdditivePrescaled(src, additivePrescaled.get());
    return runLengthAdditive.get();
}

void MemoryImage::PurgeBits()
{
    // The software display keeps no display-side copy of images, so the 32-bit bits stay: freeing
    // them would leave only the premultiplied cache, which cannot give the exact pixels back.
    purgeBits = true;
}

void MemoryImage::DropSoftwareBuffers()
{
    GetBits();
    FreeDerived();
}

void MemoryImage::Drop3DBuffers()
{
    // The software display holds no per-image display data; nothing to free.
}

void MemoryImage::DropExtraBuffers()
{
    DropSoftwareBuffers();
    Drop3DBuffers();
}

void MemoryImage::Reinitialize()
{
    if (wantPalette)
        (void)ConvertToPalette();
    if (purgeBits)
        PurgeBits();
}

void MemoryImage::DropNativeData()
{
    GetBits();
    runLengthAlpha.reset();
    rowSpans.reset();
    runLengthAdditive.reset();
    additivePrescaled.reset();
}

void MemoryImage::Clear()
{
    if (uint32_t* p = GetBits())
        std::fill_n(p, PixelCount(width, height), 0u);
    BitsChanged();
}

void MemoryImage::SetImageMode(bool transparency, bool alpha)
{
    forcedMode = true;
    hasTransparency = transparency;
    hasAlpha = alpha;
}

void MemoryImage::SetVolatile(bool on)
{
    isVolatile = on;
}

void MemoryImage::FillRect(const Rect& rect, const Color& color, int)
{
    Rect r = rect.Intersection(Bounds(*this));
    uint32_t c = color.ToARGB();
    // Alpha 0 changes nothing (and would give the blend no weight onto a transparent pixel).
    if (r.IsEmpty() || (c >> 24) == 0)
        return;
    blit::DestPixels dest;
    if (!GetDestView(dest))
        return;
    blit::FillRectFast(dest, r, c, IsKnownOpaque());
    BitsChanged();
}

void MemoryImage::ClearRect(const Rect& rect)
{
    Rect r = rect.Intersection(Bounds(*this));
    blit::DestPixels dest;
    if (r.IsEmpty() || !GetDestView(dest))
        return;
    for (int y = r.y; y < r.y + r.height; y++)
        std::fill_n(dest.Row(y) + r.x, r.width, 0u);
    BitsChanged();
}

void MemoryImage::FillSpans(const Span* spans, int count, const Color& color, int drawMode)
{
    for (int i = 0; i < count; i++)
        MemoryImage::FillRect(Rect(spans[i].x, spans[i].y, spans[i].width, 1), color, drawMode);
}

void MemoryImage::FillSpansCoverage(const Span* spans, int count, const Color& color, int drawMode,
                                    const uint8_t* coverage, int coverX, int coverY, int coverWidth,
                                    int coverHeight)
{
    uint32_t c = color.ToARGB();
    blit::DestPixels dest;
    if (coverage == nullptr || (c >> 24) == 0 || !GetDestView(dest))
        return;
    // Only pixels inside both the image and the coverage map are touched.
    const Rect area = Bounds(*this).Intersection(Rect(coverX, coverY, coverWidth, coverHeight));
    bool changed = false;
    for (int i = 0; i < count; i++)
    {
        Rect r = Rect(spans[i].x, spans[i].y, spans[i].width, 1).Intersection(area);
        if (r.IsEmpty())
            continue;
        uint32_t* row = dest.Row(r.y);
        const uint8_t* cover = coverage + static_cast<size_t>(r.y - coverY) * static_cast<size_t>(coverWidth);
        for (int x = r.x; x < r.x + r.width; x++)
        {
            uint32_t a = (c >> 24) * cover[x - coverX] / 255;
            if (a == 0)
                continue;
            uint32_t s = (a << 24) | (c & 0x00FFFFFF);
            row[x] = blit::BlendRef(row[x], s, blit::WhiteColor, drawMode);
            changed = true;
        }
    }
    if (changed)
        BitsChanged();
}

void MemoryImage::DrawLine(double x1, double y1, double x2, double y2, const Color& color, int drawMode)
{
    uint32_t c = color.ToARGB();
    blit::DestPixels dest;
    if ((c >> 24) == 0 || !std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2) ||
        !GetDestView(dest))
        return;
    // Bresenham between the pixels holding the end points, both ends included.
    auto toPixel = [](double v) { return static_cast<int>(std::clamp(std::floor(v), -1e9, 1e9)); };
    int ax = toPixel(x1), ay = toPixel(y1), bx = toPixel(x2), by = toPixel(y2);
    int dx = std::abs(bx - ax), dy = -std::abs(by - ay);
    int sx = ax < bx ? 1 : -1, sy = ay < by ? 1 : -1;
    int err = dx + dy;
    bool changed = false;
    for (;;)
    {
        if (ax >= 0 && ay >= 0 && ax < width && ay < height)
        {
            uint32_t* p = dest.Row(ay) + ax;
            *p = blit::BlendRef(*p, c, blit::WhiteColor, drawMode);
            changed = true;
        }
        if (ax == bx && ay == by)
            break;
        int e2 = 2 * err;
        if (e2 >= dy)
        {
            err += dy;
            ax += sx;
        }
        if (e2 <= dx)
        {
            err += dx;
            ay += sy;
        }
    }
    if (changed)
        BitsChanged();
}

void MemoryImage::DrawLineSmooth(double x1, double y1, double x2, double y2, const Color& color, int drawMode)
{
    uint32_t c = color.ToARGB();
    blit::DestPixels dest;
    if ((c >> 24) == 0 || !std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2) ||
        !GetDestView(dest))
        return;
    // Xiaolin Wu's line: along the major axis, each step shares the colour between the two pixels
    // nearest to the exact line in proportion to their distance from it.
    const bool steep = std::fabs(y2 - y1) > std::fabs(x2 - x1);
    if (steep)
    {
        std::swap(x1, y1);
        std::swap(x2, y2);
    }
    if (x1 > x2)
    {
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    const double limit = 1e6;
    if (std::fabs(x1) > limit || std::fabs(x2) > limit || std::fabs(y1) > limit || std::fabs(y2) > limit)
        return;
    bool changed = false;
    auto plot = [&](int px, int py, double coverage) {
        if (steep)
            std::swap(px, py);
        if (px < 0 || py < 0 || px >= width || py >= height || coverage <= 0)
            return;
        uint32_t a = static_cast<uint32_t>((c >> 24) * std::min(coverage, 1.0) + 0.5);
        if (a == 0)
            return;
        uint32_t* p = dest.Row(py) + px;
        *p = blit::BlendRef(*p, (a << 24) | (c & 0x00FFFFFF), blit::WhiteColor, drawMode);
        changed = true;
    };
    const double dx = x2 - x1;
    const double gradient = dx > 0 ? (y2 - y1) / dx : 0;
    // Pixel centres sit at +0.5; work in centre coordinates.
    const double cx1 = x1 - 0.5, cy1 = y1 - 0.5, cx2 = x2 - 0.5;
    const int start = static_cast<int>(std::floor(cx1 + 0.5));
    const int end = static_cast<int>(std::floor(cx2 + 0.5));
    for (int x = start; x <= end; x++)
    {
        double y = cy1 + gradient * (x - cx1);
        int iy = static_cast<int>(std::floor(y));
        double frac = y - iy;
        plot(x, iy, 1.0 - frac);
        plot(x, iy + 1, frac);
    }
    if (changed)
        BitsChanged();
}

void MemoryImage::ClippedBlit(MemoryImage* source, int x, int y, Rect srcRect, const Rect& clip, const Color& color,
                              int drawMode, bool mirror)
{
    if (source == nullptr)
        return;
    // Keep the source rectangle inside the source image, moving the destination along.
    Rect inside = srcRect.Intersection(Bounds(*source));
    if (inside.IsEmpty())
        return;
    y += inside.y - srcRect.y;
    x += mirror ? (srcRect.x + srcRect.width) - (inside.x + inside.width) : inside.x - srcRect.x;
    srcRect = inside;
    // Then the destination inside this image and the clip.
    Rect d = Rect(x, y, srcRect.width, srcRect.height).Intersection(Bounds(*this)).Intersection(clip);
    if (d.IsEmpty())
        return;
    srcRect.y += d.y - y;
    if (mirror)
        srcRect.x += (x + srcRect.width) - (d.x + d.width);
    else
        srcRect.x += d.x - x;
    srcRect.width = d.width;
    srcRect.height = d.height;

    blit::SourcePixels src;
    blit::DestPixels dest;
    if (!source->GetSourceView(src) || !GetDestView(dest))
        return;
    source->drawn = true;
    const uint32_t c = color.ToARGB();
    const bool white = c == blit::WhiteColor;
    if (mirror)
    {
        // A 1:1 stretch with reversed columns: each destination column samples exactly one source column.
        blit::StretchFast(dest, d, d, src, srcRect, c, drawMode, true, IsKnownOpaque(), blit::BestSimd());
    }
    else if (white && src.bits != nullptr && source != this)
    {
        if (drawMode == DrawModeAdditive)
        {
            const uint8_t* rle = source->GetRunLengthAdditive();
            blit::BlitAdditiveRle(dest, d.x, d.y, src.bits, src.width, rle, source->additivePrescaled.get(), srcRect,
                                  blit::BestSimd());
        }
        else
        {
            // An opaque source is copied and needs no run-length table. The level's background
            // ring is redrawn in part whenever the camera crosses a tile; building its table
            // each time (400,000 pixels) made every such frame several times dearer.
            source->CommitBits();
            const bool srcOpaque = source->IsKnownOpaque();
            const uint8_t* rle = srcOpaque ? nullptr : source->GetRunLengthAlpha();
            blit::BlitNormalRle(dest, d.x, d.y, src.bits, src.width, rle, srcRect, IsKnownOpaque(), srcOpaque,
                                blit::BestSimd(), blit::SpanTable{source->rowSpans.get(), source->rowSpanColumns});
        }
    }
    else if (drawMode != DrawModeAdditive && src.bits != nullptr && source != this)
    {
        const uint8_t* rle = source->GetRunLengthAlpha();
        blit::BlitTintedRle(dest, d.x, d.y, src.bits, src.width, rle, srcRect, c, IsKnownOpaque(), blit::BestSimd(),
                            blit::SpanTable{source->rowSpans.get(), source->rowSpanColumns});
    }
    else if (drawMode != DrawModeAdditive && src.indices != nullptr && source != this)
    {
        blit::BlitPalettedRle(dest, d.x, d.y, src, source->GetRunLengthAlpha(), srcRect, c);
    }
    else
    {
        blit::BlitRef(dest, d.x, d.y, src, srcRect, c, drawMode, false);
    }
    BitsChanged();
}

void MemoryImage::Blit(Image* source, int x, int y, const Rect& srcRect, const Color& color, int drawMode)
{
    ClippedBlit(AsMemoryImage(source), x, y, srcRect, Bounds(*this), color, drawMode, false);
}

void MemoryImage::BlitMirror(Image* source, int x, int y, const Rect& srcRect, const Color& color, int drawMode)
{
    ClippedBlit(AsMemoryImage(source), x, y, srcRect, Bounds(*this), color, drawMode, true);
}

void MemoryImage::StretchBlitMirror(Image* source, const Rect& destRect, const Rect& srcRect, const Rect& clip,
                                    const Color& color, int drawMode, bool)
{
    MemoryImage* src = AsMemoryImage(source);
    if (destRect.width == srcRect.width && destRect.height == srcRect.height)
        ClippedBlit(src, destRect.x, destRect.y, srcRect, clip, color, drawMode, true);
    else
        ClippedStretch(src, destRect, srcRect, clip, color, drawMode, true);
}

void MemoryImage::ClippedStretch(MemoryImage* source, const Rect& destRect, const Rect& srcRect, const Rect& clip,
                                 const Color& color, int drawMode, bool mirror)
{
    if (source == nullptr || destRect.IsEmpty() || srcRect.IsEmpty())
        return;
    Rect area = destRect.Intersection(clip).Intersection(Bounds(*this));
    if (area.IsEmpty())
        return;
    // Drop destination columns and rows whose sample would fall outside the source image: the
    // mapping is monotonic, so the valid ones form one range.
    auto validRange = [](int destStart, int destSize, int areaStart, int areaSize, int srcStart, int srcSize,
                         int imageSize, bool reverse, int& first, int& count) {
        first = areaStart;
        int last = areaStart + areaSize - 1;
        auto sample = [&](int p) {
            int64_t i = p - destStart;
            int offset = static_cast<int>((i * 2 * srcSize + srcSize) / (2 * static_cast<int64_t>(destSize)));
            return reverse ? srcStart + srcSize - 1 - offset : srcStart + offset;
        };
        while (first <= last && (sample(first) < 0 || sample(first) >= imageSize))
            first++;
        while (last >= first && (sample(last) < 0 || sample(last) >= imageSize))
            last--;
        count = last - first + 1;
    };
    int x0, w, y0, h;
    validRange(destRect.x, destRect.width, area.x, area.width, srcRect.x, srcRect.width, source->GetWidth(), mirror,
               x0, w);
    validRange(destRect.y, destRect.height, area.y, area.height, srcRect.y, srcRect.height, source->GetHeight(),
               false, y0, h);
    if (w <= 0 || h <= 0)
        return;
    area = Rect(x0, y0, w, h);
    blit::SourcePixels src;
    blit::DestPixels dest;
    if (!source->GetSourceView(src) || !GetDestView(dest))
        return;
    source->drawn = true;
    blit::StretchFast(dest, area, destRect, src, srcRect, color.ToARGB(), drawMode, mirror, IsKnownOpaque(),
                      blit::BestSimd());
    BitsChanged();
}

void MemoryImage::StretchBlit(Image* source, const Rect& destRect, const Rect& srcRect, const Rect& clip,
                              const Color& color, int drawMode, bool)
{
    MemoryImage* src = AsMemoryImage(source);
    if (src && destRect.width == srcRect.width && destRect.height == srcRect.height)
        ClippedBlit(src, destRect.x, destRect.y, srcRect, clip, color, drawMode, false);
    else
        ClippedStretch(src, destRect, srcRect, clip, color, drawMode, false);
}

void MemoryImage::AffineBlit(MemoryImage* source, const Rect& srcRect, double a, double b, double c, double d,
                             double tx, double ty, const Rect& clip, const Color& color, int drawMode)
{
    if (source == nullptr || srcRect.IsEmpty())
        return;
    // Sample only inside the source image.
    Rect inside = srcRect.Intersection(Bounds(*source));
    if (inside.IsEmpty())
        return;
    blit::AffineMap map;
    if (!blit::MakeAffineMap(a, b, c, d, tx, ty, map))
        return;
    // Destination bounds: the corners of the source rectangle mapped forward.
    double minX = 1e18, minY = 1e18, maxX = -1e18, maxY = -1e18;
    const double xs[2] = {double(inside.x), double(inside.x + inside.width)};
    const double ys[2] = {double(inside.y), double(inside.y + inside.height)};
    for (double sx : xs)
    {
        for (double sy : ys)
        {
            double dx = a * sx + b * sy + tx;
            double dy = c * sx + d * sy + ty;
            minX = std::min(minX, dx);
            maxX = std::max(maxX, dx);
            minY = std::min(minY, dy);
            maxY = std::max(maxY, dy);
        }
    }
    Rect limit = clip.Intersection(Bounds(*this));
    if (limit.IsEmpty() || !(maxX >= limit.x) || !(maxY >= limit.y) || !(minX <= limit.x + limit.width) ||
        !(minY <= limit.y + limit.height))
        return;
    int left = static_cast<int>(std::floor(std::max(minX, double(limit.x))));
    int top = static_cast<int>(std::floor(std::max(minY, double(limit.y))));
    int right = static_cast<int>(std::ceil(std::min(maxX, double(limit.x + limit.width))));
    int bottom = static_cast<int>(std::ceil(std::min(maxY, double(limit.y + limit.height))));
    Rect area = Rect(left, top, right - left, bottom - top).Intersection(limit);
    blit::SourcePixels src;
    blit::DestPixels dest;
    if (area.IsEmpty() || !source->GetSourceView(src) || !GetDestView(dest))
        return;
    source->drawn = true;
    blit::AffineFast(dest, area, src, inside, map, color.ToARGB(), drawMode, IsKnownOpaque(), blit::BestSimd());
    BitsChanged();
}

void MemoryImage::BlitFloat(Image* source, float x, float y, const Rect& srcRect, const Rect& clip, const Color& color,
                            int drawMode)
{
    if (!std::isfinite(x) || !std::isfinite(y))
        return;
    MemoryImage* src = AsMemoryImage(source);
    if (std::floor(x) == x && std::floor(y) == y && std::fabs(x) < 1e9f && std::fabs(y) < 1e9f)
    {
        ClippedBlit(src, static_cast<int>(x), static_cast<int>(y), srcRect, clip, color, drawMode, false);
        return;
    }
    AffineBlit(src, srcRect, 1, 0, 0, 1, double(x) - srcRect.x, double(y) - srcRect.y, clip, color, drawMode);
}

void MemoryImage::BlitRotated(Image* source, float x, float y, const Rect& srcRect, const Rect& clip,
                              const Color& color, int drawMode, double angle, float centerX, float centerY)
{
    if (!std::isfinite(angle) || !std::isfinite(centerX) || !std::isfinite(centerY))
        return;
    if (angle == 0)
    {
        BlitFloat(source, x, y, srcRect, clip, color, drawMode);
        return;
    }
    // dest = R * (src - srcRect corner - centre) + (x + centre), R = [cos sin; -sin cos]:
    // positive angles turn counter-clockwise on the screen (y grows downwards).
    const double cs = std::cos(angle), sn = std::sin(angle);
    const double px = double(srcRect.x) + centerX, py = double(srcRect.y) + centerY;
    const double ox = double(x) + centerX, oy = double(y) + centerY;
    const double tx = ox - (cs * px + sn * py);
    const double ty = oy - (-sn * px + cs * py);
    AffineBlit(AsMemoryImage(source), srcRect, cs, sn, -sn, cs, tx, ty, clip, color, drawMode);
}

void MemoryImage::BlitTransformed(Image* source, float x, float y, const Matrix3& matrix, const Rect& clip,
                                  const Color& color, int drawMode, const Rect& srcRect, bool)
{
    // The matrix works on coordinates relative to the source rectangle's centre.
    const double a = matrix.m[0][0], b = matrix.m[0][1], c = matrix.m[1][0], d = matrix.m[1][1];
    const double px = srcRect.x + srcRect.width / 2.0, py = srcRect.y + srcRect.height / 2.0;
    const double tx = matrix.m[0][2] + double(x) - (a * px + b * py);
    const double ty = matrix.m[1][2] + double(y) - (c * px + d * py);
    AffineBlit(AsMemoryImage(source), srcRect, a, b, c, d, tx, ty, clip, color, drawMode);
}

void MemoryImage::BlitTriangles(Image* texture, const TriVertex (*vertices)[3], int count, const Rect& clip,
                                const Color& color, int drawMode, float tx, float ty, bool)
{
    MemoryImage* tex = AsMemoryImage(texture);
    blit::SourcePixels src;
    blit::DestPixels dest;
    if (tex == nullptr || vertices == nullptr || count <= 0 || !tex->GetSourceView(src) || !GetDestView(dest))
        return;
    const Rect limit = clip.Intersection(Bounds(*this));
    if (limit.IsEmpty())
        return;
    tex->drawn = true;
    bool changed = false;
    for (int t = 0; t < count; t++)
    {
        const TriVertex* v = vertices[t];
        double x0 = v[0].x + tx, y0 = v[0].y + ty, x1 = v[1].x + tx, y1 = v[1].y + ty, x2 = v[2].x + tx,
               y2 = v[2].y + ty;
        double area = (x1 - x0) * (y2 - y0) - (x2 - x0) * (y1 - y0);
        if (!std::isfinite(area) || std::fabs(area) < 1e-9)
            continue;
        // One colour per triangle: the first vertex's colour times the drawing colour.
        Color vc = Color::FromARGB(v[0].color);
        Color tint(vc.red * color.red / 255, vc.green * color.green / 255, vc.blue * color.blue / 255,
                   vc.alpha * color.alpha / 255);
        const uint32_t c = tint.ToARGB();
        int left = static_cast<int>(std::floor(std::max(std::min({x0, x1, x2}), double(limit.x))));
        int right = static_cast<int>(std::ceil(std::min(std::max({x0, x1, x2}), double(limit.x + limit.width))));
        int top = static_cast<int>(std::floor(std::max(std::min({y0, y1, y2}), double(limit.y))));
        int bottom = static_cast<int>(std::ceil(std::min(std::max({y0, y1, y2}), double(limit.y + limit.height))));
        for (int py = top; py < bottom; py++)
        {
            uint32_t* row = dest.Row(py);
            for (int px = left; px < right; px++)
            {
                // Barycentric weights of the pixel centre; inside when all share the triangle's sign.
                double cx = px + 0.5, cy = py + 0.5;
                double w0 = ((x1 - cx) * (y2 - cy) - (x2 - cx) * (y1 - cy)) / area;
                double w1 = ((x2 - cx) * (y0 - cy) - (x0 - cx) * (y2 - cy)) / area;
                double w2 = 1.0 - w0 - w1;
                if (w0 < 0 || w1 < 0 || w2 < 0)
                    continue;
                double u = (w0 * v[0].u + w1 * v[1].u + w2 * v[2].u) * src.width;
                double vv = (w0 * v[0].v + w1 * v[1].v + w2 * v[2].v) * src.height;
                int sx = std::clamp(static_cast<int>(std::floor(u)), 0, src.width - 1);
                int sy = std::clamp(static_cast<int>(std::floor(vv)), 0, src.height - 1);
                row[px] = blit::BlendRef(row[px], src.At(sx, sy), c, drawMode);
                changed = true;
            }
        }
    }
    if (changed)
        BitsChanged();
}

} // namespace zest
