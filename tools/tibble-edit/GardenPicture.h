// A picture of a whole level as the game draws it: the garden's own Level is built from the level and its
// views are drawn one screen at a time (auto-tiled hedges, objects in their first look, hoses at their angle)
// into one image, at full size or, for a level too large to keep whole, at a half or a quarter. Owned by the
// editor's canvas; main thread (the game's images are needed).
#pragma once

#include "LevelState.h"

#include <memory>
#include <string>

namespace zest
{
class MemoryImage;
}

namespace tibble::edit
{

class GardenPicture
{
public:
    // Largest picture kept, in pixels.
    static constexpr long MaxPixels = 16L * 1024 * 1024;

    GardenPicture();
    ~GardenPicture();

    // Draws state again; false with error when the garden could not be built.
    bool Render(const LevelState& state, int levelIndex, std::string* error = nullptr);

    // The picture (none before the first Render) and how many level pixels one of its pixels covers.
    zest::MemoryImage* Picture() const { return picture.get(); }
    int Divisor() const { return divisor; }

private:
    std::unique_ptr<zest::MemoryImage> picture;
    std::unique_ptr<zest::MemoryImage> view;
    int divisor = 1;
};

} // namespace tibble::edit
