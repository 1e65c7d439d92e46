#include "Samples.h"

#include <zest/app/ZestAppBase.h>
#include <zest/platform/Log.h>

namespace guide
{
namespace
{

class CounterApp : public zest::ZestAppBase
{
public:
    CounterApp()
    {
        productName = "Run Counter";
        registryKey = "Zest Examples\\Run Counter"; // ~/.config/Zest Examples/Run Counter/registry.txt
    }
};

} // namespace

int CountRuns()
{
    CounterApp app;
    // Read answers false when the value is not there yet (or has another type); the variable is then left alone.
    int runs = 0;
    (void)app.ReadRegInt("Runs", runs);
    std::string firstRun;
    if (!app.ReadRegString("FirstRun", firstRun))
        (void)app.WriteRegString("FirstRun", "the first run of this sample");
    // Each write saves the whole file in one atomic step; false when it could not be saved.
    if (!app.WriteRegInt("Runs", runs + 1))
        zest::Log(zest::LogLevel::Warning, "the run count could not be saved");
    return runs + 1;
}

} // namespace guide
