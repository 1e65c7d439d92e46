// Animation timing of a sprite sheet: which cel shows at a given time.
// Owned by its Image; filled by the resource manifest; main thread (or the loading thread while loading).
#pragma once

#include <vector>

namespace zest
{

struct AnimInfo
{
    // Animation types as the manifest names them.
    static constexpr int AnimTypeNone = 0;
    static constexpr int AnimTypeOnce = 1;
    static constexpr int AnimTypePingPong = 2;
    static constexpr int AnimTypeLoop = 3;

    int animType = AnimTypeNone;
    int frameDelay = 1;         // ms per frame, >= 1
    int numCels = 1;            // cels in the sheet that take part
    std::vector<int> perFrameDelay; // ms per frame, empty = frameDelay for every frame
    std::vector<int> frameMap;  // cel index per frame, empty = frame n shows cel n
    int totalAnimTime = 0;      // ms of one pass

    // Sizes the tables for numCels cels: ping-pong builds the frame map 0..n-1..1; a positive
    // beginDelay / endDelay becomes the first / last frame's delay. Call after animType,
    // frameDelay and the lists are set.
    void SetCels(int numCels, int beginDelay, int endDelay);

    // Frames in one pass (the frame map's length when there is one).
    int GetFrameCount() const;
    // The frame showing at time ms from the start (looping, ping-pong and once behave as named;
    // a once animation holds its last frame).
    int GetFrame(int time) const;
    // The cel (sheet index) showing at time ms.
    int GetCel(int time) const;
};

} // namespace zest
