#include "garden/Hive.h"

#include "garden/Res.h"
#include "garden/Level.h"
#include "garden/MapObject.h"
#include "garden/Particle.h"

namespace tibble
{

const int HiveBobTable[16] = {1, 2, 2, 3, 3, 3, 4, 4, 4, 4, 3, 3, 3, 2, 2, 1};

namespace
{
constexpr int Active = 0;
constexpr int Hidden = 1;
constexpr float CollectSquared = 2304; // 48 pixels
} // namespace

Hive::Hive(Level* owner, MapObject* mapRecord) : Flower(owner, IMAGE_HIVE, mapRecord, 24), restingY(mapRecord->y)
{
    drawLayer = 2;
    timer = 10; // sparkle countdown
    // The record is 0 while hidden, 1 once revealed and -1 once collected.
    if (mapRecord->state > 0)
    {
        state = Active;
    }
    else
    {
        state = Hidden;
        visible = false;
    }
}

void Hive::Reveal()
{
    state = Active;
    visible = true;
}

void Hive::update()
{
    if (state != Active)
        return;
    LevelHost& host = level->GetHost();
    // The collecting distance uses the fixed centre, not the bobbing y.
    if (BeeDistanceSquared() < CollectSquared)
    {
        record->state = -1;
        state = Hidden;
        visible = false;
        host.AddHive();
        for (int i = 0; i < 10; i++)
        {
            const int offsetX = static_cast<int>(host.Random() & 63) - 32;
            const int offsetY = static_cast<int>(host.Random() & 63) - 32;
            const int speedX = static_cast<int>(host.Random() & 511) - 256;
            level->AddParticle(Particle(level, IMAGE_HONEYDROP, x + offsetX, y + offsetY, speedX, 5, true, 2, 8));
        }
    }
    if (--timer <= 0)
    {
        const int offsetX = static_cast<int>(host.Random() & 31) - 16;
        const int offsetY = static_cast<int>(host.Random() & 31) - 16;
        level->AddParticle(Particle(level, IMAGE_SPARKLE, x + offsetX, y + offsetY, 0, 0, false, 1, 6));
        timer = static_cast<int>(host.Random() & 31) + 100;
    }
    y = restingY + HiveBobTable[(level->GetUpdateCounter() >> 2) & 15];
}

} // namespace tibble
