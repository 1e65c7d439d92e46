// A red nectar rose, open while its group's cycling timer has the top bit of the kind set (500 updates each way).
// Made and deleted by its Level as the view moves; main thread.
#pragma once

#include "garden/Flower.h"

namespace tibble
{

class RedRose : public Flower
{
public:
    RedRose(Level* level, MapObject* record);

    void update() override;
    void release() override;
    void draw(zest::Graphics& g) override;
};

} // namespace tibble
