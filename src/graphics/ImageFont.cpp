#include "graphics/ImageFont.h"

#include "graphics/FontData.h"
#include "graphics/GlyphLayer.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "platform/Log.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdio>
#include <mutex>

namespace zest
{

namespace
{

// One glyph waiting to be drawn in its order bucket.
struct RenderCommand
{
    MemoryImage* image;
    int x;
    int y;
    Rect srcRect;
    int drawMode;
    Color color;
};

constexpr int OrderBuckets = 256;

// The scratch tables every image font draws through; guarded by DrawLock. Their capacity is kept
// between calls so drawing allocates nothing once warm.
std::vector<RenderCommand>* RenderBuckets()
{
    static std::vector<RenderCommand> buckets[OrderBuckets];
    return buckets;
}

std::mutex& DrawLock()
{
    static std::mutex lock;
    return lock;
}

// Truncates toward zero and holds the result well inside int, so offsets from a damaged descriptor
// cannot overflow the pen arithmetic.
int TruncClamped(double value)
{
    constexpr double limit = 1 << 30;
    if (!(value > -limit))
        return -(1 << 30);
    if (value > limit)
        return 1 << 30;
    return static_cast<int>(value);
}

int LayerChannel(int mult, int given, int add)
{
    int value = mult * given / 255 + add;
    return value > 254 ? 255 : std::max(0, value);
}

std::string Upper(const std::string& text)
{
    std::string upper = text;
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

} // namespace

ImageFont::ImageFont(FontHost* host, const std::string& descriptorPath) : fontData(std::make_shared<FontData>())
{
    (void)fontData->Load(descriptorPath, host); // a failed descriptor leaves a font that draws nothing
    pointSize = fontData->defaultPointSize;
    PrepareLayers();
}

ImageFont::ImageFont(MemoryImage* image, const std::string& widthsPath) : fontData(std::make_shared<FontData>())
{
    fontData->sourceFile = widthsPath;
    fontData->initialized = ReadStripWidths(image, widthsPath);
    pointSize = fontData->defaultPointSize;
    PrepareLayers();
}

ImageFont::ImageFont(const ImageFont& other)
    : Font(other), forceScaledImagesWhite(other.forceScaledImagesWhite), fontData(other.fontData),
      pointSize(other.pointSize), tagVector(other.tagVector), prepared(other.prepared), scale(other.scale)
{
    for (const auto& layer : other.activeLayerList)
        activeLayerList.push_back(std::make_unique<ActiveFontLayer>(*layer));
}

ImageFont::~ImageFont() = default;

bool ImageFont::ReadStripWidths(MemoryImage* image, const std::string& widthsPath)
{
    if (!image)
        return false;
    auto layer = std::make_unique<GlyphLayer>();
    // The strip is not owned: the aliasing constructor makes a reference that never deletes it.
    layer->image = std::shared_ptr<MemoryImage>(std::shared_ptr<MemoryImage>(), image);
    layer->defaultHeight = image->GetHeight();
    layer->ascent = image->GetHeight();
    GlyphLayer* strip = layer.get();
    fontData->fontLayerList.push_back(std::move(layer));
    fontData->fontLayerMap[""] = strip;

    // The widths file lies beside the program's data on the disk, never in the archive.
    FILE* file = std::fopen(widthsPath.c_str(), "rb");
    if (!file)
        return false;
    int blankWidth = 0;
    int ascent = 0;
    bool ok = std::fscanf(file, "%d %d", &blankWidth, &ascent) == 2;
    if (ok)
    {
        strip->glyphs[' '].width = blankWidth;
        strip->ascent = ascent;
        const int imageWidth = image->GetWidth();
        const int imageHeight = image->GetHeight();
        int x = 0;
        char ch = 0;
        int width = 0;
        while (std::fscanf(file, " %c %d", &ch, &width) == 2)
        {
            // A negative width or one running past the image ends the strips: what was read stays.
            if (width < 0 || x > imageWidth - width)
                break;
            GlyphData& glyph = strip->glyphs[static_cast<uint8_t>(ch)];
            glyph.imageRect = Rect(x, 0, width, imageHeight);
            glyph.width = width;
            x += width;
        }
    }
    std::fclose(file);
    if (!ok)
        return false;

    // Letters drawn in one case only stand in for the other.
    for (int c = 'A'; c <= 'Z'; ++c)
    {
        int lower = c - 'A' + 'a';
        if (strip->glyphs[c].width == 0 && strip->glyphs[lower].width != 0)
            fontData->charMap[c] = static_cast<uint8_t>(lower);
    }
    for (int c = 'a'; c <= 'z'; ++c)
    {
        int upper = c - 'a' + 'A';
        if (strip->glyphs[c].width == 0 && strip->glyphs[upper].width != 0)
            fontData->charMap[c] = static_cast<uint8_t>(upper);
    }
    return true;
}

void ImageFont::PrepareLayers()
{
    if (!fontData->initialized)
        return;
    activeLayerList.clear();
    ascent = 0;
    ascentPadding = 0;
    height = 0;
    lineSpacingOffset = 0;
    bool first = true;
    for (const auto& layerPtr : fontData->fontLayerList)
    {
        GlyphLayer* layer = layerPtr.get();
        if (layer->minPointSize > pointSize || (layer->maxPointSize < pointSize && layer->maxPointSize != -1))
            continue;
        auto hasTag = [this](const std::string& tag)
        { return std::find(tagVector.begin(), tagVector.end(), tag) != tagVector.end(); };
        if (!std::all_of(layer->requiredTags.begin(), layer->requiredTags.end(), hasTag) ||
            std::any_of(layer->excludedTags.begin(), layer->excludedTags.end(), hasTag))
            continue;

        double factor = layer->pointSize == 0 ? scale : pointSize * scale / layer->pointSize;
        auto active = std::make_unique<ActiveFontLayer>();
        if (!active->Build(layer, factor, forceScaledImagesWhite))
        {
            Logf(LogLevel::Warning, "Font %s: layer scale %g refused (glyph sheet too large or empty)",
                 fontData->sourceFile.c_str(), factor);
            continue;
        }
        int layerAscent = TruncClamped(factor * layer->ascent);
        int layerHeight = TruncClamped(factor * (layer->height == 0 ? layer->defaultHeight : layer->height));
        int layerPadding = TruncClamped(factor * layer->ascentPadding);
        int layerLineSpacing = TruncClamped(factor * layer->lineSpacingOffset);
        ascent = std::max(ascent, layerAscent);
        height = std::max(height, layerHeight);
        ascentPadding = first ? layerPadding : std::min(ascentPadding, layerPadding);
        lineSpacingOffset = first ? layerLineSpacing : std::max(lineSpacingOffset, layerLineSpacing);
        first = false;
        activeLayerList.push_back(std::move(active));
    }
    prepared = true;
}

void ImageFont::Prepare()
{
    if (!prepared)
        PrepareLayers();
}

int ImageFont::Ascent()
{
    Prepare();
    return ascent;
}

int ImageFont::AscentPadding()
{
    Prepare();
    return ascentPadding;
}

int ImageFont::Descent()
{
    Prepare();
    return height - ascent;
}

int ImageFont::Height()
{
    Prepare();
    return height;
}

int ImageFont::LineSpacingOffset()
{
    Prepare();
    return lineSpacingOffset;
}

int ImageFont::LineSpacing()
{
    Prepare();
    return lineSpacingOffset + height;
}

int ImageFont::Advance(const ActiveFontLayer& layer, uint8_t ch, bool hasPartner, uint8_t partner)
{
    const GlyphLayer& glyphLayer = *layer.baseLayer;
    const GlyphData& glyph = glyphLayer.glyphs[ch];
    const double factor = layer.scale;
    int advance = TruncClamped(factor * glyph.width);
    if (hasPartner)
        advance += TruncClamped(factor * (double(glyph.kerningOffsets[partner]) + glyphLayer.spacing));
    return advance;
}

int ImageFont::CharWidthKern(char ch, char previous)
{
    Prepare();
    const auto& charMap = fontData->charMap;
    const uint8_t mapped = charMap[static_cast<uint8_t>(ch)];
    const bool hasPrevious = previous != '\0';
    const uint8_t mappedPrevious = charMap[static_cast<uint8_t>(previous)];
    int widest = 0;
    for (const auto& layer : activeLayerList)
    {
        const GlyphLayer& glyphLayer = *layer->baseLayer;
        int width = TruncClamped(layer->scale * glyphLayer.glyphs[mapped].width);
        if (hasPrevious)
            width += TruncClamped(
                layer->scale * (double(glyphLayer.glyphs[mappedPrevious].kerningOffsets[mapped]) + glyphLayer.spacing));
        widest = std::max(widest, width);
    }
    return widest;
}

void ImageFont::DrawString(Graphics* graphics, int x, int y, const std::string& text, const Color& color,
                           const Rect& clipRect)
{
    DrawStringEx(graphics, x, y, text, color, clipRect, nullptr, nullptr);
}

void ImageFont::DrawStringEx(Graphics* graphics, int x, int y, const std::string& text, const Color& textColor,
                             const Rect& clipRect, std::vector<Rect>* charRects, int* width)
{
    const Color color = textColor; // the caller may pass the context's own colour, which drawing changes
    (void)clipRect;                // the context clips every glyph itself
    if (charRects)
        charRects->clear();
    if (!graphics)
        return;

    std::lock_guard<std::mutex> lock(DrawLock());
    Prepare();
    std::vector<RenderCommand>* buckets = RenderBuckets();
    int lowestBucket = OrderBuckets;
    int highestBucket = -1;

    const auto& charMap = fontData->charMap;
    int penX = x;
    for (size_t i = 0; i < text.size(); ++i)
    {
        const uint8_t ch = charMap[static_cast<uint8_t>(text[i])];
        const bool hasPartner = i + 1 < text.size();
        const uint8_t partner = hasPartner ? charMap[static_cast<uint8_t>(text[i + 1])] : 0;
        int nextPenX = penX;
        bool firstLayer = true;
        for (const auto& layerPtr : activeLayerList)
        {
            const ActiveFontLayer& layer = *layerPtr;
            const GlyphLayer& glyphLayer = *layer.baseLayer;
            const GlyphData& glyph = glyphLayer.glyphs[ch];
            const double factor = layer.scale;

            const int drawX = penX + TruncClamped(factor * (double(glyph.offset.x) + glyphLayer.offsetX));
            const int drawY =
                y - TruncClamped(factor * (double(glyphLayer.ascent) - glyph.offset.y - glyphLayer.offsetY));
            const Rect& srcRect = layer.scaledCharImageRects[ch];

            MemoryImage* image = layer.GetImage();
            if (image && !srcRect.IsEmpty())
            {
                const Color& mult = glyphLayer.colorMult;
                const Color& add = glyphLayer.colorAdd;
                Color glyphColor(
                    LayerChannel(mult.red, color.red, add.red), LayerChannel(mult.green, color.green, add.green),
                    LayerChannel(mult.blue, color.blue, add.blue), LayerChannel(mult.alpha, color.alpha, add.alpha));
                // Orders -128..127 have buckets of their own; anything beyond shares the end buckets.
                int64_t order = int64_t(glyph.order) + glyphLayer.baseOrder;
                int bucket = static_cast<int>(std::clamp<int64_t>(order + 128, 0, OrderBuckets - 1));
                buckets[bucket].push_back({image, drawX, drawY, srcRect, glyphLayer.drawMode, glyphColor});
                lowestBucket = std::min(lowestBucket, bucket);
                highestBucket = std::max(highestBucket, bucket);
            }
            if (charRects)
                charRects->push_back(Rect(drawX, drawY, srcRect.width, srcRect.height));

            int candidate = penX + Advance(layer, ch, hasPartner, partner);
            nextPenX = firstLayer ? candidate : std::max(nextPenX, candidate);
            firstLayer = false;
        }
        penX = nextPenX;
    }

    const Color oldColor = graphics->GetColor();
    const bool oldColorize = graphics->GetColorize();
    graphics->SetColorize(true);
    for (int bucket = lowestBucket; bucket <= highestBucket; ++bucket)
    {
        for (const RenderCommand& command : buckets[bucket])
        {
            const int oldMode = graphics->GetDrawMode();
            if (command.drawMode != -1)
                graphics->SetDrawMode(command.drawMode);
            graphics->SetColor(command.color);
            graphics->DrawImage(command.image, command.x, command.y, command.srcRect);
            if (command.drawMode != -1)
                graphics->SetDrawMode(oldMode);
        }
        buckets[bucket].clear();
    }
    graphics->SetColor(oldColor);
    graphics->SetColorize(oldColorize);
    if (width)
        *width = penX - x;
}

std::unique_ptr<Font> ImageFont::Duplicate()
{
    return std::make_unique<ImageFont>(*this);
}

void ImageFont::SetPointSize(int size)
{
    pointSize = size;
    prepared = false;
}

int ImageFont::PointSize()
{
    return pointSize;
}

void ImageFont::SetScale(double newScale)
{
    scale = newScale;
    prepared = false;
}

int ImageFont::DefaultPointSize()
{
    return fontData->defaultPointSize;
}

bool ImageFont::AddTag(const std::string& tag)
{
    std::string upper = Upper(tag);
    if (HasTag(upper))
        return false;
    tagVector.push_back(upper);
    prepared = false;
    return true;
}

bool ImageFont::RemoveTag(const std::string& tag)
{
    auto it = std::find(tagVector.begin(), tagVector.end(), Upper(tag));
    if (it == tagVector.end())
        return false;
    tagVector.erase(it);
    prepared = false;
    return true;
}

bool ImageFont::HasTag(const std::string& tag)
{
    return std::find(tagVector.begin(), tagVector.end(), Upper(tag)) != tagVector.end();
}

std::string ImageFont::DefineText(const std::string& name)
{
    const DataElement* define = fontData->FindDefine(name);
    return define ? DescParser::DataToString(*define) : std::string();
}

} // namespace zest
