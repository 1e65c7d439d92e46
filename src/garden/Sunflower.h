// A sunflower: resting on it opens the mini flowers, second pansies and trumpets of its group for a while; it gives no
// nectar. Made and deleted by its Level as the view moves; main thread.
#pragma once

#include "garden/Flower.h"

namespace tibble
{

class Sunflower : public Flower
{
public:
    Sunflower(Level* level, MapObject* record);

    void update() override;
    void release() override;
};

} // namespace tibble
