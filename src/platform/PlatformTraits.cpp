#include "platform/PlatformTraits.h"

namespace zest
{

#ifdef __EMSCRIPTEN__
constexpr bool Browser = true;
#else
constexpr bool Browser = false;
#endif

bool PlatformHasThreads()
{
    return !Browser;
}

bool DataOnlyFromArchive()
{
    return Browser;
}

bool CanStartFullScreen()
{
    return !Browser;
}

} // namespace zest
