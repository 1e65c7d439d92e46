#include "garden/PurpleRose.h"

#include "garden/Res.h"
#include "garden/MapObject.h"

namespace tibble
{

PurpleRose::PurpleRose(Level* owner, MapObject* mapRecord) : Flower(owner, IMAGE_ROSE, mapRecord)
{
    if (mapRecord->state < 0)
    {
        state = Occupied;
        SetScript(15);
    }
    else
    {
        state = Ready;
        SetScript(25);
    }
}

void PurpleRose::release()
{
    Drain(15);
}

void PurpleRose::draw(zest::Graphics& g)
{
    DrawTinted(g, zest::Color(255, 68, 255));
}

} // namespace tibble
