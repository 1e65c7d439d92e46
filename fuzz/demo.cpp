// libFuzzer harness for recorded demos: any bytes are read as a demo file. The file ends in a CRC of
// everything before it, which random bytes never match, so each input is also read with its last
// record's CRC made right, to reach the records behind it. A demo that reads is written again and must
// read back to the same header and records, and write the same bytes a second time.
#include "DemoEnd.h"
#include "FuzzScratch.h"

#include "app/DemoFile.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace
{

bool SameRecord(const zest::DemoRecord& a, const zest::DemoRecord& b)
{
    return a.kind == b.kind && a.message.window == b.message.window && a.message.message == b.message.message && a.message.wparam == b.message.wparam &&
           a.message.lparam == b.message.lparam && a.fileName == b.fileName && a.found == b.found &&
           a.bytes == b.bytes && a.seed == b.seed && a.x == b.x && a.y == b.y;
}

void CheckRoundTrip(const zest::DemoFile& demo)
{
    const std::vector<uint8_t> encoded = demo.Encode();
    std::string error;
    std::optional<zest::DemoFile> again = zest::DemoFile::Parse(encoded, error);
    fuzz::Require(again.has_value());
    const zest::DemoHeader& a = demo.header;
    const zest::DemoHeader& b = again->header;
    fuzz::Require(a.seed == b.seed && a.windowed == b.windowed && a.refreshRate == b.refreshRate &&
                  a.frameTime == b.frameTime && a.vsyncUpdates == b.vsyncUpdates && a.width == b.width &&
                  a.height == b.height && a.productName == b.productName &&
                  a.updateMultiplier == b.updateMultiplier);
    fuzz::Require(again->records.size() == demo.records.size());
    for (size_t i = 0; i < demo.records.size(); ++i)
        fuzz::Require(SameRecord(demo.records[i], again->records[i]));
    fuzz::Require(again->Encode() == encoded);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // As the player's demo is read: from a file.
    const std::string path = fuzz::WriteScratch("input.dmo", data, size);
    std::string error;
    if (!path.empty())
        if (std::optional<zest::DemoFile> demo = zest::DemoFile::Load(path, error))
            CheckRoundTrip(*demo);

    if (std::optional<std::vector<uint8_t>> bytes = fuzz::WithRightEndCrc(data, size))
        if (std::optional<zest::DemoFile> read = zest::DemoFile::Parse(*bytes, error))
            CheckRoundTrip(*read);
    return 0;
}
