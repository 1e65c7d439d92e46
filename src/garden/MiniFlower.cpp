#include "garden/MiniFlower.h"

#include "garden/Res.h"
#include "garden/FlowerGroup.h"
#include "garden/MapObject.h"

namespace tibble
{

MiniFlower::MiniFlower(Level* owner, MapObject* mapRecord) : Flower(owner, IMAGE_MINIFLOWER, mapRecord, 24)
{
    if (mapRecord->state < 0)
    {
        state = Occupied;
        SetScript(3);
    }
    else if (Group().timer > 0)
    {
        state = Ready;
        SetScript(25);
    }
    else
    {
        state = Closed;
        SetScript(0);
    }
}

void MiniFlower::update()
{
    UpdateOpenClose(Group().timer > 0, 2, 4);
}

void MiniFlower::release()
{
    Drain(3);
}

} // namespace tibble
