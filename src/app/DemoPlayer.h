// Hands a loaded demo's records back one at a time, in the order they were recorded, and knows how far playback
// has got. Owned by the application; main thread.
#pragma once

#include "app/DemoFile.h"

#include <string>

namespace zest
{

class DemoPlayer
{
public:
    // Loads and checks the whole file; false (error set to a sentence for the player) when it cannot be played.
    [[nodiscard]] bool Open(const std::string& path, std::string& error);
    // Takes a demo already in memory.
    void Open(DemoFile demo);

    const DemoHeader& Header() const { return demo.header; }
    // The file ended without its end record (the recording run died); it plays up to its last whole record.
    bool CutShort() const { return demo.cutShort; }
    // The next record, or none at the end.
    const DemoRecord* Peek() const;
    // Moves past the next record.
    void Advance();
    bool AtEnd() const { return position >= demo.records.size(); }
    // Updates played so far.
    int UpdatesPlayed() const { return updatesPlayed; }
    int TotalUpdates() const { return totalUpdates; }

private:
    DemoFile demo;
    size_t position = 0;
    int updatesPlayed = 0;
    int totalUpdates = 0;
};

} // namespace zest
