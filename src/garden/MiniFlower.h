// A small nectar flower, open while its group's timer runs (a sunflower of the group starts it).
// Made and deleted by its Level as the view moves; main thread.
#pragma once

#include "garden/Flower.h"

namespace tibble
{

class MiniFlower : public Flower
{
public:
    MiniFlower(Level* level, MapObject* record);

    void update() override;
    void release() override;
};

} // namespace tibble
