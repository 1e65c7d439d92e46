#include "app/DemoRecorder.h"

#include "platform/Log.h"

#include <cerrno>
#include <cstring>

namespace zest
{

DemoRecorder::~DemoRecorder()
{
    if (file)
        (void)Finish();
}

bool DemoRecorder::Open(const std::string& newPath, const DemoHeader& header)
{
    if (file)
        (void)Finish();
    file = std::fopen(newPath.c_str(), "wb");
    if (!file)
        return false;
    path = newPath;
    crc = 0;
    recordCount = 0;
    updatesSinceFlush = 0;
    return Write(DemoFile::EncodeHeader(header));
}

bool DemoRecorder::Write(const std::vector<uint8_t>& bytes)
{
    if (!file)
        return false;
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size())
    {
        Stop();
        return false;
    }
    crc = DemoFile::Crc32(bytes.data(), bytes.size(), crc);
    return true;
}

void DemoRecorder::Add(const DemoRecord& record)
{
    if (!file)
        return;
    std::vector<uint8_t> bytes;
    DemoFile::EncodeRecord(record, bytes);
    if (!Write(bytes))
        return;
    recordCount++;
    if (record.kind == DemoRecord::Kind::Update && ++updatesSinceFlush >= 100)
    {
        updatesSinceFlush = 0;
        // A full disk shows here first: what was written stays a playable demo, cut short.
        if (std::fflush(file) != 0)
            Stop();
    }
}

void DemoRecorder::Stop()
{
    Logf(LogLevel::Warning, "demo %s: write failed (%s); recording stopped, the demo plays up to here",
         path.c_str(), std::strerror(errno));
    std::fclose(file);
    file = nullptr;
}

bool DemoRecorder::Finish()
{
    if (!file)
        return false;
    bool ok = Write(DemoFile::EncodeEnd(recordCount, crc));
    if (!file)
        return false;
    ok = std::fclose(file) == 0 && ok;
    file = nullptr;
    if (!ok)
        Logf(LogLevel::Warning, "demo %s: could not be finished", path.c_str());
    return ok;
}

} // namespace zest
