#include "garden/MiniFlower.h"

#include "game/Res.h"
#include "garden/FlowerGroup.h"
#include "garden/MapObject.h"

namespace tibble
{

namespace
{
constexpr int Closed = 4;
constexpr int Opening = 5;
constexpr int Closing = 6;
} // namespace

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
    switch (state)
    {
    case Ready:
        if (Group().timer > 0)
        {
            Flower::update();
        }
        else
        {
            SetScript(4);
            finished = false;
            state = Closing;
        }
        break;
    case Closed:
        if (Group().timer >= 1)
        {
            SetScript(2);
            finished = false;
            state = Opening;
        }
        break;
    case Opening:
        if (finished)
            state = Ready;
        break;
    case Closing:
        if (finished)
            state = Closed;
        break;
    default:
        // A bee on its way or feeding keeps the flower open whatever the group's timer does.
        Flower::update();
        break;
    }
}

void MiniFlower::release()
{
    Drain(3);
}

} // namespace tibble
