// A tomato that swells as the bee nears, then bursts and blows the bee away wherever it is.
// Made and deleted by its Level as the view moves; main thread.
#pragma once

#include "garden/Flower.h"

namespace tibble
{

class Tomato : public Flower
{
public:
    Tomato(Level* level, MapObject* record);

    void update() override;
    void draw(zest::Graphics& g) override;

    float scale = 1.0f;
};

} // namespace tibble
