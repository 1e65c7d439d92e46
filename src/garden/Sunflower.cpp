#include "garden/Sunflower.h"

#include "garden/Res.h"
#include "garden/FlowerGroup.h"

namespace tibble
{

Sunflower::Sunflower(Level* owner, MapObject* mapRecord) : Flower(owner, IMAGE_FLOWER, mapRecord) {}

void Sunflower::update()
{
    // The update after the bee started landing opens the group.
    if (state == Occupied && timer == 1)
    {
        timer = 0;
        Group().timer = 1000;
        return;
    }
    Flower::update();
}

void Sunflower::release()
{
    // Usable again after 1000 updates, or as soon as the bee is more than 128 pixels away.
    state = RestingAfterUse;
    timer = 1000;
}

} // namespace tibble
