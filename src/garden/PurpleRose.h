// A purple nectar rose, always open until drained.
// Made and deleted by its Level as the view moves; main thread.
#pragma once

#include "garden/Flower.h"

namespace tibble
{

class PurpleRose : public Flower
{
public:
    PurpleRose(Level* level, MapObject* record);

    void release() override;
    void draw(zest::Graphics& g) override;
};

} // namespace tibble
