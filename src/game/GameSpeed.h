// The "Game speed" choices of the options dialog: the garden runs at 100, 85, 70 or 55 % of its updates per second
// of real time (the application's update multiplier), for players who want more time to react. Stored as the
// whole percent under "GameSpeed"; a demo's header carries the multiplier. Stateless; main thread.
#pragma once

#include <array>

namespace zest
{
class ZestAppBase;
}

namespace tibble
{

class GameSpeed
{
public:
    static constexpr const char* ValueName = "GameSpeed";
    static constexpr int FullSpeed = 100;
    // In the order the options dialog steps through them.
    static constexpr std::array<int, 4> Percents{100, 85, 70, 55};

    // The choice nearest to the multiplier (a demo's or a damaged setting's value lands on a real choice).
    static int PercentOf(double multiplier);
    static double Multiplier(int percent) { return percent / 100.0; }
    // The choice after this one, back to full speed after the slowest.
    static int Next(int percent);
    // Anything slower than full speed counts as assisted (its records are kept apart).
    static bool IsAssist(double multiplier) { return PercentOf(multiplier) != FullSpeed; }

    // The stored choice into the application's multiplier; an absent or unknown value leaves full speed.
    static void Load(zest::ZestAppBase& app);
    // Sets the multiplier at once and stores the choice (not while a demo plays).
    static void Apply(zest::ZestAppBase& app, int percent);
};

} // namespace tibble
