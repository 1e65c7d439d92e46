#include "garden/Pansy.h"

#include "game/Res.h"
#include "garden/MapObject.h"

namespace tibble
{

namespace
{
constexpr int Closed = 4;
constexpr int Opening = 5;
constexpr int Closing = 6;
constexpr float NearSquared = 16384; // 128 pixels
} // namespace

Pansy::Pansy(Level* owner, MapObject* mapRecord) : Flower(owner, IMAGE_PANSY, mapRecord, 24)
{
    if (mapRecord->state < 0)
    {
        state = Occupied;
        SetScript(3);
    }
    else
    {
        state = Closed;
        SetScript(0);
    }
}

void Pansy::update()
{
    switch (state)
    {
    case Ready:
        if (BeeDistanceSquared() > NearSquared)
        {
            state = Closing;
            finished = false;
            SetScript(4);
        }
        else
        {
            Flower::update();
        }
        break;
    case Closed:
        if (BeeDistanceSquared() < NearSquared)
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
    case Closing:
        if (finished)
            state = Closed;
        break;
    default:
        Flower::update();
        break;
    }
}

void Pansy::release()
{
    Drain(3);
}

} // namespace tibble
