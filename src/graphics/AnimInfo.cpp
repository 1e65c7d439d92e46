#include "graphics/AnimInfo.h"

#include <algorithm>

namespace zest
{

void AnimInfo::SetCels(int cels, int beginDelay, int endDelay)
{
    numCels = std::max(cels, 1);
    frameDelay = std::max(frameDelay, 1);
    if (animType == AnimTypePingPong && numCels > 1)
    {
        // 0, 1, ..., n-1, n-2, ..., 1: the ends are shown once per cycle.
        frameMap.clear();
        for (int i = 0; i < numCels; i++)
            frameMap.push_back(i);
        for (int i = numCels - 2; i >= 1; i--)
            frameMap.push_back(i);
    }
    int frames = GetFrameCount();
    if (beginDelay > 0 || endDelay > 0)
        perFrameDelay.resize(static_cast<size_t>(frames), 0);
    if (!perFrameDelay.empty())
    {
        perFrameDelay.resize(static_cast<size_t>(frames), 0);
        if (beginDelay > 0)
            perFrameDelay.front() = beginDelay;
        if (endDelay > 0)
            perFrameDelay.back() = endDelay;
        totalAnimTime = 0;
        for (int& delay : perFrameDelay)
        {
            if (delay < 1)
                delay = frameDelay;
            totalAnimTime += delay;
        }
    }
    else
    {
        totalAnimTime = frames * frameDelay;
    }
}

int AnimInfo::GetFrameCount() const
{
    return frameMap.empty() ? std::max(numCels, 1) : static_cast<int>(frameMap.size());
}

int AnimInfo::GetFrame(int time) const
{
    int frames = GetFrameCount();
    if (animType == AnimTypeNone || totalAnimTime <= 0 || frames <= 1)
        return 0;
    if (time < 0)
        time = 0;
    if (animType == AnimTypeOnce)
    {
        if (time >= totalAnimTime)
            return frames - 1;
    }
    else
    {
        time %= totalAnimTime;
    }
    if (perFrameDelay.empty())
        return std::min(time / std::max(frameDelay, 1), frames - 1);
    for (int i = 0; i < frames && i < static_cast<int>(perFrameDelay.size()); i++)
    {
        if (time < perFrameDelay[static_cast<size_t>(i)])
            return i;
        time -= perFrameDelay[static_cast<size_t>(i)];
    }
    return frames - 1;
}

int AnimInfo::GetCel(int time) const
{
    int frame = GetFrame(time);
    if (frame >= 0 && frame < static_cast<int>(frameMap.size()))
        return frameMap[static_cast<size_t>(frame)];
    return frame;
}

} // namespace zest
