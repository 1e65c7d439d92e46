// A trumpet: carries the bee to its linked partner, lets it out of the level (param 1, the exit), or is the start
// trumpet (param -1). Made and deleted by its Level as the view moves; main thread.
#pragma once

#include "garden/Flower.h"
#include "base/Color.h"

namespace tibble
{

class Trumpet : public Flower
{
public:
    Trumpet(Level* level, MapObject* record);

    void update() override;
    void release() override;
    void draw(zest::Graphics& g) override;

    zest::Color tint;
};

} // namespace tibble
