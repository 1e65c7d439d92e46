#include "game/GameSpeed.h"

#include "app/ZestAppBase.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace tibble
{

int GameSpeed::PercentOf(double multiplier)
{
    if (!(multiplier > 0) || !std::isfinite(multiplier))
        return FullSpeed;
    const double percent = multiplier * 100.0;
    return *std::min_element(Percents.begin(), Percents.end(), [percent](int a, int b)
                             { return std::abs(a - percent) < std::abs(b - percent); });
}

int GameSpeed::Next(int percent)
{
    auto at = std::find(Percents.begin(), Percents.end(), percent);
    if (at == Percents.end() || ++at == Percents.end())
        return Percents.front();
    return *at;
}

void GameSpeed::Load(zest::ZestAppBase& app)
{
    int percent = 0;
    if (!app.ReadRegInt(ValueName, percent))
        return;
    if (std::find(Percents.begin(), Percents.end(), percent) == Percents.end())
        return;
    app.updateMultiplier = Multiplier(percent);
}

void GameSpeed::Apply(zest::ZestAppBase& app, int percent)
{
    if (std::find(Percents.begin(), Percents.end(), percent) == Percents.end())
        return;
    app.updateMultiplier = Multiplier(percent);
    (void)app.WriteRegInt(ValueName, percent);
}

} // namespace tibble
