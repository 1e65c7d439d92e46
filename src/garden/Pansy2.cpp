#include "garden/Pansy2.h"

#include "game/Res.h"
#include "garden/FlowerGroup.h"
#include "garden/MapObject.h"

namespace tibble
{

namespace
{
constexpr int Closed = 4;
constexpr int Opening = 5;
} // namespace

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
    switch (state)
    {
    case Closed:
        if (Group().timer > 0)
        {
            state = Opening;
            finished = false;
            SetScript(2);
        }
        break;
    case Opening:
        if (finished)
            state = Ready;
        break;
    default:
        Flower::update();
        break;
    }
}

void Pansy2::release()
{
    Drain(3);
}

} // namespace tibble
