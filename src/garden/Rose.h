// A yellow nectar rose that opens in its group's order: order n opens once n roses of the group are drained.
// Made and deleted by its Level as the view moves; main thread.
#pragma once

#include "garden/Flower.h"

namespace tibble
{

class Rose : public Flower
{
public:
    Rose(Level* level, MapObject* record);

    void update() override;
    void release() override;
    void draw(zest::Graphics& g) override;

    int order = 0; // opening order (the record's fifth field)
};

} // namespace tibble
