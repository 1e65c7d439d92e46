// A fly trap: swallows a bee that comes within 24 pixels, chews for 300 updates and spits it out along its param in
// degrees. Made and deleted by its Level as the view moves; main thread.
#pragma once

#include "garden/Flower.h"

namespace tibble
{

class FlyTrap : public Flower
{
public:
    FlyTrap(Level* level, MapObject* record);

    void update() override;
};

} // namespace tibble
