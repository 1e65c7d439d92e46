#include "garden/RedRose.h"

#include "garden/Res.h"
#include "garden/FlowerGroup.h"
#include "garden/MapObject.h"

namespace tibble
{

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
    UpdateOpenClose((Group().kind & FlowerGroup::KindTopBit) != 0, 16, 17);
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
