#include "graphics/Graphics.h"

#include "graphics/DisplayImage.h"
#include "graphics/Font.h"
#include "graphics/MemoryImage.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace zest
{

namespace
{

// The destination of a context made without one: empty, so every operation finds nothing to do.
Image* SharedEmptyImage()
{
    static MemoryImage empty;
    return &empty;
}

bool InsideImage(const Image& image, const Rect& r)
{
    return !r.IsEmpty() && r.x >= 0 && r.y >= 0 && r.x + r.width <= image.GetWidth() &&
           r.y + r.height <= image.GetHeight();
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 0; // invalid digits count 0
}

bool IsOldColorCode(const std::string& text, size_t caret)
{
    static const char word[] = "oldclr";
    for (size_t k = 0; k < 6; k++)
    {
        if (std::tolower(static_cast<unsigned char>(text[caret + 1 + k])) != word[k])
            return false;
    }
    return true;
}

} // namespace

Graphics::Graphics(Image* image)
{
    destImage = image ? image : SharedEmptyImage();
    clipRect = Rect(0, 0, destImage->GetWidth(), destImage->GetHeight());
    if (auto* display = dynamic_cast<DisplayImage*>(destImage))
        is3D = display->is3D;
}

Graphics::Graphics(const Graphics& other) : GraphicsState(other)
{
}

Graphics& Graphics::operator=(const Graphics& other)
{
    if (this != &other)
    {
        static_cast<GraphicsState&>(*this) = other;
        stateStack.clear();
    }
    return *this;
}

std::unique_ptr<Graphics> Graphics::Create() const
{
    return std::make_unique<Graphics>(*this);
}

void Graphics::SaveState()
{
    stateStack.push_back(static_cast<const GraphicsState&>(*this));
}

void Graphics::RestoreState()
{
    if (stateStack.empty())
        return;
    static_cast<GraphicsState&>(*this) = stateStack.back();
    stateStack.pop_back();
}

void Graphics::Translate(int x, int y)
{
    transX += static_cast<float>(x);
    transY += static_cast<float>(y);
}

void Graphics::TranslateFloat(float x, float y)
{
    transX += x;
    transY += y;
}

void Graphics::ClipRect(int x, int y, int w, int h)
{
    clipRect = clipRect.Intersection(Rect(TX(x), TY(y), w, h));
}

void Graphics::FillRect(int x, int y, int w, int h)
{
    if (color.alpha <= 0)
        return;
    Rect r = Rect(TX(x), TY(y), w, h).Intersection(clipRect);
    if (!r.IsEmpty())
        destImage->FillRect(r, color, drawMode);
}

void Graphics::DrawRect(int x, int y, int w, int h)
{
    if (color.alpha <= 0 || w < 0 || h < 0)
        return;
    Rect outline(TX(x), TY(y), w + 1, h + 1);
    if (outline.Intersection(clipRect) == outline)
    {
        destImage->DrawRect(Rect(outline.x, outline.y, w, h), color, drawMode);
        return;
    }
    FillRect(x, y, w + 1, 1);
    FillRect(x, y + h, w + 1, 1);
    FillRect(x, y + 1, 1, h - 1);
    FillRect(x + w, y + 1, 1, h - 1);
}

void Graphics::DrawLine(int ix1, int iy1, int ix2, int iy2)
{
    if (color.alpha <= 0 || clipRect.IsEmpty())
        return;
    double x1 = double(transX) + ix1, y1 = double(transY) + iy1;
    double x2 = double(transX) + ix2, y2 = double(transY) + iy2;
    const double minX = clipRect.x, maxX = clipRect.x + clipRect.width - 1;
    const double minY = clipRect.y, maxY = clipRect.y + clipRect.height - 1;
    // Clip against the x range, then the y range; each end outside moves onto the boundary along
    // the line. The divisions are safe: an end lies outside only when the other is further in.
    if (x1 > x2)
    {
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    if (x2 < minX || x1 > maxX)
        return;
    if (x1 < minX)
    {
        y1 += (y2 - y1) * (minX - x1) / (x2 - x1);
        x1 = minX;
    }
    if (x2 > maxX)
    {
        y2 = y1 + (y2 - y1) * (maxX - x1) / (x2 - x1);
        x2 = maxX;
    }
    if (y1 > y2)
    {
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    if (y2 < minY || y1 > maxY)
        return;
    if (y1 < minY)
    {
        x1 += (x2 - x1) * (minY - y1) / (y2 - y1);
        y1 = minY;
    }
    if (y2 > maxY)
    {
        x2 = x1 + (x2 - x1) * (maxY - y1) / (y2 - y1);
        y2 = maxY;
    }
    destImage->DrawLine(x1, y1, x2, y2, color, drawMode);
}

void Graphics::DrawString(const std::string& text, int x, int y)
{
    if (font != nullptr)
        font->DrawString(this, x, y, text, color, clipRect);
}

void Graphics::DrawImage(Image* image, int x, int y)
{
    if (image == nullptr)
        return;
    const int tx = TX(x), ty = TY(y);
    Rect d = Rect(tx, ty, image->GetWidth(), image->GetHeight()).Intersection(clipRect);
    if (d.IsEmpty())
        return;
    destImage->Blit(image, d.x, d.y, Rect(d.x - tx, d.y - ty, d.width, d.height), ImageColor(), drawMode);
}

void Graphics::DrawImage(Image* image, int x, int y, const Rect& srcRect)
{
    if (image == nullptr || !InsideImage(*image, srcRect))
        return;
    const int tx = TX(x), ty = TY(y);
    Rect d = Rect(tx, ty, srcRect.width, srcRect.height).Intersection(clipRect);
    if (d.IsEmpty())
        return;
    destImage->Blit(image, d.x, d.y, Rect(srcRect.x + d.x - tx, srcRect.y + d.y - ty, d.width, d.height),
                    ImageColor(), drawMode);
}

void Graphics::DrawImage(Image* image, int x, int y, int w, int h)
{
    if (image == nullptr)
        return;
    DrawImage(image, Rect(x, y, w, h), Rect(0, 0, image->GetWidth(), image->GetHeight()));
}

void Graphics::DrawImage(Image* image, const Rect& destRect, const Rect& srcRect)
{
    if (image == nullptr)
        return;
    destImage->StretchBlit(image, Rect(TX(destRect.x), TY(destRect.y), destRect.width, destRect.height), srcRect,
                           clipRect, ImageColor(), drawMode, fastStretch);
}

void Graphics::DrawImageMirror(Image* image, int x, int y, const Rect& srcRect, bool mirror)
{
    if (!mirror)
    {
        DrawImage(image, x, y, srcRect);
        return;
    }
    if (image == nullptr || !InsideImage(*image, srcRect))
        return;
    const int tx = TX(x), ty = TY(y);
    Rect d = Rect(tx, ty, srcRect.width, srcRect.height).Intersection(clipRect);
    if (d.IsEmpty())
        return;
    // The leftmost destination column shows the rightmost source column.
    const int sx = srcRect.x + srcRect.width + tx - d.x - d.width;
    destImage->BlitMirror(image, d.x, d.y, Rect(sx, srcRect.y + d.y - ty, d.width, d.height), ImageColor(),
                          drawMode);
}

void Graphics::DrawImageMirror(Image* image, const Rect& destRect, const Rect& srcRect, bool mirror)
{
    if (!mirror)
    {
        DrawImage(image, destRect, srcRect);
        return;
    }
    if (image == nullptr)
        return;
    destImage->StretchBlitMirror(image, Rect(TX(destRect.x), TY(destRect.y), destRect.width, destRect.height),
                                 srcRect, clipRect, ImageColor(), drawMode, fastStretch);
}

void Graphics::DrawImageFloat(Image* image, float x, float y)
{
    if (image == nullptr)
        return;
    destImage->BlitFloat(image, transX + x, transY + y, Rect(0, 0, image->GetWidth(), image->GetHeight()), clipRect,
                         ImageColor(), drawMode);
}

void Graphics::DrawImageRotated(Image* image, float x, float y, double angle, float centerX, float centerY)
{
    if (image == nullptr)
        return;
    DrawImageRotated(image, x, y, angle, centerX, centerY, Rect(0, 0, image->GetWidth(), image->GetHeight()));
}

void Graphics::DrawImageRotated(Image* image, float x, float y, double angle, float centerX, float centerY,
                                const Rect& srcRect)
{
    if (image == nullptr)
        return;
    destImage->BlitRotated(image, transX + x, transY + y, srcRect, clipRect, ImageColor(), drawMode, angle, centerX,
                           centerY);
}

void Graphics::DrawImageCell(Image* image, int x, int y, int cel)
{
    if (image != nullptr)
        DrawImage(image, x, y, image->GetCelRect(cel));
}

void Graphics::DrawImageCell(Image* image, int x, int y, int column, int row)
{
    if (image != nullptr)
        DrawImage(image, x, y, image->GetCelRect(column, row));
}

void Graphics::DrawImageCell(Image* image, const Rect& destRect, int cel)
{
    if (image == nullptr)
        return;
    Rect src = image->GetCelRect(cel);
    if (!src.IsEmpty())
        DrawImage(image, destRect, src);
}

void Graphics::DrawImageCell(Image* image, const Rect& destRect, int column, int row)
{
    if (image == nullptr)
        return;
    Rect src = image->GetCelRect(column, row);
    if (!src.IsEmpty())
        DrawImage(image, destRect, src);
}

void Graphics::DrawImageFrame(const Rect& destRect, Image* image)
{
    if (image != nullptr)
        DrawImageFrame(Rect(0, 0, image->GetWidth(), image->GetHeight()), destRect, image);
}

void Graphics::DrawImageFrame(const Rect& src, const Rect& dest, Image* image)
{
    if (image == nullptr || src.IsEmpty())
        return;
    const int cw = src.width / 3, ch = src.height / 3;
    const int mw = src.width - 2 * cw, mh = src.height - 2 * ch; // >= 1 for a non-empty source
    const int right = dest.x + dest.width - cw, bottom = dest.y + dest.height - ch;
    const int srcRight = src.x + src.width - cw, srcBottom = src.y + src.height - ch;

    if (cw > 0 && ch > 0)
    {
        DrawImage(image, dest.x, dest.y, Rect(src.x, src.y, cw, ch));
        DrawImage(image, right, dest.y, Rect(srcRight, src.y, cw, ch));
        DrawImage(image, dest.x, bottom, Rect(src.x, srcBottom, cw, ch));
        DrawImage(image, right, bottom, Rect(srcRight, srcBottom, cw, ch));
    }
    // Edges and centre are tiled unscaled; partial tiles are cut by a clip to the inner area.
    const int across = (dest.width + mw - 2 * cw - 1) / mw;
    const int down = (dest.height + mh - 2 * ch - 1) / mh;
    if (ch > 0)
    {
        Graphics g(*this);
        g.ClipRect(dest.x + cw, dest.y, dest.width - 2 * cw, dest.height);
        for (int i = 0; i < across; i++)
        {
            g.DrawImage(image, dest.x + cw + i * mw, dest.y, Rect(src.x + cw, src.y, mw, ch));
            g.DrawImage(image, dest.x + cw + i * mw, bottom, Rect(src.x + cw, srcBottom, mw, ch));
        }
    }
    if (cw > 0)
    {
        Graphics g(*this);
        g.ClipRect(dest.x, dest.y + ch, dest.width, dest.height - 2 * ch);
        for (int j = 0; j < down; j++)
        {
            g.DrawImage(image, dest.x, dest.y + ch + j * mh, Rect(src.x, src.y + ch, cw, mh));
            g.DrawImage(image, right, dest.y + ch + j * mh, Rect(srcRight, src.y + ch, cw, mh));
        }
    }
    Graphics g(*this);
    g.ClipRect(dest.x + cw, dest.y + ch, dest.width - 2 * cw, dest.height - 2 * ch);
    for (int j = 0; j < down; j++)
    {
        for (int i = 0; i < across; i++)
            g.DrawImage(image, dest.x + cw + i * mw, dest.y + ch + j * mh, Rect(src.x + cw, src.y + ch, mw, mh));
    }
}

int Graphics::DrawText(const std::string& text, int x, int y, int width, int justification, bool drawString,
                       int offset, int length, int oldColor)
{
    if (font == nullptr)
        return 0;
    if (oldColor == -1)
        oldColor = static_cast<int>(color.ToRGB());
    if (drawString && justification != JustifyLeft)
    {
        int measured = DrawText(text, x, y, width, JustifyLeft, false, offset, length, oldColor);
        x += justification == JustifyCenter ? (width - measured) / 2 : width - measured;
    }
    const size_t size = text.size();
    const size_t start = std::min(size, static_cast<size_t>(std::max(offset, 0)));
    const size_t end = (length < 0 || start + static_cast<size_t>(length) > size) ? size : start + length;

    int total = 0;
    std::string piece;
    auto flush = [&]() {
        if (piece.empty())
            return;
        if (drawString)
            font->DrawString(this, x + total, y, piece, color, clipRect);
        total += font->StringWidth(piece);
        piece.clear();
    };
    for (size_t i = start; i < end; i++)
    {
        const char ch = text[i];
        if (ch != '^' || !writeColoredString)
        {
            piece += ch;
            continue;
        }
        if (i + 1 < end && text[i + 1] == '^')
        {
            piece += '^';
            i++;
            continue;
        }
        if (end - i < 8)
            break; // a code cut short ends the text
        flush();
        Color next;
        if (IsOldColorCode(text, i))
        {
            next = Color::FromARGB(static_cast<uint32_t>(oldColor));
        }
        else
        {
            uint32_t rgb = 0;
            for (size_t k = 1; k <= 6; k++)
                rgb = (rgb << 4) | static_cast<uint32_t>(HexDigit(text[i + k]));
            next = Color::FromARGB(rgb);
        }
        next.alpha = color.alpha;
        // Measuring leaves the colour alone, so a measured pass never tints the text drawn after it.
        if (drawString)
            color = next;
        i += 7;
    }
    flush();
    return total;
}

int Graphics::WrappedText(const Rect& rect, const std::string& text, int lineSpacing, int justification,
                          int* maxWidth, int length, int* lastWidth, bool draw)
{
    if (font == nullptr)
    {
        if (maxWidth)
            *maxWidth = 0;
        if (lastWidth)
            *lastWidth = 0;
        return 0;
    }
    const Color savedColor = color;
    const int oldColor = static_cast<int>(color.ToRGB());
    if (lineSpacing == -1)
        lineSpacing = font->LineSpacing();
    const size_t end = (length < 0 || static_cast<size_t>(length) > text.size()) ? text.size() : size_t(length);
    int baseline = rect.y + font->Ascent() - font->AscentPadding();
    int widest = 0, lineWidth = 0;

    auto emit = [&](size_t from, size_t to) {
        const int count = static_cast<int>(to - from);
        lineWidth = DrawText(text, rect.x, baseline, rect.width, JustifyLeft, false, static_cast<int>(from), count,
                             oldColor);
        if (draw)
            DrawText(text, rect.x, baseline, rect.width, justification, true, static_cast<int>(from), count, oldColor);
        widest = std::max(widest, lineWidth);
        baseline += lineSpacing;
    };

    size_t lineStart = 0, i = 0;
    size_t spacePos = std::string::npos;
    int curWidth = 0;
    char prev = '\0';
    while (i < end)
    {
        char ch = text[i];
        size_t step = 1;
        if (ch == '^' && writeColoredString)
        {
            if (i + 1 < end && text[i + 1] == '^')
            {
                step = 2; // a literal caret, measured like any character
            }
            else
            {
                i += 8; // colour codes take no width
                continue;
            }
        }
        if (ch == '\n')
        {
            emit(lineStart, i);
            lineStart = ++i;
            spacePos = std::string::npos;
            curWidth = 0;
            prev = '\0';
            continue;
        }
        if (ch == ' ')
            spacePos = i;
        const int w = font->CharWidthKern(ch, prev);
        if (curWidth + w > rect.width && i > lineStart)
        {
            size_t next;
            if (spacePos != std::string::npos && spacePos >= lineStart)
            {
                // Spaces before the break belong to neither line.
                size_t lineEnd = spacePos;
                while (lineEnd > lineStart && text[lineEnd - 1] == ' ')
                    lineEnd--;
                emit(lineStart, lineEnd);
                next = spacePos + 1;
            }
            else
            {
                emit(lineStart, i);
                next = i;
            }
            while (next < end && text[next] == ' ')
                next++;
            lineStart = i = next;
            spacePos = std::string::npos;
            curWidth = 0;
            prev = '\0';
            continue;
        }
        // A character wider than the box on an empty line stays there on its own line.
        curWidth += w;
        prev = ch;
        i += step;
    }
    emit(lineStart, end);
    color = savedColor;
    if (maxWidth)
        *maxWidth = widest;
    if (lastWidth)
        *lastWidth = lineWidth;
    return baseline + font->Descent() - lineSpacing;
}

int Graphics::DrawWrappedText(const Rect& rect, const std::string& text, int lineSpacing, int justification,
                              int* maxWidth, int length, int* lastWidth)
{
    return WrappedText(rect, text, lineSpacing, justification, maxWidth, length, lastWidth, true);
}

int Graphics::WrappedTextHeight(int width, const std::string& text, int lineSpacing)
{
    Graphics scratch;
    scratch.font = font;
    scratch.writeColoredString = writeColoredString;
    return scratch.WrappedText(Rect(0, 0, width, 0), text, lineSpacing, JustifyLeft, nullptr, -1, nullptr, false);
}

} // namespace zest
