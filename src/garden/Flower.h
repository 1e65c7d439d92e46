// Base of every placed object other than hoses: a landing place for the bee with the shared pull and
// landing behaviour. Nectar flowers drain once; trumpets, traps, tomatoes and hives reuse the
// position and pull. Owned by its Level; main thread.
#pragma once

#include "garden/Agent.h"
#include "base/Color.h"

namespace tibble
{

struct FlowerGroup;

class Flower : public Agent
{
public:
    // Shared states.
    static constexpr int Ready = 0;
    static constexpr int BeeComing = 1;
    static constexpr int RestingAfterUse = 2;
    static constexpr int Occupied = 3; // or wilted
    // States of the flowers that open and close.
    static constexpr int Closed = 4;
    static constexpr int Opening = 5;
    static constexpr int Closing = 6;

    // At the record's position, with its param; state 0, script 0; centre = position + centreOffset.
    Flower(Level* level, zest::Image* image, MapObject* record, int centreOffset = 32);

    // The shared landing behaviour.
    void update() override;
    // The bee leaves: resting after use.
    virtual void release();

    // Squared distance from the bee's centre to this centre, and the bee's offset (screen axes).
    float BeeDistanceSquared() const;
    float BeeDX() const;
    float BeeDY() const;
    // The group named by param.
    FlowerGroup& Group() const;

    float centreX = 0;
    float centreY = 0;

protected:
    // The shared release of the nectar flowers: wilted for good, the group's count falls and the last
    // one reveals the group's hives.
    void Drain(int wiltedScript);
    // Pulls the bee towards the centre by 1 / (factor x d^2).
    void PullBee(float factor);
    // The cycle of the flowers that open and close: Closed starts openScript once open holds, Ready
    // starts closeScript once it does not (never when closeScript < 0), and the animations end in
    // Ready and Closed. The landing and feeding of Flower::update run while open and in the other states.
    void UpdateOpenClose(bool open, int openScript, int closeScript);
    // The Agent draw with the image's colours multiplied by tint.
    void DrawTinted(zest::Graphics& g, const zest::Color& tint);
};

} // namespace tibble
