// The second pansy kind: opened by its group's sunflower, then open for good.
// Made and deleted by its Level as the view moves; main thread.
#pragma once

#include "garden/Flower.h"

namespace tibble
{

class Pansy2 : public Flower
{
public:
    Pansy2(Level* level, MapObject* record);

    void update() override;
    void release() override;
};

} // namespace tibble
