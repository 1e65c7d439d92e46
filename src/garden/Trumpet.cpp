#include "garden/Trumpet.h"

#include "garden/Res.h"
#include "garden/FlowerGroup.h"
#include "garden/Level.h"
#include "garden/MapObject.h"

namespace tibble
{

namespace
{
constexpr int OpenForStart = 6;
constexpr int ClosedForGood = 7;
constexpr int StartParam = -1;
constexpr int ExitParam = 1;
} // namespace

Trumpet::Trumpet(Level* owner, MapObject* mapRecord) : Flower(owner, IMAGE_TRUMPET, mapRecord), tint(170, 170, 255)
{
    if (param == StartParam)
    {
        tint = zest::Color(170, 255, 170);
        if (mapRecord->state != 0)
        {
            SetScript(0);
            state = ClosedForGood;
        }
        else
        {
            // Plays its opening once; a respawn here sets the record back to 0.
            SetScript(23);
            state = OpenForStart;
            timer = 200;
            mapRecord->state = 1;
        }
        return;
    }
    if (param == ExitParam)
        tint = zest::Color(255, 136, 136);
    if (param != 0)
    {
        if (Group().timer != 0)
        {
            state = Ready;
            SetScript(23);
        }
        else
        {
            state = Closed;
            SetScript(0);
        }
    }
}

void Trumpet::update()
{
    switch (state)
    {
    case Closed:
        if (Group().timer != 0)
        {
            state = Opening;
            finished = false;
            SetScript(5);
            delay = 12;
        }
        break;
    case Opening:
        if (finished)
            state = Ready;
        break;
    case OpenForStart:
        if (--timer <= 0)
        {
            SetScript(24);
            state = ClosedForGood;
        }
        break;
    case ClosedForGood:
        break;
    default:
        if (param == StartParam)
        {
            // The start trumpet is never landed on. It only waits for the bee to come out; should the
            // bee be blown away before it does, the trumpet closes instead of becoming a feeding place.
            if (state == RestingAfterUse)
            {
                Flower::update();
                if (state == Ready)
                {
                    SetScript(24);
                    state = ClosedForGood;
                }
            }
            break;
        }
        Flower::update();
        break;
    }
}

void Trumpet::release()
{
    level->SetCheckpoint(record);
    if (param == StartParam)
    {
        SetScript(23);
        state = OpenForStart;
        timer = 200;
    }
}

void Trumpet::draw(zest::Graphics& g)
{
    DrawTinted(g, tint);
}

} // namespace tibble
