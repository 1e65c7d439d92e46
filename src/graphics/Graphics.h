// The drawing context a widget receives in Draw: a destination image plus a GraphicsState, turning
// requests in the widget's own coordinates into clipped requests on the image. Cheap to copy (the
// state stack is not copied); lives for one draw call; main thread.
#pragma once

#include "graphics/GraphicsState.h"

#include <memory>
#include <string>
#include <vector>

namespace zest
{

class Graphics : public GraphicsState
{
public:
    // Text justification for DrawText / DrawWrappedText.
    static constexpr int JustifyLeft = -1;
    static constexpr int JustifyCenter = 0;
    static constexpr int JustifyRight = 1;

    // destImage none: a shared empty image, so drawing does nothing.
    explicit Graphics(Image* destImage = nullptr);
    // Copies the state, not the stack.
    Graphics(const Graphics& other);
    Graphics& operator=(const Graphics& other);
    virtual ~Graphics() = default;

    // A heap copy of this context (state only).
    std::unique_ptr<Graphics> Create() const;

    void SaveState();
    // Back to the last saved state; nothing when none is saved.
    void RestoreState();

    void SetFont(Font* newFont) { font = newFont; }
    Font* GetFont() const { return font; }
    void SetColor(const Color& newColor) { color = newColor; }
    const Color& GetColor() const { return color; }
    void SetDrawMode(int mode) { drawMode = mode; }
    int GetDrawMode() const { return drawMode; }
    void SetColorize(bool on) { colorizeImages = on; }
    bool GetColorize() const { return colorizeImages; }
    void SetFastStretch(bool on) { fastStretch = on; }
    void SetLinearBlend(bool on) { linearBlend = on; }
    Image* GetDestImage() const { return destImage; }
    const Rect& GetClipRect() const { return clipRect; }

    void Translate(int x, int y);
    void TranslateFloat(float x, float y);
    // clip := clip ∩ the translated rectangle (clipping only ever shrinks).
    void ClipRect(int x, int y, int width, int height);
    void ClipRect(const Rect& rect) { ClipRect(rect.x, rect.y, rect.width, rect.height); }

    void FillRect(int x, int y, int width, int height);
    void FillRect(const Rect& rect) { FillRect(rect.x, rect.y, rect.width, rect.height); }
    // Outline covering (width + 1) x (height + 1) pixels.
    void DrawRect(int x, int y, int width, int height);
    void DrawRect(const Rect& rect) { DrawRect(rect.x, rect.y, rect.width, rect.height); }
    void DrawLine(int x1, int y1, int x2, int y2);
    // y is the baseline; nothing without a font.
    void DrawString(const std::string& text, int x, int y);

    void DrawImage(Image* image, int x, int y);
    // Only when srcRect lies inside the image.
    void DrawImage(Image* image, int x, int y, const Rect& srcRect);
    // The whole image stretched to width x height.
    void DrawImage(Image* image, int x, int y, int width, int height);
    void DrawImage(Image* image, const Rect& destRect, const Rect& srcRect);
    // Horizontally mirrored when mirror is true; otherwise the plain forms.
    void DrawImageMirror(Image* image, int x, int y, const Rect& srcRect, bool mirror = true);
    void DrawImageMirror(Image* image, const Rect& destRect, const Rect& srcRect, bool mirror = true);
    void DrawImageFloat(Image* image, float x, float y);
    // The image (or srcRect) placed with its top-left at (x, y), then turned by angle (radians,
    // counter-clockwise) about its point (centerX, centerY), which stays at (x + centerX, y + centerY).
    void DrawImageRotated(Image* image, float x, float y, double angle, float centerX, float centerY);
    void DrawImageRotated(Image* image, float x, float y, double angle, float centerX, float centerY,
                          const Rect& srcRect);
    // Cels count left to right, then top to bottom; a cel outside the grid draws nothing.
    void DrawImageCell(Image* image, int x, int y, int cel);
    void DrawImageCell(Image* image, int x, int y, int column, int row);
    void DrawImageCell(Image* image, const Rect& destRect, int cel);
    void DrawImageCell(Image* image, const Rect& destRect, int column, int row);
    // Nine-part frame: corners unscaled, edges and centre tiled (never stretched).
    void DrawImageFrame(const Rect& destRect, Image* image);
    void DrawImageFrame(const Rect& srcRect, const Rect& destRect, Image* image);

    // Draws (or only measures, drawString false) text with colour codes; justification across width.
    // offset / length select characters (length -1: to the end); oldColor 0xRRGGBB for ^oldclr^,
    // -1 = the current colour. Returns the width in pixels.
    int DrawText(const std::string& text, int x, int y, int width = 0, int justification = JustifyLeft,
                 bool drawString = true, int offset = 0, int length = -1, int oldColor = -1);
    // Word-wrapped text inside rect.width; lineSpacing -1 = the font's. Reports the widest line through
    // maxWidth and the last line's width through lastWidth (either may be null). Returns the height used.
    int DrawWrappedText(const Rect& rect, const std::string& text, int lineSpacing = -1,
                        int justification = JustifyLeft, int* maxWidth = nullptr, int length = -1,
                        int* lastWidth = nullptr);
    // The height DrawWrappedText would use, without drawing.
    int WrappedTextHeight(int width, const std::string& text, int lineSpacing = -1);

private:
    int WrappedText(const Rect& rect, const std::string& text, int lineSpacing, int justification, int* maxWidth,
                    int length, int* lastWidth, bool draw);
    Color ImageColor() const { return colorizeImages ? color : Color::White; }
    int TX(int x) const { return static_cast<int>(transX + static_cast<float>(x)); }
    int TY(int y) const { return static_cast<int>(transY + static_cast<float>(y)); }

    std::vector<GraphicsState> stateStack;
};

} // namespace zest
