// Tibble the bee, the hero the player never steers directly: it sinks in free flight, is pushed by
// hoses and pulled by flowers, lands and feeds, tumbles after a blast, travels through trumpets and
// bounces off solid tiles. Owned by its Level, which updates it after every agent; main thread.
#pragma once

#include "garden/Agent.h"

namespace tibble
{

class Flower;

class Bee : public Agent
{
public:
    // States.
    static constexpr int FreeFlight = 0;
    static constexpr int Landing = 2;
    static constexpr int Resting = 4;
    static constexpr int CaughtInTrap = 5;
    static constexpr int EnteringTrumpet = 7;
    static constexpr int Emerging = 8;
    static constexpr int Tumbling = 9;

    // Answers of Update.
    static constexpr int Carry = 0;
    static constexpr int TransportDue = 1;
    static constexpr int ExitReached = -1;
    static constexpr int FellOut = 2;

    static constexpr float FreeFlightGravity = 0.005f;
    static constexpr float AccelerationClamp = 0.05f;
    static constexpr float SpeedClamp = 0.35f;
    static constexpr float TumbleDamping = 0.9905f;
    static constexpr int HalfBox = 19; // collision box: centre +- 19 pixels
    static constexpr int Size = 48;

    // (px, py): the sprite's top-left in level pixels.
    Bee(Level* level, zest::Image* image, int px, int py);

    void ClearPushes();
    // Adds a push of 1 / divisor along angle (radians, 0 up, clockwise). A divisor that is not
    // positive adds nothing.
    void Push(float angle, float divisor);
    // Adds strength along angle.
    void Kick(float angle, float strength);
    // When steerable, the flower takes the bee: true. Otherwise false.
    [[nodiscard]] bool TryLand(Flower* flower);
    // Glides onto the flower the bee is dealing with (caller when it deals with none) for 64 updates.
    void StartLanding(Flower& caller);
    void Caught(Flower* trap);
    // Thrown out of the trap that holds it (caller when none), along the trap's param in degrees.
    void SpitOut(Flower& caller);
    void Hit();
    void TakeOff();
    void EnterTrumpet(Flower* trumpet);
    void EmergeFrom(Flower& trumpet);
    // Emerging without a trumpet agent (its slot could not be made): placed at the record's position.
    void EmergeAt(int recordX, int recordY);
    void PlaceAt(const Flower& flower);

    // Carry, TransportDue, ExitReached or FellOut.
    int Update();
    void Draw(zest::Graphics& g);

    float drift = 0;
    float gravity = FreeFlightGravity;
    float vx = 0.1f;
    float vy = 0;
    float centreX = 0;
    float centreY = 0;
    float pushX = 0;
    float pushY = 0;
    float landStepX = 0;
    float landStepY = 0;
    bool steerable = true;
    bool pushable = true;
    bool facingRight = false;
    int honeyCountdown = 0;
    int radius = 24;
    Flower* flower = nullptr; // the flower, trumpet or trap it deals with; cleared when that agent goes

private:
    // Moves the centre by (sx, sy) against the level's solid tiles; FellOut when lost below.
    int Move(float sx, float sy);
    void AddHoneyDrop();
    void FreeFlightAgain();
};

} // namespace tibble
