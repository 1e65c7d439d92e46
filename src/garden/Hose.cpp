#include "garden/Hose.h"

#include "garden/Res.h"
#include "garden/Bee.h"
#include "garden/Level.h"
#include "garden/MapObject.h"
#include "garden/Particle.h"
#include "graphics/Graphics.h"

#include <cmath>

namespace tibble
{

namespace
{
constexpr double Pi = 3.141592654;
constexpr double TwoPi = 6.283185308;
// SprayHalfAngle in radians, kept as the literal the garden has always used: a value computed from the degrees
// differs in the last bits and would move the bee differently.
constexpr double ConeHalfAngle = 0.3839724354888889;
static_assert(ConeHalfAngle > Hose::SprayHalfAngle * Pi / 180 - 1e-6 &&
              ConeHalfAngle < Hose::SprayHalfAngle * Pi / 180 + 1e-6);
constexpr float Range = Hose::SprayReach;
constexpr int GrabDistanceSquared = 1600; // 40 pixels
} // namespace

Hose::Hose(Level* owner, MapObject* mapRecord) : Agent(owner, IMAGE_HOSE, mapRecord->x, mapRecord->y)
{
    record = mapRecord;
    param = mapRecord->param;
    drawLayer = 1;
    angle = static_cast<float>(param * Pi / 180);
    // 30 pixels along the body, opposite the spray.
    grabX = x + static_cast<int>(std::sin(-angle) * 30);
    grabY = y + static_cast<int>(std::cos(-angle) * 30);
    spraySector = SectorOf(angle);
}

Hose::~Hose()
{
    if (level->GetHeldHose() == this)
        level->SetHeldHose(nullptr);
}

int Hose::SectorOf(float a)
{
    // The float angle is compared in double precision, as the thresholds are given.
    const double value = a;
    if (value < 0.7853981635)
        return 8;
    if (value < 2.3561944905)
        return 1;
    if (value < 3.9269908175)
        return 2;
    if (value < 5.4977871445)
        return 4;
    return 8;
}

bool Hose::ConeHits(float a, float dx, float dy)
{
    const float r = std::sqrt(dx * dx + dy * dy);
    // Within the bee's radius of the pivot the arcsine has no value.
    if (!(r < Range) || r < 24)
        return false;
    const double half = std::asin(24.0f / r);
    const double bearing = std::atan2(dx, dy);
    double spray = a;
    if (spray > Pi)
        spray -= TwoPi;
    // The bee's angular extent [bearing - half, bearing + half] overlaps the cone.
    return (spray + ConeHalfAngle) - (bearing - half) > 0 && (spray - ConeHalfAngle) - (bearing + half) < 0;
}

void Hose::update()
{
    LevelHost& host = level->GetHost();
    const int dx = grabX - level->GetCameraX() - host.MouseX();
    const int dy = grabY - level->GetCameraY() - host.MouseY();
    hover = dx * dx + dy * dy < GrabDistanceSquared;

    // One hose at a time: a held hose stays held while the button stays down, wherever the mouse goes.
    const bool buttonDown = (host.MouseButtons() & LevelHost::LeftButton) != 0;
    bool held = false;
    if (level->GetHeldHose() == this)
    {
        held = buttonDown;
        if (!buttonDown)
            level->SetHeldHose(nullptr);
    }
    else if (!level->GetHeldHose())
    {
        held = buttonDown && hover;
    }

    if (held)
    {
        flags |= HeldFlag;
        power++;
        level->SetHeldHose(this);
    }
    else
    {
        flags &= ~HeldFlag;
        // After a release the hose runs down from at most 31.
        if (power > 32)
            power = 32;
        if (power > 0)
            power--;
    }

    if (power > 0)
    {
        if (power > 32 && power % 2 == 0)
            Spray();
        PushBee();
    }
}

void Hose::Spray()
{
    LevelHost& host = level->GetHost();
    // Offset -22..21 degrees, distance 100..259 pixels.
    const int offset = static_cast<int>(((host.Random() & 0xFFFF) * 44) >> 16) - 22;
    const int distance = static_cast<int>(((host.Random() & 0xFFFF) * 160) >> 16) + 100;
    // Drops thicken from a rare one at power 34 to one every other update from 88 on.
    if (3 * power <= distance)
        return;
    const float a = angle + static_cast<float>(offset * Pi / 180);
    const float sinA = std::sin(a);
    const float cosA = std::cos(a);
    level->AddParticle(Particle(level, IMAGE_DROPS, static_cast<int>(x + sinA * distance),
                                static_cast<int>(y - cosA * distance), static_cast<int>(sinA * 400),
                                static_cast<int>(-cosA * 400), false, 0, 8));
}

void Hose::PushBee()
{
    Bee& bee = level->GetBee();
    if (!bee.pushable)
        return;
    const float dx = bee.centreX - static_cast<float>(x);
    const float dy = -(bee.centreY - static_cast<float>(y)); // up is positive
    // Never a bee behind the hose, whatever the cone says.
    switch (spraySector)
    {
    case 1:
        if (dx < 0)
            return;
        break;
    case 2:
        if (dy > 0)
            return;
        break;
    case 4:
        if (dx > 0)
            return;
        break;
    default:
        if (dy < 0)
            return;
        break;
    }
    if (ConeHits(angle, dx, dy))
        bee.Push(std::atan2(dx, dy), 30);
}

void Hose::draw(zest::Graphics& g)
{
    // Both sheets turn about the same pivot, which lands on the hose position.
    const float px = static_cast<float>(x - level->GetCameraX());
    const float py = static_cast<float>(y - level->GetCameraY());
    const int hoseCel = power > 0 ? 2 : (hover ? 1 : 0);
    if (IMAGE_HOSE)
        g.DrawImageRotated(IMAGE_HOSE, px - 18, py, -angle, 18, 0, zest::Rect(hoseCel * 36, 0, 36, 60));
    if (power > 0 && IMAGE_SPRAY)
    {
        // Cels 0 to 3 while the jet builds up, then 4 to 7 cycling every 8 updates.
        const int sprayCel = power <= 31 ? power / 8 : (((power >> 3) & 3) | 4);
        g.DrawImageRotated(IMAGE_SPRAY, px - 48, py, Pi - angle, 48, 0, zest::Rect(sprayCel * 96, 0, 96, 128));
    }
}

} // namespace tibble
