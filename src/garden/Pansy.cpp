#include "garden/Pansy.h"

#include "garden/Res.h"
#include "garden/MapObject.h"

namespace tibble
{

namespace
{
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
    // Opens inside the distance and closes only beyond it.
    const float d2 = BeeDistanceSquared();
    UpdateOpenClose(state == Closed ? d2 < NearSquared : d2 <= NearSquared, 2, 4);
}

void Pansy::release()
{
    Drain(3);
}

} // namespace tibble
