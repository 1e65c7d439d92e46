#include "graphics/ActiveFontLayer.h"

#include "graphics/GlyphLayer.h"
#include "graphics/MemoryImage.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace zest
{

namespace
{

struct Tap
{
    int source;   // source pixel index along the axis
    float weight; // share of the destination pixel it covers (taps of one pixel sum to 1)
};

// Area-weighted taps along one axis for resampling srcLength pixels into dstLength: each destination
// pixel averages the source span it covers. It averages on the way down and blends neighbours on the
// way up, so thin glyph strokes neither vanish nor turn blocky.
std::vector<std::vector<Tap>> AxisTaps(int srcLength, int dstLength)
{
    std::vector<std::vector<Tap>> taps(dstLength);
    const double ratio = static_cast<double>(srcLength) / dstLength;
    for (int d = 0; d < dstLength; ++d)
    {
        double begin = d * ratio;
        double end = std::min<double>((d + 1) * ratio, srcLength);
        int first = static_cast<int>(std::floor(begin));
        int last = std::min(srcLength - 1, static_cast<int>(std::ceil(end)) - 1);
        for (int s = first; s <= last; ++s)
        {
            double cover = std::min<double>(end, s + 1) - std::max<double>(begin, s);
            if (cover > 0)
                taps[d].push_back({s, static_cast<float>(cover / ratio)});
        }
        if (taps[d].empty())
            taps[d].push_back({std::clamp(first, 0, srcLength - 1), 1.0f});
    }
    return taps;
}

// Draws source's srcRect resampled into dest at (dstX, 0), dstWidth x dstHeight. Colours are averaged
// weighted by alpha so transparent pixels do not darken the edges.
void ResampleGlyph(const MemoryImage& source, const Rect& srcRect, uint32_t* dest, int destPitch, int dstX,
                   int dstWidth, int dstHeight)
{
    auto xTaps = AxisTaps(srcRect.width, dstWidth);
    auto yTaps = AxisTaps(srcRect.height, dstHeight);
    for (int dy = 0; dy < dstHeight; ++dy)
    {
        for (int dx = 0; dx < dstWidth; ++dx)
        {
            float a = 0, r = 0, g = 0, b = 0;
            for (const Tap& ty : yTaps[dy])
            {
                for (const Tap& tx : xTaps[dx])
                {
                    uint32_t p = source.GetPixel(srcRect.x + tx.source, srcRect.y + ty.source);
                    float w = tx.weight * ty.weight * static_cast<float>(p >> 24);
                    a += w;
                    r += w * static_cast<float>((p >> 16) & 0xFF);
                    g += w * static_cast<float>((p >> 8) & 0xFF);
                    b += w * static_cast<float>(p & 0xFF);
                }
            }
            uint32_t pixel = 0;
            if (a > 0)
            {
                auto channel = [a](float sum)
                { return static_cast<uint32_t>(std::clamp(sum / a + 0.5f, 0.0f, 255.0f)); };
                uint32_t alpha = static_cast<uint32_t>(std::clamp(a + 0.5f, 0.0f, 255.0f));
                pixel = (alpha << 24) | (channel(r) << 16) | (channel(g) << 8) | channel(b);
            }
            dest[dy * destPitch + dstX + dx] = pixel;
        }
    }
}

} // namespace

ActiveFontLayer::ActiveFontLayer(const ActiveFontLayer& other)
    : baseLayer(other.baseLayer), scale(other.scale), scaledCharImageRects(other.scaledCharImageRects)
{
    if (other.scaledImage)
        scaledImage = std::make_unique<MemoryImage>(*other.scaledImage);
}

ActiveFontLayer::~ActiveFontLayer() = default;

MemoryImage* ActiveFontLayer::GetImage() const
{
    if (scaledImage)
        return scaledImage.get();
    return baseLayer ? baseLayer->image.get() : nullptr;
}

bool ActiveFontLayer::Build(GlyphLayer* layer, double factor, bool forceWhite)
{
    if (!layer || !std::isfinite(factor) || factor <= 0)
        return false;

    // Rectangles were checked against the image they were set for; a later LayerSetImage may have
    // brought a smaller sheet, so hold every rectangle inside the image actually present.
    const MemoryImage* image = layer->image.get();
    const Rect bounds = image ? Rect(0, 0, image->GetWidth(), image->GetHeight()) : Rect();
    std::array<Rect, 256> sourceRects{};
    for (int i = 0; i < 256; ++i)
    {
        Rect r = layer->glyphs[i].imageRect.Intersection(bounds);
        sourceRects[i] = r.IsEmpty() ? Rect() : r;
    }

    if (factor == 1.0)
    {
        baseLayer = layer;
        scale = factor;
        scaledImage.reset();
        scaledCharImageRects = sourceRects;
        return true;
    }

    // Scaled glyphs sit side by side from x = 0 in character-code order.
    std::array<Rect, 256> rects{};
    int64_t totalWidth = 0;
    int64_t tallest = 0;
    for (int i = 0; i < 256; ++i)
    {
        // Sizes come from the declared rectangle so the layout does not depend on the image present.
        double w = std::trunc(layer->glyphs[i].imageRect.width * factor);
        double h = std::trunc(layer->glyphs[i].imageRect.height * factor);
        if (w > MaxScaledImageSide || h > MaxScaledImageSide)
            return false;
        int width = std::max(0, static_cast<int>(w));
        int height = std::max(0, static_cast<int>(h));
        rects[i] = Rect(static_cast<int>(totalWidth), 0, width, height);
        totalWidth += width;
        tallest = std::max<int64_t>(tallest, height);
        if (totalWidth > MaxScaledImageSide)
            return false;
    }

    std::unique_ptr<MemoryImage> sheet;
    if (image && totalWidth > 0 && tallest > 0)
    {
        sheet = std::make_unique<MemoryImage>(image->GetLiveImageSet());
        sheet->Create(static_cast<int>(totalWidth), static_cast<int>(tallest));
        uint32_t* bits = sheet->GetBits();
        std::fill(bits, bits + totalWidth * tallest, 0u);
        for (int i = 0; i < 256; ++i)
        {
            if (rects[i].IsEmpty() || sourceRects[i].IsEmpty())
                continue;
            ResampleGlyph(*image, sourceRects[i], bits, static_cast<int>(totalWidth), rects[i].x, rects[i].width,
                          rects[i].height);
        }
        if (forceWhite)
        {
            for (int64_t i = 0; i < totalWidth * tallest; ++i)
                bits[i] |= 0x00FFFFFF;
        }
        sheet->BitsChanged();
        (void)sheet->ConvertToPalette(); // too many colours: the sheet simply stays 32-bit
    }

    baseLayer = layer;
    scale = factor;
    scaledImage = std::move(sheet);
    if (!scaledImage)
        rects.fill(Rect());
    scaledCharImageRects = rects;
    return true;
}

} // namespace zest
