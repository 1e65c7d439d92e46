// A golden hive: hidden until its group's last nectar flower is drained, then bobbing until the bee collects it.
// Made and deleted by its Level as the view moves; main thread.
#pragma once

#include "garden/Flower.h"

namespace tibble
{

// Pixels added to a hive's resting y, one entry per 4 updates.
extern const int HiveBobTable[16];

class Hive : public Flower
{
public:
    Hive(Level* level, MapObject* record);

    void update() override;
    // Shown when its group is revealed.
    void Reveal();

    int restingY = 0;
};

} // namespace tibble
