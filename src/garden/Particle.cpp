#include "garden/Particle.h"

#include "garden/Level.h"
#include "graphics/Graphics.h"

namespace tibble
{

const int8_t ParticleScript[ParticleScriptRows][ParticleScriptLength] = {
    {0, 0, 0, 1, 2, 3, -1},                   // spray drop
    {0, 1, 2, 0, 1, 2, 0, 1, 2, 3, 4, 5, -1}, // sparkle
    {0, 0, 1, 2, 3, -1},                      // honey drop
};

Particle::Particle(Level* owner, zest::Image* sprite, int px, int py, int pvx, int pvy, bool withGravity, int row,
                   int celDelay)
    : level(owner), x(px * 256), y(py * 256), vx(pvx), vy(pvy), gravity(withGravity),
      scriptRow(row >= 0 && row < ParticleScriptRows ? row : 0), delay(celDelay > 0 ? celDelay : 1), countdown(delay),
      image(sprite)
{
}

bool Particle::Step()
{
    x += vx;
    y += vy;
    if (gravity)
        vy += 10;
    if (--countdown > 0)
        return true;
    // A row that runs out without an end mark counts as ended.
    if (scriptPos >= ParticleScriptLength)
        return false;
    const int8_t entry = ParticleScript[scriptRow][scriptPos++];
    if (entry < 0)
        return false;
    cel = entry;
    countdown = delay;
    return true;
}

void Particle::Draw(zest::Graphics& g) const
{
    if (image)
        g.DrawImageCell(image, (x >> 8) - level->GetCameraX(), (y >> 8) - level->GetCameraY(), cel);
}

} // namespace tibble
