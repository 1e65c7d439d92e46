#pragma once
// Fixed-seed random source for the generators: the same seed gives the same data on every machine
// (the standard distributions are not portable between libraries, so the mapping to ranges is our own).

#include <cstdint>

namespace datagen
{

class DataRandom
{
public:
    explicit DataRandom(uint64_t seed) : state(seed ? seed : 0x9E3779B97F4A7C15ull) {}

    uint64_t Next()
    {
        // xorshift64*
        state ^= state >> 12;
        state ^= state << 25;
        state ^= state >> 27;
        return state * 0x2545F4914F6CDD1Dull;
    }
    // Uniform in [0, 1).
    double Unit() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }
    double Range(double lo, double hi) { return lo + (hi - lo) * Unit(); }
    // Uniform in [-1, 1).
    double Signed() { return Unit() * 2.0 - 1.0; }

private:
    uint64_t state;
};

} // namespace datagen
