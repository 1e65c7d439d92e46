#pragma once
// The game's three sound effects, synthesized from recipes: a clock tick (the sound volume sample), a wet
// tomato burst and a comic burp (the fly trap spitting the bee out). Mono, 44100 Hz.

#include <vector>

namespace soundgen
{

std::vector<float> MakeTimerTick();
std::vector<float> MakeTomatoBurst();
std::vector<float> MakeBurp();

} // namespace soundgen
