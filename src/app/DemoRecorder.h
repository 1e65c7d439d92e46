// Writes a demo file while the game runs: the header at the start, each record as it happens (flushed every 100
// updates, so a run that dies leaves most of its demo behind) and the end record when it is finished. Owned by the
// application; main thread.
#pragma once

#include "app/DemoFile.h"

#include <cstdio>
#include <memory>
#include <string>

namespace zest
{

class DemoRecorder
{
public:
    DemoRecorder() = default;
    DemoRecorder(const DemoRecorder&) = delete;
    DemoRecorder& operator=(const DemoRecorder&) = delete;
    // Finishes the file when it is still open.
    ~DemoRecorder();

    // Creates (or replaces) the file and writes the header; false when it cannot be written.
    [[nodiscard]] bool Open(const std::string& path, const DemoHeader& header);
    bool IsOpen() const { return file != nullptr; }
    // Appends a record; a write error closes the file (the demo is then lost, the game goes on).
    void Add(const DemoRecord& record);
    // Writes the end record and closes the file; false when something could not be written.
    bool Finish();
    const std::string& Path() const { return path; }
    int RecordCount() const { return static_cast<int>(recordCount); }

private:
    bool Write(const std::vector<uint8_t>& bytes);
    // A write failed: says why and closes the file, which stays a demo cut short.
    void Stop();

    std::FILE* file = nullptr;
    std::string path;
    uint32_t crc = 0;
    uint32_t recordCount = 0;
    int updatesSinceFlush = 0;
};

} // namespace zest
