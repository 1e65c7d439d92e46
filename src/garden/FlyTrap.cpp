#include "garden/FlyTrap.h"

#include "garden/Res.h"
#include "garden/Bee.h"
#include "garden/Level.h"

namespace tibble
{

namespace
{
constexpr int Waiting = 0;
constexpr int Chewing = 1;
constexpr int Digesting = 2;
} // namespace

FlyTrap::FlyTrap(Level* owner, MapObject* mapRecord) : Flower(owner, IMAGE_FLYTRAP, mapRecord)
{
    SetScript(22);
}

void FlyTrap::update()
{
    Bee& bee = level->GetBee();
    switch (state)
    {
    case Waiting:
    {
        const float d2 = BeeDistanceSquared();
        if (d2 < 4096)
        {
            SetScript(6); // jaws open, then back to the base script
            if (bee.pushable)
                PullBee(0.1f);
        }
        else
        {
            baseScript = 22;
        }
        if (d2 < 576)
        {
            timer = 300;
            state = Chewing;
            bee.Caught(this);
            SetScript(7);
        }
        break;
    }
    case Chewing:
        if (--timer <= 0)
        {
            state = Digesting;
            bee.SpitOut(*this);
            SetScript(6);
            timer = 300;
            level->GetHost().PlaySound(SOUND_BURP);
        }
        break;
    case Digesting:
        if (--timer <= 0)
        {
            state = Waiting;
            SetScript(22);
        }
        break;
    default:
        break;
    }
}

} // namespace tibble
