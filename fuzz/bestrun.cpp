// libFuzzer harness for best runs (demo files of one garden's run): any bytes are read as a best run, as the
// garden picker reads one from the demo folder. As for demos, each input is read a second time with its end
// record's CRC made right, to reach the records behind it. A best run that reads is written again and must
// read back to the same run and write the same bytes a second time.
#include "DemoEnd.h"
#include "FuzzScratch.h"

#include "app/DemoFile.h"
#include "game/BestRun.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace
{

void CheckRoundTrip(const tibble::BestRun& run)
{
    const std::vector<uint8_t> encoded = run.Encode();
    std::string error;
    std::optional<tibble::BestRun> again = tibble::BestRun::Parse(encoded, error);
    fuzz::Require(again.has_value());
    fuzz::Require(again->garden == run.garden && again->lives == run.lives && again->hives == run.hives &&
                  again->assist == run.assist && again->result == run.result &&
                  again->randomState == run.randomState && again->mapName == run.mapName &&
                  again->mapBytes == run.mapBytes && again->events.size() == run.events.size());
    for (size_t i = 0; i < run.events.size(); ++i)
    {
        const tibble::BestRun::Event& a = run.events[i];
        const tibble::BestRun::Event& b = again->events[i];
        fuzz::Require(a.update == b.update);
        if (a.update)
            fuzz::Require(a.x == b.x && a.y == b.y && a.buttons == b.buttons);
        else
            fuzz::Require(a.paused == b.paused);
    }
    fuzz::Require(again->Encode() == encoded);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = fuzz::WriteScratch("best-01.dmo", data, size);
    std::string error;
    if (!path.empty())
        if (std::optional<tibble::BestRun> run = tibble::BestRun::Load(path, error))
            CheckRoundTrip(*run);

    if (std::optional<std::vector<uint8_t>> bytes = fuzz::WithRightEndCrc(data, size))
        if (std::optional<tibble::BestRun> read = tibble::BestRun::Parse(*bytes, error))
            CheckRoundTrip(*read);
    return 0;
}
