#include "garden/Flower.h"

#include "garden/Bee.h"
#include "garden/Level.h"
#include "garden/MapObject.h"
#include "graphics/Graphics.h"

#include <cmath>

namespace tibble
{

Flower::Flower(Level* owner, zest::Image* sprite, MapObject* mapRecord, int centreOffset)
    : Agent(owner, sprite, mapRecord->x, mapRecord->y)
{
    record = mapRecord;
    param = mapRecord->param;
    state = Ready;
    centreX = static_cast<float>(x + centreOffset);
    centreY = static_cast<float>(y + centreOffset);
    SetScript(0);
}

float Flower::BeeDX() const
{
    return level->GetBee().centreX - centreX;
}

float Flower::BeeDY() const
{
    return level->GetBee().centreY - centreY;
}

float Flower::BeeDistanceSquared() const
{
    const float dx = BeeDX();
    const float dy = BeeDY();
    return dx * dx + dy * dy;
}

FlowerGroup& Flower::Group() const
{
    return level->Group(param);
}

void Flower::PullBee(float factor)
{
    // -atan2(dx, dy) points from the bee to the centre (0 up, clockwise).
    level->GetBee().Push(-std::atan2(BeeDX(), BeeDY()), factor * BeeDistanceSquared());
}

void Flower::update()
{
    Bee& bee = level->GetBee();
    const float d2 = BeeDistanceSquared();
    switch (state)
    {
    case Ready:
        if (d2 < 4096 && bee.vx * bee.vx + bee.vy * bee.vy < 9 && bee.TryLand(this))
        {
            state = BeeComing;
            return;
        }
        if (d2 < 16384 && bee.pushable)
            PullBee(0.1f);
        break;
    case BeeComing:
        if (d2 < 1024)
        {
            bee.StartLanding(*this);
            state = Occupied;
            timer = 1;
            return;
        }
        PullBee(0.05f);
        break;
    case RestingAfterUse:
    {
        const int old = timer--;
        if (old == 1 || d2 > 16384)
            state = Ready;
        break;
    }
    default:
        break;
    }
}

void Flower::release()
{
    state = RestingAfterUse;
}

void Flower::Drain(int wiltedScript)
{
    record->state = -1;
    FlowerGroup& group = Group();
    group.count--;
    if (group.count == 0)
        level->RevealHives(param);
    state = Occupied;
    SetScript(wiltedScript);
}

void Flower::UpdateOpenClose(bool open, int openScript, int closeScript)
{
    switch (state)
    {
    case Ready:
        if (open || closeScript < 0)
        {
            Flower::update();
        }
        else
        {
            state = Closing;
            finished = false;
            SetScript(closeScript);
        }
        break;
    case Closed:
        if (open)
        {
            state = Opening;
            finished = false;
            SetScript(openScript);
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
        // A bee on its way or feeding keeps the flower open whatever its condition does.
        Flower::update();
        break;
    }
}

void Flower::DrawTinted(zest::Graphics& g, const zest::Color& tint)
{
    g.SetColorize(true);
    g.SetColor(tint);
    Agent::draw(g);
    g.SetColorize(false);
}

} // namespace tibble
