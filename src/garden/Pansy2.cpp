#include "garden/Pansy2.h"

#include "garden/Res.h"
#include "garden/FlowerGroup.h"
#include "garden/MapObject.h"

namespace tibble
{

Pansy2::Pansy2(Level* owner, MapObject* mapRecord) : Flower(owner, IMAGE_PANSY2, mapRecord, 24)
{
    if (mapRecord->state < 0)
    {
        state = Occupied;
        SetScript(3);
    }
    else if (Group().timer != 0)
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

void Pansy2::update()
{
    UpdateOpenClose(Group().timer > 0, 2, -1);
}

void Pansy2::release()
{
    Drain(3);
}

} // namespace tibble
