#include "garden/RedRose.h"

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

RedRose::RedRose(Level* owner, MapObject* mapRecord) : Flower(owner, IMAGE_ROSE, mapRecord)
{
    if (mapRecord->state < 0)
    {
        state = Occupied;
        SetScript(15);
    }
    else if (Group().kind & FlowerGroup::KindTopBit)
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

void RedRose::update()
{
    const bool open = (Group().kind & FlowerGroup::KindTopBit) != 0;
    switch (state)
    {
    case Ready:
        if (open)
        {
            Flower::update();
        }
        else
        {
            state = Closing;
            SetScript(17);
            finished = false;
        }
        break;
    case Closed:
        if (open)
        {
            state = Opening;
            SetScript(16);
            finished = false;
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

void RedRose::release()
{
    Drain(15);
}

void RedRose::draw(zest::Graphics& g)
{
    DrawTinted(g, zest::Color(255, 0, 0));
}

} // namespace tibble
