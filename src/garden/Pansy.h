// A nectar pansy that opens while the bee is within 128 pixels.
// Made and deleted by its Level as the view moves; main thread.
#pragma once

#include "garden/Flower.h"

namespace tibble
{

class Pansy : public Flower
{
public:
    Pansy(Level* level, MapObject* record);

    void update() override;
    void release() override;
};

} // namespace tibble
