// What both music players keep per tune beside their library handles: the tunes by id, each with
// its volume, volume cap and fade, and the fade step that Update runs. Info is the player's own
// record and derives from SongVolume. Owned by the player; main thread only.
#pragma once

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <string>

namespace zest
{

struct SongVolume
{
    double volume = 0.0;
    double volumeAdd = 0.0; // fade step per update; 0 = no fade
    double volumeCap = 1.0;
    bool stopOnFade = false;
};

namespace song
{
// Volumes from settings and callers: 0..1, and NaN reads as 0.
inline double ClampUnit(double value)
{
    if (!(value > 0.0))
        return 0.0;
    return std::min(value, 1.0);
}

inline double FiniteOrZero(double value)
{
    return std::isfinite(value) ? value : 0.0;
}

// "ogg" for "Music/Theme.OGG"; empty without a dot.
inline std::string LowerExtension(const std::string& fileName)
{
    const size_t dot = fileName.rfind('.');
    std::string extension = dot == std::string::npos ? std::string() : fileName.substr(dot + 1);
    for (char& c : extension)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}
} // namespace song

template <class Info> class SongTable
{
public:
    Info* Find(int id)
    {
        auto it = byId.find(id);
        return it == byId.end() ? nullptr : &it->second;
    }
    const Info* Find(int id) const
    {
        auto it = byId.find(id);
        return it == byId.end() ? nullptr : &it->second;
    }

    // A fade down of one tune (nothing when it is silent already) or of every tune.
    void FadeOut(int id, bool stopWhenFaded, double speed)
    {
        Info* info = Find(id);
        if (info == nullptr || info->volume == 0.0)
            return;
        info->volumeAdd = -song::FiniteOrZero(speed);
        info->stopOnFade = stopWhenFaded;
    }
    void FadeOutAll(bool stopWhenFaded, double speed)
    {
        for (auto& [id, info] : byId)
        {
            info.volumeAdd = -song::FiniteOrZero(speed);
            info.stopOnFade = stopWhenFaded;
        }
    }

    // Each answers the changed record, for the player to pass on to its channel, or null.
    Info* SetVolume(int id, double volume)
    {
        Info* info = Find(id);
        if (info != nullptr)
            info->volume = song::ClampUnit(volume);
        return info;
    }
    Info* SetMaxVolume(int id, double maxVolume)
    {
        Info* info = Find(id);
        if (info != nullptr)
        {
            info->volumeCap = song::ClampUnit(maxVolume);
            info->volume = std::min(info->volume, info->volumeCap);
        }
        return info;
    }

    // One update of every running fade: a fade up stops at the cap, a fade down at 0, where
    // stop(info) halts the tune when it was asked to; apply(info) passes each new volume on.
    template <class Apply, class Stop> void StepFades(Apply apply, Stop stop)
    {
        for (auto& [id, info] : byId)
        {
            if (info.volumeAdd == 0.0)
                continue;
            info.volume += info.volumeAdd;
            if (info.volume > info.volumeCap - FadeSlack)
            {
                info.volume = info.volumeCap;
                info.volumeAdd = 0.0;
            }
            else if (info.volume < FadeSlack)
            {
                info.volume = 0.0;
                info.volumeAdd = 0.0;
                if (info.stopOnFade)
                    stop(info);
            }
            apply(info);
        }
    }

    std::map<int, Info> byId;

private:
    // Fades compare with a little slack so that a fade of 0.01 from 1.0 ends after exactly
    // 100 updates whichever way the floating-point sum rounds.
    static constexpr double FadeSlack = 1e-9;
};

} // namespace zest
