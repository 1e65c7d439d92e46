#include "garden/Rose.h"

#include "garden/Res.h"
#include "garden/FlowerGroup.h"
#include "garden/MapObject.h"

namespace tibble
{

Rose::Rose(Level* owner, MapObject* mapRecord) : Flower(owner, IMAGE_ROSE, mapRecord), order(mapRecord->state)
{
    if (order < 0)
    {
        state = Occupied;
        SetScript(15);
    }
    else if (Group().kind == order)
    {
        state = Ready;
        SetScript(16); // plays the opening
    }
    else
    {
        state = Closed;
        SetScript(0);
    }
}

void Rose::update()
{
    UpdateOpenClose(Group().kind == order, 16, -1);
}

void Rose::release()
{
    // In a rose group the kind byte counts the roses drained so far.
    Group().kind++;
    Drain(15);
}

void Rose::draw(zest::Graphics& g)
{
    DrawTinted(g, zest::Color(255, 255, 0));
}

} // namespace tibble
