// A short-lived sprite of a level (spray drop, honey drop, sparkle) moving in 1/256-pixel steps and
// animated by a row of ParticleScript. Held by value in its Level's 64 particle slots; main thread.
#pragma once

#include <cstdint>

namespace zest
{
class Graphics;
class Image;
} // namespace zest

namespace tibble
{

class Level;

inline constexpr int ParticleScriptRows = 3;
inline constexpr int ParticleScriptLength = 13;
// Cels per row; a negative entry ends the particle.
extern const int8_t ParticleScript[ParticleScriptRows][ParticleScriptLength];

class Particle
{
public:
    // (px, py) in level pixels; (pvx, pvy) in 1/256 pixel per update. gravity adds 10/256 pixel per
    // update to vy each update.
    Particle(Level* level, zest::Image* image, int px, int py, int pvx, int pvy, bool gravity, int scriptRow,
             int delay);

    // One update: moves, and every delay updates shows the script's next cel. False when the script
    // has ended and the particle is to be deleted.
    [[nodiscard]] bool Step();
    void Draw(zest::Graphics& g) const;

    Level* level = nullptr;
    int x = 0; // 1/256 pixel
    int y = 0;
    int vx = 0; // 1/256 pixel per update
    int vy = 0;
    bool gravity = false;
    int scriptRow = 0;
    int cel = 0;
    int delay = 8;
    int countdown = 8;
    int scriptPos = 0;
    zest::Image* image = nullptr; // not owned
};

} // namespace tibble
