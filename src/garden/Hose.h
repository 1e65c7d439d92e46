// A garden hose, the player's only tool: pressing the left button within 40 pixels of its grab point
// takes hold of it; while held its power rises, it sprays drops and pushes the bee when the bee lies
// in its +-22 degree cone within 320 pixels. The hose sheet has 36 x 60 cels (idle, hover, spraying)
// with the pivot at (18, 0) and the body hanging down; the spray sheet has 96 x 128 cels with the jet
// leaving (48, 0) downwards. Made and deleted by its Level as the view moves; main thread.
#pragma once

#include "garden/Agent.h"

namespace tibble
{

class Hose : public Agent
{
public:
    static constexpr int HeldFlag = 1;
    // How far the spray pushes the bee, in pixels, and its cone's half-angle in degrees either side of the hose's
    // angle: the garden's rule, which the level tools draw too.
    static constexpr int SprayReach = 320;
    static constexpr int SprayHalfAngle = 22;

    Hose(Level* level, MapObject* record);
    // Gives the level's held hose back when it is this one.
    ~Hose() override;

    void update() override;
    void draw(zest::Graphics& g) override;

    // Spray sector of an angle in radians: 1 right, 2 down, 4 left, 8 up.
    static int SectorOf(float angle);
    // The cone test: whether a bee at (dx, dy) from the pivot (dy positive upwards) is in the spray of
    // a hose at angle, before the sector test. False within 24 pixels of the pivot and beyond 320.
    static bool ConeHits(float angle, float dx, float dy);

    int flags = 0;
    int power = 0;
    float angle = 0; // radians, 0 up, clockwise
    int spraySector = 8;
    bool hover = false;
    int grabX = 0; // level point the player presses on
    int grabY = 0;

private:
    void Spray();
    void PushBee();
};

} // namespace tibble
