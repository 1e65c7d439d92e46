#include "garden/Tomato.h"

#include "garden/Res.h"
#include "garden/Bee.h"
#include "garden/Level.h"
#include "graphics/Graphics.h"

#include <algorithm>
#include <cmath>

namespace tibble
{

namespace
{
constexpr int Idle = 0;
constexpr int Swelling = 1;
constexpr int Burst = 2;
constexpr int Regrowing = 3;
} // namespace

Tomato::Tomato(Level* owner, MapObject* mapRecord) : Flower(owner, IMAGE_TOMATO, mapRecord)
{
    SetScript(18);
}

void Tomato::update()
{
    switch (state)
    {
    case Idle:
    {
        const float d2 = BeeDistanceSquared();
        if (d2 < 16384)
        {
            scale = (16384 - d2) / 16384 + 1;
            if (d2 < 4096)
            {
                state = Swelling;
                baseScript = 20; // the wobble stops at cel 0
                timer = 100;
            }
        }
        else
        {
            scale = 1;
        }
        break;
    }
    case Swelling:
        scale += 0.015f;
        if (scale >= 3)
        {
            state = Burst;
            timer = 100;
            SetScript(19);
            // The blast reaches the bee wherever it is and whatever it is doing.
            Bee& bee = level->GetBee();
            const float away = std::atan2(BeeDX(), -BeeDY());
            const float distance = std::clamp(std::sqrt(BeeDistanceSquared()), 64.0f, 320.0f);
            bee.Kick(away, (400 - distance) / 60);
            bee.Hit();
            level->GetHost().PlaySound(SOUND_TOMATO);
        }
        break;
    case Burst:
        scale -= 0.03f;
        if (--timer <= 0)
        {
            state = Regrowing;
            scale = 0.01f;
            SetScript(18);
        }
        break;
    case Regrowing:
        scale += 0.01f;
        if (scale >= 1)
        {
            scale = 1;
            state = Idle;
        }
        break;
    default:
        break;
    }
}

void Tomato::draw(zest::Graphics& g)
{
    if (!visible)
        return;
    const int shown = Step();
    if (!image)
        return;
    // The cel stretched into a square of 2 x half about the centre.
    const float half = scale * 32;
    const zest::Rect dest(static_cast<int>(centreX - half) - level->GetCameraX(),
                          static_cast<int>(centreY - half) - level->GetCameraY(), static_cast<int>(2 * half),
                          static_cast<int>(2 * half));
    g.DrawImageCell(image, dest, shown);
}

} // namespace tibble
