// The drawing state a Graphics context carries: destination, translation, clip, colour, font, draw
// mode and switches. A plain value, copied between contexts and onto the state stack.
#pragma once

#include "base/Color.h"
#include "graphics/Image.h"

namespace zest
{

class Font;

struct GraphicsState
{
    Image* destImage = nullptr; // not owned; never null inside a Graphics
    float transX = 0;
    float transY = 0;
    Rect clipRect;              // destination-image pixels
    Color color;                // opaque black
    Font* font = nullptr;       // not owned
    int drawMode = DrawModeNormal;
    bool colorizeImages = false;    // images are multiplied by color when drawn
    bool fastStretch = false;       // stretched drawing may skip filtering
    bool writeColoredString = true; // text interprets ^RRGGBB^ and ^oldclr^ colour codes
    bool linearBlend = false;       // the back end may filter
    bool is3D = false;              // destination is a display drawn through a 3-D renderer
};

} // namespace zest
