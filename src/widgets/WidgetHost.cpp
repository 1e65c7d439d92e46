#include "widgets/WidgetHost.h"

namespace zest
{

namespace
{
WidgetHost* currentHost = nullptr;
} // namespace

WidgetHost* WidgetHost::Current()
{
    return currentHost;
}

void WidgetHost::SetCurrent(WidgetHost* host)
{
    currentHost = host;
}

} // namespace zest
