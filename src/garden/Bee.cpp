#include "garden/Bee.h"

#include "garden/Res.h"
#include "garden/Flower.h"
#include "garden/Level.h"
#include "garden/MapObject.h"
#include "garden/Particle.h"
#include "graphics/Graphics.h"

#include <algorithm>
#include <cmath>

namespace tibble
{

namespace
{

constexpr float Pi = 3.141592654f;

// Truncation toward zero that stays defined for any float (the bee's position is always far inside
// this range; the guard only keeps a broken value from becoming undefined behaviour).
int TruncToInt(float value)
{
    if (!(value > -1.0e9f && value < 1.0e9f))
        return 0;
    return static_cast<int>(value);
}

} // namespace

Bee::Bee(Level* owner, zest::Image* sprite, int px, int py) : Agent(owner, sprite, px, py)
{
    centreX = static_cast<float>(px + radius);
    centreY = static_cast<float>(py + radius);
    SetScript(8);
    wings = true;
}

void Bee::ClearPushes()
{
    pushX = 0;
    pushY = 0;
}

void Bee::Push(float angle, float divisor)
{
    // A flower or trap pulling from distance 0 would divide by zero.
    if (!(divisor > 0) || !std::isfinite(divisor))
        return;
    pushX += std::sin(angle) / divisor;
    pushY -= std::cos(angle) / divisor;
}

void Bee::Kick(float angle, float strength)
{
    pushX += std::sin(angle) * strength;
    pushY -= std::cos(angle) * strength;
}

bool Bee::TryLand(Flower* target)
{
    if (!steerable)
        return false;
    state = FreeFlight;
    pushable = false;
    steerable = false;
    flower = target;
    gravity = 0;
    return true;
}

void Bee::StartLanding(Flower& caller)
{
    if (!flower)
        flower = &caller;
    state = Landing;
    landStepX = (flower->centreX - centreX) / 64;
    landStepY = (flower->centreY - centreY) / 64;
    timer = 64;
    SetScript(12);
    wings = false;
}

void Bee::Caught(Flower* trap)
{
    state = CaughtInTrap;
    steerable = false;
    pushable = false;
    flower = trap;
    gravity = 0;
    visible = false;
    vx = 0;
    vy = 0;
}

void Bee::SpitOut(Flower& caller)
{
    Flower& trap = flower ? *flower : caller;
    PlaceAt(trap);
    visible = true;
    state = Tumbling;
    SetScript(13);
    steerable = false;
    pushable = false;
    timer = 200;
    Kick(static_cast<float>(trap.param) * Pi / 180, 4);
}

void Bee::Hit()
{
    gravity = 0;
    timer = 200;
    state = Tumbling;
    steerable = false;
    pushable = false;
    SetScript(13);
}

void Bee::TakeOff()
{
    state = FreeFlight;
    steerable = true;
    pushable = true;
    gravity = FreeFlightGravity;
    vx = 0.2f;
    vy = -0.4f;
    SetScript(8);
}

void Bee::EnterTrumpet(Flower* trumpet)
{
    state = EnteringTrumpet;
    steerable = false;
    pushable = false;
    flower = trumpet;
    gravity = 0;
    timer = 0;
    SetScript(21);
}

void Bee::EmergeFrom(Flower& trumpet)
{
    EmergeAt(trumpet.x, trumpet.y);
    flower = &trumpet;
    trumpet.state = 2;
    trumpet.timer = 500;
}

void Bee::EmergeAt(int recordX, int recordY)
{
    state = Emerging;
    steerable = false;
    pushable = false;
    flower = nullptr;
    gravity = 0;
    timer = 80;
    x = recordX + 8;
    y = recordY + 8;
    centreX = static_cast<float>(recordX + 32);
    centreY = static_cast<float>(recordY + 32);
    // A bee hit by a blast while hidden in a trap could fall out hidden; it always comes back in view.
    visible = true;
    SetScript(21);
}

void Bee::PlaceAt(const Flower& target)
{
    x = target.x + 8;
    y = target.y + 8;
    centreX = static_cast<float>(target.x + 32);
    centreY = static_cast<float>(target.y + 32);
}

void Bee::FreeFlightAgain()
{
    state = FreeFlight;
    steerable = true;
    pushable = true;
    gravity = FreeFlightGravity;
}

int Bee::Update()
{
    switch (state)
    {
    case FreeFlight:
    {
        vx += pushX;
        vy += pushY;
        drift = std::clamp(drift, -AccelerationClamp, AccelerationClamp);
        gravity = std::clamp(gravity, -AccelerationClamp, AccelerationClamp);
        vx += drift;
        vy += gravity;
        vx = std::clamp(vx, -SpeedClamp, SpeedClamp);
        vy = std::clamp(vy, -SpeedClamp, SpeedClamp);
        // The running script switches when it next returns to its base.
        baseScript = vy < -0.1f ? 9 : (vy > 0.1f ? 10 : 8);
        if (honeyCountdown > 0)
        {
            honeyCountdown--;
            // 200 updates with a drop at every multiple of 16 from 192 down to 16: twelve drops.
            if (honeyCountdown != 0 && honeyCountdown % 16 == 0)
                AddHoneyDrop();
        }
        return Move(vx, vy);
    }
    case Landing:
    {
        const int moved = Move(landStepX, landStepY);
        if (moved != Carry)
            return moved;
        if (--timer > 0)
            return Carry;
        state = Resting;
        if (!flower)
        {
            TakeOff();
            return Carry;
        }
        const int type = flower->record ? flower->record->type : 0;
        if (type == TypeSunflower)
        {
            timer = 80;
        }
        else if (type == TypeTrumpet || type == TypeLinkTrumpet)
        {
            TakeOff();
            EnterTrumpet(flower);
            flower->state = 3;
        }
        else
        {
            timer = 200;
            SetScript(11);
            level->AddNectar();
            honeyCountdown = 200;
        }
        return Carry;
    }
    case Resting:
        if (--timer <= 0)
        {
            TakeOff();
            if (flower)
                flower->release();
        }
        return Carry;
    case CaughtInTrap:
        return Carry;
    case EnteringTrumpet:
        if (++timer < 80)
            return Carry;
        if (flower && flower->param == 1)
            return ExitReached;
        state = Emerging;
        return TransportDue;
    case Emerging:
        if (--timer <= 0)
        {
            FreeFlightAgain();
            vx = 0;
            vy = 0;
            SetScript(8);
            if (flower)
                flower->release();
        }
        return Carry;
    case Tumbling:
    {
        // No gravity and no speed clamp while tumbling.
        vx += pushX;
        vy += pushY;
        const float stepX = vx;
        const float stepY = vy;
        vx *= TumbleDamping;
        vy *= TumbleDamping;
        if (--timer <= 0)
            FreeFlightAgain();
        return Move(stepX, stepY);
    }
    default:
        return Carry;
    }
}

int Bee::Move(float sx, float sy)
{
    const float nx = centreX + sx;
    const float ny = centreY + sy;
    const int ix = TruncToInt(nx);
    const int iy = TruncToInt(ny);
    const int left = (ix - HalfBox) >> 6;
    const int right = (ix + HalfBox) >> 6;
    const int top = (iy - HalfBox) >> 6;
    const int bottom = (iy + HalfBox) >> 6;
    const Level& lv = *level;
    const int corners = (lv.IsSolid(left, top) ? 8 : 0) | (lv.IsSolid(right, top) ? 4 : 0) |
                        (lv.IsSolid(right, bottom) ? 2 : 0) | (lv.IsSolid(left, bottom) ? 1 : 0);

    // The old box, from the integer top-left before the move (x + 5 = centre - 19, x + 43 = centre + 19).
    const int oldLeft = (x + 5) >> 6;
    const int oldRight = (x + 43) >> 6;
    const int oldTop = (y + 5) >> 6;
    const int oldBottom = (y + 43) >> 6;

    // One corner inside a block: bounce on the axis whose side tile is open, so an outer corner
    // reverses both. Two corners on one side: bounce off that side. A diagonal pair lets the bee through.
    bool flipX = false;
    bool flipY = false;
    switch (corners)
    {
    case 1:
        flipY = !lv.IsSolid(left, oldBottom);
        flipX = !lv.IsSolid(oldLeft, bottom);
        break;
    case 2:
        flipY = !lv.IsSolid(right, oldBottom);
        flipX = !lv.IsSolid(oldRight, bottom);
        break;
    case 4:
        flipY = !lv.IsSolid(right, oldTop);
        flipX = !lv.IsSolid(oldRight, top);
        break;
    case 8:
        flipY = !lv.IsSolid(left, oldTop);
        flipX = !lv.IsSolid(oldLeft, top);
        break;
    case 3:
    case 12:
        flipY = true;
        break;
    case 6:
    case 9:
        flipX = true;
        break;
    case 7:
    case 11:
    case 13:
    case 14:
        flipX = true;
        flipY = true;
        break;
    default:
        break;
    }

    if (flipX)
        vx = -vx;
    else
        centreX = nx;
    if (flipY)
        vy = -vy;
    else
        centreY = ny;

    x = TruncToInt(centreX) - radius;
    y = TruncToInt(centreY) - radius;
    if (y >= lv.GetHeightPx() + 32)
        return FellOut;
    facingRight = sx > 0;
    return Carry;
}

void Bee::AddHoneyDrop()
{
    LevelHost& host = level->GetHost();
    const int offsetX = static_cast<int>(host.Random() & 31);
    const int offsetY = static_cast<int>(host.Random() & 31);
    const int speedX = static_cast<int>(host.Random() & 127) - 64;
    level->AddParticle(Particle(level, IMAGE_HONEYDROP, x + offsetX + 8, y + offsetY + 8, speedX, 100, true, 2, 8));
}

void Bee::Draw(zest::Graphics& g)
{
    if (!visible)
        return;
    zest::Rect dest(x - level->GetCameraX(), y - level->GetCameraY(), Size, Size);
    if (state == EnteringTrumpet || state == Emerging)
    {
        // Shrinks into the trumpet as the timer rises, grows out of it as the timer falls.
        dest.x += timer / 3 + 4;
        dest.y += timer / 4 + 4;
        dest.width = dest.height = (80 - timer) / 2;
        facingRight = false;
    }
    if (wings && IMAGE_WINGS)
    {
        const int wingCel = level->GetUpdateCounter() % 2;
        g.DrawImageMirror(IMAGE_WINGS, zest::Rect(dest.x, dest.y - 10, dest.width, dest.height),
                          zest::Rect(wingCel * 41, 0, 41, 23), facingRight);
    }
    const int shown = Step();
    if (!image || image->columns <= 0 || image->rows <= 0)
        return;
    const int celWidth = image->GetCelWidth();
    const int celHeight = image->GetCelHeight();
    const zest::Rect source((shown % image->columns) * celWidth, (shown / image->columns) * celHeight, celWidth,
                            celHeight);
    g.DrawImageMirror(image, dest, source, facingRight);
}

} // namespace tibble
