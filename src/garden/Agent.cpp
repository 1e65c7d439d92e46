#include "garden/Agent.h"

#include "garden/AnimScript.h"
#include "garden/Level.h"
#include "graphics/Graphics.h"
#include "platform/ZestAssert.h"

namespace tibble
{

Agent::Agent(Level* owner, zest::Image* sprite, int px, int py) : image(sprite), level(owner), x(px), y(py) {}

void Agent::draw(zest::Graphics& g)
{
    if (!visible)
        return;
    int shown = Step();
    if (image)
        g.DrawImageCell(image, x - level->GetCameraX(), y - level->GetCameraY(), shown);
}

void Agent::SetScript(int n)
{
    ZEST_ASSERT_OR_RETURN(n >= 0 && n < AnimScriptCount);
    script = n;
    baseScript = n;
    scriptPos = 0;
    wait = 0; // the next Step shows the script's first cel
    delay = 8;
}

int Agent::Step()
{
    if (level->GetHost().IsPaused() || wait < 0)
        return cel;
    wait--;
    if (wait > 0)
        return cel;
    wait = delay;

    // Every script ends in a hold, a repeat or a jump that shows a cel within a few bytes; the
    // bound only keeps a broken table from hanging the game.
    for (int guard = 0; guard < 4 * AnimScriptLength; guard++)
    {
        if (scriptPos < 0 || scriptPos >= AnimScriptLength)
            scriptPos = 0;
        const int8_t byte = AnimScript[script][scriptPos++];
        if (byte >= 0)
        {
            cel = byte;
            return cel;
        }
        switch (byte)
        {
        case StepWingsOff:
            wings = false;
            break;
        case StepWingsOn:
            wings = true;
            break;
        case StepBackToBase:
            scriptPos = 0;
            script = baseScript;
            delay = 8;
            wait = 8;
            break;
        case StepFinished:
            finished = true;
            break;
        case StepHold:
            wait = -1;
            return cel;
        case StepGoto:
        {
            const int next = scriptPos < AnimScriptLength ? AnimScript[script][scriptPos] : 0;
            script = (next >= 0 && next < AnimScriptCount) ? next : 0;
            scriptPos = 0;
            break;
        }
        case StepDelay:
            delay = scriptPos < AnimScriptLength ? AnimScript[script][scriptPos++] : 8;
            wait = delay;
            break;
        case StepRepeat:
            scriptPos = 0;
            wait = delay;
            break;
        default:
            break;
        }
    }
    return cel;
}

} // namespace tibble
